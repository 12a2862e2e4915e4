#pragma once

#include <span>
#include <vector>

namespace rq::analysis {

// A least-squares sine fit after IEEE Std 1241: x[n] = amplitude cos(2 pi f n + phase) + offset,
// with n counted from the record's first sample.
struct SineFit {
    bool fourParameter = false;
    double amplitude = 0.0;        // codes
    double offset = 0.0;           // codes
    double cyclesPerSample = 0.0;  // f above
    double frequency = 0.0;        // Hz
    double phase = 0.0;            // radians, -pi .. pi
    double residualRms = 0.0;      // codes
    // log2(2^bits / (rms residual * sqrt 12)): the bits of an ideal quantiser with that noise.
    double enob = 0.0;
    int iterations = 0;  // of the four-parameter fit
    bool converged = true;
    std::vector<double> residual;  // record minus fit, for plotting
};

// The frequency known (cycles per sample, strictly between 0 and 1/2). Raises 5 for a record
// of fewer than 8 samples, a frequency outside that range or a fit that cannot be solved.
SineFit fitSine3(std::span<const double> record, double cyclesPerSample, int bits,
                 double sampleRate);

// The frequency found too, by Gauss-Newton steps from a starting value that must lie within a
// fraction of a bin of the tone (the spectrum's refined frequency does).
SineFit fitSine4(std::span<const double> record, double initialCyclesPerSample, int bits,
                 double sampleRate);

}  // namespace rq::analysis
