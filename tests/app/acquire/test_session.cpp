// Protects the acquisition session without a window: which sequences announce a record and what
// the announcement carries, a continuous run that ends on a failed capture, and a file dispatch
// that stops at its box.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "ExampleBoard.h"
#include "acquire/AcquisitionSession.h"
#include "acquire/DataFiles.h"
#include "acquire/ScreenlessView.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"

using namespace rq;

namespace {

// The session's view with its screen replaced by what a test reads back.
struct FakeView : ScreenlessView {
    FakeView(RecordAnalysis& a, MessageList& m, MessageBoxes& b, Yield& y)
        : ScreenlessView(a, m, b, y) {}
    bool draws() const override { return true; }
    void beep() override { ++beeps; }
    void setWaitPointer(bool waiting) override { waitPointer = waiting; }
    bool showsVolts() const override { return volts; }
    void showIntegers() override { volts = false; }
    void setDisplayModeEnabled(bool enabled) override { displayModeEnabled = enabled; }
    void enableHoldZoom() override { holdZoomEnabled = true; }
    void showMaxMin(double largest, double smallest) override { maxMin = {largest, smallest}; }
    void continuousRunStarted() override { running = true; }
    void continuousRunEnded() override { running = false; }

    int beeps = 0;
    bool waitPointer = false;
    bool volts = false;
    bool displayModeEnabled = false;
    bool holdZoomEnabled = false;
    bool running = false;
    std::pair<double, double> maxMin{0, 0};
};

struct Session : test::SimLink {
    Analysers analysers;
    FakeView view{analysers, messages, boxes, yield};
    AcquisitionSession session{state, view, &comms};
    std::vector<AnalysedRecord> records;
    std::vector<AnalysedSpectrum> spectra;

    explicit Session(const SimBoardSettings& s = test::immediateSettings()) : SimLink(s) {
        loaded = test::startExampleProgram(*this);
        state.CurrentSettings.NumberOfSamples = 2;  // 1024 samples
        QObject::connect(&session, &AcquisitionSession::recordAnalysed,
                         [this](const AnalysedRecord& r) { records.push_back(r); });
        QObject::connect(&session, &AcquisitionSession::spectrumRecomputed,
                         [this](const AnalysedSpectrum& s) { spectra.push_back(s); });
    }
    int16_t loaded = -1;
};

std::vector<double> tone(int n, double cycles) {
    std::vector<double> codes;
    for (int i = 0; i < n; ++i) {
        codes.push_back(std::round(2048 + 1500 * std::sin(2 * M_PI * cycles * i / n)));
    }
    return codes;
}

}  // namespace

TEST(SessionCapture, AnnouncesTheRecordItAnalysedWithRateAndPanelResults) {
    Session s;
    ASSERT_EQ(s.loaded, DspResult::Started);
    ASSERT_TRUE(s.session.TakeSamples());
    ASSERT_EQ(s.records.size(), 1u);
    const AnalysedRecord& r = s.records[0];
    EXPECT_EQ(r.record.SampleData, s.state.Record.SampleData);
    EXPECT_EQ(r.record.FFTData, s.state.Record.FFTData);
    EXPECT_EQ(r.record.SampleData.size(), 1024u);
    EXPECT_EQ(r.sampleRate, 100000.0);
    EXPECT_EQ(r.clockRate, s.state.BoardClock.actualSampleRate());
    EXPECT_GT(r.clockRate, 0.0);
    EXPECT_EQ(r.panel.snr, s.analysers.fft.SNR());
    EXPECT_EQ(r.panel.thd, s.analysers.fft.THD());
    EXPECT_GT(r.panel.snr, 0.0);
    // The simulated tone is at 10 kHz: the peak's bin is within one bin (97.7 Hz) of it.
    EXPECT_NEAR(r.panel.frequency, 10000.0, 100000.0 / 1024);
    // The capture's own steps are done; the record is the program's.
    EXPECT_TRUE(s.state.CurrentSettings.DataLoaded);
    EXPECT_TRUE(s.view.holdZoomEnabled);
    EXPECT_TRUE(s.view.displayModeEnabled);
    EXPECT_EQ(s.messages.texts(), QStringList{"1024 Data Samples Uploaded"});
    EXPECT_EQ(s.view.beeps, 0);
}

