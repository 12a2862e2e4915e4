// Protects the ppdev back end through its system-call seam: claiming and releasing, the base
// address from the kernel's parport information, and the mapping of the three registers
// (including the direction bit) onto the ppdev calls. An unclaimed or foreign address never
// reaches the system. A port that cannot be opened says why, and how to mend it.
#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "Fakes.h"
#include "board/WindowsVersion.h"
#include "parport/PpdevPort.h"
#include "state/ProgramState.h"

using namespace rq;

namespace {

// A port that behaves like the kernel's: register values, the calls made, and open failures.
class FakeSystem : public PpdevSystem {
public:
    std::map<std::string, std::string> files;
    // Every path that exists: device files, and the kernel's /proc and /sys entries.
    std::vector<std::string> devices{"/dev/parport0"};
    std::map<std::string, int> openErrors;  // errno of an open that fails
    std::map<std::string, std::string> groups{{"/dev/parport0", "lp"}};
    std::string user = "alice";
    bool claimFails = false;
    int claimError = EBUSY;
    std::vector<std::string> log;
    unsigned char data = 0, status = 0x78, control = 0x0C;
    int dir = -1;

    bool exists(const std::string& path) override {
        return std::find(devices.begin(), devices.end(), path) != devices.end();
    }
    int open(const std::string& path) override {
        log.push_back("open " + path);
        if (auto it = openErrors.find(path); it != openErrors.end()) {
            return -it->second;
        }
        return exists(path) ? 7 : -ENOENT;
    }
    int close(int fd) override {
        log.push_back("close " + std::to_string(fd));
        return 0;
    }
    int ioctl(int, unsigned long request, void* arg) override {
        auto* byte = static_cast<unsigned char*>(arg);
        switch (request) {
            case PPCLAIM:
                log.push_back("claim");
                return claimFails ? -claimError : 0;
            case PPRELEASE:
                log.push_back("release");
                return 0;
            case PPRDATA:
                *byte = data;
                log.push_back("rdata");
                return 0;
            case PPWDATA:
                data = *byte;
                log.push_back("wdata " + std::to_string(*byte));
                return 0;
            case PPRSTATUS:
                *byte = status;
                log.push_back("rstatus");
                return 0;
            case PPRCONTROL:
                *byte = control;
                log.push_back("rcontrol");
                return 0;
            case PPWCONTROL:
                control = *byte;
                log.push_back("wcontrol " + std::to_string(*byte));
                return 0;
            case PPDATADIR:
                dir = *static_cast<int*>(arg);
                log.push_back("datadir " + std::to_string(dir));
                return 0;
            default:
                log.push_back("other");
                return -1;
        }
    }
    std::optional<std::string> readTextFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    std::optional<std::string> groupOf(const std::string& path) override {
        auto it = groups.find(path);
        return it == groups.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::string userName() override { return user; }
};

constexpr const char* kBaseFile = "/proc/sys/dev/parport/parport0/base-addr";

}  // namespace

TEST(PpdevPort, ClaimFindsTheBaseAddressAndReleaseGivesThePortBack) {
    FakeSystem sys;
    sys.files[kBaseFile] = "888\t1912\n";
    PpdevPort port(sys);
    EXPECT_EQ(port.GetParallelPortCount(), 1);
    EXPECT_NE(port.ClaimParallelPort(1, -1), 0);
    EXPECT_EQ(sys.log, (std::vector<std::string>{"open /dev/parport0", "claim", "datadir 0"}));
    ParallelPortInfo info;
    EXPECT_NE(port.GetParallelPortInfo(1, info), 0);
    EXPECT_EQ(info.address, 0x378);
    info.size = 16;
    EXPECT_EQ(port.GetParallelPortInfo(1, info), 0);  // the record size must be 12

    sys.log.clear();
    port.ReleaseParallelPort(1);
    EXPECT_EQ(sys.log, (std::vector<std::string>{"release", "close 7"}));
    EXPECT_FALSE(port.claimed());
}

TEST(PpdevPort, RegistersMapToTheirCalls) {
    FakeSystem sys;
    sys.files[kBaseFile] = "632 1656";
    PpdevPort port(sys);
    port.ClaimParallelPort(1, -1);
    sys.log.clear();

    port.OutByte(0x278, 0x1A5);
    EXPECT_EQ(sys.data, 0xA5);
    EXPECT_EQ(port.InByte(0x278), 0xA5);
    sys.status = 0x87;
    EXPECT_EQ(port.InByte(0x279), 0x87);
    port.OutByte(0x279, 0x00);  // read-only: no call
    EXPECT_EQ(sys.log, (std::vector<std::string>{"wdata 165", "rdata", "rstatus"}));

    // Control: strobes go to the control call, bit 5 to the data direction, bits 4/6/7 are
    // kept for the read-back only.
    sys.log.clear();
    port.OutByte(0x27A, 0xF6);
    EXPECT_EQ(sys.log, (std::vector<std::string>{"datadir 1", "wcontrol 6"}));
    EXPECT_EQ(port.InByte(0x27A), 0xF6);
    sys.log.clear();
    port.OutByte(0x27A, 0xF4);  // direction unchanged: no second direction call
    port.OutByte(0x27A, 0xD4);
    EXPECT_EQ(sys.log, (std::vector<std::string>{"wcontrol 4", "datadir 0", "wcontrol 4"}));
    EXPECT_EQ(port.InByte(0x27A), 0xD4);
}

TEST(PpdevPort, NothingReachesTheSystemWithoutAClaimedPort) {
    FakeSystem sys;
    sys.devices.clear();
    PpdevPort port(sys);
    EXPECT_EQ(port.GetParallelPortCount(), 0);
    EXPECT_EQ(port.ClaimParallelPort(1, -1), 0);
    ParallelPortInfo info;
    EXPECT_EQ(port.GetParallelPortInfo(1, info), 0);
    sys.log.clear();
    // With no port the program's address stays 0: its registers read as an idle bus.
    EXPECT_EQ(port.InByte(1), 0xFF);
    EXPECT_EQ(port.InByte(2), 0xFF);
    port.OutByte(0, 0x55);
    EXPECT_TRUE(sys.log.empty());
}

TEST(PpdevPort, RefusedClaimClosesTheDeviceAndForeignAddressesAreIgnored) {
    FakeSystem sys;
    sys.files[kBaseFile] = "888";
    sys.claimFails = true;
    PpdevPort refused(sys);
    EXPECT_EQ(refused.ClaimParallelPort(1, -1), 0);
    EXPECT_EQ(sys.log.back(), "close 7");

    sys.claimFails = false;
    PpdevPort port(sys);
    port.ClaimParallelPort(1, -1);
    sys.log.clear();
    EXPECT_EQ(port.InByte(0x278 + 1), 0xFF);  // another port's status register
    port.OutByte(0x3BC, 1);
    EXPECT_TRUE(sys.log.empty());
}

TEST(PpdevPort, NamedDeviceUsesItsOwnKernelInformation) {
    FakeSystem sys;
    sys.devices = {"/dev/parport2"};
    sys.files["/proc/sys/dev/parport/parport2/base-addr"] = "956\t0\n";
    PpdevPort port(sys, "/dev/parport2");
    EXPECT_NE(port.ClaimParallelPort(1, -1), 0);
    EXPECT_EQ(sys.log.front(), "open /dev/parport2");
    ParallelPortInfo info;
    EXPECT_NE(port.GetParallelPortInfo(1, info), 0);
    EXPECT_EQ(info.address, 0x3BC);
}

TEST(PpdevPort, CardAboveTheSignedRangeIsReachedThroughSixteenBitAddresses) {
    FakeSystem sys;
    sys.files[kBaseFile] = "57360\t57368\n";  // &HE010, as PCI Express cards have
    PpdevPort port(sys);
    port.ClaimParallelPort(1, -1);
    sys.status = 0x80;
    const int16_t address = static_cast<int16_t>(0xE010);  // as the program holds it
    sys.log.clear();
    EXPECT_EQ(port.InByte(static_cast<int16_t>(address + 1)), 0x80);
    EXPECT_EQ(sys.log, std::vector<std::string>{"rstatus"});
}

namespace {

// The kernel's own lists as a machine shows them.
constexpr const char* kDevicesWithPpdev = "Character devices:\n  1 mem\n 99 ppdev\n180 usb\n";
constexpr const char* kDevicesWithoutPpdev = "Character devices:\n  1 mem\n  6 lp\n180 usb\n";
constexpr const char* kPortEntry = "/proc/sys/dev/parport/parport0";
constexpr const char* kLowLevelDriver = "/sys/module/parport_pc";

PortProblem::Kind failedKind(FakeSystem& sys, PpdevPort& port) {
    EXPECT_EQ(port.ClaimParallelPort(1, -1), 0);
    EXPECT_FALSE(port.claimed());
    return port.problem().kind;
}

}  // namespace

TEST(PpdevPortProblems, PermissionDeniedNamesTheGroupAndTheCommandThatAddsTheUser) {
    FakeSystem sys;
    sys.openErrors["/dev/parport0"] = EACCES;
    sys.groups["/dev/parport0"] = "lp";
    sys.devices = {"/dev/parport0", kPortEntry, kLowLevelDriver};
    sys.files["/proc/devices"] = kDevicesWithPpdev;
    PpdevPort port(sys);
    EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::Permission);
    const QString text = port.claimProblem();
    EXPECT_TRUE(text.contains("/dev/parport0")) << text.toStdString();
    EXPECT_TRUE(text.contains("group lp")) << text.toStdString();
    EXPECT_TRUE(text.contains("sudo usermod -aG lp alice")) << text.toStdString();
    EXPECT_TRUE(text.contains("log out")) << text.toStdString();

