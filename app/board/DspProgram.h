#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "board/CommsFunctions.h"
#include "state/ProgramState.h"

namespace rq {

// Result codes of a program download.
namespace DspResult {
constexpr int16_t Started = 0;
constexpr int16_t NoFile = 1;
constexpr int16_t NotDspFile = 2;
constexpr int16_t BeginFailed = 3;  // command 2
constexpr int16_t LengthFailed = 5;
constexpr int16_t PacketFailed = 6;  // refused three times, or a packet write failed
constexpr int16_t StartFailed = 7;   // latch or start command
}  // namespace DspResult

// A DSP program file as the download reads it: "@PA" as the second item, one item skipped, then
// one six-digit hexadecimal word per item up to the first item that starts with "#".
struct DspProgramFile {
    int16_t result = DspResult::NoFile;  // Started (0) when the words are good to send
    QStringList words;
    QString reason;  // why the file was refused, for a user who asks; empty when Started
};

// Reads and checks a program file without any board traffic: NoFile when it does not exist,
// NotDspFile when it is not a regular file or too large for a program, without the "@PA"
// marker, without a "#" item, without an address item before it, or with a word that is not six
// hexadecimal digits.
DspProgramFile readDspProgramFile(const QString& path);

// Downloads the program named by EXEName (relative to the current directory), writes the supply
// latch and starts the program. Each refused packet is sent up to three times. Never raises.
int16_t LoadDSPProgram(ProgramState& state, CommsFunctions& comms);

}  // namespace rq
