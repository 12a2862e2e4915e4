// Protects the figures' warnings: each is raised by the record it is about, carries its count,
// and a clean coherent record raises none.
#include <gtest/gtest.h>

#include <algorithm>

#include "Synth.h"
#include "analysis/Warnings.h"

using namespace rq::analysis;
using namespace rq::test;

namespace {

std::vector<std::string> codes(const Warnings& w) {
    std::vector<std::string> out;
    for (const Warning& x : w) {
        out.push_back(x.code.toStdString());
    }
    return out;
}

// Record and spectrum checks of a 12-bit record.
Warnings warningsOf(const std::vector<double>& x, WindowKind window, int bits = 12) {
    SpectrumAnalyser analyser;
    const PowerSpectrum s = analyser.spectrum(x, window);
    FigureOptions options;
    options.fullScaleBits = bits;
    Warnings w;
    checkRecord(x, rq::converterCodes(bits, false), w);
    checkSpectrum(s, measureFigures(s, options), w);
    return w;
}

Tone cleanTone(double cycles = 67) {
    Tone t;
    t.cycles = cycles;
    t.amplitude = 2048.0 * std::pow(10.0, -1.0 / 20.0);
    t.offset = 2048.0;
    t.noiseRms = 0.5;
    return t;
}

}  // namespace

TEST(Warnings, CleanCoherentRecordRaisesNone) {
    const std::vector<double> x = quantise(synthesise(1024, cleanTone()), 12);
    for (WindowKind kind : {WindowKind::PanelBlackmanHarris, WindowKind::BlackmanHarris7,
                            WindowKind::Hann, WindowKind::FlatTop, WindowKind::None}) {
        EXPECT_TRUE(warningsOf(x, kind).empty()) << windowInfo(kind).name.toStdString();
    }
    // A long record of a tone that is no simple fraction of the rate sweeps every code.
    CodeHistogram h(8, 0);
    Tone t = fullScale(8, 1021.37);
    t.amplitude += 2.0;  // just past both ends, as a code-density test wants
    t.noiseRms = 0.3;
    for (unsigned r = 1; r <= 64; ++r) {
        t.seed = r;
        t.phase = 0.1 * r;
        h.add(quantise(synthesise(16384, t), 8));
    }
    Warnings w;
    checkLinearity(codeDensity(h, LinearityInput::Sine), w);
    EXPECT_TRUE(w.empty()) << (w.empty() ? "" : w[0].text.toStdString());
}

TEST(Warnings, ClippingAndCodesOutsideTheConverter) {
    Tone t = cleanTone();
    t.amplitude = 2300.0;  // past full scale: the quantiser holds the ends
    Warnings w = warningsOf(quantise(synthesise(1024, t), 12), WindowKind::PanelBlackmanHarris);
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w[0].code, "clipping");
    EXPECT_GT(w[0].count.value_or(0), 100);

    // 12-bit codes analysed as 8-bit ones: every sample above 255 is counted.
    const std::vector<double> x = quantise(synthesise(1024, cleanTone()), 12);
    const auto above = std::count_if(x.begin(), x.end(), [](double v) { return v > 255.0; });
    Warnings narrow;
    checkRecord(x, rq::converterCodes(8, false), narrow);
    const auto outside = std::find_if(narrow.begin(), narrow.end(),
                                      [](const Warning& x) { return x.code == u"outside_bits"; });
    ASSERT_NE(outside, narrow.end());
    EXPECT_EQ(outside->count, above);
    // Two's complement: -128 .. 127 holds a tone about zero.
    std::vector<double> centred = x;
    for (double& v : centred) {
        v = std::round((v - 2048.0) / 32.0);
    }
    Warnings twos;
    checkRecord(centred, rq::converterCodes(8, true), twos);
    EXPECT_TRUE(twos.empty());
}

TEST(Warnings, NotNumbersCarryTheirCount) {
    Warnings w;
    checkNotNumbers(0, w);
    EXPECT_TRUE(w.empty());
    checkNotNumbers(3, w);
    ASSERT_EQ(codes(w), std::vector<std::string>{"not_numbers"});
    EXPECT_EQ(w[0].count, 3);
}

TEST(Warnings, NoiseAloneHasNoTone) {
    Tone t;
    t.offset = 2048.0;
    t.noiseRms = 20.0;
    EXPECT_EQ(codes(warningsOf(quantise(synthesise(4096, t), 12), WindowKind::PanelBlackmanHarris)),
              std::vector<std::string>{"no_tone"});
}

TEST(Warnings, ToneBetweenBinsLeaksWithAShortWindowOnly) {
    const std::vector<double> x = quantise(synthesise(4096, cleanTone(301.37)), 12);
    for (WindowKind kind : {WindowKind::None, WindowKind::Hann}) {
        EXPECT_EQ(codes(warningsOf(x, kind)), std::vector<std::string>{"leakage"})
            << windowInfo(kind).name.toStdString();
    }
    EXPECT_TRUE(warningsOf(x, WindowKind::BlackmanHarris7).empty());
}

