#pragma once

#include <QString>
#include <cstdint>

#include "fft/FftAnalysis.h"

namespace rq::controls {

// "00.000" followed by "dB", as the SNR and THD read-outs show a measurement.
QString decibelText(double value);
// The peak frequency read-out: Hz below 10 kHz, KHz below 1 MHz, MHz above.
QString frequencyText(double hz);

// The read-outs of a record just through CalcFFT: "0.000dB" and ".0Hz" when it failed; the
// frequency stays empty until a spectrum has found a peak.
QString snrReadOut(const FftAnalysis& fft);
QString thdReadOut(const FftAnalysis& fft);
QString frequencyReadOut(const FftAnalysis& fft);

// What the FFT panel shows of its measurements and the rules of its buttons. The buttons
// re-measure the stored spectrum into the read-outs only: the SNR and THD properties keep what
// the last record gave them.
class SpectrumReadOuts {
public:
    explicit SpectrumReadOuts(FftAnalysis& fft) : m_fft(fft) {}

    // After the core's CalcFFT: every read-out of the record.
    void showRecord();
    // After the core's GenerateFFT alone: the frequency and the averaging count.
    void showSpectrum();

    // The bin buttons: a step down while the value is above 1, up while it is 8 or less, with
    // new read-outs. True when the value changed.
    bool dcMinus();
    bool dcPlus();
    bool sigMinus();
    bool sigPlus();
    // The "Harms" box: harmonics count as noise while checked; only SNR is re-measured.
    void harmsClicked(bool checked);
    // The "Avg" box: switching off discards the count and the running mean; either way the
    // count read-out empties until the next averaged record.
    void avgClicked(bool checked);

    const QString& freqText() const { return m_freqText; }
    const QString& snrText() const { return m_snrText; }
    const QString& thdText() const { return m_thdText; }
    QString dcBinsText() const { return QString::number(m_fft.DCBins()); }
    QString sigBinsText() const { return QString::number(m_fft.SIGBins()); }
    const QString& avgNumberText() const { return m_avgNumberText; }

private:
    void remeasure();
    bool stepBins(int16_t bins, bool allowed, int delta, void (FftAnalysis::*set)(int16_t));

    FftAnalysis& m_fft;
    QString m_freqText;
    QString m_snrText;
    QString m_thdText;
    QString m_avgNumberText;
    // The count the read-out last followed: a record averaged in moves it.
    int16_t m_countShown = 0;
};

}  // namespace rq::controls
