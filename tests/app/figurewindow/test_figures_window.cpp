// Protects the converter figures window on the simulated program: opened through the Analysis
// menu, it shows the figures rq3118ctl gives for the same record and rate, follows a continuous
// run with its counter and draws its last record, keeps its settings across a close and an open,
// and analyses loaded files at its own rate. Saves pictures of each tab at two sizes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>

#include "CtlRun.h"
#include "MainWindowHarness.h"
#include "ModalAnswers.h"
#include "WidgetTest.h"
#include "acquire/DataFiles.h"
#include "figures/FigureTable.h"
#include "figurewindow/FiguresWindow.h"

using namespace rq;

namespace rq::figures {
static bool operator==(const FigureRow& a, const FigureRow& b) {
    return a.name == b.name && a.value == b.value;
}
static void PrintTo(const FigureRow& r, std::ostream* os) {
    *os << r.name.toStdString() << ": " << r.value.toStdString();
}
}  // namespace rq::figures

namespace {

class FiguresWindowTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    void SetUp() override {
        startProgram(QStringLiteral("/SIM"));
        link =
            new FiguresWindowLink(window->session(), *state, *store, window->converterFiguresItem(),
                                  window->testReportItem(), window.get());
    }
    // The window as a user opens it: Ctrl+Shift+F on the main window.
    FiguresWindow* openByMenu() {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        FiguresWindow* w = link->window();
        EXPECT_NE(w, nullptr);
        if (w != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        }
        return w;
    }
    void click(const char* name) {
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    template <class T>
    static T* part(QWidget* w, const char* name) {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The figures table as the window shows it: one row per figure, name and value.
    static std::vector<figures::FigureRow> shownFigures(FiguresWindow* w) {
        std::vector<figures::FigureRow> rows;
        auto* t = part<QTableWidget>(w, "figuresTable");
        for (int r = 0; r < t->rowCount(); ++r) {
            rows.push_back({t->item(r, 0)->text(), t->item(r, 1)->text()});
            EXPECT_EQ(t->item(r, 1)->data(Qt::AccessibleTextRole).toString(),
                      t->item(r, 1)->text());
        }
        return rows;
    }
    // The figures of the program's current record, worked out afresh at a rate.
    std::vector<figures::FigureRow> expectedFigures(double rate, const FigureSettings& s = {}) {
        figures::FigureRun run(figureRequest(s, true), state->CurrentSettings.NumberOfBits,
                               state->CurrentSettings.DataFormat == 1, rate);
        run.addRecord(state->Record.SampleData, false);
        EXPECT_TRUE(run.figures());
        return run.figures() ? figures::figureRows(*run.figures())
                             : std::vector<figures::FigureRow>{};
    }

    FiguresWindowLink* link = nullptr;
};

}  // namespace

TEST_F(FiguresWindowTest, OpensFromTheMenuOnTheLastRecordAndShowsItsFigures) {
    loadExample();
    click("cmdSample");
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Converter Figures");
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->size(), QSize(900, 650));
    const double clock = state->BoardClock.actualSampleRate();
    ASSERT_NE(w->run(), nullptr);
    EXPECT_EQ(w->run()->sampleRate(), clock);
    const auto shown = shownFigures(w);
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown, expectedFigures(clock));
    EXPECT_EQ(shown[0].name, "Fundamental");
    EXPECT_TRUE(shown[0].value.contains("kHz")) << shown[0].value.toStdString();
    // H2 to H6 by default.
    auto* harmonics = part<QTableWidget>(w, "harmonicsTable");
    ASSERT_EQ(harmonics->rowCount(), 5);
    EXPECT_EQ(harmonics->item(0, 0)->text(), "H2");
    EXPECT_EQ(harmonics->item(4, 0)->text(), "H6");
    // A second sample is followed, drawn once the repaint interval has passed; the menu item
    // raises the same window.
    click("cmdSample");
    const auto second = expectedFigures(clock);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownFigures(w) == second; },
                                int(FiguresWindow::PaintIntervalMs) * 4));
    EXPECT_EQ(openByMenu(), w);
}

