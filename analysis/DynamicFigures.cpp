#include "analysis/DynamicFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/NumberedError.h"

namespace rq::analysis {
namespace {

// Owners of the bins, in the order they claim them.
constexpr int Noise = 0;
constexpr int Fundamental = 1;
constexpr int Dc = 2;
// Harmonic h owns with Dc + h.

[[noreturn]] void refuse(const QString& why) {
    throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("Analysis"), why);
}

// 20 log10(2) and 10 log10(3/2): the ideal quantiser's 6.02 N + 1.76.
const double DbPerBit = 20.0 * std::log10(2.0);
const double SineToQuantisation = 10.0 * std::log10(1.5);

}  // namespace

double decibels(double numerator, double denominator) {
    if (denominator <= 0.0) {
        return std::numeric_limits<double>::infinity();
    }
    if (numerator <= 0.0) {
        return -std::numeric_limits<double>::infinity();
    }
    return 10.0 * std::log10(numerator / denominator);
}

double fullScalePower(int bits) {
    return std::ldexp(1.0, 2 * bits - 3);
}

DynamicFigures measureFigures(const PowerSpectrum& spectrum, const FigureOptions& options) {
    const int N = spectrum.recordLength;
    const int last = N / 2;
    if (N < 16 || spectrum.bins() != last + 1) {
        refuse(QStringLiteral("the spectrum is too short for the figures"));
    }
    const std::vector<double>& P = spectrum.power;
    const int K = windowInfo(spectrum.window).mainLobeHalfWidth;
    const double enbw = spectrum.noiseBandwidth;
    const double fs = options.sampleRate;
    const double fullScale = fullScalePower(options.fullScaleBits);
    const double binHz = fs / N;

    DynamicFigures f;
    f.mainLobeHalfWidth = K;
    f.records = spectrum.records;
    f.dc = std::copysign(std::sqrt(P[0]), spectrum.mean);

    // The fundamental: the largest bin but DC and Nyquist. The mean came off before the window,
    // so DC's lobe holds no offset and a tone inside it is found at its own bin.
    int F = 0;
    double top = 0.0;
    for (int k = 1; k < last; ++k) {
        if (P[static_cast<size_t>(k)] > top) {
            top = P[static_cast<size_t>(k)];
            F = k;
        }
    }
    // What is left of a constant record once its mean is off is rounding.
    if (F == 0 || top <= 1e-24 * std::max(1.0, P[0])) {
        refuse(QStringLiteral("the record has no tone outside DC"));
    }
    f.toneInDcLobe = F <= K;
    // A cosine sum's lobe holds power K - 1 bins either side of its centre: the tone's and its
    // image's below DC meet at DC itself when the tone is K - 1 bins out.
    f.toneApartFromDc = F >= K - 1;
    if (f.toneInDcLobe) {
        f.dc = spectrum.mean;  // the weighted mean holds the tone's lobe
    }

    std::vector<int> owner(static_cast<size_t>(last + 1), Noise);
    // Claims the bins around centre not yet claimed; returns their power over the bandwidth.
    const auto claim = [&](int centre, int who) {
        double sum = 0.0;
        for (int k = std::max(0, centre - K); k <= std::min(last, centre + K); ++k) {
            if (owner[static_cast<size_t>(k)] == Noise) {
                owner[static_cast<size_t>(k)] = who;
                sum += P[static_cast<size_t>(k)];
            }
        }
        return sum / enbw;
    };

    // Bin 0 is DC's whatever lies beside it.
    owner[0] = Dc;
    double moment = 0.0;
    double lobe = 0.0;
    for (int k = std::max(1, F - K); k <= std::min(last, F + K); ++k) {
        moment += k * P[static_cast<size_t>(k)];
        lobe += P[static_cast<size_t>(k)];
    }
    f.fundamentalBin = F;
    f.refinedBin = moment / lobe;
    f.frequency = f.refinedBin * binHz;
    // The tone first: a tone close to DC keeps its own lobe.
    f.fundamentalPower = claim(F, Fundamental);
    f.amplitude = std::sqrt(2.0 * f.fundamentalPower);
    f.fundamentalDbfs = decibels(f.fundamentalPower, fullScale);
    claim(0, Dc);

    for (int h = 2; h <= options.harmonicOrder; ++h) {
        Harmonic harmonic;
        harmonic.order = h;
        // A sampled harmonic repeats with the sample rate and folds about Nyquist.
        double r = std::fmod(h * f.refinedBin, static_cast<double>(N));
        if (r > last) {
            r = N - r;
        }
        harmonic.frequency = r * binHz;
        harmonic.bin = std::clamp(static_cast<int>(std::lround(r)), 0, last);
        if (const int who = owner[static_cast<size_t>(harmonic.bin)]; who != Noise) {
            harmonic.masked = true;
            if (who == Fundamental) {
                harmonic.maskedBy = Harmonic::MaskedBy::Fundamental;
            } else if (who == Dc) {
                harmonic.maskedBy = Harmonic::MaskedBy::Dc;
            } else {
                harmonic.maskedBy = Harmonic::MaskedBy::Harmonic;
                harmonic.maskingOrder = who - Dc;
            }
        } else {
            harmonic.power = claim(harmonic.bin, Dc + h);
            harmonic.dBc = decibels(harmonic.power, f.fundamentalPower);
            harmonic.dBFS = decibels(harmonic.power, fullScale);
            f.distortionPower += harmonic.power;
        }
        f.harmonics.push_back(harmonic);
    }

    // Nyquist holds half a bin's share of white noise, as DC does.
    double noiseSum = 0.0;
    double noiseWeight = 0.0;
    double harmonicWeight = 0.0;  // the noise's share of the harmonics' bins
    for (int k = 0; k <= last; ++k) {
        const int who = owner[static_cast<size_t>(k)];
        const double weight = k == last ? 0.5 : 1.0;
        if (who == Noise) {
            noiseSum += P[static_cast<size_t>(k)];
            noiseWeight += weight;
        } else if (who > Dc) {
            harmonicWeight += weight;
        }
    }
    if (noiseWeight == 0.0) {
        refuse(QStringLiteral("no bin of the spectrum is left for the noise"));
    }
    // The excluded bins filled at the average: N/2 bins of it in all.
    f.noisePower = noiseSum / noiseWeight * last / enbw;

    // The largest spur: any bin outside DC and the tone, with the power of what it belongs to.
    int spur = -1;
    for (int k = 1; k <= last; ++k) {
        const int who = owner[static_cast<size_t>(k)];
        if (who != Fundamental && who != Dc &&
            (spur < 0 || P[static_cast<size_t>(k)] > P[static_cast<size_t>(spur)])) {
            spur = k;
        }
    }
    double spurPower = 0.0;
    if (spur > 0) {
        const int who = owner[static_cast<size_t>(spur)];
        if (who > Dc) {
            f.spurHarmonic = who - Dc;
            const Harmonic& h = f.harmonics[static_cast<size_t>(f.spurHarmonic - 2)];
            spurPower = h.power;
            f.spurFrequency = h.frequency;
            f.spurBin = h.bin;
        } else {
            double moment = 0.0;
            for (int k = std::max(1, spur - K); k <= std::min(last, spur + K); ++k) {
                if (owner[static_cast<size_t>(k)] == Noise) {
                    spurPower += P[static_cast<size_t>(k)];
                    moment += k * P[static_cast<size_t>(k)];
                }
            }
            f.spurFrequency = (spurPower > 0.0 ? moment / spurPower : spur) * binHz;
            f.spurBin = spur;
            spurPower /= enbw;
        }
    }

    f.snr = decibels(f.fundamentalPower, f.noisePower);
    // Everything but DC and the tone, each bin once: the harmonics' bins hold the noise under
    // them already, so the noise is filled in only where DC and the tone are.
    const double noiseBesideHarmonics = noiseSum / noiseWeight * (last - harmonicWeight) / enbw;
    f.sinad = decibels(f.fundamentalPower, noiseBesideHarmonics + f.distortionPower);
    f.thd = decibels(f.distortionPower, f.fundamentalPower);
    // Harmonics asked for and none of them measurable: nothing says what THD is.
    if (!f.harmonics.empty() && std::all_of(f.harmonics.begin(), f.harmonics.end(),
                                            [](const Harmonic& h) { return h.masked; })) {
        f.thd = std::numeric_limits<double>::quiet_NaN();
    }
    f.sfdrDbc = decibels(f.fundamentalPower, spurPower);
    f.sfdrDbfs = decibels(fullScale, spurPower);
    f.enob = (f.sinad - SineToQuantisation - f.fundamentalDbfs) / DbPerBit;
    f.noiseDensity = decibels(f.noisePower, fullScale) - 10.0 * std::log10(fs / 2.0);
    f.averageBinNoise = decibels(f.noisePower / last, fullScale);
    if (!f.toneApartFromDc) {
        const double unknown = std::numeric_limits<double>::quiet_NaN();
        f.frequency = f.snr = f.sinad = f.thd = f.sfdrDbc = f.sfdrDbfs = f.enob = unknown;
    }
    return f;
}

}  // namespace rq::analysis
