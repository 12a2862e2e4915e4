// Protects the sweep window on the simulated program: opened from the Analysis menu, a sweep
// fills its table, plots and progress while the main window's capture buttons wait; Cancel and
// a generator fault keep the points measured; a manual sweep waits for Continue; the exports
// write their files; the settings outlive the window. Saves a picture of a finished sweep.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include "FakeScpiGenerator.h"
#include "MainWindowHarness.h"
#include "ModalAnswers.h"
#include "WidgetTest.h"
#include "strip/CustomPlot.h"
#include "simulated/SimulatedSignalSource.h"
#include "sweep/SweepRunner.h"
#include "sweepwindow/SweepWindow.h"

using namespace rq;

namespace {

class SweepWindowTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    void SetUp() override {
        startProgram(QStringLiteral("/SIM"));
        sources = std::make_unique<SimulatedSourceFactory>(*board);
        link = new SweepWindowLink(
            window->session(), *state, *store, *sources,
            [this] { return window->captureAvailable(); }, window->sweepItem(), window.get());
    }
    void TearDown() override { window.reset(); }

    SweepWindow* openByMenu() {
        window->sweepItem()->trigger();
        SweepWindow* w = link->window();
        EXPECT_NE(w, nullptr);
        if (w != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        }
        return w;
    }
    template <class T>
    static T* part(QWidget* w, const char* name) {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // A sweep of the simulated converter's own tone, as a user types it in.
    static void define(SweepWindow* w, const QString& frequencies, const QString& levels) {
        part<QLineEdit>(w, "frequenciesEdit")->setText(frequencies);
        part<QLineEdit>(w, "levelsEdit")->setText(levels);
        part<QComboBox>(w, "sourceCombo")->setCurrentText("Simulated board");
    }
    static bool runToEnd(SweepWindow* w, int ms = 20000) {
        return QTest::qWaitFor([w] { return !w->running(); }, ms);
    }
    static QString status(SweepWindow* w) { return part<QLabel>(w, "statusLine")->text(); }

    std::unique_ptr<SimulatedSourceFactory> sources;
    SweepWindowLink* link = nullptr;
};

}  // namespace

