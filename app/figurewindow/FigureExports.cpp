#include "figurewindow/FigureExports.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>

#include "common/AtomicFile.h"
#include "figures/FigureRun.h"
#include "figures/FigureTable.h"
#include "figures/Plots.h"

namespace rq::figures {

void exportPlot(QCustomPlot& plot, const QString& path) {
    // A plot never laid out (a hidden tab) has no size of its own yet; draw it at the size a
    // saved plot has.
    const QSize size = plot.width() > 0 && plot.height() > 0 ? plot.size() : PlotSize;
    const QByteArray bytes = renderPlot(plot, QFileInfo(path).suffix().toLower(), size, 2.0);
    if (bytes.isEmpty()) {
        throw rq::WriteFailure(path, QStringLiteral("the plot could not be drawn"));
    }
    rq::writeFileAtomically(path, bytes);
}

void copyFigures(const FigureRun& run) {
    std::vector<FigureRow> figures;
    std::vector<HarmonicRow> harmonics;
    if (run.figures()) {
        figures = figureRows(*run.figures());
        harmonics = harmonicRows(*run.figures());
    }
    QGuiApplication::clipboard()->setText(
        figuresClipboardText(figures, harmonics, warningRows(run.warnings())));
}

}  // namespace rq::figures
