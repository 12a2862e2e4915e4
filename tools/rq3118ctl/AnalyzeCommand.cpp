// analyze: the file dispatch on a raw sample data file, without a screen; report: its figures
// (or a capture's) as a PDF.
#include <algorithm>

#include "acquire/AcquisitionSession.h"
#include "acquire/DataFiles.h"
#include "acquire/ScreenlessView.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "common/QtHost.h"
#include "fft/SpectrumReadOuts.h"
#include "figures/ReportFields.h"
#include "rq3118ctl/AnalysisResult.h"
#include "rq3118ctl/Arguments.h"
#include "rq3118ctl/Commands.h"
#include "rq3118ctl/ConsoleHost.h"
#include "rq3118ctl/Figures.h"

namespace rqctl {

void addAnalysis(Result& r, const rq::ProgramState& state, const rq::Analysers& a) {
    const rq::histogram::Display& h = a.histogram;
    // The numbers for a script, the panel's texts beside them for a reader.
    Result histogram;
    histogram.add(QStringLiteral("samples"), static_cast<long long>(h.samples))
        .add(QStringLiteral("max_code"), static_cast<long long>(h.maxCode))
        .add(QStringLiteral("min_code"), static_cast<long long>(h.minCode))
        .add(QStringLiteral("spread"), static_cast<long long>(h.spread))
        .add(QStringLiteral("std_dev"), h.stdDev)
        .add(QStringLiteral("mean"), h.mean)
        .add(QStringLiteral("samples_text"), h.results[0])
        .add(QStringLiteral("max_code_text"), h.results[1])
        .add(QStringLiteral("min_code_text"), h.results[2])
        .add(QStringLiteral("spread_text"), h.results[3])
        .add(QStringLiteral("std_dev_text"), h.results[4])
        .add(QStringLiteral("mean_text"), h.results[5]);
    r.add(QStringLiteral("samples"), static_cast<long long>(state.Record.SampleData.size()))
        .add(QStringLiteral("snr"), a.fft.SNR())
        .add(QStringLiteral("thd"), a.fft.THD())
        .add(QStringLiteral("snr_text"), rq::controls::snrReadOut(a.fft))
        .add(QStringLiteral("thd_text"), rq::controls::thdReadOut(a.fft))
        .add(QStringLiteral("freq_text"), rq::controls::frequencyReadOut(a.fft))
        .add(QStringLiteral("peak"), static_cast<long long>(a.fft.lastPeak()));
    // The read-outs of a failed spectrum are the control's zeros; say so, and why.
    if (a.fft.lastError() != 0) {
        r.add(QStringLiteral("spectrum_error"), a.fft.lastErrorText());
    } else {
        r.addNone(QStringLiteral("spectrum_error"));
    }
    r.add(QStringLiteral("histogram"), histogram);
}

namespace {

// Options shared with capture that shape the analysis.
void applyAnalysisOptions(const Arguments& args, rq::Analysers& a) {
    a.fft.setWindowing(!args.flag(QStringLiteral("no-window")));
    if (const auto dc = args.integer(QStringLiteral("dc-bins"), 1, 32767)) {
        a.fft.setDCBins(static_cast<int16_t>(*dc));
    }
    if (const auto sig = args.integer(QStringLiteral("sig-bins"), 1, 32767)) {
        a.fft.setSIGBins(static_cast<int16_t>(*sig));
    }
    if (args.flag(QStringLiteral("harms"))) {
        a.fft.setHarmonicsInNoise(true);
    }
}

}  // namespace

QList<Arguments::Option> analysisOptions() {
    return {{QStringLiteral("json"), false},   {QStringLiteral("no-window"), false},
            {QStringLiteral("dc-bins"), true}, {QStringLiteral("sig-bins"), true},
            {QStringLiteral("harms"), false},  {QStringLiteral("spectrum-out"), true}};
}

void configureAnalysers(const Arguments& args, rq::Analysers& a) {
    applyAnalysisOptions(args, a);
}

int runAnalyze(const QStringList& argv) {
    QList<Arguments::Option> options = analysisOptions() + figureOptions();
    options << Arguments::Option{QStringLiteral("rate"), true}
            << Arguments::Option{QStringLiteral("bits"), true}
            << Arguments::Option{QStringLiteral("vmin"), true}
            << Arguments::Option{QStringLiteral("vmax"), true}
            << Arguments::Option{QStringLiteral("twos"), false};
    const Arguments args(argv, options);
    if (args.positional().size() != 1) {
        throw UsageError{QStringLiteral("analyze takes one raw sample data file")};
    }
    const bool json = args.flag(QStringLiteral("json"));

    rq::ProgramState state;
    rq::applyStartValues(state);
    rq::Settings& s = state.CurrentSettings;
    s.NumberOfBits = static_cast<int16_t>(args.integer(QStringLiteral("bits"), 1, 16).value_or(12));
    s.DataFormat = args.flag(QStringLiteral("twos")) ? 1 : 0;
    s.InputVMin = args.number(QStringLiteral("vmin")).value_or(s.InputVMin);
    s.InputVMax = args.number(QStringLiteral("vmax")).value_or(s.InputVMax);
    const double rate = args.number(QStringLiteral("rate")).value_or(100000.0);
    if (!(rate > 0.0 && rate <= 2147483647.0)) {
        throw UsageError{QStringLiteral("--rate must be a positive frequency in Hz")};
    }

    rq::Analysers analysers;
    applyAnalysisOptions(args, analysers);
    const FigureRequest request = figureRequest(args, analysers.fft.windowing());

    const QString path = args.positional().first();
    try {
        rq::loadDataRecord(state, path);
    } catch (const rq::NumberedError& e) {
        printErr(QStringLiteral("%1: cannot be read as a data file (error %2: %3)")
                     .arg(path, rq::formatGeneral(e.number()), e.description()));
        setFailureFromLastMessage(e.number(), e.source());
        return ExitRefused;
    }

    // The dispatch's box is told below, once; the board link is not used.
    ConsoleMessageList messages;
    ConsoleMessageBoxes quiet;
    quiet.quiet = true;
    rq::EventLoopYield yield;
    rq::ScreenlessView view(analysers, messages, quiet, yield);
    rq::AcquisitionSession session(state, view);
    if (const std::optional<rq::DispatchFailure> failure = session.dispatchLoadedRecord(rate)) {
        printErr(failure->message);
        setFailure(failure->number, QStringLiteral("RQ3118"), failure->message);
        return ExitRefused;
    }
    if (const auto out = args.value(QStringLiteral("spectrum-out"))) {
        try {
            rq::writeDataValues(*out, state.Record.FFTData);
        } catch (const rq::NumberedError& e) {
            printNotWritten(*out, e);
            setFailureFromLastMessage(e.number(), e.source());
            return ExitRefused;
        }
    }
    FigureRun figures(request, s.NumberOfBits, s.DataFormat == 1, rate);
    // The same count the window's message list gives after the load.
    figures.setNotNumbers(state.Record.loadedNotNumbers);
    figures.addRecord(state.Record.SampleData, false);
    Result r;
    addAnalysis(r, state, analysers);
    figures.addTo(r);
    printResult(r, json);

    const RecordSource source = rq::figures::dataFileSource(
        path, static_cast<qsizetype>(state.Record.SampleData.size()), s.NumberOfBits,
        s.DataFormat == 1, rate, s.InputVMin, s.InputVMax);
    if (!writeOutputs(figures, source)) {
        setFailureFromLastMessage(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"));
        return ExitRefused;
    }
    return limitsStatus(figures);
}

int runReport(const QStringList& argv) {
    const auto given = [&](const char* name) {
        const QString option = QStringLiteral("--") + QString::fromLatin1(name);
        return std::any_of(argv.begin(), argv.end(), [&](const QString& a) {
            return a == option || a.startsWith(option + u'=');
        });
    };
    if (!given("pdf")) {
        throw UsageError{QStringLiteral("report needs --pdf OUT.pdf")};
    }
    // A report of a capture when a configuration is named, of a data file otherwise.
    return given("config") ? runCapture(argv) : runAnalyze(argv);
}

}  // namespace rqctl
