// Protects the code-density test: an ideal converter reads flat on a sine and on a ramp, a
// missing code and a bow are found where they are, and the ends, the sample count and the
// codings are handled.
#include <gtest/gtest.h>

#include "Synth.h"
#include "analysis/Linearity.h"
#include "common/NumberedError.h"

using namespace rq;
using namespace rq::analysis;
using namespace rq::test;

namespace {

// A converter of `bits` with the given transition levels T[k] (into code k, k = 1 .. 2^bits-1).
std::vector<double> convert(const std::vector<double>& x, const std::vector<double>& T) {
    std::vector<double> codes;
    codes.reserve(x.size());
    for (double v : x) {
        codes.push_back(static_cast<double>(std::upper_bound(T.begin(), T.end(), v) - T.begin()));
    }
    return codes;
}

std::vector<double> idealTransitions(int bits) {
    std::vector<double> T;
    for (int k = 1; k < (1 << bits); ++k) {
        T.push_back(k - 0.5);
    }
    return T;
}

// A sine a little past both ends of the range, coherent over many periods so every phase is
// taken once: the histogram is the arcsine law to within a count per code.
std::vector<double> overdrivenSine(int bits, int n) {
    Tone t = fullScale(bits, 4099.0);
    t.amplitude *= 1.02;
    return synthesise(n, t);
}

std::vector<double> ramp(int bits, int perCode) {
    std::vector<double> x;
    const double codes = std::ldexp(1.0, bits);
    const int n = static_cast<int>(codes) * perCode;
    for (int i = 0; i < n; ++i) {
        x.push_back(-0.5 + codes * (i + 0.5) / n);
    }
    return x;
}

Linearity measure(const std::vector<double>& codes, int bits, LinearityInput input,
                  int lowest = 0) {
    CodeHistogram h(bits, lowest);
    h.add(codes);
    return codeDensity(h, input);
}

}  // namespace

TEST(Linearity, IdealConverterReadsFlatOnASineAndOnARamp) {
    const int bits = 10;
    const Linearity sine =
        measure(quantise(overdrivenSine(bits, 1 << 19), bits), bits, LinearityInput::Sine);
    EXPECT_EQ(sine.firstCode, 1);
    EXPECT_EQ(sine.lastCode, 1022);
    EXPECT_EQ(sine.leftOutBelow, 1);
    EXPECT_EQ(sine.leftOutAbove, 1);
    ASSERT_EQ(sine.dnl.size(), 1022u);
    EXPECT_LT(std::max(sine.dnlMax, -sine.dnlMin), 0.1);
    EXPECT_LT(std::max(sine.inlEndPointMax, -sine.inlEndPointMin), 0.1);
    EXPECT_TRUE(sine.missingCodes.empty());
    EXPECT_TRUE(sine.warning.isEmpty()) << sine.warning.toStdString();
    EXPECT_GT(sine.samplesPerCode, 100.0);

    const Linearity r = measure(quantise(ramp(bits, 50), bits), bits, LinearityInput::Ramp);
    EXPECT_LT(std::max(r.dnlMax, -r.dnlMin), 1e-9);
    EXPECT_NEAR(r.samplesPerCode, 50.0, 1e-9);
    EXPECT_FALSE(r.warning.isEmpty());  // 50 a code is not enough for a tenth of an LSB
    EXPECT_TRUE(r.warning.contains("102400 samples")) << r.warning.toStdString();
}

TEST(Linearity, MissingCodeReadsMinusOneAndItsNeighbourTakesItsWidth) {
    const int bits = 8;
    std::vector<double> T = idealTransitions(bits);
    const int missing = 100;
    T[static_cast<size_t>(missing)] = T[static_cast<size_t>(missing - 1)];  // 101 takes 100
    for (LinearityInput input : {LinearityInput::Sine, LinearityInput::Ramp}) {
        const std::vector<double> x =
            input == LinearityInput::Sine ? overdrivenSine(bits, 1 << 18) : ramp(bits, 200);
        const Linearity l = measure(convert(x, T), bits, input);
        ASSERT_EQ(l.missingCodes, std::vector<int>{missing});
        const auto at = [&](int code) { return l.dnl[static_cast<size_t>(code - l.firstCode)]; };
        EXPECT_DOUBLE_EQ(at(missing), -1.0);
        EXPECT_NEAR(at(missing + 1), 1.0, 0.05);
        EXPECT_DOUBLE_EQ(l.dnlMin, -1.0);
        EXPECT_EQ(l.dnlMinCode, missing);
        EXPECT_EQ(l.dnlMaxCode, missing + 1);
        EXPECT_NEAR(at(missing - 1), 0.0, 0.05);
    }
}

