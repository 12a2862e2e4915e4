// Protects the strip chart's contract with the program: every value reads back as written, the
// ranges shown follow from them, a write shows by itself at the next turn of the event loop, a
// plotted record costs one replot, and a redraw of a full record is cheap. Also saves pictures of a
// time trace and a spectrum for a person to look at.
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <limits>

#include "ChartFixture.h"
#include "common/NumberedError.h"

using rq::StripChart;
using Range = rq::StripChart::Range;

namespace {

class StripChartTest : public rq::test::ChartTest {};

int failureNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const rq::NumberedError& e) {
        return e.number();
    }
    return 0;
}

// A dB spectrum: a noise floor near -100 dB, the fundamental at 0 dB and a few harmonics.
std::vector<double> spectrum(int count) {
    std::vector<double> db(static_cast<size_t>(count));
    uint32_t noise = 12345;
    for (int i = 0; i < count; ++i) {
        noise = noise * 1664525u + 1013904223u;
        db[size_t(i)] = -104 + 10.0 * (noise >> 8) / (1u << 24);
    }
    db[0] = -40;
    for (int k = 1; k * 41 < count; ++k) {
        db[size_t(k * 41)] = k == 1 ? 0 : -60 - 8 * k;
        db[size_t(k * 41 - 1)] = db[size_t(k * 41 + 1)] = k == 1 ? -30 : -85;
    }
    return db;
}

TEST_F(StripChartTest, ATimeRecordIsShownOverItsPointsAndItsYRange) {
    plot(rq::test::sine(1024, 2.4, 5), 2.5, -2.5);
    chart.setSavedYTop(2.5);
    chart.setSavedYBottom(-2.5);

    EXPECT_EQ((std::array{chart.pointCapacity() + 0, chart.lastPoint(), chart.xMaximum(),
                          chart.xMinimum(), chart.pointsShown(), chart.pointCount()}),
              (std::array{1034, 1023, 1023, 0, 1024, 1024}));
    EXPECT_EQ((std::array{chart.yTop(), chart.yBottom(), chart.savedYTop(), chart.savedYBottom()}),
              (std::array{2.5, -2.5, 2.5, -2.5}));
    EXPECT_EQ(chart.shownXRange(), (Range{0, 1023}));
    EXPECT_EQ(chart.shownYRange(), (Range{-2.5, 2.5}));
}

TEST_F(StripChartTest, ASpectrumIsShownFromZeroToTheLastBinAndMinus120dB) {
    // The spectrum's writes: the last bin as maximum, 0 as minimum, the top before the bottom.
    const std::vector<double> db = spectrum(512);
    chart.clear();
    chart.setPointCapacity(522);
    chart.setXMaximum(511);
    chart.setXMinimum(0);
    chart.setPointsShown(511);
    chart.loadTrace(db);
    chart.setYTop(std::max(0.0, *std::max_element(db.begin(), db.end())));
    chart.setYBottom(-120);
    chart.setSavedYTop(chart.yTop());
    chart.redraw();

    EXPECT_EQ(chart.pointsShown(), 511);
    EXPECT_EQ(chart.shownXRange(), (Range{0, 511}));
    EXPECT_EQ(chart.shownYRange(), (Range{-120, 0}));
}

TEST_F(StripChartTest, FlagsAndWordsReadBackAsWritten) {
    // The grid boxes set and clear single bits: unknown bits must survive.
    chart.setGridFlags(StripChart::HorizontalGrid | StripChart::VerticalGrid | 8);
    EXPECT_EQ(chart.gridFlags(), 11);
    chart.setGridFlags(chart.gridFlags() & 14);
    EXPECT_EQ(chart.gridFlags(), 10);
    chart.setZoomHandles(StripChart::ZoomHandlesOn);
    chart.setPointMarks(true);
    chart.setOptionFlags(-7);
    EXPECT_EQ((std::array{chart.zoomHandles(), int(chart.pointMarks()), chart.optionFlags()}),
              (std::array{3, 1, -7}));
}

