#include "acquire/AcquisitionSession.h"

#include <QElapsedTimer>
#include <QMetaMethod>

#include "acquire/Capture.h"
#include "acquire/Conversion.h"
#include "acquire/DataFiles.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "fft/FftAnalysis.h"

namespace rq {

AcquisitionSession::AcquisitionSession(ProgramState& state, AcquisitionView& view,
                                       CommsFunctions* board, QObject* parent)
    : QObject(parent), m_state(state), m_view(view), m_board(board) {}

bool AcquisitionSession::TakeSamples() {
    Q_ASSERT(m_board);
    m_view.setDisplayModeEnabled(true);
    m_board->timer().setEnabled(true);
    QElapsedTimer clock;
    clock.start();
    m_timings = {};
    const int32_t n = ReadRecord(m_state, *m_board, m_view.boxes());
    m_timings.transfer = clock.nsecsElapsed() * 1e-9;
    if (n == 0) {
        m_view.beep();
        m_view.messages().AddItem(UploadFailureLine, 255u);
        m_view.setWaitPointer(false);
        stopContinuousSampling();
        return false;
    }
    captureDispatch(n);
    announceRecord(m_state.CurrentSettings.SampleFreq, m_state.BoardClock.actualSampleRate());
    m_view.messages().AddItem(samplesUploadedLine(n));
    m_view.setDisplayModeEnabled(true);
    m_state.CurrentSettings.DataLoaded = true;
    m_view.enableHoldZoom();
    m_view.setWaitPointer(false);
    return true;
}

void AcquisitionSession::captureDispatch(int32_t n) {
    SampleRecord& r = m_state.Record;
    MainCharts& charts = m_view.charts();
    RecordAnalysis& analysis = m_view.analysis();
    QElapsedTimer clock;
    const auto drawing = [&] { m_timings.drawing += clock.nsecsElapsed() * 1e-9; };
    const auto analysing = [&] { m_timings.analysis += clock.nsecsElapsed() * 1e-9; };
    // A failing step is skipped and the next one runs.
    const std::vector<double>& trace = m_view.showsVolts() ? r.VoltsData : r.SampleData;
    const bool draws = m_view.draws();
    clock.start();
    if (draws) {
        try {
            PlotTimeData(m_state, charts, m_view.yield(), trace, n);
        } catch (const NumberedError&) {
        }
        try {
            const auto [largest, smallest] = ScaleTimeChart(m_state, charts.dso, trace);
            m_view.showMaxMin(largest, smallest);
        } catch (const NumberedError&) {
        }
    }
    drawing();
    clock.start();
    spectrumOfRecord(m_state, analysis, m_state.CurrentSettings.SampleFreq);
    analysing();
    clock.start();
    if (draws) {
        try {
            PlotSpectrum(m_state, charts.fft, m_view.yield(), r.FFTData, n / 2);
        } catch (const NumberedError&) {
        }
    }
    drawing();
    clock.start();
    histogramOfRecord(m_state, analysis);
    analysing();
}

void AcquisitionSession::sampleContinuously() {
    m_continuousSampling = true;
    m_view.continuousRunStarted();
    Q_EMIT continuousRunStarted();
    m_view.setWaitPointer(true);
    while (m_continuousSampling) {
        if (!TakeSamples()) {
            m_continuousSampling = false;
        }
        m_view.yield().yield();
    }
    m_view.continuousRunEnded();
    Q_EMIT continuousRunEnded();
    m_view.messages().AddItem(QStringLiteral("Continuous Sampling Stopped"));
}

void AcquisitionSession::beginHeldRun() {
    m_heldRun = true;
    m_continuousSampling = true;
    m_view.continuousRunStarted();
    Q_EMIT continuousRunStarted();
    m_view.setWaitPointer(true);
}

void AcquisitionSession::endHeldRun(const QString& line) {
    if (!m_heldRun) {
        return;
    }
    m_heldRun = false;
    m_continuousSampling = false;
    m_view.setWaitPointer(false);
    m_view.continuousRunEnded();
    Q_EMIT continuousRunEnded();
    if (!line.isEmpty()) {
        m_view.messages().AddItem(line);
    }
}

void AcquisitionSession::replotTimeData() {
    if (!m_view.draws()) {
        return;
    }
    try {
        SampleRecord& r = m_state.Record;
        MainCharts& charts = m_view.charts();
        const int32_t n = recordLength(m_state.CurrentSettings.NumberOfSamples);
        const bool volts = m_view.showsVolts();
        if (volts) {
            ConvertToVolts(m_state.CurrentSettings, r.SampleData, r.VoltsData);
        }
        const std::vector<double>& trace = volts ? r.VoltsData : r.SampleData;
        PlotTimeData(m_state, charts, m_view.yield(), trace, n);
        const auto [largest, smallest] = ScaleTimeChart(m_state, charts.dso, trace);
        m_view.showMaxMin(largest, smallest);
        charts.dso.setYTopCopy(charts.dso.yTop());
        charts.dso.setYBottomCopy(charts.dso.yBottom());
    } catch (const NumberedError&) {
    }
}

bool AcquisitionSession::loadRawData(FileDialogs& dialogs) {
    if (LoadDataFile(m_state, dialogs, m_view.boxes()) != FileResult::Done) {
        return false;
    }
    return !dispatchLoadedRecord();
}

std::optional<DispatchFailure> AcquisitionSession::dispatchLoadedRecord(
    std::optional<double> sampleFrequency) {
    SampleRecord& r = m_state.Record;
    Settings& s = m_state.CurrentSettings;
    MainCharts& charts = m_view.charts();
    RecordAnalysis& analysis = m_view.analysis();
    const auto fail = [this](const DispatchFailure& f) {
        m_view.boxes().show(f.message, QStringLiteral("Error"), MsgIcon::None, MsgButtons::Ok);
        return f;
    };
    const bool draws = m_view.draws();
    // Step 1: "Integers", through the display mode's replot, which plots and scales the codes.
    m_view.showIntegers();
    replotTimeData();
    m_view.setDisplayModeEnabled(false);
    // The record length the chart routines take is the index's, as 16-bit counts.
    int64_t n = 0;
    if (draws) {
        try {
            n = recordLength(s.NumberOfSamples);
            PlotTimeData(m_state, charts, m_view.yield(), r.SampleData, n, s.MaxValue, s.MinValue);
        } catch (const NumberedError&) {
            return fail(dispatchFailure(530, 530));
        }
    }
    const int pending = convertLoadedRecord(m_state);
    if (const std::optional<DispatchFailure> f =
            spectrumOfLoadedRecord(m_state, analysis, pending, sampleFrequency)) {
        return fail(*f);
    }
    if (draws) {
        try {
            PlotSpectrum(m_state, charts.fft, m_view.yield(), r.FFTData, n / 2);
        } catch (const NumberedError&) {
            return fail(dispatchFailure(532, 532));
        }
    }
    if (const std::optional<DispatchFailure> f = histogramOfRecord(m_state, analysis)) {
        return fail(*f);
    }
    reportLoadedRecord(m_state, m_view.messages());
    m_view.setDisplayModeEnabled(true);
    m_view.enableHoldZoom();
    announceRecord(sampleFrequency.value_or(FftAnalysis::DefaultSampleFrequency), 0.0);
    return std::nullopt;
}

bool AcquisitionSession::loadFFTData(FileDialogs& dialogs) {
    if (LoadFFTFile(m_state, dialogs, m_view.boxes()) != FileResult::Done) {
        return false;
    }
    const int64_t n = static_cast<int64_t>(m_state.Record.FFTData.size());
    if (m_view.draws()) {
        try {
            PlotSpectrum(m_state, m_view.charts().fft, m_view.yield(), m_state.Record.FFTData, n);
        } catch (const NumberedError&) {
        }
    }
    m_view.messages().AddItem(formatGeneral(static_cast<double>(n)) +
                              QStringLiteral(" FFT Samples Read"));
    return true;
}

void AcquisitionSession::recomputeSpectrum() {
    if (!m_state.CurrentSettings.DataLoaded) {
        return;
    }
    SampleRecord& r = m_state.Record;
    spectrumOfRecord(m_state, m_view.analysis(), m_state.CurrentSettings.SampleFreq);
    if (m_view.draws()) {
        try {
            PlotSpectrum(m_state, m_view.charts().fft, m_view.yield(), r.FFTData,
                         static_cast<int64_t>(r.SampleData.size()) / 2);
        } catch (const NumberedError&) {
        }
    }
    // Copies are made only for someone listening: a continuous run must not pay for them.
    if (isSignalConnected(QMetaMethod::fromSignal(&AcquisitionSession::spectrumRecomputed))) {
        Q_EMIT spectrumRecomputed(
            {r.FFTData, double(m_state.CurrentSettings.SampleFreq), m_view.analysis().panel()});
    }
}

void AcquisitionSession::announceRecord(double sampleRate, double clockRate) {
    if (isSignalConnected(QMetaMethod::fromSignal(&AcquisitionSession::recordAnalysed))) {
        Q_EMIT recordAnalysed({m_state.Record, sampleRate, clockRate, m_view.analysis().panel()});
    }
}

}  // namespace rq
