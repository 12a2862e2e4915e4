#include "figurewindow/PlotInteraction.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "figures/FrequencyText.h"

namespace rq::figures {

namespace {

// A press and release this close together are a click, not a pan.
constexpr int clickSlack = 3;

const std::array<QColor, 2> markerColours = {QColor(210, 30, 30), QColor(20, 130, 60)};

double keyPixelOf(const QCPGraph& graph, QPointF pixel) {
    return graph.keyAxis()->orientation() == Qt::Horizontal ? pixel.x() : pixel.y();
}

}  // namespace

PlotInteraction::PlotInteraction(QCustomPlot* plot) : QObject(plot), m_plot(plot) {
    m_plot->setInteractions(m_plot->interactions() | QCP::iRangeDrag | QCP::iRangeZoom);
    if (m_plot->focusPolicy() == Qt::NoFocus) {
        m_plot->setFocusPolicy(Qt::ClickFocus);  // for Esc
    }
    m_plot->installEventFilter(this);
    connect(m_plot, &QCustomPlot::beforeReplot, this, &PlotInteraction::placeLabels);
    remember();
}

void PlotInteraction::remember() {
    m_remembered = currentRanges();
    std::array<std::optional<Marker>, 2> markers = m_markers;
    for (auto& marker : markers) {
        if (!marker) {
            continue;
        }
        // The point nearest the marker's key in the new data.
        if (!m_graph || m_graph->data()->isEmpty()) {
            marker.reset();
            continue;
        }
        const auto data = m_graph->data();
        auto it = data->findBegin(marker->key, false);
        if (it == data->constEnd() ||
            (it != data->constBegin() &&
             std::fabs((it - 1)->key - marker->key) < std::fabs(it->key - marker->key))) {
            --it;
        }
        marker = Marker{it->key, it->value};
    }
    // The drawing's own replot shows them: a queued one would run even after it.
    setMarkers(markers, false);
}

void PlotInteraction::restore() {
    applyRanges(m_remembered);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void PlotInteraction::setMarkerGraph(QCPGraph* graph) {
    m_graph = graph;
    m_beforeClick.reset();
    setMarkers({});
}

void PlotInteraction::setReadoutStyle(const ReadoutStyle& style) {
    m_style = style;
    setMarkers(m_markers);
}

bool PlotInteraction::placeMarker(int number, QPoint pixel) {
    if (!m_graph || (number != 1 && number != 2)) {
        return false;
    }
    const std::optional<int> index = pick(*m_graph, keyPixelOf(*m_graph, pixel), pickPixels);
    if (!index) {
        return false;
    }
    const auto point = m_graph->data()->at(*index);
    std::array<std::optional<Marker>, 2> markers = m_markers;
    markers[size_t(number - 1)] = Marker{point->key, point->value};
    setMarkers(markers);
    return true;
}

void PlotInteraction::clearMarkers() {
    setMarkers({});
}

std::optional<PlotInteraction::Marker> PlotInteraction::marker(int number) const {
    if (number != 1 && number != 2) {
        return std::nullopt;
    }
    return m_markers[size_t(number - 1)];
}

QString PlotInteraction::readout() const {
    return m_readout;
}

std::optional<int> PlotInteraction::pick(const QCPGraph& graph, double keyPixel, double window) {
    const QCPAxis* keyAxis = graph.keyAxis();
    const auto data = graph.data();
    if (!keyAxis || data->isEmpty()) {
        return std::nullopt;
    }
    // The keys the window covers; a reversed or logarithmic axis maps either way round.
    const double a = keyAxis->pixelToCoord(keyPixel - window);
    const double b = keyAxis->pixelToCoord(keyPixel + window);
    std::optional<int> best;
    for (auto it = data->findBegin(std::min(a, b), false),
              end = data->findEnd(std::max(a, b), false);
         it != end; ++it) {
        if (std::isnan(it->value) ||
            std::fabs(keyAxis->coordToPixel(it->key) - keyPixel) > window) {
            continue;
        }
        // Of equal points, the one nearest the click.
        const int i = int(it - data->constBegin());
        const auto distance = [&](int j) {
            return std::fabs(keyAxis->coordToPixel(data->at(j)->key) - keyPixel);
        };
        if (!best || it->value > data->at(*best)->value ||
            (it->value == data->at(*best)->value && distance(i) < distance(*best))) {
            best = i;
        }
    }
    return best;
}

bool PlotInteraction::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_plot) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
        case QEvent::KeyPress:
            ++m_eventCount;
            m_lastCounted = event->type();
            break;
        default:
            break;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                break;
            }
            m_swallowRelease = false;
            m_pressPos = mouse->position().toPoint();
            m_pressRanges = currentRanges();
            // Ctrl+drag draws the rectangle to zoom into; a plain drag pans.
            m_plot->setSelectionRectMode(mouse->modifiers() & Qt::ControlModifier ? QCP::srmZoom
                                                                                  : QCP::srmNone);
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || (mouse->modifiers() & Qt::ControlModifier)) {
                break;
            }
            if (m_swallowRelease) {  // the second release of a double click
                m_swallowRelease = false;
                break;
            }
            if ((mouse->position().toPoint() - m_pressPos).manhattanLength() > clickSlack) {
                break;
            }
            // Markers are placed from inside the plot only, not from its axes and titles.
            if (!m_graph || !m_graph->keyAxis()->axisRect()->rect().contains(m_pressPos)) {
                break;
            }
            // A click: the few pixels the pan took back, then the marker where the press was.
            applyRanges(m_pressRanges);
            const auto before = m_markers;
            if (placeMarker(mouse->modifiers() & Qt::ShiftModifier ? 2 : 1, m_pressPos)) {
                m_beforeClick = before;
                m_clickEvent = m_eventCount;
            }
            m_plot->replot(QCustomPlot::rpQueuedReplot);
            break;
        }
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                break;
            }
            // Its first click, just before its second press, placed a marker it did not mean to.
            const bool afterClick =
                m_eventCount == m_clickEvent ||
                (m_eventCount == m_clickEvent + 1 && m_lastCounted == QEvent::MouseButtonPress);
            if (m_beforeClick && afterClick) {
                setMarkers(*m_beforeClick);
                m_beforeClick.reset();
            }
            m_swallowRelease = true;
            restore();
            return true;
        }
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                clearMarkers();
                return true;
            }
            break;
        default:
            break;
    }
    return false;
}

