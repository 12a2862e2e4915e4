// Protects the toggle switch: clicks on faces and captions flip it and raise Click, Value set by
// the host leaves the face alone, the mouse events with their codes in twips, the caption
// centring of the resize rule, and its saved state in table order with the defaults.
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "WidgetTest.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/Twips.h"
#include "toggle/ToggleButton.h"

using rq::controls::ToggleButton;
using namespace rq::host;

namespace {

class ToggleButtonTest : public rq::test::WidgetTest {
protected:
    ToggleButtonTest() {
        toggle.setBounds(7500, 60, 1335, 315);
        window.resize(200, 60);
        window.show();
    }
    QFrame* face(const char* name) { return toggle.findChild<QFrame*>(QString::fromLatin1(name)); }
    QLabel* caption(const char* name) {
        return toggle.findChild<QLabel*>(QString::fromLatin1(name));
    }
    bool onShowing() { return face("ToggleOn")->isVisible() && !face("ToggleOff")->isVisible(); }
    bool offShowing() { return face("ToggleOff")->isVisible() && !face("ToggleOn")->isVisible(); }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }

    QWidget window;
    ToggleButton toggle{&window};
};

TEST_F(ToggleButtonTest, TwoClicksOnFacesOrCaptionsReturnValueAndRaiseTwoClicks) {
    EXPECT_FALSE(toggle.Value());
    EXPECT_TRUE(offShowing());  // the face of the initial Value
    EXPECT_EQ(caption("lblOff")->accessibleName(), QStringLiteral("Off"));
    QSignalSpy clicks(&toggle, &ToggleButton::Click);
    click(face("ToggleOff"));
    EXPECT_TRUE(toggle.Value());
    EXPECT_TRUE(onShowing());
    click(face("ToggleOn"));
    EXPECT_FALSE(toggle.Value());
    EXPECT_TRUE(offShowing());
    EXPECT_EQ(clicks.count(), 2);

    click(caption("lblOff"));
    EXPECT_TRUE(onShowing());
    click(caption("lblOn"));
    EXPECT_FALSE(toggle.Value());
    EXPECT_EQ(clicks.count(), 4);
}

TEST_F(ToggleButtonTest, ValueSetByTheHostLeavesTheFace) {
    QSignalSpy changed(&toggle, &HostedControl::propertyChanged);
    toggle.setValue(true);
    EXPECT_TRUE(offShowing());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("Value"));
    click(face("ToggleOff"));
    EXPECT_TRUE(toggle.Value());
    EXPECT_TRUE(onShowing());
}

