#include "figures/Plots.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "figures/FigureRun.h"
#include "figures/PlotParts.h"

namespace rq::figures {

using namespace rq::analysis;

namespace {

void markPoint(QCustomPlot& plot, double x, double y, const QString& label, const QColor& colour,
               QCPScatterStyle::ScatterShape shape) {
    QCPGraph* marker = plot.addGraph();
    marker->setLineStyle(QCPGraph::lsNone);
    marker->setScatterStyle(QCPScatterStyle(shape, colour, colour, 7));
    marker->setData(QVector<double>{x}, QVector<double>{y});
    marker->removeFromLegend();
    auto* text = new QCPItemText(&plot);
    text->position->setCoords(x, y);
    text->setPositionAlignment(Qt::AlignBottom | Qt::AlignHCenter);
    text->setPadding(QMargins(0, 0, 0, 8));
    text->setText(label);
    text->setColor(colour);
    text->setFont(QFont(QStringLiteral("DejaVu Sans"), 8, QFont::Bold));
}

QString dB(double v, const QString& unit) {
    return figureText(v) + u' ' + unit;
}

}  // namespace

void drawSpectrum(QCustomPlot& plot, const FigureRun& run, const RecordSource& source) {
    const PowerSpectrum& s = *run.spectrum();
    const DynamicFigures& f = *run.figures();
    const double fullScale = fullScalePower(run.fullScaleBits());
    const double binHz = run.sampleRate() / s.recordLength;
    const FrequencyUnit unit = plotFrequencyUnit(run.sampleRate() / 2);
    const auto level = [&](int k) {
        return std::max(decibels(s.power[static_cast<size_t>(k)], fullScale), -300.0);
    };
    QVector<double> x(s.bins()), y(s.bins());
    double lowest = 0.0;
    for (int k = 0; k < s.bins(); ++k) {
        x[k] = k * binHz / unit.scale;
        y[k] = level(k);
        lowest = std::min(lowest, y[k]);
    }
    QCPGraph* trace = plot.addGraph();
    trace->setData(x, y, true);
    trace->setPen(QPen(TraceBlue, 1.0));
    trace->setName(QStringLiteral("spectrum"));

    // The noise floor as a bin of this window shows it.
    const double floor = f.averageBinNoise + 10.0 * std::log10(s.noiseBandwidth);
    auto* floorLine = new QCPItemStraightLine(&plot);
    floorLine->point1->setCoords(0, floor);
    floorLine->point2->setCoords(1, floor);
    floorLine->setPen(QPen(QColor(60, 60, 60), 1.5, Qt::DashLine));

    // The markers stand at the levels the tables give: a tone's whole power, which its centre
    // bin shows only when the tone is coherent.
    markPoint(plot, f.frequency / unit.scale, f.fundamentalDbfs, QStringLiteral("F"), FitRed,
              QCPScatterStyle::ssCircle);
    for (const Harmonic& h : f.harmonics) {
        if (!h.masked) {
            markPoint(plot, h.frequency / unit.scale, std::max(h.dBFS, -300.0),
                      QString::number(h.order), HarmonicOrange, QCPScatterStyle::ssDiamond);
        }
    }
    if (f.spurHarmonic == 0 && f.spurBin > 0) {
        markPoint(plot, f.spurFrequency / unit.scale, level(f.spurBin), QStringLiteral("spur"),
                  SpurPurple, QCPScatterStyle::ssTriangle);
    }

    plot.xAxis->setLabel(QStringLiteral("Frequency (%1)").arg(unit.name));
    plot.yAxis->setLabel(QStringLiteral("dBFS"));
    // A little past Nyquist, so that a marker there is not cut in half.
    plot.xAxis->setRange(0, 1.015 * run.sampleRate() / 2 / unit.scale);
    // Down to the deepest bin but no deeper than 40 dB under the noise floor; the range in
    // steps of 20 dB.
    const double bottom = std::max(lowest, floor - 40.0);
    plot.yAxis->setRange(20.0 * std::floor(bottom / 20.0) - 5.0, 10.0);

    const QString spur =
        f.spurHarmonic != 0
            ? QStringLiteral("harmonic %1").arg(f.spurHarmonic)
            : QStringLiteral("%1 %2").arg(figureText(f.spurFrequency / unit.scale, 3), unit.name);
    QStringList lines{
        QStringLiteral("Fundamental %1 %2, %3")
            .arg(figureText(f.frequency / unit.scale, 4), unit.name,
                 dB(f.fundamentalDbfs, QStringLiteral("dBFS"))),
        QStringLiteral("SNR      %1").arg(dB(f.snr, QStringLiteral("dB"))),
        QStringLiteral("SINAD    %1").arg(dB(f.sinad, QStringLiteral("dB"))),
        QStringLiteral("THD      %1").arg(dB(f.thd, QStringLiteral("dBc"))),
        QStringLiteral("SFDR     %1 (%2)").arg(dB(f.sfdrDbc, QStringLiteral("dBc")), spur),
        QStringLiteral("ENOB     %1 bits").arg(figureText(f.enob)),
        QStringLiteral("Noise    %1").arg(dB(f.noiseDensity, QStringLiteral("dBFS/Hz"))),
        QStringLiteral("Window   %1, %2 samples, %3 record%4")
            .arg(windowInfo(s.window).name)
            .arg(s.recordLength)
            .arg(s.records)
            .arg(s.records == 1 ? QString() : QStringLiteral("s averaged")),
        QStringLiteral("- - -    noise floor per bin (windowed)"),
    };
    if (!maskedHarmonics(f).empty()) {
        const QString summed = harmonicList(thdHarmonics(f));
        lines.insert(4,
                     QStringLiteral("         sums %1; %2 masked%3")
                         .arg(summed.isEmpty() ? QStringLiteral("none") : summed,
                              harmonicList(maskedHarmonics(f)),
                              thdIsLowerBound(f) ? QStringLiteral(" (lower bound)") : QString()));
    }
    // The figures stand in the corner away from the tone, so that they do not hide its marker.
    const bool toneRight = f.frequency > run.sampleRate() / 4;
    addNote(plot, plot.axisRect(), lines,
            Qt::AlignTop | (toneRight ? Qt::AlignLeft : Qt::AlignRight));
    addTitle(plot, QStringLiteral("Spectrum: ") + source.title);
}

void drawTime(QCustomPlot& plot, const FigureRun& run, const RecordSource& source,
              const TimeScale& scale) {
    const auto value = [&scale](double code) { return scale.offset + scale.perCode * code; };
    const std::vector<double>& r = run.record();
    const auto& fit = run.fit4();
    // A few periods show the wave; the whole record of a fast tone is a solid band.
    int shown = static_cast<int>(r.size());
    if (fit && fit->cyclesPerSample > 0.0) {
        shown = std::clamp(static_cast<int>(std::ceil(5.0 / fit->cyclesPerSample)), 64, shown);
    }
    shown = std::min<int>(shown, static_cast<int>(r.size()));
    QVector<double> x(shown), y(shown);
    for (int i = 0; i < shown; ++i) {
        x[i] = i;
        y[i] = value(r[static_cast<size_t>(i)]);
    }
    QCPGraph* trace = plot.addGraph();
    trace->setData(x, y, true);
    trace->setPen(QPen(TraceBlue, 1.0));
    trace->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, TraceBlue, TraceBlue, 3));
    trace->setName(QStringLiteral("record"));
    plot.xAxis->setLabel(QStringLiteral("Sample"));
    const bool inCodes = scale.unit == QStringLiteral("codes");
    plot.yAxis->setLabel(inCodes ? scale.quantity
                                 : QStringLiteral("%1 (%2)").arg(scale.quantity, scale.unit));
    QStringList lines{QStringLiteral("first %1 of %2 samples").arg(shown).arg(r.size())};

    if (fit) {
        // The fitted sine, drawn finely between the samples.
        QVector<double> fx, fy;
        const int steps = std::min(shown * 8, 4000);
        for (int i = 0; i <= steps; ++i) {
            const double t = (shown - 1) * static_cast<double>(i) / steps;
            fx << t;
            const double phase = 2.0 * M_PI * fit->cyclesPerSample * t + fit->phase;
            fy << value(fit->offset + fit->amplitude * std::cos(phase));
        }
        QCPGraph* fitted = plot.addGraph();
        fitted->setData(fx, fy, true);
        fitted->setPen(QPen(FitRed, 1.0));
        fitted->setName(QStringLiteral("four-parameter fit"));
        // In codes the caption reads as it always has; another unit is named after it.
        const QString unit = inCodes ? QString() : u' ' + scale.unit;
        lines << QStringLiteral("fit: %1 + %2 cos(2π · %3 Hz · t %4 %5)%6")
                     .arg(figureText(value(fit->offset), scale.decimals),
                          figureText(std::fabs(scale.perCode) * fit->amplitude, scale.decimals),
                          figureText(fit->frequency, 4),
                          fit->phase < 0 ? QStringLiteral("−") : QStringLiteral("+"),
                          figureText(std::fabs(fit->phase), 4), unit);
        const double residualScale = std::fabs(scale.perCode) * scale.residualFactor;
        lines << QStringLiteral("residual %1 %2 rms, ENOB %3 bits")
                     .arg(figureText(residualScale * fit->residualRms, 3), scale.residualUnit,
                          figureText(fit->enob, 2));

        // The residual over the whole record, below.
        auto* lower = new QCPAxisRect(&plot);
        plot.plotLayout()->addElement(1, 0, lower);
        QVector<double> rx(static_cast<int>(fit->residual.size())),
            ry(static_cast<int>(fit->residual.size()));
        for (int i = 0; i < rx.size(); ++i) {
            rx[i] = i;
            ry[i] = residualScale * fit->residual[static_cast<size_t>(i)];
        }
        QCPGraph* residual =
            plot.addGraph(lower->axis(QCPAxis::atBottom), lower->axis(QCPAxis::atLeft));
        residual->setData(rx, ry, true);
        residual->setPen(QPen(FitRed, 0.5));
        residual->rescaleAxes();
        lower->axis(QCPAxis::atBottom)->setLabel(QStringLiteral("Sample (whole record)"));
        lower->axis(QCPAxis::atLeft)
            ->setLabel(QStringLiteral("Residual (%1)").arg(scale.residualUnit));
        const double span = std::max(std::fabs(lower->axis(QCPAxis::atLeft)->range().lower),
                                     std::fabs(lower->axis(QCPAxis::atLeft)->range().upper));
        const double least = 0.1 * residualScale;
        lower->axis(QCPAxis::atLeft)->setRange(-1.1 * span - least, 1.1 * span + least);
        auto* group = new QCPMarginGroup(&plot);
        plot.axisRect(0)->setMarginGroup(QCP::msLeft | QCP::msRight, group);
        lower->setMarginGroup(QCP::msLeft | QCP::msRight, group);
        plot.plotLayout()->setRowStretchFactor(1, 0.6);
    } else if (!run.fitError().isEmpty()) {
        lines << QStringLiteral("no sine fit: ") + run.fitError();
    }
    trace->rescaleAxes();
    const QCPRange yr = plot.yAxis->range();
    const double pad = std::max(std::fabs(scale.perCode), 0.08 * yr.size());
    plot.yAxis->setRange(yr.lower - pad, yr.upper + pad);
    plot.xAxis->setRange(-0.5, shown - 0.5);
    addCaption(plot, 0, lines.join(u'\n'));
    addTitle(plot, QStringLiteral("Time record: ") + source.title);
}

