// Protects the byte handshake and the board wait: the exact register sequences, the shared
// budget of 1000 status reads, the errors and the control register left behind, and the
// time-out flag's effect on the wait.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "ScriptedLink.h"
#include "board/CommsFunctions.h"
#include "common/NumberedError.h"
#include "parport/ScriptedPort.h"

using namespace rq;
using Access = ScriptedPort::Access;

namespace {
constexpr int16_t kBase = 0x378;
constexpr int kData = 0x378, kStatus = 0x379, kControl = 0x37A;

using Link = test::ScriptedLink;

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

TEST(EPPWrite, RegisterSequenceOfOneByte) {
    Link l;
    l.port.setRegister(kControl, 0xFF);
    l.port.scriptReads(kStatus, {0x00, 0x80});
    EXPECT_EQ(l.comms.EPPWrite(kBase, 0x5A), 0);
    const std::vector<Access> expected = {
        {false, kControl, 0xFF}, {true, kControl, 0xD4}, {true, kData, 0x5A},
        {true, kData, 0x5A},     {true, kData, 0x5A},    {true, kControl, 0xD7},
        {false, kStatus, 0x00},  {true, kControl, 0xD4}, {false, kStatus, 0x80}};
    EXPECT_EQ(l.port.accesses, expected);
}

TEST(EPPRead, RegisterSequenceOfOneByte) {
    Link l;
    l.port.setRegister(kControl, 0xD4);
    l.port.setRegister(kData, 0xA5);
    l.port.scriptReads(kStatus, {0x80, 0x00, 0x00, 0x80});
    EXPECT_EQ(l.comms.EPPRead(kBase), 0xA5);
    const std::vector<Access> expected = {
        {false, kControl, 0xD4}, {true, kControl, 0xF4}, {true, kControl, 0xF6},
        {false, kStatus, 0x80},  {false, kStatus, 0x00}, {false, kData, 0xA5},
        {true, kControl, 0xF4},  {false, kStatus, 0x00}, {false, kStatus, 0x80}};
    EXPECT_EQ(l.port.accesses, expected);
    // The direction bit stays set after a read; the next write clears it.
    l.port.scriptReads(kStatus, {0x00, 0x80});
    l.comms.EPPWrite(kBase, 1);
    EXPECT_EQ(l.port.registerValue(kControl), 0xD4);
}

TEST(EPPTransport, ReadyOnTheThousandthStatusReadIsInTimeTheNextIsNot) {
    // One read in the first wait, then the line rises on read 1000 (in time) or 1001 (late).
    for (int risesOn : {1000, 1001}) {
        Link l;
        l.port.scriptReads(kStatus, {0x00});
        l.port.scriptRepeated(kStatus, 0x00, risesOn - 2);
        l.port.scriptReads(kStatus, {0x80});
        const int error = errorOf([&] { l.comms.EPPWrite(kBase, 1); });
        EXPECT_EQ(error, risesOn == 1000 ? 0 : 516) << risesOn;
        EXPECT_EQ(l.port.readCount(kStatus), risesOn);
    }
    for (int fallsOn : {1000, 1001}) {
        Link l;
        l.port.scriptRepeated(kStatus, 0x80, fallsOn - 1);
        l.port.scriptReads(kStatus, {0x00});
        const int error = errorOf([&] { l.comms.EPPRead(kBase); });
        // Falling on read 1000 leaves no budget for the rise: 514 either way, from its phase.
        EXPECT_EQ(error, fallsOn == 1000 ? 514 : 513) << fallsOn;
    }
}

TEST(EPPTransport, BoardThatNeverAnswersFailsAndReleasesTheStrobes) {
    Link l;
    l.port.setRegister(kControl, 0x04);
    l.port.setRegister(kStatus, 0x80);
    try {
        l.comms.EPPWrite(kBase, 7);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 515);
        EXPECT_EQ(e.source(), "EPP Write");
        EXPECT_EQ(e.description(), "EPP Write Timeout");
    }
    EXPECT_EQ(l.port.readCount(kStatus), 1001);  // the 1001st read is made but not honoured
    EXPECT_EQ(l.port.accesses.back(), (Access{true, kControl, 0x04}));

