#pragma once

#include <cstdint>
#include <vector>

namespace rq {

// The converter on the evaluation board as the simulated board models it. Levels are relative to
// full scale: a tone at 0 dBFS swings over the whole code range.
struct ConverterSettings {
    int bits = 12;                   // 1 to 16
    bool twosComplement = false;     // otherwise straight binary, 0 .. 2^bits - 1
    double toneFrequency = 10000.0;  // Hz
    double toneLevel = -1.0;         // dBFS
    // Levels of the 2nd, 3rd, ... harmonics relative to the tone, dBc.
    std::vector<double> harmonics{-75.0, -80.0};
    double noiseRms = 0.5;  // Gaussian noise, LSB rms
    double offset = 0.0;    // LSB
    // Static errors of the transfer function, codes in straight binary (1 .. 2^bits - 2); -1
    // for none. A missing code's width goes to the code above it; a wide code has twice the
    // width of the others, which give it up evenly; the bow bends the transitions along a
    // parabola through both ends, this many LSB at mid-scale.
    int missingCode = -1;
    int wideCode = -1;
    double inlBow = 0.0;
    // The n-th record after power-on depends only on the seed and these settings.
    uint64_t seed = 1;
};

// Misbehaviour on demand, so the program's error paths can be reached. A negative count is off.
struct SimBoardFaults {
    bool noBoard = false;         // nothing is cabled: the line never moves
    int stopAfterBytes = -1;      // the board answers this many bytes, then nothing at all
    int stuckLowAfterBytes = -1;  // after this many bytes the next one drops the line for good
    int slowStatusReads = 0;      // every change of the line shows only after this many reads
    int refusedAcknowledges = 0;  // the next this many packets are refused, whatever their sum
    bool endlessCapture = false;  // a capture never signals its end

    bool operator==(const SimBoardFaults&) const = default;
};

struct SimBoardSettings {
    int32_t baseAddress = 0x378;
    ConverterSettings converter;
    SimBoardFaults faults;
    // Off: a capture takes as long as the record takes at its sample rate, like the hardware.
    bool immediateCapture = false;
};

}  // namespace rq
