// Protects the board protocol end to end: the program's own reset, download and capture run
// against the simulated board, and each board fault reaches the error number and text the user
// is given.
#include <gtest/gtest.h>

#include "SimLink.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"

using namespace rq;
using rq::test::SimLink;

namespace {

// A board reset and the example program, as the setup window's Load does.
struct RunningLink : SimLink {
    explicit RunningLink(const SimBoardSettings& s = test::immediateSettings()) : SimLink(s) {
        state.BoardLatch.setLatch(0xCC);
        state.BoardClock.setCrystalFrequency(40000000);
        state.BoardClock.setSampleFrequency(100000);
        state.CurrentSettings.NumberOfBits = 12;
        state.CurrentSettings.EXEName = RQ_EXAMPLES_DIR "/VMB.EXE";
        ResetNotifications none;
        ResetBoard(state, comms, none);
        result = LoadDSPProgram(state, comms);
        yield.count = 0;
    }
    void capture(int index, std::vector<double>& data) {
        state.CurrentSettings.NumberOfSamples = static_cast<int16_t>(index);
        yield.count = 0;
        comms.ReadData(256 << index, data);
    }
    int16_t result;
};

NumberedError caught(const std::function<void()>& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e;
    }
    return NumberedError(0, QString(), QString());
}

}  // namespace

TEST(ProtocolOnSimBoard, ExampleProgramDownloadsAndStarts) {
    RunningLink l;
    ASSERT_EQ(l.result, DspResult::Started);
    EXPECT_EQ(l.messages.texts(), QStringList{"Board Reset"});
    EXPECT_EQ(l.board.state(), SimBoard::State::Running);
    const DspProgramFile file = readDspProgramFile(RQ_EXAMPLES_DIR "/VMB.EXE");
    ASSERT_EQ(l.board.programWords().size(), static_cast<size_t>(file.words.size()));
    for (int i = 0; i < file.words.size(); ++i) {
        EXPECT_EQ(l.board.programWords()[i], file.words[i].toUInt(nullptr, 16)) << i;
    }
    EXPECT_EQ(l.board.latch(), 0xCC);
    EXPECT_EQ(l.board.resetCount(), 1);
}

TEST(ProtocolOnSimBoard, EveryRecordLengthInBothCodings) {
    for (bool twos : {false, true}) {
        SimBoardSettings settings = test::immediateSettings();
        settings.converter.twosComplement = twos;
        RunningLink l(settings);
        l.state.CurrentSettings.DataFormat = twos ? 1 : 0;
        for (int index = 0; index <= 5; ++index) {
            std::vector<double> data;
            l.capture(index, data);
            ASSERT_EQ(data.size(), static_cast<size_t>(256 << index));
            const auto [lo, hi] = std::minmax_element(data.begin(), data.end());
            // A -1 dBFS tone swings over most of the range, inside the coding's limits.
            EXPECT_GE(*lo, twos ? -2048 : 0);
            EXPECT_LE(*hi, twos ? 2047 : 4095);
            EXPECT_GT(*hi - *lo, 3400) << index;
            const test::ToneFit fit = test::fitTones(data, {10000.0 / 100000.0});
            EXPECT_NEAR(fit.mean, twos ? 0 : 2048, 2) << index;
            EXPECT_NEAR(test::dB(fit.amplitudes[0] / 2048), -1.0, 0.05) << index;
        }
        EXPECT_EQ(l.board.captureCount(), 6);
        EXPECT_EQ(l.board.lastSampleRate(), 100000.0);
    }
}