TEST(SessionCapture, TheTraceFollowsTheDisplayMode) {
    Session s;
    s.view.volts = true;
    ASSERT_TRUE(s.session.TakeSamples());
    const auto& volts = s.state.Record.VoltsData;
    EXPECT_EQ(s.view.maxMin.first, *std::max_element(volts.begin(), volts.end()));
    EXPECT_EQ(s.view.maxMin.second, *std::min_element(volts.begin(), volts.end()));
    EXPECT_LT(s.view.maxMin.first, 100.0);  // volts, not codes
}

TEST(SessionCapture, FailedCaptureBeepsAndAnnouncesNothing) {
    Session s(test::withFaults(test::immediateSettings(), "endless-capture"));
    s.tickAfterYields = 50;
    s.view.waitPointer = true;
    EXPECT_FALSE(s.session.TakeSamples());
    EXPECT_TRUE(s.records.empty());
    EXPECT_EQ(s.view.beeps, 1);
    EXPECT_FALSE(s.view.waitPointer);
    ASSERT_EQ(s.messages.lines.size(), 1u);
    EXPECT_EQ(s.messages.lines[0].text, "Data Upload Failure");
    EXPECT_EQ(s.messages.lines[0].colour, 255u);
    EXPECT_FALSE(s.state.CurrentSettings.DataLoaded);
    EXPECT_FALSE(s.view.holdZoomEnabled);
}

TEST(SessionContinuousRun, EndsOnTheFirstFailedCapture) {
    Session s;
    // The third capture never ends; the watchdog stops it.
    QObject::connect(&s.session, &AcquisitionSession::recordAnalysed, [&s] {
        if (s.records.size() == 2) {
            SimBoardFaults f;
            f.endlessCapture = true;
            s.board.setFaults(f);
            s.tickAfterYields = s.yield.count + 50;
        }
    });
    s.session.sampleContinuously();
    EXPECT_EQ(s.records.size(), 2u);
    EXPECT_FALSE(s.session.continuousSampling());
    EXPECT_FALSE(s.view.running);
    EXPECT_FALSE(s.view.waitPointer);
    EXPECT_EQ(s.view.beeps, 1);
    EXPECT_EQ(s.messages.texts(),
              (QStringList{"1024 Data Samples Uploaded", "1024 Data Samples Uploaded",
                           "Data Upload Failure", "Continuous Sampling Stopped"}));
}

TEST(SessionContinuousRun, StopsWhenAskedBetweenRecords) {
    Session s;
    bool runningDuring = false;
    QObject::connect(&s.session, &AcquisitionSession::recordAnalysed, [&] {
        runningDuring = s.view.running;
        s.session.stopContinuousSampling();
    });
    s.session.sampleContinuously();
    EXPECT_TRUE(runningDuring);
    EXPECT_EQ(s.records.size(), 1u);
    EXPECT_FALSE(s.view.running);
    EXPECT_EQ(s.view.beeps, 0);
    EXPECT_EQ(s.messages.texts(),
              (QStringList{"1024 Data Samples Uploaded", "Continuous Sampling Stopped"}));
}

TEST(SessionContinuousRun, AnnouncesItsStartBeforeTheFirstRecordAndItsEndAfterTheLast) {
    Session s;
    QStringList events;
    QObject::connect(&s.session, &AcquisitionSession::continuousRunStarted,
                     [&] { events << "started"; });
    QObject::connect(&s.session, &AcquisitionSession::continuousRunEnded, [&] {
        events << "ended";
        EXPECT_FALSE(s.session.continuousSampling());
    });
    QObject::connect(&s.session, &AcquisitionSession::recordAnalysed, [&] {
        events << "record";
        if (s.records.size() == 2) {
            s.session.stopContinuousSampling();
        }
    });
    s.session.sampleContinuously();
    EXPECT_EQ(events, (QStringList{"started", "record", "record", "ended"}));
    // A single capture is no run.
    events.clear();
    ASSERT_TRUE(s.session.TakeSamples());
    EXPECT_EQ(events, QStringList{"record"});
}

TEST(SessionFileDispatch, RunToItsEndAnnouncesAtThePanelsRate) {
    Session s;
    s.state.Record.SampleData = tone(1024, 37.3);
    s.view.volts = true;
    EXPECT_EQ(s.session.dispatchLoadedRecord(), std::nullopt);
    EXPECT_FALSE(s.view.volts);  // "Integers" first
    ASSERT_EQ(s.records.size(), 1u);
    EXPECT_EQ(s.records[0].sampleRate, 100000.0);
    EXPECT_EQ(s.records[0].clockRate, 0.0);
    // 37.3 cycles in 1024 samples at 100 kHz: the peak's bin, 37.
    EXPECT_EQ(s.analysers.fft.lastError(), 0);
    EXPECT_DOUBLE_EQ(s.records[0].panel.frequency, 37 * 100000.0 / 1024);
    EXPECT_EQ(s.records[0].record.VoltsData, s.state.Record.VoltsData);
    EXPECT_TRUE(s.view.displayModeEnabled);
    EXPECT_TRUE(s.view.holdZoomEnabled);
    EXPECT_EQ(s.messages.texts(), QStringList{"1024 Data Samples Read"});

    EXPECT_EQ(s.session.dispatchLoadedRecord(50000.0), std::nullopt);
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records[1].sampleRate, 50000.0);
    EXPECT_DOUBLE_EQ(s.records[1].panel.frequency, 37 * 50000.0 / 1024);
}

