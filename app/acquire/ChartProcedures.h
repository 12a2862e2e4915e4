#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "common/HostInterfaces.h"
#include "state/ProgramState.h"

namespace rq {

// What the plotting routines write on a strip chart, by role. The values written are the
// contract: a chart keeps each as written and draws from them.
class StripChartMembers {
public:
    virtual ~StripChartMembers() = default;
    virtual void clear() = 0;
    // Points the chart can hold; set to the count plus 10 before a trace is loaded.
    virtual void setPointCapacity(int16_t points) = 0;
    // Trace 0.
    virtual void loadTrace(std::span<const double> data) = 0;
    // The x-range of the plotted points: the number of points shown, the index of the last
    // point, and the highest and lowest point of the range.
    virtual void setXPointCount(int32_t value) = 0;
    virtual void setXLastIndex(int32_t value) = 0;
    virtual void setXMaximum(int32_t value) = 0;
    virtual void setXMinimum(int32_t value) = 0;
    // The y-range and its second copy.
    virtual double yTop() const = 0;
    virtual double yBottom() const = 0;
    virtual void setYTop(double value) = 0;
    virtual void setYBottom(double value) = 0;
    virtual void setYTopCopy(double value) = 0;
    virtual void setYBottomCopy(double value) = 0;
    // The only redraw: the new ranges and trace show from here.
    virtual void redraw() = 0;
};

// The main window's two charts.
struct MainCharts {
    StripChartMembers& dso;  // time-domain trace
    StripChartMembers& fft;  // spectrum in dB
};

// The counts the chart routines take are 16-bit: raises 6 for a count (or a capacity) that does
// not fit.
int16_t chartCount(int64_t count);

// Both charts' x-ranges to the record length N and N/2; clears ZoomReset.
void ResetChartRanges(ProgramState& state, MainCharts& charts);

// Loads a record on the time-domain chart: after a change of record length the ranges are reset
// first (and the message loop gets a turn); unless HoldZoom, the x-range follows the count and
// the y-range the top and bottom passed. Sets DataLoaded.
void PlotTimeData(ProgramState& state, MainCharts& charts, Yield& yield,
                  std::span<const double> data, int64_t count,
                  std::optional<double> top = std::nullopt,
                  std::optional<double> bottom = std::nullopt);

// The largest and smallest value of the record, in order; unless Hold Zoom they become the
// time-domain chart's y-range (both copies) and it is redrawn. Returns them for ShowMaxMin.
// Raises 9 for an empty record.
std::pair<double, double> ScaleTimeChart(ProgramState& state, StripChartMembers& dso,
                                         std::span<const double> data);

// Loads a spectrum on the spectrum chart, scales it and redraws.
void PlotSpectrum(ProgramState& state, StripChartMembers& fft, Yield& yield,
                  std::span<const double> spectrum, int64_t count);

// Unless Hold Zoom: top = the largest of 0 and the spectrum, bottom fixed at -120 dB, with a
// turn of the message loop after each of the three writes.
void ScaleSpectrumChart(ProgramState& state, StripChartMembers& fft, Yield& yield,
                        std::span<const double> spectrum);

}  // namespace rq
