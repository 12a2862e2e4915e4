// sweep: SNR, SINAD, SFDR and ENOB against the input's frequency and level, point by point,
// from the simulated converter, a signal generator or the user's hands at the bench.
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

#include "acquire/AcquisitionSession.h"
#include "acquire/ScreenlessView.h"
#include "analysis/Window.h"
#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "figures/FrequencyText.h"
#include "figures/Report.h"
#include "figures/ReportFields.h"
#include "figures/Sweep.h"
#include "figures/SweepPlots.h"
#include "generator/GeneratorAddress.h"
#include "generator/GeneratorProfile.h"
#include "rq3118ctl/AnalysisResult.h"
#include "rq3118ctl/BoardSetup.h"
#include "rq3118ctl/Commands.h"
#include "rq3118ctl/ConsoleHost.h"
#include "rq3118ctl/Figures.h"
#include "simulated/SimulatedSignalSource.h"
#include "sweep/SignalSource.h"
#include "sweep/SweepRunner.h"

namespace rqctl {

using namespace rq::figures;

namespace {

// SIGINT and SIGTERM end a sweep as Cancel does: the handler only writes the signal's number
// to a socket the event loop watches.
int signalSockets[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

class SignalWatch {
public:
    explicit SignalWatch(const std::function<void(int)>& handle) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) {
            return;
        }
        m_notifier = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [handle] {
            char byte = 0;
            if (::read(signalSockets[1], &byte, 1) == 1) {
                handle(byte);
            }
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_oldInt);
        ::sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~SignalWatch() {
        if (!m_notifier) {
            return;
        }
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_notifier.reset();
        ::close(signalSockets[0]);
        ::close(signalSockets[1]);
        signalSockets[0] = signalSockets[1] = -1;
    }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt = {}, m_oldTerm = {};
};

// A manual sweep's answers: a line on standard input goes on, its end gives up. Lines typed
// ahead (or piped in) answer the prompts that follow, one each.
class TerminalAnswers {
public:
    explicit TerminalAnswers(rq::ManualSource& source)
        : m_source(source), m_notifier(0, QSocketNotifier::Read) {
        QObject::connect(&source, &rq::ManualSource::prompt, [this](const QString& text) {
            printErr(text + QStringLiteral(", then press Enter"));
            m_asked = true;
            answer();
        });
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] {
            char buffer[256];
            const ssize_t n = ::read(0, buffer, sizeof buffer);
            if (n <= 0) {
                m_notifier.setEnabled(false);
                m_closed = true;
            } else {
                m_input.append(buffer, n);
            }
            answer();
        });
    }

private:
    void answer() {
        if (!m_asked) {
            return;
        }
        if (const qsizetype end = m_input.indexOf('\n'); end >= 0) {
            m_input.remove(0, end + 1);
            m_asked = false;
            m_source.proceed();
        } else if (m_closed) {
            m_asked = false;
            m_source.giveUp(QStringLiteral("standard input closed before the point was set"));
        }
    }

    rq::ManualSource& m_source;
    QSocketNotifier m_notifier;
    QByteArray m_input;
    bool m_asked = false;
    bool m_closed = false;
};

std::vector<double> sweepList(const Arguments& args, const char* option, bool logAllowed) {
    const auto text = args.value(QString::fromLatin1(option));
    if (!text) {
        throw UsageError{QStringLiteral("sweep needs --%1 LIST").arg(QString::fromLatin1(option))};
    }
    try {
        return parseSweepList(*text, logAllowed);
    } catch (const rq::NumberedError& e) {
        throw UsageError{
            QStringLiteral("--%1: %2").arg(QString::fromLatin1(option), e.description())};
    }
}

