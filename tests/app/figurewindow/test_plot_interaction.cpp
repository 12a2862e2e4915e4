// Protects the mouse on a figures plot: where a click puts marker 1 or 2 (the largest point within
// 10 px on screen, nothing farther), what the read-out says, Esc, and the zoom and pan that a
// double click takes back. Saves a picture of a spectrum with both markers for a person to look at.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "WidgetTest.h"
#include "figurewindow/FrequencyAxis.h"
#include "figurewindow/PlotInteraction.h"

using rq::figures::PlotInteraction;

namespace {

// A spectrum of points 1 kHz apart, drawn 5 px apart: a floor at -100 dBFS, the fundamental at
// 50 kHz, close beside it lower points, and a spur at 20 kHz.
class PlotInteractionTest : public rq::test::WidgetTest {
protected:
    void SetUp() override {
        plot.resize(660, 400);
        // Fixed margins make the pixels per point exact: 590 px over 118 kHz.
        plot.axisRect()->setAutoMargins(QCP::msNone);
        plot.axisRect()->setMargins(QMargins(60, 20, 10, 50));
        new rq::figures::FrequencyAxis(plot.xAxis);
        plot.yAxis->setLabel("Level (dBFS)");
        graph = plot.addGraph();
        draw(-1);
        interaction = new PlotInteraction(&plot);
        interaction->setMarkerGraph(graph);
        plot.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
        plot.replot();
        interaction->remember();
    }

    void draw(double fundamental) {
        QVector<double> keys, values;
        for (int i = 0; i <= 100; ++i) {
            keys << i * 1000.0;
            values << -100.0;
        }
        values[50] = fundamental;
        values[51] = -50;
        values[52] = -30;
        values[53] = -70;
        values[20] = -40.5;
        graph->setData(keys, values, true);
        plot.xAxis->setRange(0, 118000);
        plot.yAxis->setRange(-120, 0);
        plot.replot();
    }

    // The pixel of a key, halfway up the plot, shifted by dx pixels.
    QPoint at(double key, int dx = 0) {
        return QPoint(int(std::lround(plot.xAxis->coordToPixel(key))) + dx,
                      int(std::lround(plot.yAxis->coordToPixel(-60))));
    }
    void click(QPoint pixel, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(&plot, Qt::LeftButton, modifiers, pixel);
        QCoreApplication::processEvents();
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(&plot, Qt::LeftButton, modifiers, from);
        for (int i = 1; i <= 10; ++i) {
            QTest::mouseMove(&plot, from + (to - from) * i / 10);
        }
        QTest::mouseRelease(&plot, Qt::LeftButton, modifiers, to);
        QCoreApplication::processEvents();
    }
    // What a double click brings: a click, a press, the double click, a release.
    void doubleClick(QPoint pixel) {
        QTest::mousePress(&plot, Qt::LeftButton, {}, pixel);
        QTest::mouseRelease(&plot, Qt::LeftButton, {}, pixel);
        QTest::mousePress(&plot, Qt::LeftButton, {}, pixel);
        QTest::mouseDClick(&plot, Qt::LeftButton, {}, pixel);
        QTest::mouseRelease(&plot, Qt::LeftButton, {}, pixel);
        QCoreApplication::processEvents();
    }
    void wheel(QPoint pixel, int delta) {
        QWheelEvent event(pixel, plot.mapToGlobal(pixel), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&plot, &event);
        QCoreApplication::processEvents();
    }
    double markerKey(int n) { return interaction->marker(n) ? interaction->marker(n)->key : -1; }
    QList<QCPItemText*> labels() {
        QList<QCPItemText*> out;
        for (int i = 0; i < plot.itemCount(); ++i) {
            if (auto* text = qobject_cast<QCPItemText*>(plot.item(i))) {
                out << text;
            }
        }
        return out;
    }

