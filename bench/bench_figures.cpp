// Times every converter figure of one 8192-sample record: the windowed power spectrum and its
// dynamic figures, the three- and four-parameter sine fits, and the code-density linearity of
// the histogram pooled with it. Under 2 ms lets them run on every record of a continuous
// capture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/DynamicFigures.h"
#include "analysis/Linearity.h"
#include "analysis/SineFit.h"

namespace {

using namespace rq::analysis;

// A 12-bit converter's record: a tone between bins, two harmonics and a little noise.
std::vector<double> record(int n) {
    std::mt19937 rng(12345);
    std::normal_distribution<double> noise(0.0, 0.5);
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * M_PI * 0.0997310 * i;
        x[static_cast<size_t>(i)] =
            std::clamp(std::round(2047.5 + 1850.0 * std::cos(a) + 0.3 * std::cos(2 * a) +
                                  0.1 * std::cos(3 * a) + noise(rng)),
                       0.0, 4095.0);
    }
    return x;
}

void allFigures(benchmark::State& state, WindowKind window) {
    const std::vector<double> x = record(8192);
    SpectrumAnalyser analyser;
    FigureOptions options;
    options.fullScaleBits = 12;
    CodeHistogram histogram(12, 0);
    double sink = 0.0;
    for (auto _ : state) {
        const PowerSpectrum s = analyser.spectrum(x, window);
        const DynamicFigures f = measureFigures(s, options);
        const double start = f.refinedBin / s.recordLength;
        const SineFit fit3 = fitSine3(x, start, 12, options.sampleRate);
        const SineFit fit4 = fitSine4(x, start, 12, options.sampleRate);
        histogram.add(x);
        const Linearity l = codeDensity(histogram, LinearityInput::Sine);
        sink += f.sinad + fit3.enob + fit4.frequency + l.dnlMax;
    }
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK_CAPTURE(allFigures, panel_window, WindowKind::PanelBlackmanHarris)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(allFigures, seven_term_window, WindowKind::BlackmanHarris7)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