TEST(Warnings, MaskedHarmonicsAreNamedWithWhatMasksThem) {
    // Bin 205 of 1024 with Hann: H3 folds beside H2, H4 and H6 land on the tone, H5 on DC.
    Tone t = cleanTone(205);
    t.harmonicsDbc = {-70.0};
    const Warnings w = warningsOf(quantise(synthesise(1024, t), 12), WindowKind::Hann);
    ASSERT_EQ(codes(w), std::vector<std::string>{"masked_harmonic"});
    // H3 shares H2's bins and is summed with it; the others are lost.
    EXPECT_EQ(w[0].count, 3);
    EXPECT_TRUE(
        w[0].text.startsWith("H4–H6 masked (H4 by the fundamental's lobe, H5 by DC's "
                             "lobe, H6 by the fundamental's lobe)"))
        << w[0].text.toStdString();
    EXPECT_EQ(harmonicList({2, 4, 5, 6}), "H2, H4–H6");
    EXPECT_EQ(harmonicList({3}), "H3");
}

TEST(Warnings, LinearityWarningsHaveCodes) {
    // A tone locked to a quarter of the rate gives four codes again and again.
    CodeHistogram locked(8, 0);
    Tone t = fullScale(8, 256);
    t.amplitude += 2.0;
    locked.add(quantise(synthesise(1024, t), 8));
    Warnings w;
    checkLinearity(codeDensity(locked, LinearityInput::Sine), w);
    ASSERT_EQ(codes(w), std::vector<std::string>{"codes_not_swept"});
    EXPECT_GT(w[0].count.value_or(0), 12);

    CodeHistogram few(8, 0);
    t.cycles = 1021.37;
    t.noiseRms = 0.3;
    few.add(quantise(synthesise(4096, t), 8));
    w.clear();
    checkLinearity(codeDensity(few, LinearityInput::Sine), w);
    ASSERT_EQ(codes(w), std::vector<std::string>{"few_samples_per_code"});
}

TEST(Warnings, ToneInsideDcLobeIsMeasuredAtItsOwnBin) {
    // Bin 3 of 4096 with the panel's window, whose lobe reaches 4 bins: DC and the tone share
    // bins, but the tone's lobe and its image below DC only meet at DC itself.
    Tone t = cleanTone(3);
    t.offset = 1900.0;
    t.harmonicsDbc = {-75.0};
    const std::vector<double> x = quantise(synthesise(4096, t), 12);
    SpectrumAnalyser analyser;
    const PowerSpectrum s = analyser.spectrum(x, WindowKind::PanelBlackmanHarris);
    const DynamicFigures f = measureFigures(s, FigureOptions{});
    EXPECT_EQ(f.fundamentalBin, 3);
    EXPECT_NEAR(f.refinedBin, 3.0, 0.01);
    EXPECT_NEAR(f.dc, 1900.0, 0.05);
    EXPECT_NEAR(f.fundamentalDbfs, -1.0, 0.05);
    EXPECT_TRUE(f.toneInDcLobe);
    ASSERT_TRUE(f.harmonics[0].masked);
    EXPECT_EQ(f.harmonics[0].maskedBy, Harmonic::MaskedBy::Fundamental);
    Warnings w;
    checkSpectrum(s, f, w);
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w[0].code, "dc_lobe");
    EXPECT_TRUE(std::isfinite(f.snr));
    EXPECT_TRUE(thdCaption(f).startsWith("THD (H3")) << thdCaption(f).toStdString();
    EXPECT_TRUE(thdCaption(f).endsWith("so THD is a lower bound)")) << thdCaption(f).toStdString();
    EXPECT_TRUE(sfdrCaption(f).startsWith("SFDR (H2 masked by the fundamental's lobe"))
        << sfdrCaption(f).toStdString();

    // One bin out, tone and image overlap: nothing relative to the tone is given.
    const std::vector<double> close = quantise(synthesise(4096, cleanTone(1)), 12);
    const PowerSpectrum cs = analyser.spectrum(close, WindowKind::PanelBlackmanHarris);
    const DynamicFigures c = measureFigures(cs, FigureOptions{});
    EXPECT_FALSE(c.toneApartFromDc);
    for (double v : {c.frequency, c.snr, c.sinad, c.thd, c.sfdrDbc, c.enob}) {
        EXPECT_TRUE(std::isnan(v));
    }
    Warnings cw;
    checkSpectrum(cs, c, cw);
    EXPECT_EQ(codes(cw), std::vector<std::string>{"dc_lobe"});
}

TEST(Warnings, ThdCaptionNamesWhatItSums) {
    Tone t = cleanTone();
    t.harmonicsDbc = {-80.0, -85.0};
    SpectrumAnalyser analyser;
    const DynamicFigures clean = measureFigures(
        analyser.spectrum(quantise(synthesise(1024, t), 12), WindowKind::PanelBlackmanHarris),
        FigureOptions{});
    EXPECT_EQ(thdCaption(clean), "THD (H2–H6)");
    EXPECT_EQ(sfdrCaption(clean), "SFDR");
    // Near a third of the rate the 2nd folds back onto the tone.
    t.cycles = 341;
    const DynamicFigures third = measureFigures(
        analyser.spectrum(quantise(synthesise(1024, t), 12), WindowKind::PanelBlackmanHarris),
        FigureOptions{});
    // ... and every other harmonic onto the tone or DC.
    EXPECT_TRUE(thdHarmonics(third).empty());
    EXPECT_TRUE(std::isnan(third.thd));
    EXPECT_EQ(maskedHarmonics(third), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(thdCaption(third),
              "THD (no harmonic measured; H2 masked by the fundamental's lobe, H3 by DC's lobe, "
              "H4–H5 by the fundamental's lobe, H6 by DC's lobe, so THD is a lower bound)");
}
