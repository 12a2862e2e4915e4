#pragma once

#include <QFont>
#include <QString>
#include <array>
#include <cstdint>

#include "host/Colours.h"
#include "host/HostedControl.h"

class QFrame;
class QLabel;

namespace rq::host {
class ControlRegistry;
}

namespace rq::controls {

// The supply switch panel: six coloured switches that edit one byte, the board's supply latch
// value. A click on a switch toggles it from what its label shows, edits its bit and raises
// Click; the host reads LatchContent in its handler. The panel knows nothing of the board.
//
// Bits: 0-1 memory page (no switch), 2 bus (picBUS), 3 AVDD on (Button2), 4 AVDD 3 V (Button4),
// 5 supply on (Button1), 6 DVDD on (Button3), 7 DVDD 3 V (Button5). A toggle that sets a bit
// keeps bits 8 to 15; one that clears a bit drops them.
//
// Constituents: the faces "Button1" ... "Button5" and "picBUS" with the labels "lbl1" ... "lbl5"
// and "lblBUS" on them, and the captions "txtSupply", "Label2" ... "Label5" and "Label7". Each
// label's text is its accessible name; a face is named by its label's text and described by its
// column caption. The look is fixed: the colour, font and style properties are kept and saved
// but change nothing on screen, and the panel is always 4125 x 930 twips.
class VMBButton : public host::HostedControl {
    Q_OBJECT
    // 16-bit values are int properties: Qt Designer has no editor for short ones.
    Q_PROPERTY(int LatchContent READ LatchContent WRITE setLatchContent)
    Q_PROPERTY(int MemoryPage READ MemoryPage WRITE setMemoryPage)
    Q_PROPERTY(bool EnableQS READ EnableQS WRITE setEnableQS)
    Q_PROPERTY(QString SupplyText READ SupplyText WRITE setSupplyText)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
    Q_PROPERTY(int BackStyle READ BackStyle WRITE setBackStyle)
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE setBorderStyle)

public:
    static constexpr char ProgId[] = "Buttons.VMBButton";
    static constexpr int FixedWidth = 4125;  // twips
    static constexpr int FixedHeight = 930;

    explicit VMBButton(QWidget* parent = nullptr);

    // Stores the value, reports "LatchContent", shows every switch from its bit and takes
    // EnableQS and MemoryPage from bits 2 and 0-1 (stored as they are: nothing else changes in
    // the value and nothing else is reported).
    int16_t LatchContent() const { return m_latch; }
    void setLatchContent(int16_t value);
    // 0 to 3 replaces bits 0-1 (dropping bits 8 to 15) and reports "MemoryPage"; any other page
    // empties the value and changes nothing else. The switches are left as they are.
    int16_t MemoryPage() const { return m_memoryPage; }
    void setMemoryPage(int16_t page);
    // Sets or clears bit 2 (clearing drops bits 8 to 15) and reports "EnableQS"; the bus switch
    // is left as it is.
    bool EnableQS() const { return m_enableQS; }
    void setEnableQS(bool value);
    // The caption over the supply switch (not saved).
    QString SupplyText() const { return m_supplyText; }
    void setSupplyText(const QString& text);

    // Kept, reported and saved only. Font hides QWidget::setFont: the panel's texts keep the
    // design font whatever is set here.
    host::Colour BackColor() const { return m_backColor; }
    void setBackColor(host::Colour value);
    host::Colour ForeColor() const { return m_foreColor; }
    void setForeColor(host::Colour value);
    QFont Font() const { return m_font; }
    void setFont(const QFont& font);
    int16_t BackStyle() const { return m_backStyle; }
    void setBackStyle(int16_t value);
    int16_t BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int16_t value);

    void Refresh() {}

    void initProperties() override;
    // Loading stores LatchContent, MemoryPage and EnableQS without showing them on the switches.
    void readProperties(const host::PropertyBag& bag) override;
    void writeProperties(host::PropertyBag& bag) const override;

Q_SIGNALS:
    void Click();
    // Declared for hosts that connect them; the panel never raises them.
    void DblClick();
    void KeyDown(int16_t KeyCode, int16_t Shift);
    void KeyPress(int16_t KeyAscii);
    void KeyUp(int16_t KeyCode, int16_t Shift);
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);

protected:
    QSize onResize(QSize askedTwips) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Switch {
        QFrame* face;
        QLabel* label;
        int16_t mask;
        bool voltage;  // "3V"/"5V" rather than "ON"/"OFF"
    };
    static constexpr int SwitchCount = 6;

    int switchOf(const QObject* widget) const;
    void toggle(Switch& s);
    void showState(Switch& s, bool set);
    void setLabelText(Switch& s, const QString& text);

    // In the order a new value is shown: bits 7, 6, 5, 4, 3, then 2.
    std::array<Switch, SwitchCount> m_switches{};
    std::array<QLabel*, 6> m_captions{};  // txtSupply, Label2 ... Label5, Label7
    int m_pressed = -1;                   // the switch the left button went down on

    int16_t m_latch = 0;
    int16_t m_memoryPage = 0;
    bool m_enableQS = false;
    QString m_supplyText;
    host::Colour m_backColor = 0;
    host::Colour m_foreColor = 0;
    QFont m_font;
    int16_t m_backStyle = 0;
    int16_t m_borderStyle = 0;
};

// Adds "Buttons.VMBButton" to the registry.
void registerButtons(host::ControlRegistry& registry);

}  // namespace rq::controls
