#pragma once

#include <QString>
#include <QStringList>

#include "ProgramState.h"

namespace rq {

// The setup window's sample-frequency list: its entries in ascending order, the selected one
// and the text shown. Picking an entry limits the sample frequency to the converter's maximum
// and programs the sample clock, as the window's list does.
class FrequencyList {
public:
    // The entries the list starts with at every opening.
    static QStringList fixedEntries();

    FrequencyList() : m_entries(fixedEntries()) {}

    const QStringList& entries() const { return m_entries; }
    int selected() const { return m_selected; }
    const QString& text() const { return m_text; }
    // Shows a text without selecting anything (the list itself is unchanged).
    void setText(const QString& text) { m_text = text; }

    // Selects the entry equal to f, or inserts f after the last entry not above it (first when
    // there is none) and selects it. Returns the selected position. The list stays ascending and
    // never holds a value twice. Selecting does not run the choice; the callers below do.
    int selectOrInsert(int32_t f);
    void select(int index);

private:
    QStringList m_entries;
    int m_selected = -1;
    QString m_text;
};

// Add_Frequency: SampleFreq into the list, selected and chosen.
void Add_Frequency(ProgramState& state, FrequencyList& list);
// SetMaxFreq: the same for Max_Frequency.
void SetMaxFreq(ProgramState& state, FrequencyList& list);
// The choice of the selected entry: the frequency, limited to Max_Frequency, becomes SampleFreq
// and is programmed into the sample clock (which raises 510 for 0 or less).
void cboFSample_Click(ProgramState& state, FrequencyList& list);

}  // namespace rq
