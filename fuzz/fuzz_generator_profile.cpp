// A signal generator's profile and address: any text reads or is refused with a sentence; a
// profile that reads has a template for every command, and its frequency and level commands
// carry the numbers they are given.
#include "FuzzSupport.h"
#include "common/NumberedError.h"
#include "generator/GeneratorAddress.h"
#include "generator/GeneratorProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const rq::generator::GeneratorProfile p =
            rq::generator::parseGeneratorProfile(text, QStringLiteral("fuzz.profile"));
        RQ_FUZZ_CHECK(!p.idn.isEmpty() && !p.freq.isEmpty() && !p.level.isEmpty() &&
                      !p.outputOn.isEmpty() && !p.errorQuery.isEmpty() && !p.terminator.isEmpty());
        RQ_FUZZ_CHECK(rq::generator::expandTemplate(p.freq, 12345.5, -7.25).contains(u"12345.5"));
        RQ_FUZZ_CHECK(rq::generator::expandTemplate(p.level, 12345.5, -7.25).contains(u"-7.25"));
    } catch (const rq::NumberedError& e) {
        RQ_FUZZ_CHECK(!e.description().isEmpty());
    }
    try {
        const rq::generator::GeneratorAddress a = rq::generator::parseGeneratorAddress(text);
        RQ_FUZZ_CHECK(!a.host.isEmpty() && a.port > 0 && !a.text().isEmpty());
    } catch (const rq::NumberedError& e) {
        RQ_FUZZ_CHECK(e.number() == 5 && !e.description().isEmpty());
    }
    return 0;
}
