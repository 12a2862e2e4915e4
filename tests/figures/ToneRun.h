#pragma once

// The figures of a run over records of a known tone, for the tests of what is made of them.
#include "Synth.h"
#include "figures/FigureRun.h"

namespace rq::test {

// A 1500-code tone on mid-scale of a 12-bit converter at 100 kHz, with a second harmonic at
// -70 dBc, a third at -80 dBc and 1 code rms of noise; records after the first are
// power-averaged, each with noise of its own.
inline rq::figures::FigureRun harmonicToneRun(double cycles, int samples = 1024, int records = 1,
                                              int harmonics = 5) {
    Tone t;
    t.cycles = cycles;
    t.amplitude = 1500.0;
    t.offset = 2048.0;
    t.harmonicsDbc = {-70.0, -80.0};
    t.noiseRms = 1.0;
    rq::figures::FigureRequest request;
    request.metrics = true;
    request.harmonics = harmonics;
    rq::figures::FigureRun run(request, 12, false, 100000.0);
    for (int r = 1; r <= records; ++r) {
        t.seed = static_cast<unsigned>(r);
        run.addRecord(synthesise(samples, t), records > 1);
    }
    return run;
}

}  // namespace rq::test