TEST_F(SweepWindowTest, ALevelSweepFillsTheTablePlotAndProgressWhileTheMainWindowWaits) {
    loadExample(5);
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Sweep");
    EXPECT_EQ(w->size(), QSize(1000, 700));
    define(w, "9973.1", "-30:-3:4");
    bool sampleDuring = true;
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    ASSERT_NE(w->runner(), nullptr);
    QObject::connect(w->runner(), &SweepRunner::pointMeasured,
                     [&] { sampleDuring = sampleDuring && window->captureAvailable(); });
    ASSERT_TRUE(runToEnd(w));
    EXPECT_FALSE(sampleDuring);  // Sample waits while the sweep captures
    EXPECT_TRUE(window->captureAvailable());
    auto* table = part<QTableWidget>(w, "pointsTable");
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(3, 2)->text(), "-3.0 dBFS");
    EXPECT_EQ(table->item(3, 4)->text(), figures::figureText(w->runner()->points().back().snr));
    EXPECT_EQ(part<QProgressBar>(w, "sweepProgress")->text(), "4 of 4 points");
    EXPECT_TRUE(status(w).startsWith("4 of 4 points measured, done; SNR slope"))
        << status(w).toStdString();
    // A level sweep shows its level plot: one curve of four points, with units on its axes.
    auto* tabs = part<QTabWidget>(w, "sweepTabs");
    EXPECT_EQ(tabs->currentIndex(), 1);
    auto* plot = part<QCustomPlot>(w, "levelPlot");
    ASSERT_GE(plot->graphCount(), 1);
    EXPECT_EQ(plot->graph(0)->dataCount(), 4);
    EXPECT_TRUE(plot->xAxis->label().contains("dBFS"));
    EXPECT_TRUE(plot->yAxis->label().contains("dB"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(test::savePng(w, "sweep_window_level.png"));
}

TEST_F(SweepWindowTest, CancelKeepsThePointsMeasured) {
    loadExample();
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    define(w, "1000:40000:20", "-1");
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    ASSERT_NE(w->runner(), nullptr);
    QObject::connect(w->runner(), &SweepRunner::pointMeasured, [&] {
        if (w->runner()->points().size() == 2) {
            QTest::mouseClick(part<QPushButton>(w, "cancelButton"), Qt::LeftButton);
        }
    });
    ASSERT_TRUE(runToEnd(w));
    EXPECT_EQ(w->runner()->summary().end, figures::SweepEnd::Cancelled);
    EXPECT_EQ(part<QTableWidget>(w, "pointsTable")->rowCount(), 2);
    EXPECT_TRUE(status(w).startsWith("2 of 20 points measured, cancelled"))
        << status(w).toStdString();
    EXPECT_TRUE(window->captureAvailable());
}

TEST_F(SweepWindowTest, StopSampOnTheMainWindowEndsTheSweep) {
    loadExample();
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    define(w, "1000:40000:20", "-1");
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    ASSERT_NE(w->runner(), nullptr);
    QObject::connect(w->runner(), &SweepRunner::pointMeasured, [&] {
        auto* stop = window->findChild<QPushButton*>("cmdStopSampling");
        if (w->runner()->points().size() == 3 && stop->isEnabled()) {
            QTest::mouseClick(stop, Qt::LeftButton);
        }
    });
    ASSERT_TRUE(runToEnd(w));
    EXPECT_EQ(w->runner()->summary().end, figures::SweepEnd::Cancelled);
    EXPECT_EQ(w->runner()->points().size(), 3u);
}

TEST_F(SweepWindowTest, AGeneratorFaultIsShownAndThePointsStay) {
    loadExample();
    test::FakeScpiGenerator fake;  // levels up to +20 dBm
    ASSERT_TRUE(fake.isListening());
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    define(w, "9973", "-10,0,15");
    part<QComboBox>(w, "sourceCombo")->setCurrentText("Signal generator (SCPI)");
    part<QLineEdit>(w, "generatorEdit")->setText(QStringLiteral("127.0.0.1:%1").arg(fake.port()));
    part<QRadioButton>(w, "givenFullScaleRadio")->setChecked(true);
    part<QDoubleSpinBox>(w, "fullScaleSpin")->setValue(10);
    part<QSpinBox>(w, "settleSpin")->setValue(0);
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    ASSERT_TRUE(runToEnd(w));
    EXPECT_EQ(w->runner()->summary().end, figures::SweepEnd::GeneratorFault);
    EXPECT_TRUE(status(w).contains(
        QStringLiteral("generator 127.0.0.1:%1: SOUR:POW 25 answered -222").arg(fake.port())))
        << status(w).toStdString();
    EXPECT_EQ(part<QTableWidget>(w, "pointsTable")->rowCount(), 2);
    // The simulated converter followed the generator: the points read the levels asked.
    EXPECT_NEAR(w->runner()->points()[1].measuredLevel, 0.0, 0.1);
}

TEST_F(SweepWindowTest, AManualSweepWaitsForContinue) {
    loadExample();
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    define(w, "2000,6000", "-6");
    part<QComboBox>(w, "sourceCombo")->setCurrentText("Manual (set by hand)");
    part<QSpinBox>(w, "settleSpin")->setValue(0);
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    auto* prompt = part<QLabel>(w, "promptText");
    for (const char* text : {"Set the generator to 2.000 kHz at -6.0 dBFS, then press Continue.",
                             "Set the generator to 6.000 kHz at -6.0 dBFS, then press Continue."}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return prompt->isVisible(); }, 5000));
        EXPECT_EQ(prompt->text(), text);
        QTest::mouseClick(part<QPushButton>(w, "continueButton"), Qt::LeftButton);
    }
    ASSERT_TRUE(runToEnd(w));
    EXPECT_EQ(w->runner()->summary().end, figures::SweepEnd::Done);
    EXPECT_NEAR(w->runner()->points()[1].measuredFrequency, 6000.0, 2.0);
}