void drawHistogram(QCustomPlot& plot, const FigureRun& run, const RecordSource& source) {
    const CodeHistogram& h = run.histogram();
    const std::vector<int64_t>& counts = h.counts();
    int lo = 0;
    int hi = static_cast<int>(counts.size()) - 1;
    while (lo < hi && counts[static_cast<size_t>(lo)] == 0) {
        ++lo;
    }
    while (hi > lo && counts[static_cast<size_t>(hi)] == 0) {
        --hi;
    }
    QVector<double> x, y;
    double top = 0.0;
    for (int c = lo; c <= hi; ++c) {
        x << h.lowestCode() + c;
        y << static_cast<double>(counts[static_cast<size_t>(c)]);
        if (c != lo && c != hi) {
            top = std::max(top, y.back());  // the end codes hold the clipped tails
        }
    }
    QCPGraph* bars = plot.addGraph();
    bars->setData(x, y, true);
    bars->setLineStyle(QCPGraph::lsStepCenter);
    bars->setPen(QPen(TraceBlue, 1.0));
    bars->setBrush(QBrush(QColor(31, 94, 168, 70)));
    plot.xAxis->setLabel(QStringLiteral("Code"));
    plot.yAxis->setLabel(QStringLiteral("Samples"));
    const double margin = std::max(1.0, 0.02 * (hi - lo));
    plot.xAxis->setRange(h.lowestCode() + lo - margin, h.lowestCode() + hi + margin);
    plot.yAxis->setRange(0, std::max(1.0, top) * 1.35);

    QStringList lines{
        QStringLiteral("%1 samples in %2 record%3")
            .arg(h.samples())
            .arg(run.records())
            .arg(run.records() == 1 ? QString() : QStringLiteral("s")),
        QStringLiteral("codes %1 to %2 hit").arg(h.lowestCode() + lo).arg(h.lowestCode() + hi)};
    if (const auto& l = run.linearity()) {
        QStringList missing;
        for (int c : l->missingCodes) {
            missing << QString::number(c);
        }
        lines << QStringLiteral("missing codes: %1")
                     .arg(missing.isEmpty()
                              ? QStringLiteral("none")
                              : missing.mid(0, 8).join(QStringLiteral(", ")) +
                                    (missing.size() > 8 ? QStringLiteral(", ...") : QString()));
        // Missing codes marked on the axis, where a gap of one code would be hard to see.
        if (!l->missingCodes.empty()) {
            QVector<double> mx, my;
            for (int c : l->missingCodes) {
                mx << c;
                my << 0.0;
            }
            QCPGraph* marks = plot.addGraph();
            marks->setLineStyle(QCPGraph::lsNone);
            marks->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssTriangle, FitRed, FitRed, 8));
            marks->setData(mx, my);
        }
    }
    if (h.outOfRange() > 0) {
        lines << QStringLiteral("%1 values outside the %2-bit range")
                     .arg(h.outOfRange())
                     .arg(h.bits());
    }
    plot.yAxis->setRange(0, std::max(1.0, top) * 1.05);
    // Two to a line.
    QStringList paired;
    for (int i = 0; i < lines.size(); i += 2) {
        paired << lines.mid(i, 2).join(QStringLiteral("   "));
    }
    addCaption(plot, 0, paired.join(u'\n'));
    addTitle(plot, QStringLiteral("Code histogram: ") + source.title);
}

