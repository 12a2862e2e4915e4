#pragma once

#include <cstdint>

#include "board/CommsFunctions.h"
#include "state/ProgramState.h"

namespace rq {

// What a board reset does to the windows. The main window and the setup window implement it;
// the defaults do nothing, for hosts without those windows.
class ResetNotifications {
public:
    virtual ~ResetNotifications() = default;
    // The display-mode list and "Hold Zoom" are disabled, and "Hold Zoom" unchecked.
    virtual void disableDisplayOptions() {}
    // The supply switch panel shows a new latch content.
    virtual void setPanelLatchContent(int16_t /*value*/) {}
    // The board answered the reset: the capture and power buttons are disabled until the next
    // program download.
    virtual void disableCaptureButtons() {}
};

// The settings a reset starts from: no program, no data, the default frequency and length.
void applyResetSettings(Settings& settings);

// The full reset with its user feedback: message list, window effects, settings reset, the reset
// command, and its box or line. True when the board answered. Never raises.
bool resetBoardAnswered(ProgramState& state, CommsFunctions& comms, ResetNotifications& windows);

// The windows' reset: the one above, whose outcome the user has already been shown. Always
// returns 0.
int16_t ResetBoard(ProgramState& state, CommsFunctions& comms, ResetNotifications& windows);

}  // namespace rq
