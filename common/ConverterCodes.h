#pragma once

#include <cstdint>
#include <span>

namespace rq {

// The codes a converter gives: 0 to 2^bits - 1 in straight binary, -2^(bits-1) to
// 2^(bits-1) - 1 in two's complement.
struct CodeRange {
    double lowest = 0.0;
    double highest = 0.0;
};
CodeRange converterCodes(int bits, bool twosComplement);

// The values whose code, rounded as the histogram rounds it, the converter cannot give.
int64_t countOutside(std::span<const double> values, CodeRange range);

}  // namespace rq
