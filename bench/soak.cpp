// Soak: captures records from the simulated board through the program's own capture path
// (command, wait, read-out, volts, spectrum, histogram) and prints the resident memory after
// the first records and at the end, so that growth over a long run shows.
//
//   soak [RECORDS] [SAMPLES]      (defaults 10000 and 8192)
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ExampleLoad.h"
#include "acquire/AcquisitionSession.h"
#include "acquire/Conversion.h"
#include "acquire/ScreenlessView.h"
#include "common/QtHost.h"
#include "config/ConfigurationLoad.h"
#include "config/FrequencyList.h"
#include "simboard/SimBoard.h"

namespace {

class QuietList : public rq::MessageList {
public:
    void AddItem(const QString& text, std::optional<uint32_t>) override { last = text; }
    void Clear() override {}
    QString last;
};

class NoBoxes : public rq::MessageBoxes {
public:
    rq::MsgResult show(const QString& text, const QString&, rq::MsgIcon, rq::MsgButtons) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return rq::MsgResult::Ok;
    }
};

// Resident set size in KiB, from /proc.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int samples = argc > 2 ? std::atoi(argv[2]) : 8192;

    rq::SimBoardSettings sim;
    sim.immediateCapture = true;
    rq::SimBoard board(sim);
    rq::ProgramState state;
    state.PortAddress = 0x378;
    rq::applyStartValues(state);
    rq::EventLoopYield yield;
    rq::QtWatchdogTimer timer([&state] { state.TimedOut = true; });
    QuietList messages;
    NoBoxes boxes;
    rq::CommsFunctions comms(rq::linkStateOf(state), board, yield, timer, messages, boxes);
    // The setup window's Load of the example configuration (100000 Hz) and program.
    rq::ResetNotifications windows;
    ExampleLoad example(rq::recordLengthIndex(samples));
    rq::FrequencyList frequencies;
    if (!rq::loadConfiguration(state, comms, QStringLiteral(RQ_EXAMPLES_DIR "/RQ3118.CFG"),
                               frequencies, windows, example)
             .programRunning()) {
        std::fprintf(stderr, "the example program did not download\n");
        return 1;
    }

    rq::Analysers analysers;
    rq::ScreenlessView view(analysers, messages, boxes, yield);
    rq::AcquisitionSession session(state, view, &comms);
    QElapsedTimer clock;
    clock.start();
    long after100 = -1;
    for (int k = 1; k <= records; ++k) {
        if (!session.TakeSamples()) {
            std::fprintf(stderr, "record %d failed: %s\n", k, qPrintable(messages.last));
            return 1;
        }
        if (k == 100) {
            after100 = residentKiB();
        }
    }
    const long atEnd = residentKiB();
    std::printf("%d records of %d samples in %.1f s\n", records, samples, clock.elapsed() / 1000.0);
    std::printf("resident after 100 records: %ld KiB\n", after100);
    std::printf("resident after %d records: %ld KiB\n", records, atEnd);
    std::printf("growth: %ld KiB\n", after100 >= 0 ? atEnd - after100 : -1);
    return 0;
}
