#pragma once

#include <QString>
#include <cstdint>

namespace rq {

// The value written to the board's 8-bit supply latch (command 3), built bit by bit from the
// supply, bus-switch and memory-page properties. Bit map, bit 0 first: memory page low, memory
// page high, bus switches, AVDD on, AVDD at 3.3 V, +/-15 V on, DVDD on, DVDD at 3 V. AVDD and DVDD
// are inverted: true selects 5 V and clears the bit.
class Latch {
public:
    static constexpr int16_t AllOff = 144;  // both voltage bits set, every supply off

    // Marks latch settings that are only being read from a configuration file; nothing here
    // reads it.
    bool Setup = false;

    int16_t latch() const { return m_value; }
    // Replaces the whole value; the boolean properties keep what they were last given.
    void setLatch(int16_t value) { m_value = value; }

    bool MemoryPage1() const { return m_memoryPage1; }
    void setMemoryPage1(bool b);
    bool MemoryPage0() const { return m_memoryPage0; }
    void setMemoryPage0(bool b);
    bool ENA_QS() const { return m_enaQs; }
    void setENA_QS(bool b);
    bool AVDD_On_Off() const { return m_avddOnOff; }
    void setAVDD_On_Off(bool b);
    bool AVDD() const { return m_avdd; }
    void setAVDD(bool b);
    bool HiSupply() const { return m_hiSupply; }
    void setHiSupply(bool b);
    bool DigiON_OFF() const { return m_digiOnOff; }
    void setDigiON_OFF(bool b);
    bool DVDD() const { return m_dvdd; }
    void setDVDD(bool b);

    // The help text a property browser shows for a property; empty for DVDD and unknown names.
    static QString helpText(const QString& property);

private:
    void setBit(int16_t mask, bool set);

    int16_t m_value = 0;
    bool m_memoryPage1 = false;
    bool m_memoryPage0 = false;
    bool m_enaQs = false;
    bool m_avddOnOff = false;
    bool m_avdd = false;
    bool m_hiSupply = false;
    bool m_digiOnOff = false;
    bool m_dvdd = false;
};

}  // namespace rq
