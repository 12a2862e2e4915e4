// Protects the simulated board as the PC's own transport sees it: the register handshake, command
// frames in each board state, reset, the checksummed download, and captures of every length.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "SimLink.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "simboard/FaultSpec.h"

using namespace rq;
using namespace rq::test;
using State = SimBoard::State;

TEST(SimBoardPort, OnePortAtItsBaseAndNothingElsewhere) {
    SimBoardSettings settings;
    settings.baseAddress = 0x278;
    SimBoard board(settings);
    ParallelPortInfo info;
    EXPECT_EQ(board.GetParallelPortCount(), 1);
    EXPECT_NE(board.ClaimParallelPort(1, -1) & 0xFFFF, 0);
    ASSERT_NE(board.GetParallelPortInfo(1, info), 0);
    EXPECT_EQ(info.address, 0x278);

    board.OutByte(0x278, 0x5A);
    board.OutByte(0x378, 0x11);  // not ours: dropped
    EXPECT_EQ(board.InByte(0x278), 0x5A);
    EXPECT_EQ(board.InByte(0x378), 0xFF);
    EXPECT_EQ(board.InByte(0x279) & 0x80, 0x80);  // idle line high
}

TEST(SimBoardHandshake, StrobesMoveTheLineAndOnlyRealStrobesCount) {
    SimBoard board;
    board.OutByte(0x378, 0x42);
    board.OutByte(0x37A, 0x23);  // both strobes but direction input: not a write
    EXPECT_EQ(board.InByte(0x379) & 0x80, 0x80);
    board.OutByte(0x37A, 0x22);  // a read with nothing to send goes unanswered
    EXPECT_EQ(board.InByte(0x379) & 0x80, 0x80);
    board.OutByte(0x37A, 0x20);
    board.OutByte(0x37A, 0x03);
    EXPECT_EQ(board.InByte(0x379) & 0x80, 0);
    board.OutByte(0x37A, 0x00);
    EXPECT_EQ(board.InByte(0x379) & 0x80, 0x80);
    EXPECT_EQ(board.bytesHandshaken(), 1);
    board.OutByte(0x37A, 0x02);  // the end-of-capture pulse outside a capture does nothing
    board.OutByte(0x37A, 0x00);
    EXPECT_EQ(board.InByte(0x379) & 0x80, 0x80);
    EXPECT_EQ(board.bytesHandshaken(), 1);
}

TEST(SimBoardProtocol, MonitorIgnoresProgramCommandsAndResetNeedsThePulse) {
    SimLink link;
    link.frame(144, 0, 3);
    link.frame(5, 0x018F, 7);
    link.frame(0, 0, 4);
    EXPECT_EQ(link.board.state(), State::Monitor);
    EXPECT_FALSE(link.board.latch().has_value());
    EXPECT_EQ(link.board.captureCount(), 0);
    ASSERT_EQ(link.board.commandLog().size(), 3u);
    EXPECT_EQ(link.board.commandLog()[1], (SimBoard::CommandFrame{5, 0x018F, 7, false}));

    link.frame(0, 0, 8);
    EXPECT_EQ(link.board.state(), State::Resetting);
    link.frame(0, 0, 2);  // not heard before the pulse
    EXPECT_EQ(link.board.state(), State::Resetting);
    EXPECT_EQ(link.board.resetCount(), 0);
    link.pulseReset();
    EXPECT_EQ(link.board.state(), State::Monitor);
    EXPECT_EQ(link.board.resetCount(), 1);
    EXPECT_TRUE(link.board.commandLog()[3].understood);
}

TEST(SimBoardProtocol, TheCommandLogKeepsTheLatestFramesAndCountsEveryOne) {
    // A board that runs for days keeps the latest frames, not one per command it ever heard.
    SimLink link;
    const int sent = 3 * int(SimBoard::CommandLogLength) + 5;
    for (int k = 0; k < sent; ++k) {
        link.frame(0, k, 4);
    }
    EXPECT_EQ(link.board.commandCount(), sent);
    ASSERT_EQ(link.board.commandLog().size(), SimBoard::CommandLogLength);
    EXPECT_EQ(link.board.commandLog().back().word, sent - 1);
    EXPECT_EQ(link.board.commandLog().front().word, sent - int(SimBoard::CommandLogLength));
}

