// Protects the sample-frequency list: ascending insertion without duplicates, and the choice that
// limits the frequency to the converter's maximum and programs the sample clock.
#include <gtest/gtest.h>

#include "common/NumberedError.h"
#include "config/FrequencyList.h"

using namespace rq;

namespace {
ProgramState withClock(int32_t sampleFreq, int32_t maxFreq) {
    ProgramState s;
    s.BoardClock.setCrystalFrequency(40000000);
    s.CurrentSettings.SampleFreq = sampleFreq;
    s.CurrentSettings.Max_Frequency = maxFreq;
    return s;
}
}  // namespace

TEST(FrequencyList, NewValuesAreInsertedInOrderAndSelected) {
    ProgramState s = withClock(80000, 580000);
    FrequencyList list;
    Add_Frequency(s, list);
    EXPECT_EQ(list.entries().mid(0, 3), (QStringList{"50000", "80000", "100000"}));
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(s.BoardClock.SampleFrequency(), 80000);

    s.CurrentSettings.SampleFreq = 20000;
    Add_Frequency(s, list);
    EXPECT_EQ(list.entries().first(), "20000");
    EXPECT_EQ(list.selected(), 0);

    s.CurrentSettings.SampleFreq = 100000;
    Add_Frequency(s, list);
    EXPECT_EQ(list.entries().size(), 14);  // an existing value is selected, not added
    EXPECT_EQ(list.text(), "100000");
}

TEST(FrequencyList, FrequencyAboveTheMaximumBecomesTheMaximum) {
    ProgramState s = withClock(600000, 580000);
    FrequencyList list;
    Add_Frequency(s, list);
    EXPECT_EQ(list.entries().last(), "600000");
    EXPECT_EQ(list.text(), "580000");
    EXPECT_EQ(s.CurrentSettings.SampleFreq, 580000);
    EXPECT_EQ(s.BoardClock.SampleFrequency(), 580000);

    ProgramState t = withClock(100000, 250000);
    FrequencyList picked;
    picked.select(5);  // "300000"
    applySelectedFrequency(t, picked);
    EXPECT_EQ(t.CurrentSettings.SampleFreq, 250000);
    EXPECT_EQ(picked.text(), "250000");
    EXPECT_EQ(t.BoardClock.TPeriodLow(), 159);  // 40 MHz / 250 kHz - 1
}

TEST(FrequencyList, MaximumOutsideTheListIsInsertedToo) {
    ProgramState s = withClock(300000, 275000);
    FrequencyList list;
    Add_Frequency(s, list);
    EXPECT_EQ(s.CurrentSettings.SampleFreq, 275000);
    const int at = list.entries().indexOf("275000");
    EXPECT_EQ(list.entries().at(at - 1), "250000");
    EXPECT_EQ(list.selected(), at);
}

TEST(FrequencyList, OtherFrequencyOutcomes) {
    ProgramState s = withClock(100000, 580000);
    FrequencyList list;
    list.select(1);
    for (const char* text : {"", "  ", "abc", "12x"}) {
        const OtherFrequency r = takeOtherFrequency(s, list, text);
        EXPECT_EQ(r.outcome, OtherFrequency::NotANumber) << text;
    }
    EXPECT_EQ(takeOtherFrequency(s, list, "0").outcome, OtherFrequency::Unchanged);
    EXPECT_EQ(list.selected(), 1);

    // Between entries: the text only, nothing selected.
    OtherFrequency r = takeOtherFrequency(s, list, " 123456 ");
    EXPECT_EQ(r.outcome, OtherFrequency::Taken);
    EXPECT_FALSE(r.chosen);
    EXPECT_EQ(list.text(), "123456");
    EXPECT_EQ(list.selected(), -1);
    EXPECT_EQ(s.BoardClock.SampleFrequency(), 123456);

    // Pasted forms: an exponent above the maximum, a negative value.
    r = takeOtherFrequency(s, list, "1E7");
    EXPECT_EQ(r.boxText, "580000");
    EXPECT_TRUE(r.chosen);
    EXPECT_EQ(list.text(), "580000");
    r = takeOtherFrequency(s, list, "-5");
    EXPECT_EQ(r.boxText, "50000");
    EXPECT_EQ(s.CurrentSettings.SampleFreq, 50000);

    // A frequency the clock cannot make raises before anything changes.
    EXPECT_THROW(takeOtherFrequency(s, list, "3"), NumberedError);
    EXPECT_EQ(s.CurrentSettings.SampleFreq, 50000);
    EXPECT_EQ(list.text(), "580000");
    list.selectOrInsert(0);
    EXPECT_THROW(applySelectedFrequency(s, list), NumberedError);
    EXPECT_EQ(s.CurrentSettings.SampleFreq, 50000);
    EXPECT_EQ(s.BoardClock.SampleFrequency(), 50000);
}

TEST(FrequencyList, SelectSampleFrequencyByItsDigits) {
    ProgramState s = withClock(150000, 580000);
    FrequencyList list;
    EXPECT_TRUE(SelectSampleFrequency(s, list));
    EXPECT_EQ(list.selected(), 2);
    EXPECT_EQ(s.BoardClock.SampleFrequency(), 150000);
    s.CurrentSettings.SampleFreq = 150001;
    EXPECT_FALSE(SelectSampleFrequency(s, list));
    EXPECT_EQ(list.selected(), 2);
}
