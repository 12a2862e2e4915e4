// Protects the main window as a user meets it, on the offscreen platform with the simulated
// board: start-up with and without "/GET", captures of every record length through "Sample", a
// continuous run stopped by the user, by a board fault and by closing the window, a close held
// while a capture waits or the reset pauses, "Reset" and the power buttons with a board that
// does not answer, the layout at the default size, the cursor read-outs, the mode switch and
// the boxes of the file dispatch.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>

#include "Fakes.h"
#include "MainWindowHarness.h"
#include "WidgetTest.h"
#include "acquire/DataFiles.h"
#include "acquire/frmMainScreen.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "common/BasicText.h"
#include "config/ConfigFile.h"
#include "config/FrequencyList.h"
#include "config/SettingsStore.h"
#include "fft/QuorFFTControl.h"
#include "histogram/QuorHistogram.h"
#include "host/Twips.h"
#include "simboard/FaultSpec.h"
#include "simboard/SimBoard.h"
#include "status/QuorStatus.h"
#include "strip/StripChart.h"
#include "toggle/ToggleButton.h"

using namespace rq;

namespace {

// The program around one main window: a simulated board with immediate captures, a settings
// store in a temporary folder and fakes for the boxes, dialogs and beep.
class MainWindowTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    void start(const QString& commandLine = QStringLiteral("/SIM")) { startProgram(commandLine); }
    void load(int16_t samplesIndex = 2) { loadExample(samplesIndex); }
    template <class T>
    T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* buttonNamed(const char* name) { return child<QPushButton>(name); }
    void click(const char* name) { QTest::mouseClick(buttonNamed(name), Qt::LeftButton); }
    // Which of the capture and power buttons can be pressed, in a fixed order.
    QString buttonPattern() {
        QString p;
        for (const char* name : {"cmdSample", "cmdContSample", "cmdStopSampling", "cmdPowerUp",
                                 "cmdPowerDown", "cmdReset", "cmdQuit"}) {
            p += buttonNamed(name)->isEnabled() ? u'1' : u'0';
        }
        return p;
    }
    QString writeData(const char* name, const std::vector<double>& values) {
        QString text;
        for (double v : values) {
            text += formatNumber(v, u"0.000000") + QStringLiteral("\r\n");
        }
        QFile f(dir.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::WriteOnly);
        f.write(text.toLatin1());
        return f.fileName();
    }
    void loadRawData(const QString& path) {
        dialogs.answers.push_back(path);
        window->mnuLoadRawData_Click();
    }
};

constexpr const char* kIdle = "1101111";

}  // namespace

