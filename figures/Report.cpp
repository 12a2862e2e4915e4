#include "figures/Report.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <functional>
#include <vector>

#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "figures/FigureRun.h"
#include "figures/FrequencyText.h"
#include "figures/Plots.h"
#include "figures/SweepPlots.h"

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

// The height of a table's row in a font of that size.
double tableRowHeight(QPaintDevice* device, int points) {
    return QFontMetricsF(QFont(Sans, points), device).height() + 5.0;
}

// A table with a shaded heading; returns its height.
double drawTable(QPainter& p, QPointF at, const std::vector<Column>& columns,
                 const std::vector<QStringList>& rows, int points = 8) {
    const QFont body(Sans, points);
    QFont head(Sans, points, QFont::Bold);
    p.setFont(body);
    const double rowHeight = tableRowHeight(p.device(), points);
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

constexpr int LinesFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Lines of text, wrapped to width; returns their height.
double drawLines(QPainter& p, QPointF at, double width, const QStringList& lines, int points) {
    const QFont font(Sans, points);
    p.setFont(font);
    const QRectF box(at.x(), at.y(), width, 1000.0);
    QRectF used;
    p.drawText(box, LinesFlags, lines.join(u'\n'), &used);
    return used.height();
}

// The height drawLines will take, before anything is drawn.
double linesHeight(QPaintDevice* device, double width, const QStringList& lines, int points) {
    return QFontMetricsF(QFont(Sans, points), device)
        .boundingRect(QRectF(0, 0, width, 1000.0), LinesFlags, lines.join(u'\n'))
        .height();
}

double headingHeight(QPaintDevice* device) {
    return QFontMetricsF(QFont(Sans, 10, QFont::Bold), device).height() + 6.0;
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

// The pages of a report drawn in memory, each under the same header, and written in one go: a
// report is whole or not there.
class ReportPages {
public:
    explicit ReportPages(const RecordSource& source) : m_pdf(&m_buffer), m_title(source.title) {
        m_buffer.open(QIODevice::WriteOnly);
        m_pdf.setResolution(Resolution);
        m_pdf.setPageSize(QPageSize(QPageSize::A4));
        m_pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        m_pdf.setTitle(QStringLiteral("RQ3118 test report: ") + source.title);
        m_pdf.setCreator(QCoreApplication::applicationName());
        if (!m_painter.begin(&m_pdf)) {
            failed();
        }
        m_painter.setMode(QCPPainter::pmVectorized);
        m_painter.setMode(QCPPainter::pmNoCaching);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_page = m_pdf.pageLayout().fullRectPixels(Resolution);
        m_stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    }

    QCPPainter& painter() { return m_painter; }
    QPaintDevice* device() { return &m_pdf; }
    const QRect& page() const { return m_page; }
    double width() const { return m_page.width() - 2 * Margin; }
    double bottom() const { return m_page.height() - Margin; }
    // For the header's "page k of n".
    void setPageCount(int pages) { m_pages = pages; }

    // Where a page's content begins under its header.
    double contentTop() {
        const QFont title(Sans, 15, QFont::Bold);
        return Margin + QFontMetricsF(title, &m_pdf).height() + 2 +
               linesHeight(&m_pdf, width(), {m_title}, 9) + 8;
    }

    // Starts the next page, on a new sheet after the first, and draws its header; returns where
    // its content begins.
    double nextPage() {
        if (m_number > 0) {
            m_pdf.newPage();
        }
        ++m_number;
        QCPPainter& p = m_painter;
        const double width = this->width();
        double y = Margin;
        const QFont title(Sans, 15, QFont::Bold);
        p.setFont(title);
        const double h = QFontMetricsF(title, &m_pdf).height();
        p.drawText(QRectF(Margin, y, width, h), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("RQ3118 converter test report"));
        p.setFont(QFont(Sans, 8));
        p.drawText(QRectF(Margin, y, width, h), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1 %2 \u00b7 %3 \u00b7 page %4 of %5")
                       .arg(QCoreApplication::applicationName(),
                            QCoreApplication::applicationVersion(), m_stamp)
                       .arg(m_number)
                       .arg(m_pages));
        y += h + 2;
        p.setFont(QFont(Sans, 9));
        y += drawLines(p, QPointF(Margin, y), width, {m_title}, 9) + 8;
        return y;
    }

    void write(const QString& path) {
        if (!m_painter.end() || m_buffer.data().isEmpty()) {
            failed();
        }
        m_buffer.close();
        rq::writeFileAtomically(path, m_buffer.data());
    }

private:
    [[noreturn]] static void failed() {
        throw rq::NumberedError(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"),
                                QStringLiteral("the report could not be drawn"));
    }

    QBuffer m_buffer;
    QPdfWriter m_pdf;
    QCPPainter m_painter;
    QRect m_page;
    QString m_stamp, m_title;
    int m_number = 0, m_pages = 0;
};

// The single record's two pages.
constexpr int RunPages = 2;

void drawRunPages(ReportPages& doc, const FigureRun& run, const RecordSource& source) {
    QCPPainter& p = doc.painter();
    const QRect page = doc.page();
    const double width = doc.width();

    // Page 1: the verdict and the warnings first, then what was measured, and the dynamic
    // figures.
    double y = doc.nextPage();
    const std::vector<LimitResult> limits = run.limitResults();
    if (run.request().limitsGiven) {
        const bool pass = !run.limitsFailed();
        const QFont font(Sans, 12, QFont::Bold);
        p.setFont(font);
        const double h = QFontMetricsF(font, p.device()).height() + 6;
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
    y = doc.nextPage();
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
}

// Pieces of a section laid out before anything is drawn, so that the header can say how many
// pages there are: each piece on a page of the section at a height from its top.
class SectionLayout {
public:
    using Drawing = std::function<void(QCPPainter&, double y)>;

    SectionLayout(double top, double bottom) : m_top(top), m_bottom(bottom), m_y(top) {}

    double room() const { return m_bottom - m_y; }
    double pageHeight() const { return m_bottom - m_top; }
    bool pageEmpty() const { return m_y == m_top; }
    int pages() const { return m_page + 1; }
    double top() const { return m_top; }

    void newPage() {
        ++m_page;
        m_y = m_top;
    }
    // On this page, or on the next when it does not fit on this one.
    void place(double height, Drawing draw) {
        if (height > room() && !pageEmpty()) {
            newPage();
        }
        m_pieces.push_back({m_page, m_y, std::move(draw)});
        m_y += height;
    }

    // Draws the pages, each begun by nextPage, which returns where its content begins.
    void draw(QCPPainter& p, const std::function<double()>& nextPage) const {
        size_t i = 0;
        for (int page = 0; page < pages(); ++page) {
            const double shift = nextPage() - m_top;
            for (; i < m_pieces.size() && m_pieces[i].page == page; ++i) {
                m_pieces[i].draw(p, m_pieces[i].y + shift);
            }
        }
    }

private:
    struct Piece {
        int page;
        double y;
        Drawing draw;
    };
    double m_top, m_bottom, m_y;
    int m_page = 0;
    std::vector<Piece> m_pieces;
};

constexpr int SweepTablePoints = 7;

// The points' table: every column of the CSV, the asked frequency only where one differs from
// the one used; the warnings' codes shortened to their cell (the notes below name them all).
struct SweepTable {
    std::vector<Column> columns;
    std::vector<QStringList> rows;
};

SweepTable sweepTable(const std::vector<SweepPoint>& points, double width, QPaintDevice* device) {
    const bool asked = std::any_of(points.begin(), points.end(), [](const SweepPoint& p) {
        return p.plan.askedFrequency != p.plan.frequency;
    });
    QStringList headings{QStringLiteral("#")};
    if (asked) {
        headings << QStringLiteral("Asked");
    }
    headings << QStringLiteral("Frequency") << QStringLiteral("Cycles") << QStringLiteral("Level")
             << QStringLiteral("Rec.") << QStringLiteral("Tone at") << QStringLiteral("Tone level")
             << QStringLiteral("SNR") << QStringLiteral("SINAD") << QStringLiteral("THD")
             << QStringLiteral("SFDR") << QStringLiteral("ENOB") << QStringLiteral("H2")
             << QStringLiteral("H3");
    SweepTable t;
    QStringList warnings;
    for (const SweepPoint& p : points) {
        QStringList codes;
        for (const Warning& w : p.warnings) {
            codes << w.code;
        }
        warnings << codes.join(QStringLiteral(", "));
        QStringList row{QString::number(p.plan.index + 1)};
        if (asked) {
            row << frequencyText(p.plan.askedFrequency);
        }
        row << frequencyText(p.plan.frequency)
            << (p.plan.cycles > 0 ? QString::number(p.plan.cycles) : QStringLiteral("—"))
            << levelText(p.plan.level) << QString::number(p.records)
            << frequencyText(p.measuredFrequency) << figureText(p.measuredLevel)
            << figureText(p.snr) << figureText(p.sinad) << figureText(p.thd) << figureText(p.sfdr)
            << figureText(p.enob) << figureText(p.h2) << figureText(p.h3);
        t.rows.push_back(row);
    }
    // Each column as wide as its widest text and some room, less room when the page is
    // narrow; the warnings take what is left.
    const QFontMetricsF body(QFont(Sans, SweepTablePoints), device);
    const QFontMetricsF head(QFont(Sans, SweepTablePoints, QFont::Bold), device);
    std::vector<double> widths;
    double text = 0;
    for (int c = 0; c < headings.size(); ++c) {
        double w = head.horizontalAdvance(headings[c]);
        for (const QStringList& row : t.rows) {
            w = std::max(w, body.horizontalAdvance(row[c]));
        }
        widths.push_back(std::ceil(w));
        text += widths.back();
    }
    const double warningsWidth = 80;
    const double room =
        std::clamp((width - warningsWidth - text) / static_cast<double>(widths.size()), 8.0, 14.0);
    double used = 0;
    for (int c = 0; c < headings.size(); ++c) {
        t.columns.push_back({headings[c], widths[static_cast<size_t>(c)] + room, Qt::AlignRight});
        used += t.columns.back().width;
    }
    t.columns.push_back({QStringLiteral("Warnings"), std::max(width - used, warningsWidth)});
    for (size_t r = 0; r < t.rows.size(); ++r) {
        t.rows[r] << body.elidedText(warnings[static_cast<qsizetype>(r)], Qt::ElideRight,
                                     t.columns.back().width - 8);
    }
    return t;
}

// Each warning once with the points it stands at, and each point without figures with why.
QStringList sweepNotes(const std::vector<SweepPoint>& points) {
    struct Seen {
        QString text;
        QStringList points;
    };
    std::vector<std::pair<QString, Seen>> warnings;
    QStringList failed;
    for (const SweepPoint& p : points) {
        const QString number = QString::number(p.plan.index + 1);
        for (const Warning& w : p.warnings) {
            auto it = std::find_if(warnings.begin(), warnings.end(),
                                   [&](const auto& seen) { return seen.first == w.code; });
            if (it == warnings.end()) {
                warnings.push_back({w.code, {w.text, {}}});
                it = std::prev(warnings.end());
            }
            it->second.points << number;
        }
        if (!p.spectrumError.isEmpty()) {
            failed << QStringLiteral("Point %1 has no figures: %2").arg(number, p.spectrumError);
        }
    }
    QStringList notes;
    for (const auto& [code, seen] : warnings) {
        notes << QStringLiteral("%1 at point%2 %3: %4")
                     .arg(code, seen.points.size() == 1 ? QString() : QStringLiteral("s"),
                          seen.points.join(QStringLiteral(", ")), seen.text);
    }
    notes << failed;
    if (notes.isEmpty()) {
        notes << QStringLiteral("No point has a warning.");
    }
    return notes;
}

// The sweep's section: what was swept and how it ended, the table of points, the notes, then
// the plots two to a page.
void layOutSweep(SectionLayout& layout, QPaintDevice* device, double width,
                 const SweepReport& sweep) {
    layout.place(headingHeight(device), [=](QCPPainter& p, double y) {
        drawHeading(p, y, width, QStringLiteral("Sweep"));
    });
    const QStringList definition = sweep.definition;
    layout.place(linesHeight(device, width, definition, 8) + 6, [=](QCPPainter& p, double y) {
        drawLines(p, QPointF(Margin, y), width, definition, 8);
    });
    const QStringList summary{sweepSummaryText(sweep.summary)};
    layout.place(linesHeight(device, width, summary, 9) + 10, [=](QCPPainter& p, double y) {
        drawLines(p, QPointF(Margin, y), width, summary, 9);
    });

    const SweepTable table = sweepTable(sweep.points, width, device);
    const QStringList units{
        QStringLiteral("Levels in dBFS; SNR and SINAD in dB; THD, SFDR, H2 and H3 in dBc; ENOB in "
                       "bits; Cycles: whole periods in the record, when coherent.")};
    const double rowHeight = tableRowHeight(device, SweepTablePoints);
    const double tableHead = headingHeight(device) + linesHeight(device, width, units, 7) + 4;
    size_t next = 0;
    bool first = true;
    while (next < table.rows.size() || first) {
        // A heading and a few rows at least, or the table starts on the next page.
        if (layout.room() < tableHead + rowHeight * 4 && !layout.pageEmpty()) {
            layout.newPage();
        }
        const size_t fit = static_cast<size_t>(
            std::max(1.0, std::floor((layout.room() - tableHead - 8) / rowHeight) - 1));
        const size_t count = std::min(fit, table.rows.size() - next);
        const std::vector<QStringList> rows(
            table.rows.begin() + static_cast<ptrdiff_t>(next),
            table.rows.begin() + static_cast<ptrdiff_t>(next + count));
        const QString heading =
            first ? QStringLiteral("Points") : QStringLiteral("Points (continued)");
        layout.place(tableHead + rowHeight * static_cast<double>(count + 1) + 8,
                     [=, columns = table.columns](QCPPainter& p, double y) {
                         y += drawHeading(p, y, width, heading);
                         y += drawLines(p, QPointF(Margin, y), width, units, 7) + 4;
                         drawTable(p, QPointF(Margin, y), columns, rows, SweepTablePoints);
                     });
        next += count;
        first = false;
    }
    const QStringList notes = sweepNotes(sweep.points);
    layout.place(linesHeight(device, width, notes, 8) + 8, [=](QCPPainter& p, double y) {
        drawLines(p, QPointF(Margin, y), width, notes, 8);
    });

    std::vector<std::pair<SweepFigure, SweepAxis>> plots;
    for (SweepAxis axis : {SweepAxis::Frequency, SweepAxis::Level}) {
        const int along = axis == SweepAxis::Frequency ? sweep.plan.frequencies : sweep.plan.levels;
        if (along < 2) {
            continue;
        }
        for (SweepFigure f :
             {SweepFigure::Snr, SweepFigure::Sinad, SweepFigure::Sfdr, SweepFigure::Enob}) {
            plots.emplace_back(f, axis);
        }
    }
    const double gap = 12;
    const double plotHeight = (layout.pageHeight() - gap) / 2;
    for (size_t i = 0; i < plots.size(); ++i) {
        if (i % 2 == 0) {
            layout.newPage();
        }
        const auto [figure, axis] = plots[i];
        const QSize logical(static_cast<int>(width), static_cast<int>(plotHeight));
        layout.place(i % 2 == 0 ? plotHeight + gap : plotHeight,
                     [=, &sweep](QCPPainter& p, double y) {
                         paintPlot(
                             p, QRectF(Margin, y, width, plotHeight),
                             [&](QCustomPlot& plot) {
                                 drawSweep(plot, sweep.plan, sweep.points, sweep.summary, figure,
                                           axis, sweep.logFrequency);
                             },
                             logical);
                     });
    }
}

}  // namespace

void writeReport(const QString& path, const FigureRun& run, const RecordSource& source) {
    ReportPages doc(source);
    doc.setPageCount(RunPages);
    drawRunPages(doc, run, source);
    doc.write(path);
}

void writeSweepReport(const QString& path, const FigureRun* run, const RecordSource& source,
                      const SweepReport& sweep) {
    ReportPages doc(source);
    SectionLayout layout(doc.contentTop(), doc.bottom());
    layOutSweep(layout, doc.device(), doc.width(), sweep);
    doc.setPageCount((run != nullptr ? RunPages : 0) + layout.pages());
    if (run != nullptr) {
        drawRunPages(doc, *run, source);
    }
    layout.draw(doc.painter(), [&doc] { return doc.nextPage(); });
    doc.write(path);
}

}  // namespace rq::figures
