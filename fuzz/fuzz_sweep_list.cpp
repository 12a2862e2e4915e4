// A sweep's lists as the command line and the window take them: any text gives finite values,
// between one and ten thousand of them, or is refused with a sentence; a plan made of what reads
// keeps its frequencies below half the sample rate.
#include "FuzzSupport.h"
#include "common/NumberedError.h"
#include "figures/Sweep.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const bool log : {false, true}) {
        try {
            const std::vector<double> values = rq::figures::parseSweepList(text, log);
            RQ_FUZZ_CHECK(!values.empty() && values.size() <= 10000);
            for (double v : values) {
                RQ_FUZZ_CHECK(std::isfinite(v));
            }
            try {
                const rq::figures::SweepPlan plan =
                    rq::figures::planSweep(values, {-1.0}, log, 100000.0, 1024);
                for (const rq::figures::SweepPointPlan& p : plan.points) {
                    RQ_FUZZ_CHECK(p.frequency > 0.0 && p.frequency < 50000.0);
                }
            } catch (const rq::NumberedError& e) {
                RQ_FUZZ_CHECK(!e.description().isEmpty());
            }
        } catch (const rq::NumberedError& e) {
            RQ_FUZZ_CHECK(e.number() == 5 && !e.description().isEmpty());
        }
    }
    return 0;
}
