// Protects the sample clock: the period bytes for the 40 MHz crystal, the rejected frequencies,
// and that a rejected assignment leaves frequency and period as they were.
#include <gtest/gtest.h>

#include "common/NumberedError.h"
#include "state/ClockSettings.h"

using rq::ClockSettings;
using rq::NumberedError;

namespace {
ClockSettings fortyMegahertz() {
    ClockSettings c;
    c.setCrystalFrequency(40000000);
    return c;
}
}  // namespace

TEST(ClockSettings, PeriodBytesForTheCrystal) {
    struct Row {
        int f, high, low;
    } rows[] = {{100000, 1, 143}, {500000, 0, 79}, {580000, 0, 67}, {50000, 3, 31}};
    for (const Row& r : rows) {
        ClockSettings c = fortyMegahertz();
        c.setSampleFrequency(r.f);
        EXPECT_EQ(c.SampleFrequency(), r.f);
        EXPECT_EQ(c.TPeriodHigh(), r.high) << r.f;
        EXPECT_EQ(c.TPeriodLow(), r.low) << r.f;
    }
}

TEST(ClockSettings, ZeroOrNegativeFrequencyRaises510AndChangesNothing) {
    ClockSettings c = fortyMegahertz();
    c.setSampleFrequency(100000);
    for (int f : {0, -1}) {
        try {
            c.setSampleFrequency(f);
            FAIL();
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 510);
            EXPECT_EQ(e.source(), "ClockSettings Class");
            EXPECT_EQ(e.description(), "Frequencies less than 0Hz are not allowed.");
        }
    }
    EXPECT_EQ(c.SampleFrequency(), 100000);
    EXPECT_EQ(c.TPeriodHigh(), 1);
    EXPECT_EQ(c.TPeriodLow(), 143);
}

TEST(ClockSettings, WithoutACrystalOrAboveItThePeriodIsMinusOne) {
    ClockSettings noCrystal;
    noCrystal.setSampleFrequency(1000);
    EXPECT_EQ(noCrystal.TPeriodHigh(), 0);
    EXPECT_EQ(noCrystal.TPeriodLow(), -1);

    ClockSettings c = fortyMegahertz();
    c.setSampleFrequency(50000000);
    EXPECT_EQ(c.TPeriodHigh(), 0);
    EXPECT_EQ(c.TPeriodLow(), -1);
}

TEST(ClockSettings, CrystalChangeAloneKeepsThePeriod) {
    ClockSettings c = fortyMegahertz();
    c.setSampleFrequency(50000);
    c.setCrystalFrequency(20000000);
    EXPECT_EQ(c.TPeriodHigh(), 3);
    EXPECT_EQ(c.TPeriodLow(), 31);
    c.setSampleFrequency(50000);
    EXPECT_EQ(c.TPeriodHigh(), 1);
    EXPECT_EQ(c.TPeriodLow(), 143);
}

TEST(ClockSettings, PeriodThatDoesNotFitRaisesSixAndChangesNothing) {
    ClockSettings c = fortyMegahertz();
    c.setSampleFrequency(5);  // period 7999999: high byte 31249 still fits
    EXPECT_EQ(c.TPeriodHigh(), 31249);
    c.setSampleFrequency(100000);
    try {
        c.setSampleFrequency(4);  // period 9999999: high byte 39062 does not
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_EQ(c.SampleFrequency(), 100000);
    EXPECT_EQ(c.TPeriodHigh(), 1);
    EXPECT_EQ(c.TPeriodLow(), 143);
}

TEST(ClockSettings, PeriodBytesAreReadOnly) {
    ClockSettings c = fortyMegahertz();
    c.setSampleFrequency(100000);
    for (auto set : {&ClockSettings::setTPeriodHigh, &ClockSettings::setTPeriodLow}) {
        try {
            (c.*set)(7);
            FAIL();
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 509);
            EXPECT_EQ(e.description(), "This Property is Read-Only");
        }
    }
    EXPECT_EQ(c.TPeriodHigh(), 1);
    EXPECT_EQ(c.TPeriodLow(), 143);
}

TEST(ClockSettings, ActualRateIsTheCrystalOverTheWholePeriod) {
    ClockSettings c = fortyMegahertz();
    EXPECT_EQ(c.actualSampleRate(), 0.0);
    c.setSampleFrequency(100000);  // divides the crystal
    EXPECT_DOUBLE_EQ(c.actualSampleRate(), 100000.0);
    c.setSampleFrequency(580000);  // 68.97 periods, truncated to 68
    EXPECT_DOUBLE_EQ(c.actualSampleRate(), 40e6 / 68);
    c.setSampleFrequency(5);
    EXPECT_DOUBLE_EQ(c.actualSampleRate(), 5.0);
}
