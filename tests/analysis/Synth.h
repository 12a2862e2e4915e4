#pragma once

// Synthetic converter records with known answers.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace rq::test {

struct Tone {
    double cycles = 1021.0;  // over the record: whole and odd for a coherent record
    double amplitude = 0.0;  // codes
    double offset = 0.0;
    double phase = 0.3;
    std::vector<double> harmonicsDbc;  // 2nd, 3rd, ...
    double noiseRms = 0.0;
    unsigned seed = 1;
};

inline std::vector<double> synthesise(int n, const Tone& t) {
    std::mt19937_64 rng(t.seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * std::numbers::pi * t.cycles * i / n + t.phase;
        double v = t.offset + t.amplitude * std::cos(a);
        for (size_t h = 0; h < t.harmonicsDbc.size(); ++h) {
            v += t.amplitude * std::pow(10.0, t.harmonicsDbc[h] / 20.0) *
                 std::cos(static_cast<double>(h + 2) * a);
        }
        if (t.noiseRms > 0.0) {
            v += t.noiseRms * noise(rng);
        }
        x[static_cast<size_t>(i)] = v;
    }
    return x;
}

// An ideal quantiser of `bits`: codes 0 .. 2^bits - 1, transitions half an LSB either side.
inline std::vector<double> quantise(std::vector<double> x, int bits) {
    const double top = std::ldexp(1.0, bits) - 1.0;
    for (double& v : x) {
        v = std::clamp(std::floor(v + 0.5), 0.0, top);
    }
    return x;
}

// A tone that swings over every code of an ideal converter and no further.
inline Tone fullScale(int bits, double cycles = 1021.0) {
    Tone t;
    t.cycles = cycles;
    t.amplitude = std::ldexp(1.0, bits - 1) - 0.5;
    t.offset = std::ldexp(1.0, bits - 1) - 0.5;
    return t;
}

}  // namespace rq::test
