#pragma once

#include <cstdint>
#include <vector>

namespace rq::transform {

// The FFT panel's four-term Blackman-Harris weights for a record of length samples, indexed
// from 1 as the panel has always applied them: the first sample takes the window's second
// point, the last its first. Raises 5 for a negative length.
std::vector<double> panelWindowWeights(int32_t length);

// The same weights, kept for the last length asked for.
class PanelWindow {
public:
    const std::vector<double>& weights(int32_t length);

private:
    int32_t m_length = 0;
    std::vector<double> m_weights;
};

}  // namespace rq::transform
