#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace rq::analysis {

// The signal the code-density test was taken with.
enum class LinearityInput {
    Sine,  // arcsine-distributed codes
    Ramp,  // a ramp or triangle: every code equally likely
};

// Counts of every code of a converter, pooled over as many records as are added. Codes are
// numbered as the record holds them, from lowestCode (0 straight binary, -2^(bits-1) two's
// complement) up 2^bits codes.
class CodeHistogram {
public:
    CodeHistogram(int bits, int lowestCode);

    // Each value rounds to its code; a value beyond the range counts at the end code it is
    // past, as a clipping converter would give it.
    void add(std::span<const double> codes);
    void clear();

    int bits() const { return m_bits; }
    int lowestCode() const { return m_lowestCode; }
    int codeCount() const { return static_cast<int>(m_counts.size()); }
    const std::vector<int64_t>& counts() const { return m_counts; }  // index = code - lowest
    int64_t samples() const { return m_samples; }
    int64_t outOfRange() const { return m_outOfRange; }

private:
    int m_bits;
    int m_lowestCode;
    std::vector<int64_t> m_counts;
    int64_t m_samples = 0;
    int64_t m_outOfRange = 0;
};

// Static linearity from the code histogram, after IEEE Std 1241's code-density test. The two
// codes at the ends of what was hit also hold whatever lay beyond them, so they and everything
// outside are left out; per-code arrays run from firstCode to lastCode.
struct Linearity {
    LinearityInput input = LinearityInput::Sine;
    int firstCode = 0;
    int lastCode = 0;
    int leftOutBelow = 0;  // codes of the range below firstCode
    int leftOutAbove = 0;  // and above lastCode
    int64_t samples = 0;
    // The fewest samples a measured code is expected to hold (at mid-scale for a sine): what
    // the DNL of every code rests on.
    double samplesPerCode = 0.0;
    // Empty unless they are too few for a DNL to a tenth of an LSB, or the input left more
    // than one code in twenty empty.
    QString warning;
    // "codes_not_swept" or "few_samples_per_code" with the warning, empty without.
    QString warningCode;

    std::vector<double> dnl;          // LSB
    std::vector<double> inlEndPoint;  // LSB, at each code's lower transition
    std::vector<double> inlBestFit;
    std::vector<int> missingCodes;

    double dnlMax = 0.0, dnlMin = 0.0;
    int dnlMaxCode = 0, dnlMinCode = 0;
    double inlEndPointMax = 0.0, inlEndPointMin = 0.0;
    double inlBestFitMax = 0.0, inlBestFitMin = 0.0;
    int inlMaxCode = 0;  // of the end-point INL's largest magnitude
};

// Raises 5 when fewer than three codes lie between the lowest and the highest code hit.
Linearity codeDensity(const CodeHistogram& histogram, LinearityInput input);

// The samples a code-density test needs for every code to hold `perCode` of them.
int64_t samplesNeeded(int bits, LinearityInput input, double perCode);

}  // namespace rq::analysis