TEST_F(MainWindowTest, StartsCentredWithTheSummaryAndTheDesignStates) {
    start();
    EXPECT_EQ(window->windowTitle(), "RQ3118 Evaluation Software");
    EXPECT_EQ(window->frameGeometry().size(), host::toPixels(QSize(9465, 7170)));
    const QRect screen = window->screen()->geometry();
    EXPECT_NEAR(window->frameGeometry().center().x(), screen.center().x(), 1);
    auto* summary = child<controls::QuorStatus>("QuorStatus2");
    EXPECT_TRUE(summary->FontBold());
    EXPECT_EQ(summary->findChild<QLabel*>("lblText0")->text(), "Configuration:");
    EXPECT_EQ(summary->findChild<QLabel*>("lblText1")->text(), "Part: Not Setup");
    EXPECT_EQ(summary->findChild<QLabel*>("lblText2")->text(), "Program: None");
    EXPECT_EQ(lines(), QStringList{"Simulated Board in use"});
    EXPECT_EQ(buttonPattern(), "0000011");
    EXPECT_FALSE(child<QComboBox>("cboDisplayMode")->isEnabled());
    EXPECT_EQ(child<QComboBox>("cboDisplayMode")->currentText(), "Integers");
    EXPECT_FALSE(child<QLabel>("lblCursorInfo")->isVisible());
    EXPECT_FALSE(child<controls::QuorHistogram>("QuorHistogram1")->isVisible());
    auto* toggle = child<controls::ToggleButton>("ToggleButton1");
    EXPECT_EQ(toggle->OnText(), "Histogram Mode");
    EXPECT_EQ(toggle->OffText(), "FFT Mode");
    EXPECT_EQ(child<controls::QuorHistogram>("QuorHistogram1")->BarColour(), 0xFF0000u);
    EXPECT_EQ(state->CurrentSettings.TimeOut, 1000);
    // The menus in bar order, the two unavailable items, the simulated board checked.
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->text(), "&File");
    EXPECT_EQ(bar[1]->text(), "&Printer Port");
    EXPECT_EQ(bar[2]->text(), "&Analysis");
    EXPECT_EQ(bar[3]->text(), "&Help");
    EXPECT_EQ(child<QAction>("mnuConverterFigures")->text(), "&Converter Figures");
    EXPECT_EQ(child<QAction>("mnuConverterFigures")->shortcut(), QKeySequence("Ctrl+Shift+F"));
    EXPECT_EQ(child<QAction>("mnuTestReport")->text(), "Test &Report...");
    EXPECT_EQ(child<QAction>("mnuSweep")->text(), "&Sweep...");
    EXPECT_FALSE(child<QAction>("LoadEXE")->isEnabled());
    EXPECT_FALSE(child<QAction>("mnuLoadFFTData")->isEnabled());
    EXPECT_TRUE(child<QAction>("mnuSimulated")->isChecked());
    EXPECT_FALSE(child<QAction>("mnuLPT1")->isChecked());
    EXPECT_FALSE(child<QAction>("mnuLPT2")->isEnabled());
    EXPECT_FALSE(child<QAction>("mnuPRN")->isEnabled());
}

TEST_F(MainWindowTest, GetRestoresGeometryAndConfigurationAndSaveKeepsThem) {
    {
        QSettingsStore s(dir.path());
        s.save("VelmarBoard", "Position", "Left", "1500");
        s.save("VelmarBoard", "Position", "Top", "300");
        s.save("VelmarBoard", "Position", "Width", "10500");
        s.save("VelmarBoard", "Position", "Height", "8100");
        s.save("VelmarBoard", "Configuration", "PartName", "RQ3116");
        s.save("VelmarBoard", "Configuration", "NumberOfBits", "16");
        s.save("VelmarBoard", "Configuration", "DataFormat", "1");
    }
    start("/SIM /GET /T:250 /SAVE");
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(100, 20));
    EXPECT_EQ(window->frameGeometry().size(), QSize(700, 540));
    auto* summary = child<controls::QuorStatus>("QuorStatus2");
    EXPECT_EQ(summary->findChild<QLabel*>("lblText1")->text(), "Part:RQ3116");
    EXPECT_EQ(summary->findChild<QLabel*>("lblText3")->text(), "Bits:16");
    EXPECT_EQ(summary->findChild<QLabel*>("lblText4")->text(), "Code: 2's Comp");
    EXPECT_EQ(state->CurrentSettings.TimeOut, 250);
    // The layout follows the restored size: charts 10500 - 1755 - 240 wide.
    EXPECT_EQ(window->layoutTwips().StripFFT.width, 8505);
    window->resize(640, 480);
    const int outerWidth = window->frameGeometry().width();
    window->close();
    EXPECT_FALSE(window->isVisible());
    QSettingsStore s(dir.path());
    EXPECT_EQ(s.get("VelmarBoard", "Position", "Width", ""), QString::number(outerWidth * 15));
    EXPECT_EQ(s.get("VelmarBoard", "Configuration", "PartName", ""), "RQ3116");
}

