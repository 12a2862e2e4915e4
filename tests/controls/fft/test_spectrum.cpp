// Protects the dB spectrum every read-out is built on: the spectrum against a direct DFT, the
// fast path against the plain algorithm, the window, averaging, the peak frequency and 531.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <optional>
#include <random>
#include <vector>

#include "DirectDft.h"
#include "FftRecords.h"
#include "common/NumberedError.h"
#include "fft/FftAnalysis.h"

using fftrecords::adcRecord;
using fftrecords::tone;
using rq::FftAnalysis;
using rq::NumberedError;

namespace {

// The plain algorithm: 1-based arrays (element 0 unused), recurrences, no tables.
namespace plain {

using Vec = std::vector<double>;

void complexFFT(Vec& D, long nn, int isign) {
    const long n = 2 * nn;
    long j = 1;
    for (long i = 1; i < n; i += 2) {
        if (j > i) {
            std::swap(D[j], D[i]);
            std::swap(D[j + 1], D[i + 1]);
        }
        long m = nn;
        while (m >= 2 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
    for (long mmax = 2; n > mmax; mmax *= 2) {
        const long istep = 2 * mmax;
        const double theta = isign * (6.28318530717959 / mmax);
        const double t = std::sin(theta / 2);
        const double wpr = -2 * t * t, wpi = std::sin(theta);
        double wr = 1, wi = 0;
        for (long m = 1; m <= mmax - 1; m += 2) {
            for (long i = m; i <= n; i += istep) {
                j = i + mmax;
                const double tr = wr * D[j] - wi * D[j + 1];
                const double ti = wr * D[j + 1] + wi * D[j];
                D[j] = D[i] - tr;
                D[j + 1] = D[i + 1] - ti;
                D[i] = D[i] + tr;
                D[i + 1] = D[i + 1] + ti;
            }
            const double old = wr;
            wr = wr * wpr - wi * wpi + wr;
            wi = wi * wpr + old * wpi + wi;
        }
    }
}

void realFFT(Vec& D, long n, int isign) {
    double theta = 3.14159265358979 / (n / 2);
    const double c1 = 0.5;
    double c2;
    if (isign == 1) {
        c2 = -0.5;
        complexFFT(D, n / 2, 1);
    } else {
        c2 = 0.5;
        theta = -theta;
    }
    const double t = std::sin(theta / 2);
    const double wpr = -2 * t * t, wpi = std::sin(theta);
    double wr = 1 + wpr, wi = wpi;
    for (long i = 2; i <= n / 4; ++i) {
        const long i1 = 2 * i - 1, i2 = i1 + 1, i3 = n + 3 - i2, i4 = i3 + 1;
        const double h1r = c1 * (D[i1] + D[i3]), h1i = c1 * (D[i2] - D[i4]);
        const double h2r = -c2 * (D[i2] + D[i4]), h2i = c2 * (D[i1] - D[i3]);
        D[i1] = h1r + wr * h2r - wi * h2i;
        D[i2] = h1i + wr * h2i + wi * h2r;
        D[i3] = h1r - wr * h2r + wi * h2i;
        D[i4] = -h1i + wr * h2i + wi * h2r;
        const double old = wr;
        wr = wr * wpr - wi * wpi + wr;
        wi = wi * wpr + old * wpi + wi;
    }
    const double h = D[1];
    if (isign == 1) {
        D[1] = h + D[2];
        D[2] = h - D[2];
    } else {
        D[1] = c1 * (h + D[2]);
        D[2] = c1 * (h - D[2]);
        complexFFT(D, n / 2, -1);
    }
}

// Normalised dB spectrum (0-based out) and the peak position.
std::vector<double> spectrum(const std::vector<double>& data, bool window, int dcBins, long& P) {
    const long N = static_cast<long>(data.size());
    Vec copy(N + 1), buf(N + 1), dB(N / 2 + 1);
    for (long i = 1; i <= N; ++i) {
        copy[i] = data[i - 1];
    }
    for (long i = 1; i <= N; ++i) {
        const double a = 6.28318530717958 * i / N;
        buf[i] = window ? (0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2 * a) -
                           0.01168 * std::cos(3 * a)) *
                              copy[i]
                        : copy[i];
    }
    realFFT(buf, N, 1);
    for (long k = 1; k <= N / 2; ++k) {
        const double m = std::sqrt(buf[2 * k - 1] * buf[2 * k - 1] + buf[2 * k] * buf[2 * k]);
        dB[k] = 20 * std::log(std::fabs(m)) / std::log(10.0);
    }
    double best = -1e300, R = -1e300;
    P = 0;
    for (long k = dcBins + 1; k <= N / 2; ++k) {
        if (dB[k] > best) {
            best = dB[k];
            P = k;
        }
    }
    for (long k = 1; k <= N / 2; ++k) {
        R = std::max(R, dB[k]);
    }
    std::vector<double> out(N / 2);
    for (long i = 0; i < N / 2; ++i) {
        out[i] = dB[i + 1] - R;
    }
    return out;
}

}  // namespace plain

void expectFailure531(FftAnalysis& fft, const std::vector<double>& data) {
    std::vector<double> out{7.0};
    try {
        fft.GenerateFFT(data, out);
        ADD_FAILURE() << "no failure for " << data.size() << " samples";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 531);
        EXPECT_EQ(e.source(), "FFT Control");
    }
    EXPECT_EQ(out, std::vector<double>{7.0}) << "output touched by a failed call";
}

}  // namespace

