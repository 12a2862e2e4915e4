#pragma once

#include <QString>
#include <QStringList>

#include "state/ProgramState.h"

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
    // Shows a text with nothing selected (the list itself is unchanged).
    void setText(const QString& text) {
        m_text = text;
        m_selected = -1;
    }

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
// and is programmed into the sample clock. A frequency the clock refuses (510 for 0 or less, 6
// for 4 Hz or less) raises before anything changes.
void applySelectedFrequency(ProgramState& state, FrequencyList& list);
// SelectSampleFrequency: selects and chooses the first entry that reads SampleFreq in decimal
// digits. False when there is none (nothing changes then).
bool SelectSampleFrequency(ProgramState& state, FrequencyList& list);

// What leaving the other-frequency box did.
struct OtherFrequency {
    enum Outcome { NotANumber, Unchanged, Taken };
    Outcome outcome = NotANumber;
    QString boxText;      // what the box shows afterwards
    bool chosen = false;  // an entry was selected and chosen, which moves the focus on
};
// A frequency typed into the other-frequency box: above Max_Frequency the maximum is selected
// and chosen, below 0 the first entry is taken, 0 changes nothing, anything else becomes
// SampleFreq and the list's text. A frequency the sample clock refuses raises before anything
// changes.
OtherFrequency takeOtherFrequency(ProgramState& state, FrequencyList& list, const QString& text);

}  // namespace rq
