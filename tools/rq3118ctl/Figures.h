#pragma once

#include <functional>
#include <optional>

#include "figures/FigureRun.h"
#include "figures/Result.h"
#include "rq3118ctl/Arguments.h"

namespace rqctl {

using rq::figures::FigureRequest;
using rq::figures::FigureRun;
using rq::figures::figureText;
using rq::figures::RecordSource;
using rq::figures::Result;

QList<Arguments::Option> figureOptions();
// The window follows the panel's switch unless --window names one.
FigureRequest figureRequest(const Arguments& args, bool panelWindowing);

// Writes an output file that was asked for (a path given) with `write`; false, with the reason
// on standard error, when it could not be written.
bool writeOutput(const std::optional<QString>& path,
                 const std::function<void(const QString&)>& write);

// Plots, spectrum CSV and report as the run's request asks; false (with the reason on standard
// error) when one cannot be written.
bool writeOutputs(const FigureRun& run, const RecordSource& source);

// ExitOk, or ExitLimits with the failed limits recorded as the run's failure.
int limitsStatus(const FigureRun& run);

}  // namespace rqctl
