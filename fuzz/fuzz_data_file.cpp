// A raw sample data file or FFT data file: read by items, then through the file dispatch
// (volts, a spectrum and a histogram); a saved record reads back as written.
#include "FuzzSupport.h"
#include "acquire/AcquisitionSession.h"
#include "acquire/Conversion.h"
#include "acquire/DataFiles.h"
#include "acquire/ScreenlessView.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace {

struct NoList : rq::MessageList {
    void AddItem(const QString&, std::optional<uint32_t>) override {}
    void Clear() override {}
};
struct NoBoxes : rq::MessageBoxes {
    rq::MsgResult show(const QString&, const QString&, rq::MsgIcon, rq::MsgButtons) override {
        return rq::MsgResult::Ok;
    }
};
struct NoYield : rq::Yield {
    void yield() override {}
    void idle() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = rq::fuzz::inputFile(data, size, ".dat");
    rq::DataValues values;
    try {
        values = rq::readDataValues(path);
    } catch (const rq::NumberedError& e) {
        RQ_FUZZ_CHECK(e.number() == 6 || e.number() == 62 || e.number() == 75);
        return 0;
    }
    RQ_FUZZ_CHECK(!values.values.empty() && values.values.size() <= rq::MaxDataItems);
    for (double v : values.values) {
        RQ_FUZZ_CHECK(v <= values.MaxValue && v >= values.MinValue);
    }

    rq::ProgramState state;
    rq::applyStartValues(state);
    state.CurrentSettings.DataFormat = size > 0 && (data[0] & 1) ? 1 : 0;
    rq::loadDataRecord(state, path);
    RQ_FUZZ_CHECK(state.Record.SampleData == values.values);
    rq::Analysers analysers;
    NoList list;
    NoBoxes boxes;
    NoYield yield;
    rq::ScreenlessView view(analysers, list, boxes, yield);
    rq::AcquisitionSession session(state, view);
    const std::optional<rq::DispatchFailure> failure = session.dispatchLoadedRecord();
    if (failure) {
        RQ_FUZZ_CHECK(failure->number == 530 || failure->number == 531 || failure->number == 533);
    }
    RQ_FUZZ_CHECK(state.Record.FFTData.empty() ||
                  state.Record.FFTData.size() == values.values.size() / 2);

    // Save and read back: every value comes back as its "0.000000" text says.
    const QString saved = path + QStringLiteral(".out");
    rq::writeDataValues(saved, values.values);
    const rq::DataValues again = rq::readDataValues(saved);
    RQ_FUZZ_CHECK(again.values.size() == values.values.size());
    for (size_t i = 0; i < values.values.size(); ++i) {
        const double shown = rq::leadingNumber(rq::formatNumber(values.values[i], u"0.000000"));
        RQ_FUZZ_CHECK(again.values[i] == shown);
    }
    return 0;
}
