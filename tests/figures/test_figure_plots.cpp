// Protects redrawing on a plot a window keeps: a plot cleared and drawn again shows what a fresh
// plot drawn once shows.
#include <gtest/gtest.h>

#include <QImage>

#include "Synth.h"
#include "WidgetTest.h"
#include "figures/FigureRun.h"
#include "figures/Plots.h"

using namespace rq::figures;

namespace {

class FigurePlots : public rq::test::WidgetTest {};

FigureRun fittedRun() {
    rq::test::Tone t;
    t.cycles = 31.0;
    t.amplitude = 1500.0;
    t.offset = 2048.0;
    t.noiseRms = 1.0;
    FigureRequest request;
    request.metrics = true;
    request.fit = true;
    FigureRun run(request, 12, false, 100000.0);
    run.addRecord(rq::test::synthesise(1024, t), false);
    return run;
}

QImage image(QCustomPlot& plot) {
    return plot.toPixmap(800, 500).toImage();
}

}  // namespace

TEST_F(FigurePlots, ClearedAndRedrawnLooksLikeFresh) {
    const FigureRun run = fittedRun();
    ASSERT_TRUE(run.fit4());
    const RecordSource source{QStringLiteral("tone"), {}};
    QCustomPlot fresh;
    fresh.resize(800, 500);
    drawTime(fresh, run, source);

    // The time plot adds a second axis rectangle, a caption and a title; the spectrum is drawn
    // before it to leave items and markers behind.
    QCustomPlot reused;
    reused.resize(800, 500);
    drawSpectrum(reused, run, source);
    clearPlot(reused);
    drawTime(reused, run, source);
    clearPlot(reused);
    drawTime(reused, run, source);

    EXPECT_EQ(reused.graphCount(), fresh.graphCount());
    EXPECT_EQ(reused.itemCount(), fresh.itemCount());
    EXPECT_EQ(reused.axisRectCount(), fresh.axisRectCount());
    EXPECT_EQ(reused.plotLayout()->elementCount(), fresh.plotLayout()->elementCount());
    EXPECT_EQ(image(reused), image(fresh));
}

TEST_F(FigurePlots, ClearedPlotHoldsNothing) {
    const FigureRun run = fittedRun();
    QCustomPlot plot;
    drawSpectrum(plot, run, RecordSource{QStringLiteral("tone"), {}});
    clearPlot(plot);
    EXPECT_EQ(plot.graphCount(), 0);
    EXPECT_EQ(plot.itemCount(), 0);
    EXPECT_EQ(plot.axisRectCount(), 1);
    EXPECT_EQ(plot.plotLayout()->elementCount(), 1);
    EXPECT_TRUE(plot.xAxis->label().isEmpty());
}
