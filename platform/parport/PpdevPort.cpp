#include "parport/PpdevPort.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "parport/PortRegisters.h"

namespace rq {

bool LinuxPpdevSystem::exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

int LinuxPpdevSystem::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR);
    return fd >= 0 ? fd : -errno;
}

int LinuxPpdevSystem::close(int fd) {
    return ::close(fd);
}

int LinuxPpdevSystem::ioctl(int fd, unsigned long request, void* arg) {
    const int result = ::ioctl(fd, request, arg);
    return result >= 0 ? result : -errno;
}

std::optional<std::string> LinuxPpdevSystem::readTextFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<std::string> LinuxPpdevSystem::groupOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    const struct group* g = ::getgrgid(st.st_gid);
    if (g == nullptr) {
        return std::nullopt;
    }
    return std::string(g->gr_name);
}

std::string LinuxPpdevSystem::userName() {
    if (const struct passwd* pw = ::getpwuid(::geteuid())) {
        return pw->pw_name;
    }
    const char* name = std::getenv("USER");
    return name != nullptr ? name : "";
}

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

QString describePortProblem(const PortProblem& p) {
    const QString device = text(p.device);
    switch (p.kind) {
        case PortProblem::Kind::None:
            return QString();
        case PortProblem::Kind::Permission: {
            const QString group = p.group.empty() ? QStringLiteral("lp") : text(p.group);
            const QString user = p.user.empty() ? QStringLiteral("$USER") : text(p.user);
            return QStringLiteral(
                       "No permission to open %1: the device belongs to group %2, "
                       "and user %3 is not in it.\n\n"
                       "Add the user to the group, then log out and back in:\n"
                       "    sudo usermod -aG %2 %3")
                .arg(device, group, user);
        }
        case PortProblem::Kind::NoModule:
            return QStringLiteral(
                       "%1 does not exist: the kernel module ppdev, which lets "
                       "programs use printer ports, is not loaded.\n\n"
                       "Load it now:\n"
                       "    sudo modprobe ppdev\n"
                       "and at every start:\n"
                       "    echo ppdev | sudo tee /etc/modules-load.d/ppdev.conf")
                .arg(device);
        case PortProblem::Kind::NoDriver:
            return QStringLiteral(
                       "%1 does not exist: no printer-port driver is loaded.\n\n"
                       "Load the drivers:\n"
                       "    sudo modprobe -a parport_pc ppdev\n"
                       "If the port is still missing after that, check that it is "
                       "enabled in the PC's firmware set-up.")
                .arg(device);
        case PortProblem::Kind::NoPort:
            return QStringLiteral(
                       "No printer port was found for %1: the printer-port driver is "
                       "loaded, but the kernel found no port.\n\n"
                       "Enable the port in the PC's firmware set-up (EPP or PS/2 "
                       "mode), or fit a PCI or PCIe printer-port card. USB printer "
                       "adapters cannot drive the board.")
                .arg(device);
        case PortProblem::Kind::NoDeviceFile:
            return QStringLiteral(
                       "The kernel has the printer port, but its device file %1 is "
                       "missing.\n\n"
                       "Have udev create it:\n"
                       "    sudo udevadm trigger --subsystem-match=ppdev")
                .arg(device);
        case PortProblem::Kind::Busy:
            return QStringLiteral(
                       "%1 opened, but the port could not be claimed: %2.\n\n"
                       "Another driver or program holds it: the printer driver lp, "
                       "or a second copy of this program. Close it, or unload lp:\n"
                       "    sudo modprobe -r lp")
                .arg(device, errorText(p.error));
        case PortProblem::Kind::Other:
            return QStringLiteral("Opening %1 failed: %2.").arg(device, errorText(p.error));
    }
    return QString();
}

PortProblem PpdevPort::diagnoseOpenFailure(int32_t port, const std::string& path, int error) {
    PortProblem p;
    p.device = path;
    p.error = error;
    if (error == EACCES || error == EPERM) {
        p.kind = PortProblem::Kind::Permission;
        p.group = m_system.groupOf(path).value_or("lp");
        p.user = m_system.userName();
        return p;
    }
    if (error != ENOENT && error != ENXIO && error != ENODEV) {
        p.kind = PortProblem::Kind::Other;
        return p;
    }
    // ppdev registers its character device (major 99) whether it is a module or built in.
    bool ppdev = false;
    if (const std::optional<std::string> devices = m_system.readTextFile("/proc/devices")) {
        std::istringstream lines(*devices);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string major, name;
            if ((words >> major >> name) && name == "ppdev") {
                ppdev = true;
            }
        }
    }
    const bool portKnown =
        m_system.exists("/proc/sys/dev/parport/parport" + std::to_string(kernelIndex(port)));
    const bool lowLevelDriver = m_system.exists("/sys/module/parport_pc");
    if (!portKnown && !lowLevelDriver) {
        p.kind = PortProblem::Kind::NoDriver;
    } else if (!ppdev) {
        p.kind = PortProblem::Kind::NoModule;
    } else if (!portKnown) {
        p.kind = PortProblem::Kind::NoPort;
    } else if (error == ENOENT) {
        p.kind = PortProblem::Kind::NoDeviceFile;
    } else {
        p.kind = PortProblem::Kind::Other;
    }
    return p;
}

PpdevPort::PpdevPort(PpdevSystem& system, QString device)
    : m_system(system), m_device(std::move(device)) {}

PpdevPort::~PpdevPort() {
    if (m_fd >= 0) {
        ReleaseParallelPort(m_claimedPort);
    }
}

