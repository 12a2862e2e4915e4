#include "figures/FrequencyText.h"

#include "figures/FigureRun.h"

#include <array>
#include <cmath>

namespace rq::figures {

namespace {

const std::array<FrequencyUnit, 3>& units() {
    static const std::array<FrequencyUnit, 3> list = {
        {{QStringLiteral("Hz"), 1.0}, {QStringLiteral("kHz"), 1e3}, {QStringLiteral("MHz"), 1e6}}};
    return list;
}

// Rounded to a number of decimals, with a negative zero made positive.
QString fixed(double value, int decimals) {
    const double factor = std::pow(10.0, decimals);
    double rounded = std::round(value * factor) / factor;
    if (rounded == 0.0) {
        rounded = 0.0;
    }
    return QString::number(rounded, 'f', decimals);
}

// "10.000" to "10", "9.970" to "9.97"; a text without a decimal point is left alone.
QString withoutTrailingZeros(QString number) {
    if (!number.contains(u'.')) {
        return number;
    }
    while (number.endsWith(u'0')) {
        number.chop(1);
    }
    if (number.endsWith(u'.')) {
        number.chop(1);
    }
    return number;
}

}  // namespace

FrequencyUnit frequencyUnitFor(double hz) {
    const double size = std::fabs(hz);
    size_t i = 0;
    while (i + 1 < units().size() && size >= units()[i + 1].scale) {
        ++i;
    }
    return units()[i];
}

QString frequencyText(double hz) {
    if (!std::isfinite(hz)) {
        return figureText(hz);  // "—" for a frequency not measured
    }
    const double size = std::fabs(hz);
    size_t i = 0;
    // A value is written in the next unit once it would read 1000.000 or more in this one.
    while (i + 1 < units().size() && std::round(size / units()[i].scale * 1000.0) >= 1e6) {
        ++i;
    }
    return fixed(hz / units()[i].scale, 3) + QLatin1Char(' ') + units()[i].name;
}

QString levelText(double level) {
    return fixed(level, 2);
}

QString shortFrequencyText(double hz) {
    const QString text = frequencyText(hz);
    const qsizetype space = text.indexOf(u' ');
    if (space < 0) {
        return text;  // "—"
    }
    return withoutTrailingZeros(text.left(space)) + text.mid(space);
}

QString shortLevelText(double level) {
    if (!std::isfinite(level)) {
        return figureText(level);
    }
    return withoutTrailingZeros(levelText(level));
}

}  // namespace rq::figures
