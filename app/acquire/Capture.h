#pragma once

#include <QString>

#include "acquire/Analysis.h"
#include "board/CommsFunctions.h"

namespace rq {

// The board side of a capture: one record of 256 * 2^NumberOfSamples samples into SampleData
// and its volts into VoltsData. Returns the record length, or 0 when the capture failed (the
// read's 517, a capture command the board never took, or a record length the board cannot
// capture, which is refused with its own box before any traffic). A failure shows nothing else:
// the caller beeps, adds uploadFailureLine in red and stops a continuous run.
int32_t ReadRecord(CommsFunctions& comms);

// The lines a capture adds to the message list.
inline const QString UploadFailureLine = QStringLiteral("Data Upload Failure");
QString samplesUploadedLine(int32_t samples);

// "Sample" without a window: ReadRecord, then the analysis of the capture dispatch and the line
// "N Data Samples Uploaded", and DataLoaded. A failure adds the red "Data Upload Failure",
// analyses nothing, leaves DataLoaded as it was and returns false.
bool TakeSamples(CommsFunctions& comms, RecordAnalysis& analysers);

}  // namespace rq
