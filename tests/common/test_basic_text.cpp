// Protects the text and number conventions every file reader, read-out and message relies on:
// the leading-number reading, halves-to-even integer conversion and the display patterns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "common/BasicText.h"
#include "common/NumberedError.h"

using namespace rq;

TEST(LeadingNumber, ReadsTheLeadingNumberAndIgnoresBlanksTabsAndLineFeeds) {
    EXPECT_DOUBLE_EQ(leadingNumber(u"100000 Hz"), 100000.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"  1 2\t3\n4"), 1234.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"- 2.5"), -2.5);
    EXPECT_DOUBLE_EQ(leadingNumber(u"+7"), 7.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber(u".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber(u"12abc"), 12.0);
}

TEST(LeadingNumber, TextWithoutANumberReadsZero) {
    EXPECT_EQ(leadingNumber(u""), 0.0);
    EXPECT_EQ(leadingNumber(u"Hz"), 0.0);
    EXPECT_EQ(leadingNumber(u"SAMPLEFREQUENCY100"), 0.0);
    EXPECT_EQ(leadingNumber(u"-"), 0.0);
    EXPECT_EQ(leadingNumber(u"."), 0.0);
    EXPECT_EQ(leadingNumber(u"&H"), 0.0);
}

TEST(LeadingNumber, ExponentNeedsDigitsToCount) {
    EXPECT_DOUBLE_EQ(leadingNumber(u"1E5"), 100000.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"2.5e-3"), 0.0025);
    EXPECT_DOUBLE_EQ(leadingNumber(u"1 E +2"), 100.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"3E"), 3.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"3E+"), 3.0);
    EXPECT_THROW(leadingNumber(u"1E999"), NumberedError);
}

TEST(LeadingNumber, HexAndOctalPrefixesWrapLikeRegisterValues) {
    EXPECT_DOUBLE_EQ(leadingNumber(u"&H378"), 888.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"&h1f zz"), 31.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"&O17"), 15.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"&HFFFF"), -1.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"&H10000"), 65536.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"&HFFFFFFFF"), -1.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"&O8"), 0.0);
}

TEST(ParseNumber, AcceptsOnlyAWholeNumber) {
    EXPECT_EQ(parseNumber(u" 12.5 ").value(), 12.5);
    EXPECT_EQ(parseNumber(u"-3e2").value(), -300.0);
    EXPECT_EQ(parseNumber(u"&H10").value(), 16.0);
    EXPECT_FALSE(parseNumber(u"").has_value());
    EXPECT_FALSE(parseNumber(u"12a").has_value());
    EXPECT_FALSE(parseNumber(u"True").has_value());
    // Only the blanks the lenient reading ignores: a no-break space or a carriage return is
    // not one, in either reading.
    EXPECT_FALSE(parseNumber(u"\u00a08").has_value());
    EXPECT_EQ(leadingNumber(u"\u00a08"), 0.0);
    EXPECT_FALSE(parseNumber(u"\r1").has_value());
    EXPECT_EQ(leadingNumber(u"\r1"), 0.0);
    EXPECT_EQ(parseNumber(u"\t7\n ").value(), 7.0);
}

TEST(IntegerConversion, RoundsHalvesToEven) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(-3.5), -4);
    EXPECT_EQ(toInt16(3.55), 4);
    EXPECT_EQ(toInt32(0.5), 0);
    EXPECT_EQ(toInt32(1.5), 2);
    EXPECT_EQ(toInt32(u"3276.5"), 3276);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
}

// The rounding is worked out without the floating-point rounding mode; the library's own
// round-to-nearest-even is the reference, halves and large values included.
TEST(IntegerConversion, RoundingAgreesWithTheLibrarysNearestEven) {
    std::vector<double> values{0.5,
                               1.5,
                               2.5,
                               -0.5,
                               -1.5,
                               4503599627370495.5,
                               4503599627370497.0,
                               -4503599627370495.5,
                               1e300,
                               -1e-300,
                               0.49999999999999994,
                               std::numeric_limits<double>::infinity()};
    for (int i = -4000; i <= 4000; ++i) {
        values.push_back(i / 4.0);
        values.push_back(i * 0.1);
    }
    for (double v : values) {
        EXPECT_EQ(roundHalfEven(v), std::nearbyint(v)) << v;
        EXPECT_EQ(std::signbit(roundHalfEven(v)), std::signbit(std::nearbyint(v))) << v;
    }
}

