#pragma once

// Records and spectra with known answers for the FFT tests.
#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace fftrecords {

// A converter-like record: an offset tone plus noise, rounded to codes.
inline std::vector<double> adcRecord(int n, double cycles, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 0.8);
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[i] = std::round(2048 + 1800 * std::sin(2 * M_PI * cycles * i / n + 0.3) + noise(rng));
    }
    return x;
}

inline std::vector<double> tone(int n, double bin, double amplitude = 1.0, double phase = 0.1) {
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[i] = amplitude * std::cos(2 * M_PI * bin * i / n + phase);
    }
    return x;
}

inline std::vector<double> toDb(const std::vector<double>& powers) {
    std::vector<double> dB;
    for (double p : powers) {
        dB.push_back(10 * std::log10(p));
    }
    return dB;
}

inline double db(double ratio) {
    return 10 * std::log10(ratio);
}

// A coherent tone with harmonics 2..7 at known levels below it, white noise and a DC offset.
struct Tone {
    static constexpr int N = 4096;
    static constexpr double A = 1000;
    std::vector<double> x;
    std::array<double, 8> a{};  // a[h], harmonic amplitudes
    double noisePower = 0;      // variance of the noise actually added
};

inline Tone makeTone(int bin, unsigned seed) {
    Tone t;
    const double levels[] = {0, 0, -60, -64, -68, -70, -72, -74};
    for (int h = 2; h <= 7; ++h) {
        t.a[h] = Tone::A * std::pow(10.0, levels[h] / 20);
    }
    std::mt19937 rng(seed);
    std::normal_distribution<double> gauss(0.0, 0.5);
    std::uniform_real_distribution<double> phase(0, 2 * M_PI);
    std::vector<double> phases(8);
    for (double& p : phases) {
        p = phase(rng);
    }
    double sum = 0, sumSq = 0;
    for (int i = 0; i < Tone::N; ++i) {
        const double e = gauss(rng);
        sum += e;
        sumSq += e * e;
        double v = 2048 + Tone::A * std::cos(2 * M_PI * bin * i / Tone::N + phases[1]) + e;
        for (int h = 2; h <= 7; ++h) {
            // Sampled, a harmonic past Nyquist lands where it aliases.
            v += t.a[h] * std::cos(2 * M_PI * (double(h) * bin) * i / Tone::N + phases[h]);
        }
        t.x.push_back(v);
    }
    t.noisePower = sumSq / Tone::N - (sum / Tone::N) * (sum / Tone::N);
    return t;
}

// Summed over a window, a tone of amplitude a gives a^2 N / 4 against sigma^2 per noise
// position, whatever the window (Parseval), so ratios follow from the construction.
inline double toneSum(double a) {
    return a * a * Tone::N / 4;
}

}  // namespace fftrecords
