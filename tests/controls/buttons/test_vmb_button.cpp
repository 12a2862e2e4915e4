// Protects the supply switch panel: clicks toggle from what a switch shows and edit its bit with
// the clearing mask that drops the high byte, the value set by the host shown on every switch,
// MemoryPage and EnableQS editing the value without repainting, the fixed size and a layout
// whose captions are whole, and the saved state in table order with the defaults.
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "WidgetTest.h"
#include "buttons/VMBButton.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/Twips.h"

using rq::controls::VMBButton;
using namespace rq::host;

namespace {

const QStringList Faces{"Button1", "Button2", "Button3", "Button4", "Button5", "picBUS"};
const QStringList Labels{"lbl1", "lbl2", "lbl3", "lbl4", "lbl5", "lblBUS"};
const QStringList Captions{"txtSupply", "Label2", "Label3", "Label4", "Label5", "Label7"};
const QStringList Keys{"LatchContent", "MemoryPage", "EnableQS",  "Enabled",    "BackColor",
                       "ForeColor",    "Font",       "BackStyle", "BorderStyle"};

QStringList prefixed(const char* prefix, const QStringList& names) {
    QStringList out;
    for (const QString& n : names) {
        out << QString::fromLatin1(prefix) + n;
    }
    return out;
}

class VMBButtonTest : public rq::test::WidgetTest {
protected:
    VMBButtonTest() {
        window.resize(toPixels(4600), toPixels(3500));
        placeTwips(&panel, 240, 2280, 4125, 930);
        window.show();
    }
    QFrame* face(int n) { return panel.findChild<QFrame*>(Faces[n - 1]); }
    QLabel* label(int n) { return panel.findChild<QLabel*>(Labels[n - 1]); }
    QString text(int n) { return label(n)->text(); }
    // Switch n as "text face-colour", n 6 being the bus switch.
    QString shown(int n) {
        return QStringLiteral("%1 %2").arg(text(n)).arg(backColour(face(n)), 0, 16);
    }
    QStringList allShown() {
        QStringList out;
        for (int n = 1; n <= 6; ++n) {
            out << shown(n);
        }
        return out;
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, 4)); }

    QWidget window;
    VMBButton panel{&window};
};

TEST_F(VMBButtonTest, ValueFromTheHostShowsOnEverySwitch) {
    QSignalSpy changed(&panel, &HostedControl::propertyChanged);
    panel.setLatchContent(0xA4);
    EXPECT_EQ(allShown(),
              QStringList({"ON ff00", "OFF ff", "OFF ff", "5V ff00", "3V ffff", "ON ff00"}));
    EXPECT_EQ(foreColour(label(1)), 0xFF0000u);
    EXPECT_EQ(foreColour(label(2)), 0xFFFFu);
    EXPECT_TRUE(panel.EnableQS());
    EXPECT_EQ(panel.MemoryPage(), 0);
    EXPECT_EQ(panel.LatchContent(), 0xA4);
    ASSERT_EQ(changed.count(), 1);  // EnableQS and MemoryPage follow without a report
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("LatchContent"));
    EXPECT_EQ(face(1)->accessibleName(), QStringLiteral("ON"));
    EXPECT_EQ(label(4)->accessibleName(), QStringLiteral("5V"));
    EXPECT_TRUE(rq::test::savePng(&panel, QStringLiteral("supply_panel_A4.png")));

    // A page and a high byte leave the switches alone but reach MemoryPage and the value.
    panel.setLatchContent(int16_t(0x17B));
    EXPECT_EQ(allShown(),
              QStringList({"ON ff00", "ON ff00", "ON ff00", "3V ffff", "5V ff00", "OFF ff"}));
    EXPECT_FALSE(panel.EnableQS());
    EXPECT_EQ(panel.MemoryPage(), 3);
    EXPECT_EQ(panel.LatchContent(), 0x17B);

    panel.setLatchContent(0);
    EXPECT_TRUE(rq::test::savePng(&panel, QStringLiteral("supply_panel_00.png")));
    panel.setLatchContent(0xFC);
    EXPECT_TRUE(rq::test::savePng(&panel, QStringLiteral("supply_panel_FC.png")));
}

