#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace rq::analysis {

// The windows a record can be weighted with before its spectrum is taken.
enum class WindowKind {
    PanelBlackmanHarris,  // the FFT panel's four-term Blackman-Harris, with its weights
    BlackmanHarris7,      // seven-term Blackman-Harris: side lobes far below any converter
    Hann,
    FlatTop,  // tone levels without scalloping loss, for non-coherent records
    None,     // rectangular, for coherent records
};

// What a window means for the spectrum of a tone.
struct WindowInfo {
    WindowKind kind;
    QString name;  // as the command line spells it
    QString title;
    // Bins on each side of a tone's centre that its main lobe takes (and of DC).
    int mainLobeHalfWidth;
};

const WindowInfo& windowInfo(WindowKind kind);
std::optional<WindowKind> windowFromName(const QString& name);
// "bh4, bh7, hann, flattop, none".
QString windowNames();

// The weights for a record of n samples. The panel's are the ones the panel applies.
std::vector<double> windowWeights(WindowKind kind, int n);

// Equivalent noise bandwidth in bins of the given weights: n * sum(w^2) / sum(w)^2.
double equivalentNoiseBandwidth(const std::vector<double>& weights);

}  // namespace rq::analysis