TEST_F(FiguresWindowTest, FiguresEqualThoseOfTheCommandLineToolForTheSameRecordAndRate) {
    loadExample(3);
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    click("cmdSample");
    const QString path = dir.filePath(QStringLiteral("record.dat"));
    writeDataValues(path, state->Record.SampleData);
    const double clock = state->BoardClock.actualSampleRate();
    QStringList args{"analyze",
                     "--metrics",
                     "--json",
                     "--rate",
                     QString::number(clock, 'g', 17),
                     "--bits",
                     QString::number(state->CurrentSettings.NumberOfBits)};
    if (state->CurrentSettings.DataFormat == 1) {
        args << "--twos";
    }
    const test::Outcome out = test::runCtl(dir.path(), args << path);
    ASSERT_EQ(out.status, 0) << out.err.toStdString();
    const QJsonObject m = out.object()["metrics"].toObject();
    ASSERT_FALSE(m.isEmpty()) << out.out.toStdString();
    const auto shown = shownFigures(w);
    ASSERT_EQ(shown.size(), 7u);
    const auto text = [](double v, int decimals, const char* unit) {
        return QString::number(v, 'f', decimals) + u' ' + QString::fromLatin1(unit);
    };
    const QJsonObject fundamental = m["fundamental"].toObject();
    EXPECT_EQ(shown[0].value, figures::frequencyText(fundamental["frequency_hz"].toDouble()) +
                                  ", " + text(fundamental["dbfs"].toDouble(), 2, "dBFS"));
    EXPECT_EQ(shown[1].value, text(m["snr_db"].toDouble(), 2, "dB"));
    EXPECT_EQ(shown[2].value, text(m["sinad_db"].toDouble(), 2, "dB"));
    EXPECT_EQ(shown[3].value, text(m["thd_dbc"].toDouble(), 2, "dBc"));
    EXPECT_EQ(shown[4].value, text(m["sfdr_dbc"].toDouble(), 2, "dBc"));
    EXPECT_EQ(shown[5].value, text(m["enob_bits"].toDouble(), 2, "bits"));
    EXPECT_EQ(shown[6].value, text(m["noise_density_dbfs_hz"].toDouble(), 1, "dBFS/Hz"));
}

TEST_F(FiguresWindowTest, AContinuousRunIsCountedThrottledAndItsLastRecordDrawn) {
    loadExample();
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    int announced = 0;
    QObject::connect(&window->session(), &AcquisitionSession::recordAnalysed, [&] { ++announced; });
    int countDuring = -1;
    QString labelDuring;
    QTimer stopper;
    stopper.setSingleShot(true);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        countDuring = w->recordsInRun();
        labelDuring = part<QLabel>(w, "runLabel")->text();
        click("cmdStopSampling");
    });
    stopper.start(600);
    const int paintsBefore = w->paints();
    const int fullBefore = w->fullAnalyses();
    QElapsedTimer clock;
    clock.start();
    click("cmdContSample");
    const double seconds = clock.elapsed() / 1000.0;
    ASSERT_GT(announced, 3);
    EXPECT_EQ(w->recordsInRun(), announced);
    EXPECT_GT(countDuring, 0);
    EXPECT_TRUE(labelDuring.startsWith("Continuous run: ")) << labelDuring.toStdString();
    EXPECT_TRUE(part<QLabel>(w, "runLabel")->text().contains(QString("%1 records").arg(announced)));
    // At most 20 drawings a second, and one more for the run's end.
    EXPECT_LE(w->paints() - paintsBefore, int(seconds * 20) + 2);
    // Fits and linearity at most five times a second, and once more for the last record.
    EXPECT_LE(w->fullAnalyses() - fullBefore, int(seconds * 5) + 2);
    EXPECT_LT(w->fullAnalyses() - fullBefore, announced);
    // The last record is shown whole: its figures, fits and linearity.
    EXPECT_EQ(shownFigures(w), expectedFigures(state->BoardClock.actualSampleRate()));
    ASSERT_NE(w->fullRun(), nullptr);
    EXPECT_EQ(w->fullRun()->record(), state->Record.SampleData);
    EXPECT_TRUE(w->fullRun()->fit4());
    EXPECT_TRUE(test::savePng(w, "figures_window_after_run.png"));
    // A new run counts from zero.
    stopper.start(200);
    announced = 0;
    click("cmdContSample");
    EXPECT_EQ(w->recordsInRun(), announced);
}