void drawLinearity(QCustomPlot& plot, const FigureRun& run, const RecordSource& source) {
    const Linearity& l = *run.linearity();
    const int n = static_cast<int>(l.dnl.size());
    QVector<double> x(n), dnl(n), ep(n), bf(n);
    for (int i = 0; i < n; ++i) {
        x[i] = l.firstCode + i;
        dnl[i] = l.dnl[static_cast<size_t>(i)];
        ep[i] = l.inlEndPoint[static_cast<size_t>(i)];
        bf[i] = l.inlBestFit[static_cast<size_t>(i)];
    }
    QCPAxisRect* upper = plot.axisRect();
    QCPGraph* d = plot.addGraph();
    d->setData(x, dnl, true);
    d->setLineStyle(n > 600 ? QCPGraph::lsLine : QCPGraph::lsImpulse);
    d->setPen(QPen(TraceBlue, 1.0));
    plot.xAxis->setLabel(QStringLiteral("Code"));
    plot.yAxis->setLabel(QStringLiteral("DNL (LSB)"));
    const double dnlSpan = std::max({0.25, std::fabs(l.dnlMin), std::fabs(l.dnlMax)});
    plot.yAxis->setRange(-1.15 * dnlSpan, 1.15 * dnlSpan);
    plot.xAxis->setRange(l.firstCode - 0.5, l.lastCode + 0.5);
    QStringList missing;
    for (int c : l.missingCodes) {
        missing << QString::number(c);
    }
    QStringList lines{
        QStringLiteral("DNL %1 .. %2 LSB (codes %3, %4)")
            .arg(figureText(l.dnlMin, 3), figureText(l.dnlMax, 3))
            .arg(l.dnlMinCode)
            .arg(l.dnlMaxCode),
        QStringLiteral("missing codes: %1")
            .arg(missing.isEmpty()
                     ? QStringLiteral("none")
                     : missing.mid(0, 8).join(QStringLiteral(", ")) +
                           (missing.size() > 8 ? QStringLiteral(", ...") : QString())),
        QStringLiteral("%1 input, %2 samples per code")
            .arg(l.input == LinearityInput::Sine ? QStringLiteral("sine") : QStringLiteral("ramp"),
                 figureText(l.samplesPerCode, 1)),
    };
    if (!l.warning.isEmpty()) {
        lines << QStringLiteral("too few samples or codes: see the warning");
    }

    auto* lower = new QCPAxisRect(&plot);
    plot.plotLayout()->addElement(1, 0, lower);
    QCPGraph* end = plot.addGraph(lower->axis(QCPAxis::atBottom), lower->axis(QCPAxis::atLeft));
    end->setData(x, ep, true);
    end->setPen(QPen(TraceBlue, 1.2));
    end->setName(QStringLiteral("end-point"));
    QCPGraph* best = plot.addGraph(lower->axis(QCPAxis::atBottom), lower->axis(QCPAxis::atLeft));
    best->setData(x, bf, true);
    best->setPen(QPen(BestFitGreen, 1.2));
    best->setName(QStringLiteral("best fit"));
    lower->axis(QCPAxis::atBottom)->setLabel(QStringLiteral("Code"));
    lower->axis(QCPAxis::atLeft)->setLabel(QStringLiteral("INL (LSB)"));
    lower->axis(QCPAxis::atBottom)->setRange(l.firstCode - 0.5, l.lastCode + 0.5);
    const double inlSpan = std::max({0.25, std::fabs(l.inlEndPointMin), std::fabs(l.inlEndPointMax),
                                     std::fabs(l.inlBestFitMin), std::fabs(l.inlBestFitMax)});
    lower->axis(QCPAxis::atLeft)->setRange(-1.15 * inlSpan, 1.15 * inlSpan);
    // Rows: DNL caption, DNL, INL caption, INL; the title goes on top last.
    addCaption(plot, 1,
               QStringLiteral("INL end-point (blue) %1 .. %2 LSB   best fit (green) "
                              "%3 .. %4 LSB")
                   .arg(figureText(l.inlEndPointMin, 3), figureText(l.inlEndPointMax, 3),
                        figureText(l.inlBestFitMin, 3), figureText(l.inlBestFitMax, 3)));
    // Two to a line.
    QStringList paired;
    for (int i = 0; i < lines.size(); i += 2) {
        paired << lines.mid(i, 2).join(QStringLiteral("   "));
    }
    addCaption(plot, 0, paired.join(u'\n'));
    auto* group = new QCPMarginGroup(&plot);
    upper->setMarginGroup(QCP::msLeft | QCP::msRight, group);
    lower->setMarginGroup(QCP::msLeft | QCP::msRight, group);
    addTitle(plot, QStringLiteral("Static linearity: ") + source.title);
}

