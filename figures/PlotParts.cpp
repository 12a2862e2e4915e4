#include "figures/PlotParts.h"

namespace rq::figures {

FrequencyUnit plotFrequencyUnit(double top) {
    if (top >= 2e6) {
        return {QStringLiteral("MHz"), 1e6};
    }
    if (top >= 2e3) {
        return {QStringLiteral("kHz"), 1e3};
    }
    return {QStringLiteral("Hz"), 1.0};
}

void addTitle(QCustomPlot& plot, const QString& text) {
    plot.plotLayout()->insertRow(0);
    auto* title =
        new QCPTextElement(&plot, text, QFont(QStringLiteral("DejaVu Sans"), 11, QFont::Bold));
    plot.plotLayout()->addElement(0, 0, title);
}

void addCaption(QCustomPlot& plot, int row, const QString& text) {
    plot.plotLayout()->insertRow(row);
    auto* caption = new QCPTextElement(&plot, text, QFont(QStringLiteral("DejaVu Sans Mono"), 8));
    caption->setMargins(QMargins(0, 2, 0, 0));
    plot.plotLayout()->addElement(row, 0, caption);
}

QCPItemText* addNote(QCustomPlot& plot, QCPAxisRect* rect, const QStringList& lines,
                     Qt::Alignment corner) {
    auto* note = new QCPItemText(&plot);
    note->setClipToAxisRect(false);
    note->position->setAxisRect(rect);
    note->position->setType(QCPItemPosition::ptAxisRectRatio);
    const double x = corner & Qt::AlignRight ? 0.99 : 0.01;
    const double y = corner & Qt::AlignBottom ? 0.98 : 0.02;
    note->position->setCoords(x, y);
    note->setPositionAlignment(corner);
    note->setTextAlignment(Qt::AlignLeft);
    note->setText(lines.join(u'\n'));
    note->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 8));
    note->setPadding(QMargins(6, 4, 6, 4));
    note->setBrush(QBrush(QColor(255, 255, 255, 230)));
    note->setPen(QPen(QColor(150, 150, 150)));
    return note;
}

}  // namespace rq::figures
