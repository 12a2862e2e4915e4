// Protects the About box: its frame without a title bar and its size, the animation's frame
// order from the first tick and afresh at each opening, and what closes it (any key, a click on
// the frame, the picture or the two name labels) and what does not (the version, the margin).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "WidgetTest.h"
#include "config/frmSplash.h"
#include "host/Twips.h"

using namespace rq;

namespace {

class SplashTest : public test::WidgetTest {};

// The frames shown at the first ticks of a newly opened box.
std::vector<int> firstFrames(frmSplash& about, int ticks) {
    std::vector<int> frames;
    auto* timer = about.findChild<QTimer*>("Timer1");
    EXPECT_NE(timer, nullptr);
    QObject::connect(timer, &QTimer::timeout, [&] { frames.push_back(about.AnimationFrame()); });
    about.show();
    EXPECT_EQ(about.AnimationFrame(), 0);
    QElapsedTimer clock;
    clock.start();
    while (static_cast<int>(frames.size()) < ticks && clock.elapsed() < 5000) {
        QTest::qWait(20);
    }
    frames.resize(static_cast<size_t>(ticks));
    return frames;
}

}  // namespace

TEST_F(SplashTest, FrameOrderStartsAtOneAtEveryOpening) {
    for (int opening = 0; opening < 2; ++opening) {
        frmSplash about;
        EXPECT_EQ(firstFrames(about, 4), (std::vector<int>{1, 2, 0, 1})) << opening;
        QTest::keyClick(&about, Qt::Key_Space);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), QDialog::Accepted);
    }
    // The frames are of the design's sizes; the picture starts with the third.
    const std::array<QPixmap, 3> frames = frmSplash::animationFrames();
    EXPECT_EQ(frames[0].size(), QSize(107, 98));
    EXPECT_EQ(frames[1].size(), QSize(107, 98));
    EXPECT_EQ(frames[2].size(), QSize(108, 98));
    frmSplash fresh;
    EXPECT_EQ(fresh.findChild<QLabel*>("Picture1")->pixmap().toImage(), frames[2].toImage());
}

TEST_F(SplashTest, FrameWithoutTitleAndWhatClosesIt) {
    {
        frmSplash about;
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowTitleHint));
        EXPECT_EQ(about.size(), host::toPixels(QSize(6225, 2910)));
        EXPECT_EQ(about.findChild<QLabel*>("lblProductName")->text(), "RQ3118 Evaluation Board");
        EXPECT_EQ(about.findChild<QLabel*>("V")->text(), "Version 2.0");
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(about.findChild<QLabel*>("V"), Qt::LeftButton);
        EXPECT_TRUE(about.isVisible());
        QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(3, 3));  // the margin
        EXPECT_TRUE(about.isVisible());
    }
    for (const char* name : {"Frame1", "Label1", "lblProductName", "Picture1"}) {
        frmSplash about;
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        auto* target = about.findChild<QWidget*>(name);
        ASSERT_NE(target, nullptr) << name;
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_FALSE(about.isVisible()) << name;
    }
}
