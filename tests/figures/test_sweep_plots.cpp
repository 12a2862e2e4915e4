// Protects what a sweep's plots show (a curve per level or frequency with its points, the log
// axis, the legend, hollow marks, units on the axes, a notice when there is nothing to draw) and
// its report: the sweep's pages after the run's, its table over as many pages as it needs.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <functional>

#include "Synth.h"
#include "WidgetTest.h"
#include "figures/FigureRun.h"
#include "figures/FrequencyText.h"
#include "figures/Plots.h"
#include "figures/Report.h"
#include "figures/SweepPlots.h"

using namespace rq::figures;

namespace {

class SweepPlots : public rq::test::WidgetTest {};
class SweepReports : public rq::test::WidgetTest {};

struct Sweep {
    SweepPlan plan;
    std::vector<SweepPoint> points;
    SweepSummary summary;
};

// A sweep whose figures fall with frequency and follow the level, like a converter's.
Sweep made(const std::vector<double>& frequencies, const std::vector<double>& levels,
           const std::function<void(SweepPoint&)>& change = {}) {
    Sweep s;
    s.plan = planSweep(frequencies, levels, true, 100000.0, 4096);
    for (const SweepPointPlan& p : s.plan.points) {
        SweepPoint point;
        point.plan = p;
        point.records = 4;
        point.measuredFrequency = p.frequency;
        point.measuredLevel = p.level;
        point.snr = 72.0 + p.level - p.frequency / 10000.0;
        point.sinad = point.snr - 1.5;
        point.sfdr = 85.0 - p.frequency / 5000.0;
        point.thd = -point.sfdr - 2.0;
        point.enob = (point.sinad - 1.76) / 6.02;
        point.h2 = -point.sfdr;
        point.h3 = -point.sfdr - 6.0;
        if (change) {
            change(point);
        }
        s.points.push_back(point);
    }
    s.summary = summariseSweep(s.plan, s.points, SweepEnd::Done, QString());
    return s;
}

void draw(QCustomPlot& plot, const Sweep& s, SweepFigure figure, SweepAxis axis, bool log) {
    drawSweep(plot, s.plan, s.points, s.summary, figure, axis, log);
}

// The texts of the plot's titles and captions.
QStringList layoutTexts(QCustomPlot& plot) {
    QStringList texts;
    for (QCPLayoutElement* e : plot.plotLayout()->elements(false)) {
        if (auto* t = qobject_cast<QCPTextElement*>(e)) {
            texts << QString(t->text()).replace(u'\n', u' ');  // captions wrap
        }
    }
    return texts;
}

QCPLegend* ownLegend(QCustomPlot& plot) {
    for (QCPLayoutElement* e : plot.plotLayout()->elements(false)) {
        if (auto* legend = qobject_cast<QCPLegend*>(e)) {
            return legend;
        }
    }
    return nullptr;
}

QStringList itemTexts(QCustomPlot& plot) {
    QStringList texts;
    for (int i = 0; i < plot.itemCount(); ++i) {
        if (auto* t = qobject_cast<QCPItemText*>(plot.item(i))) {
            texts << t->text();
        }
    }
    return texts;
}

bool anyContains(const QStringList& texts, const QString& piece) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const QString& t) { return t.contains(piece); });
}

}  // namespace

TEST_F(SweepPlots, FrequencySweepIsOneCurveOnALogAxis) {
    const Sweep s = made(parseSweepList(QStringLiteral("1e3:40e3:20:log"), true), {-1});
    QCustomPlot plot;
    plot.resize(900, 560);
    draw(plot, s, SweepFigure::Snr, SweepAxis::Frequency, true);
    ASSERT_EQ(plot.graphCount(), 1);
    ASSERT_EQ(plot.graph(0)->data()->size(), 20);
    EXPECT_DOUBLE_EQ(plot.graph(0)->data()->at(0)->key, s.plan.points[0].frequency / 1000);
    EXPECT_DOUBLE_EQ(plot.graph(0)->data()->at(19)->value, s.points[19].snr);
    EXPECT_EQ(plot.xAxis->scaleType(), QCPAxis::stLogarithmic);
    EXPECT_EQ(plot.xAxis->label(), QStringLiteral("Input frequency (kHz)"));
    EXPECT_EQ(plot.yAxis->label(), QStringLiteral("SNR (dB)"));
    EXPECT_TRUE(plot.xAxis->range().contains(1.0) && plot.xAxis->range().contains(40.0));
    EXPECT_EQ(ownLegend(plot), nullptr);
    const QStringList texts = layoutTexts(plot);
    EXPECT_TRUE(anyContains(texts, QStringLiteral("SNR against input frequency, at -1 dBFS")));
    // The caption carries the flatness across the frequencies.
    EXPECT_TRUE(anyContains(texts, flatnessText(s.summary.flatness.at(0))));

    QCustomPlot linear;
    linear.resize(900, 560);
    draw(linear, s, SweepFigure::Snr, SweepAxis::Frequency, false);
    EXPECT_EQ(linear.xAxis->scaleType(), QCPAxis::stLinear);
}

