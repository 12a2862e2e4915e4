// Protects the transform and the window every spectrum and figure is built on: the transform
// against a direct DFT, its cached tables against fresh ones, and the panel's window weights.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "DirectDft.h"
#include "common/NumberedError.h"
#include "transform/PanelWindow.h"
#include "transform/RealTransform.h"

using rq::NumberedError;
using rq::transform::PanelWindow;
using rq::transform::panelWindowWeights;
using rq::transform::RealTransform;

namespace {

std::vector<double> randomRecord(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> x(static_cast<size_t>(n));
    for (double& v : x) {
        v = u(rng);
    }
    return x;
}

}  // namespace

TEST(RealFFT, ForwardIsThePackedDirectDftAndInverseReturnsTheInputTimesHalfN) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    RealTransform fft;
    for (int n : {2, 4, 8, 16, 64, 256}) {
        std::vector<double> x(static_cast<size_t>(n));
        for (double& v : x) {
            v = u(rng);
        }
        const auto X = rq::test::directDft(x);
        std::vector<double> d = x;
        fft.RealFFT(d, n, 1);
        EXPECT_NEAR(d[0], X[0].real(), 1e-12) << n;
        EXPECT_NEAR(d[1], X[n / 2].real(), 1e-12) << n;
        for (int k = 1; k < n / 2; ++k) {
            EXPECT_NEAR(d[2 * k], X[k].real(), 1e-12) << n << " bin " << k;
            EXPECT_NEAR(d[2 * k + 1], X[k].imag(), 1e-12) << n << " bin " << k;
        }
        fft.RealFFT(d, n, -1);
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(d[i], x[i] * n / 2, 1e-12 * n) << n;
        }
    }
    std::vector<double> d(12);
    EXPECT_THROW(fft.RealFFT(d, 12, 1), NumberedError);
    EXPECT_THROW(fft.RealFFT(d, 16, 1), NumberedError);
}

TEST(RealFFT, CachedTablesGiveTheSameBitsAsAFreshTransform) {
    // One object runs every size both ways, so forward and inverse tables of one size live side
    // by side; each result must equal that of an object that never ran anything else.
    RealTransform shared;
    for (int n = 2; n <= 16384; n *= 2) {
        for (int16_t sign : {int16_t(1), int16_t(-1)}) {
            const std::vector<double> x = randomRecord(n, static_cast<unsigned>(n));
            std::vector<double> a = x, b = x;
            shared.RealFFT(a, n, sign);
            RealTransform fresh;
            fresh.RealFFT(b, n, sign);
            ASSERT_EQ(a, b) << n << " sign " << sign;
        }
    }
    // And again with the tables now cached.
    for (int n : {16, 4096}) {
        const std::vector<double> x = randomRecord(n, 3u);
        std::vector<double> a = x, b = x;
        shared.RealFFT(a, n, 1);
        RealTransform().RealFFT(b, n, 1);
        EXPECT_EQ(a, b) << n;
    }
}

TEST(PanelWindow, FourTermBlackmanHarrisIndexedFromOne) {
    const int n = 64;
    const std::vector<double> w = panelWindowWeights(n);
    ASSERT_EQ(w.size(), size_t(n));
    for (int i = 1; i <= n; ++i) {
        const double a = 6.28318530717958 * i / n;
        const double expected =
            0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2 * a) - 0.01168 * std::cos(3 * a);
        EXPECT_EQ(w[i - 1], expected) << i;
    }
    EXPECT_NEAR(w[63], 0.00006, 1e-12);  // the last sample takes the window's first point
    EXPECT_NEAR(w[31], 1.0, 1e-12);      // the middle point, i = N/2
    EXPECT_TRUE(panelWindowWeights(0).empty());
    EXPECT_THROW(panelWindowWeights(-1), NumberedError);
}

TEST(PanelWindow, KeptWeightsFollowTheLengthAskedFor) {
    PanelWindow window;
    for (int n : {256, 8, 256, 16384, 0, 4}) {
        EXPECT_EQ(window.weights(n), panelWindowWeights(n)) << n;
    }
    EXPECT_THROW(window.weights(-4), NumberedError);
}