TEST_F(VMBButtonTest, ClicksOnFaceOrLabelToggleTheirBitAndRaiseClick) {
    QSignalSpy clicks(&panel, &VMBButton::Click);
    QSignalSpy changed(&panel, &HostedControl::propertyChanged);
    panel.setLatchContent(0x20);
    click(face(1));
    EXPECT_EQ(panel.LatchContent(), 0);
    EXPECT_EQ(shown(1), QStringLiteral("OFF ff"));
    EXPECT_EQ(clicks.count(), 1);
    click(label(1));  // the label runs its face's handler
    EXPECT_EQ(panel.LatchContent(), 0x20);
    EXPECT_EQ(shown(1), QStringLiteral("ON ff00"));
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(changed.count(), 1);  // only the host's set; a click is told by Click alone

    // Each switch on its own bit: from nothing, every one turned on or to 3 V.
    panel.setLatchContent(0x10);  // shows 3V on AVDD, 5V on DVDD
    for (int n : {2, 3, 5, 6}) {
        click(face(n));
    }
    EXPECT_EQ(panel.LatchContent(), 0x10 | 0x08 | 0x40 | 0x80 | 0x04);
    EXPECT_EQ(clicks.count(), 6);
}

TEST_F(VMBButtonTest, SettingABitKeepsTheHighByteAndClearingDropsIt) {
    panel.setLatchContent(0x1A0);
    click(face(2));
    EXPECT_EQ(panel.LatchContent(), 0x1A8);
    click(label(2));
    EXPECT_EQ(panel.LatchContent(), 0xA0);

    panel.setLatchContent(int16_t(0xFF90));  // voltage switches too, and a negative value
    click(face(4));
    EXPECT_EQ(panel.LatchContent(), 0x80);
    EXPECT_EQ(shown(4), QStringLiteral("5V ff00"));
}

TEST_F(VMBButtonTest, SwitchesToggleFromWhatTheyShowNotFromTheValue) {
    // A new panel shows the design faces (3 V) while its value is 0: the first click on a
    // voltage switch goes to 5 V and clears a bit that was already clear.
    EXPECT_EQ(allShown(),
              QStringList({"OFF ff", "OFF ff", "OFF ff", "3V ffff", "3V ffff", "OFF ff"}));
    EXPECT_EQ(panel.LatchContent(), 0);
    click(face(5));
    EXPECT_EQ(shown(5), QStringLiteral("5V ff00"));
    EXPECT_EQ(panel.LatchContent(), 0);
    click(face(5));
    EXPECT_EQ(panel.LatchContent(), 0x80);

    // EnableQS edits the value but not the bus switch, so the next click turns it on.
    panel.setEnableQS(true);
    EXPECT_EQ(panel.LatchContent(), 0x84);
    EXPECT_EQ(text(6), QStringLiteral("OFF"));
    click(face(6));
    EXPECT_EQ(panel.LatchContent(), 0x84);
    EXPECT_EQ(text(6), QStringLiteral("ON"));
}

TEST_F(VMBButtonTest, MemoryPageAndEnableQSEditTheValueWithoutRepainting) {
    QSignalSpy changed(&panel, &HostedControl::propertyChanged);
    panel.setLatchContent(0xA5);
    const QStringList before = allShown();
    panel.setMemoryPage(2);
    EXPECT_EQ(panel.LatchContent(), 0xA6);
    EXPECT_EQ(panel.MemoryPage(), 2);

    panel.setLatchContent(0x1A5);
    panel.setMemoryPage(3);
    EXPECT_EQ(panel.LatchContent(), 0xA7);  // the page's And drops the high byte

    for (int16_t bad : {int16_t(4), int16_t(-1)}) {
        panel.setLatchContent(0xA5);
        changed.clear();
        panel.setMemoryPage(bad);
        EXPECT_EQ(panel.LatchContent(), 0) << bad;
        EXPECT_EQ(panel.MemoryPage(), 1) << bad;
        EXPECT_TRUE(panel.EnableQS()) << bad;
        EXPECT_EQ(allShown(), before) << bad;
        EXPECT_EQ(changed.count(), 0) << bad;
    }

    panel.setLatchContent(0x1A4);
    changed.clear();
    panel.setEnableQS(true);
    EXPECT_EQ(panel.LatchContent(), 0x1A4);
    panel.setEnableQS(false);
    EXPECT_EQ(panel.LatchContent(), 0xA0);
    EXPECT_FALSE(panel.EnableQS());
    EXPECT_EQ(shown(6), QStringLiteral("ON ff00"));
    panel.setMemoryPage(1);
    QStringList names;
    for (const auto& args : changed) {
        names << args.at(0).toString();
    }
    EXPECT_EQ(names, QStringList({"EnableQS", "EnableQS", "MemoryPage"}));
}

