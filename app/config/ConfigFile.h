#pragma once

#include <QString>
#include <cstdint>

#include "common/HostInterfaces.h"
#include "state/ProgramState.h"

namespace rq {

// Reads a configuration file (.CFG) into the settings record and the supply flags of the latch.
// Returns 0 when the configuration was taken over and 2 when the file was refused or failed,
// after telling the user why. Members are written as their keys are looked up, so a load that
// fails part-way keeps what it wrote. The entry items of the last file read stay in
// state.ConfigEntries. Sends nothing to the board. When an unexpected failure ends the load, its
// description goes to *failure (the box shows only its number).
int16_t LoadConfigFile(ProgramState& state, const QString& fileName, MessageBoxes& boxes,
                       QString* failure = nullptr);

}  // namespace rq
