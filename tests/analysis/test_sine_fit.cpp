// Protects the IEEE 1241 sine fits: parameters of clean tones recovered exactly, the frequency
// of the four-parameter fit to a millionth, and the ENOB of a quantised tone.
#include <gtest/gtest.h>

#include "Synth.h"
#include "analysis/SineFit.h"
#include "common/NumberedError.h"

using namespace rq;
using namespace rq::analysis;
using namespace rq::test;

TEST(SineFit, ThreeParametersOfACleanToneAtItsFrequency) {
    Tone t;
    t.cycles = 123.25;
    t.amplitude = 700.0;
    t.offset = -12.5;
    t.phase = 2.5;
    const std::vector<double> x = synthesise(2000, t);  // any length will do
    const SineFit fit = fitSine3(x, 123.25 / 2000, 12, 2000.0);
    EXPECT_FALSE(fit.fourParameter);
    EXPECT_NEAR(fit.amplitude, 700.0, 1e-8);
    EXPECT_NEAR(fit.offset, -12.5, 1e-8);
    EXPECT_NEAR(fit.phase, 2.5, 1e-10);
    EXPECT_NEAR(fit.frequency, 123.25, 1e-12);
    EXPECT_LT(fit.residualRms, 1e-8);
    ASSERT_EQ(fit.residual.size(), x.size());

    // At a frequency slightly off, the residual takes what the fit cannot follow.
    EXPECT_GT(fitSine3(x, 123.5 / 2000, 12, 2000.0).residualRms, 100.0);
}

TEST(SineFit, FourParametersFindTheFrequencyToAMillionth) {
    for (double cycles : {3.7, 101.0, 1021.37, 4000.49}) {
        Tone t;
        t.cycles = cycles;
        t.amplitude = 1800.0;
        t.offset = 2048.0;
        t.phase = -1.0;
        const std::vector<double> x = synthesise(8192, t);
        // Started a tenth of a bin off, as the spectrum's estimate might be.
        const SineFit fit = fitSine4(x, (cycles + 0.1) / 8192, 12, 1e6);
        EXPECT_TRUE(fit.fourParameter);
        EXPECT_TRUE(fit.converged) << cycles;
        const double expected = cycles / 8192 * 1e6;
        EXPECT_NEAR(fit.frequency / expected, 1.0, 1e-6) << cycles;
        EXPECT_NEAR(fit.amplitude, 1800.0, 1e-3) << cycles;
        EXPECT_NEAR(fit.offset, 2048.0, 1e-3) << cycles;
        EXPECT_NEAR(fit.phase, -1.0, 1e-5) << cycles;
    }
}

TEST(SineFit, EnobOfAQuantisedToneAndOfAddedNoise) {
    for (int bits : {8, 12}) {
        Tone t = fullScale(bits, 1021.37);
        const std::vector<double> x = quantise(synthesise(8192, t), bits);
        const SineFit fit = fitSine4(x, 1021.4 / 8192, bits, 1.0);
        EXPECT_NEAR(fit.residualRms, 1.0 / std::sqrt(12.0), 0.01) << bits;
        EXPECT_NEAR(fit.enob, bits, 0.05) << bits;
    }
    Tone t = fullScale(12, 55.5);
    t.noiseRms = 2.0;
    const SineFit fit = fitSine4(synthesise(4096, t), 55.5 / 4096, 12, 1.0);
    EXPECT_NEAR(fit.residualRms, 2.0, 0.05);
    EXPECT_NEAR(fit.enob, 12 - std::log2(2.0 * std::sqrt(12.0)), 0.05);
}

TEST(SineFit, RefusesWhatItCannotFit) {
    const std::vector<double> x = synthesise(64, fullScale(8, 5));
    EXPECT_THROW(fitSine3(std::span(x).first(7), 0.1, 8, 1.0), NumberedError);
    for (double f : {0.0, 0.5, -0.1, std::nan("")}) {
        EXPECT_THROW(fitSine3(x, f, 8, 1.0), NumberedError) << f;
        EXPECT_THROW(fitSine4(x, f, 8, 1.0), NumberedError) << f;
    }
    // A constant has no sine in it to fit the phase of: the system is singular.
    EXPECT_THROW(fitSine3(std::vector<double>(64, 0.0), 0.0, 8, 1.0), NumberedError);
    // Started far from any tone, the four-parameter fit does not pretend to have converged.
    try {
        const SineFit lost = fitSine4(synthesise(4096, fullScale(8, 400)), 0.02, 8, 1.0);
        EXPECT_TRUE(!lost.converged || std::fabs(lost.cyclesPerSample - 400.0 / 4096) < 1e-9);
    } catch (const NumberedError&) {
    }
}
