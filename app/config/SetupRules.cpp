#include "config/SetupRules.h"

#include <cmath>

#include "board/DspProgram.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "protocol/BoardProtocol.h"

namespace rq {

QString boardFailureMessage(int errorNumber) {
    return QStringLiteral(
               "Communication with the Velmar Board Failed.\r\n(Error %1)\r\nPlease "
               "Reset the Board and Try Again.")
        .arg(errorNumber);
}

int programLoadErrorNumber(int16_t result) {
    switch (result) {
        case DspResult::NoFile:
            return RuntimeError::FileNotFound;
        case DspResult::NotDspFile:
            return RuntimeError::InvalidCall;
        case DspResult::BeginFailed:
            return 504;
        default:
            // The length, the packets and the start report 505, 506 and 507.
            return 500 + result;
    }
}

QString programLoadMessage(int16_t result) {
    switch (result) {
        case DspResult::NoFile:
            return QStringLiteral(
                "The Program File specified by the Configuration\r\nFile could not be found. "
                "Please make sure\r\nit is in the current directory.");
        case DspResult::NotDspFile:
            return QStringLiteral(
                "The Program File specified by the Configuration\r\nFile does not appear to be "
                "a valid DSP file");
        default:
            return boardFailureMessage(programLoadErrorNumber(result));
    }
}

void reportSendCommandError(MessageBoxes& boxes, MessageList& messages) {
    boxes.show(boardFailureMessage(507), QStringLiteral("Send Command Error"), MsgIcon::Exclamation,
               MsgButtons::Ok);
    messages.AddItem(QStringLiteral("Send Command Error"));
}

bool SendSupplyLatch(ProgramState& state, CommsFunctions& comms, int16_t latchContent) {
    try {
        comms.SendCommand(latchContent, 0, protocol::CmdWriteLatch);
    } catch (const NumberedError&) {
        reportSendCommandError(comms.boxes(), comms.messages());
        return false;
    }
    state.BoardLatch.setLatch(latchContent);
    comms.messages().AddItem(QStringLiteral("Supplies Changed"));
    return true;
}

QString recordLengthText(int16_t index) {
    return formatGeneral(256.0 * std::pow(2.0, index));
}

}  // namespace rq
