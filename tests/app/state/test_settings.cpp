// Protects the settings record and the program state: a new record is all zero, the setup
// subset copies exactly its nine members, and the start values are those of the initialisation.
#include <gtest/gtest.h>

#include "state/ProgramState.h"
#include "state/Settings.h"

using rq::ProgramState;
using rq::Settings;

TEST(Settings, NewRecordIsZeroFalseAndEmpty) {
    Settings s;
    EXPECT_TRUE(s.PartName.isEmpty());
    EXPECT_TRUE(s.EXEName.isEmpty());
    EXPECT_EQ(s.NumberOfBits, 0);
    EXPECT_EQ(s.Max_Frequency, 0);
    EXPECT_EQ(s.SampleFreq, 0);
    EXPECT_EQ(s.NumberOfSamples, 0);
    EXPECT_EQ(s.DataFormat, 0);
    EXPECT_EQ(s.TimeOut, 0);
    EXPECT_EQ(s.InputVMax, 0.0);
    EXPECT_EQ(s.InputVMin, 0.0);
    EXPECT_EQ(s.MaxValue, 0.0);
    EXPECT_FALSE(s.EchoComms || s.DataLoaded || s.DisplayMode || s.ProgramLoaded);
}

TEST(Settings, ValuesOutOfRangeAreStoredAsGiven) {
    Settings s;
    s.Max_Frequency = 250000;
    s.SampleFreq = 600000;
    s.NumberOfSamples = 9;
    s.NumberOfBits = -3;
    EXPECT_EQ(s.SampleFreq, 600000);
    EXPECT_EQ(s.NumberOfSamples, 9);
    EXPECT_EQ(s.NumberOfBits, -3);
}

TEST(Settings, SetupSubsetCopiesItsNineMembersOnly) {
    Settings from;
    from.DataFormat = 1;
    from.EXEName = "ADC.EXE";
    from.InputVMin = -2.5;
    from.InputVMax = 2.5;
    from.NumberOfBits = 14;
    from.NumberOfSamples = 3;
    from.PartName = "RQ3118";
    from.SampleFreq = 250000;
    from.ProgramLoaded = true;
    from.Max_Frequency = 580000;
    from.DisplayMode = true;
    from.DataLoaded = true;
    from.TimeOut = 77;
    from.EchoComms = true;
    from.MaxValue = 10;
    from.MinValue = -10;

    Settings to;
    to.Max_Frequency = 2000000;
    Settings::copySetupSubset(from, to);
    EXPECT_EQ(to.DataFormat, 1);
    EXPECT_EQ(to.EXEName, "ADC.EXE");
    EXPECT_EQ(to.InputVMin, -2.5);
    EXPECT_EQ(to.InputVMax, 2.5);
    EXPECT_EQ(to.NumberOfBits, 14);
    EXPECT_EQ(to.NumberOfSamples, 3);
    EXPECT_EQ(to.PartName, "RQ3118");
    EXPECT_EQ(to.SampleFreq, 250000);
    EXPECT_TRUE(to.ProgramLoaded);
    // Outside the subset
    EXPECT_EQ(to.Max_Frequency, 2000000);
    EXPECT_FALSE(to.DisplayMode);
    EXPECT_FALSE(to.DataLoaded);
    EXPECT_EQ(to.TimeOut, 0);
    EXPECT_FALSE(to.EchoComms);
    EXPECT_EQ(to.MaxValue, 0.0);
    EXPECT_EQ(to.MinValue, 0.0);
}

TEST(ProgramState, StartValuesOfTheInitialisation) {
    ProgramState state;
    rq::applyStartValues(state);
    const Settings& s = state.CurrentSettings;
    EXPECT_EQ(s.SampleFreq, 100000);
    EXPECT_EQ(s.NumberOfSamples, 0);
    EXPECT_EQ(s.Max_Frequency, 500000);
    EXPECT_EQ(s.NumberOfBits, 12);
    EXPECT_EQ(s.InputVMin, 0.0);
    EXPECT_EQ(s.InputVMax, 5.0);
    EXPECT_EQ(s.TimeOut, 1000);
    EXPECT_FALSE(s.DisplayMode);
    EXPECT_FALSE(s.DataLoaded);
    EXPECT_TRUE(s.PartName.isEmpty());
    EXPECT_TRUE(s.EXEName.isEmpty());
    EXPECT_EQ(s.DataFormat, 0);
    EXPECT_EQ(state.BoardClock.CrystalFrequency(), 40000000);
    EXPECT_EQ(state.BoardClock.SampleFrequency(), 100000);
    EXPECT_EQ(state.BoardClock.TPeriodHigh(), 1);
    EXPECT_EQ(state.BoardClock.TPeriodLow(), 143);
    EXPECT_EQ(state.BoardLatch.latch(), 144);
    EXPECT_EQ(state.ConfigFileIndex, -1);
    // The snapshot is untouched until the setup window opens.
    EXPECT_EQ(state.SavedSettings.SampleFreq, 0);
}

TEST(CommandLine, SwitchesAreCaseInsensitiveSubstrings) {
    rq::CommandLine cl("/get/e /sAvE");
    EXPECT_TRUE(cl.has("/GET"));
    EXPECT_TRUE(cl.has("/E"));
    EXPECT_TRUE(cl.has("/SAVE"));
    EXPECT_FALSE(cl.has("/DEL"));
    EXPECT_TRUE(rq::CommandLine("/GETTING").has("/GET"));
    EXPECT_EQ(rq::CommandLine::fromArguments({"rq3118", "/SS", "/E"}).text(), "/SS /E");
}
