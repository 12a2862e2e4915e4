// capture: what a user does in the windows, from reset to analysed records, without a screen.
#include <QCoreApplication>
#include <memory>

#include "acquire/AcquisitionSession.h"
#include "acquire/Conversion.h"
#include "acquire/DataFiles.h"
#include "acquire/ScreenlessView.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "board/WindowsVersion.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "common/QtHost.h"
#include "config/ConfigFile.h"
#include "config/ConfigurationLoad.h"
#include "config/FrequencyList.h"
#include "config/SetupRules.h"
#include "parport/PpdevPort.h"
#include "rq3118ctl/AnalysisResult.h"
#include "rq3118ctl/Arguments.h"
#include "rq3118ctl/Commands.h"
#include "rq3118ctl/ConsoleHost.h"
#include "rq3118ctl/Figures.h"
#include "simboard/FaultSpec.h"
#include "simboard/SimBoard.h"

namespace rqctl {
namespace {

// A load without a screen: it ends at a reset the board did not answer, and says why a file
// or a frequency was refused on standard error, where the message list goes.
class ConsoleLoad : public rq::ConfigurationLoadHost {
public:
    ConsoleLoad(const rq::Settings& settings, std::optional<int16_t> samplesIndex,
                std::optional<double> rate)
        : m_settings(settings), m_samplesIndex(samplesIndex), m_rate(rate) {}

