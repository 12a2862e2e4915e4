#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

class QWidget;

// Colours in the design's encoding: 32 bits, red in the lowest byte, green in the next, blue in
// the third. Values from &H80000000 up name a system colour by its index in the low byte; they
// are drawn in the matching colour of the application palette and read back as the same value.
namespace rq::host {

using Colour = uint32_t;

constexpr Colour rgbColour(int red, int green, int blue) {
    return Colour(red & 0xFF) | Colour(green & 0xFF) << 8 | Colour(blue & 0xFF) << 16;
}
constexpr bool isSystemColour(Colour value) {
    return (value & 0x80000000u) != 0;
}

// The system colours a user of the controls meets.
namespace SystemColour {
constexpr Colour ScrollBars = 0x80000000;
constexpr Colour Desktop = 0x80000001;
constexpr Colour ActiveTitleBar = 0x80000002;
constexpr Colour InactiveTitleBar = 0x80000003;
constexpr Colour MenuBar = 0x80000004;
constexpr Colour WindowBackground = 0x80000005;
constexpr Colour WindowFrame = 0x80000006;
constexpr Colour MenuText = 0x80000007;
constexpr Colour WindowText = 0x80000008;
constexpr Colour TitleBarText = 0x80000009;
constexpr Colour ActiveBorder = 0x8000000A;
constexpr Colour InactiveBorder = 0x8000000B;
constexpr Colour ApplicationWorkspace = 0x8000000C;
constexpr Colour Highlight = 0x8000000D;
constexpr Colour HighlightText = 0x8000000E;
constexpr Colour ButtonFace = 0x8000000F;
constexpr Colour ButtonShadow = 0x80000010;
constexpr Colour GrayText = 0x80000011;
constexpr Colour ButtonText = 0x80000012;
constexpr Colour InactiveTitleBarText = 0x80000013;
constexpr Colour ButtonHighlight = 0x80000014;
constexpr Colour ButtonDarkShadow = 0x80000015;
constexpr Colour ButtonLight = 0x80000016;
constexpr Colour InfoText = 0x80000017;
constexpr Colour InfoBackground = 0x80000018;
}  // namespace SystemColour

// The colour to draw. System colours come from the palette given (by default the
// application's); an index beyond the table draws black.
QColor toQColor(Colour value);
QColor toQColor(Colour value, const QPalette& palette);

// The design value of a drawn colour (never a system colour: see foreColour and backColour).
Colour fromQColor(const QColor& colour);

// Background and text colour of a widget in the design encoding. The value set is kept with the
// widget, so a system colour reads back as itself while the widget still shows it.
void setBackColour(QWidget* widget, Colour value);
Colour backColour(const QWidget* widget);
void setForeColour(QWidget* widget, Colour value);
Colour foreColour(const QWidget* widget);

}  // namespace rq::host
