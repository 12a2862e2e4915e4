#include "figurewindow/FigureExports.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

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

QAction* menuItem(QMenu* menu, const QString& text, const QKeySequence& shortcut,
                  const char* name) {
    QAction* action = menu->addAction(text);
    action->setShortcut(shortcut);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void exportThroughDialog(QWidget* parent, const QString& partName, const QString& what,
                         const QString& filter, const std::function<void(const QString&)>& write) {
    const QString name =
        exportFileName(partName, QDateTime::currentDateTime(), what,
                       filter.section(QStringLiteral("*."), 1, 1).section(u')', 0, 0));
    const QString path = QFileDialog::getSaveFileName(parent, parent->windowTitle(), name, filter);
    if (path.isEmpty()) {
        return;
    }
    try {
        write(path);
    } catch (const rq::NumberedError& e) {
        QMessageBox::warning(parent, parent->windowTitle(), e.description());
    }
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
