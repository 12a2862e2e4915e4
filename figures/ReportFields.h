#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "figures/FigureRun.h"

namespace rq::figures {

// What a test report says of the device and the run, and the limits it is judged against, as
// the report dialog asks for them.
struct ReportFields {
    QString serial, operatorName, temperature, notes, limitsFile;
};

// The report's device lines, "Serial number: 0042", "Operator: ...", "Temperature: ...",
// "Notes: ...", in that order; a field not given has no line.
QStringList deviceLines(const std::optional<QString>& serial,
                        const std::optional<QString>& operatorName,
                        const std::optional<QString>& temperature,
                        const std::optional<QString>& notes);

// Where a loaded data file's figures come from, as the plots and the report name it: its file
// name as the title, then "Data file: <path>", "Samples: 1024", "Converter: 12 bits, straight
// binary", "Sample frequency: 100000 Hz" and "Input range: 0 to 5 V".
RecordSource dataFileSource(const QString& path, qsizetype samples, int bits, bool twosComplement,
                            double sampleRate, double inputVMin, double inputVMax);

// The request with the fields' device lines and limits as `rq3118ctl report --serial ...
// --limits FILE` gives them (an empty field is not given), and with the report asked for, so
// that the run computes the fits and the linearity the report shows. Raises as readLimits does
// for a limits file that cannot be read or holds a bad line.
FigureRequest withReportFields(FigureRequest base, const ReportFields& fields);

}  // namespace rq::figures
