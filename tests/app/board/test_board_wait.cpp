// Protects the waits of the board link on the real event loop: the capture watchdog never fires
// before its interval, a capture wait leaves the CPU mostly idle, and the reset's pause of
// yields stays short.
#include <gtest/gtest.h>
#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

#include "Fakes.h"
#include "board/CommsFunctions.h"
#include "state/ProgramState.h"
#include "common/QtHost.h"
#include "simboard/SimBoard.h"

using namespace rq;

namespace {

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class BoardWait : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app = std::make_unique<QCoreApplication>(argc, argv); }
    static void TearDownTestSuite() { app.reset(); }

    static inline int argc = 1;
    static inline char name[] = "test_board_wait";
    static inline char* argv[] = {name, nullptr};
    static inline std::unique_ptr<QCoreApplication> app;
};

// The program's link on the real yield and watchdog, with a simulated board in real time.
struct RealTimeLink {
    SimBoard board;
    ProgramState state;
    EventLoopYield yield;
    QtWatchdogTimer timer{[this] { state.TimedOut = true; }};
    test::FakeMessageList messages;
    test::FakeMessageBoxes boxes;
    CommsFunctions comms{linkStateOf(state), board, yield, timer, messages, boxes};
    RealTimeLink() {
        state.PortAddress = 0x378;
        state.BoardClock.setCrystalFrequency(40000000);
        state.CurrentSettings.NumberOfBits = 12;
        // A running program, as a download leaves it.
        comms.SendCommand(0, 0, 2);
        comms.SendProgramLength(0);
        comms.SendCommand(0x90, 0, 3);
        comms.SendCommand(0, 0, 4);
    }
};

}  // namespace

TEST_F(BoardWait, WatchdogNeverTicksBeforeItsInterval) {
    for (int interval : {120, 250, 333}) {
        int ticks = 0;
        QtWatchdogTimer watch([&ticks] { ++ticks; });
        watch.setInterval(interval);
        QElapsedTimer clock;
        clock.start();
        watch.setEnabled(true);
        while (ticks < 2) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            if (ticks == 1 && clock.elapsed() < interval) {
                ADD_FAILURE() << "first tick after " << clock.elapsed() << " ms of " << interval;
            }
        }
        EXPECT_GE(clock.elapsed(), 2 * interval);
        watch.setEnabled(false);
        EXPECT_FALSE(watch.isEnabled());
    }
}

TEST_F(BoardWait, CaptureWaitLeavesTheCpuMostlyIdle) {
    RealTimeLink link;
    link.state.BoardClock.setSampleFrequency(20000);
    link.state.CurrentSettings.SampleFreq = 20000;
    link.state.CurrentSettings.NumberOfSamples = 5;  // 8192 samples at 20 kHz: 410 ms
    std::vector<double> data;
    QElapsedTimer wall;
    const double cpu0 = processCpuSeconds();
    wall.start();
    link.comms.ReadData(8192, data);
    const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    const double cpu = processCpuSeconds() - cpu0;
    ASSERT_EQ(data.size(), 8192u);
    EXPECT_GE(seconds, 0.40);
    EXPECT_LT(seconds, 1.5);
    EXPECT_LT(cpu, 0.25 * seconds) << cpu << " s of CPU in " << seconds << " s";
    std::printf("capture wait: %.3f s of CPU in %.3f s (%.1f %%)\n", cpu, seconds,
                100.0 * cpu / seconds);
}

TEST_F(BoardWait, ResetPauseIsShortOnTheRealEventLoop) {
    RealTimeLink link;
    QElapsedTimer clock;
    clock.start();
    link.comms.SendResetCommand();
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(link.board.state(), SimBoard::State::Monitor);
}
