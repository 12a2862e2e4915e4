#include "strip/StripChart.h"

#include "strip/CustomPlot.h"

#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "common/NumberedError.h"
#include "host/DesignFont.h"
#include "host/Twips.h"

namespace rq {

// The plot lets the chart hand it the mouse events of a zoom: it is transparent for the mouse,
// so every event reaches the chart first and a cursor drag never starts QCustomPlot's own.
class StripPlot : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;
    void press(QMouseEvent* event) { QCustomPlot::mousePressEvent(event); }
    void move(QMouseEvent* event) { QCustomPlot::mouseMoveEvent(event); }
    void release(QMouseEvent* event) { QCustomPlot::mouseReleaseEvent(event); }
    void wheel(QWheelEvent* event) { QCustomPlot::wheelEvent(event); }
};

namespace {

const QColor PlotBackground(12, 14, 18);
const QColor FrameBackground(32, 36, 42);
const QColor AxisColour(200, 204, 210);
// Light enough to be seen on the dark plot at a glance, dim beside the trace.
const QColor GridColour(125, 135, 150);
const QColor TraceColour(80, 230, 120);
const QColor CursorColour(255, 200, 40);

int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return StripChart::LeftButton;
        case Qt::RightButton:
            return StripChart::RightButton;
        case Qt::MiddleButton:
            return StripChart::MiddleButton;
        default:
            return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? StripChart::ShiftKey : 0) |
           (modifiers & Qt::ControlModifier ? StripChart::CtrlKey : 0) |
           (modifiers & Qt::AltModifier ? StripChart::AltKey : 0);
}

void styleAxis(QCPAxis* axis, const QFont& font) {
    axis->setBasePen(QPen(AxisColour, 0));
    axis->setTickPen(QPen(AxisColour, 0));
    axis->setSubTickPen(QPen(AxisColour, 0));
    axis->setTickLabelColor(AxisColour);
    axis->setTickLabelFont(font);
    axis->setTickLengthIn(4);
    axis->setTickLengthOut(0);
    axis->setSubTickLengthIn(2);
    axis->setSubTickLengthOut(0);
    axis->setTickLabelPadding(3);
    axis->setPadding(2);
    axis->grid()->setPen(QPen(GridColour, 1, Qt::DotLine));
    axis->grid()->setZeroLinePen(Qt::NoPen);
    axis->grid()->setVisible(false);
}

}  // namespace

StripChart::StripChart(QWidget* parent) : QWidget(parent), m_plot(new StripPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_plot->setBackground(FrameBackground);

    const QFont font = host::designFont();
    QCPAxisRect* rect = m_plot->axisRect();
    rect->setBackground(PlotBackground);
    // Room for half a tick label beyond the top and right ends of the axes.
    rect->setMinimumMargins(QMargins(0, 9, 16, 0));
    rect->setRangeZoomFactor(0.8);
    styleAxis(m_plot->xAxis, font);
    styleAxis(m_plot->yAxis, font);
    m_plot->xAxis->ticker()->setTickCount(6);
    m_plot->yAxis->ticker()->setTickCount(6);  // 20 dB steps over a spectrum's 120

    m_trace = m_plot->addGraph();
    m_trace->setPen(QPen(TraceColour, 0));

    m_plot->selectionRect()->setPen(QPen(Qt::white, 0, Qt::DashLine));
    m_plot->selectionRect()->setBrush(QColor(255, 255, 255, 40));

    // The cursor moves on a layer of its own, so following the mouse repaints only the line.
    m_plot->addLayer(QStringLiteral("cursor"), m_plot->layer(QStringLiteral("main")),
                     QCustomPlot::limAbove);
    m_cursorLayer = m_plot->layer(QStringLiteral("cursor"));
    m_cursorLayer->setMode(QCPLayer::lmBuffered);
    m_cursorLine = new QCPItemStraightLine(m_plot);
    m_cursorLine->setLayer(m_cursorLayer);
    m_cursorLine->setPen(QPen(CursorColour, 0));
    m_cursorLine->setVisible(false);

    // Any replot, ours or the plot's own (a resize, a zoom), shows everything written so far.
    connect(m_plot, &QCustomPlot::beforeReplot, this, [this] {
        m_changed = false;
        m_drawnTrace = m_trace->data();
    });
    showProgramXRange();
    showProgramYRange();
    m_plot->replot();
    connect(m_plot, &QCustomPlot::afterReplot, this, [this] { ++m_replotCount; });
}

