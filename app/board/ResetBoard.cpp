#include "board/ResetBoard.h"

#include "common/NumberedError.h"
#include "state/Latch.h"

namespace rq {

void applyResetSettings(Settings& s) {
    s.SampleFreq = 100000;
    s.NumberOfSamples = 0;
    s.Max_Frequency = 2000000;
    s.ProgramLoaded = false;
    s.DataLoaded = false;
}

bool resetBoardAnswered(ProgramState& state, CommsFunctions& comms, ResetNotifications& windows) {
    comms.messages().Clear();
    windows.disableDisplayOptions();
    windows.setPanelLatchContent(0);

    applyResetSettings(state.CurrentSettings);

    windows.setPanelLatchContent(Latch::AllOff);

    bool failed = false;
    try {
        comms.SendResetCommand();
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed) {
        comms.boxes().show(QStringLiteral("The Velmar Board Failed to Respond\r\nPlease Press the "
                                          "RESET button on the Board."),
                           QStringLiteral("Reset Error"), MsgIcon::Exclamation, MsgButtons::Ok);
        comms.messages().AddItem(QStringLiteral("Reset Failure"));
        return false;
    }
    comms.messages().AddItem(QStringLiteral("Board Reset"), 255u);
    windows.disableCaptureButtons();
    return true;
}

int16_t ResetBoard(ProgramState& state, CommsFunctions& comms, ResetNotifications& windows) {
    resetBoardAnswered(state, comms, windows);
    return 0;
}

}  // namespace rq
