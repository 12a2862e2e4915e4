#pragma once

#include <QTimer>
#include <functional>

#include "HostInterfaces.h"

namespace rq {

// One pass of the application's event loop.
class EventLoopYield : public Yield {
public:
    void yield() override;
};

// The capture watchdog on a QTimer: each tick while enabled runs the tick handler.
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
