#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

#include "strip/CustomPlot.h"

namespace rq::figures {

class FigureRun;
struct RecordSource;

// The plots of a run, drawn with QCustomPlot, the chart the windows use, on a fresh plot (or
// one cleared with clearPlot): each adds its graphs, items, titles and axis rectangles.
void drawSpectrum(QCustomPlot& plot, const FigureRun& run, const RecordSource& source);
// What the time plot's values are shown in: codes as they are, or a straight line of them, such
// as volts over the converter's input range (value = offset + perCode * code).
struct TimeScale {
    double perCode = 1.0;
    double offset = 0.0;
    QString quantity = QStringLiteral("Code");
    QString unit = QStringLiteral("codes");
    // The residual's unit and its size in the trace's units ("mV", 1000).
    QString residualUnit = QStringLiteral("codes");
    double residualFactor = 1.0;
    // Decimals of the fit's offset and amplitude in the caption.
    int decimals = 2;
};

// The first periods of the record with the fitted sine over them, and the fit's residual over
// the whole record.
void drawTime(QCustomPlot& plot, const FigureRun& run, const RecordSource& source,
              const TimeScale& scale = {});
void drawHistogram(QCustomPlot& plot, const FigureRun& run, const RecordSource& source);
void drawLinearity(QCustomPlot& plot, const FigureRun& run, const RecordSource& source);

// Takes a plot back to what a fresh one holds, its first axis rectangle alone with its axes
// unlabelled and linear, so that a window can draw a new record on the plot it shows.
void clearPlot(QCustomPlot& plot);

using PlotDrawing = std::function<void(QCustomPlot&)>;
constexpr QSize PlotSize{1000, 600};

// Draws a fresh plot and saves it by the file's extension: .svg (vector), .pdf, else PNG. The
// file is drawn in memory and written whole or not at all; raises WriteFailure (75) when it
// cannot be written.
void savePlot(const QString& path, const PlotDrawing& draw, QSize size = PlotSize);
// A plot as the bytes of its file by the suffix ("svg", "pdf", else PNG), drawn in memory at the
// logical size; a PNG has pixelScale times as many pixels each way. Empty when it cannot be
// drawn.
QByteArray renderPlot(QCustomPlot& plot, const QString& suffix, QSize size,
                      double pixelScale = 1.0);
// Several plots in one file, `columns` to a row, each drawn fresh at `cell` logical size, saved
// by the file's extension as savePlot saves one; raises as savePlot does.
void savePlots(const QString& path, const std::vector<PlotDrawing>& draws, int columns,
               QSize cell = PlotSize);
// Draws a fresh plot of the logical size into target on painter, as vectors (the report).
void paintPlot(QCPPainter& painter, const QRectF& target, const PlotDrawing& draw, QSize logical);

}  // namespace rq::figures
