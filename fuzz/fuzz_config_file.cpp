// A configuration file: the loader takes any text, refuses or loads it, and leaves the members
// within their types.
#include "FuzzSupport.h"
#include "config/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = rq::fuzz::inputFile(data, size, ".CFG");
    rq::ProgramState state;
    rq::applyStartValues(state);
    rq::fuzz::Boxes boxes;
    QString failure;
    const int16_t result = rq::LoadConfigFile(state, path, boxes, &failure);
    RQ_FUZZ_CHECK(result == 0 || result == 2);
    // A refusal always tells the user; a load never does.
    RQ_FUZZ_CHECK((result == 2) == (boxes.count > 0));
    RQ_FUZZ_CHECK(state.BoardLatch.latch() >= 0 && state.BoardLatch.latch() <= 0xFF);
    if (result == 0) {
        RQ_FUZZ_CHECK(state.CurrentSettings.DataFormat == 0 ||
                      state.CurrentSettings.DataFormat == 1);
    }
    return 0;
}
