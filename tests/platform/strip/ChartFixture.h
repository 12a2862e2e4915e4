#pragma once

// What the strip-chart tests share: a chart shown at the main window's size for the time trace,
// loaded the way the program loads a record, and the pixel where a point of it stands.
#include "strip/CustomPlot.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <numbers>
#include <vector>

#include "WidgetTest.h"
#include "host/Twips.h"
#include "strip/StripChart.h"

namespace rq::test {

inline std::vector<double> sine(int count, double amplitude, double cycles) {
    std::vector<double> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        values[size_t(i)] = amplitude * std::sin(2 * std::numbers::pi * cycles * i / count);
    }
    return values;
}

class ChartTest : public WidgetTest {
protected:
    // The time-domain chart's place in the main window: 9135 x 2655 twips.
    void SetUp() override {
        chart.resize(host::toPixels(9135), host::toPixels(2655));
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }

    // A record of count points shown over 0..count - 1, y-range bottom..top, drawn.
    void plot(const std::vector<double>& values, double top, double bottom) {
        const int count = int(values.size());
        chart.clear();
        chart.setPointCapacity(int16_t(count + 10));
        chart.setLastPoint(count - 1);
        chart.setXMaximum(count - 1);
        chart.setPointsShown(count);
        chart.setYTop(top);
        chart.setYBottom(bottom);
        chart.loadTrace(values);
        chart.redraw();
        QCoreApplication::processEvents();
    }

    // What the chart shows now.
    QImage picture() { return chart.grab().toImage(); }

    // The plot inside the chart, only to aim the mouse: the tests assert what the chart reports.
    QCustomPlot* plotWidget() { return chart.findChild<QCustomPlot*>(); }
    QPoint pixelOf(double x, double y) {
        QCustomPlot* plot = plotWidget();
        return QPoint(int(std::lround(plot->xAxis->coordToPixel(x))),
                      int(std::lround(plot->yAxis->coordToPixel(y))));
    }

    StripChart chart;
};

}  // namespace rq::test
