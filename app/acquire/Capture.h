#pragma once

#include <QString>

#include "board/CommsFunctions.h"
#include "common/HostInterfaces.h"
#include "state/ProgramState.h"

namespace rq {

// The board side of a capture: one record of 256 * 2^NumberOfSamples samples into SampleData
// and its volts into VoltsData. Returns the record length, or 0 when the capture failed (the
// read's 517, a capture command the board never took, or a record length the board cannot
// capture, which is refused with its own box before any traffic). A failure shows nothing else:
// the session beeps, adds UploadFailureLine in red and stops a continuous run.
int32_t ReadRecord(ProgramState& state, CommsFunctions& comms, MessageBoxes& boxes);

// The lines a capture adds to the message list.
inline const QString UploadFailureLine = QStringLiteral("Data Upload Failure");
QString samplesUploadedLine(int32_t samples);

}  // namespace rq
