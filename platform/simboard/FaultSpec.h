#pragma once

#include <QString>
#include <optional>

#include "simboard/SimBoardSettings.h"

namespace rq {

// The fault settings of the simulated board as a short text for command lines: items separated
// by commas, blanks ignored, names in any case.
//
//   none              no fault (the same as an empty text)
//   no-board          nothing is cabled: the handshake line never falls
//   stop-after=K      the board answers K bytes (writes and reads together), then nothing
//   stuck-low         the line falls on the next byte and never rises again
//   stuck-low=K       the same after K bytes that complete normally
//   slow=M            every change of the line shows only after M more status reads
//   refuse=J          the next J program packets are refused (acknowledge 12)
//   endless-capture   a capture never signals its end
//
// Example: "slow=20,refuse=3". K, M and J are whole numbers from 0.
std::optional<SimBoardFaults> parseFaultSpec(const QString& text, QString* error = nullptr);
// The text that parses back to faults ("none" when there are none).
QString formatFaultSpec(const SimBoardFaults& faults);
// The forms above, one per line, for a --help text.
QString faultSpecHelp();

}  // namespace rq