TEST(Linearity, BowShowsInTheIntegralNonlinearity) {
    const int bits = 8;
    std::vector<double> T = idealTransitions(bits);
    const double bow = 1.5;  // LSB at mid-scale, none at the ends
    const double span = T.back() - T.front();
    for (double& t : T) {
        const double u = (t - T.front()) / span;
        t += bow * 4.0 * u * (1.0 - u);
    }
    const Linearity l = measure(convert(ramp(bits, 400), T), bits, LinearityInput::Ramp);
    EXPECT_NEAR(l.inlEndPointMax, bow, 0.02);
    EXPECT_NEAR(l.inlEndPointMin, 0.0, 0.02);
    EXPECT_NEAR(l.inlMaxCode, 128, 8);  // the top of the bow is flat
    // The best line sits at the parabola's mean, two thirds of its height: the residual runs
    // from +1/3 at mid-scale to -2/3 at the ends.
    EXPECT_NEAR(l.inlBestFitMax, bow / 3.0, 0.03);
    EXPECT_NEAR(l.inlBestFitMin, -bow * 2.0 / 3.0, 0.03);
    EXPECT_NEAR(l.dnlMax, 4.0 * bow / 254.0, 0.01);
    EXPECT_TRUE(l.missingCodes.empty());
}

TEST(Linearity, EndsCodingsAndPooledRecords) {
    // A sine that does not reach the ends: the codes it never reached are left out, not missing.
    Tone t = fullScale(8, 1021.0);
    t.amplitude = 80.0;
    t.offset = 130.0;
    const std::vector<double> x = quantise(synthesise(1 << 18, t), 8);
    const Linearity small = measure(x, 8, LinearityInput::Sine);
    EXPECT_EQ(small.firstCode, 51);
    EXPECT_EQ(small.lastCode, 209);
    EXPECT_EQ(small.leftOutBelow, 51);
    EXPECT_EQ(small.leftOutAbove, 46);
    EXPECT_TRUE(small.missingCodes.empty());
    EXPECT_LT(std::max(small.dnlMax, -small.dnlMin), 0.1);

    // Two's complement: the same record, its codes numbered from -128.
    std::vector<double> signedCodes = x;
    for (double& c : signedCodes) {
        c -= 128;
    }
    const Linearity twos = measure(signedCodes, 8, LinearityInput::Sine, -128);
    EXPECT_EQ(twos.firstCode, 51 - 128);
    EXPECT_EQ(twos.dnl, small.dnl);

    // Records pool: two halves give what the whole gives.
    CodeHistogram pooled(8, 0);
    pooled.add(std::span(x).first(x.size() / 2));
    pooled.add(std::span(x).subspan(x.size() / 2));
    EXPECT_EQ(pooled.samples(), static_cast<int64_t>(x.size()));
    EXPECT_EQ(codeDensity(pooled, LinearityInput::Sine).dnl, small.dnl);

    // Values past the range count at the end codes.
    CodeHistogram clipped(8, 0);
    clipped.add(std::vector<double>{-3.0, 300.0, 255.4, std::nan("")});
    EXPECT_EQ(clipped.outOfRange(), 3);
    EXPECT_EQ(clipped.counts()[0], 2);
    EXPECT_EQ(clipped.counts()[255], 2);

    // Too few codes to measure anything between the ends.
    EXPECT_THROW(measure({10, 11, 12, 13, 11, 12}, 8, LinearityInput::Ramp), NumberedError);
    EXPECT_THROW(measure({}, 8, LinearityInput::Sine), NumberedError);
}
