// rq3118ctl: the evaluation software's checks, analysis and captures from a command line.
#include <QApplication>
#include <QCoreApplication>
#include <memory>

#include "common/NumberedError.h"
#include "rq3118ctl/Arguments.h"
#include "rq3118ctl/Commands.h"
#include "rq3118ctl/ConsoleHost.h"
#include "simboard/FaultSpec.h"

namespace {

QString helpText() {
    QString fault = rq::faultSpecHelp();
    fault.replace(u'\n', QStringLiteral("\n    "));
    return QStringLiteral(
               "Usage: rq3118ctl COMMAND [OPTIONS]\n"
               "\n"
               "Checks configuration and DSP program files, analyses raw sample data files and\n"
               "captures records from the Velmar Board (or the simulated board) as the RQ3118\n"
               "evaluation software does, without a screen. Results go to standard output, the\n"
               "message list's lines to standard error.\n"
               "\n"
               "Commands:\n"
               "  config FILE      what loading a configuration file gives (no board traffic)\n"
               "  dsp FILE         checks a DSP program file: result (0 good, 1 no file,\n"
               "                   2 not a valid DSP file) and its number of words\n"
               "  analyze FILE     analyses a raw sample data file: spectrum, SNR, THD, frequency\n"
               "                   and the code histogram\n"
               "  capture --config FILE\n"
               "                   resets the board, loads the configuration and its DSP program,\n"
               "                   captures and analyses records\n"
               "  report FILE --pdf OUT.pdf\n"
               "  report --config FILE --pdf OUT.pdf [capture options]\n"
               "                   a two-page PDF test report of a data file or of a capture:\n"
               "                   configuration and options, figures, harmonics and fits,\n"
               "                   time record, annotated spectrum, histogram, DNL and INL\n"
               "  sweep --config FILE --frequencies LIST --levels LIST [sweep options]\n"
               "                   SNR, SINAD, THD, SFDR, ENOB, H2 and H3 against the input's\n"
               "                   frequency and level, point by point\n"
               "\n"
               "Every command takes --json: one JSON object per result, one per line; a\n"
               "command that fails ends with {\"error\": {\"number\", \"source\", \"text\"},\n"
               "\"exit_status\"}.\n"
               "\n"
               "analyze options:\n"
               "  --rate HZ        sample frequency for the read-outs (default 100000)\n"
               "  --bits N         converter bits (default 12)\n"
               "  --twos           two's-complement codes (default straight binary)\n"
               "  --vmin V, --vmax V  input range for the volts conversion (default 0 and 5)\n"
               "\n"
               "analyze and capture options:\n"
               "  --no-window      no Blackman-Harris window\n"
               "  --dc-bins N      leading positions counted as DC (default 5)\n"
               "  --sig-bins N     half-width of the signal and harmonic windows (default 4)\n"
               "  --harms          count harmonics as noise in the SNR\n"
               "  --spectrum-out FILE  write the (last) spectrum as an FFT data file\n"
               "\n"
               "Converter figures (analyze, capture and report), IEEE Std 1241; beside the FFT\n"
               "panel's SNR and THD, which stay as they are:\n"
               "  --metrics        SNR, SINAD, THD, SFDR, ENOB, noise density and the harmonics\n"
               "  --window NAME    window of the figures' spectrum: bh4 (the panel's four-term\n"
               "                   Blackman-Harris, the default), bh7 (seven terms, for tones\n"
               "                   between bins), hann, flattop, none (coherent records); the\n"
               "                   default follows --no-window\n"
               "  --full-scale-bits N  full scale for dBFS and ENOB: a sine over 2^N codes\n"
               "                   (default the converter's bits)\n"
               "  --fit            three- and four-parameter sine fits; the three-parameter\n"
               "                   fit takes the tone's frequency as known: --fit-frequency,\n"
               "                   or in a simulated capture the simulated tone over the sample\n"
               "                   clock really set, or else the spectrum's estimate\n"
               "  --fit-frequency HZ  the tone's frequency, for the fit (over --rate)\n"
               "  --linearity sine|ramp  DNL, INL and missing codes from the code histogram of a\n"
               "                   sine or a ramp (or triangle); a capture pools its records\n"
               "  --avg            (capture) the figures take the power average of the spectra\n"
               "  --plot FILE      the spectrum with fundamental, harmonics, spur and figures\n"
               "  --plot-time FILE the record's first periods with the fit, and its residual\n"
               "  --plot-histogram FILE  the code histogram\n"
               "  --plot-linearity FILE  DNL and INL per code\n"
               "                   plots are PNG, or SVG or PDF by the file's extension\n"
               "  --spectrum-csv FILE  the spectrum as CSV: frequency_hz, dbfs\n"
               "  --pdf FILE       the test report (what report writes)\n"
               "  --serial TEXT, --operator TEXT, --temperature TEXT, --notes TEXT\n"
               "                   the device and the run, printed on the report when given\n"
               "  --limits FILE    pass/fail limits on the figures, one a line: NAME OP VALUE,\n"
               "                   NAME one of SNR, SINAD, THD, SFDR, ENOB, NOISE_DENSITY (any\n"
               "                   letter case, in the figure's unit: dB, dBc, bits, dBFS/Hz),\n"
               "                   OP one of >= <= > <; # starts a comment. Each figure gets a\n"
               "                   pass or fail mark and the result a verdict, PASS or FAIL; a\n"
               "                   figure that could not be measured fails its limit\n"
               "\n"
               "Every result carries \"warnings\": each with a code, a sentence and, where there\n"
               "is one, a count: clipping, no_tone, outside_bits, not_numbers, leakage, dc_lobe,\n"
               "masked_harmonic, codes_not_swept, few_samples_per_code. A warning never changes\n"
               "a figure; it says which figure not to trust.\n"
               "\n"
               "capture options:\n"
               "  --config FILE    the configuration file (required); its DSP program file is\n"
               "                   looked up in the current directory\n"
               "  --records K      records to capture (default 1)\n"
               "  --samples N      record length: 256, 512, ... 8192 or 16384\n"
               "  --rate HZ        sample frequency (limited to the part's maximum)\n"
               "  --out FILE       write the last record as a raw sample data file\n"
               "  --avg            average the spectra of the records\n"
               "  --port DEVICE    the printer port (default /dev/parport0)\n"
               "  --sim            the simulated board instead of a printer port\n"
               "  --sim-fast       simulated captures take no time\n"
               "  --sim-tone HZ    simulated tone frequency, 0 to 1e9 (default 10000)\n"
               "  --sim-level DBFS simulated tone level, -300 to 40 (default -1)\n"
               "  --sim-noise LSB  simulated noise, rms, 0 to 1e6 (default 0.5)\n"
               "  --sim-seed N     seed of the simulated records (default 1)\n"
               "  --sim-bits N, --sim-twos\n"
               "                   simulated converter coding (default: as the configuration)\n"
               "  --sim-missing-code K  simulated converter never gives code K (as the record\n"
               "                   numbers codes); its width goes to the code above\n"
               "  --sim-wide-code K  code K twice as wide as the others\n"
               "  --sim-inl-bow LSB  transitions bent along a parabola, LSB at mid-scale\n"
               "  --sim-harmonics LIST  simulated harmonics in dBc, the 2nd first, joined by\n"
               "                   commas, or none (default -75,-80)\n"
               "  --sim-fault SPEC simulated board faults, items joined by commas:\n"
               "    ") +
           fault +
           QStringLiteral(
               "\n"
               "\n"
               "sweep options (and --config, --samples, --rate, --port, --sim and the --sim-\n"
               "options of capture):\n"
               "  --frequencies LIST  input frequencies in Hz: a:b:n (n points, linear),\n"
               "                   a:b:n:log, or a comma list; one value fixes the frequency\n"
               "  --levels LIST    input levels in dBFS: a:b:n or a comma list\n"
               "                   (--levels=-40:-1:40 and --levels -40:-1:40 both work);\n"
               "                   with both lists longer than one the sweep is a grid,\n"
               "                   frequency the outer loop\n"
               "  --records R      records per point (default 1); --avg averages their power\n"
               "                   spectra, otherwise the last record is measured\n"
               "  --coherent       each frequency moved to the nearest odd number of cycles\n"
               "                   in the record, at the sample clock really set\n"
               "  --window NAME    bh4 (default), bh7, hann, flattop, none\n"
               "  --full-scale-bits N, --harmonics N (THD over H2 to H(N+1), default 5)\n"
               "  --generator HOST[:PORT]  a signal generator speaking SCPI over TCP (port\n"
               "                   5025 by default): *IDN?, then per point frequency, level\n"
               "                   and output on, each checked with SYST:ERR?\n"
               "  --profile FILE   the generator's commands, lines KEY=TEMPLATE for idn,\n"
               "                   freq (SOUR:FREQ {hz}), level (SOUR:POW {dbm}), output_on,\n"
               "                   error_query and terminator\n"
               "  --fullscale-dbm DBM  the generator level that reads 0 dBFS, or\n"
               "  --calibrate      measure it first, at --calibrate-dbm DBM (default -10)\n"
               "                   and the first frequency\n"
               "  --settle MS      wait after setting each point (default 200 with a\n"
               "                   generator, 0 otherwise)\n"
               "  --manual         the user sets the generator: a prompt per point on\n"
               "                   standard error, Enter goes on\n"
               "  --sim-fullscale-dbm DBM  with --sim and a generator (or --manual), the\n"
               "                   simulated converter follows the generator's frequency\n"
               "                   and level; this level reads 0 dBFS on it (default 10)\n"
               "  --csv FILE       one row per point, rewritten whole after each point\n"
               "  --plot FILE      SNR, SINAD, SFDR and ENOB against each swept axis (PNG,\n"
               "                   SVG or PDF); --frequency-axis log|linear (default: log\n"
               "                   for a :log list)\n"
               "  --pdf FILE       the test report of the last point with a Sweep section;\n"
               "                   --serial, --operator, --temperature, --notes as for report\n"
               "  --json           one JSON line per point as it is measured, then a summary\n"
               "The points measured are kept when the sweep ends early: Ctrl+C (SIGINT),\n"
               "SIGTERM, a board or generator fault; the CSV, plots and report hold them.\n"
               "\n"
               "Exit status: 0 success, 1 usage error, 2 refused file (a bad limits file\n"
               "included) or a file that could not be written, 3 board failure, 4 a limit\n"
               "failed (a board failure comes first), 5 the signal generator failed, 6 a\n"
               "sweep cancelled (standard input closed at a manual prompt), 130 and 143 a\n"
               "sweep ended by SIGINT or SIGTERM.\n");
}

// Plots and reports are drawn with widgets that are never shown: they need a QApplication,
// which on a machine without a screen needs the offscreen platform.
bool drawing(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if ((i == 1 && a == "report") || a.startsWith("--plot") || a.startsWith("--pdf")) {
            return true;
        }
    }
    return false;
}

