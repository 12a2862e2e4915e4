#pragma once

#include <QString>
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "parport/ParallelPortLibrary.h"
#include "parport/PortRegisters.h"
#include "simboard/ConverterModel.h"
#include "simboard/SimBoardSettings.h"

namespace rq {

// The Velmar Board with its boot monitor, DSP program and converter, answering at register level
// on one printer port, so the program's own transport and protocol run against it unchanged.
//
// Handshake (status bit 7 is the board's line, high when idle):
// - write: control bits 0 and 1 asserted with the direction bit (5) clear; the board takes the
//   data register and drops the line, and raises it when both strobes are released;
// - read: control bit 1 asserted, bit 0 clear, direction bit set; the board drives its next byte
//   onto the data lines and drops the line, and raises it on release. With nothing to send it
//   does not answer;
// - capture: the line stays high while the record is taken and falls at its end; one pulse on
//   control bit 1 (direction clear) raises it again and the record is then read out;
// - reset: command 8 stops the program and the board ignores everything until a pulse on control
//   bits 0 and 3, which restarts the boot monitor. The monitor's loader also restarts on that
//   pulse alone, since it cannot see a command inside packet bytes.
//
// The board has no threads: time is looked at when the PC reads the status register.
class SimBoard : public ParallelPortLibrary {
public:
    enum class State { Monitor, Downloading, ProgramLoaded, Running, Resetting };

    struct CommandFrame {
        uint8_t firstByte = 0;
        uint16_t word = 0;
        uint8_t code = 0;
        bool understood = false;  // false: accepted by the handshake and ignored
        bool operator==(const CommandFrame&) const = default;
    };

    explicit SimBoard(const SimBoardSettings& settings = {});

    int32_t GetParallelPortCount() override;
    int32_t ClaimParallelPort(int32_t port, int32_t wait) override;
    int32_t GetParallelPortInfo(int32_t port, ParallelPortInfo& info) override;
    int32_t InByte(int32_t address) override;
    void OutByte(int32_t address, int32_t value) override;
    int32_t ReleaseParallelPort(int32_t port) override;

    const SimBoardSettings& settings() const { return m_settings; }
    // Takes effect from the next capture.
    void setConverter(const ConverterSettings& converter);
    // Restarts the byte count the faults are measured from and the refusal count.
    void setFaults(const SimBoardFaults& faults);
    void setImmediateCapture(bool immediate) { m_settings.immediateCapture = immediate; }
    // The RESET button on the board: back to the boot monitor from any state, hung or not.
    void pressResetButton();

    State state() const { return m_state; }
    static QString stateName(State state);
    // The supply latch last written with command 3; none since power-on until then. A reset
    // leaves it, as it is a register of the board, not of the DSP.
    std::optional<uint8_t> latch() const { return m_latch; }
    bool converterPoweredUp() const { return m_poweredUp; }
    // The length the last download announced and the words it accepted so far.
    int announcedProgramLength() const { return m_programLength; }
    const std::vector<uint32_t>& programWords() const { return m_program; }
    int captureCount() const { return m_captureCount; }
    bool capturing() const { return m_capture != CapturePhase::Idle; }
    int lastRecordLength() const { return m_lastRecordLength; }
    double lastSampleRate() const { return m_lastSampleRate; }
    // The last CommandLogLength complete frames received outside a download, oldest first; a
    // board that runs for days must not keep them all. commandCount() counts every one.
    static constexpr size_t CommandLogLength = 64;
    const std::vector<CommandFrame>& commandLog() const { return m_log; }
    int64_t commandCount() const { return m_commandCount; }
    int resetCount() const { return m_resetCount; }
    // Bytes that went through the handshake, written and read.
    int64_t bytesHandshaken() const { return m_bytes; }
    int64_t statusReads() const { return m_statusReads; }
    // The handshake line as the PC sees it now.
    bool line() const { return m_line; }

private:
    enum class Cycle { None, Write, Read };
    enum class CapturePhase { Idle, Capturing, Done };

    int registerOf(int32_t address) const;
    int32_t readStatus();
    void writeControl(uint8_t value);
    bool answering() const;
    int64_t faultBytes() const { return m_bytes - m_faultBytesBase; }

    // The line moves through here so a slow board can hold each change back.
    void requestLine(bool level);
    void showPendingLine();
    void startCycle(Cycle cycle);
    void endCycle();
    void transferByte();

    void receiveByte(uint8_t byte);
    void receiveDownloadByte(uint8_t byte);
    void handleFrame();
    bool runCommand(const CommandFrame& frame);
    void startCapture(const CommandFrame& frame);
    bool captureElapsed() const;
    void finishCapture();
    void onResetPulse();
    void restartMonitor();

    SimBoardSettings m_settings;
    ConverterModel m_converter;

    // Registers and the line.
    uint8_t m_data = 0;
    uint8_t m_control = portreg::ControlInit;
    uint8_t m_bus = 0xFF;
    bool m_line = true;
    bool m_pending = false;
    bool m_pendingLevel = true;
    int m_pendingReads = 0;
    bool m_stuck = false;
    Cycle m_cycle = Cycle::None;
    bool m_cycleFell = false;
    bool m_donePulse = false;
    bool m_resetPulse = false;
    int64_t m_bytes = 0;
    int64_t m_faultBytesBase = 0;
    int64_t m_statusReads = 0;
    int m_refusalsLeft = 0;

    // Protocol.
    State m_state = State::Monitor;
    std::vector<uint8_t> m_frame;
    std::deque<uint8_t> m_output;
    int m_lengthBytes = 0;
    int m_programLength = 0;
    std::array<uint8_t, 4> m_packet{};
    int m_packetBytes = 0;
    std::vector<uint32_t> m_program;
    std::optional<uint8_t> m_latch;
    bool m_poweredUp = true;
    std::vector<CommandFrame> m_log;
    int64_t m_commandCount = 0;
    int m_resetCount = 0;

    // Capture.
    CapturePhase m_capture = CapturePhase::Idle;
    std::chrono::steady_clock::time_point m_captureStart;
    std::chrono::duration<double> m_captureLength{0.0};
    bool m_captureRiseSeen = false;
    std::vector<uint16_t> m_record;
    int m_captureCount = 0;
    int m_lastRecordLength = 0;
    double m_lastSampleRate = 0.0;
};

}  // namespace rq
