#include "fft/SpectrumReadOuts.h"

#include <optional>

#include "common/BasicText.h"

namespace rq::controls {

QString decibelText(double value) {
    return formatNumber(value, FftAnalysis::DecibelDigits) + QStringLiteral("dB");
}

QString frequencyText(double hz) {
    if (hz < 10000.0) {
        return formatNumber(hz, u".0") + QStringLiteral("Hz");
    }
    if (hz < 1000000.0) {
        return formatNumber(hz / 1000.0, u"0.00") + QStringLiteral("KHz");
    }
    return formatNumber(hz / 1000000.0, u"0.000") + QStringLiteral("MHz");
}

// A failed record reads one zero before the point, not the two a measurement of 0 shows.
QString snrReadOut(const FftAnalysis& fft) {
    return fft.lastError() != 0 ? QStringLiteral("0.000dB") : decibelText(fft.measuredSNR());
}

QString thdReadOut(const FftAnalysis& fft) {
    return fft.lastError() != 0 ? QStringLiteral("0.000dB") : decibelText(fft.measuredTHD());
}

QString frequencyReadOut(const FftAnalysis& fft) {
    const std::optional<double> hz = fft.peakFrequency();
    return hz ? frequencyText(*hz) : QString();
}

void SpectrumReadOuts::showSpectrum() {
    m_freqText = frequencyReadOut(m_fft);
    if (m_fft.averaging() && m_fft.averageCount() != m_countShown) {
        m_countShown = m_fft.averageCount();
        m_avgNumberText = QString::number(m_countShown);
    }
}

void SpectrumReadOuts::showRecord() {
    showSpectrum();
    m_snrText = snrReadOut(m_fft);
    m_thdText = thdReadOut(m_fft);
}

void SpectrumReadOuts::remeasure() {
    m_snrText = decibelText(m_fft.CalcSNR());
    m_thdText = decibelText(m_fft.CalcTHD());
}

bool SpectrumReadOuts::stepBins(int16_t bins, bool allowed, int delta,
                                void (FftAnalysis::*set)(int16_t)) {
    if (allowed) {
        (m_fft.*set)(static_cast<int16_t>(bins + delta));
        remeasure();
    }
    return allowed;
}

bool SpectrumReadOuts::dcMinus() {
    const int16_t bins = m_fft.DCBins();
    return stepBins(bins, bins > 1, -1, &FftAnalysis::setDCBins);
}

bool SpectrumReadOuts::dcPlus() {
    const int16_t bins = m_fft.DCBins();
    return stepBins(bins, bins <= 8, +1, &FftAnalysis::setDCBins);
}

bool SpectrumReadOuts::sigMinus() {
    const int16_t bins = m_fft.SIGBins();
    return stepBins(bins, bins > 1, -1, &FftAnalysis::setSIGBins);
}

bool SpectrumReadOuts::sigPlus() {
    const int16_t bins = m_fft.SIGBins();
    return stepBins(bins, bins <= 8, +1, &FftAnalysis::setSIGBins);
}

void SpectrumReadOuts::harmsClicked(bool checked) {
    m_fft.setHarmonicsInNoise(checked);
    m_snrText = decibelText(m_fft.CalcSNR());
}

void SpectrumReadOuts::avgClicked(bool checked) {
    m_fft.setAveraging(checked);
    m_countShown = m_fft.averageCount();
    m_avgNumberText.clear();
}

}  // namespace rq::controls