    // A device given to another group (some distributions use "uucp") names that group.
    sys.groups["/dev/parport0"] = "uucp";
    sys.openErrors["/dev/parport0"] = EPERM;
    PpdevPort other(sys);
    failedKind(sys, other);
    EXPECT_TRUE(other.claimProblem().contains("sudo usermod -aG uucp alice"));
}

TEST(PpdevPortProblems, MissingModulesAreToldApartFromAMissingPort) {
    // No printer-port driver at all: neither the port nor ppdev.
    {
        FakeSystem sys;
        sys.devices.clear();
        sys.files["/proc/devices"] = kDevicesWithoutPpdev;
        PpdevPort port(sys);
        EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::NoDriver);
        EXPECT_TRUE(port.claimProblem().contains("sudo modprobe -a parport_pc ppdev"));
    }
    // The port driver found a port, but ppdev is not loaded, so there is no device file.
    {
        FakeSystem sys;
        sys.devices = {kPortEntry, kLowLevelDriver};
        sys.files["/proc/devices"] = kDevicesWithoutPpdev;
        PpdevPort port(sys);
        EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::NoModule);
        const QString text = port.claimProblem();
        EXPECT_TRUE(text.contains("sudo modprobe ppdev")) << text.toStdString();
        EXPECT_TRUE(text.contains("/etc/modules-load.d/ppdev.conf")) << text.toStdString();
    }
    // ppdev built into the kernel: /proc/devices lists it although /sys/module may not.
    {
        FakeSystem sys;
        sys.devices = {"/dev/parport0", kLowLevelDriver};
        sys.openErrors["/dev/parport0"] = ENXIO;  // "No such device or address"
        sys.files["/proc/devices"] = kDevicesWithPpdev;
        PpdevPort port(sys);
        EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::NoPort);
        const QString text = port.claimProblem();
        EXPECT_TRUE(text.contains("firmware set-up")) << text.toStdString();
        EXPECT_TRUE(text.contains("USB printer adapters")) << text.toStdString();
        EXPECT_FALSE(text.contains("modprobe")) << text.toStdString();
    }
    // ppdev is there, the port is known, only the device file is missing.
    {
        FakeSystem sys;
        sys.devices = {kPortEntry, kLowLevelDriver};
        sys.files["/proc/devices"] = kDevicesWithPpdev;
        PpdevPort port(sys);
        EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::NoDeviceFile);
        EXPECT_TRUE(port.claimProblem().contains("udevadm trigger"));
    }
    // ppdev present but no low-level driver: the port driver is what is missing.
    {
        FakeSystem sys;
        sys.devices = {"/dev/parport0"};
        sys.openErrors["/dev/parport0"] = ENODEV;
        sys.files["/proc/devices"] = kDevicesWithPpdev;
        PpdevPort port(sys);
        EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::NoDriver);
    }
}

