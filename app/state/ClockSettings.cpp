#include "state/ClockSettings.h"

#include "common/NumberedError.h"
#include "protocol/BoardProtocol.h"

namespace rq {

SamplePeriod samplePeriodFor(int32_t crystal, int32_t f) {
    SamplePeriod out;
    if (f <= 0) {
        return out;
    }
    out.period = int64_t{crystal / f} - 1;  // the division truncates toward zero
    const int64_t high = out.period / 256;
    if (high < -32768 || high > 32767) {
        out.fit = SamplePeriod::Unholdable;
    } else if (out.period < 0) {
        out.fit = SamplePeriod::Negative;
    } else if (out.period > protocol::MaxPeriodWord) {
        out.fit = SamplePeriod::TooLong;
    } else {
        out.fit = SamplePeriod::Fits;
    }
    return out;
}

SamplePeriod ClockSettings::checkSampleFrequency(int32_t f) const {
    const SamplePeriod p = samplePeriodFor(m_crystalFrequency, f);
    if (p.fit == SamplePeriod::NotPositive) {
        throw NumberedError(510, QString::fromLatin1(ErrorSource),
                            QStringLiteral("Frequencies less than 0Hz are not allowed."));
    }
    if (p.fit == SamplePeriod::Unholdable) {
        throw runtimeError(RuntimeError::Overflow);
    }
    return p;
}

void ClockSettings::setSampleFrequency(int32_t f) {
    // Checked before anything is stored, so a rejected frequency never leaves a frequency and a
    // period that do not belong together.
    const SamplePeriod p = checkSampleFrequency(f);
    const auto high = static_cast<int16_t>(p.period / 256);
    m_sampleFrequency = f;
    m_periodHigh = high;
    m_periodLow = static_cast<int16_t>(p.period - high * 256);
    m_periodFit = p.fit;
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
