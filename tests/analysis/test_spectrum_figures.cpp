// Protects the dynamic figures: the windows' weights and bandwidths, the power spectrum's
// scaling with DC and Nyquist apart, and SNR, SINAD, THD, SFDR, ENOB and noise density on
// records whose answers are known.
#include <gtest/gtest.h>

#include "Synth.h"
#include "analysis/DynamicFigures.h"
#include "common/NumberedError.h"
#include "fft/FftAnalysis.h"

using namespace rq;
using namespace rq::analysis;
using namespace rq::test;

namespace {

DynamicFigures figuresOf(const std::vector<double>& x, WindowKind window, int bits,
                         double rate = 100000.0) {
    SpectrumAnalyser analyser;
    FigureOptions options;
    options.fullScaleBits = bits;
    options.sampleRate = rate;
    return measureFigures(analyser.spectrum(x, window), options);
}

constexpr WindowKind AllWindows[] = {WindowKind::PanelBlackmanHarris, WindowKind::BlackmanHarris7,
                                     WindowKind::Hann, WindowKind::FlatTop, WindowKind::None};

}  // namespace

TEST(Windows, BandwidthsNamesAndThePanelsOwnWeights) {
    const struct {
        WindowKind kind;
        double enbw;
    } known[] = {{WindowKind::None, 1.0},
                 {WindowKind::Hann, 1.5},
                 {WindowKind::PanelBlackmanHarris, 2.0044},
                 {WindowKind::BlackmanHarris7, 2.6319},
                 {WindowKind::FlatTop, 3.7702}};
    for (const auto& k : known) {
        EXPECT_NEAR(equivalentNoiseBandwidth(windowWeights(k.kind, 4096)), k.enbw, 2e-4)
            << windowInfo(k.kind).name.toStdString();
        EXPECT_EQ(windowFromName(windowInfo(k.kind).name.toUpper()), k.kind);
    }
    EXPECT_FALSE(windowFromName("kaiser"));
    EXPECT_EQ(windowInfo(WindowKind::BlackmanHarris7).mainLobeHalfWidth, 7);

    // The panel's window is what the panel's routine applies, to the last bit.
    FftAnalysis panel;
    std::vector<double> x = synthesise(1024, fullScale(12, 37)), expected(1024);
    panel.Blackman_Harris(x, expected, 1024);
    const std::vector<double> w = windowWeights(WindowKind::PanelBlackmanHarris, 1024);
    for (size_t i = 0; i < x.size(); ++i) {
        ASSERT_EQ(w[i] * x[i], expected[i]) << i;
    }
}

TEST(PowerSpectrum, ScalingKeepsDcNyquistAndTonePowerApart) {
    const int n = 2048;
    Tone t;
    t.cycles = 300.4;  // between bins
    t.amplitude = 1000.0;
    t.offset = 100.0;
    std::vector<double> x = synthesise(n, t);
    for (int i = 0; i < n; ++i) {
        x[static_cast<size_t>(i)] += i % 2 == 0 ? 3.0 : -3.0;  // a tone on Nyquist
    }
    SpectrumAnalyser analyser;
    for (WindowKind kind : AllWindows) {
        const PowerSpectrum s = analyser.spectrum(x, kind);
        ASSERT_EQ(s.bins(), n / 2 + 1);
        EXPECT_EQ(s.records, 1);
        if (kind == WindowKind::None) {
            continue;  // no window: a tone between bins leaks over the whole spectrum
        }
        EXPECT_NEAR(s.power[0], 100.0 * 100.0, 1.0) << windowInfo(kind).name.toStdString();
        EXPECT_NEAR(s.power[n / 2], 9.0, 0.05) << windowInfo(kind).name.toStdString();
        double lobe = 0.0;
        for (int k = 300 - 8; k <= 301 + 8; ++k) {
            lobe += s.power[static_cast<size_t>(k)];
        }
        EXPECT_NEAR(lobe / s.noiseBandwidth, 1000.0 * 1000.0 / 2.0, 500.0)
            << windowInfo(kind).name.toStdString();
    }
    // White noise: every bin reads 2 sigma^2 ENBW / N on average.
    Tone noise;
    noise.noiseRms = 5.0;
    const PowerSpectrum s = analyser.spectrum(synthesise(n, noise), WindowKind::Hann);
    double sum = 0.0;
    for (int k = 1; k < n / 2; ++k) {
        sum += s.power[static_cast<size_t>(k)];
    }
    EXPECT_NEAR(sum / (n / 2 - 1), 2.0 * 25.0 * 1.5 / n, 0.1 * 2.0 * 25.0 * 1.5 / n);
}

