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

TEST(SamplePeriod, TheLowestFrequencyTheCaptureWordCarriesIs611HzAt40MHz) {
    const rq::SamplePeriod lowest = rq::samplePeriodFor(40000000, 611);
    EXPECT_EQ(lowest.fit, rq::SamplePeriod::Fits);
    EXPECT_EQ(lowest.period, 65465);
    const rq::SamplePeriod below = rq::samplePeriodFor(40000000, 610);
    EXPECT_EQ(below.fit, rq::SamplePeriod::TooLong);
    EXPECT_EQ(below.period, 65572);
}

TEST(SamplePeriod, TheHighestFrequencyIsTheCrystalItself) {
    const rq::SamplePeriod highest = rq::samplePeriodFor(40000000, 40000000);
    EXPECT_EQ(highest.fit, rq::SamplePeriod::Fits);
    EXPECT_EQ(highest.period, 0);
    const rq::SamplePeriod above = rq::samplePeriodFor(40000000, 40000001);
    EXPECT_EQ(above.fit, rq::SamplePeriod::Negative);
    EXPECT_EQ(above.period, -1);
    EXPECT_EQ(rq::samplePeriodFor(0, 1000).fit, rq::SamplePeriod::Negative);
}

TEST(SamplePeriod, ThePeriodWordEdgeItselfFits) {
    // 65536 divides the crystal 655360000 into a period of exactly 0xFFFF, and one less does not.
    EXPECT_EQ(rq::samplePeriodFor(655360000, 10000).period, 65535);
    EXPECT_EQ(rq::samplePeriodFor(655360000, 10000).fit, rq::SamplePeriod::Fits);
    EXPECT_EQ(rq::samplePeriodFor(655370000, 10000).period, 65536);
    EXPECT_EQ(rq::samplePeriodFor(655370000, 10000).fit, rq::SamplePeriod::TooLong);
}

TEST(SamplePeriod, TheClockHoldsPeriodsBeyondTheWordUpTo5Hz) {
    // Too long for the board, but the clock keeps it; the capture refuses it later.
    EXPECT_EQ(rq::samplePeriodFor(40000000, 5).fit, rq::SamplePeriod::TooLong);
    EXPECT_EQ(rq::samplePeriodFor(40000000, 4).fit, rq::SamplePeriod::Unholdable);
    for (int f : {0, -1}) {
        EXPECT_EQ(rq::samplePeriodFor(40000000, f).fit, rq::SamplePeriod::NotPositive) << f;
    }
}

TEST(ClockSettings, CheckingAFrequencyRaisesWhatSettingItWouldAndChangesNothing) {
    ClockSettings c = fortyMegahertz();
    c.setSampleFrequency(100000);
    const auto numberFor = [&c](int f) {
        try {
            c.checkSampleFrequency(f);
        } catch (const NumberedError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(numberFor(0), 510);
    EXPECT_EQ(numberFor(4), 6);
    EXPECT_EQ(numberFor(100), 0);  // refused only at capture
    EXPECT_EQ(c.checkSampleFrequency(50000).period, 799);
    EXPECT_EQ(c.SampleFrequency(), 100000);
    EXPECT_EQ(c.TPeriodHigh(), 1);
    EXPECT_EQ(c.TPeriodLow(), 143);
}

TEST(ClockSettings, ThePeriodsFitFollowsThePeriodNotALaterCrystal) {
    ClockSettings c = fortyMegahertz();
    EXPECT_EQ(c.periodFit(), rq::SamplePeriod::Fits);  // period 0 before any frequency
    c.setSampleFrequency(610);
    EXPECT_EQ(c.periodFit(), rq::SamplePeriod::TooLong);
    c.setCrystalFrequency(1000000);  // the bytes still hold the long period
    EXPECT_EQ(c.periodFit(), rq::SamplePeriod::TooLong);
    EXPECT_THROW(c.setSampleFrequency(0), NumberedError);
    EXPECT_EQ(c.periodFit(), rq::SamplePeriod::TooLong);
    c.setSampleFrequency(1000);
    EXPECT_EQ(c.periodFit(), rq::SamplePeriod::Fits);
}
