// A direct DFT in long double, the reference the transform is judged against.
#pragma once

#include <cmath>
#include <complex>
#include <vector>

namespace rq::test {

// X(k) = sum of x(j) e^(+2 pi i jk/N), the kernel of the forward transform.
std::vector<std::complex<double>> directDft(const std::vector<double>& x) {
    const size_t n = x.size();
    std::vector<std::complex<double>> X(n);
    for (size_t k = 0; k < n; ++k) {
        std::complex<long double> sum = 0;
        for (size_t j = 0; j < n; ++j) {
            const long double a = 2.0L * M_PIl * static_cast<long double>((j * k) % n) / n;
            sum += static_cast<long double>(x[j]) * std::complex<long double>(cosl(a), sinl(a));
        }
        X[k] = std::complex<double>(sum);
    }
    return X;
}

}  // namespace rq::test
