#pragma once

#include <cstdint>

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

}  // namespace rq
