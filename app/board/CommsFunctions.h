#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "common/HostInterfaces.h"
#include "parport/ParallelPortLibrary.h"
#include "state/ClockSettings.h"

namespace rq {

struct ProgramState;

// What the board link reads and writes of the program state, and nothing more: the port in use,
// the echo flag, the capture's settings (record-length index, sample frequency, the converter's
// bits and coding), the sample clock and the capture time-out flag.
struct BoardLinkState {
    const int16_t& portAddress;      // base of data (+0), status (+1) and control (+2) registers
    const bool& echoComms;           // each command frame is first written to the message list
    const int16_t& numberOfSamples;  // the capture's record-length index
    const int32_t& sampleFreq;       // sets the capture's watchdog interval
    const int16_t& numberOfBits;     // the converter's bits...
    const int16_t& dataFormat;       // ...and coding: 0 straight binary, 1 two's complement
    const ClockSettings& clock;
    bool& timedOut;  // set by the watchdog's tick, polled by the board wait
};

// The board link's part of the live program state.
BoardLinkState linkStateOf(ProgramState& state);

// The board link above the port registers: the hand-driven byte handshake and the wait for the
// end of a long board operation.
class CommsFunctions {
public:
    // Status reads one transferred byte may spend over both of its waits.
    static constexpr int PollBudget = 1000;

    CommsFunctions(const BoardLinkState& state, ParallelPortLibrary& port, Yield& yield,
                   WatchdogTimer& timer, MessageList& messages, MessageBoxes& boxes);

    // One byte to the board: strobes on control bits 0 and 1, handshake on status bit 7.
    // Raises 515 when the line never falls, 516 when it never rises again.
    int16_t EPPWrite(int16_t port, int16_t value);
    // One byte from the board: direction bit set, strobe on control bit 1. Raises 513 / 514.
    int16_t EPPRead(int16_t port);
    // Waits, yielding to the event loop, for the board to end a long operation, then pulses
    // control bit 1 and waits for the line to rise. The watchdog's tick ends the wait with 537.
    int16_t WaitForReady();

    // One command frame: FirstByte, Word1 high and low byte, CommandCode. With echo on, the
    // frame is first written to the message list. Raises 504 naming the byte that failed.
    void SendCommand(int16_t firstByte, int32_t word1, int16_t commandCode);
    // One sample word, high byte first. Raises 518.
    int32_t ReadValue();
    // Captures a record: command 7 with the record-length index and the sample-clock period
    // word, the watchdog-guarded wait, then count words masked to the converter's bits (and
    // sign-extended for two's complement). Raises 504 (after its message box) or 517.
    void ReadData(int32_t count, std::vector<double>& data);
    // The watchdog interval ReadData uses at a sample frequency: the time 32768 samples take,
    // but never less than 3 s.
    static int captureTimeoutMs(int32_t sampleFreq);
    // One pulse on control bits 0 and 3.
    void PulseControlLines();
    // Command 8, the restart pause, then the pulse. A failed command raises 504 at once.
    void SendResetCommand();
    // The program length, high byte first. Raises 505.
    void SendProgramLength(int16_t n);
    // One program word as three bytes and a checksum, then the board's acknowledge (13).
    // Raises 506 for a failed write, 520 for a refusal.
    void SendPacket(const QString& word);

    // Polls of each phase of WaitForReady that only yield before it starts to idle.
    static constexpr int BusyPolls = 200;
    // Yields of the pause while the board restarts after a reset command.
    static constexpr int ResetPauseYields = 15000;

    ParallelPortLibrary& port() { return m_port; }
    Yield& yieldLoop() { return m_yield; }
    WatchdogTimer& timer() { return m_timer; }
    MessageList& messages() { return m_messages; }
    MessageBoxes& boxes() { return m_boxes; }

private:
    // Reads status bit 7 under the shared budget; raises (after restoring control) on exhaustion.
    bool pollStatus(int16_t port, int& count, int16_t control, int errorNumber, const char* source,
                    const char* description);

    BoardLinkState m_state;
    ParallelPortLibrary& m_port;
    Yield& m_yield;
    WatchdogTimer& m_timer;
    MessageList& m_messages;
    MessageBoxes& m_boxes;
};

}  // namespace rq
