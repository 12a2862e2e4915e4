// Protects what the mouse does on the strip chart: the cursor's point counted from 1 and kept to
// the points loaded, MouseUp's codes, and the zoom, which changes what is shown but never a value
// the program wrote, until the program writes again or a double click restores it.
#include <QWheelEvent>

#include "ChartFixture.h"

using rq::StripChart;
using Range = rq::StripChart::Range;

namespace {

class StripChartMouseTest : public rq::test::ChartTest {
protected:
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(&chart, Qt::LeftButton, modifiers, from);
        const int steps = 20;
        for (int i = 1; i <= steps; ++i) {
            QTest::mouseMove(&chart, from + (to - from) * i / steps);
        }
        QTest::mouseRelease(&chart, Qt::LeftButton, modifiers, to);
        QCoreApplication::processEvents();
    }
    void wheel(QPoint at, int delta) {
        QWheelEvent event(at, chart.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&chart, &event);
        QCoreApplication::processEvents();
    }
    static std::vector<int> points(const QSignalSpy& spy) {
        std::vector<int> out;
        for (const QList<QVariant>& call : spy) {
            out.push_back(call.at(0).toInt());
        }
        return out;
    }
    // The program's writes stay what plot() wrote for a record of 1000 points, y -2..2.
    void expectWrittenValuesKept() {
        EXPECT_EQ(chart.xMaximum(), 999);
        EXPECT_EQ(chart.xMinimum(), 0);
        EXPECT_EQ(chart.lastPoint(), 999);
        EXPECT_EQ(chart.pointsShown(), 1000);
        EXPECT_EQ(chart.yTop(), 2);
        EXPECT_EQ(chart.yBottom(), -2);
    }
};

TEST_F(StripChartMouseTest, APressReportsTheNearestPointCountedFromOne) {
    plot({10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 20, 0);
    QSignalSpy cursor(&chart, &StripChart::CursorChange);
    QTest::mousePress(&chart, Qt::LeftButton, {}, pixelOf(3.4, 15));
    EXPECT_EQ(chart.cursorPoint(), 4);
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, pixelOf(3.4, 15));
    EXPECT_EQ(chart.cursorPoint(), 0);  // the line goes with the button
    QTest::mousePress(&chart, Qt::LeftButton, {}, pixelOf(3.6, 15));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, pixelOf(3.6, 15));
    // The same point pressed again is reported again.
    QTest::mousePress(&chart, Qt::LeftButton, {}, pixelOf(4.2, 15));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, pixelOf(4.2, 15));
    EXPECT_EQ(points(cursor), (std::vector<int>{4, 5, 5}));
}

TEST_F(StripChartMouseTest, ADragReportsEachNewPointOnceWithinThePointsLoaded) {
    // Fewer points loaded than the range shows: the cursor stops at the last one loaded.
    chart.setXMaximum(99);
    chart.setPointCapacity(30);
    chart.loadTrace(rq::test::sine(20, 1, 1));
    chart.setYTop(1);
    chart.setYBottom(-1);
    chart.redraw();
    QSignalSpy cursor(&chart, &StripChart::CursorChange);
    QSignalSpy up(&chart, &StripChart::MouseUp);
    const int before = chart.replotCount();

    const int y = chart.height() / 2;
    QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(0, y));  // left of the axis
    for (int x = 1; x < chart.width(); ++x) {
        QTest::mouseMove(&chart, QPoint(x, y));
    }
    EXPECT_EQ(chart.cursorPoint(), 20);
    EXPECT_TRUE(rq::test::savePng(&chart, QStringLiteral("strip_cursor.png")));
    QTest::mouseMove(&chart, QPoint(chart.width() + 50, y));  // beyond the chart, still held
    QTest::mouseMove(&chart, pixelOf(9, 0));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, pixelOf(9, 0));

    std::vector<int> expected;
    for (int p = 1; p <= 20; ++p) {
        expected.push_back(p);
    }
    expected.push_back(10);
    EXPECT_EQ(points(cursor), expected);
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(chart.cursorPoint(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.replotCount(), before);  // the cursor repaints its own layer only
}

TEST_F(StripChartMouseTest, OverNoPointsOnlyMouseUpIsRaised) {
    QSignalSpy cursor(&chart, &StripChart::CursorChange);
    QSignalSpy up(&chart, &StripChart::MouseUp);
    drag(QPoint(100, 80), QPoint(300, 80));
    EXPECT_EQ(cursor.count(), 0);
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(chart.cursorPoint(), 0);
}

TEST_F(StripChartMouseTest, MouseUpGivesButtonShiftAndTwips) {
    plot(rq::test::sine(100, 1, 1), 1, -1);
    QSignalSpy cursor(&chart, &StripChart::CursorChange);
    QSignalSpy up(&chart, &StripChart::MouseUp);
    QTest::mouseClick(&chart, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier,
                      QPoint(10, 20));
    QTest::mouseClick(&chart, Qt::MiddleButton, Qt::AltModifier, QPoint(600, 170));
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(300, 90));
    ASSERT_EQ(up.count(), 3);
    EXPECT_EQ(up.at(0), (QList<QVariant>{2, 3, 150.0, 300.0}));
    EXPECT_EQ(up.at(1), (QList<QVariant>{4, 4, 9000.0, 2550.0}));
    EXPECT_EQ(up.at(2), (QList<QVariant>{1, 0, 4500.0, 1350.0}));
    EXPECT_EQ(cursor.count(), 1);  // only the left button moves the cursor
}