TEST(GenerateFFT, MatchesTheDirectDftWithAndWithoutTheWindow) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-100.0, 100.0);
    for (bool window : {false, true}) {
        for (int n : {8, 32, 128}) {
            std::vector<double> x(static_cast<size_t>(n));
            for (double& v : x) {
                v = u(rng);
            }
            // The window is indexed from 1: sample j takes the weight of point j + 1.
            std::vector<double> weighted = x;
            for (int j = 0; j < n && window; ++j) {
                const double a = 2 * M_PI * (j + 1) / n;
                weighted[j] *= 0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2 * a) -
                               0.01168 * std::cos(3 * a);
            }
            const auto X = rq::test::directDft(weighted);
            std::vector<double> expected(static_cast<size_t>(n / 2));
            expected[0] = 20 * std::log10(std::hypot(X[0].real(), X[n / 2].real()));
            for (int k = 1; k < n / 2; ++k) {
                expected[k] = 20 * std::log10(std::abs(X[k]));
            }
            const double top = *std::max_element(expected.begin(), expected.end());
            FftAnalysis fft;
            fft.setWindowing(window);
            std::vector<double> out;
            fft.GenerateFFT(x, out);
            ASSERT_EQ(out.size(), expected.size());
            for (size_t k = 0; k < out.size(); ++k) {
                EXPECT_NEAR(out[k], expected[k] - top, 1e-9) << "n " << n << " bin " << k;
            }
        }
    }
}

TEST(GenerateFFT, EveryValueAgreesWithThePlainAlgorithm) {
    for (bool window : {true, false}) {
        FftAnalysis fft;  // one object, so cached tables are reused across lengths
        fft.setWindowing(window);
        for (int n = 2; n <= 16384; n *= 2) {
            const std::vector<double> x = adcRecord(n, n / 9.7, static_cast<unsigned>(n));
            std::vector<double> out;
            const int32_t P = fft.GenerateFFT(x, out);
            long plainP = 0;
            const std::vector<double> expected = plain::spectrum(x, window, 5, plainP);
            ASSERT_EQ(out.size(), expected.size());
            EXPECT_EQ(P, plainP) << n;
            double worst = 0;
            for (size_t k = 0; k < out.size(); ++k) {
                worst = std::max(worst, std::fabs(out[k] - expected[k]));
            }
            EXPECT_LE(worst, 1e-9) << "n " << n << " window " << window;
        }
    }
}

TEST(GenerateFFT, WindowRunsFromThePointAfterZeroToTheFirstPoint) {
    FftAnalysis fft;
    const std::vector<double> ones(64, 1.0);
    std::vector<double> w(64);
    fft.Blackman_Harris(ones, w, 64);
    EXPECT_NEAR(w[63], 0.00006, 1e-12);  // last sample takes the window's first point
    EXPECT_GT(w[0], w[63]);
    EXPECT_NEAR(w[31], 1.0, 1e-12);  // the middle point, i = N/2
    fft.setWindowing(false);
    fft.Blackman_Harris(ones, w, 64);
    EXPECT_EQ(w, ones);
}

TEST(GenerateFFT, PeakPositionAndFrequency) {
    FftAnalysis fft;
    EXPECT_EQ(fft.peakFrequency(), std::nullopt);
    fft.setSampleFrequency(100000);
    std::vector<double> out;
    // Bin 31 of 1024 at 100 kHz is 3027.3 Hz; its position is 32.
    EXPECT_EQ(fft.GenerateFFT(tone(1024, 31), out), 32);
    EXPECT_NEAR(out[31], 0.0, 1e-12);
    EXPECT_EQ(fft.peakFrequency(), 50000.0 / 512 * 31);

    fft.setSampleFrequency(80000);
    fft.GenerateFFT(tone(1024, 128), out);
    EXPECT_EQ(fft.peakFrequency(), 10000.0);

    // A dominant DC term sets the reference, but the peak skips the DC positions.
    // (A little dither: a windowed constant alone can cancel a bin exactly, which is a 531.)
    std::vector<double> x = tone(256, 40, 0.01);
    for (int i = 0; i < 256; ++i) {
        x[i] += 5.0 + 1e-6 * ((i * 7919) % 13);
    }
    EXPECT_EQ(fft.GenerateFFT(x, out), 41);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_LT(out[40], -40.0);
    fft.setDCBins(0);
    EXPECT_EQ(fft.GenerateFFT(x, out), 1);
    EXPECT_EQ(fft.peakFrequency(), 0.0);

    // A failed record leaves the last peak to a caller of GenerateFFT.
    fft.setDCBins(5);
    fft.setSampleFrequency(100000);
    fft.GenerateFFT(tone(1024, 31), out);
    EXPECT_THROW(fft.GenerateFFT(std::vector<double>(100, 1.0), out), NumberedError);
    EXPECT_EQ(fft.peakFrequency(), 50000.0 / 512 * 31);
}