PlotInteraction::Ranges PlotInteraction::currentRanges() const {
    Ranges ranges;
    for (QCPAxisRect* rect : m_plot->axisRects()) {
        for (QCPAxis* axis : rect->axes()) {
            ranges.append({QPointer<QCPAxis>(axis), axis->range()});
        }
    }
    return ranges;
}

void PlotInteraction::applyRanges(const Ranges& ranges) {
    for (const auto& [axis, range] : ranges) {
        if (axis && axis->range() != range) {
            axis->setRange(range);
        }
    }
}

void PlotInteraction::setMarkers(const std::array<std::optional<Marker>, 2>& markers, bool replot) {
    m_markers = markers;
    updateItems();
    QStringList parts;
    const auto keyText = m_style.keyText ? m_style.keyText : frequencyText;
    const auto level = m_style.levelText ? m_style.levelText : levelText;
    for (int n = 1; n <= 2; ++n) {
        if (const auto& m = m_markers[size_t(n - 1)]) {
            parts << QStringLiteral("%1%2 = %3").arg(m_style.keySymbol).arg(n).arg(keyText(m->key))
                  << QStringLiteral("%1%2 = %3 %4")
                         .arg(m_style.levelSymbol)
                         .arg(n)
                         .arg(level(m->value), m_style.levelUnit);
        }
    }
    if (m_markers[0] && m_markers[1]) {
        parts << QStringLiteral("Δ%1 = %2")
                     .arg(m_style.keySymbol, keyText(m_markers[1]->key - m_markers[0]->key))
              << QStringLiteral("Δ%1 = %2 %3")
                     .arg(m_style.levelSymbol, level(m_markers[1]->value - m_markers[0]->value),
                          m_style.levelDifferenceUnit);
    }
    const QString text = parts.join(QStringLiteral("  "));
    if (text != m_readout) {
        m_readout = text;
        Q_EMIT readoutChanged(m_readout);
    }
    if (replot) {
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

void PlotInteraction::updateItems() {
    for (size_t i = 0; i < 2; ++i) {
        Drawn& drawn = m_drawn[i];
        const auto& marker = m_markers[i];
        if (!marker || !m_graph) {
            // The label hangs on the tracer, so it goes first.
            if (drawn.label) {
                m_plot->removeItem(drawn.label);
            }
            if (drawn.tracer) {
                m_plot->removeItem(drawn.tracer);
            }
            continue;
        }
        if (!drawn.tracer) {
            drawn.tracer = new QCPItemTracer(m_plot);
            drawn.tracer->setStyle(QCPItemTracer::tsCircle);
            drawn.tracer->setSize(9);
            drawn.tracer->setPen(QPen(markerColours[i], 2));
        }
        if (!drawn.label) {
            drawn.label = new QCPItemText(m_plot);
            drawn.label->setText(QString::number(i + 1));
            QFont font = drawn.label->font();
            font.setBold(true);
            drawn.label->setFont(font);
            drawn.label->setColor(markerColours[i]);
            drawn.label->setBrush(QColor(255, 255, 255, 210));
            drawn.label->setPadding(QMargins(2, 0, 2, 0));
            drawn.label->position->setParentAnchor(drawn.tracer->position);
        }
        QCPAxisRect* rect = m_graph->keyAxis()->axisRect();
        drawn.tracer->setClipAxisRect(rect);
        drawn.label->setClipAxisRect(rect);
        drawn.tracer->position->setAxes(m_graph->keyAxis(), m_graph->valueAxis());
        drawn.tracer->position->setCoords(marker->key, marker->value);
    }
    placeLabels();
}

void PlotInteraction::placeLabels() {
    // Each number beside its marker, on whichever side keeps it inside the plot; the second
    // moves to the other side when both markers stand together.
    constexpr double gap = 6;
    std::optional<QPointF> first;
    for (size_t i = 0; i < 2; ++i) {
        const Drawn& drawn = m_drawn[i];
        if (!drawn.tracer || !drawn.label) {
            continue;
        }
        const QRect area = drawn.tracer->clipAxisRect()->rect();
        const QPointF at = drawn.tracer->position->pixelPosition();
        const QFontMetrics metrics(drawn.label->font());
        const double width = metrics.horizontalAdvance(drawn.label->text()) + 4;
        const double height = metrics.height();
        bool right = at.x() + gap + width <= area.right();
        if (first && QLineF(*first, at).length() < 2 * gap + width) {
            right = !right;
            if (right ? at.x() + gap + width > area.right() : at.x() - gap - width < area.left()) {
                right = !right;
            }
        }
        const bool above = at.y() - gap - height >= area.top();
        drawn.label->setPositionAlignment((right ? Qt::AlignLeft : Qt::AlignRight) |
                                          (above ? Qt::AlignBottom : Qt::AlignTop));
        drawn.label->position->setCoords(right ? gap : -gap, above ? -gap : gap);
        if (i == 0) {
            first = at;
        }
    }
}

}  // namespace rq::figures