TEST_F(StripChartTest, YEndsThatCannotBeShownAsTheyAreStillReadBack) {
    chart.setYTop(-1);
    chart.setYBottom(3);
    EXPECT_EQ(chart.shownYRange(), (Range{-1, 3}));  // either way round
    EXPECT_EQ(chart.yTop(), -1);

    // A flat record scaled to its own largest and smallest value.
    chart.setYTop(2048);
    chart.setYBottom(2048);
    EXPECT_DOUBLE_EQ(chart.shownYRange().lower, 2048 - 20.48);
    EXPECT_DOUBLE_EQ(chart.shownYRange().upper, 2048 + 20.48);
    chart.setYTop(0);
    chart.setYBottom(0);
    EXPECT_EQ(chart.shownYRange(), (Range{-1, 1}));

    // A spectrum top from the logarithm of zero keeps the range shown.
    chart.setYBottom(-120);
    chart.setYTop(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(chart.shownYRange(), (Range{-120, 0}));
    EXPECT_EQ(chart.yTop(), -std::numeric_limits<double>::infinity());
}

TEST_F(StripChartTest, WithoutAnXMaximumTheRangeSpansThePointsLoaded) {
    chart.setPointCapacity(300);
    chart.loadTrace(rq::test::sine(300, 1, 1));
    EXPECT_EQ(chart.shownXRange(), (Range{0, 299}));
    chart.clear();
    chart.loadTrace(std::vector<double>{5.0});
    EXPECT_EQ(chart.shownXRange(), (Range{0, 1}));
    chart.setXMinimum(10);
    chart.setXMaximum(10);  // not above the minimum
    EXPECT_EQ(chart.shownXRange(), (Range{0, 1}));
    chart.setXMaximum(40);
    EXPECT_EQ(chart.shownXRange(), (Range{10, 40}));
}

TEST_F(StripChartTest, LoadsBeyondTheCapacityFailAndKeepTheTrace) {
    EXPECT_EQ(failureNumber([&] { chart.loadTrace(std::vector<double>{1.0}); }), 9);
    chart.setPointCapacity(8202);
    chart.loadTrace(rq::test::sine(8192, 1, 3));
    EXPECT_EQ(failureNumber([&] { chart.loadTrace(rq::test::sine(8203, 1, 3)); }), 9);
    EXPECT_EQ(chart.pointCount(), 8192);
    EXPECT_EQ(failureNumber([&] { chart.setPointCapacity(-1); }), 5);
    EXPECT_EQ(chart.pointCapacity(), 8202);
    chart.clear();
    EXPECT_EQ(chart.pointCount(), 0);
    EXPECT_EQ(chart.pointCapacity(), 8202);
    EXPECT_EQ(chart.xMaximum(), 0);
}

TEST_F(StripChartTest, APlottedRecordCostsOneReplot) {
    plot(rq::test::sine(1024, 1, 2), 3, -3);
    const QImage before = picture();
    const int replots = chart.replotCount();
    plot(rq::test::sine(1024, 2, 5), 3, -3);  // clear, every write, load, redraw, a turn
    EXPECT_EQ(chart.replotCount(), replots + 1);
    EXPECT_NE(picture(), before);
    // A redraw with nothing new written draws nothing.
    chart.redraw();
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.replotCount(), replots + 1);
}

// Each write that changes what is shown: not drawn at once, drawn by itself at the next turn of
// the event loop, once.
TEST_F(StripChartTest, AWriteAloneIsShownAtTheNextTurnOfTheEventLoop) {
    plot(rq::test::sine(1024, 2, 3), 3, -3);
    const std::vector<std::pair<const char*, std::function<void()>>> writes{
        {"horizontal grid", [&] { chart.setGridFlags(StripChart::HorizontalGrid); }},
        {"vertical grid",
         [&] { chart.setGridFlags(chart.gridFlags() | StripChart::VerticalGrid); }},
        {"no grid", [&] { chart.setGridFlags(chart.gridFlags() & 12); }},
        {"point marks", [&] { chart.setPointMarks(true); }},
        {"no point marks", [&] { chart.setPointMarks(false); }},
        {"a trace", [&] { chart.loadTrace(rq::test::sine(1024, 2, 7)); }},
        {"a y top", [&] { chart.setYTop(5); }},
        {"an x maximum", [&] { chart.setXMaximum(500); }},
        {"a clear", [&] { chart.clear(); }},
    };
    for (const auto& [what, write] : writes) {
        const QImage before = picture();
        const int replots = chart.replotCount();
        write();
        EXPECT_EQ(picture(), before) << what;
        QCoreApplication::processEvents();
        EXPECT_EQ(chart.replotCount(), replots + 1) << what;
        EXPECT_NE(picture(), before) << what;
        QCoreApplication::processEvents();
        EXPECT_EQ(chart.replotCount(), replots + 1) << what;
    }
}

