#pragma once

#include <cstdint>

#include "board/CommsFunctions.h"

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

// The full reset with its user feedback: message list, window effects, settings reset, the reset
// command and its outcome. Never raises; always returns 0.
int16_t ResetBoard(CommsFunctions& comms, ResetNotifications& windows);

}  // namespace rq