TEST_F(MainWindowTest, SampleCapturesEveryRecordLength) {
    start();
    auto* dso = child<StripChart>("stripDSO");
    auto* spectrum = child<StripChart>("StripFFT");
    auto* histogram = child<controls::QuorHistogram>("QuorHistogram1");
    for (int16_t index = 0; index <= 5; ++index) {
        load(index);
        const int n = 256 << index;
        click("cmdSample");
        EXPECT_EQ(lines().last(), QString("%1 Data Samples Uploaded").arg(n));
        EXPECT_EQ(dso->pointCount(), n);
        EXPECT_EQ(dso->pointsShown(), n);
        EXPECT_EQ(dso->lastPoint(), n - 1);
        EXPECT_EQ(dso->xMaximum(), n - 1);
        EXPECT_EQ(dso->pointCapacity(), n + 10);
        EXPECT_EQ(spectrum->pointCount(), n / 2);
        EXPECT_EQ(spectrum->xMaximum(), n / 2 - 1);
        EXPECT_EQ(spectrum->pointsShown(), n / 2 - 1);
        EXPECT_EQ(spectrum->yBottom(), -120.0);
        EXPECT_GE(spectrum->yTop(), 0.0);
        EXPECT_EQ(histogram->findChild<QLabel*>("lblResults0")->text(), QString::number(n));
        EXPECT_TRUE(child<QComboBox>("cboDisplayMode")->isEnabled());
        EXPECT_TRUE(child<QCheckBox>("chkHoldZoom")->isEnabled());
        EXPECT_TRUE(buttonNamed("cmdSample")->isEnabled());
        EXPECT_TRUE(buttonNamed("cmdSample")->hasFocus());
        EXPECT_EQ(child<QLabel>("lblMax")->text(), formatNumber(dso->yTop(), u"0.0000"));
    }
    EXPECT_TRUE(child<QLabel>("lblSNRvalue")->text().endsWith("dB"));
    EXPECT_EQ(child<QLabel>("lblFREQvalue")->text(), "9997.6Hz");
    // A reset disables the display options and unchecks Hold Zoom.
    QTest::mouseClick(child<QCheckBox>("chkHoldZoom"), Qt::LeftButton);
    EXPECT_TRUE(state->Record.HoldZoom);
    click("cmdReset");
    EXPECT_FALSE(child<QCheckBox>("chkHoldZoom")->isChecked());
    EXPECT_FALSE(state->Record.HoldZoom);
    EXPECT_FALSE(child<QComboBox>("cboDisplayMode")->isEnabled());
    EXPECT_EQ(buttonPattern(), "0000011");
    EXPECT_EQ(lines(), QStringList{"Board Reset"});
}

TEST_F(MainWindowTest, PicturesAfterALoadAndASample) {
    start();
    load(3);
    click("cmdSample");
    Q_EMIT child<StripChart>("StripFFT")->CursorChange(205);
    EXPECT_TRUE(test::savePng(window.get(), "main_window_fft.png"));
    QTest::mouseClick(
        child<controls::ToggleButton>("ToggleButton1")->findChild<QWidget*>("ToggleOff"),
        Qt::LeftButton);
    EXPECT_TRUE(test::savePng(window.get(), "main_window_histogram.png"));
}

TEST_F(MainWindowTest, ContinuousRunStoppedByTheUser) {
    start();
    load();
    int uploads = 0;
    QString during;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        during = buttonPattern();
        uploads = static_cast<int>(board->captureCount());
        click("cmdStopSampling");
    });
    stopper.setSingleShot(true);
    stopper.start(150);
    click("cmdContSample");
    EXPECT_EQ(during, "0010000");
    EXPECT_GT(uploads, 2);
    // The capture running when Stop was pressed finished and plotted.
    EXPECT_EQ(board->captureCount(), uploads);
    EXPECT_EQ(lines().last(), "Continuous Sampling Stopped");
    EXPECT_EQ(lines()[lines().size() - 2], "1024 Data Samples Uploaded");
    EXPECT_EQ(buttonPattern(), kIdle);
    EXPECT_FALSE(window->ContinuousSampling());
    EXPECT_EQ(beeper.beeps, 0);
}

