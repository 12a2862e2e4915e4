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
               "  --sim-fault SPEC simulated board faults, items joined by commas:\n"
               "    ") +
           fault +
           QStringLiteral(
               "\n"
               "\n"
               "Exit status: 0 success, 1 usage error, 2 refused file (a bad limits file\n"
               "included), 3 board failure, 4 a limit failed (a board failure comes first).\n");
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
