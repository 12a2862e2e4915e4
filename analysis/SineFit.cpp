#include "analysis/SineFit.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "common/NumberedError.h"

namespace rq::analysis {
namespace {

[[noreturn]] void refuse(const QString& why) {
    throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("Sine fit"), why);
}

// cos and sin of w t for t = t0, t0 + 1, ...: a rotation per sample, restarted from the exact
// values every Block samples so that rounding cannot build up. Several times faster than a
// sine and cosine per sample, and the fit runs on every record.
class Oscillator {
public:
    Oscillator(double w, double t0) : m_w(w), m_t0(t0), m_cw(std::cos(w)), m_sw(std::sin(w)) {}
    void at(int n, double& c, double& s) {
        if (n % Block == 0) {
            const double a = m_w * (m_t0 + n);
            m_c = std::cos(a);
            m_s = std::sin(a);
        } else {
            const double c2 = m_c * m_cw - m_s * m_sw;
            m_s = m_s * m_cw + m_c * m_sw;
            m_c = c2;
        }
        c = m_c;
        s = m_s;
    }

private:
    static constexpr int Block = 64;
    double m_w, m_t0, m_cw, m_sw;
    double m_c = 1.0, m_s = 0.0;
};

// Solves the symmetric system a x = b (order n, a row-major n x n) by elimination with partial
// pivoting; false when it is singular.
template <size_t n>
bool solve(std::array<double, n * n> a, std::array<double, n> b, std::array<double, n>& x) {
    for (size_t col = 0; col < n; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < n; ++r) {
            if (std::fabs(a[r * n + col]) > std::fabs(a[pivot * n + col])) {
                pivot = r;
            }
        }
        if (!(std::fabs(a[pivot * n + col]) > 0.0)) {
            return false;
        }
        if (pivot != col) {
            for (size_t c = 0; c < n; ++c) {
                std::swap(a[col * n + c], a[pivot * n + c]);
            }
            std::swap(b[col], b[pivot]);
        }
        for (size_t r = col + 1; r < n; ++r) {
            const double m = a[r * n + col] / a[col * n + col];
            for (size_t c = col; c < n; ++c) {
                a[r * n + c] -= m * a[col * n + c];
            }
            b[r] -= m * b[col];
        }
    }
    for (size_t i = n; i-- > 0;) {
        double v = b[i];
        for (size_t c = i + 1; c < n; ++c) {
            v -= a[i * n + c] * x[c];
        }
        x[i] = v / a[i * n + i];
        if (!std::isfinite(x[i])) {
            return false;
        }
    }
    return true;
}

void check(std::span<const double> record, double cyclesPerSample) {
    if (record.size() < 8) {
        refuse(QStringLiteral("a sine fit needs at least 8 samples"));
    }
    if (!(cyclesPerSample > 0.0 && cyclesPerSample < 0.5)) {
        refuse(QStringLiteral("the tone's frequency must lie between DC and Nyquist"));
    }
}

// The model A cos(w t) + B sin(w t) + C, t counted from the middle of the record so that the
// frequency's column of the four-parameter fit stays independent of the others.
struct Model {
    double a = 0.0, b = 0.0, c = 0.0, w = 0.0;
};

double centre(size_t n) {
    return -0.5 * static_cast<double>(n - 1);
}

Model fitThree(std::span<const double> x, double w) {
    std::array<double, 9> m{};
    std::array<double, 3> r{};
    Oscillator osc(w, centre(x.size()));
    for (size_t i = 0; i < x.size(); ++i) {
        double c, s;
        osc.at(static_cast<int>(i), c, s);
        const double col[3] = {c, s, 1.0};
        for (size_t p = 0; p < 3; ++p) {
            for (size_t q = p; q < 3; ++q) {
                m[p * 3 + q] += col[p] * col[q];
            }
            r[p] += col[p] * x[i];
        }
    }
    for (size_t p = 0; p < 3; ++p) {
        for (size_t q = 0; q < p; ++q) {
            m[p * 3 + q] = m[q * 3 + p];
        }
    }
    std::array<double, 3> v{};
    if (!solve<3>(m, r, v)) {
        refuse(QStringLiteral("the sine fit cannot be solved for this record"));
    }
    return {v[0], v[1], v[2], w};
}

