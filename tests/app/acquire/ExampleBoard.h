// The simulated board with the example program running: 12-bit codes at 100 kHz from a
// 40 MHz crystal, the message list and the yields counted from here on.
#pragma once

#include "SimLink.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"

namespace rq::test {

inline int16_t startExampleProgram(SimLink& l) {
    l.state.BoardClock.setCrystalFrequency(40000000);
    l.state.BoardClock.setSampleFrequency(100000);
    l.state.CurrentSettings.SampleFreq = 100000;
    l.state.CurrentSettings.NumberOfBits = 12;
    l.state.CurrentSettings.EXEName = RQ_EXAMPLES_DIR "/VMB.EXE";
    ResetNotifications none;
    ResetBoard(l.state, l.comms, none);
    const int16_t loaded = LoadDSPProgram(l.state, l.comms);
    l.messages.lines.clear();
    l.yield.count = 0;  // the watchdog counts yields from the capture on
    return loaded;
}

}  // namespace rq::test
