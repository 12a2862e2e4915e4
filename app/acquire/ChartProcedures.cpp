#include "acquire/ChartProcedures.h"

#include <algorithm>

#include "acquire/Conversion.h"
#include "common/NumberedError.h"

namespace rq {

int16_t chartCount(int64_t count) {
    if (count < -32768 || count > 32767) {
        throw runtimeError(RuntimeError::Overflow);
    }
    return static_cast<int16_t>(count);
}

void ResetChartRanges(ProgramState& state, MainCharts& charts) {
    const int32_t n = recordLength(state.CurrentSettings.NumberOfSamples);
    charts.dso.setXLastIndex(n - 1);
    charts.dso.setXMaximum(n - 1);
    charts.dso.setXPointCount(n);
    charts.dso.clear();
    const int32_t m = n / 2;
    charts.fft.setXLastIndex(m - 1);
    charts.fft.setXMaximum(m - 1);
    charts.fft.setXPointCount(m);
    state.Record.ZoomReset = false;
}

void PlotTimeData(ProgramState& state, MainCharts& charts, Yield& yield,
                  std::span<const double> data, int64_t count, std::optional<double> top,
                  std::optional<double> bottom) {
    const int16_t n = chartCount(count);
    SampleRecord& record = state.Record;
    if (record.ZoomReset) {
        ResetChartRanges(state, charts);
        yield.yield();
    }
    StripChartMembers& dso = charts.dso;
    dso.clear();
    dso.setPointCapacity(chartCount(int64_t{n} + 10));
    if (!record.HoldZoom) {
        dso.setXLastIndex(n - 1);
        dso.setXMaximum(n - 1);
        dso.setXPointCount(n);
        if (top) {
            dso.setYTop(*top);
        }
        if (bottom) {
            dso.setYBottom(*bottom);
        }
    }
    dso.loadTrace(data);
    state.CurrentSettings.DataLoaded = true;
}

std::pair<double, double> ScaleTimeChart(ProgramState& state, StripChartMembers& dso,
                                         std::span<const double> data) {
    if (data.empty()) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    double largest = data.front();
    double smallest = data.front();
    for (double v : data) {
        if (v > largest) {
            largest = v;
        }
        if (v < smallest) {
            smallest = v;
        }
    }
    if (!state.Record.HoldZoom) {
        dso.setYTop(largest);
        dso.setYBottom(smallest);
        dso.setYTopCopy(largest);
        dso.setYBottomCopy(smallest);
        dso.redraw();
    }
    return {largest, smallest};
}

void PlotSpectrum(ProgramState& state, StripChartMembers& fft, Yield& yield,
                  std::span<const double> spectrum, int64_t count) {
    const int16_t n = chartCount(count);
    fft.clear();
    fft.setPointCapacity(chartCount(int64_t{n} + 10));
    if (!state.Record.HoldZoom) {
        fft.setXMaximum(n - 1);
        fft.setXMinimum(0);
        fft.setXPointCount(n - 1);
    }
    fft.loadTrace(spectrum);
    ScaleSpectrumChart(state, fft, yield, spectrum);
    fft.redraw();
}

void ScaleSpectrumChart(ProgramState& state, StripChartMembers& fft, Yield& yield,
                        std::span<const double> spectrum) {
    double top = 0.0;
    for (double v : spectrum) {
        top = std::max(top, v);
    }
    if (!state.Record.HoldZoom) {
        fft.setYTop(top);
        yield.yield();
        fft.setYBottom(-120.0);
        yield.yield();
        fft.setYTopCopy(top);
        yield.yield();
    }
}

}  // namespace rq
