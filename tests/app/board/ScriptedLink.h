// The program's board link over a scripted port at &H378, with fakes for everything the link
// reaches; the watchdog's tick sets the time-out flag.
#pragma once

#include "Fakes.h"
#include "board/CommsFunctions.h"
#include "state/ProgramState.h"
#include "parport/ScriptedPort.h"

namespace rq::test {

struct ScriptedLink {
    ProgramState state;
    ScriptedPort port;
    FakeYield yield;
    FakeTimer timer;
    FakeMessageList messages;
    FakeMessageBoxes boxes;
    CommsFunctions comms{linkStateOf(state), port, yield, timer, messages, boxes};
    ScriptedLink() {
        state.PortAddress = 0x378;
        timer.setOnTick([this] { state.TimedOut = true; });
    }
};

}  // namespace rq::test
