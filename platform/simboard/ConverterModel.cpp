#include "simboard/ConverterModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace rq {
namespace {

// Our own uniform and Gaussian draws on the standard engine, so a record is the same with any
// standard library.
class NoiseSource {
public:
    NoiseSource(uint64_t seed, uint64_t index) {
        std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                          static_cast<uint32_t>(index), static_cast<uint32_t>(index >> 32)};
        m_engine.seed(seq);
    }
    // (0, 1]: never 0, so the logarithm below is defined.
    double uniform() { return (static_cast<double>(m_engine() >> 11) + 1.0) * 0x1.0p-53; }
    double gaussian() {
        if (m_hasSpare) {
            m_hasSpare = false;
            return m_spare;
        }
        const double r = std::sqrt(-2.0 * std::log(uniform()));
        const double a = 2.0 * std::numbers::pi * uniform();
        m_spare = r * std::sin(a);
        m_hasSpare = true;
        return r * std::cos(a);
    }

private:
    std::mt19937_64 m_engine;
    double m_spare = 0.0;
    bool m_hasSpare = false;
};

}  // namespace

ConverterModel::ConverterModel(const ConverterSettings& settings)
    : m_settings(settings), m_bits(std::clamp(settings.bits, 1, 16)) {
    const int M = 1 << m_bits;
    const auto inner = [M](int code) { return code >= 1 && code <= M - 2; };
    const bool bowed = settings.inlBow != 0.0 && std::isfinite(settings.inlBow);
    if (M < 4 || !(inner(settings.missingCode) || inner(settings.wideCode) || bowed)) {
        return;  // ideal: the plain rounding below
    }
    // Widths of the inner codes; the two end codes reach to infinity either side.
    std::vector<double> width(static_cast<size_t>(M), 1.0);
    if (inner(settings.wideCode)) {
        width[static_cast<size_t>(settings.wideCode)] = 2.0;
        const double scale = (M - 2) / static_cast<double>(M - 1);
        for (double& w : width) {
            w *= scale;
        }
    }
    if (inner(settings.missingCode)) {
        const auto m = static_cast<size_t>(settings.missingCode);
        width[m + 1] += width[m];
        width[m] = 0.0;
    }
    m_transitions.resize(static_cast<size_t>(M - 1));
    double t = 0.5;
    const double span = M - 2;
    for (int k = 1; k < M; ++k) {
        double level = t;
        if (bowed) {
            const double u = (t - 0.5) / span;
            level += settings.inlBow * 4.0 * u * (1.0 - u);
        }
        // A bow steeper than a code keeps the transitions in order and swallows codes.
        if (k > 1) {
            level = std::max(level, m_transitions[static_cast<size_t>(k - 2)]);
        }
        m_transitions[static_cast<size_t>(k - 1)] = level;
        t += width[static_cast<size_t>(k)];
    }
}

double ConverterModel::quantise(double v) const {
    // Settings that overflow the arithmetic (an infinite tone, say) must still give codes:
    // clamping takes care of infinities, and NaN reads as the bottom code.
    if (std::isnan(v)) {
        return 0.0;
    }
    if (m_transitions.empty()) {
        return std::clamp(std::floor(v + 0.5), 0.0, static_cast<double>(maxCode()));
    }
    return static_cast<double>(std::upper_bound(m_transitions.begin(), m_transitions.end(), v) -
                               m_transitions.begin());
}

uint16_t ConverterModel::wordFor(int straightCode) const {
    if (!m_settings.twosComplement) {
        return static_cast<uint16_t>(straightCode);
    }
    // Flipping the top bit turns offset binary into two's complement; the rest is sign extension.
    const int signedCode = straightCode - (1 << (m_bits - 1));
    return static_cast<uint16_t>(static_cast<int16_t>(signedCode));
}

uint16_t ConverterModel::midScaleWord() const {
    return wordFor(1 << (m_bits - 1));
}

std::vector<uint16_t> ConverterModel::record(int count, double sampleRate,
                                             uint64_t recordIndex) const {
    NoiseSource noise(m_settings.seed, recordIndex);
    const double midScale = static_cast<double>(1 << (m_bits - 1));
    const double amplitude = midScale * std::pow(10.0, m_settings.toneLevel / 20.0);
    std::vector<double> harmonicAmplitudes;
    for (double dbc : m_settings.harmonics) {
        harmonicAmplitudes.push_back(amplitude * std::pow(10.0, dbc / 20.0));
    }
    // A capture starts at no particular point of the tone.
    const double phase0 = 2.0 * std::numbers::pi * noise.uniform();
    const double step = 2.0 * std::numbers::pi * m_settings.toneFrequency / sampleRate;

    std::vector<uint16_t> words(static_cast<size_t>(std::max(count, 0)));
    for (size_t i = 0; i < words.size(); ++i) {
        const double phase = phase0 + step * static_cast<double>(i);
        double v = midScale + m_settings.offset + amplitude * std::sin(phase);
        for (size_t h = 0; h < harmonicAmplitudes.size(); ++h) {
            v += harmonicAmplitudes[h] * std::sin(static_cast<double>(h + 2) * phase);
        }
        if (m_settings.noiseRms > 0.0) {
            v += m_settings.noiseRms * noise.gaussian();
        }
        words[i] = wordFor(static_cast<int>(quantise(v)));
    }
    return words;
}

}  // namespace rq