TEST_F(SweepPlots, AxisTitlesCarryEachFiguresUnit) {
    const Sweep s = made({1000, 2000, 200000 / 5.0}, {-20, -1});
    const std::pair<SweepFigure, const char*> figures[] = {{SweepFigure::Snr, "SNR (dB)"},
                                                           {SweepFigure::Sinad, "SINAD (dB)"},
                                                           {SweepFigure::Sfdr, "SFDR (dBc)"},
                                                           {SweepFigure::Enob, "ENOB (bits)"},
                                                           {SweepFigure::Thd, "THD (dBc)"}};
    for (const auto& [figure, label] : figures) {
        QCustomPlot plot;
        plot.resize(800, 500);
        draw(plot, s, figure, SweepAxis::Level, false);
        EXPECT_EQ(plot.yAxis->label(), QString::fromUtf8(label));
        EXPECT_EQ(plot.xAxis->label(), QStringLiteral("Input level (dBFS)"));
        EXPECT_DOUBLE_EQ(plot.graph(0)->data()->at(1)->value,
                         sweepFigureValue(s.points[1], figure));
    }
}

TEST_F(SweepPlots, GridHasACurvePerLevelNamedInTheLegend) {
    const Sweep s = made({1000, 5000, 20000, 40000}, {-1, -6, -20});
    QCustomPlot plot;
    plot.resize(900, 560);
    draw(plot, s, SweepFigure::Sinad, SweepAxis::Frequency, false);
    ASSERT_EQ(plot.graphCount(), 3);
    QCPLegend* legend = ownLegend(plot);
    ASSERT_NE(legend, nullptr);
    EXPECT_EQ(legend->itemCount(), 3);
    const QStringList names{QStringLiteral("-1 dBFS"), QStringLiteral("-6 dBFS"),
                            QStringLiteral("-20 dBFS")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(plot.graph(i)->name(), names[i]);
        EXPECT_TRUE(legend->hasItemWithPlottable(plot.graph(i)));
        ASSERT_EQ(plot.graph(i)->data()->size(), 4);
        EXPECT_DOUBLE_EQ(plot.graph(i)->data()->at(2)->value, s.points[2 * 3 + i].sinad);
    }
    EXPECT_TRUE(anyContains(layoutTexts(plot), QStringLiteral("SINAD against input frequency")));

    // Against level: one curve per frequency.
    QCustomPlot byLevel;
    byLevel.resize(900, 560);
    draw(byLevel, s, SweepFigure::Snr, SweepAxis::Level, false);
    ASSERT_EQ(byLevel.graphCount(), 4);
    EXPECT_EQ(byLevel.graph(0)->name(), shortFrequencyText(s.plan.points[0].frequency));
    EXPECT_EQ(byLevel.graph(0)->data()->size(), 3);
    EXPECT_TRUE(anyContains(layoutTexts(byLevel), slopeText(s.summary.slopes.at(3))));
}

TEST_F(SweepPlots, PointWithAWarningIsHollowAndOneWithoutAFigureIsAGap) {
    const Sweep s = made({1000, 2000, 3000, 4000, 5000}, {-1}, [](SweepPoint& p) {
        if (p.plan.index == 1) {
            p.warnings = {{QStringLiteral("clipping"), QStringLiteral("clipped"), 40}};
        }
        if (p.plan.index == 3) {
            p.snr = NAN;
        }
    });
    QCustomPlot plot;
    plot.resize(800, 500);
    draw(plot, s, SweepFigure::Snr, SweepAxis::Frequency, false);
    ASSERT_EQ(plot.graphCount(), 2);
    EXPECT_EQ(plot.graph(0)->data()->size(), 5);
    EXPECT_TRUE(std::isnan(plot.graph(0)->data()->at(3)->value));
    // Hollow: white inside, drawn over the warned point alone.
    QCPGraph* hollow = plot.graph(1);
    ASSERT_EQ(hollow->data()->size(), 1);
    const double warnedAt = s.plan.points[1].frequency / 1000;
    EXPECT_DOUBLE_EQ(hollow->data()->at(0)->key, warnedAt);
    EXPECT_EQ(hollow->scatterStyle().brush().color(), QColor(Qt::white));
    EXPECT_TRUE(anyContains(layoutTexts(plot), QStringLiteral("hollow marks")));
    // The white shows in the middle of the mark.
    const QImage image = plot.toPixmap(800, 500).toImage();
    const QPointF at(plot.xAxis->coordToPixel(warnedAt), plot.yAxis->coordToPixel(s.points[1].snr));
    EXPECT_EQ(image.pixelColor(at.toPoint()), QColor(Qt::white));
    const QPointF filled(plot.xAxis->coordToPixel(s.plan.points[2].frequency / 1000),
                         plot.yAxis->coordToPixel(s.points[2].snr));
    EXPECT_NE(image.pixelColor(filled.toPoint()), QColor(Qt::white));
}

