// Protects the ppdev back end through its system-call seam: claiming and releasing, the base
// address from the kernel's parport information, and the mapping of the three registers
// (including the direction bit) onto the ppdev calls. An unclaimed or foreign address never
// reaches the system.
#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>

#include <map>

#include "PpdevPort.h"

using namespace rq;

namespace {

// A port that behaves like the kernel's: register values, the calls made, and open failures.
class FakeSystem : public PpdevSystem {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> devices{"/dev/parport0"};
    bool claimFails = false;
    std::vector<std::string> log;
    unsigned char data = 0, status = 0x78, control = 0x0C;
    int dir = -1;

    bool exists(const std::string& path) override {
        return std::find(devices.begin(), devices.end(), path) != devices.end();
    }
    int open(const std::string& path) override {
        log.push_back("open " + path);
        return exists(path) ? 7 : -1;
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
                return claimFails ? -1 : 0;
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