    try {
        l.comms.EPPRead(kBase);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 513);
        EXPECT_EQ(e.source(), "EPP Read");
        EXPECT_EQ(e.description(), "EPP Read Timeout");
    }
    EXPECT_EQ(l.port.accesses.back(), (Access{true, kControl, 0x24}));
}

TEST(EPPTransport, LineThatFallsButNeverRisesAgain) {
    Link l;
    l.port.setRegister(kStatus, 0x00);
    l.port.setRegister(kControl, 0xC0);
    EXPECT_EQ(errorOf([&] { l.comms.EPPWrite(kBase, 7); }), 516);
    EXPECT_EQ(l.port.readCount(kStatus), 1001);
    EXPECT_EQ(l.port.accesses.back(), (Access{true, kControl, 0xC0}));
    l.port.clearLog();
    EXPECT_EQ(errorOf([&] { l.comms.EPPRead(kBase); }), 514);
    EXPECT_EQ(l.port.accesses.back(), (Access{true, kControl, 0xE0}));
}

TEST(EPPTransport, SlowFirstPhaseShortensTheSecond) {
    Link l;
    l.port.scriptRepeated(kStatus, 0x80, 600);  // the line falls on read 601
    l.port.scriptRepeated(kStatus, 0x00, 400);  // and would rise on read 1002
    l.port.scriptReads(kStatus, {0x80});
    EXPECT_EQ(errorOf([&] { l.comms.EPPWrite(kBase, 7); }), 516);
}

TEST(WaitForReady, WaitsForTheEndThenPulsesAndWaitsForTheRise) {
    Link l;
    l.port.setRegister(kControl, 0xFF);
    l.port.scriptReads(kStatus, {0x80, 0x80, 0x00, 0x00, 0x80});
    EXPECT_EQ(l.comms.WaitForReady(), 0);
    EXPECT_TRUE(l.timer.isEnabled());
    EXPECT_EQ(l.port.writesTo(kControl), (std::vector<int32_t>{0xD4, 0xD6, 0xD4}));
    EXPECT_EQ(l.port.readCount(kStatus), 5);
    EXPECT_EQ(l.yield.count, 5);  // it yields on every status read of both waits
}

TEST(WaitForReady, EnteredTimedOutSkipsBothWaitsButStillPulses) {
    Link l;
    l.state.TimedOut = true;
    l.port.setRegister(kControl, 0xD4);
    l.port.setRegister(kStatus, 0x80);
    EXPECT_EQ(l.comms.WaitForReady(), 0);
    EXPECT_EQ(l.port.readCount(kStatus), 0);
    EXPECT_EQ(l.port.writesTo(kControl), (std::vector<int32_t>{0xD4, 0xD6, 0xD4}));
    EXPECT_EQ(l.yield.count, 0);
}

TEST(WaitForReady, TickDuringEitherWaitFailsWith537) {
    for (int phase : {1, 2}) {
        Link l;
        l.timer.setEnabled(true);
        if (phase == 1) {
            l.port.setRegister(kStatus, 0x80);  // the capture never ends
        } else {
            l.port.scriptReads(kStatus, {0x00});  // ends at once, the line never rises
            l.port.setRegister(kStatus, 0x00);
        }
        l.yield.onYield = [&](int n) {
            if (n == 10) {
                l.timer.tick();
            }
        };
        try {
            l.comms.WaitForReady();
            FAIL() << phase;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 537);
            EXPECT_EQ(e.source(), "WaitForReady ");
            EXPECT_EQ(e.description(), "Error");
        }
        EXPECT_EQ(l.yield.count, 10);
        // The pulse comes only after the first wait.
        EXPECT_EQ(l.port.writesTo(kControl).size(), phase == 1 ? 1u : 3u);
    }
}
