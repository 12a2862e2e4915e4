#pragma once

#include "board/CommsFunctions.h"
#include "state/ProgramState.h"

class QWidget;

namespace rq {

namespace host {
class ControlRegistry;
}

// What the setup window needs of the window that opens it: the program state and board link it
// works on, the control registry its supply panel comes from, and the effects a Load has on the
// opener (its buttons, its configuration summary, its zoom). The main window implements it.
class SetupHost {
public:
    // The window the setup window is centred over and owned by.
    virtual QWidget* hostWindow() = 0;
    virtual ProgramState& state() = 0;
    virtual CommsFunctions& comms() = 0;
    virtual host::ControlRegistry& controlRegistry() = 0;
    // The configuration summary shows the live settings.
    virtual void ShowConfiguration() = 0;
    // A program download succeeded: the capture and power buttons are available.
    virtual void enableCaptureButtons() = 0;
    // The record length changed: the next plot resets the x-ranges, and "Hold Zoom" is
    // unchecked.
    virtual void resetZoom() = 0;
    // What a board reset does to the opener (as ResetNotifications has them).
    virtual void disableDisplayOptions() = 0;
    virtual void disableCaptureButtons() = 0;
    // A configuration and its program were loaded.
    virtual void configurationLoaded(const Settings& settings) = 0;

protected:
    ~SetupHost() = default;
};

}  // namespace rq
