// Protects the sample-frequency list: ascending insertion without duplicates, and the choice that
// limits the frequency to the converter's maximum and programs the sample clock.
#include <gtest/gtest.h>

#include "FrequencyList.h"

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
    cboFSample_Click(t, picked);
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