int PpdevPort::kernelIndex(int32_t port) const {
    if (m_device.isEmpty()) {
        return port - 1;
    }
    // The trailing number of the named device: /dev/parport2 is the kernel's parport2.
    int end = static_cast<int>(m_device.size());
    int start = end;
    while (start > 0 && m_device.at(start - 1).isDigit()) {
        --start;
    }
    return start < end ? m_device.mid(start).toInt() : 0;
}

std::string PpdevPort::devicePath(int32_t port) const {
    if (!m_device.isEmpty()) {
        return m_device.toStdString();
    }
    return "/dev/parport" + std::to_string(port - 1);
}

int32_t PpdevPort::GetParallelPortCount() {
    int32_t count = 0;
    for (int i = 0; i < 8; ++i) {
        if (m_system.exists("/dev/parport" + std::to_string(i))) {
            ++count;
        }
    }
    return count;
}

int32_t PpdevPort::ClaimParallelPort(int32_t port, int32_t /*wait*/) {
    if (m_fd >= 0) {
        return 1;
    }
    const std::string path = devicePath(port);
    m_problem = PortProblem();
    const int fd = m_system.open(path);
    if (fd < 0) {
        m_problem = diagnoseOpenFailure(port, path, -fd);
        return 0;
    }
    if (const int claim = m_system.ioctl(fd, PPCLAIM, nullptr); claim < 0) {
        m_system.close(fd);
        m_problem.kind = PortProblem::Kind::Busy;
        m_problem.device = path;
        m_problem.error = -claim;
        return 0;
    }
    m_fd = fd;
    m_claimedPort = port;
    m_reverse = false;
    int forward = 0;
    m_system.ioctl(m_fd, PPDATADIR, &forward);
    m_base = readBaseAddress(port);
    return 1;
}

std::optional<int32_t> PpdevPort::readBaseAddress(int32_t port) {
    const std::string path =
        "/proc/sys/dev/parport/parport" + std::to_string(kernelIndex(port)) + "/base-addr";
    const std::optional<std::string> text = m_system.readTextFile(path);
    if (!text) {
        return std::nullopt;
    }
    // "888\t1912": the base, then the extended-register base.
    std::istringstream in(*text);
    long base = -1;
    if (!(in >> base) || base <= 0 || base > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<int32_t>(base);
}

int32_t PpdevPort::GetParallelPortInfo(int32_t port, ParallelPortInfo& info) {
    if (info.size != 12) {
        return 0;
    }
    std::optional<int32_t> base = m_fd >= 0 ? m_base : readBaseAddress(port);
    if (!base) {
        base = readBaseAddress(port);
    }
    if (!base) {
        return 0;
    }
    if (m_fd >= 0) {
        m_base = base;
    }
    info.address = *base;
    return 1;
}

int PpdevPort::registerOf(int32_t address) const {
    if (m_fd < 0 || !m_base) {
        return -1;
    }
    // The program keeps addresses as 16-bit patterns: compare those.
    const int32_t offset = (address & 0xFFFF) - (*m_base & 0xFFFF);
    return (offset >= portreg::DataOffset && offset <= portreg::ControlOffset) ? offset : -1;
}

int32_t PpdevPort::InByte(int32_t address) {
    const int reg = registerOf(address);
    if (reg < 0) {
        return 0xFF;
    }
    unsigned char value = 0xFF;
    switch (reg) {
        case portreg::DataOffset:
            if (m_system.ioctl(m_fd, PPRDATA, &value) < 0) {
                return 0xFF;
            }
            return value;
        case portreg::StatusOffset:
            if (m_system.ioctl(m_fd, PPRSTATUS, &value) < 0) {
                return 0xFF;
            }
            return value;
        default:
            if (m_system.ioctl(m_fd, PPRCONTROL, &value) < 0) {
                return 0xFF;
            }
            return (value & portreg::ControlLines) |
                   (m_reverse ? portreg::ControlDirectionInput : 0) |
                   (m_controlShadow & portreg::ControlShadowBits);
    }
}

void PpdevPort::OutByte(int32_t address, int32_t value) {
    const int reg = registerOf(address);
    if (reg < 0) {
        return;
    }
    unsigned char byte = static_cast<unsigned char>(value & 0xFF);
    switch (reg) {
        case portreg::DataOffset:
            m_system.ioctl(m_fd, PPWDATA, &byte);
            break;
        case portreg::StatusOffset:
            break;  // the status register cannot be written
        default: {
            const bool reverse = (byte & portreg::ControlDirectionInput) != 0;
            if (reverse != m_reverse) {
                int dir = reverse ? 1 : 0;
                if (m_system.ioctl(m_fd, PPDATADIR, &dir) >= 0) {
                    m_reverse = reverse;
                }
            }
            m_controlShadow = byte;
            unsigned char lines = byte & portreg::ControlLines;
            m_system.ioctl(m_fd, PPWCONTROL, &lines);
            break;
        }
    }
}

int32_t PpdevPort::ReleaseParallelPort(int32_t /*port*/) {
    if (m_fd < 0) {
        return 0;
    }
    m_system.ioctl(m_fd, PPRELEASE, nullptr);
    m_system.close(m_fd);
    m_fd = -1;
    m_base.reset();
    return 1;
}

std::unique_ptr<ParallelPortLibrary> makeSystemPort(const QString& device) {
    // Holds its own system calls; releases the port before they go.
    struct Owned : PpdevPort {
        explicit Owned(const QString& d) : PpdevPort(system, d) {}
        ~Owned() override { ReleaseParallelPort(0); }
        LinuxPpdevSystem system;
    };
    return std::make_unique<Owned>(device);
}

}  // namespace rq