TEST_F(StripChartTest, WritesBeforeATurnAreDrawnTogetherAndUnchangedValuesNotAtAll) {
    plot(rq::test::sine(1024, 2, 3), 3, -3);
    const int replots = chart.replotCount();
    // What Hold Zoom leaves of a record: the trace, without ranges or a redraw.
    chart.clear();
    chart.setPointCapacity(1034);
    chart.loadTrace(rq::test::sine(1024, 1, 9));
    chart.setGridFlags(StripChart::HorizontalGrid | StripChart::VerticalGrid);
    chart.setPointMarks(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.replotCount(), replots + 1);
    EXPECT_EQ(chart.shownYRange(), (Range{-3, 3}));

    // Values that leave the picture as it is, and words kept only for the program.
    const QImage before = picture();
    chart.setGridFlags(StripChart::HorizontalGrid | StripChart::VerticalGrid | 8);
    chart.setPointMarks(true);
    chart.setYTop(3);
    chart.setXMaximum(1023);
    chart.setSavedYTop(7);
    chart.setOptionFlags(5);
    chart.setZoomHandles(StripChart::ZoomHandlesOn);
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.replotCount(), replots + 1);
    EXPECT_EQ(picture(), before);
}

TEST_F(StripChartTest, LoadAndRedrawOf8192PointsIsFast) {
    // Continuous sampling needs 100 records a second for the whole pipeline; the chart's share
    // must be a small part of that 10 ms.
    const std::vector<double> a = rq::test::sine(8192, 2000, 7);
    const std::vector<double> b = rq::test::sine(8192, 1900, 9);
    auto median = [&](bool marks) {
        chart.setPointMarks(marks);
        std::vector<double> ms;
        for (int i = 0; i < 40; ++i) {
            QElapsedTimer timer;
            timer.start();
            plot(i % 2 ? a : b, 2048, -2048);  // clear, writes, load, redraw and the repaint
            ms.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    const int before = chart.replotCount();
    const double plain = median(false);
    const double marked = median(true);
    std::printf("[ strip    ] load + redraw of 8192 points: %.3f ms, with point marks %.3f ms\n",
                plain, marked);
    EXPECT_EQ(chart.replotCount(), before + 80);
    EXPECT_LT(plain, 5.0);
    EXPECT_LT(marked, 20.0);
}

TEST_F(StripChartTest, PicturesOfATimeTraceAndASpectrum) {
    chart.setGridFlags(StripChart::HorizontalGrid | StripChart::VerticalGrid);
    plot(rq::test::sine(1024, 2.3, 4), 2.5, -2.5);
    EXPECT_TRUE(rq::test::savePng(&chart, QStringLiteral("strip_time_trace.png")));

    StripChart fft;
    fft.resize(rq::host::toPixels(7335), rq::host::toPixels(2655));
    fft.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fft));
    fft.setPointCapacity(522);
    fft.setXMaximum(511);
    fft.setXMinimum(0);
    fft.setPointsShown(511);
    fft.loadTrace(spectrum(512));
    fft.setYTop(0);
    fft.setYBottom(-120);
    fft.redraw();
    EXPECT_TRUE(rq::test::savePng(&fft, QStringLiteral("strip_spectrum.png")));

    // A tick label at each end of both axes.
    fft.setPointMarks(true);
    fft.setXMaximum(60);
    fft.setYBottom(-100);
    fft.redraw();
    EXPECT_TRUE(rq::test::savePng(&fft, QStringLiteral("strip_spectrum_marks.png")));
}

}  // namespace
