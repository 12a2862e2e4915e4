#pragma once

#include <cstdint>

// What the PC and the Velmar Board say to each other above the byte handshake: the command
// codes of the four-byte frames, the boot monitor's download replies and the sample clock the
// capture command programs. The link, the download, the windows and the simulated board all
// take their numbers from here, so the board is described once.
namespace rq::protocol {

// Command codes, the frame's last byte. The boot monitor understands only the download; the
// others go to the DSP program once it has been loaded (the latch and the start also to the
// loaded program before it runs).
inline constexpr int16_t CmdBeginDownload = 2;
inline constexpr int16_t CmdWriteLatch = 3;
inline constexpr int16_t CmdStartProgram = 4;
inline constexpr int16_t CmdCapture = 7;
inline constexpr int16_t CmdReset = 8;
inline constexpr int16_t CmdPowerDown = 20;
inline constexpr int16_t CmdPowerUp = 22;

// The boot monitor's answer to each downloaded packet: the checksum matched, or it did not and
// the same word is to be sent again.
inline constexpr int16_t Acknowledge = 13;
inline constexpr int16_t Refusal = 12;

// The largest record-length index the capture command takes: 256 << index samples.
inline constexpr int MaxRecordLengthIndex = 6;
inline constexpr int SamplesAtIndexZero = 256;

// The crystal the board's sample timer divides.
inline constexpr int32_t CrystalFrequency = 40000000;
// The capture command carries the timer period in its 16-bit word, with the two lowest bits
// always set.
inline constexpr int32_t MaxPeriodWord = 0xFFFF;
inline constexpr int32_t PeriodWordSetBits = 3;

}  // namespace rq::protocol
