#include "state/ProgramState.h"

#include "protocol/BoardProtocol.h"

namespace rq {

void applyStartValues(ProgramState& state) {
    Settings& s = state.CurrentSettings;
    s.SampleFreq = 100000;
    s.NumberOfSamples = 0;
    s.Max_Frequency = 500000;
    s.NumberOfBits = 12;
    s.DisplayMode = false;
    s.DataLoaded = false;
    s.InputVMin = 0.0;
    s.InputVMax = 5.0;
    s.TimeOut = 1000;
    state.BoardClock.setCrystalFrequency(protocol::CrystalFrequency);
    state.BoardClock.setSampleFrequency(s.SampleFreq);
    state.BoardLatch.setLatch(Latch::AllOff);
    state.ConfigFileIndex = -1;
}

}  // namespace rq