TEST_F(SweepPlots, NothingToDrawLeavesANotice) {
    const Sweep s = made({1000, 2000}, {-1}, [](SweepPoint& p) { p.sfdr = NAN; });
    QCustomPlot plot;
    plot.resize(800, 500);
    draw(plot, s, SweepFigure::Sfdr, SweepAxis::Frequency, true);
    EXPECT_EQ(plot.graphCount(), 0);
    EXPECT_TRUE(anyContains(itemTexts(plot), QStringLiteral("No point has a measured SFDR")));
    EXPECT_EQ(plot.yAxis->label(), QStringLiteral("SFDR (dBc)"));

    QCustomPlot none;
    none.resize(800, 500);
    drawSweep(none, s.plan, {}, summariseSweep(s.plan, {}, SweepEnd::Cancelled, QString()),
              SweepFigure::Snr, SweepAxis::Frequency, false);
    EXPECT_EQ(none.graphCount(), 0);
    EXPECT_TRUE(anyContains(itemTexts(none), QStringLiteral("No point measured")));
    EXPECT_TRUE(
        anyContains(layoutTexts(none), QStringLiteral("0 of 2 points measured, cancelled")));
}

TEST_F(SweepPlots, ClearedAndRedrawnLooksLikeFresh) {
    // A grid on a log axis leaves a legend and a ticker of its own behind to be cleared.
    const Sweep grid = made({1000, 3000, 10000}, {-1, -10});
    const Sweep line = made({1000, 2000, 4000, 8000}, {-3});
    QCustomPlot fresh;
    fresh.resize(800, 500);
    draw(fresh, line, SweepFigure::Enob, SweepAxis::Frequency, false);
    QCustomPlot reused;
    reused.resize(800, 500);
    draw(reused, grid, SweepFigure::Snr, SweepAxis::Frequency, true);
    clearPlot(reused);
    draw(reused, line, SweepFigure::Enob, SweepAxis::Frequency, false);
    EXPECT_EQ(reused.graphCount(), fresh.graphCount());
    EXPECT_EQ(reused.plotLayout()->elementCount(), fresh.plotLayout()->elementCount());
    EXPECT_EQ(reused.toPixmap(800, 500).toImage(), fresh.toPixmap(800, 500).toImage());
}

TEST_F(SweepPlots, SavedForAPersonToLookAt) {
    const Sweep frequency =
        made(parseSweepList(QStringLiteral("1e3:40e3:20:log"), true), {-1}, [](SweepPoint& p) {
            if (p.plan.index == 17) {
                p.warnings = {{QStringLiteral("leakage"), QStringLiteral("leaks"), std::nullopt}};
            }
        });
    const Sweep level = made({9973.0}, parseSweepList(QStringLiteral("-60:0:31"), false));
    const Sweep grid = made(parseSweepList(QStringLiteral("1e3:45e3:12:log"), true), {-1, -6, -20});
    savePlot(QStringLiteral("sweep_frequency.png"), [&](QCustomPlot& plot) {
        draw(plot, frequency, SweepFigure::Snr, SweepAxis::Frequency, true);
    });
    savePlot(QStringLiteral("sweep_level.png"), [&](QCustomPlot& plot) {
        draw(plot, level, SweepFigure::Snr, SweepAxis::Level, false);
    });
    savePlot(QStringLiteral("sweep_grid.png"), [&](QCustomPlot& plot) {
        draw(plot, grid, SweepFigure::Enob, SweepAxis::Frequency, true);
    });
    for (const char* name : {"sweep_frequency.png", "sweep_level.png", "sweep_grid.png"}) {
        const QImage image(QString::fromLatin1(name));
        EXPECT_EQ(image.size(), PlotSize) << name;
    }
}

