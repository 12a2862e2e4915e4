#pragma once

#include <cstdint>

namespace rq {

// Turns a sample frequency into the period of the DSP timer that divides the board's crystal,
// split into the high and low byte that the capture command carries.
class ClockSettings {
public:
    int32_t SampleFrequency() const { return m_sampleFrequency; }
    // Raises 510 for f <= 0 and 6 when the period does not fit; either leaves everything as it was.
    void setSampleFrequency(int32_t f);

    int32_t CrystalFrequency() const { return m_crystalFrequency; }
    // Stores only: the period follows at the next sample-frequency assignment.
    void setCrystalFrequency(int32_t f) { m_crystalFrequency = f; }

    // The rate the board really samples at: the crystal over the whole period the words give,
    // which is not the frequency asked for unless it divides the crystal (580000 Hz gives
    // 588235.29 Hz). 0 before a frequency is set.
    double actualSampleRate() const;

    int16_t TPeriodHigh() const { return m_periodHigh; }
    int16_t TPeriodLow() const { return m_periodLow; }
    // Read-only properties: both raise 509 and change nothing.
    void setTPeriodHigh(int16_t);
    void setTPeriodLow(int16_t);

    static constexpr const char* ErrorSource = "ClockSettings Class";

private:
    int32_t m_sampleFrequency = 0;
    int32_t m_crystalFrequency = 0;
    int16_t m_periodHigh = 0;
    int16_t m_periodLow = 0;
};

}  // namespace rq