// Runs one command; a failure that escapes it is told on standard error and kept for the JSON
// error line.
int runCommand(const QString& command, const QStringList& args) {
    try {
        if (args.contains(QStringLiteral("--help"))) {
            rqctl::printOut(helpText());
            return rqctl::ExitOk;
        }
        if (command == u"config") {
            return rqctl::runConfig(args);
        }
        if (command == u"dsp") {
            return rqctl::runDsp(args);
        }
        if (command == u"analyze") {
            return rqctl::runAnalyze(args);
        }
        if (command == u"capture") {
            return rqctl::runCapture(args);
        }
        if (command == u"report") {
            return rqctl::runReport(args);
        }
        if (command == u"sweep") {
            return rqctl::runSweep(args);
        }
        throw rqctl::UsageError{QStringLiteral("unknown command ") + command};
    } catch (const rqctl::UsageError& e) {
        rqctl::printErr(QStringLiteral("rq3118ctl: ") + e.text +
                        QStringLiteral(" (see rq3118ctl --help)"));
        rqctl::setFailure(rq::RuntimeError::InvalidCall, QStringLiteral("rq3118ctl"), e.text);
        return rqctl::ExitUsage;
    } catch (const rq::NumberedError& e) {
        rqctl::printErr(
            QStringLiteral("rq3118ctl: error %1: %2").arg(e.number()).arg(e.description()));
        rqctl::setFailure(e.number(), e.source(), e.description());
        return rqctl::ExitRefused;
    }
}