TEST(GenerateFFT, NyquistComponentShowsAtTheFirstPosition) {
    FftAnalysis fft;
    fft.setWindowing(false);
    std::vector<double> x = tone(64, 10, 0.5);
    for (int i = 0; i < 64; ++i) {
        x[i] += (i % 2 == 0 ? 1.0 : -1.0);  // Nyquist, amplitude 1
    }
    std::vector<double> out;
    fft.GenerateFFT(x, out);
    // Nyquist of amplitude 1 sums to 64, the tone of 0.5 to 16.
    EXPECT_EQ(out[0], 0.0);
    EXPECT_NEAR(out[10], 20 * std::log10(16.0 / 64.0), 1e-9);
}

TEST(GenerateFFT, AveragesNormalisedDbValuesFromTheSecondRecordOn) {
    FftAnalysis fft;
    fft.setSampleFrequency(100000);
    std::vector<double> first, second, out;
    fft.GenerateFFT(tone(256, 20), first);
    fft.GenerateFFT(adcRecord(256, 33, 1), second);
    const std::optional<double> peakBefore = fft.peakFrequency();

    fft.setAveraging(true);
    EXPECT_EQ(fft.averageCount(), 0);
    EXPECT_EQ(fft.GenerateFFT(tone(256, 20), out), 0);
    EXPECT_EQ(out, first);
    EXPECT_EQ(fft.averageCount(), 1);
    fft.GenerateFFT(adcRecord(256, 33, 1), out);
    EXPECT_EQ(fft.averageCount(), 2);
    for (size_t k = 0; k < out.size(); ++k) {
        EXPECT_NEAR(out[k], (first[k] + second[k]) / 2, 1e-12) << k;
    }
    // While averaging no peak is looked for.
    EXPECT_EQ(fft.peakFrequency(), peakBefore);

    // Off and on again starts over: the next record is returned unchanged as number 1.
    fft.setAveraging(false);
    EXPECT_EQ(fft.averageCount(), 0);
    EXPECT_TRUE(fft.runningMean().empty());
    fft.setAveraging(true);
    fft.GenerateFFT(adcRecord(256, 33, 1), out);
    EXPECT_EQ(out, second);
    EXPECT_EQ(fft.averageCount(), 1);
}

TEST(GenerateFFT, RefusesRecordsItCannotTransformWith531) {
    FftAnalysis fft;
    expectFailure531(fft, std::vector<double>(256, 0.0));  // zero magnitude
    expectFailure531(fft, {});
    expectFailure531(fft, {1.0});
    expectFailure531(fft, adcRecord(1000, 10, 1));   // not a power of two
    expectFailure531(fft, adcRecord(32768, 10, 1));  // past 16384
    std::vector<double> bad = adcRecord(256, 10, 1);
    bad[17] = std::nan("");
    expectFailure531(fft, bad);
    bad[17] = HUGE_VAL;
    expectFailure531(fft, bad);
    fft.setDCBins(-1);
    expectFailure531(fft, adcRecord(256, 10, 1));
}

TEST(SpectrumHelpers, MaxMinStartsAtTwoToThe24AndLog10RefusesNonPositive) {
    double max = 0, min = 0;
    const std::vector<double> high{2e7, 3e7};
    FftAnalysis::max_min(high, 2, max, min);
    EXPECT_EQ(max, 3e7);
    EXPECT_EQ(min, 16777216.0);  // never replaced by values above the start
    const std::vector<double> mixed{-3.0, 4.0, 1.0};
    FftAnalysis::max_min(mixed, 3, max, min);
    EXPECT_EQ(max, 4.0);
    EXPECT_EQ(min, -3.0);
    EXPECT_NEAR(FftAnalysis::Log10(1000.0), 3.0, 1e-15);
    EXPECT_THROW(FftAnalysis::Log10(0.0), NumberedError);
}
