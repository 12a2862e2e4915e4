// capture: what a user does in the windows, from reset to analysed records, without a screen.
#include <QCoreApplication>
#include <memory>

#include "acquire/AcquisitionSession.h"
#include "acquire/DataFiles.h"
#include "acquire/ScreenlessView.h"
#include "common/NumberedError.h"
#include "rq3118ctl/AnalysisResult.h"
#include "rq3118ctl/Arguments.h"
#include "rq3118ctl/BoardSetup.h"
#include "rq3118ctl/Commands.h"
#include "rq3118ctl/ConsoleHost.h"
#include "rq3118ctl/Figures.h"
#include "simboard/SimBoard.h"

namespace rqctl {

int runCapture(const QStringList& argv) {
    QList<Arguments::Option> options = analysisOptions() + figureOptions() + boardOptions();
    for (const char* name : {"records", "out"}) {
        options << Arguments::Option{QString::fromLatin1(name), true};
    }
    options << Arguments::Option{QStringLiteral("avg"), false};
    const Arguments args(argv, options);
    if (!args.positional().isEmpty()) {
        throw UsageError{QStringLiteral("capture takes no file argument; use --config FILE")};
    }
    if (!args.value(QStringLiteral("config"))) {
        throw UsageError{QStringLiteral("capture needs --config FILE")};
    }
    const int records = args.integer(QStringLiteral("records"), 1, 1000000).value_or(1);
    const bool json = args.flag(QStringLiteral("json"));
    BoardSetup board(args, QStringLiteral("capture"));
    // Refused here, before any board traffic, like every other usage error.
    const FigureRequest request = figureRequest(args, !args.flag(QStringLiteral("no-window")));
    if (const int status = board.load(); status != ExitOk) {
        return status;
    }
    rq::ProgramState& state = board.state;
    const rq::Settings& s = state.CurrentSettings;

    rq::Analysers analysers;
    configureAnalysers(args, analysers);
    const bool averaged = args.flag(QStringLiteral("avg"));
    if (averaged) {
        analysers.fft.setAveraging(true);
    }
    // The figures take the rate the board really samples at, crystal over period, not the
    // frequency asked for.
    const double clockRate = board.clockRate();
    FigureRun figures(request, s.NumberOfBits, s.DataFormat == 1, clockRate);
    if (board.simulated()) {
        const rq::ConverterSettings& c = board.simSettings().converter;
        if (!request.fitFrequency && state.BoardClock.actualSampleRate() > 0.0) {
            figures.setKnownFrequency(c.toneFrequency / clockRate, QStringLiteral("simulated"));
        }
        figures.setKnownLevel(c.toneLevel);
    }
    rq::ScreenlessView view(analysers, board.messages, board.boxes, board.yield);
    rq::AcquisitionSession session(state, view, board.comms.get());
    for (int k = 1; k <= records; ++k) {
        if (!session.TakeSamples()) {
            setFailure(517, QStringLiteral("TakeSamples"),
                       QStringLiteral("record %1: %2").arg(k).arg(board.messages.last));
            return ExitBoard;
        }
        if (!json && k > 1) {
            printOut(QString());  // a blank line between records
        }
        figures.addRecord(state.Record.SampleData, averaged);
        Result r;
        r.add(QStringLiteral("record"), k);
        addAnalysis(r, state, analysers);
        figures.addTo(r);
        printResult(r, json);
    }

    const auto save = [&](const char* option, const std::vector<double>& values) {
        if (const auto out = args.value(QString::fromLatin1(option))) {
            try {
                rq::writeDataValues(*out, values);
            } catch (const rq::NumberedError& e) {
                printNotWritten(*out, e);
                setFailureFromLastMessage(e.number(), e.source());
                return false;
            }
        }
        return true;
    };
    if (!save("out", state.Record.SampleData) || !save("spectrum-out", state.Record.FFTData)) {
        return ExitRefused;
    }
    if (!writeOutputs(figures, board.source(records, averaged))) {
        setFailureFromLastMessage(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"));
        return ExitRefused;
    }
    return limitsStatus(figures);
}

}  // namespace rqctl
