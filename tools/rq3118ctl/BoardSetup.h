#pragma once

// What capture and sweep share: the board's options, the simulated board or the printer port,
// and the configuration load that readies the board, as the setup window's Load does it.
#include <memory>
#include <optional>

#include "board/CommsFunctions.h"
#include "common/QtHost.h"
#include "figures/FigureRun.h"
#include "rq3118ctl/Arguments.h"
#include "rq3118ctl/ConsoleHost.h"
#include "simboard/SimBoardSettings.h"
#include "state/ProgramState.h"

namespace rq {
class ParallelPortLibrary;
class SimBoard;
}  // namespace rq

namespace rqctl {

// --config, --samples, --rate, --port, --sim and the simulated converter's options.
QList<Arguments::Option> boardOptions();

class BoardSetup {
public:
    // Checks the options of the command (a usage error raises UsageError), and reads the
    // configuration for the simulated converter's coding; no board traffic yet.
    BoardSetup(const Arguments& args, const QString& command);
    ~BoardSetup();
    BoardSetup(const BoardSetup&) = delete;
    BoardSetup& operator=(const BoardSetup&) = delete;

    // Port start-up, reset, configuration and program download: ExitOk, or the exit status of
    // the failure, which is recorded (setFailure) and told on standard error.
    int load();

    const QString& config() const { return m_config; }
    bool simulated() const { return m_sim != nullptr; }
    rq::SimBoard* simBoard() const { return m_sim; }
    // The simulated converter as the options and the configuration make it.
    const rq::SimBoardSettings& simSettings() const { return m_simSettings; }
    // The sample rate the board really takes, crystal over period; the configured one when the
    // clock was never set.
    double clockRate() const;
    // What a report says of where the records came from; records and averaging as given.
    rq::figures::RecordSource source(int records, bool averaged) const;

    rq::ProgramState state;
    ConsoleMessageList messages;
    ConsoleMessageBoxes boxes;
    rq::EventLoopYield yield;
    std::unique_ptr<rq::QtWatchdogTimer> timer;
    std::unique_ptr<rq::CommsFunctions> comms;

private:
    const Arguments& m_args;
    QString m_config;
    std::optional<int16_t> m_samplesIndex;
    std::optional<double> m_rate;
    rq::SimBoardSettings m_simSettings;
    std::unique_ptr<rq::ParallelPortLibrary> m_port;
    rq::SimBoard* m_sim = nullptr;
};

}  // namespace rqctl