TEST(PowerSpectrum, RefusesWhatTheTransformCannotTake) {
    SpectrumAnalyser analyser;
    for (size_t n : {size_t{1000}, size_t{8}, size_t{0}}) {
        const std::vector<double> x(n, 1.0);
        EXPECT_THROW(analyser.spectrum(x, WindowKind::Hann), NumberedError) << n;
    }
    std::vector<double> x = synthesise(256, fullScale(8, 11));
    x[5] = std::numeric_limits<double>::infinity();
    EXPECT_THROW(analyser.spectrum(x, WindowKind::Hann), NumberedError);
    // A record with nothing but DC has no tone to measure.
    EXPECT_THROW(measureFigures(analyser.spectrum(std::vector<double>(256, 7.0), WindowKind::Hann),
                                FigureOptions{}),
                 NumberedError);
}

TEST(DynamicFigures, IdealQuantiserGivesTheTextbookSnrAndEnob) {
    for (int bits : {8, 12, 16}) {
        const std::vector<double> x = quantise(synthesise(8192, fullScale(bits)), bits);
        for (WindowKind kind : {WindowKind::PanelBlackmanHarris, WindowKind::None}) {
            const DynamicFigures f = figuresOf(x, kind, bits);
            const double ideal = 6.02 * bits + 1.76;
            EXPECT_NEAR(f.snr, ideal, 0.2) << bits << " bits";
            EXPECT_NEAR(f.enob, bits, 0.05) << bits << " bits";
            // No distortion but the quantiser's: SINAD and SNR differ by the noise's scatter.
            EXPECT_NEAR(f.sinad, f.snr, 0.05);
            EXPECT_NEAR(f.fundamentalDbfs, 0.0, 0.04);
            EXPECT_EQ(f.fundamentalBin, 1021);
            EXPECT_NEAR(f.refinedBin, 1021.0, 1e-3);
            EXPECT_NEAR(f.frequency, f.refinedBin * 100000.0 / 8192.0, 1e-9);
            EXPECT_NEAR(f.dc, std::ldexp(1.0, bits - 1) - 0.5, 0.01);
            // Quantisation noise is white: its density follows from the SNR.
            EXPECT_NEAR(f.noiseDensity, f.fundamentalDbfs - f.snr - 10 * std::log10(50000.0), 1e-9);
            EXPECT_NEAR(f.averageBinNoise, f.fundamentalDbfs - f.snr - 10 * std::log10(4096.0),
                        1e-9);
        }
    }
}