void clearPlot(QCustomPlot& plot) {
    // A legend of its own (a sweep's) goes before the graphs it names.
    for (QCPLegend* legend : plot.findChildren<QCPLegend*>()) {
        if (legend != plot.legend && legend->layout() != nullptr) {
            legend->layout()->remove(legend);
        }
    }
    plot.clearPlottables();
    plot.clearItems();
    for (QCPMarginGroup* group : plot.findChildren<QCPMarginGroup*>()) {
        delete group;
    }
    // Titles, captions and lower axis rectangles go; the first rectangle keeps its place, so the
    // plot's axis pointers stay good.
    QCPAxisRect* main = plot.axisRect(0);
    QCPLayoutGrid* layout = plot.plotLayout();
    layout->take(main);
    layout->clear();
    layout->simplify();
    layout->addElement(0, 0, main);
    layout->setRowStretchFactor(0, 1.0);
    for (QCPAxis* axis : main->axes()) {
        axis->setLabel(QString());
        // A logarithmic axis (a sweep's) goes back to linear with the default ticker; a linear
        // axis keeps the ticker its window gave it.
        if (axis->scaleType() == QCPAxis::stLogarithmic) {
            axis->setScaleType(QCPAxis::stLinear);
            axis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
        }
        axis->setRange(0, 5);
    }
}

