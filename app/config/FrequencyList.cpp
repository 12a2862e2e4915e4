#include "config/FrequencyList.h"

#include "common/BasicText.h"

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
    applySelectedFrequency(state, list);
}

void SetMaxFreq(ProgramState& state, FrequencyList& list) {
    list.selectOrInsert(state.CurrentSettings.Max_Frequency);
    applySelectedFrequency(state, list);
}

void applySelectedFrequency(ProgramState& state, FrequencyList& list) {
    Settings& s = state.CurrentSettings;
    if (leadingNumber(list.text()) <= s.Max_Frequency) {
        const int32_t f = toInt32(list.text());
        state.BoardClock.checkSampleFrequency(f);
        s.SampleFreq = f;
    } else {
        state.BoardClock.checkSampleFrequency(s.Max_Frequency);
        s.SampleFreq = s.Max_Frequency;
        SetMaxFreq(state, list);
    }
    state.BoardClock.setSampleFrequency(s.SampleFreq);
}

bool SelectSampleFrequency(ProgramState& state, FrequencyList& list) {
    const int at = list.entries().indexOf(QString::number(state.CurrentSettings.SampleFreq));
    if (at < 0) {
        return false;
    }
    list.select(at);
    applySelectedFrequency(state, list);
    return true;
}

OtherFrequency takeOtherFrequency(ProgramState& state, FrequencyList& list, const QString& text) {
    Settings& s = state.CurrentSettings;
    const QString typed = text.trimmed();
    const std::optional<double> f = parseNumber(typed);
    OtherFrequency out;
    out.boxText = text;
    if (!f) {
        return out;
    }
    out.outcome = OtherFrequency::Taken;
    if (*f > s.Max_Frequency) {
        state.BoardClock.checkSampleFrequency(s.Max_Frequency);
        out.boxText = QString::number(s.Max_Frequency);
        s.SampleFreq = s.Max_Frequency;
        state.BoardClock.setSampleFrequency(s.SampleFreq);
        SetMaxFreq(state, list);
        out.chosen = true;
    } else if (*f < 0) {
        const QString first = list.entries().value(0);
        state.BoardClock.checkSampleFrequency(toInt32(first));
        out.boxText = first;
        s.SampleFreq = toInt32(first);
        state.BoardClock.setSampleFrequency(s.SampleFreq);
    } else if (*f > 0) {
        state.BoardClock.checkSampleFrequency(toInt32(typed));
        s.SampleFreq = toInt32(typed);
        list.setText(typed);
        state.BoardClock.setSampleFrequency(s.SampleFreq);
    } else {
        out.outcome = OtherFrequency::Unchanged;
    }
    return out;
}

}  // namespace rq
