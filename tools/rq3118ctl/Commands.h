#pragma once

#include <QStringList>

namespace rqctl {

// The subcommands; each takes the arguments after its name and returns the exit status.
int runConfig(const QStringList& args);
int runDsp(const QStringList& args);
int runAnalyze(const QStringList& args);
int runCapture(const QStringList& args);
int runReport(const QStringList& args);

// Prints one result as text or as a line of JSON.
class Result;
void printResult(const Result& result, bool json);

}  // namespace rqctl