TEST_F(StripChartMouseTest, ARectangleZoomsAndADoubleClickRestores) {
    plot(rq::test::sine(1000, 1.8, 3), 2, -2);
    chart.setZoomHandles(StripChart::ZoomHandlesOn);
    QSignalSpy cursor(&chart, &StripChart::CursorChange);
    QSignalSpy up(&chart, &StripChart::MouseUp);
    const int before = chart.replotCount();

    drag(pixelOf(250, 1.5), pixelOf(750, -1.0));
    const Range x = chart.shownXRange();
    const Range y = chart.shownYRange();
    EXPECT_NEAR(x.lower, 250, 3);
    EXPECT_NEAR(x.upper, 750, 3);
    EXPECT_NEAR(y.lower, -1.0, 0.05);
    EXPECT_NEAR(y.upper, 1.5, 0.05);
    EXPECT_EQ(cursor.count(), 0);
    EXPECT_EQ(up.count(), 1);
    EXPECT_GT(chart.replotCount(), before);  // the user sees the zoom at once
    expectWrittenValuesKept();

    // A second zoom inside the first, then a double click goes back to the values written.
    drag(pixelOf(400, 1.0), pixelOf(500, 0.0));
    EXPECT_NEAR(chart.shownXRange().lower, 400, 2);
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, pixelOf(450, 0.5));
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.shownXRange(), (Range{0, 999}));
    EXPECT_EQ(chart.shownYRange(), (Range{-2, 2}));
    EXPECT_EQ(cursor.count(), 0);
    expectWrittenValuesKept();
}

TEST_F(StripChartMouseTest, TheWheelZoomsAboutTheMouseOnlyWithZoomHandles) {
    plot(rq::test::sine(1000, 1.8, 3), 2, -2);
    wheel(pixelOf(500, 0), 120);
    EXPECT_EQ(chart.shownXRange(), (Range{0, 999}));

    chart.setZoomHandles(StripChart::ZoomHandlesOn);
    wheel(pixelOf(500, 0), 120);
    const Range x = chart.shownXRange();
    EXPECT_LT(x.upper - x.lower, 999 * 0.9);
    EXPECT_LT(x.lower, 500);
    EXPECT_GT(x.upper, 500);
    EXPECT_LT(chart.shownYRange().upper - chart.shownYRange().lower, 4 * 0.9);
    expectWrittenValuesKept();

    wheel(pixelOf(500, 0), -240);  // and back out beyond the range written
    EXPECT_GT(chart.shownXRange().upper - chart.shownXRange().lower, 999);
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, pixelOf(500, 0));
    EXPECT_EQ(chart.shownXRange(), (Range{0, 999}));
    EXPECT_EQ(chart.shownYRange(), (Range{-2, 2}));
}

TEST_F(StripChartMouseTest, AZoomHoldsUntilTheProgramWritesThatAxis) {
    plot(rq::test::sine(1000, 1.8, 3), 2, -2);
    chart.setZoomHandles(StripChart::ZoomHandlesOn);
    drag(pixelOf(250, 1.5), pixelOf(750, -1.0));

    // A new record without range writes (the program holding the zoom) keeps the zoom.
    chart.clear();
    chart.loadTrace(rq::test::sine(1000, 1.0, 5));
    chart.redraw();
    EXPECT_NEAR(chart.shownXRange().lower, 250, 3);
    EXPECT_NEAR(chart.shownYRange().upper, 1.5, 0.05);

    chart.setYTop(2);
    EXPECT_EQ(chart.shownYRange(), (Range{-2, 2}));
    EXPECT_NEAR(chart.shownXRange().lower, 250, 3);
    chart.setPointsShown(1000);
    EXPECT_EQ(chart.shownXRange(), (Range{0, 999}));
}

TEST_F(StripChartMouseTest, ZoomHandleBitsChooseTheAxes) {
    plot(rq::test::sine(1000, 1.8, 3), 2, -2);
    chart.setZoomHandles(1);
    drag(pixelOf(250, 1.5), pixelOf(750, -1.0));
    EXPECT_NEAR(chart.shownXRange().lower, 250, 3);
    EXPECT_EQ(chart.shownYRange(), (Range{-2, 2}));

    QTest::mouseDClick(&chart, Qt::LeftButton, {}, pixelOf(500, 0));
    chart.setZoomHandles(2);
    drag(pixelOf(250, 1.5), pixelOf(750, -1.0));
    EXPECT_EQ(chart.shownXRange(), (Range{0, 999}));
    EXPECT_NEAR(chart.shownYRange().upper, 1.5, 0.05);

    // Handles off again: the same drag is a cursor drag.
    chart.setZoomHandles(StripChart::ZoomHandlesOff);
    QSignalSpy cursor(&chart, &StripChart::CursorChange);
    drag(pixelOf(250, 0), pixelOf(260, 0));
    EXPECT_NEAR(points(cursor).front(), 251, 1);
    EXPECT_NEAR(points(cursor).back(), 261, 1);
}

}  // namespace
