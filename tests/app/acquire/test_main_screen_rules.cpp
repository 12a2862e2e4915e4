// Protects the main window's rules in their own numbers: the plotting routines' writes to the
// two charts in order, with Hold Zoom and after a change of record length; the layout on
// resize; the cursor read-outs; the configuration summary.
#include <gtest/gtest.h>

#include <QStringList>

#include "Fakes.h"
#include "acquire/ChartProcedures.h"
#include "acquire/MainScreenRules.h"
#include "common/NumberedError.h"

using namespace rq;

namespace {

// Records every write by role, in order.
class FakeChart : public StripChartMembers {
public:
    void clear() override { log << "clear"; }
    void setPointCapacity(int16_t v) override { log << QString("capacity %1").arg(v); }
    void loadTrace(std::span<const double> d) override { log << QString("load %1").arg(d.size()); }
    void setXPointCount(int32_t v) override { log << QString("count %1").arg(v); }
    void setXLastIndex(int32_t v) override { log << QString("last %1").arg(v); }
    void setXMaximum(int32_t v) override { log << QString("max %1").arg(v); }
    void setXMinimum(int32_t v) override { log << QString("min %1").arg(v); }
    double yTop() const override { return top; }
    double yBottom() const override { return bottom; }
    void setYTop(double v) override {
        top = v;
        log << QString("top %1").arg(v);
    }
    void setYBottom(double v) override {
        bottom = v;
        log << QString("bottom %1").arg(v);
    }
    void setYTopCopy(double v) override { log << QString("top copy %1").arg(v); }
    void setYBottomCopy(double v) override { log << QString("bottom copy %1").arg(v); }
    void redraw() override { log << "redraw"; }
    QStringList log;
    double top = 0, bottom = 0;
};

struct Charts {
    FakeChart dso, fft;
    MainCharts both{dso, fft};
    ProgramState state;
    test::FakeYield yield;
};

}  // namespace

TEST(ChartProcedures, TimeTraceRangesFollowTheRecordUnlessHoldZoom) {
    Charts c;
    const std::vector<double> data{3, 1, 4, 1, 5};
    PlotTimeData(c.state, c.both, c.yield, data, 5, 3000.0, 1000.0);
    EXPECT_EQ(c.dso.log, (QStringList{"clear", "capacity 15", "last 4", "max 4", "count 5",
                                      "top 3000", "bottom 1000", "load 5"}));
    EXPECT_TRUE(c.state.CurrentSettings.DataLoaded);
    EXPECT_TRUE(c.fft.log.isEmpty());
    c.dso.log.clear();
    EXPECT_EQ(ScaleTimeChart(c.state, c.dso, data), std::make_pair(5.0, 1.0));
    EXPECT_EQ(c.dso.log,
              (QStringList{"top 5", "bottom 1", "top copy 5", "bottom copy 1", "redraw"}));

    // Hold Zoom: the trace is replaced, the ranges stay, the extremes are still returned.
    c.state.Record.HoldZoom = true;
    c.dso.log.clear();
    PlotTimeData(c.state, c.both, c.yield, data, 5, 3000.0, 1000.0);
    EXPECT_EQ(c.dso.log, (QStringList{"clear", "capacity 15", "load 5"}));
    c.dso.log.clear();
    EXPECT_EQ(ScaleTimeChart(c.state, c.dso, data), std::make_pair(5.0, 1.0));
    EXPECT_TRUE(c.dso.log.isEmpty());
    EXPECT_THROW(ScaleTimeChart(c.state, c.dso, {}), NumberedError);
}

TEST(ChartProcedures, NewRecordLengthResetsBothChartsFirstAndYields) {
    Charts c;
    c.state.CurrentSettings.NumberOfSamples = 2;
    c.state.Record.ZoomReset = true;
    c.state.Record.HoldZoom = true;  // the reset happens all the same
    const std::vector<double> data(1024, 1.0);
    PlotTimeData(c.state, c.both, c.yield, data, 1024);
    EXPECT_EQ(c.dso.log, (QStringList{"last 1023", "max 1023", "count 1024", "clear", "clear",
                                      "capacity 1034", "load 1024"}));
    EXPECT_EQ(c.fft.log, (QStringList{"last 511", "max 511", "count 512"}));
    EXPECT_FALSE(c.state.Record.ZoomReset);
    EXPECT_EQ(c.yield.count, 1);
    // Counts beyond 16 bits are refused before anything is written; a capacity beyond them
    // after the clear.
    c.dso.log.clear();
    EXPECT_THROW(PlotTimeData(c.state, c.both, c.yield, data, 32768), NumberedError);
    EXPECT_TRUE(c.dso.log.isEmpty());
    EXPECT_THROW(PlotTimeData(c.state, c.both, c.yield, data, 32760), NumberedError);
    EXPECT_EQ(c.dso.log, QStringList{"clear"});
}

