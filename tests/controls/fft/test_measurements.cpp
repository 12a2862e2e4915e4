// Protects SNR, THD and where the harmonics are looked for: aliasing of harmonics, the windows and
// sums of the measurements, and what CalcFFT leaves in its properties.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "FftRecords.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "fft/FftAnalysis.h"

using fftrecords::db;
using fftrecords::makeTone;
using fftrecords::toDb;
using fftrecords::Tone;
using fftrecords::toneSum;
using rq::FftAnalysis;

TEST(LocateHarmonics, PlacesHarmonicsWhereTheyAlias) {
    std::array<int32_t, 7> h{};
    FftAnalysis::LocateHarmonics(100, 2048, h);
    EXPECT_EQ(h, (std::array<int32_t, 7>{100, 199, 298, 397, 496, 595, 694}));
    FftAnalysis::LocateHarmonics(1000, 2048, h);
    EXPECT_EQ(h[2], 1100);
    EXPECT_EQ(h[4], 900);

    // Against the distance of h x bin to the nearest multiple of N, for every fundamental.
    const int L = 64, N = 128;
    for (int F = 1; F <= L; ++F) {
        FftAnalysis::LocateHarmonics(F, L, h);
        EXPECT_EQ(h[0], F);
        for (int k = 2; k <= 7; ++k) {
            const int c = k * (F - 1);
            const int alias = std::abs(c - N * static_cast<int>(std::lround(double(c) / N)));
            const int expected = (alias == 0 || alias == L) ? FftAnalysis::NoPosition : alias + 1;
            EXPECT_EQ(h[k - 1], expected) << "F " << F << " h " << k;
        }
    }
    // Bin 4 of 16: the second harmonic sits at Nyquist and the fourth at DC; neither has a
    // position of its own.
    FftAnalysis::LocateHarmonics(5, 8, h);
    EXPECT_EQ(h, (std::array<int32_t, 7>{5, FftAnalysis::NoPosition, 5, FftAnalysis::NoPosition, 5,
                                         FftAnalysis::NoPosition, 5}));
    EXPECT_THROW(FftAnalysis::LocateHarmonics(400000000, 2048, h), rq::NumberedError);
}

TEST(SpectralMeasurements, WindowsAndSumsOfInOrderHarmonics) {
    // 64 positions, fundamental at 5 (bin 4), harmonics at 9, 13, ..., 29.
    std::vector<double> p(64, 1e-6);
    p[0] = 0.5;    // DC, never counted
    p[1] = 2e-5;   // position DCBins: noise starts here
    p[63] = 3e-5;  // last position: noise unless harmonics count as noise
    p[4] = 1.0;
    p[3] = p[5] = 0.01;
    for (int pos = 9; pos <= 29; pos += 4) {
        p[pos - 1] = 1e-3;
        p[pos - 2] = p[pos] = 1e-4;
    }
    FftAnalysis fft;
    fft.setStoredSpectrum(toDb(p));
    fft.setDCBins(2);
    fft.setSIGBins(1);
    const double signal = 1.02;
    // Left after the seven windows: 2, 3, 7, 11, ..., 27 and 31..64.
    EXPECT_NEAR(fft.CalcSNR(), db(signal / (2e-5 + 3e-5 + 40e-6)), 1e-9);
    EXPECT_EQ(fft.Fund(), 5);
    EXPECT_NEAR(fft.CalcTHD(), db(6 * 1.2e-3 / signal), 1e-9);

    fft.setHarmonicsInNoise(true);  // 2..3 and 7..63
    EXPECT_NEAR(fft.CalcSNR(), db(signal / (2e-5 + 1e-6 + 6 * 1.2e-3 + 39e-6)), 1e-9);
}

