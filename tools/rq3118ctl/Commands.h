#pragma once

#include <QString>
#include <QStringList>

#include "figures/Result.h"

namespace rqctl {

using rq::figures::Result;

// The subcommands; each takes the arguments after its name and returns the exit status.
int runConfig(const QStringList& args);
int runDsp(const QStringList& args);
int runAnalyze(const QStringList& args);
int runCapture(const QStringList& args);
int runReport(const QStringList& args);
int runSweep(const QStringList& args);

// The number of a refused configuration file: the one its box names ("(Code:53"), else 5.
int configFailureNumber(const QString& boxText);

// Prints one result as text or as a line of JSON.
void printResult(const Result& result, bool json);

}  // namespace rqctl
