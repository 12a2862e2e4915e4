// Protects the main window's saved place: what "/SAVE" keeps is the outer frame "/GET" restores,
// so that start after start leaves the values as they were, and a place off every screen is
// centred on the primary screen. Runs offscreen, and under Xvfb with a window manager (openbox),
// where the frame is drawn by the window manager after the window shows.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <array>
#include <cstdio>

#include "MainWindowHarness.h"
#include "WidgetTest.h"
#include "config/SettingsStore.h"
#include "host/Twips.h"

using namespace rq;

namespace {

using Position = std::array<QString, 4>;

class MainWindowPlacementTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    // Starts with "/GET /SAVE", waits for the window manager's frame where there is one, and
    // closes; returns what was saved.
    Position startAndClose() {
        startProgram(QStringLiteral("/SIM /GET /SAVE"));
        settle();
        shown = window->frameGeometry();
        window->close();
        return saved();
    }
    void settle() {
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            return;
        }
        // The frame turns up a little after the window, then the window is laid out again.
        QElapsedTimer waited;
        waited.start();
        while (window->frameGeometry() == window->geometry() && waited.elapsed() < 5000) {
            QTest::qWait(20);
        }
        ASSERT_NE(window->frameGeometry(), window->geometry()) << "no window manager framed it";
        QTest::qWait(300);
    }
    Position saved() {
        QSettingsStore s(dir.path());
        Position p;
        const char* keys[] = {"Left", "Top", "Width", "Height"};
        for (size_t k = 0; k < p.size(); ++k) {
            p[k] = s.get("VelmarBoard", "Position", keys[k], "absent");
        }
        return p;
    }
    void store(const Position& p) {
        QSettingsStore s(dir.path());
        const char* keys[] = {"Left", "Top", "Width", "Height"};
        for (size_t k = 0; k < p.size(); ++k) {
            s.save("VelmarBoard", "Position", keys[k], p[k]);
        }
    }
    static QString text(const Position& p) { return p[0] + "/" + p[1] + "/" + p[2] + "/" + p[3]; }

    QRect shown;  // the frame on screen before the close, in pixels
};

TEST_F(MainWindowPlacementTest, StartsWithGetAndSaveLeaveThePlaceAsItWas) {
    // From an empty store: the design size with its frame at the screen's top left corner.
    const QPoint origin = QGuiApplication::primaryScreen()->geometry().topLeft();
    for (int run = 1; run <= 3; ++run) {
        const Position p = startAndClose();
        std::printf("[ placing  ] %s, start %d: %s\n", qPrintable(QGuiApplication::platformName()),
                    run, qPrintable(text(p)));
        EXPECT_EQ(shown, QRect(origin, host::toPixels(QSize(9465, 7170)))) << "start " << run;
        EXPECT_EQ(p, (Position{"0", "0", "9465", "7170"})) << "start " << run;
    }
    // A place of the user's: the same three times.
    const Position mine{"1500", "900", "10500", "8100"};
    store(mine);
    for (int run = 1; run <= 3; ++run) {
        const Position p = startAndClose();
        std::printf("[ placing  ] %s, start %d: %s\n", qPrintable(QGuiApplication::platformName()),
                    run, qPrintable(text(p)));
        EXPECT_EQ(shown, QRect(100, 60, 700, 540).translated(origin)) << "start " << run;
        EXPECT_EQ(p, mine) << "start " << run;
    }
}

TEST_F(MainWindowPlacementTest, APlaceOffEveryScreenIsCentredOnThePrimaryScreen) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect screen = primary->geometry();
    const QRect available = primary->availableGeometry();
    // Beyond the right edge: centred at the size read.
    store({QString::number(host::toTwips(screen.right() + 100)), "0", "9465", "7170"});
    startAndClose();
    const QSize design = host::toPixels(QSize(9465, 7170));
    EXPECT_EQ(shown.size(), design);
    EXPECT_NEAR(shown.center().x(), screen.center().x(), 1);
    EXPECT_NEAR(shown.center().y(), screen.center().y(), 1);

    // Absurd values: cut to the available area, centred.
    store({"-491505", "-491505", "1E+07", "1E+07"});
    startAndClose();
    EXPECT_EQ(shown.size(), available.size());
    EXPECT_NEAR(shown.center().x(), screen.center().x(), 1);
    EXPECT_NEAR(shown.center().y(), screen.center().y(), 1);
}

}  // namespace
