// Protects what the main window's charts show: a record held at its zoom still shows, the grid
// and point-mark boxes show at once (also while Hold Zoom is on), and a record costs one replot
// of each chart. Through the real window on the simulated board; the pictures are the charts'.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <cstdio>

#include "MainWindowHarness.h"
#include "WidgetTest.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "common/BasicText.h"
#include "config/ConfigFile.h"
#include "config/FrequencyList.h"
#include "strip/StripChart.h"

using namespace rq;

namespace {

class MainWindowChartsTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    void SetUp() override {
        startProgram(QStringLiteral("/SIM"));
        loadExample(2);  // 1024 samples
        dso = window->findChild<StripChart*>("stripDSO");
        fft = window->findChild<StripChart*>("StripFFT");
        ASSERT_TRUE(dso && fft);
    }
    void clickBox(const char* name) {
        auto* box = window->findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    // A sample and the turns of the event loop that follow it.
    void sample() {
        QTest::mouseClick(window->findChild<QPushButton*>("cmdSample"), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    void loadRawData(const std::vector<double>& values) {
        QString text;
        for (double v : values) {
            text += formatNumber(v, u"0") + QStringLiteral("\r\n");
        }
        QFile f(dir.filePath(QStringLiteral("record.dat")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toLatin1());
        f.close();
        dialogs.answers.push_back(f.fileName());
        window->mnuLoadRawData_Click();
        QCoreApplication::processEvents();
    }
    static QImage picture(StripChart* chart) { return chart->grab().toImage(); }

    StripChart* dso = nullptr;
    StripChart* fft = nullptr;
};

std::vector<double> ramp(int count, int step) {
    std::vector<double> v;
    for (int i = 0; i < count; ++i) {
        v.push_back((i * step) % 4096);
    }
    return v;
}

TEST_F(MainWindowChartsTest, WithHoldZoomANewRecordReplacesTheTraceAndKeepsTheAxes) {
    sample();
    clickBox("chkHoldZoom");
    ASSERT_TRUE(state->Record.HoldZoom);
    const StripChart::Range x = dso->shownXRange();
    const StripChart::Range y = dso->shownYRange();

    // A record of another shape from a file, then the same as volts.
    const QImage sampled = picture(dso);
    loadRawData(ramp(1024, 37));
    const QImage loaded = picture(dso);
    EXPECT_NE(loaded, sampled);
    auto* mode = window->findChild<QComboBox*>("cboDisplayMode");
    mode->setCurrentIndex(1);  // a user's pick of "Volts"
    Q_EMIT mode->activated(1);
    QCoreApplication::processEvents();
    EXPECT_NE(picture(dso), loaded);

    EXPECT_EQ(dso->shownXRange(), x);
    EXPECT_EQ(dso->shownYRange(), y);
}

TEST_F(MainWindowChartsTest, GridBoxesShowAtOnceOnTheTimeChartOnly) {
    sample();
    for (bool hold : {false, true}) {
        if (hold) {
            clickBox("chkHoldZoom");
            sample();
        }
        for (const char* box : {"chkHGrid", "chkVGrid", "chkHGrid", "chkVGrid"}) {
            const QImage time = picture(dso);
            const QImage spectrum = picture(fft);
            clickBox(box);
            QCoreApplication::processEvents();
            EXPECT_NE(picture(dso), time) << box << (hold ? " with Hold Zoom" : "");
            EXPECT_EQ(picture(fft), spectrum) << box;
        }
    }
    // Both grids on over a record held at its zoom, for a person to look at.
    clickBox("chkHGrid");
    clickBox("chkVGrid");
    QCoreApplication::processEvents();
    EXPECT_TRUE(test::savePng(window.get(), "main_window_grids_hold_zoom.png"));
}

TEST_F(MainWindowChartsTest, TickPointsShowAtOnceOnBothCharts) {
    sample();
    clickBox("chkHoldZoom");
    for (int k = 0; k < 2; ++k) {
        const QImage time = picture(dso);
        const QImage spectrum = picture(fft);
        clickBox("chkTickPoints");
        QCoreApplication::processEvents();
        EXPECT_NE(picture(dso), time);
        EXPECT_NE(picture(fft), spectrum);
    }
}

TEST_F(MainWindowChartsTest, ARecordCostsOneReplotOfEachChart) {
    sample();
    const std::vector<double> a = ramp(1024, 37), b = ramp(1024, 53);
    for (bool hold : {false, true}) {
        if (hold) {
            clickBox("chkHoldZoom");
        }
        for (int k = 0; k < 3; ++k) {
            const int time = dso->replotCount(), spectrum = fft->replotCount();
            sample();
            std::printf("[ charts   ] sample%s: %d replot(s) of stripDSO, %d of StripFFT\n",
                        hold ? " with Hold Zoom" : "", dso->replotCount() - time,
                        fft->replotCount() - spectrum);
            EXPECT_EQ(dso->replotCount(), time + 1);
            EXPECT_EQ(fft->replotCount(), spectrum + 1);
        }
        for (const auto* values : {&a, &b}) {
            const int time = dso->replotCount(), spectrum = fft->replotCount();
            loadRawData(*values);
            std::printf("[ charts   ] file load%s: %d replot(s) of stripDSO, %d of StripFFT\n",
                        hold ? " with Hold Zoom" : "", dso->replotCount() - time,
                        fft->replotCount() - spectrum);
            EXPECT_EQ(dso->replotCount(), time + 1);
            EXPECT_EQ(fft->replotCount(), spectrum + 1);
        }
    }
}

}  // namespace
