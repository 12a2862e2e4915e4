#include "board/WindowsVersion.h"

#include <sys/utsname.h>

#include "common/BasicText.h"
#include "parport/PortRegisters.h"

namespace rq {

PlatformVersion queryPlatformVersion() {
    PlatformVersion v;
    v.platformId = PlatformVersion::Linux;
    struct utsname names {};
    if (::uname(&names) == 0) {
        v.kernelName = QString::fromLocal8Bit(names.sysname);
        v.kernelRelease = QString::fromLocal8Bit(names.release);
    }
    return v;
}

QString GetWindowsVersion(const PlatformVersion& version) {
    switch (version.platformId) {
        case PlatformVersion::Windows9x:
            if (version.minor == 0) {
                return QStringLiteral("Windows 95");
            }
            return version.minor == 10 ? QStringLiteral("Windows 98") : QString();
        case PlatformVersion::WindowsNT:
            switch (version.major) {
                case 3:
                    return QStringLiteral("Windows NT 3.51");
                case 4:
                    return QStringLiteral("Windows NT 4.0");
                case 5:
                    return QStringLiteral("Windows 2000");
                default:
                    return QString();
            }
        case PlatformVersion::Linux:
            return (version.kernelName + u' ' + version.kernelRelease).trimmed();
        default:
            return QStringLiteral("Failed");
    }
}

bool portNeedsClaim(const PlatformVersion& version) {
    if (version.platformId == PlatformVersion::Linux) {
        return true;
    }
    const QString name = GetWindowsVersion(version);
    return !(name.contains(u"95") || name.contains(u"98"));
}

int16_t InPort(ParallelPortLibrary& port, int16_t address) {
    return static_cast<int16_t>(port.InByte(address) & 255);
}

void OutPort(ParallelPortLibrary& port, int16_t address, int16_t value) {
    port.OutByte(address, value);
}

void ClaimPort(ParallelPortLibrary& port, MessageBoxes& boxes) {
    port.GetParallelPortCount();
    const int32_t claimed = port.ClaimParallelPort(1, -1);
    if ((claimed & 0xFFFF) == 0) {
        // The back end's account of the failure follows the box's own line, so that the user
        // learns what is wrong and how to mend it.
        QString text = QStringLiteral("claim parallel port failed");
        if (const QString problem = port.claimProblem(); !problem.isEmpty()) {
            text += QStringLiteral("\n\n") + problem;
        }
        boxes.show(text, QString(), MsgIcon::None, MsgButtons::Ok);
    }
}

void GetPortAddress(ProgramState& state, ParallelPortLibrary& port, MessageBoxes& boxes) {
    ParallelPortInfo info;
    info.size = 12;
    info.reserved = 0;
    if (port.GetParallelPortInfo(1, info) == 0) {
        boxes.show(QStringLiteral("This PC does not appear to have a Printer Port"),
                   QStringLiteral("GetPortAddress Error"), MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    // The 16-bit pattern of the address: ports on expansion cards sit above &H7FFF, where a
    // signed conversion would overflow and stop the start-up.
    state.PortAddress = static_cast<int16_t>(static_cast<uint16_t>(info.address & 0xFFFF));
    disableOtherPortMenus(state.PortMenu, state.PortAddress);
}

void ShowPortStatus(const ProgramState& state, MessageBoxes& boxes) {
    if (!state.commandLine.has(QStringLiteral("/SS"))) {
        return;
    }
    const QString text = QStringLiteral("Windows Version:") + state.OSVersion + u'\r' +
                         QStringLiteral("Port Address:0x") + hexPadded(state.PortAddress, 0, 16);
    boxes.show(text, QStringLiteral("Show Status"), MsgIcon::Information, MsgButtons::Ok);
}

void PrepareControlRegister(ProgramState& state, ParallelPortLibrary& port) {
    const int16_t control = static_cast<int16_t>(state.PortAddress + portreg::ControlOffset);
    const int16_t value = static_cast<int16_t>((InPort(port, control) & portreg::ControlKeptBits) |
                                               portreg::ControlDirectionInput);
    OutPort(port, control, value);
}

void InitialisePort(ProgramState& state, ParallelPortLibrary& port, MessageBoxes& boxes,
                    const PlatformVersion& version) {
    state.OSVersion = GetWindowsVersion(version);
    if (!portNeedsClaim(version)) {
        state.PortAddress = LPT1Address;
    } else {
        ClaimPort(port, boxes);
        GetPortAddress(state, port, boxes);
    }
    PrepareControlRegister(state, port);
    ShowPortStatus(state, boxes);
}

void ReleasePort(ParallelPortLibrary& port) {
    port.ReleaseParallelPort(1);
}

void disableOtherPortMenus(PortMenuState& menu, int16_t address) {
    switch (address) {
        case LPT2Address:
            menu.lpt1Enabled = false;
            menu.prnEnabled = false;
            break;
        case LPT1Address:
            menu.lpt2Enabled = false;
            menu.prnEnabled = false;
            break;
        case PRNAddress:
            menu.lpt1Enabled = false;
            menu.lpt2Enabled = false;
            break;
        default:
            break;
    }
}

void choosePortMenu(ProgramState& state, PortMenuItem item) {
    PortMenuState& menu = state.PortMenu;
    // Every choice checks its own entry, LPT1 included, so the checked entry always names the
    // port in use.
    switch (item) {
        case PortMenuItem::LPT1:
            state.PortAddress = LPT1Address;
            break;
        case PortMenuItem::LPT2:
            state.PortAddress = LPT2Address;
            break;
        case PortMenuItem::PRN:
            state.PortAddress = PRNAddress;
            break;
    }
    menu.lpt1Checked = item == PortMenuItem::LPT1;
    menu.lpt2Checked = item == PortMenuItem::LPT2;
    menu.prnChecked = item == PortMenuItem::PRN;
}

}  // namespace rq
