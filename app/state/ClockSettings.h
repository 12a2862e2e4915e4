#pragma once

#include <cstdint>

namespace rq {

// What the board's sample clock makes of a sample frequency f at a crystal: the timer period
// (the crystal over f, truncated toward zero, less one) and where that period stands.
struct SamplePeriod {
    enum Fit {
        NotPositive,  // f <= 0: there is no period
        Unholdable,   // its high byte does not fit a 16-bit integer (4 Hz or less at 40 MHz)
        Negative,     // f above the crystal, or no crystal: the divider cannot make the rate
        TooLong,      // longer than the capture command's 16-bit word: f too low for the board
        Fits,         // the board can be given this period
    };
    Fit fit = NotPositive;
    int64_t period = 0;  // meaningful unless NotPositive
};
// The one place that decides it, for the clock, the setup window's list and the capture.
SamplePeriod samplePeriodFor(int32_t crystal, int32_t f);

// Turns a sample frequency into the period of the DSP timer that divides the board's crystal,
// split into the high and low byte that the capture command carries.
class ClockSettings {
public:
    int32_t SampleFrequency() const { return m_sampleFrequency; }
    // Raises 510 for f <= 0 and 6 when the period does not fit; either leaves everything as it was.
    void setSampleFrequency(int32_t f);
    // Raises what setSampleFrequency would raise for f and changes nothing; otherwise returns
    // the period f would give.
    SamplePeriod checkSampleFrequency(int32_t f) const;
    // Where the period the bytes hold stands against the capture command's word; it belongs to
    // the period, so a crystal change alone leaves it. Before any frequency the period is 0.
    SamplePeriod::Fit periodFit() const { return m_periodFit; }

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
    SamplePeriod::Fit m_periodFit = SamplePeriod::Fits;
};

}  // namespace rq
