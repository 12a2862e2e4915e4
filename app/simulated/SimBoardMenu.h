#pragma once

#include <QList>

class QAction;
class QWidget;

namespace rq {

class SimBoard;

// The simulated board's own items for the main window's "Printer Port" menu: its RESET button,
// and a "Simulated Fault" submenu with the faults of the command-line front end, so each error
// path of the window can be tried. The faults that take a count ask for it. The actions belong
// to parent.
QList<QAction*> simulatedBoardMenuItems(SimBoard& board, QWidget* parent);

}  // namespace rq