namespace {

// A drawing of the logical size as the bytes of an SVG or a one-page PDF (in points, as
// QCustomPlot's own PDF export makes it), painted as vectors; empty when it cannot be drawn.
QByteArray vectorFile(const QString& suffix, QSize size,
                      const std::function<void(QCPPainter&)>& paint) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const auto onto = [&](QPaintDevice& device) {
        QCPPainter painter;
        if (!painter.begin(&device)) {
            return false;
        }
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        painter.setWindow(QRect(QPoint(0, 0), size));
        paint(painter);
        return painter.end();
    };
    bool ok = false;
    if (suffix == u"svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("RQ3118"));
        ok = onto(svg);
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        pdf.setPageLayout(
            QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        ok = onto(pdf);
    }
    buffer.close();
    return ok ? buffer.data() : QByteArray();
}

// A PNG at 96 dots per inch times the scale, so that the picture keeps its size on paper.
QByteArray pngFile(QImage image, double pixelScale) {
    image.setDotsPerMeterX(static_cast<int>(96 * pixelScale / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(96 * pixelScale / 0.0254));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool ok = !image.isNull() && image.save(&buffer, "PNG");
    return ok ? buffer.data() : QByteArray();
}

}  // namespace

QByteArray renderPlot(QCustomPlot& plot, const QString& suffix, QSize size, double pixelScale) {
    if (suffix == u"svg" || suffix == u"pdf") {
        return vectorFile(suffix, size, [&](QCPPainter& painter) {
            plot.toPainter(&painter, size.width(), size.height());
        });
    }
    // As QCustomPlot's savePng: the pixels of the plot, times the scale.
    return pngFile(plot.toPixmap(size.width(), size.height(), pixelScale).toImage(), pixelScale);
}

void savePlot(const QString& path, const PlotDrawing& draw, QSize size) {
    QCustomPlot plot;
    plot.resize(size);
    draw(plot);
    const QByteArray bytes = renderPlot(plot, QFileInfo(path).suffix().toLower(), size, 1.0);
    if (bytes.isEmpty()) {
        throw rq::NumberedError(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"),
                                QStringLiteral("the plot could not be drawn"));
    }
    rq::writeFileAtomically(path, bytes);
}

void savePlots(const QString& path, const std::vector<PlotDrawing>& draws, int columns,
               QSize cell) {
    columns = std::max(1, std::min(columns, static_cast<int>(draws.size())));
    const int rows = (static_cast<int>(draws.size()) + columns - 1) / columns;
    const QSize size(cell.width() * columns, cell.height() * std::max(rows, 1));
    const auto paintAll = [&](QCPPainter& painter) {
        for (size_t i = 0; i < draws.size(); ++i) {
            const int row = static_cast<int>(i) / columns, column = static_cast<int>(i) % columns;
            paintPlot(painter,
                      QRectF(QPointF(column * cell.width(), row * cell.height()), QSizeF(cell)),
                      draws[i], cell);
        }
    };
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (suffix == u"svg" || suffix == u"pdf") {
        bytes = vectorFile(suffix, size, paintAll);
    } else {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QCPPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            paintAll(painter);
        }
        bytes = pngFile(image, 1.0);
    }
    if (bytes.isEmpty()) {
        throw rq::NumberedError(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"),
                                QStringLiteral("the plots could not be drawn"));
    }
    rq::writeFileAtomically(path, bytes);
}

void paintPlot(QCPPainter& painter, const QRectF& target, const PlotDrawing& draw, QSize logical) {
    QCustomPlot plot;
    plot.resize(logical);
    draw(plot);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / logical.width(), target.height() / logical.height());
    plot.toPainter(&painter, logical.width(), logical.height());
    painter.restore();
}

}  // namespace rq::figures