    QCustomPlot plot;
    QCPGraph* graph = nullptr;
    PlotInteraction* interaction = nullptr;
};

TEST_F(PlotInteractionTest, AClickPutsMarker1OnTheLargestPointWithin10Pixels) {
    click(at(52000, 2));  // 12 px from the fundamental, 8 px from the one beside it
    ASSERT_TRUE(interaction->marker(1));
    EXPECT_EQ(interaction->marker(1)->key, 52000);
    EXPECT_EQ(interaction->marker(1)->value, -30);

    click(at(50000, 8));  // now the fundamental is within reach
    EXPECT_EQ(markerKey(1), 50000);
    EXPECT_EQ(interaction->marker(1)->value, -1);
    EXPECT_FALSE(interaction->marker(2));
}

TEST_F(PlotInteractionTest, OfEqualPointsTheNearestIsTaken) {
    click(at(50000, -12));           // the window reaches 46..49 kHz, all on the floor
    EXPECT_EQ(markerKey(1), 48000);  // the nearest of equals
    EXPECT_EQ(interaction->marker(1)->value, -100);
}

TEST_F(PlotInteractionTest, AClickWithNoPointWithin10PixelsLeavesTheMarkerWhereItWas) {
    click(at(50000));
    click(at(100000, 30));  // past the last point
    EXPECT_EQ(markerKey(1), 50000);
}

TEST_F(PlotInteractionTest, AClickOnTheAxisBelowThePlotPlacesNoMarker) {
    const QPoint onTickLabels(at(50000).x(), plot.axisRect()->bottom() + 15);
    click(onTickLabels);
    EXPECT_FALSE(interaction->marker(1));
}

TEST_F(PlotInteractionTest, ShiftClickPutsMarker2AndTheReadOutGivesBothAndTheirDifference) {
    QSignalSpy changed(interaction, &PlotInteraction::readoutChanged);
    click(at(50000, 3));
    EXPECT_EQ(interaction->readout(), "f1 = 50.000 kHz  L1 = -1.00 dBFS");
    click(at(20000, -4), Qt::ShiftModifier);
    EXPECT_EQ(markerKey(1), 50000);
    EXPECT_EQ(markerKey(2), 20000);
    const QString both =
        "f1 = 50.000 kHz  L1 = -1.00 dBFS  f2 = 20.000 kHz  L2 = -40.50 dBFS  "
        "Δf = -30.000 kHz  ΔL = -39.50 dB";
    EXPECT_EQ(interaction->readout(), both);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.last().at(0).toString(), both);
}

TEST_F(PlotInteractionTest, Marker2AloneShowsOnlyItsOwnParts) {
    click(at(20000), Qt::ShiftModifier);
    EXPECT_EQ(interaction->readout(), "f2 = 20.000 kHz  L2 = -40.50 dBFS");
}

TEST_F(PlotInteractionTest, AnotherReadOutStyleNamesAndWritesKeysAndLevelsItsWay) {
    PlotInteraction::ReadoutStyle time;
    time.keySymbol = "t";
    time.levelSymbol = "V";
    time.keyText = [](double us) { return QString::number(us / 1000, 'f', 1) + " ms"; };
    time.levelUnit = time.levelDifferenceUnit = "V";
    interaction->setReadoutStyle(time);
    click(at(50000));
    click(at(20000), Qt::ShiftModifier);
    EXPECT_EQ(interaction->readout(),
              "t1 = 50.0 ms  V1 = -1.00 V  t2 = 20.0 ms  V2 = -40.50 V  "
              "Δt = -30.0 ms  ΔV = -39.50 V");
}

TEST_F(PlotInteractionTest, EachMarkerIsDrawnNumberedOnItsPointAndEscClearsBoth) {
    click(at(50000));
    click(at(20000), Qt::ShiftModifier);
    QList<QCPItemText*> texts = labels();
    ASSERT_EQ(texts.size(), 2);
    std::map<QString, QPointF> numbered;
    for (QCPItemText* text : texts) {
        numbered[text->text()] = text->position->parentAnchor()->pixelPosition();
    }
    EXPECT_EQ(numbered["1"],
              QPointF(plot.xAxis->coordToPixel(50000), plot.yAxis->coordToPixel(-1)));
    EXPECT_EQ(numbered["2"],
              QPointF(plot.xAxis->coordToPixel(20000), plot.yAxis->coordToPixel(-40.5)));

    QSignalSpy changed(interaction, &PlotInteraction::readoutChanged);
    QTest::keyClick(&plot, Qt::Key_Escape);
    EXPECT_FALSE(interaction->marker(1));
    EXPECT_FALSE(interaction->marker(2));
    EXPECT_EQ(interaction->readout(), "");
    EXPECT_EQ(plot.itemCount(), 0);
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(PlotInteractionTest, ANewDrawingKeepsTheMarkersKeysAndReadsTheirLevelsAgain) {
    click(at(50000));
    draw(-3.25);
    interaction->remember();
    EXPECT_EQ(markerKey(1), 50000);
    EXPECT_EQ(interaction->marker(1)->value, -3.25);
    EXPECT_EQ(interaction->readout(), "f1 = 50.000 kHz  L1 = -3.25 dBFS");
}

TEST_F(PlotInteractionTest, ADrawingWithMarkersCostsItsOwnReplotOnly) {
    click(at(50000));
    QCoreApplication::processEvents();
    int replots = 0;
    QObject::connect(&plot, &QCustomPlot::afterReplot, [&] { ++replots; });
    QVector<double> keys = {49000, 50000, 51000}, values = {-90, -6, -90};
    graph->setData(keys, values, true);
    interaction->remember();
    plot.replot();
    QCoreApplication::processEvents();
    EXPECT_EQ(replots, 1);
    const QList<QCPItemText*> texts = labels();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0]->position->parentAnchor()->pixelPosition().y(),
              plot.yAxis->coordToPixel(-6));
}