TEST(SpectralMeasurements, OutOfOrderHarmonicsFollowTheChainedExclusion) {
    // Fundamental at 50 of 64: harmonics fold to 31, 20, 61, 12, 39, 42.
    std::vector<double> p(64, 1e-6);
    p[49] = 1.0;
    const int positions[] = {31, 20, 61, 12, 39, 42};
    double power = 1e-3, harmonicTotal = 0;
    for (int pos : positions) {
        p[pos - 1] = power;
        harmonicTotal += power;
        power *= 2;
    }
    FftAnalysis fft;
    fft.setStoredSpectrum(toDb(p));
    fft.setSIGBins(1);
    std::array<int32_t, 7> h{};
    FftAnalysis::LocateHarmonics(50, 64, h);
    EXPECT_EQ(h, (std::array<int32_t, 7>{50, 31, 20, 61, 12, 39, 42}));
    // Each window only reaches up to the chain above it: just 49..51 and 60..62 are left out,
    // so every harmonic but the fourth (at 61, 4e-3) counts as noise.
    EXPECT_NEAR(fft.CalcSNR(), db((1 + 2e-6) / (harmonicTotal - 4e-3 + 49e-6)), 1e-9);
    EXPECT_NEAR(fft.CalcTHD(), db((harmonicTotal + 12e-6) / (1 + 2e-6)), 1e-9);

    // Windows of 39 and 42 overlap at 40 and 41 with SIGBins 2: counted once.
    p[39] = 5e-3;
    fft.setStoredSpectrum(toDb(p));
    fft.setSIGBins(2);
    EXPECT_NEAR(fft.CalcTHD(), db((harmonicTotal + 5e-3 + 21e-6) / (1 + 4e-6)), 1e-9);
}

TEST(SpectralMeasurements, FailuresReadZero) {
    std::vector<double> p(64, 1e-6);
    p[2] = 1.0;  // fundamental at 3, window of 4 reaches below position 1
    FftAnalysis fft;
    fft.setStoredSpectrum(toDb(p));
    fft.setDCBins(1);
    EXPECT_EQ(fft.CalcSNR(), 0.0);
    EXPECT_EQ(fft.CalcTHD(), 0.0);
    // Nothing left to call noise: 0 rather than a logarithm of zero.
    std::vector<double> q(9, 1e-6);
    q[4] = 1.0;
    fft.setStoredSpectrum(toDb(q));
    fft.setSIGBins(3);
    fft.setDCBins(2);
    fft.setHarmonicsInNoise(true);
    EXPECT_EQ(fft.CalcSNR(), 0.0);
    fft.setStoredSpectrum({});
    EXPECT_EQ(fft.CalcSNR(), 0.0);
}

TEST(SpectralMeasurements, SyntheticToneWithinHalfADecibelOfItsConstruction) {
    const int M = Tone::N / 2, d = 5, w = 4;
    struct Case {
        int bin;
        int excludedWindows;                 // windows the chained rule leaves out of the noise
        int firstNoiseHarmonic;              // harmonics from here on count as noise anyway
    } cases[] = {{127, 7, 8}, {700, 3, 4}};  // at 700 harmonics 4..7 fold below the third
    for (const Case& c : cases) {
        const Tone t = makeTone(c.bin, 17u + c.bin);
        FftAnalysis fft;
        std::vector<double> out;
        fft.CalcFFT(t.x, out, 1000000);
        ASSERT_EQ(fft.Fund(), c.bin + 1);

        double allHarmonics = 0, harmonicsInNoise = 0;
        for (int h = 2; h <= 7; ++h) {
            allHarmonics += toneSum(t.a[h]);
            harmonicsInNoise += h >= c.firstNoiseHarmonic ? toneSum(t.a[h]) : 0;
        }
        const int K = (M - d + 1) - c.excludedWindows * (2 * w + 1);
        const double snr = db(toneSum(Tone::A) / (K * t.noisePower + harmonicsInNoise));
        const double thd = db(allHarmonics / toneSum(Tone::A));
        EXPECT_NEAR(fft.SNR(), snr, 0.5) << c.bin;
        EXPECT_NEAR(fft.THD(), thd, 0.5) << c.bin;

        // With harmonics as noise: DCBins..F-w-1 and F+w+1..M-1, every harmonic included.
        const int F = c.bin + 1;
        const int K2 = (F - w - d) + (M - 1 - (F + w + 1) + 1);
        fft.setHarmonicsInNoise(true);
        const double withHarms = fft.CalcSNR();
        EXPECT_NEAR(withHarms, db(toneSum(Tone::A) / (K2 * t.noisePower + allHarmonics)), 0.5);
        // The properties keep the record's measurement.
        EXPECT_NEAR(fft.SNR(), snr, 0.5) << c.bin;
    }
}

