#include "common/ConverterCodes.h"

#include <cmath>

namespace rq {

CodeRange converterCodes(int bits, bool twosComplement) {
    const double codes = std::ldexp(1.0, bits);
    if (twosComplement) {
        return {-codes / 2, codes / 2 - 1};
    }
    return {0.0, codes - 1};
}

int64_t countOutside(std::span<const double> values, CodeRange range) {
    int64_t n = 0;
    for (double v : values) {
        const double code = std::nearbyint(v);
        n += code < range.lowest || code > range.highest ? 1 : 0;
    }
    return n;
}

}  // namespace rq
