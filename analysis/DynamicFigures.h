#pragma once

#include <vector>

#include "analysis/PowerSpectrum.h"

namespace rq::analysis {

// What the dynamic figures are measured against.
struct FigureOptions {
    // Full scale is a sine over all 2^bits codes: amplitude 2^(bits-1), power 2^(2 bits - 3).
    int fullScaleBits = 12;
    double sampleRate = 100000.0;  // Hz
    int harmonicOrder = 6;         // harmonics 2 to this one
};

struct Harmonic {
    int order = 0;
    double frequency = 0.0;  // Hz, aliased into 0 .. fs/2
    int bin = 0;
    double power = 0.0;  // mean-square codes
    double dBc = 0.0;
    double dBFS = 0.0;
    // Its bins are the fundamental's, DC's or a lower harmonic's: it is not measured and not in
    // the THD.
    bool masked = false;
    enum class MaskedBy { Nothing, Fundamental, Dc, Harmonic } maskedBy = MaskedBy::Nothing;
    int maskingOrder = 0;  // the lower harmonic's order, when a harmonic masks it
};

// IEEE Std 1241 figures of a spectrum with one tone. Levels are power ratios in dB; a figure
// that has nothing to divide by (no noise at all, say) is infinite, one that cannot be measured
// is NaN.
struct DynamicFigures {
    int fundamentalBin = 0;
    double refinedBin = 0.0;  // the tone between bins, from the power centroid of its lobe
    double frequency = 0.0;   // Hz, refined
    double fundamentalPower = 0.0;
    double amplitude = 0.0;  // codes
    double fundamentalDbfs = 0.0;
    double dc = 0.0;  // codes, the record's mean
    std::vector<Harmonic> harmonics;

    double noisePower = 0.0;       // over 0 .. fs/2, the excluded bins filled at the average
    double distortionPower = 0.0;  // the harmonics that are measured

    double snr = 0.0;
    double sinad = 0.0;
    double thd = 0.0;  // dBc
    double sfdrDbc = 0.0;
    double sfdrDbfs = 0.0;
    double spurFrequency = 0.0;  // Hz
    int spurBin = 0;
    int spurHarmonic = 0;          // the harmonic's order, 0 when the spur is not a harmonic
    double enob = 0.0;             // from SINAD, corrected to full scale
    double noiseDensity = 0.0;     // dBFS/Hz
    double averageBinNoise = 0.0;  // dBFS: the noise of one of the record's N/2 bins, unwindowed

    int mainLobeHalfWidth = 0;
    int records = 0;

    // The tone lies within DC's lobe. It is still measured at its own bin while its lobe and
    // its mirror image below DC stay apart; closer in, it cannot be told from DC and the
    // frequency and every figure relative to the tone are NaN.
    bool toneInDcLobe = false;
    bool toneApartFromDc = true;
};

// Raises 5 when the spectrum has no tone outside DC or no bin left for the noise.
DynamicFigures measureFigures(const PowerSpectrum& spectrum, const FigureOptions& options);

// 10 log10 of a power ratio; a zero numerator reads minus infinity, a zero denominator plus.
double decibels(double numerator, double denominator);

// The power of a full-scale sine of that many bits.
double fullScalePower(int bits);

}  // namespace rq::analysis
