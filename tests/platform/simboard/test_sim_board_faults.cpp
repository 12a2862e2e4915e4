// Protects the board's fault settings: each one reaches the transport error it stands for, and
// the command-line text for them reads and writes back faithfully.
#include <gtest/gtest.h>

#include "SimLink.h"
#include "simboard/FaultSpec.h"

using namespace rq;
using namespace rq::test;

namespace {
SimBoardSettings withFaults(const QString& spec) {
    return rq::test::withFaults(immediateSettings(), spec);
}
}  // namespace

TEST(SimBoardFaults, NoBoardNeverAnswersAWriteOrARead) {
    SimLink link(withFaults("no-board"));
    EXPECT_EQ(errorOf([&] { link.write(0); }), 515);
    EXPECT_EQ(link.board.statusReads(), 1001);      // the whole budget, then one more
    EXPECT_EQ(link.board.InByte(0x37A) & 0x03, 0);  // strobes released by the PC
    EXPECT_EQ(errorOf([&] { link.read(); }), 513);
}

TEST(SimBoardFaults, StopAfterCountsWritesAndReadsTogether) {
    SimLink link(withFaults("stop-after=9"));
    link.frame(0, 0, 2);
    link.write(0);
    link.write(1);
    link.write(1);
    link.write(2);
    link.write(3);  // 9 bytes so far; the acknowledge would be the 10th
    EXPECT_EQ(errorOf([&] { link.read(); }), 513);
    EXPECT_EQ(errorOf([&] { link.write(0); }), 515);
    link.board.pressResetButton();  // the button brings a hung board back
    EXPECT_EQ(errorOf([&] { link.write(0); }), 0);
}

TEST(SimBoardFaults, StuckLineFailsTheRiseOfTheNextByte) {
    SimLink link(withFaults("stuck-low=2"));
    link.write(1);
    link.write(2);
    EXPECT_EQ(errorOf([&] { link.write(3); }), 516);
    EXPECT_FALSE(link.board.line());
    EXPECT_EQ(errorOf([&] { link.read(); }), 514);
}

TEST(SimBoardFaults, SlowBoardSpendsTheSharedReadBudget) {
    // A slow line costs m + 1 reads per edge against one budget of 1000 for both edges.
    const std::pair<const char*, int> cases[] = {
        {"slow=499", 0}, {"slow=500", 516}, {"slow=999", 516}, {"slow=1000", 515}};
    for (const auto& [spec, expected] : cases) {
        SimLink link(withFaults(spec));
        EXPECT_EQ(errorOf([&] { link.write(0x55); }), expected) << spec;
    }
    SimLink slow(withFaults("slow=40"));
    slow.startProgram();
    EXPECT_EQ(slow.capture(0, 399).size(), 256u);
}

TEST(SimBoardFaults, RefusedPacketsAreAcknowledgedWrongThenAcceptedAgain) {
    SimLink link(withFaults("refuse=3"));
    link.frame(0, 0, 2);
    link.write(0);
    link.write(1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(link.packet(0x123456), 12);
    }
    EXPECT_EQ(link.packet(0x123456), 13);
    EXPECT_EQ(link.board.programWords(), std::vector<uint32_t>{0x123456});
}

TEST(SimBoardFaults, EndlessCaptureTimesOutAndHangsTheBoard) {
    SimLink link(withFaults("endless-capture"));
    link.startProgram();
    link.frame(0, 399, 7);
    EXPECT_EQ(errorOf([&] { link.comms.WaitForReady(); }), 537);
    EXPECT_TRUE(link.board.capturing());
    EXPECT_EQ(errorOf([&] { link.write(0); }), 515);  // too busy even for a reset command
}

TEST(FaultSpec, ReadsEveryFormAndRejectsTheRest) {
    const SimBoardFaults f =
        parseFaultSpec(" No-Board , stop-after=5,stuck-low, slow = 7,refuse=2,endless-capture")
            .value();
    EXPECT_TRUE(f.noBoard);
    EXPECT_EQ(f.stopAfterBytes, 5);
    EXPECT_EQ(f.stuckLowAfterBytes, 0);
    EXPECT_EQ(f.slowStatusReads, 7);
    EXPECT_EQ(f.refusedAcknowledges, 2);
    EXPECT_TRUE(f.endlessCapture);
    EXPECT_EQ(parseFaultSpec(formatFaultSpec(f)), f);
    EXPECT_EQ(parseFaultSpec(QString()), SimBoardFaults{});
    EXPECT_EQ(formatFaultSpec({}), QStringLiteral("none"));

    for (const char* bad : {"slow", "slow=-1", "refuse=x", "no-board=1", "wobbly"}) {
        QString error;
        EXPECT_FALSE(parseFaultSpec(QString::fromLatin1(bad), &error).has_value()) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}
