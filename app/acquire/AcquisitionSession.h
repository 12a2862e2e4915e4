#pragma once

#include <QObject>
#include <optional>
#include <vector>

#include "acquire/AcquisitionView.h"
#include "board/CommsFunctions.h"
#include "common/HostInterfaces.h"
#include "state/ProgramState.h"

namespace rq {

// A record as it was analysed: a copy of it, the sample rate the spectrum took (and the rate
// the board clock was actually set to, 0 for a loaded file) and the panel's results.
struct AnalysedRecord {
    SampleRecord record;
    double sampleRate = 0;
    double clockRate = 0;
    PanelResults panel;
};

// A spectrum computed again from the current record (the panel's windowing changed).
struct AnalysedSpectrum {
    std::vector<double> spectrum;
    double sampleRate = 0;
    PanelResults panel;
};

// The capture, the continuous run and the file dispatch, written once for every host. Each
// sequence reaches the screen only through the view; the record is the program state's.
//
// recordAnalysed follows a capture that arrived (after its histogram) and a file dispatch that
// ran to its end; spectrumRecomputed follows a spectrum computed again. Neither is sent for a
// failed capture, a dispatch that stopped at a box, or a loaded spectrum.
class AcquisitionSession : public QObject {
    Q_OBJECT

public:
    // A session without a board link (a host that only analyses files) takes no samples.
    AcquisitionSession(ProgramState& state, AcquisitionView& view, CommsFunctions* board = nullptr,
                       QObject* parent = nullptr);

    // Where the last capture's time went, in seconds: the board transfer (command, wait,
    // read-out, volts), the analysis (spectrum and histogram) and the drawing (both charts).
    struct CaptureTimings {
        double transfer = 0;
        double analysis = 0;
        double drawing = 0;
    };
    const CaptureTimings& lastCaptureTimings() const { return m_timings; }

    // "Sample": one record from the board, plotted and analysed. A failure beeps, adds the red
    // "Data Upload Failure", analyses nothing and stops a continuous run; returns false.
    bool TakeSamples();

    // "Cont Samp": records one after another, with a turn of the message loop after each,
    // until stopContinuousSampling or a failed capture; then "Continuous Sampling Stopped".
    void sampleContinuously();
    void stopContinuousSampling() { m_continuousSampling = false; }
    bool continuousSampling() const { return m_continuousSampling; }

    // A run of captures that another part drives, record by record with TakeSamples (a sweep):
    // the view shows it as a continuous run, so that only "Stop Samp" is available, which ends
    // it (continuousSampling() turns false), as does a failed capture. endHeldRun gives the
    // buttons back and adds the line it is given, if any.
    void beginHeldRun();
    void endHeldRun(const QString& line = QString());
    bool heldRun() const { return m_heldRun; }

    // The display mode's replot: the record on the time-domain chart in the mode shown, its
    // range and the Max/Min read-out. A failing step ends it quietly.
    void replotTimeData();

    // "Load Raw Data": the file dialog and the load, then dispatchLoadedRecord. False when no
    // record was loaded or the dispatch stopped.
    bool loadRawData(FileDialogs& dialogs);
    // The dispatch of a record just loaded, at the given sample frequency (the panel's default
    // when none). A failing step shows its box ("Error 531:13 ...") and ends the dispatch; the
    // failure is returned too.
    std::optional<DispatchFailure> dispatchLoadedRecord(
        std::optional<double> sampleFrequency = std::nullopt);

    // "Load FFT Data": a spectrum file on the spectrum chart, and its line.
    bool loadFFTData(FileDialogs& dialogs);

    // The panel's windowing changed: the spectrum of the current record again, plotted.
    void recomputeSpectrum();

Q_SIGNALS:
    void recordAnalysed(const rq::AnalysedRecord& analysed);
    void spectrumRecomputed(const rq::AnalysedSpectrum& analysed);
    // Around a continuous run: before its first capture, and after its last record was announced.
    void continuousRunStarted();
    void continuousRunEnded();

private:
    void captureDispatch(int32_t n);
    void announceRecord(double sampleRate, double clockRate);

    ProgramState& m_state;
    AcquisitionView& m_view;
    CommsFunctions* m_board;
    CaptureTimings m_timings;
    bool m_continuousSampling = false;
    bool m_heldRun = false;
};

}  // namespace rq