QString pointText(const SweepPoint& p, int planned) {
    QString line = QStringLiteral("point %1 of %2: %3 at %4 dBFS")
                       .arg(p.plan.index + 1)
                       .arg(planned)
                       .arg(frequencyText(p.plan.frequency), figureText(p.plan.level, 1));
    if (!p.spectrumError.isEmpty()) {
        return line + QStringLiteral(": no spectrum: ") + p.spectrumError;
    }
    line += QStringLiteral(": SNR %1 dB, SINAD %2 dB, THD %3 dBc, SFDR %4 dBc, ENOB %5 bits")
                .arg(figureText(p.snr), figureText(p.sinad), figureText(p.thd), figureText(p.sfdr),
                     figureText(p.enob));
    for (const rq::analysis::Warning& w : p.warnings) {
        line += QStringLiteral("; ") + w.code;
    }
    return line;
}

// The plots of the sweep: every figure against each axis the sweep moves along.
void writeSweepPlots(const QString& path, const rq::SweepRunner& runner,
                     const SweepSummary& summary, bool logFrequency) {
    std::vector<SweepAxis> axes;
    if (runner.plan().frequencies > 1) {
        axes.push_back(SweepAxis::Frequency);
    }
    if (runner.plan().levels > 1 || axes.empty()) {
        axes.push_back(SweepAxis::Level);
    }
    saveSweepPlots(path, runner.plan(), runner.points(), summary, axes, logFrequency);
}

}  // namespace

