#include "parport/ScriptedPort.h"

namespace rq {

int32_t ScriptedPort::registerValue(int32_t address) const {
    auto it = m_registers.find(address);
    return it == m_registers.end() ? 0 : it->second;
}

void ScriptedPort::scriptReads(int32_t address, const std::vector<int32_t>& values) {
    auto& queue = m_scripts[address];
    queue.insert(queue.end(), values.begin(), values.end());
}

void ScriptedPort::scriptRepeated(int32_t address, int32_t value, int count) {
    auto& queue = m_scripts[address];
    queue.insert(queue.end(), static_cast<size_t>(count), value);
}

int ScriptedPort::readCount(int32_t address) const {
    int n = 0;
    for (const Access& a : accesses) {
        n += (!a.write && a.address == address) ? 1 : 0;
    }
    return n;
}

std::vector<int32_t> ScriptedPort::writesTo(int32_t address) const {
    std::vector<int32_t> values;
    for (const Access& a : accesses) {
        if (a.write && a.address == address) {
            values.push_back(a.value);
        }
    }
    return values;
}

void ScriptedPort::clearLog() {
    accesses.clear();
    calls.clear();
}

int32_t ScriptedPort::GetParallelPortCount() {
    calls << QStringLiteral("GetParallelPortCount");
    return portCount;
}

int32_t ScriptedPort::ClaimParallelPort(int32_t port, int32_t wait) {
    calls << QStringLiteral("ClaimParallelPort(%1,%2)").arg(port).arg(wait);
    return claimResult;
}

int32_t ScriptedPort::GetParallelPortInfo(int32_t port, ParallelPortInfo& info) {
    calls << QStringLiteral("GetParallelPortInfo(%1,%2)").arg(port).arg(info.size);
    if (infoResult != 0) {
        info.address = infoAddress;
    }
    return infoResult;
}

int32_t ScriptedPort::InByte(int32_t address) {
    int32_t value;
    auto it = m_scripts.find(address);
    if (it != m_scripts.end() && !it->second.empty()) {
        value = it->second.front();
        it->second.pop_front();
    } else if (readHook) {
        value = readHook(address);
    } else {
        value = registerValue(address);
    }
    accesses.push_back({false, address, value});
    return value;
}

void ScriptedPort::OutByte(int32_t address, int32_t value) {
    accesses.push_back({true, address, value});
    m_registers[address] = value & 0xFF;
}

int32_t ScriptedPort::ReleaseParallelPort(int32_t port) {
    calls << QStringLiteral("ReleaseParallelPort(%1)").arg(port);
    return 1;
}

}  // namespace rq
