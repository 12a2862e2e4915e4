#pragma once

#include <cstdint>
#include <vector>

#include "Settings.h"

namespace rq {

// The longest record the board captures: index 6, 16384 samples, as many as the spectrum
// takes. A loaded file gives indexes down to -8 (one value).
constexpr int16_t MaxRecordLengthIndex = 6;
constexpr int16_t MinRecordLengthIndex = -8;

// Record length for a record-length index: 256 * 2^index samples, for indexes from -8 to 22;
// others raise 6 with a description that names the index.
int32_t recordLength(int16_t numberOfSamples);
// The same for a capture: an index outside 0 to MaxRecordLengthIndex raises 9 with a
// description that names it and the range the board takes.
int32_t captureRecordLength(int16_t numberOfSamples);

// The record-length index of a count of samples: log2(count / 256), halves to even. Raises 5 for
// a count of 0 and 6 when the index does not fit.
int16_t recordLengthIndex(double count);

// Codes to volts over the input range: step = span / 2^bits, code 0 at InputVMin, so the top code
// reads one step below InputVMax. Two's-complement codes are first turned into the offset-binary
// code of the same level. Codes are rounded to whole numbers (halves to even); the arithmetic is
// 32-bit, so 16-bit converters convert in both codings. Raises 9 for an empty record.
void ConvertToVolts(const Settings& settings, const std::vector<double>& codes,
                    std::vector<double>& volts);

}  // namespace rq