StripChart::~StripChart() = default;

void StripChart::clear() {
    // A fresh container, so that the one last drawn stays to compare the next load with.
    m_trace->setData(QSharedPointer<QCPGraphDataContainer>::create());
    queueReplot();
    m_pointCount = 0;
}

void StripChart::loadTrace(std::span<const double> values) {
    if (values.size() > size_t(std::max<int16_t>(m_pointCapacity, 0))) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    QVector<QCPGraphData> points(qsizetype(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        points[qsizetype(i)] = QCPGraphData(double(i), values[i]);
    }
    auto data = QSharedPointer<QCPGraphDataContainer>::create();
    data->set(points, true);
    m_trace->setData(data);
    m_pointCount = int(values.size());
    queueReplot();
    if (m_xMaximum <= m_xMinimum) {
        showProgramXRange();
    }
}

void StripChart::setPointCapacity(int16_t capacity) {
    if (capacity < 0) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    m_pointCapacity = capacity;
}

void StripChart::setXMinimum(int32_t value) {
    m_xMinimum = value;
    showProgramXRange();
}

void StripChart::setXMaximum(int32_t value) {
    m_xMaximum = value;
    showProgramXRange();
}

void StripChart::setLastPoint(int32_t value) {
    m_lastPoint = value;
    showProgramXRange();
}

void StripChart::setPointsShown(int32_t value) {
    m_pointsShown = value;
    showProgramXRange();
}

void StripChart::setYTop(double value) {
    m_yTop = value;
    showProgramYRange();
}

void StripChart::setYBottom(double value) {
    m_yBottom = value;
    showProgramYRange();
}

void StripChart::setGridFlags(int32_t flags) {
    m_gridFlags = flags;
    QCPGrid* horizontal = m_plot->yAxis->grid();
    QCPGrid* vertical = m_plot->xAxis->grid();
    const bool showHorizontal = (flags & HorizontalGrid) != 0;
    const bool showVertical = (flags & VerticalGrid) != 0;
    if (horizontal->visible() != showHorizontal || vertical->visible() != showVertical) {
        horizontal->setVisible(showHorizontal);
        vertical->setVisible(showVertical);
        markChanged();
    }
}

void StripChart::setPointMarks(bool on) {
    if (on != m_pointMarks) {
        markChanged();
    }
    m_pointMarks = on;
    m_trace->setScatterStyle(on ? QCPScatterStyle(QCPScatterStyle::ssPlus, TraceColour, 5)
                                : QCPScatterStyle(QCPScatterStyle::ssNone));
}

void StripChart::setZoomHandles(int32_t handles) {
    m_zoomHandles = handles;
    const bool alongX = (handles & 1) != 0;
    const bool alongY = (handles & 2) != 0;
    QCPAxisRect* rect = m_plot->axisRect();
    rect->setRangeZoom((alongX ? Qt::Horizontal : Qt::Orientations()) |
                       (alongY ? Qt::Vertical : Qt::Orientations()));
    rect->setRangeZoomAxes(alongX ? m_plot->xAxis : nullptr, alongY ? m_plot->yAxis : nullptr);
    m_plot->setInteraction(QCP::iRangeZoom, zooming());
    m_plot->setSelectionRectMode(zooming() ? QCP::srmZoom : QCP::srmNone);
}

void StripChart::redraw() {
    if (needsReplot()) {
        m_plot->replot();
    }
}

bool StripChart::needsReplot() const {
    if (m_changed) {
        return true;
    }
    // The program clears and reloads the same record more than once in a dispatch: only a
    // trace that differs from the one on screen needs drawing.
    const QSharedPointer<QCPGraphDataContainer> now = m_trace->data();
    if (now == m_drawnTrace) {
        return false;
    }
    if (!m_drawnTrace || now->size() != m_drawnTrace->size()) {
        return true;
    }
    return !std::equal(now->constBegin(), now->constEnd(), m_drawnTrace->constBegin(),
                       [](const QCPGraphData& a, const QCPGraphData& b) {
                           return a.key == b.key && a.value == b.value;
                       });
}

void StripChart::markChanged() {
    m_changed = true;
    queueReplot();
}

void StripChart::queueReplot() {
    if (m_replotQueued) {
        return;
    }
    m_replotQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_replotQueued = false;
            if (needsReplot()) {
                m_plot->replot();
            }
        },
        Qt::QueuedConnection);
}