TEST_F(FiguresWindowTest, SettingsAndGeometryPersistAcrossACloseAndAnOpen) {
    loadExample();
    click("cmdSample");
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QComboBox>(w, "windowCombo")->setCurrentText("hann");
    part<QSpinBox>(w, "harmonicsSpin")->setValue(7);
    part<QComboBox>(w, "linearityCombo")->setCurrentText("ramp");
    part<QSpinBox>(w, "fullScaleBitsSpin")->setValue(14);
    part<QDoubleSpinBox>(w, "loadedRateSpin")->setValue(50000);
    part<QSpinBox>(w, "averagingSpin")->setValue(4);
    // The figures follow the settings at once; one record of the four averaged is in.
    EXPECT_EQ(part<QTableWidget>(w, "harmonicsTable")->rowCount(), 7);
    EXPECT_EQ(part<QLabel>(w, "averagedCount")->text(), "records, 1 in");
    FigureSettings expected;
    expected.window = analysis::WindowKind::Hann;
    expected.harmonics = 7;
    expected.linearity = analysis::LinearityInput::Ramp;
    expected.fullScaleBits = 14;
    expected.loadedFileRate = 50000;
    expected.averaging = 4;
    EXPECT_EQ(w->settings(), expected);
    EXPECT_EQ(shownFigures(w), expectedFigures(state->BoardClock.actualSampleRate(), expected));
    w->resize(1000, 700);
    w->close();

    FiguresWindow again(window->session(), *state, *store);
    EXPECT_EQ(again.settings(), expected);
    EXPECT_EQ(part<QComboBox>(&again, "windowCombo")->currentText(), "hann");
    EXPECT_EQ(part<QSpinBox>(&again, "harmonicsSpin")->value(), 7);
    EXPECT_EQ(again.size(), QSize(1000, 700));
}

TEST_F(FiguresWindowTest, LoadedFilesAreAnalysedAtTheWindowsRate) {
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    // A 1 kHz tone at 100 kHz over 1024 samples, on 12 bits.
    std::vector<double> codes;
    for (int i = 0; i < 1024; ++i) {
        codes.push_back(std::round(2048 + 1800 * std::sin(2 * M_PI * 10.0 * i / 1024)));
    }
    const QString path = dir.filePath(QStringLiteral("tone.dat"));
    writeDataValues(path, codes);
    dialogs.answers.push_back(path);
    window->mnuLoadRawData_Click();
    ASSERT_NE(w->run(), nullptr);
    EXPECT_EQ(w->run()->sampleRate(), 100000.0);
    EXPECT_EQ(w->run()->record(), codes);
    part<QDoubleSpinBox>(w, "loadedRateSpin")->setValue(50000);
    EXPECT_EQ(w->run()->sampleRate(), 50000.0);
    ASSERT_TRUE(w->run()->figures());
    EXPECT_NEAR(w->run()->figures()->frequency, 10.0 / 1024 * 50000, 1.0);
}

