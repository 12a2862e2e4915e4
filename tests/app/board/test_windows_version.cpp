// Protects port start-up: which systems claim the port, what a failed claim or a missing port
// does, the control-register set-up, the "/SS" status box and the port menu rules.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "board/WindowsVersion.h"
#include "parport/ScriptedPort.h"
#include "state/ProgramState.h"

using namespace rq;
using rq::test::FakeMessageBoxes;

namespace {
PlatformVersion windows(int id, int major, int minor) {
    PlatformVersion v;
    v.platformId = id;
    v.major = major;
    v.minor = minor;
    return v;
}
PlatformVersion linuxKernel(const QString& release) {
    PlatformVersion v;
    v.platformId = PlatformVersion::Linux;
    v.kernelName = "Linux";
    v.kernelRelease = release;
    return v;
}
}  // namespace

TEST(GetWindowsVersion, NamesEachKnownVersion) {
    EXPECT_EQ(GetWindowsVersion(windows(1, 4, 0)), "Windows 95");
    EXPECT_EQ(GetWindowsVersion(windows(1, 4, 10)), "Windows 98");
    EXPECT_EQ(GetWindowsVersion(windows(1, 4, 90)), "");
    EXPECT_EQ(GetWindowsVersion(windows(2, 3, 51)), "Windows NT 3.51");
    EXPECT_EQ(GetWindowsVersion(windows(2, 4, 0)), "Windows NT 4.0");
    EXPECT_EQ(GetWindowsVersion(windows(2, 5, 0)), "Windows 2000");
    EXPECT_EQ(GetWindowsVersion(windows(2, 6, 1)), "");
    EXPECT_EQ(GetWindowsVersion(windows(0, 0, 0)), "Failed");
    EXPECT_EQ(GetWindowsVersion(linuxKernel("6.1.0-18-amd64")), "Linux 6.1.0-18-amd64");
    EXPECT_TRUE(GetWindowsVersion(queryPlatformVersion()).startsWith("Linux"));
}

TEST(GetWindowsVersion, FamilyDecidesTheClaimNotTheReleaseText) {
    EXPECT_FALSE(portNeedsClaim(windows(1, 4, 0)));
    EXPECT_FALSE(portNeedsClaim(windows(1, 4, 10)));
    EXPECT_TRUE(portNeedsClaim(windows(1, 4, 90)));  // empty name: the NT path
    EXPECT_TRUE(portNeedsClaim(windows(2, 5, 0)));
    EXPECT_TRUE(portNeedsClaim(windows(7, 0, 0)));  // "Failed"
    EXPECT_TRUE(portNeedsClaim(linuxKernel("5.10.98")));
    EXPECT_TRUE(portNeedsClaim(linuxKernel("4.95.0")));
}

TEST(InitialisePort, NinetyFiveFamilyTakesLpt1WithoutAnyLibraryCall) {
    ProgramState state;
    ScriptedPort port;
    port.infoAddress = 0x278;
    port.setRegister(0x378 + 2, 0xFF);
    FakeMessageBoxes boxes;
    InitialisePort(state, port, boxes, windows(1, 4, 10));
    EXPECT_EQ(state.OSVersion, "Windows 98");
    EXPECT_EQ(state.PortAddress, 0x378);
    EXPECT_TRUE(port.calls.isEmpty());
    EXPECT_TRUE(boxes.shown.empty());
    // Control register: bits 2, 4, 6, 7 kept, bit 5 set.
    ASSERT_EQ(port.accesses.size(), 2u);
    EXPECT_EQ(port.accesses[0], (ScriptedPort::Access{false, 0x37A, 0xFF}));
    EXPECT_EQ(port.accesses[1], (ScriptedPort::Access{true, 0x37A, 0xF4}));
}

TEST(InitialisePort, ClaimingSystemsQueryTheLibraryInOrder) {
    ProgramState state;
    ScriptedPort port;
    port.infoAddress = 0x278;
    port.setRegister(0x278 + 2, 0x0B);
    FakeMessageBoxes boxes;
    InitialisePort(state, port, boxes, linuxKernel("5.10.98"));
    EXPECT_EQ(port.calls, (QStringList{"GetParallelPortCount", "ClaimParallelPort(1,-1)",
                                       "GetParallelPortInfo(1,12)"}));
    EXPECT_EQ(state.PortAddress, 0x278);
    EXPECT_EQ(port.writesTo(0x27A), std::vector<int32_t>{0x20});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(state.PortMenu.lpt1Enabled);
    EXPECT_TRUE(state.PortMenu.lpt2Enabled);
    EXPECT_FALSE(state.PortMenu.prnEnabled);
}

