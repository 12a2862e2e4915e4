#include "figurewindow/FrequencyAxis.h"

#include <algorithm>
#include <cmath>

namespace rq::figures {

QString ScaledTicker::getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                                   int precision) {
    return QCPAxisTicker::getTickLabel(tick / m_scale, locale, formatChar, precision);
}

FrequencyAxis::FrequencyAxis(QCPAxis* axis, const QString& quantity)
    : QObject(axis), m_axis(axis), m_quantity(quantity), m_ticker(new ScaledTicker) {
    m_axis->setTicker(m_ticker);
    connect(m_axis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &FrequencyAxis::onRangeChanged);
    onRangeChanged(m_axis->range());
}

FrequencyUnit FrequencyAxis::unitForRange(const QCPRange& range) {
    return frequencyUnitFor(std::max(std::fabs(range.lower), std::fabs(range.upper)));
}

void FrequencyAxis::onRangeChanged(const QCPRange& range) {
    m_unit = unitForRange(range);
    m_ticker->setScale(m_unit.scale);
    m_axis->setLabel(QStringLiteral("%1 (%2)").arg(m_quantity, m_unit.name));
}

}  // namespace rq::figures
