#include "state/RecordLength.h"

#include <cmath>

#include "common/BasicText.h"
#include "common/NumberedError.h"

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

}  // namespace rq