TEST_F(SweepWindowTest, NoSweepStartsBeforeTheBoardRunsItsProgram) {
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    EXPECT_EQ(w->runner(), nullptr);
    EXPECT_TRUE(status(w).contains("load a configuration first")) << status(w).toStdString();
    // A list that does not read is named.
    loadExample();
    define(w, "1000:2000:0", "-1");
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    EXPECT_EQ(w->runner(), nullptr);
    EXPECT_TRUE(status(w).startsWith("Frequencies: ")) << status(w).toStdString();
}

TEST_F(SweepWindowTest, EachExportWritesItsFileThroughTheDialog) {
    loadExample();
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    define(w, "1000,5000,20000", "-1");
    QTest::mouseClick(part<QPushButton>(w, "startButton"), Qt::LeftButton);
    ASSERT_TRUE(runToEnd(w));
    QTemporaryDir out;
    const auto exportBy = [&](const char* action, const QStringList& answers) {
        const QString path = out.filePath(answers.back());
        QStringList given = answers;
        given.back() = path;
        test::answerModals(given);
        part<QAction>(w, action)->trigger();
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << answers.back().toStdString();
        return f.readAll();
    };
    const QList<QByteArray> csv = exportBy("exportPointsCsv", {"points.csv"}).trimmed().split('\n');
    ASSERT_EQ(csv.size(), 4);
    EXPECT_TRUE(csv[0].startsWith("point,asked_frequency_hz,frequency_hz,"));
    const QJsonObject json =
        QJsonDocument::fromJson(exportBy("exportPointsJson", {"points.json"})).object();
    EXPECT_EQ(json["points"].toArray().size(), 3);
    EXPECT_EQ(json["summary"].toObject()["ended"].toString(), "done");
    part<QTabWidget>(w, "sweepTabs")->setCurrentIndex(0);
    QCoreApplication::processEvents();
    const QSize shown = part<QWidget>(w, "frequencyPlot")->size();
    EXPECT_EQ(QImage::fromData(exportBy("exportPlot", {"plot.png"})).size(), shown * 2);
    const QByteArray pdf = exportBy("testReport", {"SN-9", "report.pdf"});
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GE(test::pdfPages(pdf), 3);  // the last point's two pages and the sweep's
}

TEST_F(SweepWindowTest, SettingsOutliveTheWindow) {
    SweepWindow* w = openByMenu();
    ASSERT_NE(w, nullptr);
    part<QLineEdit>(w, "frequenciesEdit")->setText("500:20000:7:log");
    part<QLineEdit>(w, "levelsEdit")->setText("-20,-1");
    part<QSpinBox>(w, "recordsSpin")->setValue(3);
    part<QCheckBox>(w, "averagedCheck")->setChecked(true);
    part<QCheckBox>(w, "coherentCheck")->setChecked(true);
    part<QComboBox>(w, "windowCombo")->setCurrentText("hann");
    part<QComboBox>(w, "sourceCombo")->setCurrentText("Signal generator (SCPI)");
    part<QLineEdit>(w, "generatorEdit")->setText("10.0.0.5:5025");
    part<QRadioButton>(w, "calibrateRadio")->setChecked(true);
    part<QDoubleSpinBox>(w, "calibrationSpin")->setValue(-13);
    part<QSpinBox>(w, "settleSpin")->setValue(500);
    w->resize(1100, 760);
    w->close();
    SweepWindow again(window->session(), *state, *store, *sources, {});
    const SweepSettings& s = again.settings();
    EXPECT_EQ(s.frequencies, "500:20000:7:log");
    EXPECT_EQ(s.levels, "-20,-1");
    EXPECT_EQ(s.records, 3);
    EXPECT_TRUE(s.averaged);
    EXPECT_TRUE(s.coherent);
    EXPECT_EQ(s.window, analysis::WindowKind::Hann);
    EXPECT_EQ(s.source, SourceChoice::Kind::Generator);
    EXPECT_EQ(s.generator, "10.0.0.5:5025");
    EXPECT_TRUE(s.calibrate);
    EXPECT_EQ(s.calibrationDbm, -13.0);
    EXPECT_EQ(s.settleMs, 500);
    EXPECT_EQ(again.size(), QSize(1100, 760));
    EXPECT_EQ(store->get("RQ3118", "Sweep", "Source", ""), "generator");
}
