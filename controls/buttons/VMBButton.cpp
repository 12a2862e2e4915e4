#include "buttons/VMBButton.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

#include "common/BasicText.h"
#include "host/ControlRegistry.h"
#include "host/DesignFont.h"
#include "host/PropertyBag.h"
#include "host/ReadOut.h"
#include "host/Twips.h"

namespace rq::controls {

using host::Colour;

namespace {

const QString OnText = QStringLiteral("ON");
const QString OffText = QStringLiteral("OFF");
const QString ThreeVolts = QStringLiteral("3V");
const QString FiveVolts = QStringLiteral("5V");
const QString DefaultSupplyText = QStringLiteral("12V");

constexpr Colour OnTextColour = 0xFF0000;
constexpr Colour OnFaceColour = 0xFF00;
constexpr Colour OffTextColour = 0xFFFF;
constexpr Colour OffFaceColour = 0xFF;
constexpr Colour ThreeVoltsFaceColour = 0xFFFF;
constexpr Colour FiveVoltsFaceColour = 0xFF00;
// The voltage labels keep their design colour, dark on both of their faces.
constexpr Colour VoltageTextColour = 0x000000;

// Layout in twips. Five columns, each a caption over its switch, grouped as supply | on/off |
// voltage with wider gaps between the groups; the bus switch stands at the right with its
// caption beside it, so it does not read as a sixth supply.
constexpr int CaptionTop = 45;
constexpr int CaptionHeight = 210;
constexpr int SwitchTop = 285;
constexpr int SwitchHeight = 600;
constexpr int ColumnWidth = 540;
constexpr std::array<int, 5> ColumnLeft{45, 675, 1260, 1890, 2475};
constexpr int BusCaptionLeft = 3120;
constexpr int BusCaptionWidth = 375;
constexpr int BusLeft = 3525;
constexpr int FaceBorder = 2;  // pixels of the raised edge

constexpr int BusColumn = 5;

struct SwitchDesign {
    const char* face;
    const char* label;
    int16_t mask;
    bool voltage;
    int column;  // 0..4 under a caption, BusColumn for the bus switch
};

// In the order a new latch value is shown: bits 7, 6, 5, 4, 3, then 2.
constexpr std::array<SwitchDesign, 6> Designs{{
    {"Button5", "lbl5", 0x80, true, 4},
    {"Button3", "lbl3", 0x40, false, 2},
    {"Button1", "lbl1", 0x20, false, 0},
    {"Button4", "lbl4", 0x10, true, 3},
    {"Button2", "lbl2", 0x08, false, 1},
    {"picBUS", "lblBUS", 0x04, false, BusColumn},
}};

struct CaptionDesign {
    const char* name;
    const char* text;
};

// By column; the last is the bus caption.
constexpr std::array<CaptionDesign, 6> Captions{{
    {"txtSupply", "12V"},
    {"Label2", "AVDD"},
    {"Label3", "DVDD"},
    {"Label4", "AVDD"},
    {"Label5", "DVDD"},
    {"Label7", "BUS"},
}};

// A font kept whole, so neither the container's font nor Font reaches the panel's texts.
QFont wholeFont(QFont font) {
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(font);
    host::showReadOut(label, text);
    return label;
}

int16_t latchClearMask(int16_t bit) {
    // Only the other low-byte bits: a clear drops bits 8 to 15 too.
    return int16_t(0xFF & ~bit);
}

}  // namespace

VMBButton::VMBButton(QWidget* parent) : HostedControl(parent), m_supplyText(DefaultSupplyText) {
    const QFont captionFont = wholeFont(host::designFont());
    QFont switchFont = captionFont;
    switchFont.setBold(true);
    switchFont = wholeFont(switchFont);

    // Faces are made left to right so that focus and reading order follow the columns.
    std::array<int, 6> byColumn{};
    for (int k = 0; k < SwitchCount; ++k) {
        byColumn[Designs[k].column] = k;
    }
    for (int k : byColumn) {
        const SwitchDesign& d = Designs[k];
        auto* face = new QFrame(this);
        face->setObjectName(QString::fromLatin1(d.face));
        face->setFrameStyle(QFrame::Panel | QFrame::Raised);
        face->setLineWidth(FaceBorder);
        face->setAccessibleDescription(QString::fromLatin1(Captions[d.column].text));
        auto* label = makeLabel(face, d.label, OffText, switchFont);
        m_switches[k] = Switch{face, label, d.mask, d.voltage};
        face->installEventFilter(this);
        label->installEventFilter(this);
    }
    for (int c = 0; c < int(Captions.size()); ++c) {
        m_captions[c] =
            makeLabel(this, Captions[c].name, QString::fromLatin1(Captions[c].text), captionFont);
    }

    // Design faces: the on/off switches off, the voltage switches at 3 V.
    for (Switch& s : m_switches) {
        showState(s, s.voltage);
        if (s.voltage) {
            host::setForeColour(s.label, VoltageTextColour);
        }
    }
    m_font = ambientFont();
    setBounds(0, 0, FixedWidth, FixedHeight);
}

void VMBButton::setLabelText(Switch& s, const QString& text) {
    host::showReadOut(s.label, text);
    s.face->setAccessibleName(text);
}

void VMBButton::showState(Switch& s, bool set) {
    if (s.voltage) {
        setLabelText(s, set ? ThreeVolts : FiveVolts);
        host::setBackColour(s.face, set ? ThreeVoltsFaceColour : FiveVoltsFaceColour);
        return;
    }
    setLabelText(s, set ? OnText : OffText);
    host::setForeColour(s.label, set ? OnTextColour : OffTextColour);
    host::setBackColour(s.face, set ? OnFaceColour : OffFaceColour);
}

// The state comes from what the label shows, not from the latch value.
void VMBButton::toggle(Switch& s) {
    const bool set = s.label->text() != (s.voltage ? ThreeVolts : OnText);
    showState(s, set);
    m_latch = set ? int16_t(m_latch | s.mask) : int16_t(m_latch & latchClearMask(s.mask));
    Q_EMIT Click();
}

void VMBButton::setLatchContent(int16_t value) {
    m_latch = value;
    reportChange(QStringLiteral("LatchContent"));
    for (Switch& s : m_switches) {
        showState(s, (value & s.mask) != 0);
    }
    // Stored directly: going through their setters would rewrite the value just given.
    m_enableQS = (value & 0x04) != 0;
    m_memoryPage = int16_t(value & 0x03);
}

void VMBButton::setMemoryPage(int16_t page) {
    if (page < 0 || page > 3) {
        m_latch = 0;
        return;
    }
    m_latch = int16_t((m_latch & 0xFC) | page);
    m_memoryPage = page;
    reportChange(QStringLiteral("MemoryPage"));
}

void VMBButton::setEnableQS(bool value) {
    m_enableQS = value;
    reportChange(QStringLiteral("EnableQS"));
    m_latch = value ? int16_t(m_latch | 0x04) : int16_t(m_latch & latchClearMask(0x04));
}

void VMBButton::setSupplyText(const QString& text) {
    m_supplyText = text;
    host::showReadOut(m_captions[0], text);
    for (Switch& s : m_switches) {
        if (s.mask == 0x20) {
            s.face->setAccessibleDescription(text);
        }
    }
    reportChange(QStringLiteral("SupplyText"));
}

void VMBButton::setBackColor(Colour value) {
    m_backColor = value;
    reportChange(QStringLiteral("BackColor"));
}

void VMBButton::setForeColor(Colour value) {
    m_foreColor = value;
    reportChange(QStringLiteral("ForeColor"));
}

void VMBButton::setFont(const QFont& font) {
    m_font = font;
    reportChange(QStringLiteral("Font"));
}

void VMBButton::setBackStyle(int16_t value) {
    m_backStyle = value;
    reportChange(QStringLiteral("BackStyle"));
}

void VMBButton::setBorderStyle(int16_t value) {
    m_borderStyle = value;
    reportChange(QStringLiteral("BorderStyle"));
}

void VMBButton::initProperties() {
    m_latch = 0;
    m_memoryPage = 0;
    m_enableQS = false;
    m_backColor = 0;
    m_foreColor = 0;
    m_backStyle = 0;
    m_borderStyle = 0;
    m_font = ambientFont();
    m_supplyText = DefaultSupplyText;
}

void VMBButton::readProperties(const host::PropertyBag& bag) {
    m_latch = toInt16(bag.readInt(QStringLiteral("LatchContent"), 0));
    m_memoryPage = toInt16(bag.readInt(QStringLiteral("MemoryPage"), 0));
    m_enableQS = bag.readBool(QStringLiteral("EnableQS"), false);
    QWidget::setEnabled(bag.readBool(QStringLiteral("Enabled"), true));
    m_backColor = bag.readColour(QStringLiteral("BackColor"), 0);
    m_foreColor = bag.readColour(QStringLiteral("ForeColor"), 0);
    m_font = bag.readFont(QStringLiteral("Font"), ambientFont());
    m_backStyle = toInt16(bag.readInt(QStringLiteral("BackStyle"), 0));
    m_borderStyle = toInt16(bag.readInt(QStringLiteral("BorderStyle"), 0));
}

void VMBButton::writeProperties(host::PropertyBag& bag) const {
    bag.writeInt(QStringLiteral("LatchContent"), m_latch, 0);
    bag.writeInt(QStringLiteral("MemoryPage"), m_memoryPage, 0);
    bag.writeBool(QStringLiteral("EnableQS"), m_enableQS, false);
    bag.writeBool(QStringLiteral("Enabled"), Enabled(), true);
    bag.writeColour(QStringLiteral("BackColor"), m_backColor, 0);
    bag.writeColour(QStringLiteral("ForeColor"), m_foreColor, 0);
    bag.writeFont(QStringLiteral("Font"), m_font, ambientFont());
    bag.writeInt(QStringLiteral("BackStyle"), m_backStyle, 0);
    bag.writeInt(QStringLiteral("BorderStyle"), m_borderStyle, 0);
}

QSize VMBButton::onResize(QSize) {
    for (int c = 0; c < int(ColumnLeft.size()); ++c) {
        host::placeTwips(m_captions[c], ColumnLeft[c], CaptionTop, ColumnWidth, CaptionHeight);
    }
    host::placeTwips(m_captions[BusColumn], BusCaptionLeft,
                     SwitchTop + (SwitchHeight - CaptionHeight) / 2, BusCaptionWidth,
                     CaptionHeight);
    const int inset = host::toTwips(FaceBorder);
    for (int k = 0; k < SwitchCount; ++k) {
        const int column = Designs[k].column;
        const int left = column == BusColumn ? BusLeft : ColumnLeft[column];
        host::placeTwips(m_switches[k].face, left, SwitchTop, ColumnWidth, SwitchHeight);
        host::placeTwips(m_switches[k].label, inset, inset, ColumnWidth - 2 * inset,
                         SwitchHeight - 2 * inset);
    }
    return {FixedWidth, FixedHeight};
}

int VMBButton::switchOf(const QObject* widget) const {
    for (int k = 0; k < SwitchCount; ++k) {
        if (widget == m_switches[k].face || widget == m_switches[k].label) {
            return k;
        }
    }
    return -1;
}

// A whole left click on a face or its label toggles that switch; a fast second click is a
// click of its own, so every click the user makes is a toggle.
bool VMBButton::eventFilter(QObject* watched, QEvent* event) {
    const int k = switchOf(watched);
    if (k < 0) {
        return HostedControl::eventFilter(watched, event);
    }
    auto* over = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (over->isEnabled() && mouse->button() == Qt::LeftButton) {
                m_pressed = k;
            }
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                return true;
            }
            const bool click = over->isEnabled() && m_pressed == k &&
                               over->rect().contains(mouse->position().toPoint());
            m_pressed = -1;
            if (click) {
                toggle(m_switches[k]);
            }
            return true;
        }
        default:
            return HostedControl::eventFilter(watched, event);
    }
}

void registerButtons(host::ControlRegistry& registry) {
    registry.add(QString::fromLatin1(VMBButton::ProgId),
                 [](QWidget* parent) { return new VMBButton(parent); });
}

}  // namespace rq::controls
