#include "figures/SweepPlots.h"

#include <QFontMetricsF>
#include <algorithm>
#include <array>
#include <cmath>

#include "figures/FigureRun.h"
#include "figures/FrequencyText.h"
#include "figures/PlotParts.h"
#include "figures/Plots.h"

namespace rq::figures {

namespace {

struct CurveStyle {
    QColor colour;
    QCPScatterStyle::ScatterShape shape;
};

// Colours first, then shapes, so that neighbouring curves differ in colour and a printout in
// grey still tells them apart once the colours repeat.
CurveStyle curveStyle(int i) {
    static const std::array<QColor, 8> colours = {TraceBlue,           FitRed,
                                                  BestFitGreen,        HarmonicOrange,
                                                  SpurPurple,          QColor(0, 150, 160),
                                                  QColor(120, 80, 40), QColor(90, 90, 90)};
    static const std::array<QCPScatterStyle::ScatterShape, 4> shapes = {
        QCPScatterStyle::ssCircle, QCPScatterStyle::ssSquare, QCPScatterStyle::ssDiamond,
        QCPScatterStyle::ssTriangle};
    const auto n = static_cast<int>(colours.size());
    return {colours[static_cast<size_t>(i % n)],
            shapes[static_cast<size_t>((i / n) % static_cast<int>(shapes.size()))]};
}

struct Curve {
    QString name;
    QVector<double> x, y;
    QVector<double> warnedX, warnedY;
};

// Text broken into lines no wider than width in the font: between pieces joined by "; " where
// it can, between words within a piece too wide for a line of its own.
QString wrapped(const QString& text, const QFont& font, double width) {
    const QFontMetricsF metrics(font);
    QStringList lines;
    QString line;
    const auto add = [&](const QString& piece, const QString& joint) {
        const QString longer = line.isEmpty() ? piece : line + joint + piece;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line + joint.trimmed();
            line = piece;
        } else {
            line = longer;
        }
    };
    for (const QString& piece : text.split(QStringLiteral("; "))) {
        if (metrics.horizontalAdvance(piece) <= width) {
            add(piece, QStringLiteral("; "));
            continue;
        }
        const QStringList words = piece.split(u' ');
        for (qsizetype w = 0; w < words.size(); ++w) {
            add(words[w], w == 0 ? QStringLiteral("; ") : QStringLiteral(" "));
        }
    }
    lines << line;
    return lines.join(u'\n');
}

// Ticks at 1, 2 and 5 (or every digit, over less than a decade and a half) times the powers of
// ten: the default logarithmic ticker labels only the decades, too few for a sweep over one.
void setLogTicks(QCPAxis& axis, const QCPRange& range) {
    const double decades = std::log10(range.upper / range.lower);
    const std::vector<double> steps = decades > 3.5 ? std::vector<double>{1}
                                      : decades > 1.5
                                          ? std::vector<double>{1, 2, 5}
                                          : std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    QMap<double, QString> ticks;
    for (int e = static_cast<int>(std::floor(std::log10(range.lower)));
         e <= static_cast<int>(std::ceil(std::log10(range.upper))); ++e) {
        for (double m : steps) {
            const double v = m * std::pow(10.0, e);
            if (v >= range.lower && v <= range.upper) {
                ticks.insert(v, QString::number(v, 'g', 6));
            }
        }
    }
    axis.setScaleType(QCPAxis::stLogarithmic);
    if (ticks.size() >= 2) {
        QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
        ticker->setTicks(ticks);
        axis.setTicker(ticker);
    } else {
        axis.setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog));
    }
}

}  // namespace

