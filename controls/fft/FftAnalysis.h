#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "transform/PanelWindow.h"
#include "transform/RealTransform.h"

namespace rq {

// The measurements of the FFT control: the windowed dB spectrum of a record, its peak
// frequency, averaging over records, the fundamental and its harmonics, SNR and THD. The panel
// and the command-line front end turn this state into their texts, so both read exactly the
// same numbers. The transform and the window are the panel's own, from transform/.
//
// Arrays the algorithms number from 1 are passed as spans whose element 0 is position 1.
class FftAnalysis {
public:
    static constexpr int ErrorNumber = 531;
    static constexpr int32_t MaxRecordLength = 16384;
    static constexpr int32_t DefaultSampleFrequency = 100000;
    static const QString ErrorSource;  // "FFT Control"

    // Entry point of the host: window, spectrum and measurements in one call. Never throws: on
    // any failure FFTarray is zeroed and SNR, THD and the peak frequency read 0.
    void CalcFFT(std::span<const double> DataArray, std::vector<double>& FFTarray,
                 std::optional<double> SampleFrequency = std::nullopt);
    // What the last CalcFFT left behind for a host that wants more than the read-outs: the
    // number of its failure (0 when it succeeded) and the peak position GenerateFFT returned.
    int lastError() const { return m_lastError; }
    // Why it failed, in words ("record length 1000 is not a power of two"); empty on success.
    const QString& lastErrorText() const { return m_lastErrorText; }
    int32_t lastPeak() const { return m_lastPeak; }

    // The dB spectrum of Data, normalised to its largest position, into ReturnArray (N/2 values,
    // element 0 the combined DC and Nyquist term). Returns the 1-based peak position past the DC
    // positions, or 0 while averaging. Raises 531 with source "FFT Control" on any failure.
    int32_t GenerateFFT(std::span<const double> Data, std::vector<double>& ReturnArray);

    // Four-term Blackman-Harris weights when windowing is on, a plain copy otherwise.
    void Blackman_Harris(std::span<const double> Data, std::span<double> finish_array,
                         int32_t Length);

    // In-place real transform of n values (isign 1 forward, packed as DC, Nyquist, then re/im of
    // bins 1..n/2-1); any other isign inverts, unnormalised (the input times n/2).
    void RealFFT(std::span<double> Data, int32_t n, int16_t isign) {
        m_transform.RealFFT(Data, n, isign);
    }

    static double Log10(double X);
    static void max_min(std::span<const double> Data, int16_t Length, double& Max, double& Min);

    // Fills the seven entries (index h-1 for harmonic h) with the positions where harmonics of
    // the fundamental at position Fundamental land in a spectrum of ArrayLength positions. A
    // harmonic that folds exactly onto DC or Nyquist gets NoPosition: it has no window.
    static constexpr int32_t NoPosition = 0;
    static void LocateHarmonics(int32_t Fundamental, int32_t ArrayLength,
                                std::array<int32_t, 7>& HarmonicsArray);

    // Measurements on the stored spectrum; 0 when they fail.
    double CalcSNR();
    double CalcTHD();

    // Fixed-window SNR of a 0-based dB array; sets SNR (unchanged on failure), returns 0.
    double SNRincHarm(std::span<const double> Data, int16_t Length);

    // Properties.
    int16_t DCBins() const { return m_DCBins; }
    void setDCBins(int16_t value) { m_DCBins = value; }
    int16_t SIGBins() const { return m_SIGBins; }
    void setSIGBins(int16_t value) { m_SIGBins = value; }
    double SNR() const { return m_SNR; }
    void setSNR(double value) { m_SNR = value; }
    double THD() const { return m_THD; }
    void setTHD(double value) { m_THD = value; }

    int32_t SampleFrequency() const { return m_SampleFrequency; }
    void setSampleFrequency(int32_t hz) { m_SampleFrequency = hz; }
    int32_t Fund() const { return m_Fund; }
    const std::array<int32_t, 7>& harmonics() const { return m_harmonics; }

    // Follows the "B-H Windowing" box at each call.
    bool windowing() const { return m_windowing; }
    void setWindowing(bool on) { m_windowing = on; }
    // Each spectrum joins the running mean of dB values while on; switching off discards the
    // count and the mean.
    bool averaging() const { return m_averaging; }
    void setAveraging(bool on);
    int16_t averageCount() const { return m_averageCount; }
    const std::vector<double>& runningMean() const { return m_runningMean; }
    // Harmonics count as noise in SNR while on.
    bool harmonicsInNoise() const { return m_harmonicsInNoise; }
    void setHarmonicsInNoise(bool on) { m_harmonicsInNoise = on; }

    // The frequency of the last peak found, in Hz: set by each GenerateFFT that is not
    // averaging, 0 after a failed CalcFFT, empty before the first.
    std::optional<double> peakFrequency() const { return m_peakFrequency; }
    // The last CalcFFT's SNR and THD before SNR() and THD() round them; 0 after a failure.
    double measuredSNR() const { return m_measuredSNR; }
    double measuredTHD() const { return m_measuredTHD; }
    // The digits a measurement in dB is shown with; SNR() and THD() keep what it shows.
    static constexpr char16_t DecibelDigits[] = u"00.000";

    // Position p of the stored spectrum is element p-1.
    const std::vector<double>& storedSpectrum() const { return m_storedSpectrum; }
    void setStoredSpectrum(std::vector<double> spectrum) { m_storedSpectrum = std::move(spectrum); }
    // The packed transform of the last record, kept until the next one.
    const std::vector<double>& transformBuffer() const { return m_buffer; }

private:
    int32_t findFundamental();
    // Whether one of harmonics 2 to 7 folds exactly onto Nyquist.
    static bool harmonicOnNyquist(int32_t fundamental, int32_t arrayLength);
    double power(int64_t position) const;
    // Power summed over the positions within halfWidth of centre.
    double windowPower(int64_t centre, int64_t halfWidth) const;

    int m_lastError = 0;
    QString m_lastErrorText;
    int32_t m_lastPeak = 0;
    int16_t m_DCBins = 5;
    int16_t m_SIGBins = 4;
    double m_SNR = 0.0;
    double m_THD = 0.0;
    int32_t m_SampleFrequency = 0;
    int32_t m_Fund = 0;
    std::array<int32_t, 7> m_harmonics{};

    bool m_windowing = true;
    bool m_averaging = false;
    int16_t m_averageCount = 0;
    std::vector<double> m_runningMean;
    bool m_harmonicsInNoise = false;

    std::vector<double> m_buffer;
    std::vector<double> m_dB;
    std::vector<double> m_storedSpectrum;

    std::optional<double> m_peakFrequency;
    double m_measuredSNR = 0.0;
    double m_measuredTHD = 0.0;

    transform::RealTransform m_transform;
    transform::PanelWindow m_window;
};

}  // namespace rq
