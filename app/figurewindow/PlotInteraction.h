#pragma once

// The bench's mouse on a plot: wheel zoom, Ctrl+drag rectangle zoom, drag to pan, double click
// back to the ranges of the last drawing, and two markers on one graph with a read-out of where
// they stand. Attached to any QCustomPlot; the owner draws, then calls remember().
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "strip/CustomPlot.h"

namespace rq::figures {

class PlotInteraction : public QObject {
    Q_OBJECT
public:
    struct Marker {
        double key;
        double value;
    };

    // How the read-out names and writes a marker's key and level; a spectrum's by default.
    struct ReadoutStyle {
        QString keySymbol = QStringLiteral("f");
        QString levelSymbol = QStringLiteral("L");
        std::function<QString(double)> keyText;    // frequencyText when empty
        std::function<QString(double)> levelText;  // two decimals when empty
        QString levelUnit = QStringLiteral("dBFS");
        QString levelDifferenceUnit = QStringLiteral("dB");
    };

    // How far from a click, along the key axis on screen, a marker's point may lie.
    static constexpr double pickPixels = 10.0;

    explicit PlotInteraction(QCustomPlot* plot);

    // For each drawing, once its data and ranges are set and before its replot: the ranges a
    // double click comes back to, and the markers' levels read again at their keys from the
    // graph's new data (cleared if it holds none). It replots nothing itself.
    void remember();
    // Back to the remembered ranges.
    void restore();

    // The graph markers are placed on; markers already placed are cleared.
    void setMarkerGraph(QCPGraph* graph);
    // The graph of a new drawing of the same trace: the markers stay at their keys, and the next
    // remember() reads their levels from it.
    void followGraph(QCPGraph* graph) { m_graph = graph; }
    QCPGraph* markerGraph() const { return m_graph; }
    void setReadoutStyle(const ReadoutStyle& style);
    const ReadoutStyle& readoutStyle() const { return m_style; }

    // Marker 1 or 2 on the largest point within pickPixels of a pixel of the plot; false, and
    // the marker as it was, when no point lies that near.
    bool placeMarker(int number, QPoint pixel);
    void clearMarkers();
    std::optional<Marker> marker(int number) const;

    // "f1 = 10.000 kHz  L1 = -1.00 dBFS  f2 = ...  L2 = ...  Δf = ...  ΔL = ... dB", only the
    // parts of markers placed; empty without markers.
    QString readout() const;

    // The index into the graph's data of the largest point whose key lies within window pixels of
    // the pixel position along the key axis; none if no point lies there.
    static std::optional<int> pick(const QCPGraph& graph, double keyPixel, double window);

Q_SIGNALS:
    void readoutChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Ranges = QList<QPair<QPointer<QCPAxis>, QCPRange>>;
    struct Drawn {
        QPointer<QCPItemTracer> tracer;
        QPointer<QCPItemText> label;
    };

    Ranges currentRanges() const;
    void applyRanges(const Ranges& ranges);
    void setMarkers(const std::array<std::optional<Marker>, 2>& markers, bool replot = true);
    void updateItems();
    void placeLabels();

    QCustomPlot* m_plot;
    QPointer<QCPGraph> m_graph;
    ReadoutStyle m_style;
    Ranges m_remembered;
    std::array<std::optional<Marker>, 2> m_markers;
    std::array<Drawn, 2> m_drawn;
    QString m_readout;

    // The press a release is measured against, and what a double click takes back: the ranges
    // and the markers before its first click.
    QPoint m_pressPos;
    Ranges m_pressRanges;
    bool m_swallowRelease = false;
    std::optional<std::array<std::optional<Marker>, 2>> m_beforeClick;
    // Mouse and key events seen, and the count at the last click that placed a marker.
    long m_eventCount = 0;
    long m_clickEvent = 0;
    QEvent::Type m_lastCounted = QEvent::None;
};

}  // namespace rq::figures
