#include "figures/Report.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QPageSize>
#include <QPdfWriter>
#include <vector>

#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "figures/FigureRun.h"
#include "figures/Plots.h"

namespace rq::figures {

using namespace rq::analysis;

namespace {

// The page in units of 1/96 inch, as the plots' logical pixels are, so fonts in points come
// out the same size in both.
constexpr int Resolution = 96;
constexpr double Margin = 44.0;

const QString Sans = QStringLiteral("DejaVu Sans");

struct Column {
    QString heading;
    double width;
    Qt::Alignment align = Qt::AlignLeft;
};

// A table with a shaded heading; returns its height.
double drawTable(QPainter& p, QPointF at, const std::vector<Column>& columns,
                 const std::vector<QStringList>& rows) {
    const QFont body(Sans, 8);
    QFont head(Sans, 8, QFont::Bold);
    p.setFont(body);
    const double rowHeight = QFontMetricsF(body, p.device()).height() + 5.0;
    double width = 0.0;
    for (const Column& c : columns) {
        width += c.width;
    }
    const auto drawRow = [&](double y, const QStringList& cells) {
        double x = at.x();
        for (size_t i = 0; i < columns.size(); ++i) {
            const QRectF cell(x + 4, y, columns[i].width - 8, rowHeight);
            p.drawText(
                cell, static_cast<int>(columns[i].align | Qt::AlignVCenter),
                i < static_cast<size_t>(cells.size()) ? cells[static_cast<int>(i)] : QString());
            x += columns[i].width;
        }
    };
    p.fillRect(QRectF(at.x(), at.y(), width, rowHeight), QColor(225, 230, 238));
    p.setFont(head);
    QStringList headings;
    for (const Column& c : columns) {
        headings << c.heading;
    }
    drawRow(at.y(), headings);
    p.setFont(body);
    double y = at.y() + rowHeight;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r % 2 == 1) {
            p.fillRect(QRectF(at.x(), y, width, rowHeight), QColor(246, 247, 250));
        }
        drawRow(y, rows[r]);
        y += rowHeight;
    }
    p.setPen(QPen(QColor(170, 175, 185), 0.6));
    p.drawRect(QRectF(at.x(), at.y(), width, y - at.y()));
    p.setPen(Qt::black);
    return y - at.y();
}

double drawHeading(QPainter& p, double y, double width, const QString& text) {
    const QFont font(Sans, 10, QFont::Bold);
    p.setFont(font);
    const double h = QFontMetricsF(font, p.device()).height();
    p.drawText(QRectF(Margin, y, width, h), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.setPen(QPen(QColor(31, 94, 168), 1.0));
    p.drawLine(QPointF(Margin, y + h + 1), QPointF(Margin + width, y + h + 1));
    p.setPen(Qt::black);
    return h + 6.0;
}

// Lines of text, wrapped to width; returns their height.
double drawLines(QPainter& p, QPointF at, double width, const QStringList& lines, int points) {
    const QFont font(Sans, points);
    p.setFont(font);
    const QRectF box(at.x(), at.y(), width, 1000.0);
    QRectF used;
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines.join(u'\n'), &used);
    return used.height();
}

QString windowLine(const FigureRun& run) {
    return QStringLiteral("Window: %1 (%2)")
        .arg(windowInfo(run.request().window).title, windowInfo(run.request().window).name);
}

// Each limit with what was measured against it and its mark.
std::vector<QStringList> limitRows(const std::vector<LimitResult>& limits) {
    std::vector<QStringList> rows;
    for (const LimitResult& l : limits) {
        rows.push_back({l.limit.text(), l.measured ? figureText(*l.measured) : QStringLiteral("—"),
                        l.pass ? QStringLiteral("pass") : QStringLiteral("FAIL")});
    }
    return rows;
}

