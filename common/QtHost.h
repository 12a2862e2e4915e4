#pragma once

#include <QTimer>
#include <functional>

#include "common/HostInterfaces.h"

namespace rq {

// One pass of the application's event loop.
class EventLoopYield : public Yield {
public:
    EventLoopYield();
    void yield() override;
    // Waits for the next event, woken after a millisecond by a timer of its own.
    void idle() override;

private:
    QTimer m_wake;
};

// The capture watchdog on a precise QTimer: each tick while enabled runs the tick handler. A
// coarse timer may fire up to 5 % early, and a capture is promised its whole interval.
class QtWatchdogTimer : public WatchdogTimer {
public:
    explicit QtWatchdogTimer(std::function<void()> onTick);
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_onTick;
};

}  // namespace rq
