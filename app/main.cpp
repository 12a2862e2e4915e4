// RQ3118 evaluation software: the main window on a printer port, or on the simulated board with
// "/SIM". Creating the window runs the start-up; closing it ends the program.
#include <QApplication>
#include <memory>

#include "CommandLine.h"
#include "DesignFont.h"
#include "PpdevPort.h"
#include "ProgramState.h"
#include "SettingsStore.h"
#include "SimBoard.h"
#include "WindowsVersion.h"
#include "frmMainScreen.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RQ3118"));
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
    env.simBoard = sim.get();
    env.store = &store;
    env.platform = rq::queryPlatformVersion();
    env.simulated = simulated;
    rq::frmMainScreen window(env);
    window.show();
    return app.exec();
}
