// Protects the command layer over the handshake: the frame bytes and their echo, the error that
// names the failed byte, packet and length bytes, the reset sequence and its feedback, and the
// checks of a program file before any board traffic.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Fakes.h"
#include "ScriptedLink.h"
#include "board/CommsFunctions.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "common/NumberedError.h"
#include "parport/ScriptedPort.h"

using namespace rq;

namespace {
constexpr int kData = 0x378, kStatus = 0x379, kControl = 0x37A;

// A port whose line answers every strobe at once, until it has handshaken `answers` bytes.
struct Link : test::ScriptedLink {
    int answers = 1 << 30;
    int handshakes = 0;
    bool strobed = false;

    Link() {
        port.readHook = [this](int32_t address) -> int32_t {
            if (address != kStatus) {
                return port.registerValue(address);
            }
            const bool strobe = (port.registerValue(kControl) & 0x03) != 0;
            if (strobe && !strobed && handshakes < answers) {
                strobed = true;
                ++handshakes;
            } else if (!strobe) {
                strobed = false;
            }
            return (strobe && strobed) ? 0x00 : 0x80;
        };
    }
    // The bytes written to the data register, one per handshaken write.
    std::vector<int32_t> bytesSent() const {
        std::vector<int32_t> out;
        const auto& a = port.accesses;
        for (size_t i = 0; i + 1 < a.size(); ++i) {
            if (a[i].write && a[i].address == kControl && (a[i].value & 0x03) == 0x03) {
                out.push_back(port.writesTo(kData).at(out.size() * 3));
            }
        }
        return out;
    }
};
}  // namespace

TEST(SendCommand, FrameBytesInOrderAndEchoedOnlyWhenAsked) {
    Link l;
    l.comms.SendCommand(2, 0x18F, 7);
    EXPECT_TRUE(l.messages.lines.empty());
    EXPECT_EQ(l.bytesSent(), (std::vector<int32_t>{2, 0x01, 0x8F, 7}));

    l.state.CurrentSettings.EchoComms = true;
    l.comms.SendCommand(2, 0x18F, 7);
    l.comms.SendCommand(0, 0, 8);
    l.comms.SendCommand(0x190, 0x12345, 3);
    EXPECT_EQ(l.messages.texts(),
              (QStringList{"Sent:02018F07", "Sent:00000008", "Sent:1901234503"}));
}

TEST(SendCommand, FailureNamesTheByteAndStopsTheFrame) {
    const char* const descriptions[] = {
        "Send Command Failed on First Byte", "Send Command Failed on Word1 High Byte",
        "Send Command Failed on Word1 Low Byte", "Send Command Failed on Byte2"};
    for (int answered = 0; answered < 4; ++answered) {
        Link l;
        l.answers = answered;
        try {
            l.comms.SendCommand(1, 0x0203, 7);
            FAIL();
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 504);
            EXPECT_EQ(e.source(), "Send Command");
            EXPECT_EQ(e.description(), descriptions[answered]);
        }
        // Three data writes per byte tried; nothing after the failed one.
        EXPECT_EQ(l.port.writesTo(kData).size(), 3u * (answered + 1));
    }
}

TEST(SendPacket, ThreeBytesAndTheirChecksumThenTheAcknowledge) {
    struct Row {
        const char* word;
        std::vector<int32_t> bytes;
    } rows[] = {{"123456", {0x12, 0x34, 0x56, 0x9C}}, {"FFFFFF", {0xFF, 0xFF, 0xFF, 0xFD}}};
    for (const Row& r : rows) {
        Link l;
        l.port.scriptReads(kData, {13});
        l.comms.SendPacket(r.word);
        EXPECT_EQ(l.bytesSent(), r.bytes) << r.word;
    }
    Link refused;
    refused.port.scriptReads(kData, {12});
    try {
        refused.comms.SendPacket("000001");
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 520);
        EXPECT_EQ(e.source(), "SendPacket");
        EXPECT_EQ(e.description(), "Checksum Error");
    }
    const char* const writes[] = {
        "SendPacket Command Failed on First Write", "SendPacket Command Failed on Second Write",
        "SendPacket Command Failed on Third Write", "SendPacket Command Failed on Third Write"};
    for (int answered = 0; answered < 4; ++answered) {
        Link l;
        l.answers = answered;
        try {
            l.comms.SendPacket("ABCDEF");
            FAIL();
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 506);
            EXPECT_EQ(e.description(), writes[answered]);
        }
    }
}

