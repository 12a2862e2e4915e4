#include "board/CommsFunctions.h"

#include "state/ProgramState.h"

#include <algorithm>

#include "board/WindowsVersion.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "parport/PortRegisters.h"
#include "protocol/BoardProtocol.h"

namespace rq {
namespace {
constexpr int16_t kKeptControlBits = portreg::ControlKeptBits;
constexpr int16_t kDirectionInput = portreg::ControlDirectionInput;
constexpr int16_t kBusy = portreg::StatusLine;
constexpr int16_t kWriteStrobes = portreg::ControlWriteStrobe | portreg::ControlDataStrobe;
constexpr int16_t kDataStrobe = portreg::ControlDataStrobe;
constexpr int16_t kResetPulse = portreg::ControlWriteStrobe | portreg::ControlAddressStrobe;

int16_t statusOf(int16_t port) {
    return static_cast<int16_t>(port + portreg::StatusOffset);
}
int16_t controlOf(int16_t port) {
    return static_cast<int16_t>(port + portreg::ControlOffset);
}

const char* const kWriteSource = "EPP Write";
const char* const kWriteTimeout = "EPP Write Timeout";
const char* const kReadSource = "EPP Read";
const char* const kReadTimeout = "EPP Read Timeout";
}  // namespace

BoardLinkState linkStateOf(ProgramState& state) {
    const Settings& s = state.CurrentSettings;
    return {state.PortAddress, s.EchoComms,  s.NumberOfSamples, s.SampleFreq,
            s.NumberOfBits,    s.DataFormat, state.BoardClock,  state.TimedOut};
}

CommsFunctions::CommsFunctions(const BoardLinkState& state, ParallelPortLibrary& port, Yield& yield,
                               WatchdogTimer& timer, MessageList& messages, MessageBoxes& boxes)
    : m_state(state),
      m_port(port),
      m_yield(yield),
      m_timer(timer),
      m_messages(messages),
      m_boxes(boxes) {}

bool CommsFunctions::pollStatus(int16_t port, int& count, int16_t control, int errorNumber,
                                const char* source, const char* description) {
    const int16_t status = InPort(m_port, statusOf(port));
    ++count;
    // The budget is checked before the value is looked at: a ready line on read 1001 is late.
    if (count > PollBudget) {
        OutPort(m_port, controlOf(port), control);
        throw NumberedError(errorNumber, QString::fromLatin1(source),
                            QString::fromLatin1(description));
    }
    return (status & kBusy) != 0;
}

int16_t CommsFunctions::EPPWrite(int16_t port, int16_t value) {
    const int16_t controlAddress = controlOf(port);
    const int16_t c = static_cast<int16_t>(InPort(m_port, controlAddress) & kKeptControlBits);
    OutPort(m_port, controlAddress, c);
    // Three writes give the data lines time to settle.
    OutPort(m_port, port, value);
    OutPort(m_port, port, value);
    OutPort(m_port, port, value);
    OutPort(m_port, controlAddress, static_cast<int16_t>(c | kWriteStrobes));
    int count = 0;
    while (pollStatus(port, count, c, 515, kWriteSource, kWriteTimeout)) {
    }
    OutPort(m_port, controlAddress, c);
    while (!pollStatus(port, count, c, 516, kWriteSource, kWriteTimeout)) {
    }
    return 0;
}

int16_t CommsFunctions::EPPRead(int16_t port) {
    const int16_t controlAddress = controlOf(port);
    const int16_t c =
        static_cast<int16_t>((InPort(m_port, controlAddress) & kKeptControlBits) | kDirectionInput);
    OutPort(m_port, controlAddress, c);
    OutPort(m_port, controlAddress, static_cast<int16_t>(c | kDataStrobe));
    int count = 0;
    while (pollStatus(port, count, c, 513, kReadSource, kReadTimeout)) {
    }
    const int16_t value = InPort(m_port, port);
    OutPort(m_port, controlAddress, c);
    while (!pollStatus(port, count, c, 514, kReadSource, kReadTimeout)) {
    }
    return value;
}

int16_t CommsFunctions::WaitForReady() {
    const auto fail = [] {
        return NumberedError(537, QStringLiteral("WaitForReady "), QStringLiteral("Error"));
    };
    try {
        if (!m_timer.isEnabled()) {
            m_timer.setEnabled(true);
        }
        const int16_t port = m_state.portAddress;
        const int16_t controlAddress = controlOf(port);
        const int16_t statusAddress = statusOf(port);
        const int16_t c = static_cast<int16_t>(InPort(m_port, controlAddress) & kKeptControlBits);
        OutPort(m_port, controlAddress, c);
        // A flag already set on entry skips both waits; one raised while waiting is a time-out.
        const bool timedOutOnEntry = m_state.timedOut;

        // A capture lasts from a fraction of a millisecond to half a minute. The first polls of
        // each phase only yield; after them each turn may wait up to a millisecond for an
        // event, so a long wait costs little CPU and the end is seen within a millisecond.
        const auto turn = [this](int& polls) {
            if (polls < BusyPolls) {
                ++polls;
                m_yield.yield();
            } else {
                m_yield.idle();
            }
        };
        int polls = 0;
        bool busy = true;  // the first pass takes the line as busy
        for (;;) {
            if (!busy || m_state.timedOut) {
                break;
            }
            busy = (InPort(m_port, statusAddress) & kBusy) != 0;
            turn(polls);
            if (m_state.timedOut) {
                throw fail();
            }
        }

        OutPort(m_port, controlAddress, static_cast<int16_t>(c | kDataStrobe));
        OutPort(m_port, controlAddress, c);

        polls = 0;
        busy = false;  // the first pass takes the line as low
        for (;;) {
            if (busy) {
                break;
            }
            if (m_state.timedOut) {
                if (timedOutOnEntry) {
                    break;
                }
                throw fail();
            }
            busy = (InPort(m_port, statusAddress) & kBusy) != 0;
            if (m_state.timedOut) {
                throw fail();
            }
            turn(polls);
        }
        return 0;
    } catch (const NumberedError& e) {
        if (e.number() == 537) {
            throw;
        }
        throw fail();
    } catch (const std::exception&) {
        throw fail();
    }
}

}  // namespace rq

