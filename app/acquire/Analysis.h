#pragma once

#include <QString>
#include <optional>
#include <span>
#include <vector>

#include "common/ConverterCodes.h"
#include "common/HostInterfaces.h"
#include "fft/FftAnalysis.h"
#include "histogram/HistogramCore.h"
#include "state/ProgramState.h"

namespace rq {

// The FFT panel's results for the last spectrum, as its read-outs give them: the frequency of
// the peak (Hz), SNR and THD (dB).
struct PanelResults {
    double frequency = 0;
    double snr = 0;
    double thd = 0;
};

// The results an FFT core left after a record of `points` values.
PanelResults panelResults(const FftAnalysis& fft, size_t points);

// The analysis a record goes through after it is plotted: the FFT control's spectrum and the
// histogram control's drawing. The main window gives its two controls; the command-line front
// end the numeric cores alone (Analysers).
class RecordAnalysis {
public:
    virtual ~RecordAnalysis() = default;
    // The FFT control's entry point: never raises; a failure shows in its read-outs.
    virtual void CalcFFT(std::span<const double> data, std::vector<double>& spectrum,
                         std::optional<double> sampleFrequency) = 0;
    // The histogram control's: raises the run-time error that stopped the drawing.
    virtual void Draw(std::span<const double> data, int16_t numberOfBits) = 0;
    // What the FFT control shows for the last spectrum.
    virtual PanelResults panel() const = 0;
};

// The numeric cores of the two controls, for a host without windows.
struct Analysers : RecordAnalysis {
    FftAnalysis fft;
    histogram::Display histogram;
    int16_t histogramRows = histogram::MinRows;
    int32_t histogramBarLength = 6000;

    void CalcFFT(std::span<const double> data, std::vector<double>& spectrum,
                 std::optional<double> sampleFrequency) override {
        fft.CalcFFT(data, spectrum, sampleFrequency);
        m_points = data.size();
    }
    void Draw(std::span<const double> data, int16_t) override {
        histogram::Draw(data, histogramRows, histogramBarLength, histogram);
    }
    PanelResults panel() const override { return panelResults(fft, m_points); }

private:
    size_t m_points = 0;
};

// A failed step of the file dispatch: the dispatch's own number, the number of the failure
// behind it, and the text the user is shown ("Error 533:11 occured while calculating Histogram").
struct DispatchFailure {
    int number = 0;
    int cause = 0;
    QString message;
};

DispatchFailure dispatchFailure(int number, int cause);

// The analysis steps of the file dispatch, one call per step so the session can plot the
// spectrum between them:
//
//   int pending = convertLoadedRecord(state);                 codes to volts
//   if (auto f = spectrumOfLoadedRecord(state, a, pending))   spectrum, then the 531 check
//   ... plot the spectrum (532) ...
//   if (auto f = histogramOfRecord(state, a))                 histogram (533)
//   samplesReadLine(...)
//
// A failure of the conversion stays pending until the spectrum's check (its number, 0 for
// none). The spectrum itself never fails the dispatch: a record the FFT control cannot take
// shows the control's failure read-outs, and the dispatch goes on.
int convertLoadedRecord(ProgramState& state);
std::optional<DispatchFailure> spectrumOfLoadedRecord(ProgramState& state,
                                                      RecordAnalysis& analysers, int pending,
                                                      std::optional<double> sampleFrequency);
std::optional<DispatchFailure> histogramOfRecord(ProgramState& state, RecordAnalysis& analysers);
// "N Data Samples Read".
QString samplesReadLine(size_t samples);

// What a loaded raw record does not say by itself: the items of its file that held no number
// (read as 0), and its codes outside the range of the converter the settings describe.
struct LoadedRecordChecks {
    int notNumbers = 0;
    int outsideRange = 0;
    CodeRange range;
};
LoadedRecordChecks checkLoadedRecord(const ProgramState& state);
// "k items were not numbers and read as 0" and "k values outside LO to HI".
QString notNumbersLine(const LoadedRecordChecks& checks);
QString outsideRangeLine(const LoadedRecordChecks& checks);

// The message lines of a raw load whose dispatch ran to its end: "N Data Samples Read", then
// "k items were not numbers and read as 0" in red and "k values outside LO to HI" in the list's
// own colour, each only when k > 0.
void reportLoadedRecord(const ProgramState& state, MessageList& list);

// The spectrum of the current record into FFTData through the FFT control. FFTData counts as
// dimensioned once a spectrum has sized it: the failure path only zeroes what is there.
void spectrumOfRecord(ProgramState& state, RecordAnalysis& analysers,
                      std::optional<double> sampleFrequency);

}  // namespace rq
