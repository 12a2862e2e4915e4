#include "status/QuorStatus.h"

#include <QLabel>
#include <algorithm>
#include <cstdint>

#include "host/ControlRegistry.h"
#include "host/DesignFont.h"
#include "host/PropertyBag.h"
#include "host/ReadOut.h"
#include "host/Twips.h"

namespace rq::controls {

using host::Colour;

namespace {

constexpr Colour DefaultForeColour = host::SystemColour::ButtonText;
constexpr Colour DefaultBackColour = 0xFFFFFF;

// Usable lines by panel height, each test on the height the previous one left.
struct LineStep {
    int below;  // applies to heights below this
    int16_t lines;
};
constexpr std::array<LineStep, 10> LineTable{{
    {375, 1},
    {615, 2},
    {855, 3},
    {1095, 4},
    {1355, 5},
    {1575, 6},
    {1815, 7},
    {2055, 8},
    {2295, 9},
    {INT32_MAX, 10},
}};

// A label's font kept whole, so the control's own font does not leak into the lines.
QFont wholeFont(QFont font) {
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

}  // namespace

QuorStatus::QuorStatus(QWidget* parent) : HostedControl(parent), m_panel(new QWidget(this)) {
    m_panel->setObjectName(QStringLiteral("Panel"));
    host::setBackColour(m_panel, DefaultBackColour);
    const QFont lineFont = wholeFont(ambientFont());
    for (int k = 0; k < LineCount; ++k) {
        auto* label = new QLabel(m_panel);
        label->setObjectName(QStringLiteral("lblText%1").arg(k));
        label->setProperty("Index", k);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setIndent(2);
        label->setFont(lineFont);
        host::setForeColour(label, DefaultForeColour);
        host::setBackColour(label, DefaultBackColour);
        m_lblText[k] = label;
    }
    setBounds(0, 0, 2415, 1470);
}

void QuorStatus::setLine(int k, const QString& text) {
    host::showReadOut(m_lblText[k], text);
}

void QuorStatus::setLineFont(int k, const QFont& font) {
    m_lblText[k]->setFont(wholeFont(font));
}

void QuorStatus::AddItem(const QString& str1, std::optional<uint32_t> LastItemColour) {
    for (int k = 0; k < m_lines; ++k) {
        if (m_lblText[k]->text().isEmpty()) {
            setLine(k, str1);
            if (LastItemColour) {
                host::setForeColour(m_lblText[k], *LastItemColour);
            }
            return;
        }
    }
    const int last = m_lines - 1;
    for (int k = 0; k < last; ++k) {
        setLine(k, m_lblText[k + 1]->text());
        host::setForeColour(m_lblText[k], host::foreColour(m_lblText[k + 1]));
    }
    setLine(last, str1);
    host::setForeColour(m_lblText[last], LastItemColour.value_or(m_foreColour));
}

void QuorStatus::Clear() {
    for (int k = 0; k < LineCount; ++k) {
        setLine(k, QString());
        host::setForeColour(m_lblText[k], m_foreColour);
    }
}

void QuorStatus::setForeColour(Colour value) {
    for (QLabel* label : m_lblText) {
        host::setForeColour(label, value);
    }
    m_foreColour = value;
    reportChange(QStringLiteral("ForeColour"));
}

void QuorStatus::setBackColour(Colour value) {
    for (QLabel* label : m_lblText) {
        host::setBackColour(label, value);
    }
    m_backColour = value;
    reportChange(QStringLiteral("BackColour"));
}

void QuorStatus::setFontBold(bool value) {
    for (int k = 0; k < LineCount; ++k) {
        QFont f = m_lblText[k]->font();
        f.setBold(value);
        setLineFont(k, f);
    }
    m_fontBold = value;
    reportChange(QStringLiteral("FontBold"));
}

void QuorStatus::setFontItalic(bool value) {
    for (int k = 0; k < LineCount; ++k) {
        QFont f = m_lblText[k]->font();
        f.setItalic(value);
        setLineFont(k, f);
    }
    m_fontItalic = value;
    reportChange(QStringLiteral("FontItalic"));
}

void QuorStatus::setFontName(const QString& value) {
    if (!value.isEmpty()) {
        for (int k = 0; k < LineCount; ++k) {
            QFont f = m_lblText[k]->font();
            f.setFamily(host::platformFamily(value));
            setLineFont(k, f);
        }
    }
    m_fontName = value;
    reportChange(QStringLiteral("FontName"));
}

QSize QuorStatus::onResize(QSize asked) {
    const int width = std::max(asked.width(), 0);
    int h = asked.height();  // the panel takes the control's full height first
    for (const LineStep& step : LineTable) {
        if (h < step.below) {
            m_lines = step.lines;
            h = LineHeight + LinePitch * (step.lines - 1);
            break;
        }
    }
    host::placeTwips(m_panel, 0, 0, width, h);
    for (int k = 0; k < LineCount; ++k) {
        host::placeTwips(m_lblText[k], 0, LinePitch * k, width, LineHeight);
    }
    return {width, h + 20};
}

void QuorStatus::readProperties(const host::PropertyBag& bag) {
    // The lines take their look from the keys; the stored values are read after, and the stored
    // font name is not applied.
    for (int k = 0; k < LineCount; ++k) {
        QLabel* label = m_lblText[k];
        host::setForeColour(label, bag.readColour(QStringLiteral("ForeColour"), DefaultForeColour));
        host::setBackColour(label, bag.readColour(QStringLiteral("BackColour"), DefaultBackColour));
        QFont f = label->font();
        f.setItalic(bag.readBool(QStringLiteral("FontItalic"), false));
        f.setBold(bag.readBool(QStringLiteral("FontBold"), false));
        setLineFont(k, f);
    }
    setFont(bag.readFont(QStringLiteral("Font"), ambientFont()));
    m_fontName = bag.readString(QStringLiteral("FontName"), QString());
    m_fontBold = bag.readBool(QStringLiteral("FontBold"), false);
    m_fontItalic = bag.readBool(QStringLiteral("FontItalic"), false);
    m_foreColour = bag.readColour(QStringLiteral("ForeColour"), DefaultForeColour);
    m_backColour = bag.readColour(QStringLiteral("BackColour"), DefaultBackColour);
}

void QuorStatus::writeProperties(host::PropertyBag& bag) const {
    // Line 0's look first, then the stored values over it: the later write is the one kept.
    const QLabel* line0 = m_lblText[0];
    bag.writeColour(QStringLiteral("ForeColour"), host::foreColour(line0), DefaultForeColour);
    bag.writeColour(QStringLiteral("BackColour"), host::backColour(line0), DefaultBackColour);
    bag.writeString(QStringLiteral("FontName"), line0->font().family(), QString());
    bag.writeBool(QStringLiteral("FontItalic"), line0->font().italic(), false);
    bag.writeBool(QStringLiteral("FontBold"), line0->font().bold(), false);
    bag.writeFont(QStringLiteral("Font"), font(), ambientFont());
    bag.writeString(QStringLiteral("FontName"), m_fontName, QString());
    bag.writeBool(QStringLiteral("FontBold"), m_fontBold, false);
    bag.writeBool(QStringLiteral("FontItalic"), m_fontItalic, false);
    bag.writeColour(QStringLiteral("ForeColour"), m_foreColour, DefaultForeColour);
    bag.writeColour(QStringLiteral("BackColour"), m_backColour, DefaultBackColour);
}

void registerStatusPane(host::ControlRegistry& registry) {
    registry.add(QString::fromLatin1(QuorStatus::ProgId),
                 [](QWidget* parent) { return new QuorStatus(parent); });
}

}  // namespace rq::controls