TEST_F(ToggleButtonTest, OnlyAWholeLeftClickOnAShownFaceFlipsIt) {
    QSignalSpy clicks(&toggle, &ToggleButton::Click);
    QTest::mouseClick(face("ToggleOff"), Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseClick(face("ToggleOff"), Qt::MiddleButton, {}, QPoint(3, 3));
    QTest::mousePress(face("ToggleOff"), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(face("ToggleOff"), Qt::LeftButton, {}, QPoint(200, 3));  // beyond it
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(offShowing());

    // The control's own surface, should a face not cover it: Click, and nothing flips.
    click(&toggle);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(offShowing());
    EXPECT_FALSE(toggle.Value());

    toggle.setEnabled(false);
    click(face("ToggleOff"));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(toggle.Value());
}

TEST_F(ToggleButtonTest, MouseEventsCarryButtonShiftAndTwipsFromTheControlsCorner) {
    QStringList events;
    const auto record = [&events](const char* what) {
        return [&events, what](int16_t b, int16_t s, float x, float y) {
            events << QStringLiteral("%1 %2 %3 %4 %5").arg(what).arg(b).arg(s).arg(x).arg(y);
        };
    };
    QObject::connect(&toggle, &ToggleButton::MouseDown, record("Down"));
    QObject::connect(&toggle, &ToggleButton::MouseMove, record("Move"));
    QObject::connect(&toggle, &ToggleButton::MouseUp, record("Up"));
    QObject::connect(&toggle, &ToggleButton::Click, [&events] { events << "Click"; });

    QTest::mouseClick(face("ToggleOff"), Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier,
                      QPoint(3, 4));
    EXPECT_EQ(events, QStringList({"Down 1 5 45 60", "Up 1 5 45 60", "Click"}));

    events.clear();
    QLabel* label = caption("lblOn");  // on the on face now showing
    const QPoint at = label->mapTo(&toggle, QPoint(2, 1));
    QTest::mousePress(label, Qt::RightButton, Qt::ControlModifier, QPoint(2, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 1), label->mapToGlobal(QPointF(2, 1)),
                     Qt::NoButton, Qt::RightButton | Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::RightButton, Qt::ControlModifier, QPoint(2, 1));
    const QString xy = QStringLiteral("%1 %2").arg(at.x() * 15).arg(at.y() * 15);
    EXPECT_EQ(events, QStringList({"Down 2 2 " + xy, "Move 6 0 " + xy, "Up 2 2 " + xy}));
}

TEST_F(ToggleButtonTest, FacesFillTheControlAndCaptionsAreCentred) {
    for (const QSize size : {QSize(1335, 315), QSize(3000, 1000)}) {
        SCOPED_TRACE(size.width());
        toggle.setBounds(0, 0, size.width(), size.height());
        EXPECT_EQ(twipsGeometry(face("ToggleOn")), QRect(QPoint(0, 0), size));
        EXPECT_EQ(twipsGeometry(face("ToggleOff")), QRect(QPoint(0, 0), size));
        const QRect on = twipsGeometry(caption("lblOn"));
        const QRect off = twipsGeometry(caption("lblOff"));
        // Twice the offset plus the caption plus the margin (20 on, 30 off) is the face, to the
        // half twip that rounding leaves.
        EXPECT_NEAR(2 * on.top() + on.height() + 20, size.height(), 1);
        EXPECT_NEAR(2 * on.left() + on.width() + 20, size.width(), 1);
        EXPECT_NEAR(2 * off.top() + off.height() + 30, size.height(), 1);
        EXPECT_NEAR(2 * off.left() + off.width() + 30, size.width(), 1);
    }
    toggle.setOffText(QStringLiteral("FFT Mode"));  // a caption of another width is centred again
    const QRect off = twipsGeometry(caption("lblOff"));
    EXPECT_NEAR(2 * off.left() + off.width() + 30, 3000, 1);
}

TEST_F(ToggleButtonTest, LoadingAppliesEveryKeyInOrderButNotTheFace) {
    MemoryPropertyBag bag;
    bag.writeBool(QStringLiteral("Value"), true, false);
    bag.writeString(QStringLiteral("OnText"), QStringLiteral("Histogram Mode"), QString());
    bag.writeString(QStringLiteral("OffText"), QStringLiteral("FFT Mode"), QString());
    bag.writeColour(QStringLiteral("OffBackColour"), 0x808080, 0);
    bag.log.clear();
    toggle.readProperties(bag);
    EXPECT_EQ(bag.log, QStringList({"r Value", "r Enabled", "r Font", "r OnText", "r OffText",
                                    "r OnTextColour", "r OffTextColour", "r OnBackColour",
                                    "r OffBackColour"}));
    EXPECT_TRUE(toggle.Value());
    EXPECT_TRUE(offShowing());
    EXPECT_EQ(caption("lblOn")->text(), QStringLiteral("Histogram Mode"));
    EXPECT_EQ(caption("lblOff")->text(), QStringLiteral("FFT Mode"));
    EXPECT_EQ(toggle.OffBackColour(), 0x808080u);
    EXPECT_EQ(toggle.OnBackColour(), 0xFF00u);

    ToggleButton fresh;
    fresh.readProperties(MemoryPropertyBag());
    EXPECT_EQ(fresh.OnText(), QStringLiteral("On"));
    EXPECT_EQ(fresh.OffText(), QStringLiteral("Off"));
}

TEST_F(ToggleButtonTest, SettersReportAndSavingWritesEveryKeyWithItsDefault) {
    MemoryPropertyBag untouched;
    toggle.writeProperties(untouched);
    EXPECT_EQ(untouched.log, QStringList({"w Value", "w Enabled", "w Font", "w OnText", "w OffText",
                                          "w OnTextColour", "w OffTextColour", "w OnBackColour",
                                          "w OffBackColour"}));
    EXPECT_TRUE(untouched.names().isEmpty());  // all defaults

    QSignalSpy changed(&toggle, &HostedControl::propertyChanged);
    QFont bold = toggle.Font();
    bold.setBold(true);
    toggle.setFont(bold);
    toggle.setOnText(QStringLiteral("Histogram Mode"));
    toggle.setOnTextColour(SystemColour::HighlightText);
    toggle.setOffBackColour(0x404040);
    toggle.setEnabled(false);
    QStringList names;
    for (const auto& args : changed) {
        names << args.at(0).toString();
    }
    EXPECT_EQ(names, QStringList({"Font", "OnText", "OnTextColour", "OffBackColour", "Enabled"}));
    EXPECT_EQ(face("ToggleOn")->accessibleName(), QStringLiteral("Histogram Mode"));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("state.ini"));
    {
        SettingsPropertyBag saved(file, QStringLiteral("ToggleButton1"));
        toggle.writeProperties(saved);
    }
    ToggleButton restored;
    restored.readProperties(SettingsPropertyBag(file, QStringLiteral("ToggleButton1")));
    EXPECT_FALSE(restored.Enabled());
    EXPECT_TRUE(restored.Font().bold());
    EXPECT_EQ(restored.OnText(), QStringLiteral("Histogram Mode"));
    EXPECT_EQ(restored.OffText(), QStringLiteral("Off"));
    EXPECT_EQ(restored.OnTextColour(), SystemColour::HighlightText);
    EXPECT_EQ(restored.OffBackColour(), 0x404040u);
}

TEST_F(ToggleButtonTest, TheMainWindowsSwitchComesFromItsDesignResource) {
    ControlRegistry registry;
    rq::controls::registerFlipSwitch(registry);
    QWidget main;
    main.resize(toPixels(9000), toPixels(600));
    SettingsPropertyBag design(QStringLiteral(":/design/frmMainScreen.ini"),
                               QStringLiteral("ToggleButton1"));
    auto* mode = registry.create<ToggleButton>(QStringLiteral("FlipSwitch.ToggleButton"), &main,
                                               QStringLiteral("ToggleButton1"), &design);
    placeTwips(mode, 7500, 60, 1335, 315);
    main.show();
    EXPECT_EQ(mode->OffText(), QStringLiteral("FFT Mode"));
    EXPECT_EQ(mode->OnText(), QStringLiteral("Histogram Mode"));
    for (const char* name : {"lblOn", "lblOff"}) {  // both captions whole inside their faces
        const QRect at = twipsGeometry(mode->findChild<QLabel*>(QString::fromLatin1(name)));
        EXPECT_GE(at.left(), 0) << name;
        EXPECT_LE(at.right(), 1335) << name;
    }
    EXPECT_TRUE(rq::test::savePng(mode, QStringLiteral("toggle_off_face.png")));
    QTest::mouseClick(mode->findChild<QFrame*>(QStringLiteral("ToggleOff")), Qt::LeftButton);
    ASSERT_TRUE(mode->Value());
    EXPECT_TRUE(rq::test::savePng(mode, QStringLiteral("toggle_on_face.png")));
}

}  // namespace
