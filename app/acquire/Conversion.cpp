#include "Conversion.h"

#include <cmath>

#include "BasicText.h"
#include "NumberedError.h"

namespace rq {

int32_t recordLength(int16_t numberOfSamples) {
    // A loaded file of a handful of values has a negative index (one value: -8). Past index 22
    // the count would overflow (2^31 from index 23 on).
    if (numberOfSamples < MinRecordLengthIndex || numberOfSamples > 22) {
        throw NumberedError(RuntimeError::Overflow, QStringLiteral("Record Length"),
                            QStringLiteral("The record length index %1 gives no record length.")
                                .arg(numberOfSamples));
    }
    return static_cast<int32_t>(std::ldexp(256.0, numberOfSamples));
}

int32_t captureRecordLength(int16_t numberOfSamples) {
    if (numberOfSamples < 0 || numberOfSamples > MaxRecordLengthIndex) {
        throw NumberedError(RuntimeError::SubscriptOutOfRange, QStringLiteral("Record Length"),
                            QStringLiteral("The record length index %1 gives no record the board "
                                           "can capture: it must be 0 to %2 (256 to %3 samples).")
                                .arg(numberOfSamples)
                                .arg(MaxRecordLengthIndex)
                                .arg(256 << MaxRecordLengthIndex));
    }
    return 256 << numberOfSamples;
}

int16_t recordLengthIndex(double count) {
    if (!(count > 0.0)) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    return toInt16(std::log2(count / 256.0));
}

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
