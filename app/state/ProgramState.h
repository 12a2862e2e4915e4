#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "state/ClockSettings.h"
#include "state/CommandLine.h"
#include "state/Latch.h"
#include "state/SampleRecord.h"
#include "state/Settings.h"

namespace rq {

// The check marks and availability of the three printer-port menu entries.
struct PortMenuState {
    bool lpt1Enabled = true;
    bool lpt2Enabled = true;
    bool prnEnabled = true;
    bool lpt1Checked = false;
    bool lpt2Checked = false;
    bool prnChecked = false;
};

// The one live state of the program: the settings record and its snapshot, the board's latch and
// clock, the port in use and the capture time-out flag. The program owns one; tests build their
// own.
struct ProgramState {
    Settings CurrentSettings;
    Settings SavedSettings;
    Latch BoardLatch;
    ClockSettings BoardClock;
    int16_t ConfigFileIndex = 0;
    int16_t PortAddress = 0;  // base of data (+0), status (+1) and control (+2) registers
    QString OSVersion;
    bool TimedOut = false;  // set by the watchdog's tick, polled by the board wait
    PortMenuState PortMenu;
    SampleRecord Record;
    QStringList ConfigEntries;  // the entry items of the configuration file last read
    CommandLine commandLine;
};

// The start values of the initialisation: settings record, sample clock (40 MHz crystal and the
// first sample frequency), latch value 144, no configuration picked.
void applyStartValues(ProgramState& state);

}  // namespace rq
