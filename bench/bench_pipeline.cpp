// Continuous sampling as users watch it: "Sample" on the real main window (offscreen) against
// the simulated board with immediate captures, with every yield and redraw in place, and the
// turn of the event loop the continuous run takes after each record (where the charts paint).
// The counters split the time per record into transfer, analysis and drawing (the rest:
// painting, the message list and the buttons). A second case runs the same with the converter
// figures window open, following every record as it does in a continuous run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

#include "ExampleLoad.h"
#include "acquire/Conversion.h"
#include "acquire/frmMainScreen.h"
#include "common/HostInterfaces.h"
#include "config/ConfigurationLoad.h"
#include "config/FrequencyList.h"
#include "config/SettingsStore.h"
#include "figurewindow/FiguresWindow.h"
#include "simboard/SimBoard.h"

namespace {

class NoBoxes : public rq::MessageBoxes {
public:
    rq::MsgResult show(const QString&, const QString&, rq::MsgIcon, rq::MsgButtons) override {
        return rq::MsgResult::Ok;
    }
};
class NoDialogs : public rq::FileDialogs {
public:
    std::optional<QString> openFile(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, bool) override { return {}; }
};
class NoBeep : public rq::Beeper {
public:
    void beep() override {}
};

void takeSamples(benchmark::State& bench, bool figuresWindow) {
    const int samples = static_cast<int>(bench.range(0));
    rq::SimBoardSettings sim;
    sim.immediateCapture = true;
    rq::SimBoard board(sim);
    QTemporaryDir dir;
    rq::QSettingsStore store(dir.path());
    rq::ProgramState state;
    state.commandLine = rq::CommandLine(QStringLiteral("/SIM"));
    NoBoxes boxes;
    NoDialogs dialogs;
    NoBeep beep;
    rq::frmMainScreen::Environment env;
    env.state = &state;
    env.port = &board;
    env.store = &store;
    env.platform.platformId = rq::PlatformVersion::Linux;
    env.simulated = true;
    env.boxes = &boxes;
    env.dialogs = &dialogs;
    env.beeper = &beep;
    rq::frmMainScreen window(env);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        bench.SkipWithError("the window did not show");
        return;
    }
    // The setup window's Load, of the example configuration and program.
    ExampleLoad example(rq::recordLengthIndex(samples));
    rq::FrequencyList frequencies;
    if (!rq::loadConfiguration(state, window.comms(), QStringLiteral(RQ_EXAMPLES_DIR "/RQ3118.CFG"),
                               frequencies, window, example)
             .programRunning()) {
        bench.SkipWithError("the program did not download");
        return;
    }
    window.enableCaptureButtons();
    std::unique_ptr<rq::FiguresWindow> figures;
    if (figuresWindow) {
        figures = std::make_unique<rq::FiguresWindow>(window.session(), state, store);
        figures->show();
        if (!QTest::qWaitForWindowExposed(figures.get())) {
            bench.SkipWithError("the figures window did not show");
            return;
        }
        // The records come as a continuous run's: its throttles apply.
        figures->runStarted();
    }

    double transfer = 0, analysis = 0, drawing = 0;
    for (auto _ : bench) {
        window.cmdSample_Click();
        QCoreApplication::processEvents();  // the continuous run's turn: the charts paint here
        const auto& t = window.lastCaptureTimings();
        transfer += t.transfer;
        analysis += t.analysis;
        drawing += t.drawing;
    }
    const double n = static_cast<double>(bench.iterations());
    bench.counters["transfer_ms"] = 1e3 * transfer / n;
    bench.counters["analysis_ms"] = 1e3 * analysis / n;
    bench.counters["drawing_ms"] = 1e3 * drawing / n;
    bench.counters["records_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
    bench.SetItemsProcessed(bench.iterations());
    if (figures) {
        figures->runEnded();
    }
}

void BM_TakeSamples(benchmark::State& bench) {
    takeSamples(bench, false);
}
BENCHMARK(BM_TakeSamples)
    ->Arg(256)
    ->Arg(1024)
    ->Arg(8192)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_TakeSamplesWithFiguresWindow(benchmark::State& bench) {
    takeSamples(bench, true);
}
BENCHMARK(BM_TakeSamplesWithFiguresWindow)
    ->Arg(1024)
    ->Arg(8192)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The offscreen platform says at every window that it keeps no size hints.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtWarningMsg || !text.contains(QStringLiteral("propagateSizeHints"))) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
