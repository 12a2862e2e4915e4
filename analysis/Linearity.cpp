#include "analysis/Linearity.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/NumberedError.h"

namespace rq::analysis {
namespace {

// A DNL resolved to a tenth of an LSB wants about 100 samples in a code (1/sqrt(count)).
constexpr double EnoughPerCode = 100.0;

}  // namespace

CodeHistogram::CodeHistogram(int bits, int lowestCode)
    : m_bits(std::clamp(bits, 1, 24)), m_lowestCode(lowestCode), m_counts(size_t{1} << m_bits, 0) {}

void CodeHistogram::add(std::span<const double> codes) {
    const double top = static_cast<double>(m_counts.size() - 1);
    for (double v : codes) {
        double index = std::nearbyint(v) - m_lowestCode;
        if (!(index >= 0.0 && index <= top)) {
            ++m_outOfRange;
            index = index > top ? top : 0.0;  // NaN too goes to the bottom
        }
        ++m_counts[static_cast<size_t>(index)];
    }
    m_samples += static_cast<int64_t>(codes.size());
}

void CodeHistogram::clear() {
    std::fill(m_counts.begin(), m_counts.end(), 0);
    m_samples = 0;
    m_outOfRange = 0;
}

int64_t samplesNeeded(int bits, LinearityInput input, double perCode) {
    const double codes = std::ldexp(1.0, bits);
    // A full-scale sine puts 1/(pi 2^(bits-1)) of its samples into a mid-scale code.
    const double factor = input == LinearityInput::Sine ? std::numbers::pi / 2.0 : 1.0;
    return static_cast<int64_t>(std::ceil(perCode * codes * factor));
}

Linearity codeDensity(const CodeHistogram& histogram, LinearityInput input) {
    const std::vector<int64_t>& h = histogram.counts();
    const int M = histogram.codeCount();
    int lo = 0;
    while (lo < M && h[static_cast<size_t>(lo)] == 0) {
        ++lo;
    }
    int hi = M - 1;
    while (hi > lo && h[static_cast<size_t>(hi)] == 0) {
        --hi;
    }
    if (hi - lo < 4) {
        throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("Linearity"),
                            QStringLiteral("too few codes were hit for a code-density test"));
    }
    const auto S = static_cast<double>(histogram.samples());

    // Transition levels into codes lo+1 .. hi, from the cumulative histogram: in units of the
    // ramp's span, or of the sine's amplitude about its offset.
    const int transitions = hi - lo;
    std::vector<double> T(static_cast<size_t>(transitions));
    int64_t below = 0;
    for (int c = lo; c < hi; ++c) {
        below += h[static_cast<size_t>(c)];
        const double p = static_cast<double>(below) / S;
        T[static_cast<size_t>(c - lo)] =
            input == LinearityInput::Sine ? -std::cos(std::numbers::pi * p) : p;
    }

    Linearity r;
    r.input = input;
    r.firstCode = histogram.lowestCode() + lo + 1;
    r.lastCode = histogram.lowestCode() + hi - 1;
    r.leftOutBelow = lo + 1;
    r.leftOutAbove = M - hi;
    r.samples = histogram.samples();
    const int codes = hi - lo - 1;
    const double Q = (T.back() - T.front()) / codes;

    r.dnl.resize(static_cast<size_t>(codes));
    r.inlEndPoint.resize(static_cast<size_t>(codes));
    r.inlBestFit.resize(static_cast<size_t>(codes));
    // Least-squares line through the transitions, against the code index.
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (int i = 0; i < transitions; ++i) {
        const double y = T[static_cast<size_t>(i)];
        sx += i;
        sy += y;
        sxx += static_cast<double>(i) * i;
        sxy += i * y;
    }
    const double slope = (transitions * sxy - sx * sy) / (transitions * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / transitions;

    for (int i = 0; i < codes; ++i) {
        const auto k = static_cast<size_t>(i);
        r.dnl[k] = (T[k + 1] - T[k]) / Q - 1.0;
        r.inlEndPoint[k] = (T[k] - T.front()) / Q - i;
        r.inlBestFit[k] = (T[k] - intercept) / slope - i;
        if (h[static_cast<size_t>(lo + 1 + i)] == 0) {
            r.missingCodes.push_back(r.firstCode + i);
        }
    }
    const auto [dnlMin, dnlMax] = std::minmax_element(r.dnl.begin(), r.dnl.end());
    r.dnlMin = *dnlMin;
    r.dnlMax = *dnlMax;
    r.dnlMinCode = r.firstCode + static_cast<int>(dnlMin - r.dnl.begin());
    r.dnlMaxCode = r.firstCode + static_cast<int>(dnlMax - r.dnl.begin());
    const auto [epMin, epMax] = std::minmax_element(r.inlEndPoint.begin(), r.inlEndPoint.end());
    r.inlEndPointMin = *epMin;
    r.inlEndPointMax = *epMax;
    const auto worst = std::fabs(*epMin) > std::fabs(*epMax) ? epMin : epMax;
    r.inlMaxCode = r.firstCode + static_cast<int>(worst - r.inlEndPoint.begin());
    const auto [bfMin, bfMax] = std::minmax_element(r.inlBestFit.begin(), r.inlBestFit.end());
    r.inlBestFitMin = *bfMin;
    r.inlBestFitMax = *bfMax;

    // A sine puts S Q / pi of its samples into a mid-scale code of width Q, its fewest; a ramp
    // the same into every code.
    if (input == LinearityInput::Sine) {
        r.samplesPerCode = S * Q / std::numbers::pi;
    } else {
        int64_t measured = 0;
        for (int c = lo + 1; c < hi; ++c) {
            measured += h[static_cast<size_t>(c)];
        }
        r.samplesPerCode = static_cast<double>(measured) / codes;
    }
    // A tone locked to the sample rate repeats a few phases and leaves most codes empty: that
    // is the input's fault, not the converter's, and the missing codes mean nothing.
    if (r.missingCodes.size() * 20 > static_cast<size_t>(codes)) {
        r.warningCode = QStringLiteral("codes_not_swept");
        r.warning = QStringLiteral(
                        "%1 of the %2 codes between the ends were never hit: the "
                        "input does not sweep every code (a tone whose frequency is a "
                        "simple fraction of the sample rate repeats a few phases)")
                        .arg(r.missingCodes.size())
                        .arg(codes);
    } else if (r.samplesPerCode < EnoughPerCode) {
        r.warningCode = QStringLiteral("few_samples_per_code");
        r.warning = QStringLiteral(
                        "only %1 samples per code: each DNL is uncertain by about %2 LSB; "
                        "%3 samples would resolve 0.1 LSB at %4 bits")
                        .arg(r.samplesPerCode, 0, 'f', 1)
                        .arg(1.0 / std::sqrt(std::max(r.samplesPerCode, 1.0)), 0, 'f', 2)
                        .arg(samplesNeeded(histogram.bits(), input, EnoughPerCode))
                        .arg(histogram.bits());
    }
    return r;
}

}  // namespace rq::analysis