    bool goOnWithoutBoard() override { return false; }
    void configurationRefused(const QString& failure) override {
        if (!failure.isEmpty()) {
            printErr(failure);
        }
    }
    void configurationRead(rq::Settings& s) override {
        if (m_samplesIndex) {
            s.NumberOfSamples = *m_samplesIndex;
        }
        if (m_rate) {
            s.SampleFreq = rq::toInt32(*m_rate);
        }
    }
    void frequencyChosen(const rq::NumberedError* refusal) override {
        if (refusal != nullptr) {
            printErr(QStringLiteral("The sample frequency %1 Hz cannot be used: %2")
                         .arg(m_settings.SampleFreq)
                         .arg(refusal->description()));
        }
    }

private:
    // A refused frequency is left in the settings.
    const rq::Settings& m_settings;
    std::optional<int16_t> m_samplesIndex;
    std::optional<double> m_rate;
};

rq::SimBoardSettings simSettings(const Arguments& args, const rq::Settings& configured) {
    rq::SimBoardSettings sim;
    sim.immediateCapture = args.flag(QStringLiteral("sim-fast"));
    rq::ConverterSettings& c = sim.converter;
    // The simulated converter is the part the configuration describes, unless told otherwise.
    const bool explicitCoding =
        args.value(QStringLiteral("sim-bits")) || args.flag(QStringLiteral("sim-twos"));
    if (explicitCoding) {
        c.bits = args.integer(QStringLiteral("sim-bits"), 1, 16).value_or(12);
        c.twosComplement = args.flag(QStringLiteral("sim-twos"));
    } else if (configured.NumberOfBits >= 1 && configured.NumberOfBits <= 16) {
        c.bits = configured.NumberOfBits;
        c.twosComplement = configured.DataFormat == 1;
    }
    // Bounded so that the model stays finite: a level of thousands of dBFS would make the tone
    // infinite and its samples undefined.
    c.toneFrequency = args.number(QStringLiteral("sim-tone"), 0.0, 1e9).value_or(c.toneFrequency);
    c.toneLevel = args.number(QStringLiteral("sim-level"), -300.0, 40.0).value_or(c.toneLevel);
    c.noiseRms = args.number(QStringLiteral("sim-noise"), 0.0, 1e6).value_or(c.noiseRms);
    if (const auto seed = args.integer(QStringLiteral("sim-seed"), 0, 2147483647)) {
        c.seed = static_cast<uint64_t>(*seed);
    }
    // Static errors, given as codes the way the records number them.
    const int lowest = c.twosComplement ? -(1 << (c.bits - 1)) : 0;
    const int highest = lowest + (1 << c.bits) - 1;
    const auto code = [&](const char* option) {
        if (c.bits < 3) {
            if (args.value(QString::fromLatin1(option))) {
                throw UsageError{QStringLiteral("--%1 needs a converter of 3 bits or more")
                                     .arg(QString::fromLatin1(option))};
            }
            return -1;
        }
        const auto k = args.integer(QString::fromLatin1(option), lowest + 1, highest - 1);
        return k ? *k - lowest : -1;
    };
    c.missingCode = code("sim-missing-code");
    c.wideCode = code("sim-wide-code");
    c.inlBow = args.number(QStringLiteral("sim-inl-bow"), -1000.0, 1000.0).value_or(0.0);
    if (const auto spec = args.value(QStringLiteral("sim-fault"))) {
        QString error;
        const std::optional<rq::SimBoardFaults> faults = rq::parseFaultSpec(*spec, &error);
        if (!faults) {
            throw UsageError{QStringLiteral("--sim-fault: ") + error};
        }
        sim.faults = *faults;
    }
    return sim;
}

// The supplies the configuration switched, as the setup window's switches show them.
QString supplyLine(const rq::Latch& latch) {
    const auto on = [](bool b) { return b ? QStringLiteral("on") : QStringLiteral("off"); };
    return QStringLiteral("Supplies: \u00b115 V %1, DVDD %2 V %3, AVDD %4 V %5, bus %6")
        .arg(on(latch.HiSupply()), latch.DVDD() ? QStringLiteral("5") : QStringLiteral("3.3"),
             on(latch.DigiON_OFF()), latch.AVDD() ? QStringLiteral("5") : QStringLiteral("3.3"),
             on(latch.AVDD_On_Off()), on(latch.ENA_QS()));
}

}  // namespace

int runCapture(const QStringList& argv) {
    QList<Arguments::Option> options = analysisOptions() + figureOptions();
    for (const char* name : {"config", "records", "samples", "rate", "out", "port", "sim-tone",
                             "sim-level", "sim-noise", "sim-seed", "sim-bits", "sim-fault",
                             "sim-missing-code", "sim-wide-code", "sim-inl-bow"}) {
        options << Arguments::Option{QString::fromLatin1(name), true};
    }
    for (const char* name : {"avg", "sim", "sim-twos", "sim-fast"}) {
        options << Arguments::Option{QString::fromLatin1(name), false};
    }
    const Arguments args(argv, options);
    if (!args.positional().isEmpty()) {
        throw UsageError{QStringLiteral("capture takes no file argument; use --config FILE")};
    }
    const std::optional<QString> config = args.value(QStringLiteral("config"));
    if (!config) {
        throw UsageError{QStringLiteral("capture needs --config FILE")};
    }
    const int records = args.integer(QStringLiteral("records"), 1, 1000000).value_or(1);
    std::optional<int16_t> samplesIndex;
    if (const auto samples = args.integer(QStringLiteral("samples"), 256, 16384)) {
        const int16_t index = rq::recordLengthIndex(*samples);
        if (rq::recordLength(index) != *samples) {
            throw UsageError{
                QStringLiteral("--samples must be 256, 512, 1024, 2048, 4096, 8192 or 16384")};
        }
        samplesIndex = index;
    }
    const std::optional<double> rate = args.number(QStringLiteral("rate"));
    if (rate && !(*rate >= 1.0 && *rate <= 2147483647.0)) {
        throw UsageError{QStringLiteral("--rate must be a positive frequency in Hz")};
    }
    const bool simulated = args.flag(QStringLiteral("sim"));
    if (simulated && args.value(QStringLiteral("port"))) {
        throw UsageError{QStringLiteral("--sim and --port exclude each other")};
    }
    const bool json = args.flag(QStringLiteral("json"));
    // Refused here, before any board traffic, like every other usage error.
    const FigureRequest request = figureRequest(args, !args.flag(QStringLiteral("no-window")));

    rq::ProgramState state;
    ConsoleMessageList messages;
    ConsoleMessageBoxes boxes;
    rq::EventLoopYield yield;
    rq::QtWatchdogTimer timer([&state] { state.TimedOut = true; });

    // The configuration is read first only to give the simulated converter its coding; the
    // program's own order (reset, then the file) follows below.
    rq::Settings configured;
    if (simulated) {
        rq::ProgramState probe;
        ConsoleMessageBoxes quiet;
        quiet.quiet = true;
        rq::LoadConfigFile(probe, *config, quiet);
        configured = probe.CurrentSettings;
    }
    std::unique_ptr<rq::ParallelPortLibrary> port;
    if (simulated) {
        port = std::make_unique<rq::SimBoard>(simSettings(args, configured));
    } else {
        port = rq::makeSystemPort(args.value(QStringLiteral("port")).value_or(QString()));
    }

    rq::InitialisePort(state, *port, boxes, rq::queryPlatformVersion());
    rq::PrepareControlRegister(state, *port);
    rq::applyStartValues(state);
    rq::CommsFunctions comms(rq::linkStateOf(state), *port, yield, timer, messages, boxes);

    const auto finish = [&](int status) {
        rq::ReleasePort(*port);
        return status;
    };

    rq::ResetNotifications noWindows;
    ConsoleLoad host(state.CurrentSettings, samplesIndex, rate);
    rq::FrequencyList frequencies;
    const rq::ConfigurationLoadOutcome loaded =
        rq::loadConfiguration(state, comms, *config, frequencies, noWindows, host);
    rq::Settings& s = state.CurrentSettings;
    if (!loaded.boardAnswered) {
        // The reset's own box has told why.
        setFailure(504, QStringLiteral("ResetBoard"), boxes.last);
        return finish(ExitBoard);
    }
    if (!loaded.fileTaken()) {
        setFailure(configFailureNumber(boxes.last), QStringLiteral("LoadConfigFile"),
                   boxes.last.isEmpty() ? loaded.fileFailure : boxes.last);
        return finish(ExitRefused);
    }
    if (const auto& refusal = loaded.frequencyRefusal) {
        setFailureFromLastMessage(refusal->number(), refusal->source());
        return finish(ExitRefused);
    }
    if (!loaded.programRunning()) {
        // The box has been written to standard error; the failure keeps its lines.
        QString text = boxes.last;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const bool fileRefused = loaded.download == rq::DspResult::NoFile ||
                                 loaded.download == rq::DspResult::NotDspFile;
        setFailure(rq::programLoadErrorNumber(*loaded.download), QStringLiteral("LoadDSPProgram"),
                   text);
        return finish(fileRefused ? ExitRefused : ExitBoard);
    }

    rq::Analysers analysers;
    configureAnalysers(args, analysers);
    const bool averaged = args.flag(QStringLiteral("avg"));
    if (averaged) {
        analysers.fft.setAveraging(true);
    }
    // The figures take the rate the board really samples at, crystal over period, not the
    // frequency asked for.
    const double clockRate = state.BoardClock.actualSampleRate();
    FigureRun figures(request, s.NumberOfBits, s.DataFormat == 1,
                      clockRate > 0.0 ? clockRate : s.SampleFreq);
    if (simulated && !request.fitFrequency && clockRate > 0.0) {
        figures.setKnownFrequency(simSettings(args, configured).converter.toneFrequency / clockRate,
                                  QStringLiteral("simulated"));
    }
    if (simulated) {
        figures.setKnownLevel(simSettings(args, configured).converter.toneLevel);
    }
    rq::ScreenlessView view(analysers, messages, boxes, yield);
    rq::AcquisitionSession session(state, view, &comms);
    for (int k = 1; k <= records; ++k) {
        if (!session.TakeSamples()) {
            setFailure(517, QStringLiteral("TakeSamples"),
                       QStringLiteral("record %1: %2").arg(k).arg(messages.last));
            return finish(ExitBoard);
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
        return finish(ExitRefused);
    }
    RecordSource source;
    source.title =
        QStringLiteral("capture of %1 (%2)")
            .arg(s.PartName.isEmpty() ? QStringLiteral("an unnamed part") : s.PartName, *config);
    source.configuration
        << QStringLiteral("Part: %1").arg(s.PartName)
        << QStringLiteral("Configuration file: %1, DSP program %2").arg(*config, s.EXEName)
        << (clockRate > 0.0 && clockRate != s.SampleFreq
                ? QStringLiteral("Sample frequency: %1 Hz asked, %2 Hz set (crystal / %3)")
                      .arg(s.SampleFreq)
                      .arg(clockRate, 0, 'f', 2)
                      .arg(qRound(state.BoardClock.CrystalFrequency() / clockRate))
                : QStringLiteral("Sample frequency: %1 Hz").arg(s.SampleFreq))
        << QStringLiteral("Record length: %1 samples, %2 record%3%4")
               .arg(state.Record.SampleData.size())
               .arg(records)
               .arg(records == 1 ? QString() : QStringLiteral("s"))
               .arg(averaged ? QStringLiteral(", spectra averaged") : QString())
        << QStringLiteral("Converter: %1 bits, %2")
               .arg(s.NumberOfBits)
               .arg(s.DataFormat == 1 ? QStringLiteral("two's complement")
                                      : QStringLiteral("straight binary"))
        << QStringLiteral("Input range: %1 to %2 V")
               .arg(rq::formatGeneral(s.InputVMin), rq::formatGeneral(s.InputVMax))
        << supplyLine(state.BoardLatch);
    if (simulated) {
        const rq::ConverterSettings c = simSettings(args, configured).converter;
        QString errors;
        if (c.missingCode >= 0) {
            errors += QStringLiteral(", code %1 missing")
                          .arg(args.value(QStringLiteral("sim-missing-code")).value());
        }
        if (c.wideCode >= 0) {
            errors += QStringLiteral(", code %1 twice as wide")
                          .arg(args.value(QStringLiteral("sim-wide-code")).value());
        }
        if (c.inlBow != 0.0) {
            errors += QStringLiteral(", INL bow %1 LSB").arg(rq::formatGeneral(c.inlBow));
        }
        source.configuration << QStringLiteral(
                                    "Board: simulated; tone %1 Hz at %2 dBFS, noise %3 LSB rms, "
                                    "seed %4%5")
                                    .arg(rq::formatGeneral(c.toneFrequency),
                                         rq::formatGeneral(c.toneLevel),
                                         rq::formatGeneral(c.noiseRms))
                                    .arg(c.seed)
                                    .arg(errors);
    } else {
        source.configuration << QStringLiteral("Board: on printer port %1")
                                    .arg(args.value(QStringLiteral("port"))
                                             .value_or(QStringLiteral("/dev/parport0")));
    }
    if (!writeOutputs(figures, source)) {
        setFailureFromLastMessage(rq::RuntimeError::PathFileAccess, QStringLiteral("rq3118ctl"));
        return finish(ExitRefused);
    }
    return finish(limitsStatus(figures));
}

}  // namespace rqctl
