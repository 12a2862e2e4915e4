// Protects the converter model behind the simulated board: tone, harmonic and noise levels,
// offset, clipping at the code range, the two codings, and static errors that the code-density
// test finds where they were put.
#include <gtest/gtest.h>

#include <algorithm>

#include "SimLink.h"
#include "analysis/Linearity.h"
#include "simboard/ConverterModel.h"

using namespace rq;
using namespace rq::test;

TEST(ConverterModel, DefaultsShowToneHarmonicsAndNoiseAtTheirLevels) {
    const ConverterModel model{ConverterSettings{}};
    const std::vector<double> x = decode(model.record(8192, 100000.0, 0), 12, false);
    const ToneFit fit = fitTones(x, {0.1, 0.2, 0.3});
    EXPECT_NEAR(dB(fit.amplitudes[0] / 2048.0), -1.0, 0.01);
    EXPECT_NEAR(dB(fit.amplitudes[1] / fit.amplitudes[0]), -75.0, 1.5);
    EXPECT_NEAR(dB(fit.amplitudes[2] / fit.amplitudes[0]), -80.0, 2.5);
    // Noise and quantisation together: sqrt(0.5^2 + 1/12) LSB.
    EXPECT_NEAR(fit.residualRms, 0.577, 0.03);
    // A rate off by one period count drifts visibly over a long record.
    EXPECT_GT(fitTones(x, {10000.0 / (40e6 / 401.0)}).residualRms, 20.0);
}

TEST(ConverterModel, SettingsShapeTheRecord) {
    ConverterSettings s;
    s.bits = 16;
    s.toneFrequency = 1234.0;
    s.toneLevel = -6.0;
    s.harmonics = {-40.0, -50.0, -60.0};
    s.noiseRms = 4.0;
    s.offset = 100.5;
    const std::vector<double> x = decode(ConverterModel(s).record(8192, 50000.0, 3), 16, false);
    const double f = 1234.0 / 50000.0;
    const ToneFit fit = fitTones(x, {f, 2 * f, 3 * f, 4 * f});
    EXPECT_NEAR(fit.mean, 32768.0 + 100.5, 0.1);
    EXPECT_NEAR(dB(fit.amplitudes[0] / 32768.0), -6.0, 0.01);
    for (int h = 2; h <= 4; ++h) {
        const double level = dB(fit.amplitudes[h - 1] / fit.amplitudes[0]);
        EXPECT_NEAR(level, -20.0 - 10.0 * h, 0.3) << "harmonic " << h;
    }
    EXPECT_NEAR(fit.residualRms, 4.0, 0.1);
}

TEST(ConverterModel, OverdriveClipsAtTheCodeRangeInBothCodings) {
    ConverterSettings s;
    s.toneLevel = 6.0;
    const std::vector<uint16_t> straight = ConverterModel(s).record(1024, 100000.0, 0);
    EXPECT_EQ(*std::min_element(straight.begin(), straight.end()), 0);
    EXPECT_EQ(*std::max_element(straight.begin(), straight.end()), 4095);

    s.twosComplement = true;
    const ConverterModel twos(s);
    const std::vector<uint16_t> words = twos.record(1024, 100000.0, 0);
    int low = 0, high = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        // Same record, recoded: the top bit flipped and the sign carried to bit 15.
        const int16_t signedWord = static_cast<int16_t>(words[i]);
        EXPECT_EQ(signedWord + 2048, straight[i]);
        low = std::min<int>(low, signedWord);
        high = std::max<int>(high, signedWord);
    }
    EXPECT_EQ(low, -2048);
    EXPECT_EQ(high, 2047);
    EXPECT_EQ(twos.wordFor(0), 0xF800);
    EXPECT_EQ(twos.midScaleWord(), 0);
}

TEST(ConverterModel, OverflowingSettingsStillGiveCodesInRange) {
    // An infinite tone and its harmonics add up to NaN at some samples; the float-to-integer
    // conversion of NaN is undefined, so the model must not reach it.
    ConverterSettings s;
    s.toneLevel = 7000.0;
    const ConverterModel model{s};
    const std::vector<uint16_t> words = model.record(1024, 100000.0, 0);
    for (uint16_t w : words) {
        EXPECT_LE(w, model.maxCode());
    }
    EXPECT_TRUE(std::any_of(words.begin(), words.end(), [](uint16_t w) { return w == 0; }));
    EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](uint16_t w) { return w == 4095; }));
}

TEST(ConverterModel, StaticErrorsShowInTheCodeDensity) {
    // An overdriven quiet tone over 16 records, 8 bits: every code well filled.
    ConverterSettings s;
    s.bits = 8;
    s.toneLevel = 0.2;
    s.toneFrequency = 1234.5;
    s.harmonics = {};
    s.noiseRms = 0.0;
    s.missingCode = 100;
    s.wideCode = 40;
    s.inlBow = 0.8;
    const ConverterModel model{s};
    ASSERT_EQ(model.transitions().size(), 255u);
    analysis::CodeHistogram histogram(8, 0);
    for (uint64_t r = 0; r < 16; ++r) {
        histogram.add(decode(model.record(16384, 100000.0, r), 8, false));
    }
    const analysis::Linearity l = analysis::codeDensity(histogram, analysis::LinearityInput::Sine);
    const auto dnl = [&](int code) { return l.dnl[static_cast<size_t>(code - l.firstCode)]; };
    EXPECT_EQ(l.missingCodes, std::vector<int>{100});
    EXPECT_NEAR(dnl(101), 1.0, 0.15);
    EXPECT_NEAR(dnl(40), 1.0, 0.15);
    EXPECT_NEAR(dnl(60), 0.0, 0.15);
    // The wide code shifts everything above it by an LSB, which the end-point line spreads.
    EXPECT_NEAR(l.inlEndPointMax, 0.8 + 0.5, 0.35);
    EXPECT_EQ(histogram.counts()[100], 0u);

    // Each error alone, in two's complement: the missing code is gone from the words.
    ConverterSettings one = s;
    one.twosComplement = true;
    one.wideCode = -1;
    one.inlBow = 0.0;
    const std::vector<uint16_t> words = ConverterModel(one).record(16384, 100000.0, 0);
    EXPECT_EQ(std::count(words.begin(), words.end(), ConverterModel(one).wordFor(100)), 0);
    EXPECT_GT(std::count(words.begin(), words.end(), ConverterModel(one).wordFor(101)), 0);
    // Out-of-range settings leave the converter ideal.
    ConverterSettings ideal = s;
    ideal.missingCode = 255;
    ideal.wideCode = 0;
    ideal.inlBow = std::nan("");
    EXPECT_TRUE(ConverterModel(ideal).transitions().empty());
}
