// Protects what the user is told when the board link fails anywhere: every board fault of the
// simulated board, injected at every byte of every command frame, of the program length, of each
// download packet and of a capture, gives the error number and text of the procedure that was
// running, leaves the port's strobes released and the watchdog stopped, and a Reset followed by
// a Load (which resets again) brings the board back to capturing.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "SimLink.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"

using namespace rq;

namespace {

// A small program, so that every byte of every packet can be reached.
constexpr int kWords = 3;
const char* const kProgram = "hdr\r\n@PA\r\n0000\r\n123456\r\nABCDEF\r\n0F0F0F\r\n#\r\n";

// What a failed step showed: the number of the error it raised (or the download's result), its
// description, the last message box and the last line of the message list.
struct Seen {
    int number = 0;
    QString text;
    QString boxTitle;
    QString lastLine;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << s.number << " \"" << s.text.toStdString() << "\" box \""
              << s.boxTitle.toStdString() << "\" line \"" << s.lastLine.toStdString() << "\"";
}

struct Rig : test::SimLink {
    QTemporaryDir dir;
    ResetNotifications windows;

    Rig() {
        const QString path = dir.filePath("PROG.EXE");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(kProgram);
        f.close();
        state.CurrentSettings.EXEName = path;
        state.CurrentSettings.NumberOfBits = 12;
        state.BoardClock.setCrystalFrequency(40000000);
        state.BoardClock.setSampleFrequency(100000);
        tickAfterYields = 200;
    }
    void reset() {
        yield.count = 0;
        ResetBoard(state, comms, windows);
    }
    int16_t load() {
        reset();
        return LoadDSPProgram(state, comms);
    }
    void capture(std::vector<double>& data) {
        state.CurrentSettings.SampleFreq = 100000;
        state.CurrentSettings.NumberOfSamples = 0;
        yield.count = 0;
        comms.ReadData(256, data);
    }
    // Faults counted from the next byte on.
    void inject(const QString& spec) {
        boxes.shown.clear();
        messages.lines.clear();
        board.setFaults(parseFaultSpec(spec).value());
    }
    Seen seen(int number, const QString& text) const {
        return {number, text, boxes.shown.empty() ? QString() : boxes.shown.back().title,
                messages.lines.empty() ? QString() : messages.lines.back().text};
    }
    Seen raised(const std::function<void()>& step) {
        try {
            step();
        } catch (const NumberedError& e) {
            return seen(e.number(), e.description());
        }
        return seen(0, QString());
    }
    bool strobesReleased() { return (board.InByte(Base + 2) & 0x0B) == 0; }

    // The user's way back: the fault is gone, Reset (pressing the board's own button first when
    // the reset's box asks for it), then Load, then a capture.
    ::testing::AssertionResult recovers() {
        board.setFaults({});
        reset();
        if (!messages.lines.empty() && messages.lines.back().text == "Reset Failure") {
            board.pressResetButton();
            reset();
        }
        if (messages.lines.empty() || messages.lines.back().text != "Board Reset") {
            return ::testing::AssertionFailure() << "reset did not answer";
        }
        const int16_t loaded = load();
        if (loaded != DspResult::Started) {
            return ::testing::AssertionFailure() << "load gave " << loaded;
        }
        std::vector<double> data;
        try {
            capture(data);
        } catch (const NumberedError& e) {
            return ::testing::AssertionFailure() << "capture raised " << e.number();
        }
        if (data.size() != 256 || board.state() != SimBoard::State::Running) {
            return ::testing::AssertionFailure() << "no record";
        }
        return ::testing::AssertionSuccess();
    }
};

const char* const kFrameBytes[] = {"First Byte", "Word1 High Byte", "Word1 Low Byte", "Byte2"};

// The faults that hit byte k of a step: the board stops answering before it (its first
// handshake phase fails), or its line falls for it and never rises (the second phase fails).
// Faults that stop a step at its first byte whatever it is: no board at all, and a board whose
// line moves so slowly that the first phase, or both phases together, exhaust the 1000 reads.
struct Fault {
    QString spec;
};
std::vector<Fault> faultsAt(int k) {
    return {{QStringLiteral("stop-after=%1").arg(k)}, {QStringLiteral("stuck-low=%1").arg(k)}};
}
const std::vector<Fault> kFirstByteFaults = {{"no-board"}, {"slow=1000"}, {"slow=600"}};

struct Matrix {
    int cells = 0;
    // Runs one fault at byte k of a step and checks what it showed and that the board recovers.
    template <class Prepare, class Step, class Expect>
    void run(const char* step, int k, const Fault& fault, Prepare prepare, Step fail,
             Expect expected) {
        Rig rig;
        prepare(rig);
        rig.inject(fault.spec);
        const Seen seen = fail(rig);
        EXPECT_EQ(seen, expected(k, fault))
            << step << " byte " << k << " " << qPrintable(fault.spec);
        EXPECT_TRUE(rig.strobesReleased()) << step << " " << k << " " << qPrintable(fault.spec);
        EXPECT_FALSE(rig.timer.isEnabled()) << step << " " << k;
        EXPECT_TRUE(rig.recovers()) << step << " byte " << k << " " << qPrintable(fault.spec);
        ++cells;
    }
    template <class Prepare, class Step, class Expect>
    void sweep(const char* step, int bytes, Prepare prepare, Step fail, Expect expected) {
        for (int k = 0; k < bytes; ++k) {
            for (const Fault& f : faultsAt(k)) {
                run(step, k, f, prepare, fail, expected);
            }
        }
        for (const Fault& f : kFirstByteFaults) {
            run(step, 0, f, prepare, fail, expected);
        }
    }
};

void running(Rig& r) {
    ASSERT_EQ(r.load(), DspResult::Started);
}

}  // namespace