TEST(PpdevPortProblems, RefusedClaimAndOtherErrorsGiveTheSystemsReason) {
    FakeSystem sys;
    sys.files[kBaseFile] = "888";
    sys.claimFails = true;
    PpdevPort port(sys);
    EXPECT_EQ(failedKind(sys, port), PortProblem::Kind::Busy);
    EXPECT_TRUE(port.claimProblem().contains(QString::fromLocal8Bit(std::strerror(EBUSY))));
    EXPECT_TRUE(port.claimProblem().contains("sudo modprobe -r lp"));

    // A later claim that works clears the account of the earlier failure.
    sys.claimFails = false;
    EXPECT_NE(port.ClaimParallelPort(1, -1), 0);
    EXPECT_EQ(port.problem().kind, PortProblem::Kind::None);
    EXPECT_TRUE(port.claimProblem().isEmpty());

    FakeSystem io;
    io.openErrors["/dev/parport0"] = EIO;
    PpdevPort broken(io);
    EXPECT_EQ(failedKind(io, broken), PortProblem::Kind::Other);
    EXPECT_TRUE(broken.claimProblem().contains(QString::fromLocal8Bit(std::strerror(EIO))));
}

TEST(PpdevPortProblems, StartUpShowsTheReasonInTheClaimBoxThenGoesOnWithoutAPort) {
    FakeSystem sys;
    sys.devices.clear();
    sys.files["/proc/devices"] = kDevicesWithoutPpdev;
    PpdevPort port(sys);
    ProgramState state;
    test::FakeMessageBoxes boxes;
    PlatformVersion onLinux;
    onLinux.platformId = PlatformVersion::Linux;
    InitialisePort(state, port, boxes, onLinux);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("claim parallel port failed\n\n"));
    EXPECT_TRUE(boxes.shown[0].text.contains("sudo modprobe -a parport_pc ppdev"));
    EXPECT_EQ(boxes.shown[0].title, "");
    EXPECT_EQ(boxes.shown[1].text, "This PC does not appear to have a Printer Port");
    EXPECT_EQ(state.PortAddress, 0);
}

TEST(LinuxPpdevSystem, FailedCallsGiveTheirErrno) {
    LinuxPpdevSystem sys;
    EXPECT_EQ(sys.open("/nonexistent/parport0"), -ENOENT);
    EXPECT_EQ(sys.ioctl(-1, PPCLAIM, nullptr), -EBADF);
    EXPECT_EQ(sys.groupOf("/nonexistent"), std::nullopt);
    EXPECT_TRUE(sys.groupOf("/").has_value());
    EXPECT_FALSE(sys.userName().empty());
}