// What a failure nobody named is taken for: the line last written to standard error, under the
// number its exit status most often means.
rqctl::Failure unnamedFailure(int status) {
    const int number = status == rqctl::ExitUsage   ? rq::RuntimeError::InvalidCall
                       : status == rqctl::ExitBoard ? 517
                                                    : rq::RuntimeError::PathFileAccess;
    return {number, QStringLiteral("rq3118ctl"), rqctl::lastErrorLine()};
}

}  // namespace

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> application;
    if (drawing(argc, argv)) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application = std::make_unique<QApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("rq3118ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RQ3118_VERSION));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        rqctl::printErr(QStringLiteral("rq3118ctl: no command (see rq3118ctl --help)"));
        return rqctl::ExitUsage;
    }
    // Asked for JSON wherever it stands, so that even a misspelt command answers in JSON.
    const bool json = args.contains(QStringLiteral("--json"));
    const QString command = args.takeFirst();
    if (command == u"--help" || command == u"-h" || command == u"help") {
        rqctl::printOut(helpText());
        return rqctl::ExitOk;
    }
    if (command == u"--version") {
        rqctl::printOut(QStringLiteral("rq3118ctl " RQ3118_VERSION));
        return rqctl::ExitOk;
    }
    const int status = runCommand(command, args);
    if (status != rqctl::ExitOk && json) {
        rqctl::printOut(
            rqctl::failureJson(rqctl::takeFailure().value_or(unnamedFailure(status)), status));
    }
    return status;
}