int runSweep(const QStringList& argv) {
    QList<Arguments::Option> options = boardOptions();
    for (const char* name : {"generator",       "profile",   "fullscale-dbm",  "calibrate-dbm",
                             "frequencies",     "levels",    "records",        "window",
                             "settle",          "csv",       "plot",           "pdf",
                             "full-scale-bits", "harmonics", "frequency-axis", "sim-fullscale-dbm",
                             "serial",          "operator",  "temperature",    "notes"}) {
        options << Arguments::Option{QString::fromLatin1(name), true};
    }
    for (const char* name : {"calibrate", "manual", "avg", "coherent", "json"}) {
        options << Arguments::Option{QString::fromLatin1(name), false};
    }
    const Arguments args(argv, options);
    if (!args.positional().isEmpty()) {
        throw UsageError{QStringLiteral("sweep takes no file argument; use --config FILE")};
    }
    if (!args.value(QStringLiteral("config"))) {
        throw UsageError{QStringLiteral("sweep needs --config FILE")};
    }
    const bool simulated = args.flag(QStringLiteral("sim"));
    const std::optional<QString> generator = args.value(QStringLiteral("generator"));
    const bool manual = args.flag(QStringLiteral("manual"));
    if (generator && manual) {
        throw UsageError{QStringLiteral("--generator and --manual exclude each other")};
    }
    if (!simulated && !generator && !manual) {
        throw UsageError{QStringLiteral(
            "a sweep on a board needs its input: --generator HOST[:PORT] or --manual (only the "
            "simulated board, --sim, makes its own tone)")};
    }
    const auto fullScale = args.number(QStringLiteral("fullscale-dbm"), -200.0, 100.0);
    const bool calibrate = args.flag(QStringLiteral("calibrate"));
    if (generator && fullScale.has_value() == calibrate) {
        throw UsageError{QStringLiteral(
            "--generator needs the level that reads full scale: --fullscale-dbm DBM or "
            "--calibrate (one of them)")};
    }
    if (!generator) {
        for (const char* option : {"profile", "fullscale-dbm", "calibrate", "calibrate-dbm"}) {
            if (args.flag(QString::fromLatin1(option))) {
                throw UsageError{
                    QStringLiteral("--%1 goes with --generator").arg(QString::fromLatin1(option))};
            }
        }
    }
    rq::SweepDefinition definition;
    definition.frequencies = sweepList(args, "frequencies", true);
    definition.levels = sweepList(args, "levels", false);
    definition.records = args.integer(QStringLiteral("records"), 1, 100000).value_or(1);
    definition.averaged = args.flag(QStringLiteral("avg"));
    definition.coherent = args.flag(QStringLiteral("coherent"));
    if (const auto name = args.value(QStringLiteral("window"))) {
        const auto kind = rq::analysis::windowFromName(*name);
        if (!kind) {
            throw UsageError{QStringLiteral("--window: %1 is none of %2")
                                 .arg(*name, rq::analysis::windowNames())};
        }
        definition.window = *kind;
    }
    definition.fullScaleBits = args.integer(QStringLiteral("full-scale-bits"), 1, 24);
    definition.harmonics = args.integer(QStringLiteral("harmonics"), 2, 20).value_or(5);
    definition.settleMs = args.integer(QStringLiteral("settle"), 0, 3600000);
    const QString axisName =
        args.value(QStringLiteral("frequency-axis"))
            .value_or(args.value(QStringLiteral("frequencies"))->endsWith(QStringLiteral(":log"))
                          ? QStringLiteral("log")
                          : QStringLiteral("linear"));
    if (axisName != u"log" && axisName != u"linear") {
        throw UsageError{QStringLiteral("--frequency-axis takes log or linear")};
    }
    const bool logFrequency = axisName == u"log";
    const bool json = args.flag(QStringLiteral("json"));
    const std::optional<QString> csv = args.value(QStringLiteral("csv"));
    const std::optional<QString> plot = args.value(QStringLiteral("plot"));
    const std::optional<QString> pdf = args.value(QStringLiteral("pdf"));
    definition.device = rq::figures::deviceLines(
        args.value(QStringLiteral("serial")), args.value(QStringLiteral("operator")),
        args.value(QStringLiteral("temperature")), args.value(QStringLiteral("notes")));

    rq::SourceChoice choice;
    choice.settleMs = definition.settleMs;
    if (generator) {
        choice.kind = rq::SourceChoice::Kind::Generator;
        try {
            choice.generator.address = rq::generator::parseGeneratorAddress(*generator);
        } catch (const rq::NumberedError& e) {
            throw UsageError{QStringLiteral("--generator: ") + e.description()};
        }
        if (const auto profile = args.value(QStringLiteral("profile"))) {
            // A profile that does not read is a refused file.
            choice.generator.profile = rq::generator::readGeneratorProfile(*profile);
        }
        choice.generator.fullScaleDbm = fullScale;
        choice.generator.calibrationDbm =
            args.number(QStringLiteral("calibrate-dbm"), -200.0, 100.0).value_or(-10.0);
    } else if (manual) {
        choice.kind = rq::SourceChoice::Kind::Manual;
    }
    BoardSetup board(args, QStringLiteral("sweep"));
    if (csv) {
        // Written now, so that a file that cannot be written is refused before the board.
        try {
            rq::writeFileAtomically(*csv, sweepCsvHeader());
        } catch (const rq::NumberedError& e) {
            printNotWritten(*csv, e);
            setFailureFromLastMessage(e.number(), e.source());
            return ExitRefused;
        }
    }
    if (const int status = board.load(); status != ExitOk) {
        return status;
    }

    std::unique_ptr<rq::SignalSourceFactory> factory;
    if (board.simulated()) {
        factory = std::make_unique<rq::SimulatedSourceFactory>(
            *board.simBoard(), args.number(QStringLiteral("sim-fullscale-dbm"), -200.0, 100.0)
                                   .value_or(rq::SimulatedSourceFactory::DefaultFullScaleDbm));
    } else {
        factory = std::make_unique<rq::SignalSourceFactory>();
    }
    const std::unique_ptr<rq::SignalSource> source = factory->make(choice);

    rq::Analysers analysers;
    rq::ScreenlessView view(analysers, board.messages, board.boxes, board.yield);
    rq::AcquisitionSession session(board.state, view, board.comms.get());
    std::unique_ptr<rq::SweepRunner> runner;
    try {
        runner = std::make_unique<rq::SweepRunner>(session, board.state, *source, definition);
    } catch (const rq::NumberedError& e) {
        throw UsageError{e.description()};
    }
    std::unique_ptr<TerminalAnswers> answers;
    if (auto* hand = qobject_cast<rq::ManualSource*>(source.get())) {
        answers = std::make_unique<TerminalAnswers>(*hand);
    }

    int status = ExitOk;
    int signalNumber = 0;
    QEventLoop loop;
    QObject::connect(runner.get(), &rq::SweepRunner::calibrated, [&](double dbm) {
        printErr(
            QStringLiteral("calibration: %1 dBm reads full scale (0 dBFS) at %2")
                .arg(figureText(dbm, 2), frequencyText(runner->plan().points.front().frequency)));
    });
    QObject::connect(runner.get(), &rq::SweepRunner::pointMeasured, [&](const SweepPoint& p) {
        printOut(json ? sweepPointResult(p).toJson()
                      : pointText(p, int(runner->plan().points.size())));
        if (csv) {
            try {
                rq::writeFileAtomically(*csv, sweepCsv(runner->points()));
            } catch (const rq::NumberedError& e) {
                printNotWritten(*csv, e);
                setFailureFromLastMessage(e.number(), e.source());
                status = ExitRefused;
                runner->cancel(SweepEnd::Cancelled, lastErrorLine());
            }
        }
    });
    QObject::connect(runner.get(), &rq::SweepRunner::finished, &loop, &QEventLoop::quit);
    SignalWatch signals([&](int number) {
        signalNumber = number;
        runner->cancel(SweepEnd::Interrupted, number == SIGINT
                                                  ? QStringLiteral("interrupted (SIGINT)")
                                                  : QStringLiteral("terminated (SIGTERM)"));
    });
    runner->start();
    if (runner->running()) {
        loop.exec();
    }
    const SweepSummary& summary = runner->summary();
    Result summaryLine = sweepSummaryResult(summary);
    if (const auto& dbm = runner->calibratedFullScaleDbm()) {
        Result calibration;
        calibration.add(QStringLiteral("fullscale_dbm"), *dbm)
            .add(QStringLiteral("frequency_hz"), runner->plan().points.front().frequency);
        summaryLine.add(QStringLiteral("calibration"), calibration);
    }
    printOut(json ? summaryLine.toJson() : sweepSummaryText(summary));

    const auto attempt = [&](const std::optional<QString>& path,
                             const std::function<void(const QString&)>& write) {
        if (!writeOutput(path, write)) {
            setFailureFromLastMessage(rq::RuntimeError::PathFileAccess,
                                      QStringLiteral("rq3118ctl"));
            if (status == ExitOk) {
                status = ExitRefused;
            }
        }
    };
    attempt(plot,
            [&](const QString& path) { writeSweepPlots(path, *runner, summary, logFrequency); });
    attempt(pdf, [&](const QString& path) {
        SweepReport report;
        report.plan = runner->plan();
        report.points = runner->points();
        report.summary = summary;
        report.logFrequency = logFrequency;
        report.definition = runner->definitionLines();
        RecordSource recordSource = board.source(definition.records, definition.averaged);
        recordSource.title = QStringLiteral("sweep of %1")
                                 .arg(board.state.CurrentSettings.PartName.isEmpty()
                                          ? QStringLiteral("an unnamed part")
                                          : board.state.CurrentSettings.PartName);
        const std::unique_ptr<FigureRun> last = runner->reportRun(FigureRequest{});
        writeSweepReport(path, last.get(), recordSource, report);
    });

    if (status != ExitOk) {
        return status;
    }
    switch (summary.end) {
        case SweepEnd::Done:
            return ExitOk;
        case SweepEnd::BoardFault:
            printErr(summary.reason);
            setFailure(517, QStringLiteral("TakeSamples"),
                       summary.reason + QStringLiteral(": ") + board.messages.last);
            return ExitBoard;
        case SweepEnd::GeneratorFault:
            printErr(QStringLiteral("rq3118ctl: ") + summary.reason);
            setFailure(rq::RuntimeError::DeviceIo, QStringLiteral("generator"), summary.reason);
            return ExitInstrument;
        case SweepEnd::Interrupted:
            setFailure(rq::RuntimeError::InvalidCall, QStringLiteral("rq3118ctl"), summary.reason);
            return 128 + signalNumber;
        case SweepEnd::Cancelled:
            setFailure(rq::RuntimeError::InvalidCall, QStringLiteral("rq3118ctl"), summary.reason);
            return ExitCancelled;
    }
    return ExitOk;
}

}  // namespace rqctl
