#include "Capture.h"

#include "BasicText.h"
#include "Conversion.h"
#include "NumberedError.h"

namespace rq {

bool TakeSamples(CommsFunctions& comms, Analysers& analysers) {
    ProgramState& state = comms.state();
    SampleRecord& record = state.Record;
    int32_t n = 0;
    try {
        n = recordLength(state.CurrentSettings.NumberOfSamples);
    } catch (const NumberedError& e) {
        // Refused before the capture command: the board would not answer it, and the wait for
        // the watchdog would end in a board failure that is not the board's.
        comms.boxes().show(e.description(), QStringLiteral("Record Length Error"),
                           MsgIcon::Exclamation, MsgButtons::Ok);
        comms.messages().AddItem(QStringLiteral("Data Upload Failure"), 255u);
        return false;
    }
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
