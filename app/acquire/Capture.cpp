#include "Capture.h"

#include "BasicText.h"
#include "Conversion.h"
#include "NumberedError.h"

namespace rq {

bool TakeSamples(CommsFunctions& comms, Analysers& analysers) {
    ProgramState& state = comms.state();
    SampleRecord& record = state.Record;
    const int32_t n = recordLength(state.CurrentSettings.NumberOfSamples);
    bool failed = false;
    try {
        comms.ReadData(n, record.SampleData);
    } catch (const NumberedError&) {
        // A refused capture command (504) is as much a failed upload as a failed read (517):
        // going on would show the previous record as if it had just arrived.
        failed = true;
    }
    if (!record.SampleData.empty()) {
        record.sampleDimensioned = true;
        try {
            ConvertToVolts(state.CurrentSettings, record.SampleData, record.VoltsData);
        } catch (const NumberedError&) {
        }
    }
    if (failed) {
        comms.messages().AddItem(QStringLiteral("Data Upload Failure"), 255u);
        return false;
    }
    analyseCapturedRecord(state, analysers);
    comms.messages().AddItem(formatGeneral(n) + QStringLiteral(" Data Samples Uploaded"));
    state.CurrentSettings.DataLoaded = true;
    return true;
}

}  // namespace rq
