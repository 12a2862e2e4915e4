#include "FrequencyList.h"

#include "BasicText.h"

namespace rq {

QStringList FrequencyList::fixedEntries() {
    return {QStringLiteral("50000"),  QStringLiteral("100000"), QStringLiteral("150000"),
            QStringLiteral("200000"), QStringLiteral("250000"), QStringLiteral("300000"),
            QStringLiteral("350000"), QStringLiteral("400000"), QStringLiteral("450000"),
            QStringLiteral("500000"), QStringLiteral("550000"), QStringLiteral("580000")};
}

void FrequencyList::select(int index) {
    m_selected = index;
    m_text = (index >= 0 && index < m_entries.size()) ? m_entries.at(index) : QString();
}

int FrequencyList::selectOrInsert(int32_t f) {
    int lastNotAbove = -1;
    for (int i = 0; i < m_entries.size(); ++i) {
        const double value = leadingNumber(m_entries.at(i));
        if (value == f) {
            select(i);
            return i;
        }
        if (value <= f) {
            lastNotAbove = i;
        }
    }
    const int at = lastNotAbove + 1;
    m_entries.insert(at, QString::number(f));
    select(at);
    return at;
}

void Add_Frequency(ProgramState& state, FrequencyList& list) {
    list.selectOrInsert(state.CurrentSettings.SampleFreq);
    cboFSample_Click(state, list);
}

void SetMaxFreq(ProgramState& state, FrequencyList& list) {
    list.selectOrInsert(state.CurrentSettings.Max_Frequency);
    cboFSample_Click(state, list);
}

void cboFSample_Click(ProgramState& state, FrequencyList& list) {
    Settings& s = state.CurrentSettings;
    if (leadingNumber(list.text()) <= s.Max_Frequency) {
        s.SampleFreq = toInt32(list.text());
    } else {
        s.SampleFreq = s.Max_Frequency;
        SetMaxFreq(state, list);
    }
    state.BoardClock.setSampleFrequency(s.SampleFreq);
}

}  // namespace rq
