#include "rq3118ctl/Figures.h"

#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "figures/Plots.h"
#include "figures/Report.h"
#include "figures/ReportFields.h"
#include "rq3118ctl/ConsoleHost.h"

namespace rqctl {

using namespace rq::analysis;
using namespace rq::figures;

QList<Arguments::Option> figureOptions() {
    QList<Arguments::Option> options;
    for (const char* name : {"metrics", "fit"}) {
        options << Arguments::Option{QString::fromLatin1(name), false};
    }
    for (const char* name :
         {"linearity", "window", "full-scale-bits", "plot", "plot-time", "plot-histogram",
          "plot-linearity", "spectrum-csv", "pdf", "fit-frequency", "limits", "serial", "operator",
          "temperature", "notes"}) {
        options << Arguments::Option{QString::fromLatin1(name), true};
    }
    return options;
}

FigureRequest figureRequest(const Arguments& args, bool panelWindowing) {
    FigureRequest r;
    r.metrics = args.flag(QStringLiteral("metrics"));
    r.fit = args.flag(QStringLiteral("fit"));
    if (const auto input = args.value(QStringLiteral("linearity"))) {
        if (*input == u"sine") {
            r.linearity = LinearityInput::Sine;
        } else if (*input == u"ramp" || *input == u"triangle") {
            r.linearity = LinearityInput::Ramp;
        } else {
            throw UsageError{QStringLiteral("--linearity takes sine or ramp, not %1").arg(*input)};
        }
    }
    r.window = panelWindowing ? WindowKind::PanelBlackmanHarris : WindowKind::None;
    if (const auto name = args.value(QStringLiteral("window"))) {
        const std::optional<WindowKind> kind = windowFromName(*name);
        if (!kind) {
            throw UsageError{
                QStringLiteral("--window: %1 is none of %2").arg(*name, windowNames())};
        }
        r.window = *kind;
    }
    r.fullScaleBits = args.integer(QStringLiteral("full-scale-bits"), 1, 24);
    r.plot = args.value(QStringLiteral("plot"));
    r.plotTime = args.value(QStringLiteral("plot-time"));
    r.plotHistogram = args.value(QStringLiteral("plot-histogram"));
    r.plotLinearity = args.value(QStringLiteral("plot-linearity"));
    r.spectrumCsv = args.value(QStringLiteral("spectrum-csv"));
    r.pdf = args.value(QStringLiteral("pdf"));
    r.fitFrequency = args.number(QStringLiteral("fit-frequency"));
    if (r.fitFrequency && !(*r.fitFrequency > 0.0)) {
        throw UsageError{QStringLiteral("--fit-frequency must be a positive frequency in Hz")};
    }
    r.device =
        deviceLines(args.value(QStringLiteral("serial")), args.value(QStringLiteral("operator")),
                    args.value(QStringLiteral("temperature")), args.value(QStringLiteral("notes")));
    if (const auto path = args.value(QStringLiteral("limits"))) {
        // A bad limits file is a refused file, named with its line.
        r.limits = readLimits(*path);
        r.limitsGiven = true;
    }
    return r;
}

int limitsStatus(const FigureRun& run) {
    const QString text = limitsFailure(run);
    if (text.isEmpty()) {
        return ExitOk;
    }
    printErr(text);
    setFailure(rq::RuntimeError::InvalidCall, QStringLiteral("Limits"), text);
    return ExitLimits;
}

bool writeOutput(const std::optional<QString>& path,
                 const std::function<void(const QString&)>& write) {
    if (!path) {
        return true;
    }
    try {
        write(*path);
        return true;
    } catch (const rq::NumberedError& e) {
        printNotWritten(*path, e);
        return false;
    }
}

bool writeOutputs(const FigureRun& run, const RecordSource& source) {
    bool ok = true;
    const auto attempt = [&](const std::optional<QString>& path,
                             const std::function<void(const QString&)>& write) {
        ok = writeOutput(path, write) && ok;
    };
    const auto needSpectrum = [&]() {
        if (!run.figures()) {
            throw rq::NumberedError(rq::RuntimeError::InvalidCall, QStringLiteral("rq3118ctl"),
                                    QStringLiteral("no spectrum: ") + run.spectrumError());
        }
    };
    attempt(run.request().spectrumCsv, [&](const QString& path) {
        needSpectrum();
        rq::writeFileAtomically(path, spectrumCsv(*run.spectrum(), run.options()));
    });
    attempt(run.request().plot, [&](const QString& path) {
        needSpectrum();
        savePlot(path, [&](QCustomPlot& plot) { drawSpectrum(plot, run, source); });
    });
    attempt(run.request().plotTime, [&](const QString& path) {
        savePlot(path, [&](QCustomPlot& plot) { drawTime(plot, run, source); });
    });
    attempt(run.request().plotHistogram, [&](const QString& path) {
        savePlot(path, [&](QCustomPlot& plot) { drawHistogram(plot, run, source); });
    });
    attempt(run.request().plotLinearity, [&](const QString& path) {
        if (!run.linearity()) {
            throw rq::NumberedError(rq::RuntimeError::InvalidCall, QStringLiteral("rq3118ctl"),
                                    QStringLiteral("no linearity: ") + run.linearityError());
        }
        savePlot(path, [&](QCustomPlot& plot) { drawLinearity(plot, run, source); });
    });
    attempt(run.request().pdf, [&](const QString& path) { writeReport(path, run, source); });
    return ok;
}

}  // namespace rqctl