TEST_F(VMBButtonTest, OnlyAWholeLeftClickOnAnEnabledPanelToggles) {
    QSignalSpy clicks(&panel, &VMBButton::Click);
    QTest::mouseClick(face(1), Qt::RightButton, {}, QPoint(4, 4));
    QTest::mousePress(face(1), Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseRelease(face(1), Qt::LeftButton, {}, QPoint(200, 4));  // let go beyond it
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(1, 1));      // between switches
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(text(1), QStringLiteral("OFF"));

    panel.setEnabled(false);
    click(face(1));
    click(label(2));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(panel.LatchContent(), 0);
    panel.setEnabled(true);
    click(label(2));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(VMBButtonTest, SizeIsFixedAndEveryTextIsWholeInItsPlace) {
    panel.setBounds(240, 2280, 5000, 2000);
    EXPECT_EQ(twipsGeometry(&panel), QRect(240, 2280, 4125, 930));
    panel.setHeight(100);
    panel.resize(40, 10);  // a pixel resize from Qt goes through the same rule
    EXPECT_EQ(QSize(panel.Width(), panel.Height()), QSize(4125, 930));

    const QRect inside(0, 0, 4125, 930);
    std::vector<QRect> taken;
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const QRect f = twipsGeometry(face(n));
        EXPECT_TRUE(inside.contains(f));
        taken.push_back(f);
        for (const char* t : {"ON", "OFF", "3V", "5V"}) {  // every text a switch may show
            label(n)->setText(QString::fromLatin1(t));
            const QSize need = toTwips(label(n)->sizeHint());
            const QRect at = twipsGeometry(label(n));
            EXPECT_LE(need.width(), at.width()) << t;
            EXPECT_LE(need.height(), at.height()) << t;
        }
    }
    for (const QString& name : Captions) {
        SCOPED_TRACE(name.toStdString());
        auto* caption = panel.findChild<QLabel*>(name);
        ASSERT_NE(caption, nullptr);
        const QRect at = twipsGeometry(caption);
        EXPECT_TRUE(inside.contains(at));
        EXPECT_LE(toTwips(caption->sizeHint()).width(), at.width());
        EXPECT_LE(toTwips(caption->sizeHint()).height(), at.height());
        EXPECT_EQ(caption->accessibleName(), caption->text());
        taken.push_back(at);
    }
    for (size_t a = 0; a < taken.size(); ++a) {
        for (size_t b = a + 1; b < taken.size(); ++b) {
            EXPECT_FALSE(taken[a].intersects(taken[b])) << a << " " << b;
        }
    }
    // Supply, AVDD and DVDD on/off, then AVDD and DVDD voltage, each under its caption; the
    // bus switch beside its caption.
    for (int n = 1; n <= 5; ++n) {
        const QRect f = twipsGeometry(face(n));
        const QRect c = twipsGeometry(panel.findChild<QLabel*>(Captions[n - 1]));
        EXPECT_TRUE(f.left() <= c.center().x() && c.center().x() <= f.right()) << n;
        EXPECT_GE(f.top(), c.bottom()) << n;
    }
    const QRect bus = twipsGeometry(face(6));
    const QRect busCaption = twipsGeometry(panel.findChild<QLabel*>(QStringLiteral("Label7")));
    EXPECT_LT(busCaption.right(), bus.left());
    EXPECT_TRUE(bus.top() <= busCaption.center().y() && busCaption.center().y() <= bus.bottom());
}

TEST_F(VMBButtonTest, LookStaysWhateverFontOrColoursTheHostGives) {
    const QFont before = label(1)->font();
    QFont big(QStringLiteral("Liberation Serif"), 20);
    QSignalSpy changed(&panel, &HostedControl::propertyChanged);
    panel.setFont(big);
    window.setFont(big);
    panel.setForeColor(0xFF);
    panel.setBackColor(SystemColour::ButtonFace);
    panel.setSupplyText(QStringLiteral("15V"));
    EXPECT_EQ(label(1)->font(), before);
    EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("Label2"))->font().pointSizeF(), 8.0);
    EXPECT_EQ(panel.Font(), big);
    EXPECT_EQ(panel.BackColor(), SystemColour::ButtonFace);
    auto* supply = panel.findChild<QLabel*>(QStringLiteral("txtSupply"));
    EXPECT_EQ(supply->text(), QStringLiteral("15V"));
    EXPECT_EQ(face(1)->accessibleDescription(), QStringLiteral("15V"));
    EXPECT_EQ(changed.count(), 4);
}

