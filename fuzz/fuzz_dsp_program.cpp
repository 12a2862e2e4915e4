// A DSP program file: checked as the download does, and when it passes, downloaded to the
// simulated board, which must then hold exactly its words.
#include "FuzzSupport.h"
#include "board/CommsFunctions.h"
#include "board/DspProgram.h"
#include "simboard/SimBoard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = rq::fuzz::inputFile(data, size, ".EXE");
    const rq::DspProgramFile file = rq::readDspProgramFile(path);
    RQ_FUZZ_CHECK(file.result == rq::DspResult::Started ||
                  file.result == rq::DspResult::NotDspFile);
    RQ_FUZZ_CHECK((file.result == rq::DspResult::Started) == file.reason.isEmpty());
    if (file.result != rq::DspResult::Started) {
        RQ_FUZZ_CHECK(file.words.isEmpty());
        return 0;
    }
    for (const QString& word : file.words) {
        RQ_FUZZ_CHECK(word.size() == 6);
    }

    rq::SimBoardSettings settings;
    settings.immediateCapture = true;
    rq::SimBoard board(settings);
    rq::ProgramState state;
    state.PortAddress = 0x378;
    state.CurrentSettings.EXEName = path;
    rq::fuzz::NoYield yield;
    rq::fuzz::Timer timer;
    rq::fuzz::Messages messages;
    rq::fuzz::Boxes boxes;
    rq::CommsFunctions comms(rq::linkStateOf(state), board, yield, timer, messages, boxes);
    RQ_FUZZ_CHECK(rq::LoadDSPProgram(state, comms) == rq::DspResult::Started);
    RQ_FUZZ_CHECK(board.state() == rq::SimBoard::State::Running);
    RQ_FUZZ_CHECK(board.programWords().size() == static_cast<size_t>(file.words.size()));
    for (qsizetype i = 0; i < file.words.size(); ++i) {
        RQ_FUZZ_CHECK(board.programWords()[static_cast<size_t>(i)] ==
                      file.words.at(i).toUInt(nullptr, 16));
    }
    return 0;
}