TEST(SendProgramLength, HighByteFirstAndEachFailureNamed) {
    Link l;
    l.comms.SendProgramLength(0x0123);
    EXPECT_EQ(l.bytesSent(), (std::vector<int32_t>{0x01, 0x23}));
    for (int answered : {0, 1}) {
        Link dead;
        dead.answers = answered;
        try {
            dead.comms.SendProgramLength(300);
            FAIL();
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 505);
            EXPECT_EQ(e.description(), answered == 0
                                           ? "SendProgramLength Command Failed on High Byte"
                                           : "SendProgramLength Command Failed on Low Byte");
        }
    }
}

TEST(CaptureTimeout, ThirtyTwoThousandSamplesOrThreeSeconds) {
    EXPECT_EQ(CommsFunctions::captureTimeoutMs(1000), 32768);
    EXPECT_EQ(CommsFunctions::captureTimeoutMs(10000), 3277);
    EXPECT_EQ(CommsFunctions::captureTimeoutMs(100000), 3000);
    EXPECT_EQ(CommsFunctions::captureTimeoutMs(500000), 3000);
    EXPECT_EQ(CommsFunctions::captureTimeoutMs(0), 3000);
}

TEST(ReadData, SampleClockOutOfRangeIsRefusedBeforeAnyTrafficAndSaysWhy) {
    struct Row {
        int32_t crystal;
        int32_t frequency;
        const char* says;
        const char* description;
    } rows[] = {
        {40000000, 100, "too low", "Sample Frequency Too Low"},
        {40000000, 50000000, "too high", "Sample Frequency Too High"},
        {0, 1000, "crystal", "Sample Frequency Too High"},
    };
    for (const Row& r : rows) {
        Link l;
        l.state.BoardClock.setCrystalFrequency(r.crystal);
        l.state.BoardClock.setSampleFrequency(r.frequency);
        std::vector<double> data;
        try {
            l.comms.ReadData(256, data);
            ADD_FAILURE() << "no refusal at " << r.frequency;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 517);
            EXPECT_EQ(e.description(), r.description);
        }
        ASSERT_EQ(l.boxes.shown.size(), 1u);
        const QString& text = l.boxes.shown[0].text;
        EXPECT_TRUE(text.contains(r.says)) << qPrintable(text);
        EXPECT_FALSE(text.contains("0 Hz or more")) << qPrintable(text);
        EXPECT_EQ(l.boxes.shown[0].title, "Sample Clock Error");
        EXPECT_TRUE(l.bytesSent().empty());
    }
    // The lowest frequency the 16-bit period word can carry at 40 MHz is named.
    Link l;
    l.state.BoardClock.setCrystalFrequency(40000000);
    l.state.BoardClock.setSampleFrequency(100);
    std::vector<double> data;
    EXPECT_THROW(l.comms.ReadData(256, data), NumberedError);
    EXPECT_TRUE(l.boxes.shown.at(0).text.contains("611 Hz or more"));
}

namespace {
struct RecordingWindows : ResetNotifications {
    QStringList events;
    void disableDisplayOptions() override { events << "display options off"; }
    void setPanelLatchContent(int16_t v) override { events << QString("panel %1").arg(v); }
    void disableCaptureButtons() override { events << "capture buttons off"; }
};
}  // namespace

TEST(ResetBoard, SendsTheResetPausesAndPulsesThenReports) {
    Link l;
    l.messages.AddItem("old line");
    l.state.CurrentSettings.SampleFreq = 250000;
    l.state.CurrentSettings.NumberOfSamples = 3;
    l.state.CurrentSettings.Max_Frequency = 580000;
    l.state.CurrentSettings.ProgramLoaded = true;
    l.state.CurrentSettings.DataLoaded = true;
    RecordingWindows windows;
    EXPECT_EQ(ResetBoard(l.state, l.comms, windows), 0);

    EXPECT_EQ(l.bytesSent(), (std::vector<int32_t>{0, 0, 0, 8}));
    EXPECT_EQ(l.yield.count, CommsFunctions::ResetPauseYields);
    const std::vector<int32_t> control = l.port.writesTo(kControl);
    ASSERT_GE(control.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>(control.end() - 3, control.end()),
              (std::vector<int32_t>{0x00, 0x09, 0x00}));
    EXPECT_EQ(windows.events,
              (QStringList{"display options off", "panel 0", "panel 144", "capture buttons off"}));
    ASSERT_EQ(l.messages.lines.size(), 1u);
    EXPECT_EQ(l.messages.lines[0].text, "Board Reset");
    EXPECT_EQ(l.messages.lines[0].colour, 255u);
    const Settings& s = l.state.CurrentSettings;
    EXPECT_EQ(s.SampleFreq, 100000);
    EXPECT_EQ(s.NumberOfSamples, 0);
    EXPECT_EQ(s.Max_Frequency, 2000000);
    EXPECT_FALSE(s.ProgramLoaded || s.DataLoaded);
    EXPECT_TRUE(l.boxes.shown.empty());
}

