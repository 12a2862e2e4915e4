#include "transform/PanelWindow.h"

#include <cmath>

#include "common/NumberedError.h"

namespace rq::transform {
namespace {

// The constant as the window has always used it; the spectrum must not move by its last digits.
constexpr double TwoPiWindow = 6.28318530717958;

void fill(std::vector<double>& w, int32_t length) {
    w.resize(static_cast<size_t>(length));
    for (int32_t i = 1; i <= length; ++i) {
        const double a = TwoPiWindow * i / length;
        w[static_cast<size_t>(i - 1)] =
            0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2 * a) - 0.01168 * std::cos(3 * a);
    }
}

}  // namespace

std::vector<double> panelWindowWeights(int32_t length) {
    if (length < 0) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    std::vector<double> w;
    fill(w, length);
    return w;
}

const std::vector<double>& PanelWindow::weights(int32_t length) {
    if (length < 0) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    if (length != m_length || m_weights.size() != static_cast<size_t>(length)) {
        fill(m_weights, length);
        m_length = length;
    }
    return m_weights;
}

}  // namespace rq::transform
