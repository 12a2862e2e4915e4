#pragma once

#include "acquire/AcquisitionView.h"

namespace rq {

// Chart members without a chart: the y-range is kept (the scaling reads it back), the rest is
// dropped.
class ChartValues : public StripChartMembers {
public:
    void clear() override {}
    void setPointCapacity(int16_t) override {}
    void loadTrace(std::span<const double>) override {}
    void setXPointCount(int32_t) override {}
    void setXLastIndex(int32_t) override {}
    void setXMaximum(int32_t) override {}
    void setXMinimum(int32_t) override {}
    double yTop() const override { return m_yTop; }
    double yBottom() const override { return m_yBottom; }
    void setYTop(double value) override { m_yTop = value; }
    void setYBottom(double value) override { m_yBottom = value; }
    void setYTopCopy(double) override {}
    void setYBottomCopy(double) override {}
    void redraw() override {}

private:
    double m_yTop = 0;
    double m_yBottom = 0;
};

// The session's view for a host without a screen (the command-line front end, the soak): the
// analysis, message list, boxes and yield it is given; integers shown; nothing drawn, and no
// pointer, buttons or beep.
class ScreenlessView : public AcquisitionView {
public:
    ScreenlessView(RecordAnalysis& analysis, MessageList& messages, MessageBoxes& boxes,
                   Yield& yield)
        : m_analysis(analysis), m_messages(messages), m_boxes(boxes), m_yield(yield) {}

    bool draws() const override { return false; }
    MainCharts& charts() override { return m_charts; }
    RecordAnalysis& analysis() override { return m_analysis; }
    MessageList& messages() override { return m_messages; }
    MessageBoxes& boxes() override { return m_boxes; }
    Yield& yield() override { return m_yield; }
    void beep() override {}
    void setWaitPointer(bool) override {}
    bool showsVolts() const override { return false; }
    void showIntegers() override {}
    void setDisplayModeEnabled(bool) override {}
    void enableHoldZoom() override {}
    void showMaxMin(double, double) override {}
    void continuousRunStarted() override {}
    void continuousRunEnded() override {}

private:
    RecordAnalysis& m_analysis;
    MessageList& m_messages;
    MessageBoxes& m_boxes;
    Yield& m_yield;
    ChartValues m_dso;
    ChartValues m_fft;
    MainCharts m_charts{m_dso, m_fft};
};

}  // namespace rq
