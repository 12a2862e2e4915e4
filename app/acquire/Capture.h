#pragma once

#include "Analysis.h"
#include "CommsFunctions.h"

namespace rq {

// The board side of "Sample": one record of 256 * 2^NumberOfSamples samples into the sample
// record, its volts, the analysis of the capture dispatch and the line "N Data Samples
// Uploaded". A capture that fails (the read's 517, or a capture command the board never took)
// adds the red "Data Upload Failure", analyses nothing, leaves DataLoaded as it was and returns
// false. The window around it handles its buttons, charts, pointer and beep.
bool TakeSamples(CommsFunctions& comms, Analysers& analysers);

}  // namespace rq
