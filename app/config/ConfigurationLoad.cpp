#include "config/ConfigurationLoad.h"

#include <chrono>
#include <thread>

#include "board/DspProgram.h"
#include "config/ConfigFile.h"
#include "config/SetupRules.h"

namespace rq {

QString configurationLoadErrorLine() {
    return QStringLiteral("Error Loading CFG");
}

ConfigurationLoadOutcome loadConfiguration(ProgramState& state, CommsFunctions& comms,
                                           const QString& fileName, FrequencyList& frequencies,
                                           ResetNotifications& windows,
                                           ConfigurationLoadHost& host) {
    ConfigurationLoadOutcome out;
    MessageList& messages = comms.messages();

    out.boardAnswered = resetBoardAnswered(state, comms, windows);
    if (!out.boardAnswered && !host.goOnWithoutBoard()) {
        return out;
    }
    out.fileResult = LoadConfigFile(state, fileName, comms.boxes(), &out.fileFailure);
    if (!out.fileTaken()) {
        host.configurationRefused(out.fileFailure);
        messages.AddItem(configurationLoadErrorLine());
        return out;
    }
    host.configurationRead(state.CurrentSettings);
    try {
        Add_Frequency(state, frequencies);
    } catch (const NumberedError& e) {
        out.frequencyRefusal = e;
    }
    host.frequencyChosen(out.frequencyRefusal ? &*out.frequencyRefusal : nullptr);
    if (out.frequencyRefusal) {
        return out;
    }
    // A short settle before the download, without yielding.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));

    out.download = LoadDSPProgram(state, comms);
    if (out.programRunning()) {
        host.programStarted();
        messages.AddItem(QStringLiteral("Program Running"));
        state.CurrentSettings.ProgramLoaded = true;
    } else {
        comms.boxes().show(programLoadMessage(*out.download), QStringLiteral("Program Load Error"),
                           MsgIcon::Exclamation, MsgButtons::Ok);
    }
    return out;
}

}  // namespace rq