namespace rq {
namespace {

bool isTransferError(const NumberedError& e, int a, int b) {
    return e.number() == a || e.number() == b;
}

}  // namespace

void CommsFunctions::SendCommand(int16_t firstByte, int32_t word1, int16_t commandCode) {
    if (m_state.echoComms) {
        m_messages.AddItem(QStringLiteral("Sent:") + hexPadded(firstByte, 2, 16) +
                           hexPadded(word1, 4, 32) + hexPadded(commandCode, 2, 16));
    }
    const int32_t high = word1 / 256;
    const int32_t low = word1 - high * 256;
    const struct {
        int32_t value;
        const char* description;
    } frame[] = {{firstByte, "Send Command Failed on First Byte"},
                 {high, "Send Command Failed on Word1 High Byte"},
                 {low, "Send Command Failed on Word1 Low Byte"},
                 {commandCode, "Send Command Failed on Byte2"}};
    const int16_t port = m_state.portAddress;
    for (const auto& byte : frame) {
        try {
            EPPWrite(port, static_cast<int16_t>(byte.value & 0xFFFF));
        } catch (const NumberedError& e) {
            if (!isTransferError(e, 515, 516)) {
                return;  // anything else ends the frame quietly
            }
            throw NumberedError(504, QStringLiteral("Send Command"),
                                QString::fromLatin1(byte.description));
        }
    }
}

int32_t CommsFunctions::ReadValue() {
    const auto fail = [] {
        return NumberedError(518, QStringLiteral("ReadValue"), QStringLiteral("ReadValue Error"));
    };
    const int16_t port = m_state.portAddress;
    int32_t high = 0;
    int32_t low = 0;
    try {
        high = EPPRead(port);
    } catch (const NumberedError&) {
        throw fail();
    }
    try {
        low = EPPRead(port);
    } catch (const NumberedError&) {
        throw fail();
    }
    return high * 256 | low;
}

int CommsFunctions::captureTimeoutMs(int32_t sampleFreq) {
    if (sampleFreq <= 0) {
        return 3000;
    }
    const double t = 32768.0 / sampleFreq * 1000.0;
    return t > 3000.0 ? static_cast<int>(roundHalfEven(t)) : 3000;
}

void CommsFunctions::ReadData(int32_t count, std::vector<double>& data) {
    const ClockSettings& clock = m_state.clock;
    const int32_t period = clock.TPeriodHigh() * 256 + clock.TPeriodLow();
    // The period travels as a 16-bit word; a longer one (a very low sample frequency) would be
    // sent wrong, and a negative one (a frequency above the crystal, or no crystal at all) means
    // the divider cannot make the rate, so the capture is refused either way.
    if (const SamplePeriod::Fit fit = clock.periodFit(); fit != SamplePeriod::Fits) {
        const int32_t crystal = clock.CrystalFrequency();
        QString text;
        QString description;
        if (fit == SamplePeriod::TooLong) {
            text = QStringLiteral(
                       "The sample frequency of %1 Hz is too low for the board's "
                       "sample clock.\r\nPlease choose %2 Hz or more.")
                       .arg(clock.SampleFrequency())
                       .arg(crystal / (protocol::MaxPeriodWord + 1) + 1);
            description = QStringLiteral("Sample Frequency Too Low");
        } else if (crystal <= 0) {
            text = QStringLiteral(
                       "The board's sample clock has no crystal frequency (%1 Hz), so "
                       "no sample frequency can be made.")
                       .arg(crystal);
            description = QStringLiteral("Sample Frequency Too High");
        } else {
            text = QStringLiteral(
                       "The sample frequency of %1 Hz is too high for the board's "
                       "sample clock.\r\nPlease choose %2 Hz or less.")
                       .arg(clock.SampleFrequency())
                       .arg(crystal);
            description = QStringLiteral("Sample Frequency Too High");
        }
        m_boxes.show(text, QStringLiteral("Sample Clock Error"), MsgIcon::Exclamation,
                     MsgButtons::Ok);
        throw NumberedError(517, QStringLiteral("ReadData"), description);
    }
    const int32_t word = period | protocol::PeriodWordSetBits;

    try {
        SendCommand(m_state.numberOfSamples, word, protocol::CmdCapture);
    } catch (const NumberedError& e) {
        m_boxes.show(QStringLiteral("Velmar Board failed to respond to a command.\rA reset may "
                                    "be necessary"),
                     QStringLiteral("Send Command Error"), MsgIcon::Critical, MsgButtons::OkCancel);
        throw;
    }

    m_timer.setInterval(captureTimeoutMs(m_state.sampleFreq));
    m_timer.setEnabled(true);
    m_state.timedOut = false;
    try {
        WaitForReady();
    } catch (const NumberedError&) {
        m_timer.setEnabled(false);
        throw NumberedError(517, QStringLiteral("ReadData"), QStringLiteral("Timeout"));
    }
    m_timer.setEnabled(false);

    data.assign(static_cast<size_t>(std::max(count, 0)), 0.0);
    const int bits = m_state.numberOfBits;
    const int64_t mask = bits <= 0 ? 0 : (bits >= 32 ? 0xFFFFFFFFLL : (1LL << bits) - 1);
    const int64_t half = bits <= 0 ? 0 : (bits >= 32 ? 0x80000000LL : 1LL << (bits - 1));
    for (int32_t i = 0; i < count; ++i) {
        int64_t v = 0;
        bool failed = false;
        try {
            v = ReadValue();
        } catch (const NumberedError&) {
            failed = true;
        }
        v &= mask;
        if (m_state.dataFormat == 1 && bits > 0 && v >= half) {
            v -= 2 * half;
        }
        data[static_cast<size_t>(i)] = static_cast<double>(v);
        if (failed) {
            throw NumberedError(
                517, QStringLiteral("ReadData"),
                QStringLiteral("Error Reading Data Sample ") + formatGeneral(i + 1));
        }
    }
}

void CommsFunctions::PulseControlLines() {
    const int16_t control = controlOf(m_state.portAddress);
    const int16_t c = static_cast<int16_t>(InPort(m_port, control) & kKeptControlBits);
    OutPort(m_port, control, c);
    OutPort(m_port, control, static_cast<int16_t>(c | kResetPulse));
    OutPort(m_port, control, c);
}

void CommsFunctions::SendResetCommand() {
    SendCommand(0, 0, protocol::CmdReset);
    for (int i = 0; i < ResetPauseYields; ++i) {
        m_yield.yield();
    }
    PulseControlLines();
}

void CommsFunctions::SendProgramLength(int16_t n) {
    const int16_t high = static_cast<int16_t>(n / 256);
    const int16_t low = static_cast<int16_t>(n - high * 256);
    const int16_t port = m_state.portAddress;
    try {
        EPPWrite(port, high);
    } catch (const NumberedError&) {
        throw NumberedError(505, QStringLiteral("SendProgramLength"),
                            QStringLiteral("SendProgramLength Command Failed on High Byte"));
    }
    try {
        EPPWrite(port, low);
    } catch (const NumberedError&) {
        throw NumberedError(505, QStringLiteral("SendProgramLength"),
                            QStringLiteral("SendProgramLength Command Failed on Low Byte"));
    }
}

void CommsFunctions::SendPacket(const QString& word) {
    const int16_t port = m_state.portAddress;
    const auto byteAt = [&word](qsizetype start) {
        return static_cast<int16_t>(word.mid(start, 2).toInt(nullptr, 16));
    };
    // The last two characters, whatever the word's length.
    const int16_t bytes[3] = {byteAt(0), byteAt(2),
                              byteAt(std::max<qsizetype>(word.size() - 2, 0))};
    const char* const failures[4] = {
        "SendPacket Command Failed on First Write", "SendPacket Command Failed on Second Write",
        "SendPacket Command Failed on Third Write", "SendPacket Command Failed on Third Write"};
    const int16_t sum = static_cast<int16_t>((bytes[0] + bytes[1] + bytes[2]) & 0xFF);
    const int16_t out[4] = {bytes[0], bytes[1], bytes[2], sum};
    for (int i = 0; i < 4; ++i) {
        try {
            EPPWrite(port, out[i]);
        } catch (const NumberedError&) {
            throw NumberedError(506, QStringLiteral("SendPacket"),
                                QString::fromLatin1(failures[i]));
        }
    }
    int16_t answer = -1;
    try {
        answer = EPPRead(port);
    } catch (const NumberedError&) {
        answer = -1;
    }
    if (answer != protocol::Acknowledge) {
        throw NumberedError(520, QStringLiteral("SendPacket"), QStringLiteral("Checksum Error"));
    }
}

}  // namespace rq
