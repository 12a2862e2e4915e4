#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "figures/Sweep.h"

namespace rq::figures {

class FigureRun;
struct RecordSource;

// A two-page test report as PDF: the configuration and options, the tables of figures,
// harmonics and fits and the annotated spectrum on the first page; the time record, the code
// histogram and the DNL and INL on the second. Written whole or not at all; raises WriteFailure
// (75) when it cannot be written.
void writeReport(const QString& path, const FigureRun& run, const RecordSource& source);

// What a sweep's report shows of it.
struct SweepReport {
    SweepPlan plan;
    std::vector<SweepPoint> points;
    SweepSummary summary;
    // "Frequencies: 1 kHz to 40 kHz, 20 points, log", "Levels: -1 dBFS", "Records per point: 4,
    // power-averaged", "Window: bh4", "Source: simulated board", ...
    QStringList definition;
    bool logFrequency = false;
};

// The report as writeReport makes it of `run`, the last measured point's, then the Sweep
// section: the definition, the summary, the table of points over as many pages as it takes,
// what the warnings and failed points were, and the plots of SNR, SINAD, SFDR and ENOB against
// frequency (with two frequencies or more) and against level (with two levels or more), two to
// a page. Without a run (no point measured) the report is the Sweep section alone. Written
// whole or not at all; raises WriteFailure (75) when it cannot be written.
void writeSweepReport(const QString& path, const FigureRun* run, const RecordSource& source,
                      const SweepReport& sweep);

}  // namespace rq::figures