TEST(SimBoardProtocol, DownloadAcknowledgesByChecksumThenLatchStartAndPower) {
    SimLink link;
    link.frame(0, 0, 2);
    link.write(0);
    link.write(3);
    EXPECT_EQ(link.board.state(), State::Downloading);
    EXPECT_EQ(link.packet(0x123456), 13);
    EXPECT_NE(link.packet(0xFFFFFF, 1), 13);  // a wrong sum is refused and dropped
    EXPECT_EQ(link.packet(0xFFFFFF), 13);
    EXPECT_EQ(link.board.state(), State::Downloading);
    EXPECT_EQ(link.packet(0x000001), 13);
    EXPECT_EQ(link.board.state(), State::ProgramLoaded);
    EXPECT_EQ(link.board.programWords(), (std::vector<uint32_t>{0x123456, 0xFFFFFF, 0x000001}));

    link.frame(7, 399, 7);  // loaded but not started: no capture
    EXPECT_EQ(link.board.captureCount(), 0);
    link.frame(0x58, 0, 3);
    EXPECT_EQ(link.board.latch(), 0x58);
    link.frame(0, 0, 4);
    EXPECT_EQ(link.board.state(), State::Running);
    link.frame(0, 0, 20);
    EXPECT_FALSE(link.board.converterPoweredUp());
    link.frame(0, 0, 22);
    EXPECT_TRUE(link.board.converterPoweredUp());
    link.frame(0, 0, 2);  // a second download needs a reset first
    EXPECT_EQ(link.board.state(), State::Running);
    EXPECT_FALSE(link.board.commandLog().back().understood);
}

TEST(SimBoardProtocol, EmptyProgramLoadsAtOnceAndResetRestartsFromAnyState) {
    SimLink link;
    link.download({});
    EXPECT_EQ(link.board.state(), State::ProgramLoaded);

    link.frame(0, 0, 4);
    link.frame(0, 0, 20);
    link.frame(0, 0, 8);
    link.pulseReset();
    EXPECT_EQ(link.board.state(), State::Monitor);
    EXPECT_TRUE(link.board.converterPoweredUp());

    // An abandoned download swallows the reset frame as packet bytes; the pulse still restarts.
    link.frame(0, 0, 2);
    link.write(0);
    link.write(5);
    link.packet(0x010203);
    link.frame(0, 0, 8);
    link.pulseReset();
    EXPECT_EQ(link.board.state(), State::Monitor);
    EXPECT_EQ(link.board.resetCount(), 2);
    link.startProgram();
    EXPECT_EQ(link.board.state(), State::Running);
    EXPECT_EQ(link.board.programWords().size(), 2u);
}

TEST(SimBoardCapture, EveryLengthInBothCodingsCarriesTheTone) {
    for (bool twos : {false, true}) {
        SimBoardSettings settings = immediateSettings();
        settings.converter.twosComplement = twos;
        SimLink link(settings);
        link.startProgram();
        for (int index = 0; index <= 5; ++index) {
            SCOPED_TRACE(testing::Message() << "twos " << twos << " index " << index);
            // 100 kHz: the PC's period 399 goes out as 399 Or 3.
            const std::vector<double> codes = decode(link.capture(index, 399 | 3), 12, twos);
            ASSERT_EQ(codes.size(), 256u << index);
            EXPECT_DOUBLE_EQ(link.board.lastSampleRate(), 100000.0);
            const ToneFit fit = fitTones(codes, {0.1, 0.2, 0.3});
            EXPECT_NEAR(fit.mean, twos ? 0.0 : 2048.0, 0.2);
            EXPECT_NEAR(dB(fit.amplitudes[0] / 2048.0), -1.0, 0.01);
            EXPECT_NEAR(fit.residualRms, 0.58, 0.1);  // noise and quantisation only
            for (double c : codes) {
                ASSERT_TRUE(twos ? (c >= -2048 && c <= 2047) : (c >= 0 && c <= 4095));
            }
        }
        EXPECT_EQ(link.board.captureCount(), 6);
    }
}

