#include "CommsFunctions.h"

#include "NumberedError.h"
#include "WindowsVersion.h"

namespace rq {
namespace {
constexpr int16_t kKeptControlBits = 0xD4;
constexpr int16_t kDirectionInput = 0x20;
constexpr int16_t kBusy = 0x80;

const char* const kWriteSource = "EPP Write";
const char* const kWriteTimeout = "EPP Write Timeout";
const char* const kReadSource = "EPP Read";
const char* const kReadTimeout = "EPP Read Timeout";
}  // namespace

CommsFunctions::CommsFunctions(ProgramState& state, ParallelPortLibrary& port, Yield& yield,
                               WatchdogTimer& timer, MessageList& messages, MessageBoxes& boxes)
    : m_state(state),
      m_port(port),
      m_yield(yield),
      m_timer(timer),
      m_messages(messages),
      m_boxes(boxes) {}

bool CommsFunctions::pollStatus(int16_t port, int& count, int16_t control, int errorNumber,
                                const char* source, const char* description) {
    const int16_t status = InPort(m_port, static_cast<int16_t>(port + 1));
    ++count;
    // The budget is checked before the value is looked at: a ready line on read 1001 is late.
    if (count > PollBudget) {
        OutPort(m_port, static_cast<int16_t>(port + 2), control);
        throw NumberedError(errorNumber, QString::fromLatin1(source),
                            QString::fromLatin1(description));
    }
    return (status & kBusy) != 0;
}

int16_t CommsFunctions::EPPWrite(int16_t port, int16_t value) {
    const int16_t controlAddress = static_cast<int16_t>(port + 2);
    const int16_t c = static_cast<int16_t>(InPort(m_port, controlAddress) & kKeptControlBits);
    OutPort(m_port, controlAddress, c);
    // Three writes give the data lines time to settle.
    OutPort(m_port, port, value);
    OutPort(m_port, port, value);
    OutPort(m_port, port, value);
    OutPort(m_port, controlAddress, static_cast<int16_t>(c | 3));
    int count = 0;
    while (pollStatus(port, count, c, 515, kWriteSource, kWriteTimeout)) {
    }
    OutPort(m_port, controlAddress, c);
    while (!pollStatus(port, count, c, 516, kWriteSource, kWriteTimeout)) {
    }
    return 0;
}

int16_t CommsFunctions::EPPRead(int16_t port) {
    const int16_t controlAddress = static_cast<int16_t>(port + 2);
    const int16_t c = static_cast<int16_t>((InPort(m_port, controlAddress) & kKeptControlBits) |
                                           kDirectionInput);
    OutPort(m_port, controlAddress, c);
    OutPort(m_port, controlAddress, static_cast<int16_t>(c | 2));
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
        const int16_t port = m_state.PortAddress;
        const int16_t controlAddress = static_cast<int16_t>(port + 2);
        const int16_t statusAddress = static_cast<int16_t>(port + 1);
        const int16_t c = static_cast<int16_t>(InPort(m_port, controlAddress) & kKeptControlBits);
        OutPort(m_port, controlAddress, c);
        // A flag already set on entry skips both waits; one raised while waiting is a time-out.
        const bool timedOutOnEntry = m_state.TimedOut;

        bool busy = true;  // the first pass takes the line as busy
        for (;;) {
            if (!busy || m_state.TimedOut) {
                break;
            }
            busy = (InPort(m_port, statusAddress) & kBusy) != 0;
            m_yield.yield();
            if (m_state.TimedOut) {
                throw fail();
            }
        }

        OutPort(m_port, controlAddress, static_cast<int16_t>(c | 2));
        OutPort(m_port, controlAddress, c);

        busy = false;  // the first pass takes the line as low
        for (;;) {
            if (busy) {
                break;
            }
            if (m_state.TimedOut) {
                if (timedOutOnEntry) {
                    break;
                }
                throw fail();
            }
            busy = (InPort(m_port, statusAddress) & kBusy) != 0;
            if (m_state.TimedOut) {
                throw fail();
            }
            m_yield.yield();
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