TEST(ProtocolOnSimBoard, FrameFailureNamesTheByte) {
    const char* const names[] = {"First Byte", "Word1 High Byte", "Word1 Low Byte", "Byte2"};
    for (int k = 0; k < 4; ++k) {
        RunningLink l;
        l.board.setFaults(parseFaultSpec(QStringLiteral("stop-after=%1").arg(k)).value());
        const NumberedError e = caught([&] { l.comms.SendCommand(0, 0, 22); });
        EXPECT_EQ(e.number(), 504);
        EXPECT_EQ(e.description(), QStringLiteral("Send Command Failed on ") + names[k]);
    }
    RunningLink l;
    l.board.setFaults(parseFaultSpec("no-board").value());
    std::vector<double> data;
    EXPECT_EQ(caught([&] { l.capture(0, data); }).number(), 504);
    ASSERT_EQ(l.boxes.shown.size(), 1u);
    EXPECT_EQ(l.boxes.shown[0].text,
              "Velmar Board failed to respond to a command.\rA reset may be necessary");
    EXPECT_EQ(l.boxes.shown[0].title, "Send Command Error");
    EXPECT_EQ(l.boxes.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(l.boxes.shown[0].icon, MsgIcon::Critical);
}

TEST(ProtocolOnSimBoard, DownloadFailuresGiveTheirResults) {
    // Command 2 takes 4 bytes, the length 2, each packet 5 (four written, one read).
    struct Row {
        const char* faults;
        int16_t result;
    } rows[] = {
        {"stop-after=0", DspResult::BeginFailed},  {"stop-after=4", DspResult::LengthFailed},
        {"stop-after=5", DspResult::LengthFailed}, {"stop-after=13", DspResult::PacketFailed},
        {"refuse=2", DspResult::Started},          {"refuse=3", DspResult::PacketFailed}};
    for (const Row& r : rows) {
        test::SimLink l;
        l.state.CurrentSettings.EXEName = RQ_EXAMPLES_DIR "/VMB.EXE";
        l.board.setFaults(parseFaultSpec(r.faults).value());
        EXPECT_EQ(LoadDSPProgram(l.state, l.comms), r.result) << r.faults;
    }
    // The latch and start commands come after 6 + 96 * 5 bytes.
    test::SimLink l;
    l.state.CurrentSettings.EXEName = RQ_EXAMPLES_DIR "/VMB.EXE";
    l.board.setFaults(parseFaultSpec("stop-after=486").value());
    EXPECT_EQ(LoadDSPProgram(l.state, l.comms), DspResult::StartFailed);
}

TEST(ProtocolOnSimBoard, LengthAndPacketErrorsNameTheirStep) {
    for (int answered : {0, 1}) {
        test::SimLink l;
        l.board.setFaults(parseFaultSpec(QStringLiteral("stop-after=%1").arg(answered)).value());
        const NumberedError length = caught([&] { l.comms.SendProgramLength(300); });
        EXPECT_EQ(length.number(), 505);
        EXPECT_EQ(length.description(), answered == 0
                                            ? "SendProgramLength Command Failed on High Byte"
                                            : "SendProgramLength Command Failed on Low Byte");
    }

    test::SimLink r;
    r.frame(0, 0, 2);
    r.write(0);
    r.write(1);
    r.board.setFaults(parseFaultSpec("refuse=1").value());
    const NumberedError refused = caught([&] { r.comms.SendPacket("123456"); });
    EXPECT_EQ(refused.number(), 520);
    EXPECT_EQ(refused.description(), "Checksum Error");
}

TEST(ProtocolOnSimBoard, CaptureThatNeverEndsTimesOut) {
    RunningLink l;
    l.board.setFaults(parseFaultSpec("endless-capture").value());
    std::vector<double> data{1, 2, 3};
    const NumberedError e = caught([&] { l.capture(1, data); });
    EXPECT_EQ(e.number(), 517);
    EXPECT_EQ(e.source(), "ReadData");
    EXPECT_EQ(e.description(), "Timeout");
    EXPECT_FALSE(l.timer.isEnabled());
    EXPECT_EQ(l.timer.interval(), 3000);
    EXPECT_EQ(data, (std::vector<double>{1, 2, 3}));  // untouched
}

TEST(ProtocolOnSimBoard, SampleThatCannotBeReadIsNamed) {
    for (int sample : {1, 37}) {
        RunningLink l;
        // The frame's 4 bytes, then two per sample before the failing one, whose line falls and
        // never rises again.
        l.board.setFaults(
            parseFaultSpec(QStringLiteral("stuck-low=%1").arg(4 + 2 * (sample - 1))).value());
        std::vector<double> data;
        const NumberedError e = caught([&] { l.capture(0, data); });
        EXPECT_EQ(e.number(), 517);
        EXPECT_EQ(e.description(), QStringLiteral("Error Reading Data Sample %1").arg(sample));
        ASSERT_EQ(data.size(), 256u);
        EXPECT_EQ(data[sample - 1], 0.0);
        if (sample > 1) {
            EXPECT_GT(*std::max_element(data.begin(), data.begin() + sample - 1), 0.0);
        }
    }
}

TEST(ProtocolOnSimBoard, CaptureWithoutAProgramEndsInTheTimeout) {
    test::SimLink l;
    l.state.BoardClock.setCrystalFrequency(40000000);
    l.state.BoardClock.setSampleFrequency(100000);
    std::vector<double> data;
    EXPECT_EQ(caught([&] { l.comms.ReadData(256, data); }).number(), 517);
    EXPECT_FALSE(l.board.capturing());
}

TEST(ProtocolOnSimBoard, TooLowASampleClockIsRefusedBeforeAnyTraffic) {
    RunningLink l;
    l.state.BoardClock.setSampleFrequency(600);  // period 66665 does not fit the word
    std::vector<double> data;
    const int64_t before = l.board.bytesHandshaken();
    const NumberedError e = caught([&] { l.capture(0, data); });
    EXPECT_EQ(e.number(), 517);
    EXPECT_EQ(l.board.bytesHandshaken(), before);
    ASSERT_EQ(l.boxes.shown.size(), 1u);
    EXPECT_TRUE(l.boxes.shown[0].text.contains("611 Hz"));
    l.state.BoardClock.setSampleFrequency(611);
    l.boxes.shown.clear();
    EXPECT_NO_THROW(l.capture(0, data));
    EXPECT_NEAR(l.board.lastSampleRate(), 611.0, 0.05);  // the word's low bits always go out set
}

TEST(ProtocolOnSimBoard, TheCrystalIsTheHighestSampleClockAndOneHertzMoreIsRefused) {
    RunningLink l;
    std::vector<double> data;
    l.state.BoardClock.setSampleFrequency(40000000);  // period 0, sent as 3
    EXPECT_NO_THROW(l.capture(0, data));
    EXPECT_DOUBLE_EQ(l.board.lastSampleRate(), 10000000.0);

    l.state.BoardClock.setSampleFrequency(40000001);
    const int64_t before = l.board.bytesHandshaken();
    const NumberedError e = caught([&] { l.capture(0, data); });
    EXPECT_EQ(e.number(), 517);
    EXPECT_EQ(e.description(), "Sample Frequency Too High");
    EXPECT_EQ(l.board.bytesHandshaken(), before);
}
