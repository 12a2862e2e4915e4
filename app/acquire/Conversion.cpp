#include "acquire/Conversion.h"

#include <cmath>

#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace rq {

void ConvertToVolts(const Settings& settings, const std::vector<double>& codes,
                    std::vector<double>& volts) {
    if (codes.empty()) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    const double step =
        (settings.InputVMax - settings.InputVMin) / std::ldexp(1.0, settings.NumberOfBits);
    const double offset = settings.InputVMin;
    volts.assign(codes.size(), 0.0);
    const bool twos = settings.DataFormat == 1;
    const int bits = settings.NumberOfBits;
    const int64_t m = bits >= 1 && bits <= 32 ? (int64_t{1} << (bits - 1)) : 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        int64_t c = toInt32(codes[i]);
        if (twos && m != 0) {
            c = (c & m) != 0 ? (c & (m - 1)) : (c | m);
        }
        volts[i] = static_cast<double>(c) * step + offset;
    }
}

}  // namespace rq
