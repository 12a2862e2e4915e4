#pragma once

#include <cstdint>
#include <vector>

#include "state/RecordLength.h"
#include "state/Settings.h"

namespace rq {

// Codes to volts over the input range: step = span / 2^bits, code 0 at InputVMin, so the top code
// reads one step below InputVMax. Two's-complement codes are first turned into the offset-binary
// code of the same level. Codes are rounded to whole numbers (halves to even); the arithmetic is
// 32-bit, so 16-bit converters convert in both codings. Raises 9 for an empty record.
void ConvertToVolts(const Settings& settings, const std::vector<double>& codes,
                    std::vector<double>& volts);

}  // namespace rq
