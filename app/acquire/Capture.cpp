#include "acquire/Capture.h"

#include "acquire/Conversion.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace rq {

QString samplesUploadedLine(int32_t samples) {
    return formatGeneral(samples) + QStringLiteral(" Data Samples Uploaded");
}

int32_t ReadRecord(ProgramState& state, CommsFunctions& comms, MessageBoxes& boxes) {
    SampleRecord& record = state.Record;
    int32_t n = 0;
    try {
        n = captureRecordLength(state.CurrentSettings.NumberOfSamples);
    } catch (const NumberedError& e) {
        // Refused before the capture command: the board would not answer it, and the wait for
        // the watchdog would end in a board failure that is not the board's.
        boxes.show(e.description(), QStringLiteral("Record Length Error"), MsgIcon::Exclamation,
                   MsgButtons::Ok);
        return 0;
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
    return failed ? 0 : n;
}

}  // namespace rq
