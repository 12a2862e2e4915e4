#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "parport/ParallelPortLibrary.h"

namespace rq {

// A port for tests: records every register access and every library call, answers reads from
// scripted values (per address, first in first out) and otherwise from the last value written
// or set. A read hook can compute a value instead.
class ScriptedPort : public ParallelPortLibrary {
public:
    struct Access {
        bool write = false;
        int32_t address = 0;
        int32_t value = 0;
        bool operator==(const Access&) const = default;
    };

    // Library results.
    int32_t portCount = 1;
    int32_t claimResult = 1;
    int32_t infoResult = 1;
    int32_t infoAddress = 0x378;

    // Library calls in order, as "GetParallelPortCount", "ClaimParallelPort(1,-1)" and so on.
    QStringList calls;
    std::vector<Access> accesses;

    void setRegister(int32_t address, int32_t value) { m_registers[address] = value & 0xFF; }
    int32_t registerValue(int32_t address) const;
    // Values the next reads of address return, in order; after them reads fall back to the
    // register.
    void scriptReads(int32_t address, const std::vector<int32_t>& values);
    void scriptRepeated(int32_t address, int32_t value, int count);
    // When set, called for every read that has no scripted value; returns the byte.
    std::function<int32_t(int32_t address)> readHook;

    int readCount(int32_t address) const;
    std::vector<int32_t> writesTo(int32_t address) const;
    void clearLog();

    int32_t GetParallelPortCount() override;
    int32_t ClaimParallelPort(int32_t port, int32_t wait) override;
    int32_t GetParallelPortInfo(int32_t port, ParallelPortInfo& info) override;
    int32_t InByte(int32_t address) override;
    void OutByte(int32_t address, int32_t value) override;
    int32_t ReleaseParallelPort(int32_t port) override;

private:
    std::map<int32_t, int32_t> m_registers;
    std::map<int32_t, std::deque<int32_t>> m_scripts;
};

}  // namespace rq
