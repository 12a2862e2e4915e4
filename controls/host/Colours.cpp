#include "host/Colours.h"

#include <QGuiApplication>
#include <QVariant>
#include <QWidget>
#include <array>

namespace rq::host {

namespace {

struct SystemEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour index to palette colour, chosen for what each one paints on the desktop it
// was named for.
constexpr std::array<SystemEntry, 25> SystemTable{{
    {QPalette::Active, QPalette::Mid},              // scroll bars
    {QPalette::Active, QPalette::Dark},             // desktop
    {QPalette::Active, QPalette::Highlight},        // active title bar
    {QPalette::Inactive, QPalette::Mid},            // inactive title bar
    {QPalette::Active, QPalette::Window},           // menu bar
    {QPalette::Active, QPalette::Base},             // window background
    {QPalette::Active, QPalette::Shadow},           // window frame
    {QPalette::Active, QPalette::WindowText},       // menu text
    {QPalette::Active, QPalette::Text},             // window text
    {QPalette::Active, QPalette::HighlightedText},  // title bar text
    {QPalette::Active, QPalette::Window},           // active border
    {QPalette::Inactive, QPalette::Window},         // inactive border
    {QPalette::Active, QPalette::Dark},             // application workspace
    {QPalette::Active, QPalette::Highlight},        // highlight
    {QPalette::Active, QPalette::HighlightedText},  // highlight text
    {QPalette::Active, QPalette::Button},           // button face
    {QPalette::Active, QPalette::Dark},             // button shadow
    {QPalette::Disabled, QPalette::Text},           // grey text
    {QPalette::Active, QPalette::ButtonText},       // button text
    {QPalette::Disabled, QPalette::WindowText},     // inactive title bar text
    {QPalette::Active, QPalette::Light},            // button highlight
    {QPalette::Active, QPalette::Shadow},           // 3D dark shadow
    {QPalette::Active, QPalette::Midlight},         // 3D light
    {QPalette::Active, QPalette::ToolTipText},      // tooltip text
    {QPalette::Active, QPalette::ToolTipBase},      // tooltip background
}};

// Where the design value is kept on the widget, per palette role it was set on.
constexpr char BackValue[] = "rqBackColour";
constexpr char ForeValue[] = "rqForeColour";

void setRoleColour(QWidget* widget, QPalette::ColorRole role, const char* key, Colour value) {
    QPalette palette = widget->palette();
    palette.setColor(role, toQColor(value));
    widget->setPalette(palette);
    widget->setProperty(key, QVariant::fromValue<uint>(value));
}

Colour roleColour(const QWidget* widget, QPalette::ColorRole role, const char* key) {
    const QColor shown = widget->palette().color(role);
    const QVariant kept = widget->property(key);
    if (kept.isValid() && toQColor(kept.toUInt()) == shown) {
        return kept.toUInt();
    }
    return fromQColor(shown);
}

}  // namespace

QColor toQColor(Colour value) {
    return toQColor(value, QGuiApplication::palette());
}

QColor toQColor(Colour value, const QPalette& palette) {
    if (isSystemColour(value)) {
        const Colour index = value & 0x00FFFFFFu;
        if (index >= SystemTable.size()) {
            return QColor(Qt::black);
        }
        const SystemEntry& e = SystemTable[index];
        return palette.color(e.group, e.role);
    }
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

Colour fromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return rgbColour(rgb.red(), rgb.green(), rgb.blue());
}

void setBackColour(QWidget* widget, Colour value) {
    widget->setAutoFillBackground(true);
    setRoleColour(widget, widget->backgroundRole(), BackValue, value);
}

Colour backColour(const QWidget* widget) {
    return roleColour(widget, widget->backgroundRole(), BackValue);
}

void setForeColour(QWidget* widget, Colour value) {
    setRoleColour(widget, widget->foregroundRole(), ForeValue, value);
}

Colour foreColour(const QWidget* widget) {
    return roleColour(widget, widget->foregroundRole(), ForeValue);
}

}  // namespace rq::host