TEST_F(PlotInteractionTest, TheWheelZoomsAndADragPansWithoutPlacingAMarker) {
    wheel(at(50000), 120);
    const QCPRange zoomed = plot.xAxis->range();
    EXPECT_LT(zoomed.size(), 118000);
    EXPECT_TRUE(zoomed.contains(50000));

    drag(at(50000), at(50000, 100));
    EXPECT_LT(plot.xAxis->range().lower, zoomed.lower);
    EXPECT_DOUBLE_EQ(plot.xAxis->range().size(), zoomed.size());
    EXPECT_FALSE(interaction->marker(1));
}

TEST_F(PlotInteractionTest, ACtrlClickChangesNothing) {
    click(at(50000), Qt::ControlModifier);
    EXPECT_EQ(plot.xAxis->range(), QCPRange(0, 118000));
    EXPECT_EQ(plot.yAxis->range(), QCPRange(-120, 0));
    EXPECT_FALSE(interaction->marker(1));
}

TEST_F(PlotInteractionTest, CtrlDragZoomsToTheRectangle) {
    drag(at(20000), at(60000) + QPoint(0, 40), Qt::ControlModifier);
    EXPECT_NEAR(plot.xAxis->range().lower, 20000, 250);  // 200 Hz a pixel
    EXPECT_NEAR(plot.xAxis->range().upper, 60000, 250);
    EXPECT_LT(plot.yAxis->range().size(), 120);
    EXPECT_FALSE(interaction->marker(1));
}

TEST_F(PlotInteractionTest, ADoubleClickRestoresTheDrawnRangesAndLeavesTheMarkers) {
    click(at(50000));
    wheel(at(50000), 240);
    drag(at(50000), at(50000, -60));
    ASSERT_NE(plot.xAxis->range(), QCPRange(0, 118000));

    doubleClick(at(70000));
    EXPECT_EQ(plot.xAxis->range(), QCPRange(0, 118000));
    EXPECT_EQ(plot.yAxis->range(), QCPRange(-120, 0));
    EXPECT_EQ(markerKey(1), 50000);  // its first click did not move marker 1

    click(at(20000));  // and the next click places it again
    EXPECT_EQ(markerKey(1), 20000);
}

TEST_F(PlotInteractionTest, ADoubleClickAloneTakesBackNoEarlierClick) {
    click(at(50000));
    wheel(at(50000), 120);
    QTest::mouseDClick(&plot, Qt::LeftButton, {}, at(20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(markerKey(1), 50000);
    EXPECT_EQ(plot.xAxis->range(), QCPRange(0, 118000));
}

TEST_F(PlotInteractionTest, MarkerNumbersStayInsideThePlotAtItsEdges) {
    click(at(50000));                      // the fundamental, 1 dB under the top
    click(at(100000), Qt::ShiftModifier);  // the last point, 18 kHz short of the right edge
    plot.xAxis->setRange(0, 100000);       // now at the right edge
    plot.replot();
    plot.replot();  // the labels place themselves on the layout of the replot before
    const QRect area = plot.axisRect()->rect();
    for (QCPItemText* text : labels()) {
        const QRectF box(text->topLeft->pixelPosition(), text->bottomRight->pixelPosition());
        EXPECT_TRUE(QRectF(area).contains(box)) << text->text().toStdString();
    }
    EXPECT_TRUE(rq::test::savePng(&plot, "figure_markers.png"));
}

}  // namespace

TEST_F(PlotInteractionTest, MarkersFollowANewDrawingOfTheTraceOnAGraphOfItsOwn) {
    click(at(50000));
    click(at(20000), Qt::ShiftModifier);
    // The window draws each record afresh: the graphs and items go, a new graph comes.
    plot.clearPlottables();
    plot.clearItems();
    graph = plot.addGraph();
    draw(-3);
    interaction->followGraph(graph);
    interaction->remember();
    ASSERT_TRUE(interaction->marker(1));
    EXPECT_EQ(interaction->marker(1)->key, 50000);
    EXPECT_EQ(interaction->marker(1)->value, -3);
    EXPECT_EQ(markerKey(2), 20000);
    // Drawn again, on the new plot items.
    EXPECT_EQ(labels().size(), 2);
}