std::vector<QStringList> figureRows(const DynamicFigures& f, const PowerSpectrum& s) {
    const QString spur = f.spurHarmonic != 0 ? QStringLiteral("harmonic %1").arg(f.spurHarmonic)
                                             : QStringLiteral("not a harmonic");
    return {
        {QStringLiteral("Fundamental"), QStringLiteral("%1 Hz").arg(figureText(f.frequency, 3))},
        {QStringLiteral("Level"), figureText(f.fundamentalDbfs) + QStringLiteral(" dBFS")},
        {QStringLiteral("SNR"), figureText(f.snr) + QStringLiteral(" dB")},
        {QStringLiteral("SINAD"), figureText(f.sinad) + QStringLiteral(" dB")},
        {QStringLiteral("THD"), figureText(f.thd) + QStringLiteral(" dBc")},
        {QStringLiteral("SFDR"),
         QStringLiteral("%1 dBc, %2 dBFS").arg(figureText(f.sfdrDbc), figureText(f.sfdrDbfs))},
        {QStringLiteral("Largest spur"),
         QStringLiteral("%1 Hz, %2").arg(figureText(f.spurFrequency, 1), spur)},
        {QStringLiteral("ENOB"), figureText(f.enob) + QStringLiteral(" bits")},
        {QStringLiteral("Noise density"), figureText(f.noiseDensity) + QStringLiteral(" dBFS/Hz")},
        // The noise of one of the record's N/2 bins with the window's bandwidth taken out: the
        // plot's dashed line is the same noise as the window's bins show it.
        {QStringLiteral("Noise per bin"),
         figureText(f.averageBinNoise) + QStringLiteral(" dBFS (ENBW-corrected)")},
        {QStringLiteral("DC"), figureText(f.dc, 3) + QStringLiteral(" codes")},
        {QStringLiteral("Records averaged"), QString::number(f.records)},
        {QStringLiteral("Noise bandwidth"), QStringLiteral("%1 bins, lobe \u00b1%2 bins")
                                                .arg(figureText(s.noiseBandwidth, 3))
                                                .arg(f.mainLobeHalfWidth)},
    };
}

QString maskedCell(const Harmonic& h) {
    switch (h.maskedBy) {
        case Harmonic::MaskedBy::Fundamental:
            return QStringLiteral("masked: tone");
        case Harmonic::MaskedBy::Dc:
            return QStringLiteral("masked: DC");
        case Harmonic::MaskedBy::Harmonic:
            return QStringLiteral("masked: H%1").arg(h.maskingOrder);
        case Harmonic::MaskedBy::Nothing:
            break;
    }
    return QString();
}

// DNL and INL extremes, missing codes, and offset and gain error against the ideal converter.
std::vector<QStringList> staticRows(const FigureRun& run, const Linearity& l) {
    const auto lsb = [](double v) { return figureText(v, 3) + QStringLiteral(" LSB"); };
    QString missing = QString::number(l.missingCodes.size());
    if (!l.missingCodes.empty()) {
        QStringList codes;
        for (size_t i = 0; i < std::min<size_t>(l.missingCodes.size(), 8); ++i) {
            codes << QString::number(l.missingCodes[i]);
        }
        missing += QStringLiteral(" (%1%2)").arg(
            codes.join(QStringLiteral(", ")),
            l.missingCodes.size() > 8 ? QStringLiteral(", ...") : QString());
    }
    std::vector<QStringList> rows{
        {QStringLiteral("DNL"), QStringLiteral("%1 (code %2) to %3 (code %4)")
                                    .arg(lsb(l.dnlMin))
                                    .arg(l.dnlMinCode)
                                    .arg(lsb(l.dnlMax))
                                    .arg(l.dnlMaxCode)},
        {QStringLiteral("INL, end point"), QStringLiteral("%1 to %2, worst at code %3")
                                               .arg(lsb(l.inlEndPointMin), lsb(l.inlEndPointMax))
                                               .arg(l.inlMaxCode)},
        {QStringLiteral("INL, best fit"),
         QStringLiteral("%1 to %2").arg(lsb(l.inlBestFitMin), lsb(l.inlBestFitMax))},
        {QStringLiteral("Missing codes"), missing},
    };
    const rq::analysis::CodeHistogram& h = run.histogram();
    const double midScale = h.lowestCode() + (std::ldexp(1.0, h.bits()) - 1.0) / 2.0;
    if (const auto& fit = run.fit4()) {
        rows.push_back(
            {QStringLiteral("Offset error"),
             lsb(fit->offset - midScale) + QStringLiteral(" from mid-scale (sine fit)")});
        if (const auto level = run.knownLevel()) {
            const double expected =
                std::ldexp(1.0, run.fullScaleBits() - 1) * std::pow(10.0, *level / 20.0);
            rows.push_back({QStringLiteral("Gain error"),
                            QStringLiteral("%1 % (sine fit against the %2 dBFS input)")
                                .arg(figureText(100.0 * (fit->amplitude / expected - 1.0), 3),
                                     figureText(*level))});
        } else {
            rows.push_back({QStringLiteral("Gain error"),
                            QStringLiteral("— (the input's level is not known)")});
        }
    } else {
        rows.push_back({QStringLiteral("Offset and gain error"),
                        QStringLiteral("— (no sine fit: %1)").arg(run.fitError())});
    }
    return rows;
}

}  // namespace

