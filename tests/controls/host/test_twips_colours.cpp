// Protects the widget edge of the design's numbers: twips to pixels and back, the colour
// encoding with its system colours, and the font that stands in for the design font.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

#include "WidgetTest.h"
#include "host/Colours.h"
#include "host/DesignFont.h"
#include "host/Twips.h"

using namespace rq::host;

namespace {

class WidgetEdgeTest : public rq::test::WidgetTest {};

TEST_F(WidgetEdgeTest, TwipsLandOnWholePixelsAndReadBackUntilQtMovesTheWidget) {
    EXPECT_EQ(toPixels(7), 0);
    EXPECT_EQ(toPixels(8), 1);
    EXPECT_EQ(onPixelGrid(1690), 1695);  // as the platform reports a length between pixels
    EXPECT_EQ(onPixelGrid(2410), 2415);

    QWidget parent;
    QLabel child(&parent);
    placeTwips(&child, 2400, 8, 2415, 1475);
    EXPECT_EQ(child.geometry(), QRect(160, 1, 161, 98));
    EXPECT_EQ(twipsGeometry(&child), QRect(2400, 8, 2415, 1475));
    child.resize(100, 20);  // a layout or the user
    EXPECT_EQ(twipsGeometry(&child), QRect(2400, 8, 1500, 300));
}

TEST_F(WidgetEdgeTest, ColoursHoldRedInTheLowByteAndSystemColoursKeepTheirValue) {
    EXPECT_EQ(toQColor(0xFFFF), QColor(255, 255, 0));
    EXPECT_EQ(toQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(fromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    QPalette p;
    p.setColor(QPalette::Button, QColor(1, 2, 3));
    p.setColor(QPalette::Base, QColor(7, 8, 9));
    EXPECT_EQ(toQColor(SystemColour::ButtonFace, p), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(SystemColour::WindowBackground, p), QColor(7, 8, 9));
    EXPECT_EQ(toQColor(0x80000019, p), QColor(Qt::black));  // beyond the table

    QLabel label;
    setForeColour(&label, SystemColour::ButtonText);
    EXPECT_EQ(label.palette().color(QPalette::WindowText),
              QGuiApplication::palette().color(QPalette::ButtonText));
    EXPECT_EQ(foreColour(&label), SystemColour::ButtonText);
    QPalette changed = label.palette();  // recoloured behind the helpers' back: what is drawn
    changed.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label.setPalette(changed);
    EXPECT_EQ(foreColour(&label), 0xFF0000u);
}

TEST_F(WidgetEdgeTest, TheDesignFontIsLiberationSansAndFitsTheDesignsBoxes) {
    // Fails when fonts-liberation2 is missing: captions would fall back to a wider face.
    ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("Liberation Sans")));
    EXPECT_EQ(QFontInfo(designFont()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_DOUBLE_EQ(designFont().pointSizeF(), 8.0);
    installFontSubstitutions();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS Sans Serif"), 8)).family(),
              QStringLiteral("Liberation Sans"));

    // A status line is 255 twips high at a pitch of 240; the main window's mode switch is 1335
    // twips wide within its frame. A wider sans-serif (DejaVu Sans: 90 pixels) clips there.
    const QFontMetrics m(designFont());
    EXPECT_LE(m.height(), toPixels(240));
    EXPECT_LE(m.horizontalAdvance(QStringLiteral("Histogram Mode")), toPixels(1335) - 6);
}

}  // namespace
