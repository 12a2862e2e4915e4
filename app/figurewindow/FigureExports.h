#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>

class QAction;
class QMenu;

#include "figures/FigureFiles.h"
#include "strip/CustomPlot.h"

namespace rq::figures {

class FigureRun;

// The plot as it stands on screen, zoom and markers included, saved by the file's extension:
// .svg and .pdf as vectors at the widget's size, anything else as a PNG of twice the widget's
// size each way, so that it stays sharp in a document. Drawn in memory and written whole or not
// at all; raises WriteFailure (75) when it cannot be written or drawn.
void exportPlot(QCustomPlot& plot, const QString& path);

// A menu item of the windows of our own: its text, shortcut and object name (tests find it by
// the name).
QAction* menuItem(QMenu* menu, const QString& text, const QKeySequence& shortcut, const char* name);

// An export as the windows make it: a file dialog titled as the parent window, offering the
// default name of the part's export (exportFileName, with the filter's first extension), then
// the write; a write that fails is named in a message box. Nothing happens on Cancel.
void exportThroughDialog(QWidget* parent, const QString& partName, const QString& what,
                         const QString& filter, const std::function<void(const QString&)>& write);

// The figures, harmonics and warnings as tab-separated tables on the clipboard, for a
// spreadsheet; a run without a spectrum gives its warnings under empty tables.
void copyFigures(const FigureRun& run);

}  // namespace rq::figures