TEST_F(VMBButtonTest, SavingWritesEveryKeyInOrderAndLoadingLeavesTheSwitches) {
    MemoryPropertyBag defaults;
    panel.writeProperties(defaults);
    EXPECT_EQ(defaults.log, prefixed("w ", Keys));
    EXPECT_TRUE(defaults.names().isEmpty());

    panel.setLatchContent(0x1A5);
    panel.setSupplyText(QStringLiteral("15V"));  // not saved
    panel.setBackStyle(1);
    panel.setBorderStyle(1);
    panel.setForeColor(SystemColour::ButtonText);
    QFont bold = panel.Font();
    bold.setBold(true);
    panel.setFont(bold);
    panel.setEnabled(false);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("state.ini"));
    {
        SettingsPropertyBag saved(file, QStringLiteral("VMBButton1"));
        panel.writeProperties(saved);
    }
    MemoryPropertyBag copy;
    panel.writeProperties(copy);
    EXPECT_EQ(copy.names().size(), 8);  // all but BackColor

    VMBButton restored;
    copy.log.clear();
    restored.readProperties(copy);
    EXPECT_EQ(copy.log, prefixed("r ", Keys));
    VMBButton fromFile;
    fromFile.readProperties(SettingsPropertyBag(file, QStringLiteral("VMBButton1")));
    for (VMBButton* p : {&restored, &fromFile}) {
        EXPECT_EQ(p->LatchContent(), 0x1A5);
        EXPECT_EQ(p->MemoryPage(), 1);
        EXPECT_TRUE(p->EnableQS());
        EXPECT_FALSE(p->Enabled());
        EXPECT_EQ(p->ForeColor(), SystemColour::ButtonText);
        EXPECT_EQ(p->BackColor(), 0u);
        EXPECT_EQ(p->BackStyle(), 1);
        EXPECT_EQ(p->BorderStyle(), 1);
        EXPECT_TRUE(p->Font().bold());
        EXPECT_EQ(p->SupplyText(), QStringLiteral("12V"));
        // Loaded, not shown: the switches keep their design faces.
        EXPECT_EQ(p->findChild<QLabel*>(QStringLiteral("lbl1"))->text(), QStringLiteral("OFF"));
        EXPECT_EQ(p->findChild<QLabel*>(QStringLiteral("lbl4"))->text(), QStringLiteral("3V"));
    }

    MemoryPropertyBag tooBig;
    tooBig.setValue(QStringLiteral("LatchContent"), 70000);
    try {
        restored.readProperties(tooBig);
        ADD_FAILURE() << "a 16-bit key beyond its range was read";
    } catch (const rq::NumberedError& e) {
        EXPECT_EQ(e.number(), rq::RuntimeError::Overflow);
    }
}

TEST_F(VMBButtonTest, TheSetupWindowsPanelComesFromTheRegistryAndItsDesign) {
    ControlRegistry registry;
    rq::controls::registerButtons(registry);
    QWidget setup;
    setup.resize(toPixels(5760), toPixels(3700));
    SettingsPropertyBag design(QStringLiteral(":/design/frmSetup.ini"),
                               QStringLiteral("VMBButton1"));
    auto* made = registry.create<VMBButton>(QStringLiteral("buttons.vmbbutton"), &setup,
                                            QStringLiteral("VMBButton1"), &design);
    placeTwips(made, 240, 2280, 4125, 930);
    setup.show();
    EXPECT_EQ(made->objectName(), QStringLiteral("VMBButton1"));
    EXPECT_EQ(twipsGeometry(made), QRect(240, 2280, 4125, 930));
    EXPECT_EQ(made->LatchContent(), 0x90);
    EXPECT_FALSE(made->Enabled());

    QSignalSpy clicks(made, &VMBButton::Click);
    click(made->findChild<QFrame*>(QStringLiteral("Button1")));
    EXPECT_EQ(clicks.count(), 0);
    made->setEnabled(true);  // as a program download does
    made->setLatchContent(0x90);
    click(made->findChild<QFrame*>(QStringLiteral("Button1")));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(made->LatchContent(), 0xB0);

    auto* bare = registry.create<VMBButton>(QString::fromLatin1(VMBButton::ProgId), &setup,
                                            QStringLiteral("VMBButton2"));
    EXPECT_EQ(bare->LatchContent(), 0);
    EXPECT_TRUE(bare->Enabled());
    EXPECT_EQ(bare->Font(), bare->ambientFont());
    EXPECT_EQ(QSize(bare->Width(), bare->Height()), QSize(4125, 930));
}

}  // namespace