TEST_F(MainWindowTest, ContinuousRunEndedByABoardFault) {
    start();
    load();
    QTimer::singleShot(100, [&] { board->setFaults(parseFaultSpec("no-board").value()); });
    click("cmdContSample");
    const QStringList l = lines();
    ASSERT_GE(l.size(), 2);
    EXPECT_EQ(l[l.size() - 2], "Data Upload Failure");
    EXPECT_EQ(l.last(), "Continuous Sampling Stopped");
    auto* list = child<controls::QuorStatus>("QuorStatus1");
    const int failureLine = static_cast<int>(l.size()) - 2;
    EXPECT_EQ(host::foreColour(list->findChild<QLabel*>(QString("lblText%1").arg(failureLine))),
              255u);
    EXPECT_EQ(buttonPattern(), kIdle);
    EXPECT_EQ(beeper.beeps, 1);
    // The board may go between two records (the capture command fails, with its box) or in the
    // middle of one (a sample read fails, without a box); either ends the run the same way.
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(box.title, "Send Command Error");
    }
}

TEST_F(MainWindowTest, ClosingDuringAHandlersWaitIsHeldUntilItReturns) {
    // A continuous run: the close stops it, then the window shuts down.
    start("/SIM /SAVE");
    load();
    QTimer::singleShot(100, [&] {
        window->close();
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->closePending());
    });
    click("cmdContSample");
    EXPECT_EQ(lines().last(), "Continuous Sampling Stopped");
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    EXPECT_NE(QSettingsStore(dir.path()).get("VelmarBoard", "Position", "Width", ""), "");

    // A single capture waiting for a board that never ends it: the close ends the wait.
    start();
    load();
    board->setFaults(parseFaultSpec("endless-capture").value());
    QTimer::singleShot(200, [&] { window->close(); });
    QElapsedTimer clock;
    clock.start();
    click("cmdSample");
    EXPECT_LT(clock.elapsed(), 2500);  // well before the 3 s watchdog
    EXPECT_EQ(lines().last(), "Data Upload Failure");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));

    // The reset's pause.
    start();
    load();
    QTimer::singleShot(0, [&] { window->close(); });
    click("cmdReset");
    EXPECT_EQ(lines(), QStringList{"Board Reset"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
}

TEST_F(MainWindowTest, BoardThatDoesNotAnswerResetAndPower) {
    start();
    load();
    click("cmdPowerDown");
    EXPECT_EQ(lines().last(), "Part Powered Down");
    click("cmdPowerUp");
    EXPECT_EQ(lines().last(), "Part Powered Up");
    board->setFaults(parseFaultSpec("no-board").value());
    click("cmdPowerUp");
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back().title, "Send Command Error");
    EXPECT_EQ(boxes.shown.back().text.split("\r\n").value(1), "(Error 507)");
    EXPECT_EQ(lines().last(), "Send Command Error");
    click("cmdReset");
    EXPECT_EQ(boxes.shown.back().title, "Reset Error");
    EXPECT_EQ(lines(), QStringList{"Reset Failure"});
    // A failed reset leaves the buttons as they were.
    EXPECT_EQ(buttonPattern(), kIdle);
}

TEST_F(MainWindowTest, LayoutAtTheDefaultSizeAndTheModeSwitch) {
    start();
    const auto twips = [&](const char* name) { return host::twipsGeometry(child<QWidget>(name)); };
    EXPECT_EQ(twips("StripFFT"), QRect(120, 4065, 7470, 2445));
    EXPECT_EQ(twips("stripDSO"), QRect(60, 1560, 7470, 2445));
    EXPECT_EQ(twips("chkVGrid").left(), 7590);
    EXPECT_EQ(twips("cboDisplayMode").left(), 7590);
    EXPECT_EQ(twips("QuorFFTControl1"), QRect(7650, 4065, 1755, 2445));
    EXPECT_EQ(twips("lblCursorInfo").top(), 3570);

    auto* toggle = child<controls::ToggleButton>("ToggleButton1");
    QTest::mouseClick(toggle->findChild<QWidget*>("ToggleOff"), Qt::LeftButton);
    EXPECT_TRUE(toggle->Value());
    EXPECT_TRUE(child<QWidget>("QuorHistogram1")->isVisible());
    EXPECT_FALSE(child<QWidget>("QuorFFTControl1")->isVisible());
    EXPECT_FALSE(child<QWidget>("StripFFT")->isVisible());
    EXPECT_EQ(twips("QuorHistogram1").top(), 4065);
    EXPECT_EQ(twips("QuorHistogram1").left(), 120);
    EXPECT_EQ(twips("QuorHistogram1").width(), 9465 - 180);
    QTest::mouseClick(toggle->findChild<QWidget*>("ToggleOn"), Qt::LeftButton);
    EXPECT_FALSE(child<QWidget>("QuorHistogram1")->isVisible());
    EXPECT_TRUE(child<QWidget>("StripFFT")->isVisible());
}

