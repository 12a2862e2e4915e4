// Protects the limits file: its grammar, the line a bad one is named by, and the verdict of
// each limit, a figure that could not be measured failing.
#include <gtest/gtest.h>

#include "analysis/Limits.h"
#include "common/NumberedError.h"

using namespace rq;
using namespace rq::analysis;

namespace {

QString refusal(const QString& text) {
    try {
        parseLimits(text);
    } catch (const NumberedError& e) {
        return e.description();
    }
    return QStringLiteral("accepted");
}

}  // namespace

TEST(Limits, GrammarCaseCommentsAndUnits) {
    const std::vector<Limit> limits = parseLimits(
        "# board acceptance\n"
        "snr >= 65\n"
        "\n"
        "  Thd<-70.5   # dBc\n"
        "ENOB > 10\r\n"
        "noise_density <= -110\n"
        "SFDR >= 7.5e1\n");
    ASSERT_EQ(limits.size(), 5u);
    EXPECT_EQ(limits[0].text(), "SNR >= 65");
    EXPECT_EQ(limits[0].line, 2);
    EXPECT_EQ(limits[1].figure, LimitFigure::Thd);
    EXPECT_EQ(limits[1].op, "<");
    EXPECT_EQ(limits[1].value, -70.5);
    EXPECT_EQ(limits[1].line, 4);
    EXPECT_EQ(limits[2].text(), "ENOB > 10");
    EXPECT_EQ(limits[3].name(), "NOISE_DENSITY");
    EXPECT_EQ(limits[4].value, 75.0);
    EXPECT_TRUE(parseLimits("# nothing\n\n").empty());
}

TEST(Limits, BadLinesAreNamedByNumber) {
    EXPECT_EQ(refusal("SNR >= 60\nSNDR >= 60\n"),
              "line 2: SNDR is none of SNR, SINAD, THD, SFDR, ENOB, NOISE_DENSITY");
    EXPECT_TRUE(refusal("SNR => 60").startsWith("line 1: \"SNR => 60\" is not NAME OP VALUE"));
    EXPECT_EQ(refusal("\n\nSNR >= sixty"), "line 3: sixty is not a number");
    EXPECT_EQ(refusal("SNR >= nan"), "line 1: nan is not a number");
    EXPECT_TRUE(refusal("SNR 60").startsWith("line 1:"));
}

TEST(Limits, VerdictsWithMissingFiguresFailing) {
    DynamicFigures f;
    f.snr = 66.2;
    f.sinad = 65.9;
    f.thd = -78.0;
    f.sfdrDbc = 80.5;
    f.enob = 10.66;
    f.noiseDensity = -114.2;
    const std::vector<Limit> limits = parseLimits(
        "SNR >= 66.2\nSINAD > 66\nTHD <= -70\nSFDR < 80.5\nENOB > 10\n"
        "NOISE_DENSITY < -110\n");
    const std::vector<LimitResult> r = checkLimits(limits, f);
    ASSERT_EQ(r.size(), 6u);
    const bool expected[] = {true, false, true, false, true, true};
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].pass, expected[i]) << r[i].limit.text().toStdString();
        EXPECT_TRUE(r[i].measured.has_value());
    }
    EXPECT_FALSE(allPass(r));
    EXPECT_TRUE(allPass(checkLimits(parseLimits("SNR >= 60\nTHD < -70"), f)));

    // A figure that could not be measured, or no figures at all, fails.
    f.snr = std::nan("");
    const std::vector<LimitResult> missing = checkLimits(parseLimits("SNR >= 0"), f);
    EXPECT_FALSE(missing[0].pass);
    EXPECT_FALSE(missing[0].measured.has_value());
    EXPECT_FALSE(allPass(checkLimits(parseLimits("ENOB > 0"), std::nullopt)));
}
