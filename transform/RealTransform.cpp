#include "transform/RealTransform.h"

#include <algorithm>
#include <cmath>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/NumberedError.h"

namespace rq::transform {
namespace {

// The constants as the transform has always used them; the spectrum must not move by their
// last digits.
constexpr double PiConstant = 3.14159265358979;
constexpr double TwoPiTransform = 6.28318530717959;

bool isPowerOfTwo(int64_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// The twiddle recurrence shared by both transforms: w advances by the angle whose half-angle
// sine is behind wpr and whose sine is wpi.
inline void advance(double& wr, double& wi, double wpr, double wpi) {
    const double t = wr;
    wr = wr * wpr - wi * wpi + wr;
    wi = wi * wpr + t * wpi + wi;
}

#ifdef __SSE2__
// One butterfly on (re, im) pairs with the twiddle entry wr, wr, -wi, wi. It forms
// wr*re + -wi*im and wr*im + wi*re, the same products and sums as the scalar
// wr*re - wi*im and wr*im + wi*re, so the result is identical to the last bit.
inline void butterfly(__m128d& lo, __m128d& hi, const double* wk) {
    const __m128d t = _mm_add_pd(_mm_mul_pd(_mm_loadu_pd(wk), hi),
                                 _mm_mul_pd(_mm_loadu_pd(wk + 2), _mm_shuffle_pd(hi, hi, 1)));
    hi = _mm_sub_pd(lo, t);
    lo = _mm_add_pd(lo, t);
}
#endif

}  // namespace

void RealTransform::RealFFT(std::span<double> Data, int32_t n, int16_t isign) {
    if (n < 2 || !isPowerOfTwo(n)) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    if (static_cast<size_t>(n) > Data.size()) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    const bool forward = isign == 1;
    const double c1 = 0.5;
    const double c2 = forward ? -0.5 : 0.5;
    if (forward) {
        ComplexFFT(Data, n / 2, 1);
    }
    double* D = Data.data();
    const double* w = unpackTwiddles(forward ? n : -n).data();
    // Bins k and n/2-k are unpacked together from the half-length transform.
    for (int32_t i = 2; i <= n / 4; ++i) {
        const int32_t i1 = 2 * i - 2;      // 0-based index of position 2i-1
        const int32_t i3 = n + 2 - 2 * i;  // 0-based index of position n+3-2i
        const double wr = w[2 * (i - 2)];
        const double wi = w[2 * (i - 2) + 1];
        const double h1r = c1 * (D[i1] + D[i3]);
        const double h1i = c1 * (D[i1 + 1] - D[i3 + 1]);
        const double h2r = -c2 * (D[i1 + 1] + D[i3 + 1]);
        const double h2i = c2 * (D[i1] - D[i3]);
        D[i1] = h1r + wr * h2r - wi * h2i;
        D[i1 + 1] = h1i + wr * h2i + wi * h2r;
        D[i3] = h1r - wr * h2r + wi * h2i;
        D[i3 + 1] = -h1i + wr * h2i + wi * h2r;
    }
    const double h = D[0];
    if (forward) {
        D[0] = h + D[1];
        D[1] = h - D[1];
    } else {
        D[0] = c1 * (h + D[1]);
        D[1] = c1 * (h - D[1]);
        ComplexFFT(Data, n / 2, -1);
    }
}

const std::vector<double>& RealTransform::unpackTwiddles(int32_t key) {
    auto it = m_unpackTwiddles.find(key);
    if (it != m_unpackTwiddles.end()) {
        return it->second;
    }
    const int32_t len = key < 0 ? -key : key;
    double theta = PiConstant / (len / 2);
    if (key < 0) {
        theta = -theta;
    }
    const double t = std::sin(0.5 * theta);
    const double wpr = -2.0 * t * t;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    std::vector<double> w;
    w.reserve(static_cast<size_t>(len / 2));
    for (int32_t i = 2; i <= len / 4; ++i) {
        w.push_back(wr);
        w.push_back(wi);
        advance(wr, wi, wpr, wpi);
    }
    return m_unpackTwiddles.emplace(key, std::move(w)).first->second;
}

const RealTransform::ComplexTables& RealTransform::complexTables(int32_t key) {
    auto it = m_complexTables.find(key);
    if (it != m_complexTables.end()) {
        return it->second;
    }
    const int32_t nn = key < 0 ? -key : key;
    const double sign = key < 0 ? -1.0 : 1.0;
    const int64_t n2 = 2 * static_cast<int64_t>(nn);
    ComplexTables tables;
    // 1-based walk of the bit-reversal, recorded as 0-based swaps.
    int64_t j = 1;
    for (int64_t i = 1; i < n2; i += 2) {
        if (j > i) {
            tables.swaps.emplace_back(static_cast<int32_t>(i - 1), static_cast<int32_t>(j - 1));
        }
        int64_t m = nn;
        while (m >= 2 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
    tables.twiddles.reserve(static_cast<size_t>(2 * n2));
    for (int64_t mmax = 2; n2 > mmax; mmax *= 2) {
        const double theta = sign * (TwoPiTransform / static_cast<double>(mmax));
        const double t = std::sin(0.5 * theta);
        const double wpr = -2.0 * t * t;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (int64_t m = 1; m < mmax; m += 2) {
            tables.twiddles.insert(tables.twiddles.end(), {wr, wr, -wi, wi});
            advance(wr, wi, wpr, wpi);
        }
    }
    return m_complexTables.emplace(key, std::move(tables)).first->second;
}

void RealTransform::ComplexFFT(std::span<double> data, int32_t nn, int16_t sign) {
    const ComplexTables& tables = complexTables(sign < 0 ? -nn : nn);
    double* D = data.data();
    for (const auto& [a, b] : tables.swaps) {
        std::swap(D[a], D[b]);
        std::swap(D[a + 1], D[b + 1]);
    }
    const int64_t n2 = 2 * static_cast<int64_t>(nn);
    const double* w = tables.twiddles.data();
    // Within a stage the butterflies are independent, so they may run in any order, and two
    // stages can run in one pass: positions k, k+m, k+2m, k+3m only ever meet each other.
    int64_t mmax = 2;
#ifdef __SSE2__
    for (; n2 > 2 * mmax; mmax *= 4) {
        const double* wa = w;
        const double* wb = w + 2 * mmax;
        for (int64_t block = 0; block < n2; block += 4 * mmax) {
            double* p = D + block;
            for (int64_t k = 0; k < mmax; k += 2) {
                __m128d a0 = _mm_loadu_pd(p + k);
                __m128d a1 = _mm_loadu_pd(p + k + mmax);
                __m128d a2 = _mm_loadu_pd(p + k + 2 * mmax);
                __m128d a3 = _mm_loadu_pd(p + k + 3 * mmax);
                butterfly(a0, a1, wa + 2 * k);
                butterfly(a2, a3, wa + 2 * k);
                butterfly(a0, a2, wb + 2 * k);
                butterfly(a1, a3, wb + 2 * (k + mmax));
                _mm_storeu_pd(p + k, a0);
                _mm_storeu_pd(p + k + mmax, a1);
                _mm_storeu_pd(p + k + 2 * mmax, a2);
                _mm_storeu_pd(p + k + 3 * mmax, a3);
            }
        }
        w += 6 * mmax;
    }
#endif
    for (; n2 > mmax; mmax *= 2) {
        for (int64_t block = 0; block < n2; block += 2 * mmax) {
            double* lo = D + block;
            double* hi = lo + mmax;
            for (int64_t k = 0; k < mmax; k += 2) {
                const double* wk = w + 2 * k;
                const double wr = wk[0];
                const double wi = wk[3];
                const double tr = wr * hi[k] - wi * hi[k + 1];
                const double ti = wr * hi[k + 1] + wi * hi[k];
                hi[k] = lo[k] - tr;
                hi[k + 1] = lo[k + 1] - ti;
                lo[k] = lo[k] + tr;
                lo[k + 1] = lo[k + 1] + ti;
            }
        }
        w += 2 * mmax;
    }
}

}  // namespace rq::transform
