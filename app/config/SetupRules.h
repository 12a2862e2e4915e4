#pragma once

#include <QString>
#include <cstdint>

#include "board/CommsFunctions.h"
#include "state/ProgramState.h"

// The setup window's rules that need no window: its message texts, the supply latch sent from
// the switch panel and the record length shown for an index the list does not hold.
namespace rq {

// "Communication with the Velmar Board Failed." / "(Error N)" / "Please Reset the Board and
// Try Again.", lines joined by CR LF.
QString boardFailureMessage(int errorNumber);

// The error number of a download result other than 0: the box's own for a board failure (504
// to 507), the run-time one for a file the download refused (53 missing, 5 not a DSP file).
int programLoadErrorNumber(int16_t result);

// The "Program Load Error" text of a download result other than 0.
QString programLoadMessage(int16_t result);

// A board command that failed: the "Send Command Error" box (as error 507) and message line.
void reportSendCommandError(MessageBoxes& boxes, MessageList& messages);

// Sends the panel's latch content to the board (command 3). On success it becomes BoardLatch's
// value and "Supplies Changed" is listed; a failure is reported and leaves BoardLatch.
bool SendSupplyLatch(ProgramState& state, CommsFunctions& comms, int16_t latchContent);

// The number of samples of a record-length index, as the record-length list shows it.
QString recordLengthText(int16_t index);

}  // namespace rq
