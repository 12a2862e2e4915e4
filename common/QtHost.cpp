#include "common/QtHost.h"

#include <QCoreApplication>

namespace rq {

EventLoopYield::EventLoopYield() {
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    m_wake.setInterval(1);
}

void EventLoopYield::yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void EventLoopYield::idle() {
    m_wake.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_wake.stop();
}

QtWatchdogTimer::QtWatchdogTimer(std::function<void()> onTick) : m_onTick(std::move(onTick)) {
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_onTick) {
            m_onTick();
        }
    });
}

void QtWatchdogTimer::setEnabled(bool enabled) {
    if (enabled && !m_timer.isActive()) {
        m_timer.start();
    } else if (!enabled) {
        m_timer.stop();
    }
}

}  // namespace rq
