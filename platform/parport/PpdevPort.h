#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "parport/ParallelPortLibrary.h"

namespace rq {

// The system calls the ppdev back end makes, behind a seam so it can be tested on machines
// without a port.
class PpdevSystem {
public:
    virtual ~PpdevSystem() = default;
    virtual bool exists(const std::string& path) = 0;
    virtual int open(const std::string& path) = 0;  // read/write; -errno on failure
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;  // -errno on failure
    virtual std::optional<std::string> readTextFile(const std::string& path) = 0;
    // The name of the group that owns a file, if it can be found.
    virtual std::optional<std::string> groupOf(const std::string& path) = 0;
    // The login name of the user running the program.
    virtual std::string userName() = 0;
};

// The real calls.
class LinuxPpdevSystem : public PpdevSystem {
public:
    bool exists(const std::string& path) override;
    int open(const std::string& path) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    std::optional<std::string> readTextFile(const std::string& path) override;
    std::optional<std::string> groupOf(const std::string& path) override;
    std::string userName() override;
};

// What stood in the way of the last claim. Worked out from the error of the open or claim call
// and from what the kernel shows of its printer-port drivers.
struct PortProblem {
    enum class Kind {
        None,
        Permission,    // the device file exists, but this user may not open it
        NoModule,      // the port driver is there, the ppdev module is not
        NoDriver,      // no printer-port driver is loaded at all
        NoPort,        // the drivers are loaded and found no port
        NoDeviceFile,  // the kernel has the port, but its device file is missing
        Busy,          // opened, but the claim was refused
        Other,
    };
    Kind kind = Kind::None;
    std::string device;  // "/dev/parport0"
    std::string group;   // the device's group, for Permission
    std::string user;    // who ran the program, for Permission
    int error = 0;       // errno of the failed call
};

// The user's message for a problem: what is wrong, then the command that mends it.
QString describePortProblem(const PortProblem& problem);

// A printer port on Linux through ppdev (/dev/parportN). Port 1 of the library is
// /dev/parport0 unless a device is named. The base address comes from the kernel's parport
// information; the three registers map to the ppdev data, status and control calls, and the
// control register's direction bit (bit 5) to the data-direction call, since the kernel keeps
// that bit to itself. Control bits 4, 6 and 7 are not driven; they read back as last written.
class PpdevPort : public ParallelPortLibrary {
public:
    explicit PpdevPort(PpdevSystem& system, QString device = QString());
    ~PpdevPort() override;

    int32_t GetParallelPortCount() override;
    int32_t ClaimParallelPort(int32_t port, int32_t wait) override;
    int32_t GetParallelPortInfo(int32_t port, ParallelPortInfo& info) override;
    int32_t InByte(int32_t address) override;
    void OutByte(int32_t address, int32_t value) override;
    int32_t ReleaseParallelPort(int32_t port) override;
    QString claimProblem() const override { return describePortProblem(m_problem); }

    const PortProblem& problem() const { return m_problem; }
    bool claimed() const { return m_fd >= 0; }
    std::optional<int32_t> baseAddress() const { return m_base; }

private:
    std::string devicePath(int32_t port) const;
    int kernelIndex(int32_t port) const;
    std::optional<int32_t> readBaseAddress(int32_t port);
    // Register offset of an address of the claimed port, or -1.
    int registerOf(int32_t address) const;
    PortProblem diagnoseOpenFailure(int32_t port, const std::string& path, int error);

    PpdevSystem& m_system;
    QString m_device;
    int m_fd = -1;
    int32_t m_claimedPort = 0;
    std::optional<int32_t> m_base;
    bool m_reverse = false;
    int m_controlShadow = 0;
    PortProblem m_problem;
};

// The back end the program uses on this machine: ppdev on the named device (or /dev/parport0).
std::unique_ptr<ParallelPortLibrary> makeSystemPort(const QString& device = QString());

}  // namespace rq