TEST_F(FiguresWindowTest, EachExportWritesItsFileThroughTheDialog) {
    loadExample(3);
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    click("cmdSample");
    QTemporaryDir out;
    const auto exportBy = [&](const char* action, const QString& name) {
        const QString path = out.filePath(name);
        test::answerModals({path});
        part<QAction>(w, action)->trigger();
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        return f.readAll();
    };
    const QByteArray figuresCsv = exportBy("exportFiguresCsv", "figures.csv");
    EXPECT_TRUE(figuresCsv.startsWith("figure,frequency_hz,value,unit,dbfs,masked\n"));
    EXPECT_TRUE(figuresCsv.contains("\nSINAD,")) << figuresCsv.toStdString();
    const QByteArray spectrumCsv = exportBy("exportSpectrumCsv", "spectrum.csv");
    EXPECT_TRUE(spectrumCsv.startsWith("frequency_hz,dbfs\n"));
    EXPECT_EQ(spectrumCsv.count('\n'), 1 + 1024 + 1);  // a 2048-sample record's bins, with DC
    const QByteArray json = exportBy("exportFiguresJson", "figures.json");
    const QJsonObject metrics =
        QJsonDocument::fromJson(json).object().value(QStringLiteral("metrics")).toObject();
    EXPECT_TRUE(metrics.contains(QStringLiteral("sinad_db"))) << json.toStdString();
    part<QTabWidget>(w, "plotTabs")->setCurrentIndex(0);
    QCoreApplication::processEvents();
    const QSize shown = part<QWidget>(w, "spectrumPlot")->size();
    const QImage png = QImage::fromData(exportBy("exportPlot", "spectrum.png"));
    EXPECT_EQ(png.size(), shown * 2);
}

TEST_F(FiguresWindowTest, TheReportAsksForTheFieldsAndWritesTwoPages) {
    loadExample(3);
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    click("cmdSample");
    EXPECT_EQ(w->reportAction()->shortcut(), QKeySequence("Ctrl+R"));
    QTemporaryDir out;
    const QString path = out.filePath("report.pdf");
    test::answerModals({QStringLiteral("SN-7"), path});
    // From the main window's Analysis menu, as the user meets it.
    window->testReportItem()->trigger();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GE(test::pdfPages(pdf), 2);
    EXPECT_EQ(store->get("RQ3118", "ConverterFigures", "ReportSerial", ""), "SN-7");
}

TEST_F(FiguresWindowTest, PicturesOfEachTabAtTwoSizes) {
    loadExample(3);
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QComboBox>(w, "linearityCombo")->setCurrentText("sine");
    click("cmdSample");
    auto* tabs = part<QTabWidget>(w, "plotTabs");
    const char* names[] = {"spectrum", "time", "histogram", "linearity"};
    for (const QSize size : {QSize(900, 650), QSize(1024, 768)}) {
        w->resize(size);
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            QCoreApplication::processEvents();
            const QString file = QStringLiteral("figures_window_%1_%2x%3.png")
                                     .arg(names[t])
                                     .arg(size.width())
                                     .arg(size.height());
            EXPECT_TRUE(test::savePng(w, file)) << file.toStdString();
        }
    }
}

TEST_F(FiguresWindowTest, PowerAveragingTakesTheLastRecordsUpToItsCount) {
    loadExample();
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QSpinBox>(w, "averagingSpin")->setValue(2);
    for (int i = 0; i < 3; ++i) {
        click("cmdSample");
    }
    ASSERT_NE(w->run(), nullptr);
    ASSERT_TRUE(w->run()->figures());
    EXPECT_EQ(w->run()->figures()->records, 2);
    EXPECT_EQ(w->run()->records(), 2);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return part<QLabel>(w, "averagedCount")->text() == "records, 2 in"; }, 500));
    // Back to one: the last record alone.
    part<QSpinBox>(w, "averagingSpin")->setValue(1);
    EXPECT_EQ(w->run()->records(), 1);
    EXPECT_EQ(w->run()->record(), state->Record.SampleData);
}

