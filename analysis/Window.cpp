#include "analysis/Window.h"

#include <QStringList>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

#include "transform/PanelWindow.h"

namespace rq::analysis {
namespace {

// Cosine-sum coefficients, alternating in sign: w = a0 - a1 cos x + a2 cos 2x - ...
constexpr std::array<double, 7> BlackmanHarris7Terms = {
    0.27105140069342, 0.43329793923448, 0.21812299954311, 0.06592544638803,
    0.01081174209837, 0.00077658482522, 0.00001388721735};
constexpr std::array<double, 5> FlatTopTerms = {0.21557895, 0.41663158, 0.277263158, 0.083578947,
                                                0.006947368};
constexpr std::array<double, 2> HannTerms = {0.5, 0.5};

// Periodic form: a record of n samples is one period of the window, as the spectrum sees it.
std::vector<double> cosineSum(std::span<const double> a, int n) {
    std::vector<double> w(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double x = 2.0 * std::numbers::pi * i / n;
        double v = 0.0;
        for (size_t k = 0; k < a.size(); ++k) {
            v += (k % 2 == 0 ? a[k] : -a[k]) * std::cos(static_cast<double>(k) * x);
        }
        w[static_cast<size_t>(i)] = v;
    }
    return w;
}

const std::array<WindowInfo, 5>& table() {
    // A cosine sum of K terms has its first zeros K bins either side of the tone.
    static const std::array<WindowInfo, 5> infos = {{
        {WindowKind::PanelBlackmanHarris, QStringLiteral("bh4"),
         QStringLiteral("Blackman-Harris, 4 terms"), 4},
        {WindowKind::BlackmanHarris7, QStringLiteral("bh7"),
         QStringLiteral("Blackman-Harris, 7 terms"), 7},
        {WindowKind::Hann, QStringLiteral("hann"), QStringLiteral("Hann"), 2},
        {WindowKind::FlatTop, QStringLiteral("flattop"), QStringLiteral("Flat top"), 5},
        {WindowKind::None, QStringLiteral("none"), QStringLiteral("None (rectangular)"), 1},
    }};
    return infos;
}

}  // namespace

const WindowInfo& windowInfo(WindowKind kind) {
    for (const WindowInfo& info : table()) {
        if (info.kind == kind) {
            return info;
        }
    }
    return table().back();
}

std::optional<WindowKind> windowFromName(const QString& name) {
    for (const WindowInfo& info : table()) {
        if (info.name.compare(name, Qt::CaseInsensitive) == 0) {
            return info.kind;
        }
    }
    return std::nullopt;
}

QString windowNames() {
    QStringList names;
    for (const WindowInfo& info : table()) {
        names << info.name;
    }
    return names.join(QStringLiteral(", "));
}

std::vector<double> windowWeights(WindowKind kind, int n) {
    switch (kind) {
        case WindowKind::PanelBlackmanHarris:
            return transform::panelWindowWeights(n);
        case WindowKind::BlackmanHarris7:
            return cosineSum(BlackmanHarris7Terms, n);
        case WindowKind::Hann:
            return cosineSum(HannTerms, n);
        case WindowKind::FlatTop:
            return cosineSum(FlatTopTerms, n);
        case WindowKind::None:
            break;
    }
    return std::vector<double>(static_cast<size_t>(n), 1.0);
}

double equivalentNoiseBandwidth(const std::vector<double>& weights) {
    double sum = 0.0;
    double squares = 0.0;
    for (double w : weights) {
        sum += w;
        squares += w * w;
    }
    return sum != 0.0 ? static_cast<double>(weights.size()) * squares / (sum * sum) : 0.0;
}

}  // namespace rq::analysis
