#pragma once

#include <QString>
#include <cstdint>

namespace rq {

// The port-information record: size (set to 12 before the call), the port's base address
// (filled in) and a field that is set to 0 and never read.
struct ParallelPortInfo {
    int32_t size = 12;
    int32_t address = 0;
    int32_t reserved = 0;
};

// The printer-port access library the program is written against. A real port (ppdev), the
// simulated board and the scripted test port all stand behind it, so nothing above can tell
// them apart. Addresses are I/O addresses: the claimed port's base for data, +1 status,
// +2 control. A back end that has no hardware at an address reads it as 0xFF and drops writes.
class ParallelPortLibrary {
public:
    virtual ~ParallelPortLibrary() = default;

    virtual int32_t GetParallelPortCount() = 0;
    // Non-zero (low 16 bits) when claimed.
    virtual int32_t ClaimParallelPort(int32_t port, int32_t wait) = 0;
    // Non-zero when info.address holds the port's base address.
    virtual int32_t GetParallelPortInfo(int32_t port, ParallelPortInfo& info) = 0;
    virtual int32_t InByte(int32_t address) = 0;
    virtual void OutByte(int32_t address, int32_t value) = 0;
    virtual int32_t ReleaseParallelPort(int32_t port) = 0;

    // Why the last claim failed, in words a user can act on (what is wrong, and the command
    // that mends it); empty when the back end knows nothing more than that it failed.
    virtual QString claimProblem() const { return QString(); }
};

}  // namespace rq
