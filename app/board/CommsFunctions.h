#pragma once

#include <cstdint>

#include "HostInterfaces.h"
#include "ParallelPortLibrary.h"
#include "ProgramState.h"

namespace rq {

// The board link above the port registers: the hand-driven byte handshake and the wait for the
// end of a long board operation.
class CommsFunctions {
public:
    // Status reads one transferred byte may spend over both of its waits.
    static constexpr int PollBudget = 1000;

    CommsFunctions(ProgramState& state, ParallelPortLibrary& port, Yield& yield,
                   WatchdogTimer& timer, MessageList& messages, MessageBoxes& boxes);

    // One byte to the board: strobes on control bits 0 and 1, handshake on status bit 7.
    // Raises 515 when the line never falls, 516 when it never rises again.
    int16_t EPPWrite(int16_t port, int16_t value);
    // One byte from the board: direction bit set, strobe on control bit 1. Raises 513 / 514.
    int16_t EPPRead(int16_t port);
    // Waits, yielding to the event loop, for the board to end a long operation, then pulses
    // control bit 1 and waits for the line to rise. The watchdog's tick ends the wait with 537.
    int16_t WaitForReady();

    ProgramState& state() { return m_state; }
    ParallelPortLibrary& port() { return m_port; }
    Yield& yieldLoop() { return m_yield; }
    WatchdogTimer& timer() { return m_timer; }
    MessageList& messages() { return m_messages; }
    MessageBoxes& boxes() { return m_boxes; }

private:
    // Reads status bit 7 under the shared budget; raises (after restoring control) on exhaustion.
    bool pollStatus(int16_t port, int& count, int16_t control, int errorNumber,
                    const char* source, const char* description);

    ProgramState& m_state;
    ParallelPortLibrary& m_port;
    Yield& m_yield;
    WatchdogTimer& m_timer;
    MessageList& m_messages;
    MessageBoxes& m_boxes;
};

}  // namespace rq
