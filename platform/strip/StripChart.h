#pragma once

#include <QSharedPointer>
#include <QWidget>
#include <cstdint>
#include <span>

class QCPGraph;
class QCPGraphData;
template <class DataType>
class QCPDataContainer;
class QCPItemStraightLine;
class QCPLayer;

namespace rq {

class StripPlot;

// The strip chart both graphs of the main window are drawn with: one trace of points against
// their index, on QCustomPlot.
//
// The chart shows what it is given by itself: a write that changes what is shown (the trace, a
// range, the grids, the point marks) marks the chart, and a marked chart replots once at the next
// turn of the event loop, however many writes came before; a trace cleared and loaded again with
// the same points changes nothing. redraw() replots a marked chart at once instead, so a record
// the program loads and then redraws costs one replot. Every value reads back exactly as
// written; what is shown is derived from them:
// - x: point i of the trace stands at x = i. The x-range shown is xMinimum..xMaximum; while
//   xMaximum is not above xMinimum it spans the points loaded (0..count - 1, at least 0..1).
//   lastPoint and pointsShown are kept for the program and do not change the drawing.
// - y: yBottom..yTop, either way round; equal ends are widened by 1 % of their size (1 at 0),
//   and a range with an infinite or undefined end leaves the y-range shown as it was.
//   savedYTop and savedYBottom, the program's second copy of the y-range, are only kept.
// Writing any x value (or y value) puts the x-range (y-range) shown back to the derived one,
// which ends a zoom along that axis.
//
// Mouse: with zoom handles off, pressing the left button and dragging moves a cursor line from
// point to point and raises CursorChange at the press and at each point the cursor moves on to;
// the line shows while the button is held. With zoom handles on, a left drag zooms to the
// rectangle drawn, the wheel zooms about the mouse and a double click restores the ranges
// derived from the values written. A zoom changes only what is shown, never a value written, and
// replots at once, as the user expects. Releasing any button raises MouseUp.
class StripChart : public QWidget {
    Q_OBJECT

public:
    struct Range {
        double lower = 0;
        double upper = 0;
        bool operator==(const Range&) const = default;
    };

    // Grid flags: horizontal lines at the y ticks, vertical lines at the x ticks.
    static constexpr int32_t HorizontalGrid = 1;
    static constexpr int32_t VerticalGrid = 2;
    // Zoom handles: bit 0 zooms along x, bit 1 along y; 0 leaves the mouse to the cursor.
    static constexpr int32_t ZoomHandlesOff = 0;
    static constexpr int32_t ZoomHandlesOn = 3;
    // MouseUp's button and shift codes.
    static constexpr int LeftButton = 1, RightButton = 2, MiddleButton = 4;
    static constexpr int ShiftKey = 1, CtrlKey = 2, AltKey = 4;

    explicit StripChart(QWidget* parent = nullptr);
    ~StripChart() override;

    // Drops the trace (the values written stay). A cursor drag in progress goes on over no points.
    void clear();
    // Replaces trace 0 with a copy of the values. More values than pointCapacity raise run-time
    // error 9 and leave the trace as it was.
    void loadTrace(std::span<const double> values);
    int pointCount() const { return m_pointCount; }

    // Points a load may bring; 0 at the start, so the program sets it before loading. A negative
    // capacity raises run-time error 5 and is not kept.
    int16_t pointCapacity() const { return m_pointCapacity; }
    void setPointCapacity(int16_t capacity);

    // The x-range values, see above.
    int32_t xMinimum() const { return m_xMinimum; }
    void setXMinimum(int32_t value);
    int32_t xMaximum() const { return m_xMaximum; }
    void setXMaximum(int32_t value);
    int32_t lastPoint() const { return m_lastPoint; }
    void setLastPoint(int32_t value);
    int32_t pointsShown() const { return m_pointsShown; }
    void setPointsShown(int32_t value);

    // The y-range (starts 0..1) and its second copy.
    double yTop() const { return m_yTop; }
    void setYTop(double value);
    double yBottom() const { return m_yBottom; }
    void setYBottom(double value);
    double savedYTop() const { return m_savedYTop; }
    void setSavedYTop(double value) { m_savedYTop = value; }
    double savedYBottom() const { return m_savedYBottom; }
    void setSavedYBottom(double value) { m_savedYBottom = value; }

    // Bits other than the two grids are kept and ignored.
    int32_t gridFlags() const { return m_gridFlags; }
    void setGridFlags(int32_t flags);
    // A mark on every data point.
    bool pointMarks() const { return m_pointMarks; }
    void setPointMarks(bool on);
    // Bits other than the two zoom directions are kept and ignored.
    int32_t zoomHandles() const { return m_zoomHandles; }
    void setZoomHandles(int32_t handles);
    // A word the main window clears when it loads; kept, no effect on the chart.
    int32_t optionFlags() const { return m_optionFlags; }
    void setOptionFlags(int32_t flags) { m_optionFlags = flags; }

    // Draws at once whatever was written since the last replot; nothing when nothing was.
    void redraw();

    // What is shown now: the derived ranges, or a zoom.
    Range shownXRange() const;
    Range shownYRange() const;
    // The point under the cursor line, counted from 1; 0 while no cursor shows.
    int cursorPoint() const { return m_cursorPoint; }
    // Full replots since construction (redraws, turns of the event loop after a write, zooms,
    // resizes), for tests and measurements.
    int replotCount() const { return m_replotCount; }

Q_SIGNALS:
    // The cursor reached a point, counted from 1 (1..pointCount). Not raised over no points.
    void CursorChange(int point);
    // A button was released over the chart; x and y in twips from its top-left corner.
    void MouseUp(int button, int shift, double x, double y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Drag { None, Cursor, Zoom };

    bool zooming() const { return (m_zoomHandles & ZoomHandlesOn) != 0; }
    void showProgramXRange();
    void showProgramYRange();
    // report: raise CursorChange even when the point is the one already under the cursor.
    void moveCursorTo(double pixelX, bool report);
    void hideCursor();
    // Something shown has changed: one replot at the next turn of the event loop, or sooner.
    void markChanged();
    // A replot at the next turn if the trace then differs from the one drawn.
    void queueReplot();
    bool needsReplot() const;

    StripPlot* m_plot;
    QCPGraph* m_trace;
    QCPLayer* m_cursorLayer;
    QCPItemStraightLine* m_cursorLine;

    int m_pointCount = 0;
    int16_t m_pointCapacity = 0;
    int32_t m_xMinimum = 0;
    int32_t m_xMaximum = 0;
    int32_t m_lastPoint = 0;
    int32_t m_pointsShown = 0;
    double m_yTop = 1;
    double m_yBottom = 0;
    double m_savedYTop = 1;
    double m_savedYBottom = 0;
    int32_t m_gridFlags = 0;
    bool m_pointMarks = false;
    int32_t m_zoomHandles = ZoomHandlesOff;
    int32_t m_optionFlags = 0;

    Drag m_drag = Drag::None;
    int m_cursorPoint = 0;
    int m_replotCount = 0;
    bool m_changed = false;  // a range, grid or mark written since the last replot
    QSharedPointer<QCPDataContainer<QCPGraphData>> m_drawnTrace;  // what the last replot drew
    bool m_replotQueued = false;  // a replot is posted to the event loop
};

}  // namespace rq
