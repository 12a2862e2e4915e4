#pragma once

// What the window tests of the program share: the program around one main window on a simulated
// board with immediate captures, a settings store in a folder of the test's, and fakes for the
// boxes, dialogs and beep; and the lines of its message list.
#include <gtest/gtest.h>

#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <ostream>

#include "Fakes.h"
#include "acquire/frmMainScreen.h"
#include "config/ConfigurationLoad.h"
#include "config/SettingsStore.h"
#include "simboard/SimBoard.h"
#include "simulated/SimBoardMenu.h"
#include "status/QuorStatus.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{' << l.join(" | ").toStdString() << '}';
}

namespace rq::test {

class CountingBeeper : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

// The lines of a status list that hold text, in order.
inline QStringList statusLines(const QWidget& window, const char* name = "QuorStatus1") {
    QStringList out;
    const auto* list = window.findChild<controls::QuorStatus*>(QString::fromLatin1(name));
    EXPECT_NE(list, nullptr) << name;
    for (int k = 0; list != nullptr && k < list->Lines(); ++k) {
        const QString text = list->findChild<QLabel*>(QString("lblText%1").arg(k))->text();
        if (!text.isEmpty()) {
            out << text;
        }
    }
    return out;
}

class SimulatedProgram {
protected:
    // Creates (or replaces) the program and shows its main window. The settings store is kept
    // in dir, or in storeFolder when one is given; with realDialogs the window's own file
    // dialogs are used instead of the scripted ones.
    void startProgram(const QString& commandLine) {
        SimBoardSettings sim;
        sim.immediateCapture = true;
        window.reset();
        board = std::make_unique<SimBoard>(sim);
        store = std::make_unique<QSettingsStore>(storeFolder.isEmpty() ? dir.path() : storeFolder);
        state = std::make_unique<ProgramState>();
        state->commandLine = CommandLine(commandLine);
        frmMainScreen::Environment env;
        env.state = state.get();
        env.port = board.get();
        env.store = store.get();
        env.platform.platformId = PlatformVersion::Linux;
        env.simulated = true;
        env.configurationLoaded = [this](const Settings& settings) {
            followConfiguration(*board, settings);
        };
        env.boxes = &boxes;
        env.dialogs = realDialogs ? nullptr : &dialogs;
        env.beeper = &beeper;
        window = std::make_unique<frmMainScreen>(env);
        // The simulated board's own menu items, as the program adds them.
        window->addPortMenuItems(simulatedBoardMenuItems(*board, window.get()));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QStringList lines() { return statusLines(*window); }
    // The setup window's Load of the example configuration and program, with a record length
    // of the test's, and the capture buttons it enables.
    void loadExample(int16_t samplesIndex = 2) {
        struct Example : ConfigurationLoadHost {
            int16_t samples = 2;
            void configurationRead(Settings& s) override {
                s.EXEName = QStringLiteral(RQ_EXAMPLES_DIR "/VMB.EXE");
                s.NumberOfSamples = samples;
            }
        } example;
        example.samples = samplesIndex;
        FrequencyList frequencies;
        const ConfigurationLoadOutcome loaded = loadConfiguration(
            *state, window->comms(), QStringLiteral(RQ_EXAMPLES_DIR "/RQ3118.CFG"), frequencies,
            *window, example);
        ASSERT_TRUE(loaded.programRunning());
        window->enableCaptureButtons();
    }

    QTemporaryDir dir;  // first, so that it outlives everything that may write into it
    std::unique_ptr<SimBoard> board;
    std::unique_ptr<QSettingsStore> store;
    std::unique_ptr<ProgramState> state;
    FakeMessageBoxes boxes;
    FakeFileDialogs dialogs;
    bool realDialogs = false;
    QString storeFolder;
    CountingBeeper beeper;
    std::unique_ptr<frmMainScreen> window;
};

}  // namespace rq::test
