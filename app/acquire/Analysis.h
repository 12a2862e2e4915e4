#pragma once

#include <QString>
#include <optional>

#include "FftAnalysis.h"
#include "HistogramCore.h"
#include "ProgramState.h"

namespace rq {

// The analysis a record goes through after it is plotted: the spectrum of the FFT control and
// the code histogram. The main window owns one of each and maps them to its controls; the
// command-line front end reads them directly.
struct Analysers {
    FftAnalysis fft;
    histogram::Display histogram;
    int16_t histogramRows = histogram::MinRows;
    int32_t histogramBarLength = 6000;
};

// A failed step of the file dispatch: the dispatch's own number, the number of the failure
// behind it, and the text the user is shown ("Error 531:11 occured while calculating FFT").
struct DispatchFailure {
    int number = 0;
    int cause = 0;
    QString message;
};

DispatchFailure dispatchFailure(int number, int cause);

// The analysis steps of the file dispatch on the loaded record: volts, spectrum (at the given
// rate, 100000 Hz when none), histogram. The first failure ends it: a failed conversion or
// spectrum as 531, a failed histogram as 533.
std::optional<DispatchFailure> analyseLoadedRecord(ProgramState& state, Analysers& analysers,
                                                   std::optional<double> sampleFrequency);

// The analysis steps of the capture dispatch: spectrum at SampleFreq and histogram; a failing
// step is skipped. (Volts were converted with the capture.)
void analyseCapturedRecord(ProgramState& state, Analysers& analysers);

}  // namespace rq