TEST(SessionFileDispatch, StopsAtItsBoxWithoutAnnouncing) {
    Session s;
    // One value: the histogram's deviation divides by zero.
    s.state.Record.SampleData = {2048};
    const std::optional<DispatchFailure> f = s.session.dispatchLoadedRecord();
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->number, 533);
    ASSERT_EQ(s.boxes.shown.size(), 1u);
    EXPECT_EQ(s.boxes.shown[0].text, "Error 533:11 occured while calculating Histogram");
    EXPECT_EQ(s.boxes.shown[0].title, "Error");
    EXPECT_TRUE(s.records.empty());
    EXPECT_TRUE(s.messages.lines.empty());
    EXPECT_FALSE(s.view.displayModeEnabled);
    EXPECT_FALSE(s.view.holdZoomEnabled);
}

TEST(SessionFileDispatch, RecordLengthTheChartsCannotTakeStopsAtTheFirstPlot) {
    Session s;
    s.state.Record.SampleData = tone(1024, 64);
    s.state.CurrentSettings.NumberOfSamples = 7;  // 32768 points do not fit a 16-bit count
    const std::optional<DispatchFailure> f = s.session.dispatchLoadedRecord();
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->message, "Error 530:530 occured while attempting to graph data");
    EXPECT_TRUE(s.state.Record.FFTData.empty());
    EXPECT_TRUE(s.records.empty());
}

TEST(SessionFileDispatch, AViewWithoutAScreenTakesARecordTheChartsCouldNot) {
    Session s;
    ScreenlessView screenless{s.analysers, s.messages, s.boxes, s.yield};
    AcquisitionSession session{s.state, screenless};
    int announced = 0;
    QObject::connect(&session, &AcquisitionSession::recordAnalysed,
                     [&](const AnalysedRecord&) { ++announced; });
    s.state.Record.SampleData = tone(32768, 64);
    s.state.CurrentSettings.NumberOfSamples = 7;
    EXPECT_FALSE(session.dispatchLoadedRecord().has_value());
    EXPECT_TRUE(s.boxes.shown.empty());
    EXPECT_EQ(s.messages.texts(), QStringList{"32768 Data Samples Read"});
    EXPECT_EQ(announced, 1);
}

TEST(SessionFiles, LoadedSpectrumIsPlottedButNotAnnounced) {
    Session s;
    QTemporaryDir dir;
    const QString path = dir.filePath("fft.dat");
    writeDataValues(path, {-10.0, -50.0, -90.0, -120.0});
    test::FakeFileDialogs dialogs;
    dialogs.answers.push_back(path);
    EXPECT_TRUE(s.session.loadFFTData(dialogs));
    EXPECT_EQ(s.state.Record.FFTData.size(), 4u);
    EXPECT_EQ(s.view.charts().fft.yBottom(), -120.0);
    EXPECT_EQ(s.messages.texts(), QStringList{"4 FFT Samples Read"});
    EXPECT_TRUE(s.records.empty());
    EXPECT_TRUE(s.spectra.empty());
}

TEST(SessionSpectrum, RecomputeAnnouncesTheSpectrumOnly) {
    Session s;
    s.session.recomputeSpectrum();  // nothing loaded yet
    EXPECT_TRUE(s.spectra.empty());

    ASSERT_TRUE(s.session.TakeSamples());
    s.records.clear();
    s.analysers.fft.setWindowing(false);
    s.session.recomputeSpectrum();
    EXPECT_TRUE(s.records.empty());
    ASSERT_EQ(s.spectra.size(), 1u);
    EXPECT_EQ(s.spectra[0].spectrum, s.state.Record.FFTData);
    EXPECT_EQ(s.spectra[0].sampleRate, 100000.0);
    EXPECT_EQ(s.spectra[0].panel.snr, s.analysers.fft.SNR());
}