TEST(ChartProcedures, SpectrumBottomIsFixedAndTopNeverBelowZero) {
    Charts c;
    const std::vector<double> spectrum{-3, -50, -130, -90};
    PlotSpectrum(c.state, c.fft, c.yield, spectrum, 4);
    EXPECT_EQ(c.fft.log, (QStringList{"clear", "capacity 14", "max 3", "min 0", "count 3", "load 4",
                                      "top 0", "bottom -120", "top copy 0", "redraw"}));
    EXPECT_EQ(c.yield.count, 3);
    c.fft.log.clear();
    const std::vector<double> above{2.5, -10};
    PlotSpectrum(c.state, c.fft, c.yield, above, 2);
    EXPECT_TRUE(c.fft.log.contains("top 2.5"));
    c.state.Record.HoldZoom = true;
    c.fft.log.clear();
    PlotSpectrum(c.state, c.fft, c.yield, spectrum, 4);
    EXPECT_EQ(c.fft.log, (QStringList{"clear", "capacity 14", "load 4", "redraw"}));
}

TEST(MainLayout, DefaultSizeAndTooSmallAWindow) {
    MainLayout l = designLayout();
    ASSERT_TRUE(resizeMainLayout(l, 9465, 7170));
    EXPECT_EQ(l.StripFFT, (TwipsRect{120, 4065, 7470, 2445}));
    EXPECT_EQ(l.stripDSO, (TwipsRect{60, 1560, 7470, 2445}));
    EXPECT_EQ(l.optionsLeft, 7590);
    EXPECT_EQ(l.QuorFFTControl1, (TwipsRect{7650, 4065, 1755, 2445}));
    EXPECT_EQ(l.QuorHistogram1, (TwipsRect{120, 4065, 9285, 2445}));
    EXPECT_EQ(l.lblCursorInfo, (TwipsRect{7650, 3570, 1755, 435}));

    // Too narrow: the widths stop at the first negative one; the heights are not reached.
    MainLayout small = designLayout();
    EXPECT_FALSE(resizeMainLayout(small, 1800, 7170));
    EXPECT_EQ(small.StripFFT.width, 7335);
    EXPECT_EQ(small.stripDSO.height, 2535);
    // Too low: widths done, heights not.
    MainLayout low = designLayout();
    EXPECT_FALSE(resizeMainLayout(low, 9465, 2000));
    EXPECT_EQ(low.StripFFT.width, 7470);
    EXPECT_EQ(low.QuorHistogram1.width, 9285);
    EXPECT_EQ(low.StripFFT.top, 4080);
}

TEST(CursorReadOuts, SamplesVoltsAndFrequencies) {
    SampleRecord r;
    r.SampleData = {100, 2047, -2048};
    r.VoltsData = {0.5, 2.49878, -2.5};
    r.FFTData = std::vector<double>(512, -80.0);
    r.FFTData[10] = -3.14159;
    EXPECT_EQ(timeCursorText(2, false, r), "Sample:2\rValue:2047");
    EXPECT_EQ(timeCursorText(3, true, r), "Sample:3\rValue:-2.500000V");
    EXPECT_EQ(timeCursorText(4, false, r), std::nullopt);
    EXPECT_EQ(timeCursorText(0, false, r), std::nullopt);
    EXPECT_EQ(spectrumCursorText(11, 100000, 1024, r), "Freq:976.56Hz\rValue:-3.14dB");
    EXPECT_EQ(spectrumCursorText(1, 100000, 1024, r), "Freq:0.00Hz\rValue:-80.00dB");
    EXPECT_EQ(spectrumCursorText(513, 100000, 1024, r), std::nullopt);
}

TEST(ConfigurationSummary, LinesAndTheBlueHeading) {
    Settings s;
    s.PartName = "RQ3118";
    s.EXEName = "VMB.EXE";
    s.NumberOfBits = 12;
    s.DataFormat = 1;
    const std::vector<SummaryLine> lines = configurationSummary(s);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, "Configuration:");
    EXPECT_EQ(lines[0].colour, 0xFF0000u);
    EXPECT_EQ(lines[1].text, "Part:RQ3118");
    EXPECT_EQ(lines[2].text, "Program:VMB.EXE");
    EXPECT_EQ(lines[3].text, "Bits:12");
    EXPECT_EQ(lines[4].text, "Code: 2's Comp");
    s.DataFormat = 0;
    EXPECT_EQ(configurationSummary(s)[4].text, "Code: Binary");
    EXPECT_EQ(initialSummary()[1].text, "Part: Not Setup");
    EXPECT_EQ(initialSummary()[2].text, "Program: None");
}
