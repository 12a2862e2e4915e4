#pragma once

#include "acquire/Analysis.h"
#include "acquire/ChartProcedures.h"
#include "common/HostInterfaces.h"

namespace rq {

// What the acquisition session reaches on screen. The main window gives its widgets; the
// command-line front end, the soak and the tests give views without a screen.
class AcquisitionView {
public:
    virtual ~AcquisitionView() = default;

    // Whether the view draws: a view without a screen has no charts, and the sequences skip
    // their plotting steps (and what only the plotting can fail) for it.
    virtual bool draws() const { return true; }
    virtual MainCharts& charts() = 0;
    virtual RecordAnalysis& analysis() = 0;
    virtual MessageList& messages() = 0;
    virtual MessageBoxes& boxes() = 0;
    virtual Yield& yield() = 0;
    virtual void beep() = 0;
    virtual void setWaitPointer(bool waiting) = 0;

    // The display mode: volts (true) or integers. showIntegers selects "Integers" without
    // running the list's handler; the session replots itself.
    virtual bool showsVolts() const = 0;
    virtual void showIntegers() = 0;
    virtual void setDisplayModeEnabled(bool enabled) = 0;
    virtual void enableHoldZoom() = 0;
    // The time-domain chart's largest and smallest value.
    virtual void showMaxMin(double largest, double smallest) = 0;

    // A continuous run began (only "Stop Samp" stays available) or ended (the buttons are back).
    virtual void continuousRunStarted() = 0;
    virtual void continuousRunEnded() = 0;
};

}  // namespace rq
