#include "simboard/SimBoard.h"

#include "parport/PortRegisters.h"
#include "protocol/BoardProtocol.h"

namespace rq {
namespace {
constexpr uint8_t kWriteStrobe = portreg::ControlWriteStrobe;
constexpr uint8_t kDataStrobe = portreg::ControlDataStrobe;
constexpr uint8_t kAddressStrobe = portreg::ControlAddressStrobe;
constexpr uint8_t kDirectionInput = portreg::ControlDirectionInput;
constexpr uint8_t kLine = portreg::StatusLine;
constexpr uint8_t kStatusRest = portreg::StatusRest;

constexpr uint8_t kDownload = protocol::CmdBeginDownload;
constexpr uint8_t kLatch = protocol::CmdWriteLatch;
constexpr uint8_t kStart = protocol::CmdStartProgram;
constexpr uint8_t kCapture = protocol::CmdCapture;
constexpr uint8_t kReset = protocol::CmdReset;
constexpr uint8_t kPowerDown = protocol::CmdPowerDown;
constexpr uint8_t kPowerUp = protocol::CmdPowerUp;
constexpr uint8_t kAcknowledge = protocol::Acknowledge;
constexpr uint8_t kRefusal = protocol::Refusal;
}  // namespace

SimBoard::SimBoard(const SimBoardSettings& settings)
    : m_settings(settings), m_converter(settings.converter) {
    m_refusalsLeft = m_settings.faults.refusedAcknowledges;
}

int32_t SimBoard::GetParallelPortCount() {
    return 1;
}

int32_t SimBoard::ClaimParallelPort(int32_t port, int32_t /*wait*/) {
    return port == 1 ? 1 : 0;
}

int32_t SimBoard::GetParallelPortInfo(int32_t port, ParallelPortInfo& info) {
    if (port != 1) {
        return 0;
    }
    info.address = m_settings.baseAddress;
    info.reserved = 0;
    return 1;
}

int32_t SimBoard::ReleaseParallelPort(int32_t port) {
    return port == 1 ? 1 : 0;
}

// The PC passes addresses as 16-bit integers, so the base is matched on its low 16 bits.
int SimBoard::registerOf(int32_t address) const {
    const int32_t offset = (address & 0xFFFF) - (m_settings.baseAddress & 0xFFFF);
    return (offset >= portreg::DataOffset && offset <= portreg::ControlOffset) ? offset : -1;
}

int32_t SimBoard::InByte(int32_t address) {
    switch (registerOf(address)) {
        case portreg::DataOffset:
            if ((m_control & kDirectionInput) == 0) {
                return m_data;
            }
            return m_settings.faults.noBoard ? 0xFF : m_bus;
        case portreg::StatusOffset:
            return readStatus();
        case portreg::ControlOffset:
            return m_control;
        default:
            return 0xFF;
    }
}

void SimBoard::OutByte(int32_t address, int32_t value) {
    const auto byte = static_cast<uint8_t>(value & 0xFF);
    switch (registerOf(address)) {
        case portreg::DataOffset:
            m_data = byte;
            break;
        case portreg::ControlOffset:
            writeControl(byte);
            break;
        default:
            break;  // the status register and foreign addresses take nothing
    }
}

void SimBoard::setConverter(const ConverterSettings& converter) {
    m_settings.converter = converter;
    m_converter = ConverterModel(converter);
}

void SimBoard::setFaults(const SimBoardFaults& faults) {
    m_settings.faults = faults;
    m_faultBytesBase = m_bytes;
    m_refusalsLeft = faults.refusedAcknowledges;
    m_stuck = false;
}

void SimBoard::pressResetButton() {
    m_line = true;
    m_pending = false;
    m_stuck = false;
    m_cycle = Cycle::None;
    m_cycleFell = false;
    m_donePulse = false;
    m_resetPulse = false;
    m_faultBytesBase = m_bytes;
    m_refusalsLeft = m_settings.faults.refusedAcknowledges;
    restartMonitor();
}

QString SimBoard::stateName(State state) {
    switch (state) {
        case State::Monitor:
            return QStringLiteral("boot monitor");
        case State::Downloading:
            return QStringLiteral("downloading");
        case State::ProgramLoaded:
            return QStringLiteral("program loaded");
        case State::Running:
            return QStringLiteral("program running");
        case State::Resetting:
            return QStringLiteral("resetting");
    }
    return QString();
}

bool SimBoard::answering() const {
    const SimBoardFaults& f = m_settings.faults;
    if (f.noBoard) {
        return false;
    }
    return f.stopAfterBytes < 0 || faultBytes() < f.stopAfterBytes;
}

// ---- The line ---------------------------------------------------------------------------------

void SimBoard::requestLine(bool level) {
    if (m_stuck && level) {
        return;
    }
    m_pending = true;
    m_pendingLevel = level;
    m_pendingReads = m_settings.faults.slowStatusReads;
    if (m_pendingReads <= 0) {
        showPendingLine();
    }
}

void SimBoard::showPendingLine() {
    m_pending = false;
    m_line = m_pendingLevel;
    // The board acts on a byte at the moment it answers the strobe, not when it is asked.
    if (!m_line && m_cycle != Cycle::None && !m_cycleFell) {
        m_cycleFell = true;
        transferByte();
    }
}

int32_t SimBoard::readStatus() {
    ++m_statusReads;
    if (m_settings.faults.noBoard) {
        return kStatusRest | kLine;
    }
    if (m_pending) {
        if (m_pendingReads > 0) {
            --m_pendingReads;
        } else {
            showPendingLine();
        }
    }
    if (m_capture == CapturePhase::Capturing && m_captureRiseSeen && !m_pending && answering() &&
        captureElapsed()) {
        m_capture = CapturePhase::Done;
        m_donePulse = false;
        requestLine(false);
    }
    // The end of a capture may only show after the PC has seen the command's last byte finish,
    // or it would read the falling line as a write that never completed.
    if (m_capture == CapturePhase::Capturing && m_line && !m_pending) {
        m_captureRiseSeen = true;
    }
    return kStatusRest | (m_line ? kLine : 0);
}

void SimBoard::writeControl(uint8_t value) {
    m_control = value;
    if (m_settings.faults.noBoard) {
        return;
    }
    const bool input = (value & kDirectionInput) != 0;
    const uint8_t strobes = value & (kWriteStrobe | kDataStrobe);

    if (m_cycle == Cycle::None) {
        if (strobes == (kWriteStrobe | kDataStrobe) && !input) {
            startCycle(Cycle::Write);
        } else if (strobes == kDataStrobe && input) {
            startCycle(Cycle::Read);
        }
    } else if (strobes == 0) {
        endCycle();
    }

    if (m_capture == CapturePhase::Done) {
        if (strobes == kDataStrobe && !input) {
            m_donePulse = true;
        } else if ((value & kDataStrobe) == 0 && m_donePulse) {
            m_donePulse = false;
            finishCapture();
        }
    }

    const uint8_t resetStrobes = kWriteStrobe | kAddressStrobe;
    if ((value & resetStrobes) == resetStrobes && (value & kDataStrobe) == 0) {
        m_resetPulse = true;
    } else if ((value & resetStrobes) == 0 && m_resetPulse) {
        m_resetPulse = false;
        onResetPulse();
    }
}

void SimBoard::startCycle(Cycle cycle) {
    // A board busy with a capture, hung or with its line stuck low does not answer a strobe.
    if (!answering() || m_stuck || m_capture != CapturePhase::Idle) {
        return;
    }
    if (cycle == Cycle::Read && m_output.empty()) {
        return;
    }
    m_cycle = cycle;
    m_cycleFell = false;
    requestLine(false);
}

void SimBoard::endCycle() {
    const bool fell = m_cycleFell;
    m_cycle = Cycle::None;
    m_cycleFell = false;
    if (fell) {
        requestLine(true);
    } else {
        // Released before the board answered: the byte never went across.
        m_pending = false;
    }
}

void SimBoard::transferByte() {
    const SimBoardFaults& f = m_settings.faults;
    if (f.stuckLowAfterBytes >= 0 && faultBytes() >= f.stuckLowAfterBytes) {
        m_stuck = true;
    }
    ++m_bytes;
    if (m_cycle == Cycle::Write) {
        // A write ends any reply the PC chose not to read.
        m_output.clear();
        receiveByte(m_data);
    } else if (!m_output.empty()) {
        m_bus = m_output.front();
        m_output.pop_front();
    }
}

// ---- Protocol ---------------------------------------------------------------------------------

void SimBoard::receiveByte(uint8_t byte) {
    switch (m_state) {
        case State::Resetting:
            return;  // restarting: nothing listens until the pulse
        case State::Downloading:
            receiveDownloadByte(byte);
            return;
        default:
            m_frame.push_back(byte);
            if (m_frame.size() == 4) {
                handleFrame();
            }
            return;
    }
}

void SimBoard::receiveDownloadByte(uint8_t byte) {
    if (m_lengthBytes < 2) {
        m_programLength = m_programLength * 256 + byte;
        if (++m_lengthBytes == 2 && m_programLength == 0) {
            m_state = State::ProgramLoaded;
        }
        return;
    }
    m_packet[static_cast<size_t>(m_packetBytes++)] = byte;
    if (m_packetBytes < 4) {
        return;
    }
    m_packetBytes = 0;
    bool accepted = ((m_packet[0] + m_packet[1] + m_packet[2]) & 0xFF) == m_packet[3];
    if (m_refusalsLeft > 0) {
        --m_refusalsLeft;
        accepted = false;
    }
    if (accepted) {
        m_program.push_back((uint32_t{m_packet[0]} << 16) | (uint32_t{m_packet[1]} << 8) |
                            m_packet[2]);
    }
    // A refused packet is dropped; the PC sends the same word again.
    m_output.push_back(accepted ? kAcknowledge : kRefusal);
    if (static_cast<int>(m_program.size()) >= m_programLength) {
        m_state = State::ProgramLoaded;
    }
}

void SimBoard::handleFrame() {
    CommandFrame frame;
    frame.firstByte = m_frame[0];
    frame.word = static_cast<uint16_t>(m_frame[1] * 256 + m_frame[2]);
    frame.code = m_frame[3];
    m_frame.clear();
    frame.understood = runCommand(frame);
    if (m_log.size() == CommandLogLength) {
        m_log.erase(m_log.begin());
    }
    m_log.push_back(frame);
    ++m_commandCount;
}

bool SimBoard::runCommand(const CommandFrame& frame) {
    if (frame.code == kReset) {
        // The program stops here; the pulse that follows restarts the monitor.
        m_state = State::Resetting;
        m_output.clear();
        return true;
    }
    switch (m_state) {
        case State::Monitor:
            if (frame.code == kDownload) {
                m_state = State::Downloading;
                m_program.clear();
                m_programLength = 0;
                m_lengthBytes = 0;
                m_packetBytes = 0;
                return true;
            }
            return false;
        case State::ProgramLoaded:
            // The PC writes the latch between the download and the start.
            if (frame.code == kLatch) {
                m_latch = frame.firstByte;
                return true;
            }
            if (frame.code == kStart) {
                m_state = State::Running;
                return true;
            }
            return false;
        case State::Running:
            switch (frame.code) {
                case kLatch:
                    m_latch = frame.firstByte;
                    return true;
                case kCapture:
                    if (frame.firstByte > protocol::MaxRecordLengthIndex) {
                        return false;
                    }
                    startCapture(frame);
                    return true;
                case kPowerDown:
                    m_poweredUp = false;
                    return true;
                case kPowerUp:
                    m_poweredUp = true;
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void SimBoard::startCapture(const CommandFrame& frame) {
    const int count = protocol::SamplesAtIndexZero << frame.firstByte;
    const double rate = protocol::CrystalFrequency / (static_cast<double>(frame.word) + 1.0);
    m_record = m_poweredUp
                   ? m_converter.record(count, rate, static_cast<uint64_t>(m_captureCount))
                   : std::vector<uint16_t>(static_cast<size_t>(count), m_converter.midScaleWord());
    ++m_captureCount;
    m_lastRecordLength = count;
    m_lastSampleRate = rate;
    m_capture = CapturePhase::Capturing;
    m_captureStart = std::chrono::steady_clock::now();
    m_captureLength = std::chrono::duration<double>(count / rate);
    m_captureRiseSeen = false;
}

bool SimBoard::captureElapsed() const {
    if (m_settings.faults.endlessCapture) {
        return false;
    }
    if (m_settings.immediateCapture) {
        return true;
    }
    return std::chrono::steady_clock::now() - m_captureStart >= m_captureLength;
}

void SimBoard::finishCapture() {
    m_capture = CapturePhase::Idle;
    m_output.clear();
    for (uint16_t word : m_record) {
        m_output.push_back(static_cast<uint8_t>(word >> 8));
        m_output.push_back(static_cast<uint8_t>(word & 0xFF));
    }
    m_record.clear();
    requestLine(true);
}

void SimBoard::onResetPulse() {
    if (!answering()) {
        return;
    }
    // The pulse also realigns the framing: a half-received frame is dropped.
    m_frame.clear();
    if (m_state == State::Resetting || m_state == State::Downloading) {
        restartMonitor();
    }
}

void SimBoard::restartMonitor() {
    m_state = State::Monitor;
    m_frame.clear();
    m_output.clear();
    m_program.clear();
    m_programLength = 0;
    m_lengthBytes = 0;
    m_packetBytes = 0;
    m_poweredUp = true;
    m_capture = CapturePhase::Idle;
    m_record.clear();
    ++m_resetCount;
}

}  // namespace rq