void drawSweep(QCustomPlot& plot, const SweepPlan& plan, const std::vector<SweepPoint>& points,
               const SweepSummary& summary, SweepFigure figure, SweepAxis axis, bool logFrequency) {
    const bool alongFrequency = axis == SweepAxis::Frequency;
    const int levels = std::max(plan.levels, 1);
    const int frequencies = std::max(plan.frequencies, 1);
    double lowest = INFINITY, highest = -INFINITY;
    for (const SweepPointPlan& p : plan.points) {
        const double x = alongFrequency ? p.frequency : p.level;
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
    }
    const FrequencyUnit unit = plotFrequencyUnit(alongFrequency ? highest : 0.0);
    const bool log = alongFrequency && logFrequency && lowest > 0;

    // A curve for each value of the other axis, named after it.
    std::vector<Curve> curves(static_cast<size_t>(alongFrequency ? levels : frequencies));
    for (const SweepPointPlan& p : plan.points) {
        const int f = p.index / levels, l = p.index % levels;
        Curve& c = curves[static_cast<size_t>(alongFrequency ? l : f)];
        if (c.name.isEmpty()) {
            c.name = alongFrequency ? shortLevelText(p.level) + QStringLiteral(" dBFS")
                                    : shortFrequencyText(p.frequency);
        }
    }
    bool anyValue = false, anyWarned = false;
    double low = INFINITY, high = -INFINITY;
    for (const SweepPoint& p : points) {
        const int index = p.plan.index;
        const size_t c = static_cast<size_t>(alongFrequency ? index % levels : index / levels);
        if (c >= curves.size()) {
            continue;
        }
        const double x = alongFrequency ? p.plan.frequency / unit.scale : p.plan.level;
        double y = sweepFigureValue(p, figure);
        if (!std::isfinite(y)) {
            y = NAN;  // a gap in the line
        } else {
            anyValue = true;
            low = std::min(low, y);
            high = std::max(high, y);
            if (!p.warnings.empty()) {
                anyWarned = true;
                curves[c].warnedX << x;
                curves[c].warnedY << y;
            }
        }
        curves[c].x << x;
        curves[c].y << y;
    }

    const QString name = sweepFigureName(figure);
    const QString figureUnit = sweepFigureUnit(figure);
    QCPLegend* legend = nullptr;
    if (anyValue && curves.size() > 1) {
        // A legend of its own in a row under the plot, where it hides no point.
        legend = new QCPLegend;
        plot.plotLayout()->addElement(1, 0, legend);
        legend->setLayer(QStringLiteral("legend"));
        legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
        legend->setWrap(std::max(1, plot.width() / 130));
        legend->setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        legend->setBorderPen(Qt::NoPen);
        legend->setMargins(QMargins(6, 2, 6, 2));
        plot.plotLayout()->setRowStretchFactor(1, 0.001);
    }
    if (anyValue) {
        for (size_t i = 0; i < curves.size(); ++i) {
            const Curve& c = curves[i];
            const CurveStyle style = curveStyle(static_cast<int>(i));
            QCPGraph* g = plot.addGraph();
            g->setData(c.x, c.y);
            g->setPen(QPen(style.colour, 1.5));
            g->setScatterStyle(QCPScatterStyle(style.shape, style.colour, style.colour, 7));
            g->setName(c.name);
            g->removeFromLegend();
            if (legend != nullptr) {
                g->addToLegend(legend);
            }
            if (!c.warnedX.isEmpty()) {
                // White inside, over the filled marks.
                QCPGraph* hollow = plot.addGraph();
                hollow->setData(c.warnedX, c.warnedY);
                hollow->setLineStyle(QCPGraph::lsNone);
                hollow->setScatterStyle(
                    QCPScatterStyle(style.shape, QPen(style.colour, 1.5), QBrush(Qt::white), 8));
                hollow->setName(c.name + QStringLiteral(" (with a warning)"));
                hollow->removeFromLegend();
            }
        }
    }

    if (alongFrequency) {
        plot.xAxis->setLabel(QStringLiteral("Input frequency (%1)").arg(unit.name));
    } else {
        plot.xAxis->setLabel(QStringLiteral("Input level (dBFS)"));
    }
    plot.yAxis->setLabel(QStringLiteral("%1 (%2)").arg(name, figureUnit));
    plot.xAxis->grid()->setVisible(true);
    plot.yAxis->grid()->setVisible(true);
    if (std::isfinite(lowest)) {
        const double lo = alongFrequency ? lowest / unit.scale : lowest;
        const double hi = alongFrequency ? highest / unit.scale : highest;
        if (log) {
            // A twentieth of the span, or of a decade, beyond either end.
            const double pad = std::pow(std::max(hi / lo, 10.0), 0.05);
            const QCPRange range(lo / pad, hi * pad);
            setLogTicks(*plot.xAxis, range);
            plot.xAxis->setRange(range);
        } else {
            const double pad = hi > lo ? 0.04 * (hi - lo) : std::max(0.1 * std::fabs(lo), 1.0);
            plot.xAxis->setRange(lo - pad, hi + pad);
        }
    }
    if (anyValue) {
        // No closer than a couple of dB (a quarter bit), so that a flat curve reads as flat.
        const double least = figure == SweepFigure::Enob ? 0.25 : 2.0;
        const double middle = (low + high) / 2;
        const double half = std::max((high - low) / 2 * 1.12, least / 2);
        plot.yAxis->setRange(middle - half, middle + half);
    } else {
        auto* notice = new QCPItemText(&plot);
        notice->position->setType(QCPItemPosition::ptAxisRectRatio);
        notice->position->setCoords(0.5, 0.5);
        notice->setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        notice->setText(points.empty() ? QStringLiteral("No point measured")
                                       : QStringLiteral("No point has a measured %1").arg(name));
    }

    const QFont captionFont(QStringLiteral("DejaVu Sans Mono"), 8);
    const double captionWidth = std::max(200, plot.width() - 24);
    QStringList caption{wrapped(sweepEndingText(summary), captionFont, captionWidth)};
    QStringList figures;
    if (alongFrequency) {
        for (const SweepSummary::Flatness& f : summary.flatness) {
            figures << flatnessText(f);
        }
    } else {
        for (const SweepSummary::Slope& s : summary.slopes) {
            figures << slopeText(s);
        }
    }
    if (!figures.isEmpty()) {
        caption << wrapped(figures.join(QStringLiteral("; ")), captionFont, captionWidth);
    }
    if (anyWarned) {
        caption << QStringLiteral("hollow marks: points with a warning");
    }
    addCaption(plot, 0, caption.join(u'\n'));
    QString title =
        QStringLiteral("%1 against input %2")
            .arg(name, alongFrequency ? QStringLiteral("frequency") : QStringLiteral("level"));
    if (curves.size() == 1 && !curves.front().name.isEmpty()) {
        title += QStringLiteral(", at ") + curves.front().name;
    }
    addTitle(plot, title);
}

void saveSweepPlots(const QString& path, const SweepPlan& plan,
                    const std::vector<SweepPoint>& points, const SweepSummary& summary,
                    const std::vector<SweepAxis>& axes, bool logFrequency) {
    std::vector<PlotDrawing> draws;
    for (const SweepAxis axis : axes) {
        for (const SweepFigure figure :
             {SweepFigure::Snr, SweepFigure::Sinad, SweepFigure::Sfdr, SweepFigure::Enob}) {
            draws.push_back([&, axis, figure](QCustomPlot& plot) {
                drawSweep(plot, plan, points, summary, figure, axis, logFrequency);
            });
        }
    }
    savePlots(path, draws, 2, QSize(800, 520));
}

}  // namespace rq::figures
