#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>

#include "histogram/HistogramCore.h"
#include "host/Colours.h"
#include "host/HostedControl.h"

class QFrame;
class QLabel;

namespace rq::host {
class ControlRegistry;
}

namespace rq::controls {

// The code histogram: Draw counts the codes of a record and shows them as up to sixteen rows of
// binary code text, bar and count, with six statistics beside them. The counting and the layout
// numbers are the histogram core's; this widget places and colours what the core works out.
//
// Constituents: "Panel" holding the rows "lblCODE0".."lblCODE15", "shape10".."shape115" (the
// bars) and "lblCOUNT0".."lblCOUNT15"; "picInfo" holding "lblNames0".."lblNames5" and
// "lblResults0".."lblResults5". Each numbered constituent carries its index in the property
// "Index"; a label's text is its accessible name.
//
// The height snaps to the row grid (8 rows at 1515 twips up to 16 at 2955) and reads back as the
// platform reports it on whole pixels (1690 as 1695); Rows follows the reported height.
class QuorHistogram : public host::HostedControl {
    Q_OBJECT
    Q_PROPERTY(uint HistogramPanelBackground READ HistogramPanelBackground WRITE
                   setHistogramPanelBackground)
    Q_PROPERTY(uint StatusBackground READ StatusBackground WRITE setStatusBackground)
    Q_PROPERTY(uint BarColour READ BarColour WRITE setBarColour)
    Q_PROPERTY(uint CodeLabelColour READ CodeLabelColour WRITE setCodeLabelColour)
    Q_PROPERTY(uint CountLabelColour READ CountLabelColour WRITE setCountLabelColour)
    Q_PROPERTY(uint InfoLabelColour READ InfoLabelColour WRITE setInfoLabelColour)
    Q_PROPERTY(uint ResultsLabelColour READ ResultsLabelColour WRITE setResultsLabelColour)

public:
    static constexpr char ProgId[] = "HistoPane.QuorHistogram";
    static constexpr int RowCount = histogram::MaxRows;
    static constexpr int StatisticCount = 6;
    // Width of the statistics box, in twips: room for "Max Code:" and a value like "-32768.000".
    static constexpr int InfoWidth = 2055;

    explicit QuorHistogram(QWidget* parent = nullptr);

    // Draws the record (n >= 2 codes). NumberOfBits and ReturnArray are part of the interface
    // and not used. A failure (11 for one element, 6 for a row past 32767 samples, ...) reaches
    // the caller with every row hidden and the statistics written so far left on show.
    void Draw(std::span<const double> DataArray, int16_t NumberOfBits = 0,
              std::span<double> ReturnArray = {});
    // The top NumBits - Blanks bits of Number in binary, then Blanks "X" characters.
    QString Dec2Bin(int64_t Number, int16_t NumBits, double Blanks) const;

    // The two backgrounds act on their boxes at once and read them back.
    host::Colour HistogramPanelBackground() const;
    void setHistogramPanelBackground(host::Colour value);
    host::Colour StatusBackground() const;
    void setStatusBackground(host::Colour value);
    // Stored values (0 on a new control): the constituents take them when saved state is next
    // loaded. Every setter reports the change under the persisted name.
    host::Colour BarColour() const { return m_barColour; }
    void setBarColour(host::Colour value);
    host::Colour CodeLabelColour() const { return m_codeLabelColour; }
    void setCodeLabelColour(host::Colour value);
    host::Colour CountLabelColour() const { return m_countLabelColour; }
    void setCountLabelColour(host::Colour value);
    host::Colour InfoLabelColour() const { return m_infoLabelColour; }
    void setInfoLabelColour(host::Colour value);
    host::Colour ResultsLabelColour() const { return m_resultsLabelColour; }
    void setResultsLabelColour(host::Colour value);

    // Usable rows and the width in twips of a bar that holds every sample (never negative), both
    // set by every resize.
    int16_t Rows() const { return m_rows; }
    int32_t BarLength() const { return m_barLength; }

    void initProperties() override;
    void readProperties(const host::PropertyBag& bag) override;
    void writeProperties(host::PropertyBag& bag) const override;

protected:
    QSize onResize(QSize askedTwips) override;

private:
    void showDisplay(const histogram::Display& display);
    void setCaption(QLabel* label, const QString& text);

    QFrame* m_panel;
    QFrame* m_picInfo;
    std::array<QLabel*, RowCount> m_lblCode{};
    std::array<QWidget*, RowCount> m_shape1{};
    std::array<QLabel*, RowCount> m_lblCount{};
    std::array<QLabel*, StatisticCount> m_lblNames{};
    std::array<QLabel*, StatisticCount> m_lblResults{};

    histogram::Display m_display;  // kept across calls: a failed Draw leaves earlier statistics
    int16_t m_rows = histogram::MinRows;
    int32_t m_barLength = 0;
    host::Colour m_barColour = 0;
    host::Colour m_codeLabelColour = 0;
    host::Colour m_countLabelColour = 0;
    host::Colour m_infoLabelColour = 0;
    host::Colour m_resultsLabelColour = 0;
};

// Adds "HistoPane.QuorHistogram" to the registry.
void registerHistoPane(host::ControlRegistry& registry);

}  // namespace rq::controls
