#pragma once

// A plot axis whose coordinates are in Hz but which reads in Hz, kHz or MHz, whichever the shown
// range calls for: the title names the unit ("Frequency (kHz)") and the tick labels are scaled.
// The data keeps its keys in Hz, so markers and exports never see the scale.
#include <QObject>
#include <QSharedPointer>
#include <QString>

#include "figures/FrequencyText.h"
#include "strip/CustomPlot.h"

namespace rq::figures {

// Tick labels of an axis in Hz, written in a larger unit; the ticks themselves stay where the
// default ticker puts them, which are round numbers in any decimal unit as well.
class ScaledTicker : public QCPAxisTicker {
public:
    void setScale(double scale) { m_scale = scale; }
    double scale() const { return m_scale; }

protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;

private:
    double m_scale = 1.0;
};

class FrequencyAxis : public QObject {
    Q_OBJECT
public:
    // Takes over the axis' ticker and title; follows every range change, zoom and pan included.
    explicit FrequencyAxis(QCPAxis* axis, const QString& quantity = QStringLiteral("Frequency"));

    // The unit for a range: by the larger of its two ends in size.
    static FrequencyUnit unitForRange(const QCPRange& range);

    FrequencyUnit unit() const { return m_unit; }

private:
    void onRangeChanged(const QCPRange& range);

    QCPAxis* m_axis;
    QString m_quantity;
    QSharedPointer<ScaledTicker> m_ticker;
    FrequencyUnit m_unit;
};

}  // namespace rq::figures
