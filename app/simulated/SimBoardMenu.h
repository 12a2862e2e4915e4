#pragma once

#include <QList>

class QAction;
class QWidget;

namespace rq {

class SimBoard;
class Settings;

// The simulated board's own items for the main window's "Printer Port" menu: its RESET button,
// and a "Simulated Fault" submenu with the faults of the command-line front end, so each error
// path of the window can be tried. The faults that take a count ask for it. The actions belong
// to parent.
QList<QAction*> simulatedBoardMenuItems(SimBoard& board, QWidget* parent);

// A loaded configuration makes the simulated converter the part it describes: its bits and
// coding, when the bits are ones the converter can have.
void followConfiguration(SimBoard& board, const Settings& settings);

}  // namespace rq