StripChart::Range StripChart::shownXRange() const {
    const QCPRange range = m_plot->xAxis->range();
    return {range.lower, range.upper};
}

StripChart::Range StripChart::shownYRange() const {
    const QCPRange range = m_plot->yAxis->range();
    return {range.lower, range.upper};
}

void StripChart::showProgramXRange() {
    double lower = m_xMinimum;
    double upper = m_xMaximum;
    if (upper <= lower) {
        lower = 0;
        upper = std::max(m_pointCount - 1, 1);
    }
    if (m_plot->xAxis->range() != QCPRange(lower, upper)) {
        m_plot->xAxis->setRange(lower, upper);
        markChanged();
    }
}

void StripChart::showProgramYRange() {
    double lower = std::min(m_yBottom, m_yTop);
    double upper = std::max(m_yBottom, m_yTop);
    if (!std::isfinite(lower) || !std::isfinite(upper)) {
        return;
    }
    if (upper == lower) {
        const double widen = lower == 0 ? 1 : std::abs(lower) * 0.01;
        lower -= widen;
        upper += widen;
    }
    if (m_plot->yAxis->range() != QCPRange(lower, upper)) {
        m_plot->yAxis->setRange(lower, upper);
        markChanged();
    }
}

void StripChart::moveCursorTo(double pixelX, bool report) {
    if (m_pointCount == 0) {
        return;
    }
    const double x = m_plot->xAxis->pixelToCoord(pixelX);
    const double nearest = std::isfinite(x) ? std::nearbyint(x) : 0;
    const int index = int(std::clamp(nearest, 0.0, double(m_pointCount - 1)));
    if (!report && index + 1 == m_cursorPoint) {
        return;
    }
    m_cursorPoint = index + 1;
    m_cursorLine->point1->setCoords(index, 0);
    m_cursorLine->point2->setCoords(index, 1);
    m_cursorLine->setVisible(true);
    m_cursorLayer->replot();
    Q_EMIT CursorChange(m_cursorPoint);
}

void StripChart::hideCursor() {
    m_cursorPoint = 0;
    if (m_cursorLine->visible()) {
        m_cursorLine->setVisible(false);
        m_cursorLayer->replot();
    }
}

void StripChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_drag != Drag::None) {
        return;
    }
    if (zooming()) {
        m_drag = Drag::Zoom;
        m_plot->press(event);
    } else {
        m_drag = Drag::Cursor;
        moveCursorTo(event->position().x(), true);
    }
}

void StripChart::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag == Drag::Zoom) {
        m_plot->move(event);
    } else if (m_drag == Drag::Cursor) {
        moveCursorTo(event->position().x(), false);
    }
}

void StripChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_drag == Drag::Zoom) {
            m_plot->release(event);
        } else if (m_drag == Drag::Cursor) {
            hideCursor();
        }
        m_drag = Drag::None;
    }
    const QPointF at = event->position();
    Q_EMIT MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()),
                   at.x() * host::TwipsPerPixel, at.y() * host::TwipsPerPixel);
}

void StripChart::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (zooming()) {
        showProgramXRange();
        showProgramYRange();
        m_plot->replot();
    } else {
        mousePressEvent(event);
    }
}

void StripChart::wheelEvent(QWheelEvent* event) {
    if (zooming()) {
        m_plot->wheel(event);
    }
}

}  // namespace rq
