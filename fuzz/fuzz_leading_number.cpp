// The lenient and the strict number reading, and what the program does with their results:
// integer conversion and the display patterns.
#include <cmath>

#include "FuzzSupport.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    double lenient = 0.0;
    try {
        lenient = rq::leadingNumber(text);
    } catch (const rq::NumberedError& e) {
        RQ_FUZZ_CHECK(e.number() == 6);
        return 0;
    }
    RQ_FUZZ_CHECK(std::isfinite(lenient));
    if (const std::optional<double> strict = rq::parseNumber(text)) {
        // A whole text that is a number reads the same either way.
        RQ_FUZZ_CHECK(*strict == lenient || (std::isnan(*strict) && std::isnan(lenient)));
    }
    for (auto convert : {+[](double v) { return double(rq::toInt16(v)); },
                         +[](double v) { return double(rq::toInt32(v)); }}) {
        try {
            const double n = convert(lenient);
            RQ_FUZZ_CHECK(std::fabs(n - lenient) <= 0.5);
        } catch (const rq::NumberedError& e) {
            RQ_FUZZ_CHECK(e.number() == 6);
        }
    }
    for (const char16_t* pattern :
         {u"0.000000", u"#0.0000", u"00.000", u".0", u"0.00", u"#0.000"}) {
        const QString shown = rq::formatNumber(lenient, pattern);
        RQ_FUZZ_CHECK(!shown.isEmpty());
    }
    const QString general = rq::formatGeneral(lenient);
    RQ_FUZZ_CHECK(!general.isEmpty());
    return 0;
}