void writeReport(const QString& path, const FigureRun& run, const RecordSource& source) {
    // Drawn in memory and written in one go: a report is whole or not there.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(Resolution);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(QStringLiteral("RQ3118 test report: ") + source.title);
    pdf.setCreator(QCoreApplication::applicationName());
    QCPPainter p;
    if (!p.begin(&pdf)) {
        throw rq::NumberedError(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"),
                                QStringLiteral("the report could not be drawn"));
    }
    p.setMode(QCPPainter::pmVectorized);
    p.setMode(QCPPainter::pmNoCaching);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect page = pdf.pageLayout().fullRectPixels(Resolution);
    const double width = page.width() - 2 * Margin;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));

    const auto header = [&](int number) {
        double y = Margin;
        const QFont title(Sans, 15, QFont::Bold);
        p.setFont(title);
        const double h = QFontMetricsF(title, &pdf).height();
        p.drawText(QRectF(Margin, y, width, h), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("RQ3118 converter test report"));
        p.setFont(QFont(Sans, 8));
        p.drawText(QRectF(Margin, y, width, h), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1 %2 \u00b7 %3 \u00b7 page %4 of 2")
                       .arg(QCoreApplication::applicationName(),
                            QCoreApplication::applicationVersion(), stamp)
                       .arg(number));
        y += h + 2;
        p.setFont(QFont(Sans, 9));
        y += drawLines(p, QPointF(Margin, y), width, {source.title}, 9) + 8;
        return y;
    };

    // Page 1: the verdict and the warnings first, then what was measured, and the dynamic
    // figures.
    double y = header(1);
    const std::vector<LimitResult> limits = run.limitResults();
    if (run.request().limitsGiven) {
        const bool pass = !run.limitsFailed();
        const QFont font(Sans, 12, QFont::Bold);
        p.setFont(font);
        const double h = QFontMetricsF(font, &pdf).height() + 6;
        const QRectF box(Margin, y, width, h);
        p.fillRect(box, pass ? QColor(222, 242, 222) : QColor(250, 222, 222));
        p.setPen(pass ? QColor(20, 110, 30) : QColor(170, 20, 20));
        p.drawText(box.adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Verdict: %1")
                       .arg(pass ? QStringLiteral("PASS") : QStringLiteral("FAIL")));
        p.setFont(QFont(Sans, 8));
        int failed = 0;
        for (const LimitResult& l : limits) {
            failed += l.pass ? 0 : 1;
        }
        p.drawText(box.adjusted(8, 0, -8, 0), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1 limits, %2 failed").arg(limits.size()).arg(failed));
        p.setPen(Qt::black);
        y += h + 8;
    }
    y += drawHeading(p, y, width, QStringLiteral("Warnings"));
    QStringList warnings;
    for (const Warning& w : run.warnings()) {
        warnings << QStringLiteral("%1: %2").arg(w.code, w.text);
    }
    if (warnings.isEmpty()) {
        warnings << QStringLiteral("None: no figure below is known to be untrustworthy.");
    } else {
        p.setPen(QColor(160, 30, 30));
    }
    y += drawLines(p, QPointF(Margin, y), width, warnings, 8) + 10;
    p.setPen(Qt::black);

    y += drawHeading(p, y, width, QStringLiteral("Device, configuration and options"));
    QStringList options = run.request().device;
    options << source.configuration;
    options << QStringLiteral("Figures from %1").arg(run.recordsUsed()) << windowLine(run)
            << QStringLiteral("Full scale: %1 bits (a sine over all 2^%1 codes)")
                   .arg(run.fullScaleBits())
            << QStringLiteral("Code density: %1 input, %2 record%3")
                   .arg(run.linearityInput() == LinearityInput::Sine ? QStringLiteral("sine")
                                                                     : QStringLiteral("ramp"))
                   .arg(run.records())
                   .arg(run.records() == 1 ? QString() : QStringLiteral("s pooled"));
    const int half = static_cast<int>((options.size() + 1) / 2);
    const double left = drawLines(p, QPointF(Margin, y), width / 2 - 8, options.mid(0, half), 8);
    const double right =
        drawLines(p, QPointF(Margin + width / 2, y), width / 2, options.mid(half), 8);
    y += std::max(left, right) + 10;

    y += drawHeading(p, y, width, QStringLiteral("Dynamic figures (IEEE Std 1241)"));
    if (const auto& f = run.figures()) {
        const double t1 =
            drawTable(p, QPointF(Margin, y),
                      {{QStringLiteral("Figure"), 108}, {QStringLiteral("Value"), 190}},
                      figureRows(*f, *run.spectrum()));
        std::vector<QStringList> harmonics;
        for (const Harmonic& h : f->harmonics) {
            harmonics.push_back({QString::number(h.order), figureText(h.frequency, 1),
                                 QString::number(h.bin),
                                 h.masked ? maskedCell(h) : figureText(h.dBc),
                                 h.masked ? QString() : figureText(h.dBFS)});
        }
        const double hx = Margin + width - 400;
        const double t2 = drawTable(p, QPointF(hx, y),
                                    {{QStringLiteral("Order"), 48, Qt::AlignRight},
                                     {QStringLiteral("Frequency (Hz)"), 110, Qt::AlignRight},
                                     {QStringLiteral("Bin"), 56, Qt::AlignRight},
                                     {QStringLiteral("dBc"), 100, Qt::AlignRight},
                                     {QStringLiteral("dBFS"), 86, Qt::AlignRight}},
                                    harmonics);
        double below = t2 + 8;
        if (run.fit3() && run.fit4()) {
            std::vector<QStringList> fits;
            for (const SineFit* fit : {&*run.fit3(), &*run.fit4()}) {
                fits.push_back(
                    {fit->fourParameter ? QStringLiteral("4-param") : QStringLiteral("3-param"),
                     figureText(fit->amplitude, 3), figureText(fit->offset, 3),
                     figureText(fit->frequency, 4), figureText(fit->residualRms, 3),
                     figureText(fit->enob)});
            }
            below += drawTable(p, QPointF(hx, y + below),
                               {{QStringLiteral("Fit"), 58},
                                {QStringLiteral("Amplitude"), 74, Qt::AlignRight},
                                {QStringLiteral("Offset"), 64, Qt::AlignRight},
                                {QStringLiteral("Freq. (Hz)"), 82, Qt::AlignRight},
                                {QStringLiteral("Resid. rms"), 78, Qt::AlignRight},
                                {QStringLiteral("ENOB"), 44, Qt::AlignRight}},
                               fits);
            below += drawLines(p, QPointF(hx, y + below + 2), 400,
                               {QStringLiteral("Three-parameter fit at the %1 frequency")
                                    .arg(run.frequencySource())},
                               7) +
                     2;
        } else if (!run.fitError().isEmpty()) {
            below += drawLines(p, QPointF(hx, y + below), 400,
                               {QStringLiteral("No sine fit: ") + run.fitError()}, 8);
        }
        if (run.request().limitsGiven) {
            below += 4 + drawTable(p, QPointF(hx, y + below + 4),
                                   {{QStringLiteral("Limit"), 210},
                                    {QStringLiteral("Measured"), 110, Qt::AlignRight},
                                    {QStringLiteral("Result"), 80, Qt::AlignCenter}},
                                   limitRows(limits));
        }
        y += std::max(t1, below) + 6;
        // What THD sums and what it could not, beside the tables.
        QStringList captions{thdCaption(*f)};
        if (sfdrCaption(*f) != u"SFDR") {
            captions << sfdrCaption(*f);
        }
        y += drawLines(p, QPointF(Margin, y), width, captions, 8) + 8;
        const double h = page.height() - Margin - y;
        paintPlot(
            p, QRectF(Margin, y, width, h),
            [&](QCustomPlot& plot) { drawSpectrum(plot, run, source); },
            QSize(static_cast<int>(width), static_cast<int>(h)));
    } else {
        y += drawLines(p, QPointF(Margin, y), width,
                       {QStringLiteral("No spectrum: ") + run.spectrumError()}, 9);
    }

    // Page 2: the record and the static linearity.
    pdf.newPage();
    y = header(2);
    const double timeHeight = run.linearity() ? 300 : 330;
    paintPlot(
        p, QRectF(Margin, y, width, timeHeight),
        [&](QCustomPlot& plot) { drawTime(plot, run, source); },
        QSize(static_cast<int>(width), static_cast<int>(timeHeight)));
    y += timeHeight + 8;
    const double histogramHeight = run.linearity() ? 200 : 240;
    paintPlot(
        p, QRectF(Margin, y, width, histogramHeight),
        [&](QCustomPlot& plot) { drawHistogram(plot, run, source); },
        QSize(static_cast<int>(width), static_cast<int>(histogramHeight)));
    y += histogramHeight + 8;
    if (const auto& l = run.linearity()) {
        y += drawHeading(p, y, width, QStringLiteral("Static figures (code density)"));
        y += drawTable(p, QPointF(Margin, y),
                       {{QStringLiteral("Figure"), 140}, {QStringLiteral("Value"), width - 140}},
                       staticRows(run, *l)) +
             8;
        QStringList notes;
        if (!l->warning.isEmpty()) {
            notes << QStringLiteral("Warning: ") + l->warning;
        }
        notes << QStringLiteral(
                     "Codes %1 to %2 measured; %3 left out below and %4 above "
                     "(the end codes hit also hold what lay beyond them).")
                     .arg(l->firstCode)
                     .arg(l->lastCode)
                     .arg(l->leftOutBelow)
                     .arg(l->leftOutAbove);
        drawLines(p, QPointF(Margin, page.height() - Margin - 30), width, notes, 8);
        const double h = page.height() - Margin - 36 - y;
        paintPlot(
            p, QRectF(Margin, y, width, h),
            [&](QCustomPlot& plot) { drawLinearity(plot, run, source); },
            QSize(static_cast<int>(width), static_cast<int>(h)));
    } else {
        drawLines(p, QPointF(Margin, y), width,
                  {QStringLiteral("No linearity: ") + run.linearityError()}, 9);
    }
    if (!p.end() || buffer.data().isEmpty()) {
        throw rq::NumberedError(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"),
                                QStringLiteral("the report could not be drawn"));
    }
    buffer.close();
    rq::writeFileAtomically(path, buffer.data());
}

}  // namespace rq::figures