TEST(DynamicFigures, HarmonicsAliasAndSetTheSfdr) {
    // 1500 cycles of 4096: the 2nd folds to bin 1096, the 3rd wraps to 404.
    Tone t = fullScale(16, 1500);
    t.amplitude *= 0.5;  // -6 dBFS
    t.harmonicsDbc = {-80.0, -60.0};
    t.noiseRms = 0.3;
    const DynamicFigures f =
        figuresOf(quantise(synthesise(4096, t), 16), WindowKind::PanelBlackmanHarris, 16, 4096.0);
    ASSERT_EQ(f.harmonics.size(), 5u);  // 2nd to 6th by default
    EXPECT_EQ(f.harmonics[0].order, 2);
    EXPECT_EQ(f.harmonics[0].bin, 1096);
    EXPECT_NEAR(f.harmonics[0].frequency, 1096.0, 1e-3);
    EXPECT_NEAR(f.harmonics[0].dBc, -80.0, 0.3);
    EXPECT_NEAR(f.harmonics[0].dBFS, -86.02, 0.3);
    EXPECT_EQ(f.harmonics[1].bin, 404);
    EXPECT_NEAR(f.harmonics[1].dBc, -60.0, 0.05);
    EXPECT_NEAR(f.sfdrDbc, 60.0, 0.1);
    EXPECT_NEAR(f.sfdrDbfs, 66.02, 0.1);
    EXPECT_EQ(f.spurHarmonic, 3);
    EXPECT_NEAR(f.spurFrequency, 404.0, 1e-3);
    EXPECT_NEAR(f.thd, 10 * std::log10(1e-8 + 1e-6), 0.05);
    EXPECT_NEAR(f.fundamentalDbfs, -6.02, 0.01);
    // SINAD takes the harmonics in, SNR leaves them out; the noise under the harmonics counts
    // once, so SINAD stands a little above what SNR and THD together would give.
    const double combined = -10 * std::log10(std::pow(10, -f.snr / 10) + std::pow(10, f.thd / 10));
    EXPECT_LT(f.sinad, f.snr);
    EXPECT_GE(f.sinad, combined);
    EXPECT_NEAR(f.sinad, combined, 0.01);
    for (const Harmonic& h : f.harmonics) {
        EXPECT_FALSE(h.masked) << h.order;
    }

    // A spur that is no harmonic is found and said to be none.
    std::vector<double> x = synthesise(4096, fullScale(16, 1500));
    for (int i = 0; i < 4096; ++i) {
        x[static_cast<size_t>(i)] += 3.0 * std::sin(2 * std::numbers::pi * 777 * i / 4096.0);
    }
    const DynamicFigures spur = figuresOf(x, WindowKind::BlackmanHarris7, 16, 4096.0);
    EXPECT_EQ(spur.spurHarmonic, 0);
    EXPECT_NEAR(spur.spurFrequency, 777.0, 1e-3);
    EXPECT_NEAR(spur.sfdrDbc, 20 * std::log10(32767.5 / 3.0), 0.01);
}

TEST(DynamicFigures, HarmonicsOnDcOrTheToneAreLeftOut) {
    // Bin 205 of 1024: the 3rd folds to 409, beside the 2nd at 410; the 4th and 6th land on
    // the tone (204, 206), the 5th on DC (1025 wraps to 1).
    Tone t = fullScale(12, 205);
    t.harmonicsDbc = {-70.0};
    FigureOptions options;
    SpectrumAnalyser analyser;
    const PowerSpectrum s = analyser.spectrum(synthesise(1024, t), WindowKind::Hann);
    const DynamicFigures f = measureFigures(s, options);
    ASSERT_EQ(f.harmonics.size(), 5u);
    EXPECT_FALSE(f.harmonics[0].masked);
    EXPECT_EQ(f.harmonics[0].bin, 410);
    const int bins[] = {410, 409, 204, 1, 206};
    for (int h = 2; h <= 6; ++h) {
        const Harmonic& harmonic = f.harmonics[static_cast<size_t>(h - 2)];
        EXPECT_EQ(harmonic.bin, bins[h - 2]) << h;
        EXPECT_EQ(harmonic.masked, h != 2) << h;
    }
    EXPECT_NEAR(f.thd, -70.0, 0.01);
    EXPECT_EQ(f.spurHarmonic, 2);
    options.harmonicOrder = 1;
    EXPECT_TRUE(measureFigures(s, options).harmonics.empty());
    options.harmonicOrder = 9;
    EXPECT_EQ(measureFigures(s, options).harmonics.size(), 8u);
}

