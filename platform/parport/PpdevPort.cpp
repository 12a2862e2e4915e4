#include "PpdevPort.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace rq {

bool LinuxPpdevSystem::exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

int LinuxPpdevSystem::open(const std::string& path) {
    return ::open(path.c_str(), O_RDWR);
}

int LinuxPpdevSystem::close(int fd) {
    return ::close(fd);
}

int LinuxPpdevSystem::ioctl(int fd, unsigned long request, void* arg) {
    return ::ioctl(fd, request, arg);
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
    const int fd = m_system.open(devicePath(port));
    if (fd < 0) {
        return 0;
    }
    if (m_system.ioctl(fd, PPCLAIM, nullptr) < 0) {
        m_system.close(fd);
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
    return (offset >= 0 && offset <= 2) ? offset : -1;
}

int32_t PpdevPort::InByte(int32_t address) {
    const int reg = registerOf(address);
    if (reg < 0) {
        return 0xFF;
    }
    unsigned char value = 0xFF;
    switch (reg) {
        case 0:
            if (m_system.ioctl(m_fd, PPRDATA, &value) < 0) {
                return 0xFF;
            }
            return value;
        case 1:
            if (m_system.ioctl(m_fd, PPRSTATUS, &value) < 0) {
                return 0xFF;
            }
            return value;
        default:
            if (m_system.ioctl(m_fd, PPRCONTROL, &value) < 0) {
                return 0xFF;
            }
            return (value & 0x0F) | (m_reverse ? 0x20 : 0) | (m_controlShadow & 0xD0);
    }
}

void PpdevPort::OutByte(int32_t address, int32_t value) {
    const int reg = registerOf(address);
    if (reg < 0) {
        return;
    }
    unsigned char byte = static_cast<unsigned char>(value & 0xFF);
    switch (reg) {
        case 0:
            m_system.ioctl(m_fd, PPWDATA, &byte);
            break;
        case 1:
            break;  // the status register cannot be written
        default: {
            const bool reverse = (byte & 0x20) != 0;
            if (reverse != m_reverse) {
                int dir = reverse ? 1 : 0;
                if (m_system.ioctl(m_fd, PPDATADIR, &dir) >= 0) {
                    m_reverse = reverse;
                }
            }
            m_controlShadow = byte;
            unsigned char lines = byte & 0x0F;
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
