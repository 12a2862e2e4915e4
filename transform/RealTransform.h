#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rq::transform {

// The FFT panel's real transform, bit for bit: every spectrum the program shows and every
// figure taken from one goes through it. Keeps the twiddles and bit-reversal swaps of each size
// it has run, so a run of records of one length pays for them once.
class RealTransform {
public:
    // In-place real transform of n values (isign 1 forward, packed as DC, Nyquist, then re/im of
    // bins 1..n/2-1); any other isign inverts, unnormalised (the input times n/2). Raises 5 for
    // an n that is not a power of two from 2, 9 for fewer than n values.
    void RealFFT(std::span<double> Data, int32_t n, int16_t isign);

private:
    // Twiddle factors and bit-reversal swaps of one transform size, computed with the same
    // recurrences the transform would run, so cached and recomputed results agree bit for bit.
    struct ComplexTables {
        std::vector<std::pair<int32_t, int32_t>> swaps;
        std::vector<double> twiddles;  // per stage and butterfly: wr, wr, -wi, wi
    };

    void ComplexFFT(std::span<double> data, int32_t nn, int16_t sign);
    const ComplexTables& complexTables(int32_t key);         // key: nn, negated for the inverse
    const std::vector<double>& unpackTwiddles(int32_t key);  // key: n, negated for the inverse

    std::unordered_map<int32_t, ComplexTables> m_complexTables;
    std::unordered_map<int32_t, std::vector<double>> m_unpackTwiddles;
};

}  // namespace rq::transform