TEST_F(MainWindowTest, CursorReadOutsWhileDataIsLoaded) {
    start();
    auto* spectrum = child<StripChart>("StripFFT");
    auto* info = child<QLabel>("lblCursorInfo");
    Q_EMIT spectrum->CursorChange(11);
    EXPECT_FALSE(info->isVisible());  // nothing loaded yet
    load(2);
    click("cmdSample");
    Q_EMIT spectrum->CursorChange(11);
    EXPECT_TRUE(info->isVisible());
    EXPECT_TRUE(info->text().startsWith("Freq:976.56Hz\nValue:")) << qPrintable(info->text());
    Q_EMIT spectrum->CursorChange(1);
    EXPECT_TRUE(info->text().startsWith("Freq:0.00Hz\n"));
    Q_EMIT spectrum->MouseUp(1, 0, 0, 0);
    EXPECT_FALSE(info->isVisible());
    auto* dso = child<StripChart>("stripDSO");
    Q_EMIT dso->CursorChange(5);
    EXPECT_EQ(info->text(),
              QString("Sample:5\nValue:%1").arg(formatGeneral(state->Record.SampleData[4])));
    // Volts mode: six decimals and V.
    auto* mode = child<QComboBox>("cboDisplayMode");
    mode->setCurrentIndex(1);
    Q_EMIT mode->activated(1);
    Q_EMIT dso->CursorChange(5);
    EXPECT_EQ(
        info->text(),
        QString("Sample:5\nValue:%1V").arg(formatNumber(state->Record.VoltsData[4], u"0.000000")));
    EXPECT_EQ(dso->savedYTop(), dso->yTop());
    // Keys do not change the display mode.
    QTest::keyClick(mode, Qt::Key_Up);
    EXPECT_EQ(mode->currentIndex(), 1);
}

// The session behind the window announces what the panel shows, and only for a record that was
// analysed to the end.
TEST_F(MainWindowTest, AnnouncementsCarryTheRecordAndThePanelsResults) {
    start();
    load();
    std::vector<AnalysedRecord> records;
    std::vector<AnalysedSpectrum> spectra;
    QObject::connect(&window->session(), &AcquisitionSession::recordAnalysed,
                     [&](const AnalysedRecord& r) { records.push_back(r); });
    QObject::connect(&window->session(), &AcquisitionSession::spectrumRecomputed,
                     [&](const AnalysedSpectrum& s) { spectra.push_back(s); });
    click("cmdSample");
    ASSERT_EQ(records.size(), 1u);
    const auto* fft = child<controls::QuorFFTControl>("QuorFFTControl1");
    EXPECT_EQ(records[0].record.SampleData, state->Record.SampleData);
    EXPECT_EQ(records[0].record.FFTData, state->Record.FFTData);
    EXPECT_EQ(records[0].sampleRate, state->CurrentSettings.SampleFreq);
    EXPECT_EQ(records[0].clockRate, state->BoardClock.actualSampleRate());
    EXPECT_EQ(records[0].panel.snr, fft->SNR());
    EXPECT_EQ(records[0].panel.thd, fft->THD());
    EXPECT_EQ(formatNumber(records[0].panel.frequency, u"0.0") + "Hz",
              child<QLabel>("lblFREQvalue")->text());

    // The panel's windowing: a new spectrum, not a new record.
    QTest::mouseClick(child<QCheckBox>("chkBHwindow"), Qt::LeftButton);
    EXPECT_EQ(records.size(), 1u);
    ASSERT_EQ(spectra.size(), 1u);
    EXPECT_EQ(spectra[0].spectrum, state->Record.FFTData);
    EXPECT_EQ(spectra[0].panel.snr, fft->SNR());

    // A dispatch that ends at its box announces nothing; one that runs to its end does.
    loadRawData(writeData("one.dat", {2048}));
    EXPECT_EQ(records.size(), 1u);
    loadRawData(writeData("codes.dat", records[0].record.SampleData));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].sampleRate, 100000.0);
    EXPECT_EQ(records[1].record.SampleData, records[0].record.SampleData);
}

