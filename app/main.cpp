// RQ3118 evaluation software: the main window on a printer port, or on the simulated board with
// "/SIM". Creating the window runs the start-up; closing it ends the program.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "acquire/frmMainScreen.h"
#include "board/WindowsVersion.h"
#include "config/SettingsStore.h"
#include "figurewindow/FiguresWindow.h"
#include "host/DesignFont.h"
#include "parport/PpdevPort.h"
#include "simboard/SimBoard.h"
#include "simulated/SimBoardMenu.h"
#include "simulated/SimulatedSignalSource.h"
#include "state/CommandLine.h"
#include "state/ProgramState.h"
#include "sweepwindow/SweepWindow.h"

namespace {

constexpr const char* kHelp =
    "Usage: rq3118 [SWITCH]...\n"
    "\n"
    "The RQ3118 evaluation software: resets the converter board on the printer port, loads a\n"
    "configuration and its DSP program, captures records and shows each as a time trace, an\n"
    "FFT spectrum with SNR, THD and frequency, and a histogram of output codes.\n"
    "\n"
    "The setup window lists the configuration files (*.CFG) of the current folder, and a\n"
    "configuration's DSP program is looked up there too.\n"
    "\n"
    "Switches are found anywhere in the command line, in any letter case:\n"
    "  /SIM      use the simulated board instead of a printer port\n"
    "  /SS       show the operating system and the port address at start-up\n"
    "  /E        echo every command sent to the board in the message list\n"
    "  /GET      restore the window position and configuration saved by /SAVE\n"
    "  /SAVE     save the window position and configuration at exit\n"
    "  /DEL      delete the saved position and configuration at exit\n"
    "  /T:N      set the kept time-out value to N\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "The printer port is /dev/parport0, through the kernel's ppdev driver; the user needs to\n"
    "be in the device's group (lp). rq3118-desktop starts the program in ~/RQ3118, made with a\n"
    "copy of the examples the first time.\n";

}  // namespace

int main(int argc, char* argv[]) {
    // The only arguments read before the window: the switches of the program's own command
    // line never start with two dashes.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("rq3118 %s\n", RQ3118_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RQ3118"));
    QApplication::setApplicationVersion(QStringLiteral(RQ3118_VERSION));
    rq::host::installFontSubstitutions();
    QApplication::setFont(rq::host::designFont());

    rq::ProgramState state;
    state.commandLine = rq::CommandLine::fromArguments(QCoreApplication::arguments());
    const bool simulated = state.commandLine.has(QStringLiteral("/SIM"));
    std::unique_ptr<rq::SimBoard> sim = simulated ? std::make_unique<rq::SimBoard>() : nullptr;
    std::unique_ptr<rq::ParallelPortLibrary> port = simulated ? nullptr : rq::makeSystemPort();
    rq::QSettingsStore store;

    rq::frmMainScreen::Environment env;
    env.state = &state;
    env.port = simulated ? static_cast<rq::ParallelPortLibrary*>(sim.get()) : port.get();
    if (sim) {
        env.configurationLoaded = [board = sim.get()](const rq::Settings& settings) {
            rq::followConfiguration(*board, settings);
        };
    }
    env.store = &store;
    env.platform = rq::queryPlatformVersion();
    env.simulated = simulated;
    rq::frmMainScreen window(env);
    if (sim) {
        window.addPortMenuItems(rq::simulatedBoardMenuItems(*sim, &window));
    }
    // The figures window follows the session from the start and opens on the Analysis menu.
    new rq::FiguresWindowLink(window.session(), state, store, window.converterFiguresItem(),
                              window.testReportItem(), &window);
    // Sweeps take their tone from the simulated converter itself on the simulated board; a
    // generator or the user's hands give it otherwise.
    const std::unique_ptr<rq::SignalSourceFactory> sources =
        sim ? std::make_unique<rq::SimulatedSourceFactory>(*sim)
            : std::make_unique<rq::SignalSourceFactory>();
    new rq::SweepWindowLink(
        window.session(), state, store, *sources, [&window] { return window.captureAvailable(); },
        window.sweepItem(), &window);
    window.show();
    return app.exec();
}
