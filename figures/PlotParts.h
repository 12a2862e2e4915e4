#pragma once

// What the plots of a run and of a sweep share: their colours, titles, captions and notes, and
// the unit of a frequency axis.
#include <QColor>
#include <QString>
#include <QStringList>

#include "figures/FrequencyText.h"
#include "strip/CustomPlot.h"

namespace rq::figures {

inline const QColor TraceBlue(31, 94, 168);
inline const QColor FitRed(200, 40, 40);
inline const QColor HarmonicOrange(220, 120, 0);
inline const QColor SpurPurple(150, 40, 170);
inline const QColor BestFitGreen(20, 140, 60);

// The unit of a frequency axis running to `top` Hz: Hz, kHz from 2 kHz, MHz from 2 MHz, so that
// its numbers stay short.
FrequencyUnit plotFrequencyUnit(double top);

// A bold title in a row of its own on top of the plot.
void addTitle(QCustomPlot& plot, const QString& text);
// A line of small text in a row of its own above the given layout row: figures that must not
// cover the data.
void addCaption(QCustomPlot& plot, int row, const QString& text);
// A box of text lines in a corner of an axis rectangle: the figures beside their plot.
QCPItemText* addNote(QCustomPlot& plot, QCPAxisRect* rect, const QStringList& lines,
                     Qt::Alignment corner);

}  // namespace rq::figures