TEST_F(MainWindowTest, FileDispatchAndItsBoxes) {
    start();
    // One value: its spectrum fails quietly, its histogram divides by zero.
    loadRawData(writeData("one.dat", {2048}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Error 533:11 occured while calculating Histogram");
    EXPECT_EQ(child<QLabel>("lblSNRvalue")->text(), "0.000dB");
    boxes.shown.clear();
    // A good record: plotted as integers with its extremes, analysed at 100 kHz.
    std::vector<double> tone;
    for (int i = 0; i < 1024; ++i) {
        // Off the bin, so that no bin of the rounded codes is exactly 0.
        tone.push_back(std::round(2048 + 1000 * std::sin(2 * M_PI * 100.3 * i / 1024.0)));
    }
    loadRawData(writeData("tone.dat", tone));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(lines().last(), "1024 Data Samples Read");
    EXPECT_EQ(child<StripChart>("stripDSO")->yTop(), *std::max_element(tone.begin(), tone.end()));
    EXPECT_EQ(child<QComboBox>("cboDisplayMode")->currentIndex(), 0);
    EXPECT_EQ(child<QLabel>("lblFREQvalue")->text(), "9765.6Hz");
    EXPECT_TRUE(child<QComboBox>("cboDisplayMode")->isEnabled());
    // Three values have no spectrum: the panel reads zero, not the tone's frequency.
    loadRawData(writeData("three.dat", {2040, 2048, 2056}));
    EXPECT_EQ(child<QLabel>("lblSNRvalue")->text(), "0.000dB");
    EXPECT_EQ(child<QLabel>("lblFREQvalue")->text(), ".0Hz");

    struct Row {
        std::vector<double> values;
        const char* message;
    } rows[] = {
        // More values than the chart's 16-bit counts take.
        {std::vector<double>(32767, 5.0), "Error 530:530 occured while attempting to graph data"},
        // A code beyond 32 bits does not convert to volts; the failure waits for the spectrum.
        {{1e10, 1, 2, 3}, "Error 531:6 occured while calculating FFT"},
    };
    for (const Row& r : rows) {
        boxes.shown.clear();
        loadRawData(writeData("bad.dat", r.values));
        ASSERT_EQ(boxes.shown.size(), 1u) << r.message;
        EXPECT_EQ(boxes.shown[0].text, r.message);
        EXPECT_EQ(boxes.shown[0].title, "Error");
        EXPECT_EQ(boxes.shown[0].buttons, MsgButtons::Ok);
        EXPECT_FALSE(child<QComboBox>("cboDisplayMode")->isEnabled());
    }
    // A spectrum that fails keeps FFTData's earlier size, which a shorter record's chart cannot
    // take: 532.
    load(5);
    click("cmdSample");
    boxes.shown.clear();
    loadRawData(writeData("thousand.dat", std::vector<double>(tone.begin(), tone.begin() + 1000)));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Error 532:532 occured while attempting to graph FFT");
}

TEST_F(MainWindowTest, PowerButtonsSwitchTheConverterWithCommands20And22) {
    start();
    load();
    click("cmdPowerDown");
    EXPECT_EQ(board->commandLog().back().code, 20);
    EXPECT_FALSE(board->converterPoweredUp());
    click("cmdPowerUp");
    EXPECT_EQ(board->commandLog().back().code, 22);
    EXPECT_TRUE(board->converterPoweredUp());
}