TEST(SpectralMeasurements, ToneAtAQuarterOfTheRateHasNoHarmonicWindows) {
    // At fs/4 the even harmonics fold onto Nyquist and DC and the odd ones onto the tone itself,
    // so no window can measure them: THD reads the failure's 0, not the DC skirt. The skirt of
    // the harmonics on Nyquist, in the last w positions, is distortion: it stays out of the noise
    // unless harmonics count as noise, so counting them cannot raise SNR.
    const int M = Tone::N / 2, d = 5, w = 4, bin = Tone::N / 4;
    const Tone t = makeTone(bin, 41u);
    FftAnalysis fft;
    std::vector<double> out;
    fft.CalcFFT(t.x, out, 1000000);
    ASSERT_EQ(fft.Fund(), bin + 1);
    const int32_t F = bin + 1, none = FftAnalysis::NoPosition;
    EXPECT_EQ(fft.harmonics(), (std::array<int32_t, 7>{F, none, F, none, F, none, F}));
    EXPECT_EQ(fft.CalcTHD(), 0.0);
    EXPECT_EQ(fft.THD(), 0.0);

    const int K = (M - d + 1) - (2 * w + 1) - w;
    EXPECT_NEAR(fft.SNR(), db(toneSum(Tone::A) / (K * t.noisePower)), 0.5);
    const double without = fft.CalcSNR();
    fft.setHarmonicsInNoise(true);
    EXPECT_LT(fft.CalcSNR(), without);
}

TEST(CalcFFT, PropertiesHoldThreeDecimalsAndAFailureZeroesThem) {
    const Tone t = makeTone(127, 5);
    FftAnalysis fft;
    fft.setSampleFrequency(1);
    std::vector<double> out;
    fft.CalcFFT(t.x, out);
    EXPECT_EQ(fft.lastError(), 0);
    EXPECT_EQ(fft.SampleFrequency(), 100000);
    EXPECT_EQ(fft.peakFrequency(), 50000.0 / 2048 * 127);  // bin 127 of 4096 at 100 kHz
    ASSERT_EQ(out.size(), 2048u);
    EXPECT_EQ(fft.storedSpectrum(), out);
    // The properties hold the measurement to three decimals, as the read-outs show it.
    EXPECT_EQ(fft.measuredSNR(), fft.CalcSNR());
    EXPECT_EQ(fft.measuredTHD(), fft.CalcTHD());
    EXPECT_EQ(fft.SNR(), std::round(fft.CalcSNR() * 1000) / 1000);
    EXPECT_EQ(fft.THD(), std::round(fft.CalcTHD() * 1000) / 1000);
    EXPECT_NE(fft.SNR(), fft.CalcSNR());

    // A failed record zeroes the output and the measurements, and keeps the older spectrum.
    const std::vector<double> stored = fft.storedSpectrum();
    fft.CalcFFT(std::vector<double>(4096, 0.0), out, 1000000);
    EXPECT_EQ(fft.lastError(), 531);
    EXPECT_EQ(out, std::vector<double>(2048, 0.0));
    EXPECT_EQ(fft.SNR(), 0.0);
    EXPECT_EQ(fft.THD(), 0.0);
    EXPECT_EQ(fft.measuredSNR(), 0.0);
    EXPECT_EQ(fft.measuredTHD(), 0.0);
    EXPECT_EQ(fft.peakFrequency(), 0.0);  // not the good record's 3100.6 Hz
    EXPECT_EQ(fft.storedSpectrum(), stored);

    // The next good record clears the failure.
    fft.CalcFFT(t.x, out);
    EXPECT_EQ(fft.lastError(), 0);
    EXPECT_TRUE(fft.lastErrorText().isEmpty());
}

TEST(SNRincHarm, FixedWindowsSetTheProperty) {
    std::vector<double> dB(64, -60.0);
    dB[30] = 0.0;
    FftAnalysis fft;
    EXPECT_EQ(fft.SNRincHarm(dB, 64), 0.0);
    EXPECT_EQ(fft.Fund(), 30);
    // Signal 25..35, noise 4..24 and 36..63.
    EXPECT_NEAR(fft.SNR(), db((1 + 10e-6) / 49e-6), 1e-9);
    dB[30] = -100.0;
    dB[3] = 0.0;  // its window would start at -2
    fft.SNRincHarm(dB, 64);
    EXPECT_NEAR(fft.SNR(), db((1 + 10e-6) / 49e-6), 1e-9);
}