TEST_F(FiguresWindowTest, AClosedWindowShowsTheRecordsItMissedWhenOpenedAgain) {
    loadExample();
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    w->close();
    const int paints = w->paints();
    click("cmdSample");
    EXPECT_EQ(w->paints(), paints);  // nothing drawn while closed
    EXPECT_EQ(openByMenu(), w);
    EXPECT_EQ(shownFigures(w), expectedFigures(state->BoardClock.actualSampleRate()));
}

TEST_F(FiguresWindowTest, LinearityWarningsStayShownBetweenTheLinearitysTurnsInARun) {
    loadExample();
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QComboBox>(w, "linearityCombo")->setCurrentText("sine");
    auto* list = part<QListWidget>(w, "warningsList");
    const auto shown = [&] {
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().startsWith("codes_not_swept")) {
                return true;
            }
        }
        return false;
    };
    click("cmdSample");
    ASSERT_TRUE(shown());  // the simulated tone repeats a few phases only
    int looks = 0, missing = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        ++looks;
        missing += shown() ? 0 : 1;
        if (looks == 20) {
            click("cmdStopSampling");
        }
    });
    look.start(15);
    click("cmdContSample");
    EXPECT_EQ(looks, 20);
    EXPECT_EQ(missing, 0);
}

TEST_F(FiguresWindowTest, AnAverageOverTheLastRecordsGivesTheToolsFiguresForThem) {
    loadExample();
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QSpinBox>(w, "averagingSpin")->setValue(3);
    std::vector<std::vector<double>> records;
    QObject::connect(&window->session(), &AcquisitionSession::recordAnalysed,
                     [&](const AnalysedRecord& r) { records.push_back(r.record.SampleData); });
    for (int i = 0; i < 5; ++i) {
        click("cmdSample");
    }
    ASSERT_EQ(records.size(), 5u);
    figures::FigureRun expected(
        figureRequest(w->settings(), true), state->CurrentSettings.NumberOfBits,
        state->CurrentSettings.DataFormat == 1, state->BoardClock.actualSampleRate());
    for (size_t i = 2; i < records.size(); ++i) {
        expected.addRecord(records[i], true);
    }
    ASSERT_TRUE(expected.figures());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return shownFigures(w) == figures::figureRows(*expected.figures()); }, 500));
    EXPECT_EQ(w->run()->figures()->records, 3);
}

TEST_F(FiguresWindowTest, TheTimeTabShowsVoltsAsTheMainWindowConvertsThem) {
    loadExample();
    FiguresWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QTabWidget>(w, "plotTabs")->setCurrentIndex(1);
    part<QComboBox>(w, "timeUnitCombo")->setCurrentText("volts");
    EXPECT_TRUE(w->settings().timeInVolts);
    click("cmdSample");
    w->paintNow();
    auto* plot = part<QCustomPlot>(w, "timePlot");
    ASSERT_GT(plot->graphCount(), 0);
    EXPECT_EQ(plot->yAxis->label(), "Input (V)");
    const std::vector<double>& volts = state->Record.VoltsData;
    QCPGraphDataContainer& shown = *plot->graph(0)->data();
    ASSERT_GT(shown.size(), 10);
    for (int i = 0; i < shown.size(); ++i) {
        EXPECT_NEAR(shown.at(i)->value, volts[size_t(i)], 1e-9) << i;
    }
    QCoreApplication::processEvents();  // the side panel's layout follows its new rows
    EXPECT_TRUE(test::savePng(w, "figures_window_time_volts.png"));
    // Without an input range there are no volts to show: codes, named so.
    state->CurrentSettings.InputVMax = state->CurrentSettings.InputVMin;
    click("cmdSample");
    w->paintNow();
    EXPECT_EQ(plot->yAxis->label(), "Code");
    EXPECT_EQ(plot->graph(0)->data()->at(0)->value, state->Record.SampleData[0]);
}
