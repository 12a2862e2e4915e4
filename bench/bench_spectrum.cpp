// Times GenerateFFT with the window on against the same spectrum (window, real transform, dB
// magnitude, normalisation) computed with FFTW, for every record length the program captures
// and the largest it accepts, and prints the ratio of the two at each length.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fft/FftAnalysis.h"

namespace {

// A 12-bit converter's record: a tone with a little noise, as the board delivers it.
std::vector<double> record(int n) {
    std::mt19937 rng(12345);
    std::normal_distribution<double> noise(0.0, 0.7);
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[static_cast<size_t>(i)] =
            std::round(2048.0 + 1900.0 * std::sin(2.0 * M_PI * 0.1234567 * i) + noise(rng));
    }
    return x;
}

// The same spectrum through FFTW: window precomputed once, as GenerateFFT caches its own.
class FftwSpectrum {
public:
    explicit FftwSpectrum(int n)
        : m_n(n),
          m_window(static_cast<size_t>(n)),
          m_in(fftw_alloc_real(static_cast<size_t>(n))),
          m_out(fftw_alloc_complex(static_cast<size_t>(n / 2 + 1))),
          m_dB(static_cast<size_t>(n / 2)) {
        for (int i = 1; i <= n; ++i) {
            const double a = 6.28318530717958 * i / n;
            m_window[static_cast<size_t>(i - 1)] = 0.35875 - 0.48829 * std::cos(a) +
                                                   0.14128 * std::cos(2 * a) -
                                                   0.01168 * std::cos(3 * a);
        }
        m_plan = fftw_plan_dft_r2c_1d(n, m_in, m_out, FFTW_MEASURE);
    }
    ~FftwSpectrum() {
        fftw_destroy_plan(m_plan);
        fftw_free(m_in);
        fftw_free(m_out);
    }
    FftwSpectrum(const FftwSpectrum&) = delete;
    FftwSpectrum& operator=(const FftwSpectrum&) = delete;

    const std::vector<double>& run(const std::vector<double>& x) {
        for (int i = 0; i < m_n; ++i) {
            m_in[i] = m_window[static_cast<size_t>(i)] * x[static_cast<size_t>(i)];
        }
        fftw_execute(m_plan);
        const int half = m_n / 2;
        // DC and Nyquist share the first position, as in GenerateFFT.
        // The same logarithm as GenerateFFT, so the comparison is of the transforms.
        const double ln10 = std::log(10.0);
        m_dB[0] = 20.0 *
                  std::log(std::sqrt(m_out[0][0] * m_out[0][0] + m_out[half][0] * m_out[half][0])) /
                  ln10;
        for (int k = 1; k < half; ++k) {
            m_dB[static_cast<size_t>(k)] =
                20.0 * std::log(std::sqrt(m_out[k][0] * m_out[k][0] + m_out[k][1] * m_out[k][1])) /
                ln10;
        }
        const double top = *std::max_element(m_dB.begin(), m_dB.end());
        for (double& v : m_dB) {
            v -= top;
        }
        return m_dB;
    }

private:
    int m_n;
    std::vector<double> m_window;
    double* m_in;
    fftw_complex* m_out;
    fftw_plan m_plan;
    std::vector<double> m_dB;
};

void BM_GenerateFFT(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> x = record(n);
    rq::FftAnalysis fft;
    fft.setWindowing(true);
    fft.setSampleFrequency(100000);
    std::vector<double> out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fft.GenerateFFT(x, out));
        benchmark::ClobberMemory();
    }
}

void BM_FftwSpectrum(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> x = record(n);
    FftwSpectrum spectrum(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(spectrum.run(x).data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_GenerateFFT)->RangeMultiplier(2)->Range(256, 16384)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FftwSpectrum)->RangeMultiplier(2)->Range(256, 16384)->Unit(benchmark::kMicrosecond);

// Both spectra must agree before their times are worth comparing.
double largestDifference(int n) {
    const std::vector<double> x = record(n);
    rq::FftAnalysis fft;
    fft.setWindowing(true);
    std::vector<double> ours;
    fft.GenerateFFT(x, ours);
    FftwSpectrum reference(n);
    const std::vector<double>& theirs = reference.run(x);
    double worst = 0.0;
    for (size_t i = 0; i < ours.size(); ++i) {
        worst = std::max(worst, std::fabs(ours[i] - theirs[i]));
    }
    return worst;
}

// Console output as usual, plus the real time of each run kept for the ratios (the median when
// the runs are repeated).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.benchmark_name();
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                const auto slash = name.find('/');
                const std::string family = name.substr(0, slash);
                const int n = std::stoi(name.substr(slash + 1));
                m_times[n][family] = run.GetAdjustedRealTime();
            }
        }
    }

    void printRatios() const {
        std::printf("\nGenerateFFT / FFTW spectrum, real time (target <= 2 at 8192):\n");
        std::printf("%8s %14s %14s %8s %12s\n", "N", "GenerateFFT us", "FFTW us", "ratio",
                    "max |d dB|");
        for (const auto& [n, times] : m_times) {
            const auto ours = times.find("BM_GenerateFFT");
            const auto theirs = times.find("BM_FftwSpectrum");
            if (ours == times.end() || theirs == times.end()) {
                continue;
            }
            std::printf("%8d %14.2f %14.2f %8.2f %12.2e\n", n, ours->second, theirs->second,
                        ours->second / theirs->second, largestDifference(n));
        }
    }

private:
    std::map<int, std::map<std::string, double>> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
