#pragma once

// Frequencies as the figures window writes them: Hz, kHz or MHz chosen by the size of the value.
#include <QString>

namespace rq::figures {

struct FrequencyUnit {
    QString name;  // "Hz", "kHz", "MHz"
    double scale;  // Hz per unit
};

// The unit for a value of this size in Hz: kHz from 1 kHz, MHz from 1 MHz.
FrequencyUnit frequencyUnitFor(double hz);

// "999.000 Hz", "10.000 kHz", "2.500 MHz": three decimals in the unit the value calls for, so
// that a value rounding up to 1000 in one unit is written in the next.
QString frequencyText(double hz);

// A level to two decimals, never "-0.00".
QString levelText(double level);

// The same without the trailing zeros of the decimals, for legends and summaries: "10 kHz",
// "9.973 kHz", "-1", "-0.5".
QString shortFrequencyText(double hz);
QString shortLevelText(double level);

}  // namespace rq::figures
