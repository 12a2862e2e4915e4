#pragma once

#include <QString>

namespace rq::figures {

class FigureRun;
struct RecordSource;

// A two-page test report as PDF: the configuration and options, the tables of figures,
// harmonics and fits and the annotated spectrum on the first page; the time record, the code
// histogram and the DNL and INL on the second. Written whole or not at all; raises WriteFailure
// (75) when it cannot be written.
void writeReport(const QString& path, const FigureRun& run, const RecordSource& source);

}  // namespace rq::figures
