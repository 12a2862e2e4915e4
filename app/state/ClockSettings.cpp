#include "state/ClockSettings.h"

#include "common/NumberedError.h"

namespace rq {

void ClockSettings::setSampleFrequency(int32_t f) {
    if (f <= 0) {
        throw NumberedError(510, QString::fromLatin1(ErrorSource),
                            QStringLiteral("Frequencies less than 0Hz are not allowed."));
    }
    const int32_t n = m_crystalFrequency / f;  // truncates toward zero
    const int32_t p = n - 1;
    const int32_t high = p / 256;
    // Check before storing anything, so a rejected frequency never leaves a frequency and a
    // period that do not belong together.
    if (high < -32768 || high > 32767) {
        throw runtimeError(RuntimeError::Overflow);
    }
    m_sampleFrequency = f;
    m_periodHigh = static_cast<int16_t>(high);
    m_periodLow = static_cast<int16_t>(p - high * 256);
}

double ClockSettings::actualSampleRate() const {
    const int32_t n = m_periodHigh * 256 + m_periodLow + 1;
    if (m_sampleFrequency <= 0 || n <= 0) {
        return 0.0;
    }
    return static_cast<double>(m_crystalFrequency) / n;
}

void ClockSettings::setTPeriodHigh(int16_t) {
    throw NumberedError(509, QString::fromLatin1(ErrorSource),
                        QStringLiteral("This Property is Read-Only"));
}

void ClockSettings::setTPeriodLow(int16_t) {
    throw NumberedError(509, QString::fromLatin1(ErrorSource),
                        QStringLiteral("This Property is Read-Only"));
}

}  // namespace rq