TEST(DynamicFigures, SevenTermWindowMeasuresANonCoherentToneAsACoherentOne) {
    Tone t = fullScale(12);
    t.amplitude -= 20.0;
    t.harmonicsDbc = {-85.0, -90.0};
    const double coherent =
        figuresOf(quantise(synthesise(8192, t), 12), WindowKind::None, 12).sinad;
    for (double cycles : {1021.37, 1021.5, 2003.81}) {
        t.cycles = cycles;
        const DynamicFigures f =
            figuresOf(quantise(synthesise(8192, t), 12), WindowKind::BlackmanHarris7, 12);
        EXPECT_NEAR(f.sinad, coherent, 0.5) << cycles;
        EXPECT_NEAR(f.refinedBin, cycles, 0.02) << cycles;
        EXPECT_NEAR(f.harmonics[0].dBc, -85.0, 1.5) << cycles;
    }
}

TEST(DynamicFigures, WhiteNoiseOfKnownRmsGivesItsDensity) {
    // No quantiser: the noise is only what was added.
    for (double rms : {0.5, 3.0, 40.0}) {
        Tone t = fullScale(12, 333);
        t.amplitude = 1500.0;
        t.noiseRms = rms;
        t.seed = static_cast<unsigned>(rms * 10);
        const double rate = 1e6;
        const DynamicFigures f =
            figuresOf(synthesise(16384, t), WindowKind::PanelBlackmanHarris, 12, rate);
        const double expected =
            10 * std::log10(rms * rms / fullScalePower(12)) - 10 * std::log10(rate / 2);
        EXPECT_NEAR(f.noiseDensity, expected, 0.3) << rms;
        EXPECT_NEAR(f.snr, 10 * std::log10(1500.0 * 1500.0 / 2 / (rms * rms)), 0.3) << rms;
    }
}

TEST(DynamicFigures, PowerAverageKeepsTheNoiseAndCountsTheRecords) {
    SpectrumAnalyser analyser;
    SpectrumAverage average;
    double meanNoise = 0.0;
    for (unsigned r = 1; r <= 8; ++r) {
        Tone t = fullScale(12, 101);
        t.noiseRms = 2.0;
        t.seed = r;
        const PowerSpectrum s = analyser.spectrum(synthesise(1024, t), WindowKind::Hann);
        meanNoise += measureFigures(s, FigureOptions{}).noisePower / 8;
        average.add(s);
    }
    EXPECT_EQ(average.count(), 8);
    const DynamicFigures f = measureFigures(average.average(), FigureOptions{});
    EXPECT_EQ(f.records, 8);
    // The noise of the average is the average noise (the bins are averaged as powers).
    EXPECT_NEAR(f.noisePower, meanNoise, 1e-9 * meanNoise);
    EXPECT_NEAR(f.noisePower, 4.0, 0.2);

    EXPECT_THROW(
        average.add(analyser.spectrum(synthesise(512, fullScale(12, 11)), WindowKind::Hann)),
        NumberedError);
    EXPECT_THROW(
        average.add(analyser.spectrum(synthesise(1024, fullScale(12, 11)), WindowKind::None)),
        NumberedError);
    average.clear();
    EXPECT_EQ(average.count(), 0);
}

TEST(DynamicFigures, SinadCountsEveryBinOnceWithEveryWindow) {
    // 12 bits, -1 dBFS on bin 67 of 1024, 0.5 LSB of noise, 2nd and 3rd at -80 dBc: SINAD is the
    // tone over noise, quantisation and harmonics together.
    const double amplitude = 2048.0 * std::pow(10.0, -1.0 / 20.0);
    const double ps = amplitude * amplitude / 2;
    const double closedForm = 10 * std::log10(ps / (0.25 + 1.0 / 12 + 2 * ps * 1e-8));
    for (WindowKind kind : AllWindows) {
        double mean = 0.0;
        for (unsigned r = 1; r <= 20; ++r) {
            Tone t;
            t.cycles = 67;
            t.amplitude = amplitude;
            t.offset = 2048.0;
            t.harmonicsDbc = {-80.0, -80.0};
            t.noiseRms = 0.5;
            t.seed = r;
            mean += figuresOf(quantise(synthesise(1024, t), 12), kind, 12).sinad / 20;
        }
        EXPECT_NEAR(mean, closedForm, 0.1) << windowInfo(kind).name.toStdString();
    }
}
