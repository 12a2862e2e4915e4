#pragma once

#include "acquire/Analysis.h"
#include "figures/Result.h"
#include "rq3118ctl/Arguments.h"

namespace rqctl {

using rq::figures::Result;

// The numbers and read-outs of one analysed record, as analyze and capture print them (the
// warnings about its codes come with the figures).
void addAnalysis(Result& result, const rq::ProgramState& state, const rq::Analysers& analysers);

// The options that shape the analysis (--json, --no-window, --dc-bins, --sig-bins, --harms,
// --spectrum-out), and their effect on the analysers.
QList<Arguments::Option> analysisOptions();
void configureAnalysers(const Arguments& args, rq::Analysers& analysers);

}  // namespace rqctl
