#include "rq3118ctl/BoardSetup.h"

#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "board/WindowsVersion.h"
#include "common/BasicText.h"
#include "config/ConfigFile.h"
#include "config/ConfigurationLoad.h"
#include "config/FrequencyList.h"
#include "config/SetupRules.h"
#include "parport/PpdevPort.h"
#include "rq3118ctl/Commands.h"
#include "simboard/FaultSpec.h"
#include "simboard/SimBoard.h"
#include "state/RecordLength.h"

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
    if (const auto list = args.value(QStringLiteral("sim-harmonics"))) {
        c.harmonics.clear();
        if (*list != u"none") {
            for (const QString& item : list->split(u',')) {
                bool ok = false;
                const double dbc = item.trimmed().toDouble(&ok);
                if (!ok || !(dbc >= -300.0 && dbc <= 0.0) || c.harmonics.size() >= 20) {
                    throw UsageError{QStringLiteral(
                        "--sim-harmonics takes up to 20 levels in dBc from -300 to 0, joined "
                        "by commas, or none")};
                }
                c.harmonics.push_back(dbc);
            }
        }
    }
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

QList<Arguments::Option> boardOptions() {
    QList<Arguments::Option> options;
    for (const char* name : {"config", "samples", "rate", "port", "sim-tone", "sim-level",
                             "sim-noise", "sim-seed", "sim-bits", "sim-fault", "sim-missing-code",
                             "sim-wide-code", "sim-inl-bow", "sim-harmonics"}) {
        options << Arguments::Option{QString::fromLatin1(name), true};
    }
    for (const char* name : {"sim", "sim-twos", "sim-fast"}) {
        options << Arguments::Option{QString::fromLatin1(name), false};
    }
    return options;
}

BoardSetup::BoardSetup(const Arguments& args, const QString& command) : m_args(args) {
    const std::optional<QString> config = args.value(QStringLiteral("config"));
    if (!config) {
        throw UsageError{QStringLiteral("%1 needs --config FILE").arg(command)};
    }
    m_config = *config;
    if (const auto samples = args.integer(QStringLiteral("samples"), 256, 16384)) {
        const int16_t index = rq::recordLengthIndex(*samples);
        if (rq::recordLength(index) != *samples) {
            throw UsageError{
                QStringLiteral("--samples must be 256, 512, 1024, 2048, 4096, 8192 or 16384")};
        }
        m_samplesIndex = index;
    }
    m_rate = args.number(QStringLiteral("rate"));
    if (m_rate && !(*m_rate >= 1.0 && *m_rate <= 2147483647.0)) {
        throw UsageError{QStringLiteral("--rate must be a positive frequency in Hz")};
    }
    const bool simulated = args.flag(QStringLiteral("sim"));
    if (simulated && args.value(QStringLiteral("port"))) {
        throw UsageError{QStringLiteral("--sim and --port exclude each other")};
    }
    // The configuration is read first only to give the simulated converter its coding; the
    // program's own order (reset, then the file) follows in load().
    if (simulated) {
        rq::ProgramState probe;
        ConsoleMessageBoxes quiet;
        quiet.quiet = true;
        rq::LoadConfigFile(probe, m_config, quiet);
        m_simSettings = rqctl::simSettings(args, probe.CurrentSettings);
    }
}

BoardSetup::~BoardSetup() {
    if (m_port) {
        rq::ReleasePort(*m_port);
    }
}

int BoardSetup::load() {
    if (m_args.flag(QStringLiteral("sim"))) {
        auto sim = std::make_unique<rq::SimBoard>(m_simSettings);
        m_sim = sim.get();
        m_port = std::move(sim);
    } else {
        m_port = rq::makeSystemPort(m_args.value(QStringLiteral("port")).value_or(QString()));
    }
    timer = std::make_unique<rq::QtWatchdogTimer>([this] { state.TimedOut = true; });
    rq::InitialisePort(state, *m_port, boxes, rq::queryPlatformVersion());
    rq::PrepareControlRegister(state, *m_port);
    rq::applyStartValues(state);
    comms = std::make_unique<rq::CommsFunctions>(rq::linkStateOf(state), *m_port, yield, *timer,
                                                 messages, boxes);

    rq::ResetNotifications noWindows;
    ConsoleLoad host(state.CurrentSettings, m_samplesIndex, m_rate);
    rq::FrequencyList frequencies;
    const rq::ConfigurationLoadOutcome loaded =
        rq::loadConfiguration(state, *comms, m_config, frequencies, noWindows, host);
    if (!loaded.boardAnswered) {
        // The reset's own box has told why.
        setFailure(504, QStringLiteral("ResetBoard"), boxes.last);
        return ExitBoard;
    }
    if (!loaded.fileTaken()) {
        setFailure(configFailureNumber(boxes.last), QStringLiteral("LoadConfigFile"),
                   boxes.last.isEmpty() ? loaded.fileFailure : boxes.last);
        return ExitRefused;
    }
    if (const auto& refusal = loaded.frequencyRefusal) {
        setFailureFromLastMessage(refusal->number(), refusal->source());
        return ExitRefused;
    }
    if (!loaded.programRunning()) {
        // The box has been written to standard error; the failure keeps its lines.
        QString text = boxes.last;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const bool fileRefused = loaded.download == rq::DspResult::NoFile ||
                                 loaded.download == rq::DspResult::NotDspFile;
        setFailure(rq::programLoadErrorNumber(*loaded.download), QStringLiteral("LoadDSPProgram"),
                   text);
        return fileRefused ? ExitRefused : ExitBoard;
    }
    return ExitOk;
}

double BoardSetup::clockRate() const {
    const double actual = state.BoardClock.actualSampleRate();
    return actual > 0.0 ? actual : state.CurrentSettings.SampleFreq;
}

rq::figures::RecordSource BoardSetup::source(int records, bool averaged) const {
    const rq::Settings& s = state.CurrentSettings;
    const double clock = state.BoardClock.actualSampleRate();
    rq::figures::RecordSource source;
    source.title =
        QStringLiteral("capture of %1 (%2)")
            .arg(s.PartName.isEmpty() ? QStringLiteral("an unnamed part") : s.PartName, m_config);
    source.configuration
        << QStringLiteral("Part: %1").arg(s.PartName)
        << QStringLiteral("Configuration file: %1, DSP program %2").arg(m_config, s.EXEName)
        << (clock > 0.0 && clock != s.SampleFreq
                ? QStringLiteral("Sample frequency: %1 Hz asked, %2 Hz set (crystal / %3)")
                      .arg(s.SampleFreq)
                      .arg(clock, 0, 'f', 2)
                      .arg(qRound(state.BoardClock.CrystalFrequency() / clock))
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
    if (m_sim) {
        // The converter as it stands now: a sweep leaves the tone of its last point.
        const rq::ConverterSettings& c = m_sim->settings().converter;
        QString errors;
        if (c.missingCode >= 0) {
            errors += QStringLiteral(", code %1 missing")
                          .arg(m_args.value(QStringLiteral("sim-missing-code")).value());
        }
        if (c.wideCode >= 0) {
            errors += QStringLiteral(", code %1 twice as wide")
                          .arg(m_args.value(QStringLiteral("sim-wide-code")).value());
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
                                    .arg(m_args.value(QStringLiteral("port"))
                                             .value_or(QStringLiteral("/dev/parport0")));
    }
    return source;
}

}  // namespace rqctl