TEST(ResetBoard, BoardThatDoesNotAnswerGetsTheBoxAndNoPause) {
    Link l;
    l.answers = 0;
    RecordingWindows windows;
    EXPECT_EQ(ResetBoard(l.state, l.comms, windows), 0);
    ASSERT_EQ(l.boxes.shown.size(), 1u);
    EXPECT_EQ(l.boxes.shown[0].text,
              "The Velmar Board Failed to Respond\r\nPlease Press the RESET button on the Board.");
    EXPECT_EQ(l.boxes.shown[0].title, "Reset Error");
    EXPECT_EQ(l.boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(l.messages.texts(), QStringList{"Reset Failure"});
    EXPECT_FALSE(l.messages.lines[0].colour.has_value());
    EXPECT_EQ(l.yield.count, 0);
    EXPECT_EQ(windows.events, (QStringList{"display options off", "panel 0", "panel 144"}));
    EXPECT_EQ(l.state.CurrentSettings.Max_Frequency, 2000000);
}

namespace {
QString writeFile(QTemporaryDir& dir, const char* name, const char* text) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}
}  // namespace

TEST(DspProgramFile, MarkerWordsAndEndAreCheckedBeforeAnyTraffic) {
    QTemporaryDir dir;
    struct Row {
        const char* text;
        int16_t result;
        int words;
    } rows[] = {
        {"hdr\r\n@PA\r\n0000\r\n123456\r\nABCDEF\r\n#\r\n@DA\r\nZZ\r\n", 0, 2},
        {"hdr,@PA,addr,#", 0, 0},
        {"hdr\r\n@pa\r\n0000\r\n123456\r\n#\r\n", 2, 0},
        {"hdr\r\n@PA\r\n0000\r\n123456\r\nABCD\r\n#\r\n", 2, 0},
        {"hdr\r\n@PA\r\n0000\r\n12345G\r\n#\r\n", 2, 0},
        {"hdr\r\n@PA\r\n0000\r\n123456\r\n", 2, 0},
        // A line feed inside the quotes is not a seventh digit the check may overlook.
        {"hdr\r\n@PA\r\n0000\r\n\"123456\n\"\r\n#\r\n", 2, 0},
        {"hdr\r\n@PA\r\n0000\r\n\"123456\"\r\n#\r\n", 0, 1},
        // No program address before the end marker: nothing to download.
        {"hdr\r\n@PA\r\n#\r\n123456\r\n#\r\n", 2, 0},
        {"only one item", 2, 0},
        {"", 2, 0},
    };
    int n = 0;
    for (const Row& r : rows) {
        const QString path = writeFile(dir, qPrintable(QString("P%1.EXE").arg(++n)), r.text);
        const DspProgramFile f = readDspProgramFile(path);
        EXPECT_EQ(f.result, r.result) << r.text;
        EXPECT_EQ(f.words.size(), r.words) << r.text;
    }
    EXPECT_EQ(readDspProgramFile(dir.filePath("NONE.EXE")).result, DspResult::NoFile);
    EXPECT_EQ(readDspProgramFile(QString()).result, DspResult::NoFile);

    const DspProgramFile example = readDspProgramFile(RQ_EXAMPLES_DIR "/VMB.EXE");
    EXPECT_EQ(example.result, 0);
    EXPECT_EQ(example.words.size(), 96);
}

TEST(LoadDSPProgram, RefusedFileSendsNothing) {
    QTemporaryDir dir;
    Link l;
    l.state.CurrentSettings.EXEName = writeFile(dir, "BAD.EXE", "hdr\r\n@pa\r\n0\r\n#\r\n");
    EXPECT_EQ(LoadDSPProgram(l.state, l.comms), DspResult::NotDspFile);
    l.state.CurrentSettings.EXEName = dir.filePath("MISSING.EXE");
    EXPECT_EQ(LoadDSPProgram(l.state, l.comms), DspResult::NoFile);
    EXPECT_TRUE(l.port.accesses.empty());
}

TEST(LoadDSPProgram, EmptyProgramStillSendsLengthLatchAndStart) {
    QTemporaryDir dir;
    Link l;
    l.state.BoardLatch.setLatch(0xCC);
    l.state.CurrentSettings.EXEName = writeFile(dir, "EMPTY.EXE", "hdr\r\n@PA\r\n0000\r\n#\r\n");
    EXPECT_EQ(LoadDSPProgram(l.state, l.comms), DspResult::Started);
    EXPECT_EQ(l.bytesSent(), (std::vector<int32_t>{0, 0, 0, 2, 0, 0, 0xCC, 0, 0, 3, 0, 0, 0, 4}));
}
