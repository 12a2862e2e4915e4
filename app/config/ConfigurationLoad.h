#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "board/CommsFunctions.h"
#include "board/ResetBoard.h"
#include "common/NumberedError.h"
#include "config/FrequencyList.h"
#include "state/ProgramState.h"

namespace rq {

// What a configuration load asks of whoever runs it, beside the boxes and the message list of
// the board link and the reset's notifications. The setup window, the command-line tool and the
// test programs implement it; the defaults suit a host that only wants the load done.
class ConfigurationLoadHost {
public:
    virtual ~ConfigurationLoadHost() = default;
    // The board did not answer the reset, and its box has been shown. The setup window reads the
    // file all the same; a host that returns false ends the load there.
    virtual bool goOnWithoutBoard() { return true; }
    // The file was refused (its box has been shown); failure holds the description of an
    // unexpected failure, empty otherwise. "Error Loading CFG" is listed after this.
    virtual void configurationRefused(const QString& /*failure*/) {}
    // The file was taken over: a last word on the settings before the sample frequency is fitted.
    virtual void configurationRead(Settings& /*settings*/) {}
    // The sample frequency was fitted into the list and chosen, or, when refusal is given, the
    // sample clock refused it and the load ends. Either way before the download starts.
    virtual void frequencyChosen(const NumberedError* /*refusal*/) {}
    // The program started; "Program Running" is listed after this.
    virtual void programStarted() {}
};

// How far a load came and what each step gave.
struct ConfigurationLoadOutcome {
    bool boardAnswered = false;
    std::optional<int16_t> fileResult;  // LoadConfigFile's result, when the file was read
    QString fileFailure;                // the description of an unexpected failure of the file
    std::optional<NumberedError> frequencyRefusal;
    std::optional<int16_t> download;  // LoadDSPProgram's result, when the download was tried

    bool fileTaken() const { return fileResult == 0; }
    bool programRunning() const { return download == 0; }
};

// The setup window's Load: the board reset, the configuration file, the sample frequency fitted
// into the list and chosen, and the download of the program the file names. A program that
// starts is listed as "Program Running" and marks ProgramLoaded; one that does not shows its
// "Program Load Error" box. The file's Retry/Cancel and the reset's box reach the user as they
// do in the steps themselves.
ConfigurationLoadOutcome loadConfiguration(ProgramState& state, CommsFunctions& comms,
                                           const QString& fileName, FrequencyList& frequencies,
                                           ResetNotifications& windows,
                                           ConfigurationLoadHost& host);

// The line listed when a configuration could not be taken over.
QString configurationLoadErrorLine();

}  // namespace rq