TEST(IntegerConversion, OverflowRaisesSix) {
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768.5), -32768);  // half to even stays in range
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    for (double bad : {32767.5, -32769.0, 1e10}) {
        try {
            toInt16(bad);
            FAIL() << bad;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 6);
            EXPECT_EQ(e.description(), "Overflow");
        }
    }
    EXPECT_THROW(toInt32(2147483647.5), NumberedError);
    EXPECT_THROW(toInt32(std::numeric_limits<double>::quiet_NaN()), NumberedError);
}

TEST(FormatNumber, FixedPatterns) {
    EXPECT_EQ(formatNumber(2047, u"0.000000"), "2047.000000");
    EXPECT_EQ(formatNumber(-2048, u"0.000000"), "-2048.000000");
    EXPECT_EQ(formatNumber(-3.5, u"0.000000"), "-3.500000");
    EXPECT_EQ(formatNumber(0.25, u"0.0000"), "0.2500");
    EXPECT_EQ(formatNumber(2.5, u"#0.0000"), "2.5000");
    EXPECT_EQ(formatNumber(5, u"0.00"), "5.00");
    EXPECT_EQ(formatNumber(10.0, u"0.00"), "10.00");
    EXPECT_EQ(formatNumber(1.0, u"0.000"), "1.000");
    EXPECT_EQ(formatNumber(1.0625, u"#0.000"), "1.063");  // an exact tie goes away from zero
    EXPECT_EQ(formatNumber(1234567.891, u"0.00"), "1234567.89");
}

TEST(FormatNumber, LeadingZerosAndOptionalIntegerDigit) {
    EXPECT_EQ(formatNumber(5.5, u"00.000"), "05.500");
    EXPECT_EQ(formatNumber(0, u"00.000"), "00.000");
    EXPECT_EQ(formatNumber(-72.25, u"00.000"), "-72.250");
    EXPECT_EQ(formatNumber(123.4567, u"00.000"), "123.457");
    EXPECT_EQ(formatNumber(0, u".0"), ".0");
    EXPECT_EQ(formatNumber(0.5, u".0"), ".5");
    EXPECT_EQ(formatNumber(3027.34, u".0"), "3027.3");
    EXPECT_EQ(formatNumber(9999.96, u".0"), "10000.0");
    EXPECT_EQ(formatNumber(-0.04, u".0"), ".0");
}

TEST(FormatNumber, RoundsAwayFromZeroOnTiesAndNotBelowThem) {
    EXPECT_EQ(formatNumber(0.125, u"0.00"), "0.13");
    EXPECT_EQ(formatNumber(-0.125, u"0.00"), "-0.13");
    EXPECT_EQ(formatNumber(2.675, u"0.00"), "2.67");  // 2.67499999... in binary
    EXPECT_EQ(formatNumber(9.9999996, u"0.000000"), "10.000000");
    EXPECT_EQ(formatNumber(-0.0000001, u"0.000000"), "0.000000");
}

TEST(FormatGeneral, WritesUpToFifteenSignificantDigits) {
    EXPECT_EQ(formatGeneral(1024), "1024");
    EXPECT_EQ(formatGeneral(0), "0");
    EXPECT_EQ(formatGeneral(-3.5), "-3.5");
    EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatGeneral(531), "531");
    EXPECT_EQ(formatGeneral(1e15), "1E+15");
}

TEST(HexPadded, UpperCaseLeftPaddedAndWrittenInFullWhenLonger) {
    EXPECT_EQ(hexPadded(0x18F, 4), "018F");
    EXPECT_EQ(hexPadded(7, 2), "07");
    EXPECT_EQ(hexPadded(0x12345, 4), "12345");
    EXPECT_EQ(hexPadded(0x378, 0, 16), "378");
    EXPECT_EQ(hexPadded(-1, 2, 16), "FFFF");
    EXPECT_EQ(hexPadded(0xab, 2), "AB");
}
