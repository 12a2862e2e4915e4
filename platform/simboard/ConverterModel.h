#pragma once

#include <cstdint>
#include <vector>

#include "simboard/SimBoardSettings.h"

namespace rq {

// The converter's output words for one record: tone, harmonics, noise and offset, quantised to
// the converter's bits and coded as the part codes them. Two's-complement codes are
// sign-extended to 16 bits, as a part narrower than the bus drives the upper data lines.
class ConverterModel {
public:
    explicit ConverterModel(const ConverterSettings& settings);

    // count words at sampleRate (Hz). recordIndex picks the noise and the tone's starting phase,
    // so the same index under the same settings gives the same record.
    std::vector<uint16_t> record(int count, double sampleRate, uint64_t recordIndex) const;
    // What a powered-down converter reads: the code of a 0 V input.
    uint16_t midScaleWord() const;

    int bits() const { return m_bits; }
    int maxCode() const { return (1 << m_bits) - 1; }
    // The word for a straight-binary code 0 .. maxCode in the converter's coding.
    uint16_t wordFor(int straightCode) const;

    // The input level (LSB, code 0 at 0) at which each code from 1 to maxCode begins; empty
    // for an ideal converter, whose transitions lie half-way between codes.
    const std::vector<double>& transitions() const { return m_transitions; }

private:
    // The straight-binary code of an input level, v in LSB.
    double quantise(double v) const;

    ConverterSettings m_settings;
    int m_bits;
    std::vector<double> m_transitions;
};

}  // namespace rq