namespace {

FigureRun toneRun() {
    rq::test::Tone t = rq::test::fullScale(12, 101.0);
    t.amplitude *= 0.9;
    t.noiseRms = 0.6;
    FigureRequest request;
    request.metrics = true;
    request.fit = true;
    request.linearity = rq::analysis::LinearityInput::Sine;
    FigureRun run(request, 12, false, 100000.0);
    run.addRecord(rq::test::quantise(rq::test::synthesise(4096, t), 12), false);
    return run;
}

int pdfPages(const QString& path) {
    QFile f(path);
    const QByteArray pdf = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"));
}

// The report's words as a reader gets them, blanks and line ends folded to one space.
QString pdfWords(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput())
        .replace(QChar(0xFB01), QStringLiteral("fi"))
        .replace(QChar(0xFB00), QStringLiteral("ff"))
        .replace(QChar(0xFB02), QStringLiteral("fl"))
        .simplified();
}

bool havePdfToText() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

SweepReport report(const Sweep& s) {
    SweepReport r;
    r.plan = s.plan;
    r.points = s.points;
    r.summary = s.summary;
    r.definition = {QStringLiteral("Frequencies: 1 kHz to 40 kHz, 3 points"),
                    QStringLiteral("Levels: -1 dBFS and -10 dBFS"),
                    QStringLiteral("Records per point: 4, power-averaged"),
                    QStringLiteral("Source: simulated board")};
    return r;
}

const RecordSource Source{QStringLiteral("sweep of RQ3118"), {QStringLiteral("Converter: RQ3118")}};

}  // namespace

TEST_F(SweepReports, SweepPagesFollowTheRunsTwo) {
    QTemporaryDir dir;
    const FigureRun run = toneRun();
    const QString single = dir.filePath(QStringLiteral("single.pdf"));
    // In the build folder, for a person to look at.
    const QString swept = QStringLiteral("sweep_report.pdf");
    writeReport(single, run, Source);
    // A grid: the points on one page, then four plots against frequency and four against level,
    // two to a page.
    const Sweep s = made({1000, 10000, 40000}, {-1, -10});
    writeSweepReport(swept, &run, Source, report(s));
    EXPECT_EQ(pdfPages(single), 2);
    EXPECT_EQ(pdfPages(swept), 2 + 1 + 4);
    if (!havePdfToText()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QString words = pdfWords(swept);
    for (const QString& expected :
         {QStringLiteral("Dynamic figures"), QStringLiteral("Sweep"),
          QStringLiteral("Records per point: 4, power-averaged"), sweepSummaryText(s.summary),
          QStringLiteral("SNR against input frequency"), QStringLiteral("ENOB against input level"),
          QStringLiteral("page 1 of 7"), QStringLiteral("page 7 of 7"),
          QStringLiteral("No point has a warning.")}) {
        EXPECT_TRUE(words.contains(expected)) << expected.toStdString();
    }
}

TEST_F(SweepReports, WithoutARunTheSweepStandsAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alone.pdf"));
    const Sweep s =
        made(parseSweepList(QStringLiteral("1e3:40e3:20:log"), true), {-1}, [](SweepPoint& p) {
            if (p.plan.index == 4) {
                const SweepPointPlan plan = p.plan;
                p = SweepPoint{};
                p.plan = plan;
                p.spectrumError = QStringLiteral("no tone above the noise");
            }
        });
    SweepReport r = report(s);
    r.logFrequency = true;
    writeSweepReport(path, nullptr, Source, r);
    // The points, then four plots against frequency.
    EXPECT_EQ(pdfPages(path), 1 + 2);
    if (!havePdfToText()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QString words = pdfWords(path);
    EXPECT_FALSE(words.contains(QStringLiteral("Dynamic figures")));
    EXPECT_TRUE(words.contains(QStringLiteral("page 3 of 3")));
    EXPECT_TRUE(words.contains(QStringLiteral("Point 5 has no figures: no tone above the noise")));
    EXPECT_FALSE(words.contains(QStringLiteral("against input level")));
}

TEST_F(SweepReports, LongTableRunsOverPages) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.pdf"));
    const Sweep s = made({9973.0}, parseSweepList(QStringLiteral("-74.5:0:150"), false));
    writeSweepReport(path, nullptr, Source, report(s));
    EXPECT_GT(pdfPages(path), 1 + 2);
    if (!havePdfToText()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QString words = pdfWords(path);
    EXPECT_TRUE(words.contains(QStringLiteral("Points (continued)")));
    // Every point's level is in the table, the first and the last included.
    for (const SweepPoint& p : s.points) {
        EXPECT_TRUE(words.contains(u' ' + levelText(p.plan.level) + u' ')) << p.plan.index;
    }
}
