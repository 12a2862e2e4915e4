// Protects the status list: which line a new text goes to and the colour it takes, the scroll of
// a full list, the line table of the resize rule with its 1355 boundary, lines kept hidden below,
// and the order in which saved state is read and written.
#include <QLabel>
#include <QSignalSpy>

#include "WidgetTest.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/Twips.h"
#include "status/QuorStatus.h"

using rq::controls::QuorStatus;
using namespace rq::host;

namespace {

constexpr Colour Red = 0xFF;
constexpr Colour Green = 0xFF00;
constexpr Colour Blue = 0xFF0000;

class QuorStatusTest : public rq::test::WidgetTest {
protected:
    QLabel* line(int k) { return list.findChild<QLabel*>(QStringLiteral("lblText%1").arg(k)); }
    Colour colour(int k) { return foreColour(line(k)); }
    QStringList texts(int from, int to) {
        QStringList out;
        for (int k = from; k <= to; ++k) {
            out << line(k)->text();
        }
        return out;
    }
    void setLines(int lines) { list.setHeight(255 + 240 * (lines - 1)); }

    QWidget window;
    QuorStatus list{&window};
};

TEST_F(QuorStatusTest, AFullListScrollsUpTakingEachColourWithItsText) {
    setLines(3);
    list.AddItem(QStringLiteral("A"), Red);
    list.AddItem(QStringLiteral("B"), Green);
    list.AddItem(QStringLiteral("C"));
    list.AddItem(QStringLiteral("D"), Blue);
    EXPECT_EQ(texts(0, 3), QStringList({"B", "C", "D", ""}));
    EXPECT_EQ(colour(0), Green);
    EXPECT_EQ(colour(1), SystemColour::ButtonText);  // C kept its slot's design colour
    EXPECT_EQ(colour(2), Blue);
    EXPECT_EQ(line(1)->accessibleName(), QStringLiteral("C"));
}

TEST_F(QuorStatusTest, ALineWithoutColourTakesForeColourOnlyWhenTheListIsFull) {
    setLines(2);
    list.AddItem(QStringLiteral("x"), Red);
    list.AddItem(QStringLiteral("y"), Red);
    list.AddItem(QStringLiteral("z"));
    EXPECT_EQ(colour(1), 0u);  // ForeColour, still 0 on a new list

    list.setForeColour(Green);  // all ten lines
    list.AddItem(QStringLiteral("w"), Red);
    list.AddItem(QStringLiteral("v"));
    EXPECT_EQ(texts(0, 1), QStringList({"w", "v"}));
    EXPECT_EQ(colour(0), Red);
    EXPECT_EQ(colour(1), Green);

    list.Clear();
    EXPECT_EQ(texts(0, 9), QStringList(10, QString()));
    list.AddItem(QStringLiteral("after"));
    EXPECT_EQ(colour(0), Green);  // the slot's colour, which Clear made ForeColour
}

TEST_F(QuorStatusTest, AnEmptyTextFillsASlotThatTheNextLineTakesAgain) {
    list.AddItem(QString(), Red);
    list.AddItem(QStringLiteral("next"));
    EXPECT_EQ(texts(0, 1), QStringList({"next", ""}));
    EXPECT_EQ(colour(0), Red);
}

TEST_F(QuorStatusTest, TheHeightSnapsToWholeLines) {
    // Asked height, lines, panel height.
    const int cases[][3] = {{0, 1, 255},     {374, 1, 255},   {375, 2, 495},    {1094, 4, 975},
                            {1335, 5, 1215}, {1354, 5, 1215}, {1355, 6, 1455},  {1400, 6, 1455},
                            {1575, 7, 1695}, {2294, 9, 2175}, {2295, 10, 2415}, {9000, 10, 2415}};
    QWidget* panel = list.findChild<QWidget*>(QStringLiteral("Panel"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        list.setBounds(4920, 0, 2415, c[0]);
        EXPECT_EQ(list.Lines(), c[1]);
        EXPECT_EQ(twipsGeometry(panel), QRect(0, 0, 2415, c[2]));
        EXPECT_EQ(list.Height(), c[2] + 20);
    }
    EXPECT_EQ(twipsGeometry(line(9)), QRect(0, 2160, 2415, 255));

    window.show();
    list.resize(120, 50);  // by Qt in pixels: 750 twips, 3 lines
    EXPECT_EQ(list.Lines(), 3);
    EXPECT_EQ(list.Height(), 755);
    EXPECT_EQ(twipsGeometry(line(0)).width(), 1800);
}

TEST_F(QuorStatusTest, LinesBelowAreKeptHiddenAndShowAgainOnGrowing) {
    window.resize(200, 200);
    window.show();
    setLines(10);
    for (int k = 0; k < 10; ++k) {
        list.AddItem(QStringLiteral("line %1").arg(k));
    }
    setLines(3);
    EXPECT_FALSE(line(2)->visibleRegion().isEmpty());
    EXPECT_TRUE(line(4)->visibleRegion().isEmpty());
    list.AddItem(QStringLiteral("new"));  // scrolls the usable three only
    EXPECT_EQ(texts(0, 3), QStringList({"line 1", "line 2", "new", "line 3"}));
    setLines(10);
    EXPECT_FALSE(line(9)->visibleRegion().isEmpty());
    EXPECT_EQ(line(9)->text(), QStringLiteral("line 9"));
}

TEST_F(QuorStatusTest, LoadingReadsTheLineLookThenTheFontThenTheStoredValues) {
    MemoryPropertyBag bag;
    bag.writeColour(QStringLiteral("ForeColour"), Red, 0);
    bag.writeBool(QStringLiteral("FontBold"), true, false);
    bag.writeString(QStringLiteral("FontName"), QStringLiteral("Courier New"), QString());
    bag.writeFont(QStringLiteral("Font"), QFont(QStringLiteral("Liberation Serif"), 12), QFont());
    bag.log.clear();
    list.readProperties(bag);
    QStringList expected;
    for (int k = 0; k < 10; ++k) {
        expected << "r ForeColour"
                 << "r BackColour"
                 << "r FontItalic"
                 << "r FontBold";
    }
    expected << "r Font"
             << "r FontName"
             << "r FontBold"
             << "r FontItalic"
             << "r ForeColour"
             << "r BackColour";
    EXPECT_EQ(bag.log, expected);
    EXPECT_EQ(colour(7), Red);
    EXPECT_EQ(backColour(line(7)), 0xFFFFFFu);
    EXPECT_TRUE(line(7)->font().bold());
    EXPECT_EQ(line(7)->font().family(), QStringLiteral("Liberation Sans"));  // name not applied
    EXPECT_EQ(list.font().family(), QStringLiteral("Liberation Serif"));     // the control's own
    EXPECT_EQ(list.FontName(), QStringLiteral("Courier New"));
    EXPECT_EQ(list.ForeColour(), Red);
    EXPECT_EQ(list.BackColour(), 0xFFFFFFu);

    // Setting the name does reach the lines, through the design family's stand-in.
    list.setFontName(QStringLiteral("Courier New"));
    EXPECT_EQ(line(7)->font().family(), QStringLiteral("Liberation Mono"));
}

TEST_F(QuorStatusTest, SavingWritesLineZerosLookThenTheStoredValuesOverIt) {
    // A new list: line 0 shows the design colours while the stored values are still 0.
    MemoryPropertyBag bag;
    list.writeProperties(bag);
    EXPECT_EQ(bag.log, QStringList({"w ForeColour", "w BackColour", "w FontName", "w FontItalic",
                                    "w FontBold", "w Font", "w FontName", "w FontBold",
                                    "w FontItalic", "w ForeColour", "w BackColour"}));
    EXPECT_EQ(bag.readColour(QStringLiteral("ForeColour"), Red), 0u);
    EXPECT_FALSE(bag.contains(QStringLiteral("FontName")));

    // A list loaded from its design comes back as it was.
    MemoryPropertyBag design;
    design.writeColour(QStringLiteral("ForeColour"), Blue, 0);
    design.writeBool(QStringLiteral("FontItalic"), true, false);
    QuorStatus first;
    first.readProperties(design);
    MemoryPropertyBag saved;
    first.writeProperties(saved);
    list.readProperties(saved);
    EXPECT_EQ(list.ForeColour(), Blue);
    EXPECT_TRUE(list.FontItalic());
    EXPECT_EQ(colour(0), Blue);
}

TEST_F(QuorStatusTest, ServesAsTheCoresMessageListAndIsCreatedByIdentifier) {
    ControlRegistry registry;
    rq::controls::registerStatusPane(registry);
    MemoryPropertyBag design;
    design.writeBool(QStringLiteral("FontBold"), true, false);
    auto* created = registry.create<QuorStatus>(QStringLiteral("StatusPane.QuorStatus"), &window,
                                                QStringLiteral("QuorStatus1"), &design);
    placeTwips(created, 4920, 0, 2415, 1470);
    EXPECT_EQ(created->Lines(), 6);
    EXPECT_EQ(created->Height(), 1475);
    rq::MessageList& messages = *created;
    messages.AddItem(QStringLiteral("Board Reset"), 255);
    auto* l0 = created->findChild<QLabel*>(QStringLiteral("lblText0"));
    EXPECT_EQ(l0->text(), QStringLiteral("Board Reset"));
    EXPECT_EQ(foreColour(l0), 255u);
    EXPECT_TRUE(l0->font().bold());
}

TEST_F(QuorStatusTest, PictureOfTheMainWindowsTwoLists) {
    window.resize(toPixels(7500), toPixels(1600));
    MemoryPropertyBag design;
    QuorStatus summary(&window);
    summary.readProperties(design);
    list.readProperties(design);
    placeTwips(&summary, 2400, 0, 2415, 1470);
    placeTwips(&list, 4920, 0, 2415, 1470);
    summary.setFontBold(true);
    summary.AddItem(QStringLiteral("Configuration:"), Blue);
    for (const char* t : {"Part:RQ3118", "Program:RQ3118.EXE", "Bits:16", "Code: 2's Comp"}) {
        summary.AddItem(QString::fromLatin1(t));
    }
    for (const char* t :
         {"Board Reset", "Program Running", "Sent:02018F07", "1024 Data Samples Uploaded",
          "Data Upload Failure", "Supplies Changed", "Part Powered Up"}) {
        const bool failure = QByteArray(t).contains("Fail") || QByteArray(t).contains("Reset");
        list.AddItem(QString::fromLatin1(t), failure ? std::optional<uint32_t>(255) : std::nullopt);
    }
    window.show();
    EXPECT_EQ(line(0)->text(), QStringLiteral("Program Running"));
    EXPECT_TRUE(rq::test::savePng(&window, QStringLiteral("status_lists.png")));
}

}  // namespace
