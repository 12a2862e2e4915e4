#pragma once

#include <vector>

#include "figures/Sweep.h"
#include "strip/CustomPlot.h"

namespace rq::figures {

enum class SweepAxis { Frequency, Level };

// One figure of a sweep against the used frequency (Hz, kHz or MHz by range as the spectrum
// plot has them, on a linear or a logarithmic axis) or against the asked level (dBFS), on a
// fresh plot (or one cleared with clearPlot) of its final size. One curve per level against
// frequency (one per frequency against level), named in a legend below the plot when there
// are several; points marked, a point with a warning drawn hollow, a point without the figure
// a gap. Axis titles with units, grid on, a title naming the figure and the sweep ("SNR
// against input frequency"), a caption with the summary's flatness (against frequency) or
// slope (against level). With no point to draw, a notice in the plot says so.
void drawSweep(QCustomPlot& plot, const SweepPlan& plan, const std::vector<SweepPoint>& points,
               const SweepSummary& summary, SweepFigure figure, SweepAxis axis, bool logFrequency);

// SNR, SINAD, SFDR and ENOB against each of the axes given, two plots to a row, in one file
// (PNG, or SVG or PDF by the extension), written whole or not at all; raises WriteFailure (75)
// when it cannot be written.
void saveSweepPlots(const QString& path, const SweepPlan& plan,
                    const std::vector<SweepPoint>& points, const SweepSummary& summary,
                    const std::vector<SweepAxis>& axes, bool logFrequency);

}  // namespace rq::figures
