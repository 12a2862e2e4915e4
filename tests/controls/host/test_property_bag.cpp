// Protects the property store: defaults for absent names, a write of the default removing the
// name so the later of two writes wins, and the values through an INI file and through a
// window's hand-written, read-only design resource.
#include <QSettings>
#include <QTemporaryDir>

#include "WidgetTest.h"
#include "host/DesignFont.h"
#include "host/PropertyBag.h"

using namespace rq::host;

namespace {

class PropertyBagTest : public rq::test::WidgetTest {};

TEST_F(PropertyBagTest, ADefaultIsNotKeptSoTheLaterWriteWins) {
    MemoryPropertyBag bag;
    EXPECT_EQ(bag.readColour(QStringLiteral("BackColor"), 0x8000000F), 0x8000000Fu);
    bag.writeColour(QStringLiteral("ForeColour"), 0xFF, 0x80000012);
    EXPECT_TRUE(bag.contains(QStringLiteral("ForeColour")));
    bag.writeColour(QStringLiteral("ForeColour"), 0x80000012, 0x80000012);
    EXPECT_FALSE(bag.contains(QStringLiteral("ForeColour")));
    EXPECT_EQ(bag.log, QStringList({"r BackColor", "w ForeColour", "w ForeColour"}));
}

TEST_F(PropertyBagTest, EveryKindRoundTripsThroughAnIniFileInItsControlsGroup) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("saved.ini"));
    QFont bold = designFont();
    bold.setBold(true);
    {
        SettingsPropertyBag saved(file, QStringLiteral("ToggleButton1"));
        saved.writeBool(QStringLiteral("Flag"), true, false);
        saved.writeInt(QStringLiteral("Count"), -7, 5);
        saved.writeDouble(QStringLiteral("Ratio"), 0.125, 0);
        saved.writeString(QStringLiteral("Caption"), QStringLiteral("a, \"b\" ,c "), QString());
        saved.writeColour(QStringLiteral("Colour"), SystemColour::ButtonText, 0xFF0000);
        saved.writeFont(QStringLiteral("Font"), bold, designFont());
    }
    const SettingsPropertyBag bag(file, QStringLiteral("ToggleButton1"));
    EXPECT_TRUE(bag.readBool(QStringLiteral("Flag"), false));
    EXPECT_EQ(bag.readInt(QStringLiteral("Count"), 5), -7);
    EXPECT_DOUBLE_EQ(bag.readDouble(QStringLiteral("Ratio"), 0), 0.125);
    EXPECT_EQ(bag.readString(QStringLiteral("Caption"), QString()), QStringLiteral("a, \"b\" ,c "));
    EXPECT_EQ(bag.readColour(QStringLiteral("Colour"), 0xFF0000), SystemColour::ButtonText);
    EXPECT_EQ(bag.readFont(QStringLiteral("Font"), designFont()), bold);
    EXPECT_FALSE(SettingsPropertyBag(file, QStringLiteral("QuorStatus1"))
                     .readBool(QStringLiteral("Flag"), false));
}

TEST_F(PropertyBagTest, AWindowsDesignResourceIsReadOneGroupPerControl) {
    auto design = std::make_shared<QSettings>(QStringLiteral(":/design/frmHostTest.ini"),
                                              QSettings::IniFormat);
    ASSERT_EQ(design->status(), QSettings::NoError);
    const SettingsPropertyBag probe1(design, QStringLiteral("Probe1"));
    const SettingsPropertyBag probe2(design, QStringLiteral("Probe2"));
    EXPECT_EQ(probe1.readString(QStringLiteral("Caption"), QString()),
              QStringLiteral("Histogram Mode"));
    EXPECT_EQ(probe1.readColour(QStringLiteral("Colour"), 0), SystemColour::ButtonText);
    EXPECT_TRUE(probe1.readBool(QStringLiteral("Flag"), false));
    // "MS Sans Serif,8" reaches the bag as a list of two texts.
    const QFont f = probe1.readFont(QStringLiteral("Font"), QFont());
    EXPECT_EQ(f.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(f.pointSize(), 8);
    EXPECT_EQ(probe2.readString(QStringLiteral("Caption"), QString()), QStringLiteral("FFT Mode"));
    EXPECT_EQ(probe2.readColour(QStringLiteral("Colour"), 0xFF), 0xFFu);
    // Hexadecimal colours are bit patterns, not 16-bit integers: &HFF00 is green, not -256.
    EXPECT_EQ(probe2.readColour(QStringLiteral("Green"), 0), 0xFF00u);
    EXPECT_EQ(probe2.readColour(QStringLiteral("Yellow"), 0), 0xFFFFu);
    EXPECT_EQ(probe2.readColour(QStringLiteral("Blue"), 0), 0xFF0000u);
}

}  // namespace
