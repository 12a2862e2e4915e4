#pragma once

#include <QString>
#include <cstdint>

#include "common/HostInterfaces.h"
#include "parport/ParallelPortLibrary.h"
#include "state/ProgramState.h"

// Finding, claiming and preparing the printer port, the operating-system check that decides
// whether a claim is needed, and the byte operations every board transfer is built on.
namespace rq {

// The three standard printer-port addresses and their menu entries.
constexpr int16_t LPT1Address = 0x378;
constexpr int16_t LPT2Address = 0x278;
constexpr int16_t PRNAddress = 0x3BC;
enum class PortMenuItem { LPT1, LPT2, PRN };

// What the operating-system query reports. platformId 1 is the 95/98 family and 2 the NT
// family; Linux reports its kernel name and release instead.
struct PlatformVersion {
    static constexpr int Windows9x = 1;
    static constexpr int WindowsNT = 2;
    static constexpr int Linux = 100;
    int platformId = 0;
    int major = 0;
    int minor = 0;
    QString kernelName;
    QString kernelRelease;
};

// The version of the machine the program runs on (uname on Linux).
PlatformVersion queryPlatformVersion();

// The operating-system name: "Windows 95", "Windows 98", "Windows NT 3.51", "Windows NT 4.0",
// "Windows 2000", "" for an unknown version of a known family, "Failed" for an unknown family,
// and on Linux the kernel name and release ("Linux 6.1.0-18-amd64").
QString GetWindowsVersion(const PlatformVersion& version);

// Whether the port must be claimed through the library: everything but the 95/98 family. Linux
// is decided by its platform, never by searching its release text (5.10.98 contains "98").
bool portNeedsClaim(const PlatformVersion& version);

int16_t InPort(ParallelPortLibrary& port, int16_t address);
void OutPort(ParallelPortLibrary& port, int16_t address, int16_t value);

// Start-up: operating system, claim and base address (or &H378 on the 95/98 family), control
// register set-up, then the "/SS" status box.
void InitialisePort(ProgramState& state, ParallelPortLibrary& port, MessageBoxes& boxes,
                    const PlatformVersion& version);
void ClaimPort(ParallelPortLibrary& port, MessageBoxes& boxes);
void GetPortAddress(ProgramState& state, ParallelPortLibrary& port, MessageBoxes& boxes);
void ShowPortStatus(const ProgramState& state, MessageBoxes& boxes);
// Control register: keep bits 2, 4, 6, 7, set bit 5 (data lines in input direction).
void PrepareControlRegister(ProgramState& state, ParallelPortLibrary& port);
// At exit, whatever happened at start-up.
void ReleasePort(ParallelPortLibrary& port);

// A detected address disables the menu entries of the other two standard addresses.
void disableOtherPortMenus(PortMenuState& menu, int16_t address);
// A menu choice changes the address used by later transfers and the check marks; it neither
// claims nor releases a port.
void choosePortMenu(ProgramState& state, PortMenuItem item);

}  // namespace rq
