#include "board/ResetBoard.h"

#include "common/NumberedError.h"
#include "state/Latch.h"

namespace rq {

int16_t ResetBoard(CommsFunctions& comms, ResetNotifications& windows) {
    comms.messages().Clear();
    windows.disableDisplayOptions();
    windows.setPanelLatchContent(0);

    Settings& s = comms.state().CurrentSettings;
    s.SampleFreq = 100000;
    s.NumberOfSamples = 0;
    s.Max_Frequency = 2000000;
    s.ProgramLoaded = false;
    s.DataLoaded = false;

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
    } else {
        comms.messages().AddItem(QStringLiteral("Board Reset"), 255u);
        windows.disableCaptureButtons();
    }
    return 0;
}

}  // namespace rq