TEST(SimBoardCapture, SeedReproducesRecordsAndPowerDownReadsMidScale) {
    SimBoardSettings settings = immediateSettings();
    settings.converter.seed = 7;
    SimLink a(settings), b(settings);
    a.startProgram();
    b.startProgram();
    const std::vector<uint16_t> first = a.capture(1, 399);
    EXPECT_EQ(b.capture(1, 399), first);
    EXPECT_NE(a.capture(1, 399), first);  // fresh noise and phase each time

    a.frame(0, 0, 20);
    EXPECT_EQ(a.capture(0, 399), std::vector<uint16_t>(256, 0x800));
    settings.converter.twosComplement = true;
    a.board.setConverter(settings.converter);
    EXPECT_EQ(a.capture(0, 399), std::vector<uint16_t>(256, 0x000));
}

TEST(SimBoardCapture, WithoutARunningProgramTheWaitTimesOut) {
    SimLink link;
    const auto captureWait = [&] {
        link.frame(0, 399, 7);
        link.state.TimedOut = false;
        link.yield.count = 0;
        return errorOf([&] { link.comms.WaitForReady(); });
    };
    EXPECT_EQ(captureWait(), 537);
    EXPECT_TRUE(link.board.line());
    link.download({0x000000});  // loaded but never started: still no capture
    EXPECT_EQ(captureWait(), 537);
    EXPECT_EQ(link.board.captureCount(), 0);
    EXPECT_EQ(link.board.state(), SimBoard::State::ProgramLoaded);
}

TEST(SimBoardCapture, TakesTheRecordsTimeUnlessImmediate) {
    SimLink realTime(SimBoardSettings{});
    realTime.tickAfterYields = 100'000'000;
    realTime.startProgram();
    const auto start = std::chrono::steady_clock::now();
    realTime.capture(0, 399);  // 256 samples at 100 kHz
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(2560));
    EXPECT_GT(realTime.yield.count, 2);

    SimLink immediate;
    immediate.startProgram();
    immediate.capture(5, 0xFFFF);         // 8192 samples at 610 Hz would take 13 s
    EXPECT_EQ(immediate.yield.count, 2);  // one pass of each wait
}

// The program's own reset, download and capture procedures, unchanged, against the board.
TEST(SimBoardWithProgram, ResetDownloadAndCaptureEndToEnd) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("VMB.EXE"));
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\"test\",@PA\r\n000000\r\n123456\r\nFFFFFF\r\nABCDEF\r\n#\r\n");
    file.close();

    SimBoardSettings settings = withFaults(immediateSettings(), QStringLiteral("refuse=2"));
    settings.converter.twosComplement = true;
    SimLink link(settings);
    applyStartValues(link.state);
    link.state.CurrentSettings.EXEName = program;
    link.state.CurrentSettings.DataFormat = 1;
    ResetNotifications windows;
    ResetBoard(link.state, link.comms, windows);
    EXPECT_EQ(link.board.resetCount(), 1);
    EXPECT_EQ(LoadDSPProgram(link.state, link.comms),
              DspResult::Started);  // two refusals, then accepted
    EXPECT_EQ(link.board.programWords(), (std::vector<uint32_t>{0x123456, 0xFFFFFF, 0xABCDEF}));
    EXPECT_EQ(link.board.latch(), 144);
    EXPECT_EQ(link.board.state(), State::Running);

    link.state.CurrentSettings.NumberOfSamples = 2;
    std::vector<double> data;
    link.yield.count = 0;  // the reset pause used up the watchdog's yields
    link.comms.ReadData(1024, data);
    EXPECT_EQ(link.board.commandLog().back(), (SimBoard::CommandFrame{2, 399, 7, true}));
    const ToneFit fit = fitTones(data, {0.1});
    EXPECT_NEAR(fit.mean, 0.0, 0.5);
    EXPECT_NEAR(dB(fit.amplitudes[0] / 2048.0), -1.0, 0.01);

    link.board.setFaults(parseFaultSpec(QStringLiteral("refuse=3")).value());
    ResetBoard(link.state, link.comms, windows);
    EXPECT_EQ(LoadDSPProgram(link.state, link.comms), DspResult::PacketFailed);
}
