#include "QtHost.h"

#include <QCoreApplication>

namespace rq {

void EventLoopYield::yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QtWatchdogTimer::QtWatchdogTimer(std::function<void()> onTick) : m_onTick(std::move(onTick)) {
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