TEST(InitialisePort, FailedClaimAndMissingPortEachShowTheirBoxAndGoOn) {
    ProgramState state;
    ScriptedPort port;
    port.claimResult = 0x10000;  // only the low 16 bits count
    port.infoResult = 0;
    FakeMessageBoxes boxes;
    InitialisePort(state, port, boxes, windows(2, 5, 0));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "claim parallel port failed");
    EXPECT_EQ(boxes.shown[0].title, "");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::None);
    EXPECT_EQ(boxes.shown[1].text, "This PC does not appear to have a Printer Port");
    EXPECT_EQ(boxes.shown[1].title, "GetPortAddress Error");
    EXPECT_EQ(boxes.shown[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(state.PortAddress, 0);
    EXPECT_TRUE(state.PortMenu.lpt1Enabled && state.PortMenu.lpt2Enabled &&
                state.PortMenu.prnEnabled);
}

TEST(InitialisePort, AddressAboveTheSignedRangeIsKeptAsItsSixteenBits) {
    ProgramState state;
    state.commandLine = CommandLine("/SS");
    ScriptedPort port;
    port.infoAddress = 0xE010;
    FakeMessageBoxes boxes;
    InitialisePort(state, port, boxes, linuxKernel("6.1.0"));
    EXPECT_EQ(static_cast<uint16_t>(state.PortAddress), 0xE010);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.endsWith("Port Address:0xE010"));
    EXPECT_EQ(port.writesTo(static_cast<int16_t>(0xE012)).size(), 1u);
}

TEST(PortMenus, DetectedAddressDisablesTheOtherTwo) {
    struct Row {
        int16_t address;
        bool lpt1, lpt2, prn;
    } rows[] = {{0x278, false, true, false},
                {0x378, true, false, false},
                {0x3BC, false, false, true},
                {0x3E8, true, true, true}};
    for (const Row& r : rows) {
        PortMenuState m;
        disableOtherPortMenus(m, r.address);
        EXPECT_EQ(m.lpt1Enabled, r.lpt1) << r.address;
        EXPECT_EQ(m.lpt2Enabled, r.lpt2) << r.address;
        EXPECT_EQ(m.prnEnabled, r.prn) << r.address;
    }
}

TEST(PortMenus, ChoiceSetsTheAddressAndChecksOnlyItsOwnEntry) {
    ProgramState state;
    choosePortMenu(state, PortMenuItem::LPT2);
    EXPECT_EQ(state.PortAddress, 0x278);
    EXPECT_TRUE(state.PortMenu.lpt2Checked);
    EXPECT_FALSE(state.PortMenu.lpt1Checked || state.PortMenu.prnChecked);
    choosePortMenu(state, PortMenuItem::PRN);
    EXPECT_EQ(state.PortAddress, 0x3BC);
    EXPECT_TRUE(state.PortMenu.prnChecked);
    EXPECT_FALSE(state.PortMenu.lpt1Checked || state.PortMenu.lpt2Checked);
    choosePortMenu(state, PortMenuItem::LPT1);
    EXPECT_EQ(state.PortAddress, 0x378);
    EXPECT_TRUE(state.PortMenu.lpt1Checked);
    EXPECT_FALSE(state.PortMenu.prnChecked || state.PortMenu.lpt2Checked);
}

TEST(ShowPortStatus, OnlyWithTheSwitchInAnyCase) {
    ProgramState state;
    state.OSVersion = "Linux 6.1.0";
    state.PortAddress = 0x278;
    FakeMessageBoxes boxes;
    ShowPortStatus(state, boxes);
    EXPECT_TRUE(boxes.shown.empty());

    state.commandLine = CommandLine("/e /ss");
    ShowPortStatus(state, boxes);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Windows Version:Linux 6.1.0\rPort Address:0x278");
    EXPECT_EQ(boxes.shown[0].title, "Show Status");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
}

TEST(InPortOutPort, PassBytesThroughAndMaskTheRead) {
    ScriptedPort port;
    port.scriptReads(0x379, {0x1FF});
    EXPECT_EQ(InPort(port, 0x379), 0xFF);
    OutPort(port, 0x378, 0x5A);
    EXPECT_EQ(port.writesTo(0x378), std::vector<int32_t>{0x5A});
    ReleasePort(port);
    EXPECT_EQ(port.calls.last(), "ReleaseParallelPort(1)");
}