TEST(FaultMatrix, CommandFramesNameTheByteThatFailed) {
    Matrix m;
    const auto frameFailure = [](int k, const Fault&) {
        return Seen{504, QStringLiteral("Send Command Failed on ") + kFrameBytes[k], QString(),
                    QString()};
    };
    // The frames a user's buttons send once the program runs: the panel's latch write (3) and
    // the converter's power down (20) and up (22).
    for (int code : {3, 20, 22}) {
        m.sweep(
            "frame", 4, running,
            [code](Rig& r) { return r.raised([&] { r.comms.SendCommand(0xA4, 0, code); }); },
            frameFailure);
    }
    // The capture command: its box, then 504 for the caller.
    m.sweep(
        "capture command", 4, running,
        [](Rig& r) {
            std::vector<double> data;
            return r.raised([&] { r.capture(data); });
        },
        [](int k, const Fault&) {
            return Seen{504, QStringLiteral("Send Command Failed on ") + kFrameBytes[k],
                        "Send Command Error", QString()};
        });
    // The reset command: never raised, told in its box and the message list, and no pause.
    m.sweep(
        "reset command", 4, running,
        [](Rig& r) {
            r.reset();
            EXPECT_EQ(r.yield.count, 0);
            return r.seen(0, QString());
        },
        [](int, const Fault&) {
            return Seen{0, QString(), "Reset Error", "Reset Failure"};
        });
    EXPECT_EQ(m.cells, 5 * (4 * 2 + 3));
}

TEST(FaultMatrix, DownloadStepsGiveTheirResults) {
    Matrix m;
    const auto fresh = [](Rig& r) { r.reset(); };
    const auto download = [](Rig& r) {
        return r.seen(LoadDSPProgram(r.state, r.comms), QString());
    };
    const auto result = [](int16_t code) {
        return [code](int, const Fault&) { return Seen{code, QString(), QString(), QString()}; };
    };
    // Command 2, the two length bytes, each of the five bytes of each packet (four written, the
    // acknowledge read), then the latch and the start command.
    m.sweep("begin", 4, fresh, download, result(DspResult::BeginFailed));
    const int packets = 5 * kWords;
    // Faults counted from the start of the download, at each byte of the later steps.
    struct Step {
        const char* name;
        int first;
        int bytes;
        int16_t result;
    } steps[] = {{"length", 4, 2, DspResult::LengthFailed},
                 {"packets", 6, packets, DspResult::PacketFailed},
                 {"latch", 6 + packets, 4, DspResult::StartFailed},
                 {"start", 10 + packets, 4, DspResult::StartFailed}};
    for (const Step& s : steps) {
        for (int k = s.first; k < s.first + s.bytes; ++k) {
            for (const Fault& f : faultsAt(k)) {
                m.run(s.name, k, f, fresh, download, result(s.result));
            }
        }
    }
    // Refused packets: two refusals of a word are retried, a third ends the download.
    for (int refusals : {1, 2, 3, 7}) {
        m.run("refusals", refusals, {QStringLiteral("refuse=%1").arg(refusals)}, fresh, download,
              result(refusals >= 3 ? DspResult::PacketFailed : DspResult::Started));
    }
    EXPECT_EQ(m.cells, (4 * 2 + 3) + 2 * (2 + packets + 4 + 4) + 4);
}

TEST(FaultMatrix, CaptureFailuresNameTheSample) {
    Matrix m;
    const auto capture = [](Rig& r) {
        std::vector<double> data;
        const Seen seen = r.raised([&] { r.capture(data); });
        EXPECT_EQ(data.size(), seen.number == 517 && seen.text != "Timeout" ? 256u : 0u);
        return seen;
    };
    // Every byte of every sample of a 256-sample record, counted from the capture command. A
    // board that stops answering right after the command never signals the end of the
    // capture: that is the watchdog's time-out, not a sample.
    for (int k = 4; k < 4 + 2 * 256; ++k) {
        for (const Fault& f : faultsAt(k)) {
            m.run("sample", k, f, running, capture, [](int byte, const Fault& fault) {
                if (byte == 4 && fault.spec.startsWith("stop-after")) {
                    return Seen{517, "Timeout", QString(), QString()};
                }
                return Seen{517,
                            QStringLiteral("Error Reading Data Sample %1").arg((byte - 4) / 2 + 1),
                            QString(), QString()};
            });
        }
    }
    m.run("capture wait", 4, {"endless-capture"}, running, capture, [](int, const Fault&) {
        return Seen{517, "Timeout", QString(), QString()};
    });
    EXPECT_EQ(m.cells, 2 * 512 + 1);
}
