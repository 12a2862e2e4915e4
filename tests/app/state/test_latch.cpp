// Protects the supply latch value: which property drives which bit, the inverted voltage
// selections, and that the whole-value assignment and the booleans stay independent.
#include <gtest/gtest.h>

#include "state/Latch.h"

using rq::Latch;

TEST(Latch, NewInstanceReadsZeroAndVoltageSelectionsAreInverted) {
    Latch l;
    EXPECT_EQ(l.latch(), 0);
    l.setAVDD(false);
    EXPECT_EQ(l.latch(), 0x10);
    l.setDVDD(false);
    EXPECT_EQ(l.latch(), 0x90);
    EXPECT_EQ(l.latch(), Latch::AllOff);
    l.setAVDD(true);
    l.setDVDD(true);
    EXPECT_EQ(l.latch(), 0);
}

TEST(Latch, EachPropertyDrivesItsOwnBit) {
    struct Case {
        void (Latch::*set)(bool);
        int mask;
    } cases[] = {{&Latch::setMemoryPage0, 0x01}, {&Latch::setMemoryPage1, 0x02},
                 {&Latch::setENA_QS, 0x04},      {&Latch::setAVDD_On_Off, 0x08},
                 {&Latch::setHiSupply, 0x20},    {&Latch::setDigiON_OFF, 0x40}};
    for (const Case& c : cases) {
        Latch l;
        l.setLatch(0x55);
        (l.*c.set)(true);
        EXPECT_EQ(l.latch(), 0x55 | c.mask) << c.mask;
        (l.*c.set)(false);
        EXPECT_EQ(l.latch(), 0x55 & ~c.mask) << c.mask;
    }
}

TEST(Latch, SwitchingOnAndOffAgainRestoresTheValue) {
    Latch l;
    l.setLatch(0xD0);
    l.setHiSupply(true);
    EXPECT_EQ(l.latch(), 0xF0);
    l.setHiSupply(false);
    EXPECT_EQ(l.latch(), 0xD0);  // bit 6 untouched throughout
}

TEST(Latch, ClearingDropsHighBitsWhileSettingKeepsThem) {
    Latch a;
    a.setLatch(0x1A0);
    a.setAVDD_On_Off(false);
    EXPECT_EQ(a.latch(), 0xA0);

    Latch b;
    b.setLatch(0x1A0);
    b.setAVDD_On_Off(true);
    EXPECT_EQ(b.latch(), 0x1A8);
}

TEST(Latch, WholeValueLeavesTheBooleanGettersAlone) {
    Latch l;
    l.setDVDD(true);
    l.setAVDD(false);
    l.setHiSupply(true);
    l.setLatch(0xFF);
    EXPECT_TRUE(l.DVDD());
    EXPECT_FALSE(l.AVDD());
    EXPECT_TRUE(l.HiSupply());
    EXPECT_FALSE(l.MemoryPage0());
    EXPECT_FALSE(l.ENA_QS());
    EXPECT_FALSE(l.DigiON_OFF());
    l.setLatch(0);
    EXPECT_TRUE(l.HiSupply());
    EXPECT_FALSE(l.Setup);
}

TEST(Latch, HelpTexts) {
    EXPECT_EQ(Latch::helpText("ENA_QS"),
              "This property controls the state of the QuickSwitches\r\nTRUE indicates the "
              "switches are enabled\r\nFALSE indicates the switches are disabled");
    EXPECT_EQ(Latch::helpText("AVDD"),
              "This attribute controls the state of the analog supplies\r\nTRUE indicates "
              "+5V\r\nFALSE indicates +3.3V");
    EXPECT_TRUE(Latch::helpText("MemoryPage0").endsWith("selected."));
    EXPECT_FALSE(Latch::helpText("MemoryPage1").endsWith("selected."));
    EXPECT_TRUE(Latch::helpText("Setup").contains("are to\r\nbe changed (FALSE)"));
    EXPECT_TRUE(Latch::helpText("DVDD").isEmpty());
}