SineFit finish(std::span<const double> x, const Model& model, int bits, double sampleRate) {
    SineFit fit;
    fit.amplitude = std::hypot(model.a, model.b);
    fit.offset = model.c;
    fit.cyclesPerSample = model.w / (2.0 * std::numbers::pi);
    fit.frequency = fit.cyclesPerSample * sampleRate;
    // A cos + B sin = R cos(w t + p) with p = atan2(-B, A); sample 0 is at t = centre.
    fit.phase = std::remainder(std::atan2(-model.b, model.a) + model.w * centre(x.size()),
                               2.0 * std::numbers::pi);
    fit.residual.resize(x.size());
    Oscillator osc(model.w, centre(x.size()));
    double squares = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double c, s;
        osc.at(static_cast<int>(i), c, s);
        const double e = x[i] - (model.a * c + model.b * s + model.c);
        fit.residual[i] = e;
        squares += e * e;
    }
    fit.residualRms = std::sqrt(squares / static_cast<double>(x.size()));
    fit.enob = fit.residualRms > 0.0 ? bits - std::log2(fit.residualRms * std::sqrt(12.0))
                                     : std::numeric_limits<double>::infinity();
    return fit;
}

}  // namespace

SineFit fitSine3(std::span<const double> record, double cyclesPerSample, int bits,
                 double sampleRate) {
    check(record, cyclesPerSample);
    return finish(record, fitThree(record, 2.0 * std::numbers::pi * cyclesPerSample), bits,
                  sampleRate);
}

SineFit fitSine4(std::span<const double> record, double initialCyclesPerSample, int bits,
                 double sampleRate) {
    check(record, initialCyclesPerSample);
    Model model = fitThree(record, 2.0 * std::numbers::pi * initialCyclesPerSample);
    const double t0 = centre(record.size());
    // The frequency's column is scaled to the size of the others, so the system stays well
    // conditioned for long records.
    const double scale = 1.0 / -t0;
    constexpr int MaxIterations = 30;
    int iterations = 0;
    bool converged = false;
    while (iterations < MaxIterations && !converged) {
        ++iterations;
        std::array<double, 16> m{};
        std::array<double, 4> r{};
        Oscillator osc(model.w, t0);
        for (size_t i = 0; i < record.size(); ++i) {
            double c, s;
            osc.at(static_cast<int>(i), c, s);
            const double t = (t0 + static_cast<double>(i)) * scale;
            // Linearised in the step of w about the present A and B; A, B and C are solved anew.
            const double col[4] = {c, s, 1.0, t * (model.b * c - model.a * s)};
            for (size_t p = 0; p < 4; ++p) {
                for (size_t q = p; q < 4; ++q) {
                    m[p * 4 + q] += col[p] * col[q];
                }
                r[p] += col[p] * record[i];
            }
        }
        for (size_t p = 0; p < 4; ++p) {
            for (size_t q = 0; q < p; ++q) {
                m[p * 4 + q] = m[q * 4 + p];
            }
        }
        std::array<double, 4> v{};
        if (!solve<4>(m, r, v)) {
            refuse(QStringLiteral("the four-parameter sine fit cannot be solved for this record"));
        }
        const double step = v[3] * scale;
        model = {v[0], v[1], v[2], model.w + step};
        if (!(model.w > 0.0 && model.w < std::numbers::pi)) {
            refuse(QStringLiteral("the four-parameter sine fit left the band: start it closer"));
        }
        converged = std::fabs(step) <= 1e-13 * model.w;
    }
    // The amplitudes of the last step belong to the frequency before it; one more linear fit
    // puts them on the final one.
    model = fitThree(record, model.w);
    SineFit fit = finish(record, model, bits, sampleRate);
    fit.fourParameter = true;
    fit.iterations = iterations;
    fit.converged = converged;
    return fit;
}

}  // namespace rq::analysis
