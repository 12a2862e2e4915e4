#pragma once

// The printer port's three registers as the board uses them: their offsets from the port's base
// address and the bits of the status and control registers that carry the handshake.
namespace rq::portreg {

inline constexpr int DataOffset = 0;
inline constexpr int StatusOffset = 1;
inline constexpr int ControlOffset = 2;

// Status bit 7: the board's handshake line, high when the board is idle.
inline constexpr int StatusLine = 0x80;
// Error, select, paper-out and acknowledge at rest: what a cabled board shows besides its line.
inline constexpr int StatusRest = 0x78;

// Control bits 0 and 1 together strobe a write; bit 1 alone (with the direction bit) a read.
inline constexpr int ControlWriteStrobe = 0x01;
inline constexpr int ControlDataStrobe = 0x02;
inline constexpr int ControlInit = 0x04;
// Bits 0 and 3 together: the pulse that restarts the board.
inline constexpr int ControlAddressStrobe = 0x08;
// Bit 5: the data lines read from the board.
inline constexpr int ControlDirectionInput = 0x20;
// Bits the link leaves as it finds them (init, interrupt enable, 6 and 7) while it drives the
// strobes and the direction.
inline constexpr int ControlKeptBits = 0xD4;
// The four control lines the port drives; the rest are the port's own settings.
inline constexpr int ControlLines = 0x0F;
// Bits of a control write the port cannot read back from its lines: interrupt enable, 6 and 7.
inline constexpr int ControlShadowBits = 0xD0;

}  // namespace rq::portreg
