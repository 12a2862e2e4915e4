// The simulated board's fault settings: any text parses or is refused with a reason, and what
// parses writes back to a text that parses to the same faults.
#include "FuzzSupport.h"
#include "simboard/FaultSpec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<rq::SimBoardFaults> faults = rq::parseFaultSpec(text, &error);
    if (!faults) {
        RQ_FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const QString written = rq::formatFaultSpec(*faults);
    const std::optional<rq::SimBoardFaults> again = rq::parseFaultSpec(written);
    RQ_FUZZ_CHECK(again.has_value() && *again == *faults);
    return 0;
}
