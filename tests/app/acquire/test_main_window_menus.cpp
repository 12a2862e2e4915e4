// Protects the main window's menus as a user meets them on the simulated board: the file items
// that stay closed while the board is busy, the printer-port items, the simulated board's RESET
// button and fault submenu, and the read-outs whose accessible names are what they show.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <map>

#include "MainWindowHarness.h"
#include "WidgetTest.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "config/ConfigFile.h"
#include "config/FrequencyList.h"
#include "config/frmSetup.h"
#include "config/frmSplash.h"
#include "simboard/FaultSpec.h"
#include "strip/StripChart.h"

using namespace rq;

namespace {

class MainWindowMenus : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    void SetUp() override { startProgram(QStringLiteral("/SIM")); }
    void load() { loadExample(); }
    template <class T>
    T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    // Opens a menu as a popup and clicks the item, as a user does; a closed item does nothing.
    void choose(const char* menuName, const char* itemName) {
        auto* menu = child<QMenu>(menuName);
        QAction* item = action(itemName);
        ASSERT_TRUE(menu && item);
        menu->popup(window->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        menu->hide();
    }
    // Every menu item (submenus included) and button, by name, with whether it can be used.
    std::map<QString, bool> availability() {
        std::map<QString, bool> out;
        for (QMenu* menu : window->findChildren<QMenu*>()) {
            for (QAction* a : menu->actions()) {
                if (!a->objectName().isEmpty()) {
                    out[a->objectName()] = a->isEnabled();
                }
            }
        }
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            if (!b->objectName().isEmpty()) {
                out[b->objectName()] = b->isEnabled();
            }
        }
        return out;
    }
    // The three file items that stay closed while the board is busy.
    QString fileItems() {
        QString p;
        for (const char* name : {"mnuSetup", "mnuLoadRawData", "mnuLoadFFTData"}) {
            p += action(name)->isEnabled() ? u'1' : u'0';
        }
        return p;
    }
    // A modal window that opens meanwhile is closed at once and counted.
    void closeModalWindows() {
        auto* watch = new QTimer(window.get());
        QObject::connect(watch, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++modalsOpened;
                modal->close();
            }
        });
        watch->start(20);
    }
    int modalsOpened = 0;
};

}  // namespace

// ---- File items while the board is busy -----------------------------------------------------

TEST_F(MainWindowMenus, ContinuousRunClosesSetupAndLoadsAndGivesThemBack) {
    load();
    const std::map<QString, bool> before = availability();
    ASSERT_EQ(fileItems(), "110");  // "Load FFT Data" is created unavailable
    closeModalWindows();
    std::map<QString, bool> during;
    QString fileDuring;
    int capturesBeforeSetup = 0;
    QTimer::singleShot(150, [&] {
        during = availability();
        fileDuring = fileItems();
        // The user goes for the setup window, by the menu and by the action itself.
        choose("mnuFile", "mnuSetup");
        action("mnuSetup")->trigger();
        capturesBeforeSetup = board->captureCount();
        QTimer::singleShot(100, [&] { click("cmdStopSampling"); });
    });
    click("cmdContSample");
    EXPECT_EQ(fileDuring, "000");
    EXPECT_EQ(modalsOpened, 0) << "the setup window opened during the run";
    EXPECT_GT(board->captureCount(), capturesBeforeSetup);  // the run went on meanwhile
    // Every other item and button is as the run alone sets it.
    std::map<QString, bool> expected = before;
    expected["mnuSetup"] = expected["mnuLoadRawData"] = expected["mnuLoadFFTData"] = false;
    for (const char* name :
         {"cmdSample", "cmdContSample", "cmdReset", "cmdQuit", "cmdPowerDown", "cmdPowerUp"}) {
        expected[name] = false;
    }
    expected["cmdStopSampling"] = true;
    EXPECT_EQ(during, expected);
    EXPECT_EQ(lines().last(), "Continuous Sampling Stopped");
    EXPECT_EQ(availability(), before);
}

TEST_F(MainWindowMenus, SingleCaptureAndResetCloseTheItemsUntilTheLastEnds) {
    load();
    board->setFaults(parseFaultSpec("endless-capture").value());
    QString waiting, afterNestedReset;
    QTimer::singleShot(100, [&] {
        waiting = fileItems();
        // Reset can be pressed while a capture waits; its end must not open the items early.
        click("cmdReset");
        afterNestedReset = fileItems();
        state->TimedOut = true;  // the watchdog's tick
    });
    click("cmdSample");
    EXPECT_EQ(waiting, "000");
    EXPECT_EQ(afterNestedReset, "000");
    EXPECT_EQ(fileItems(), "110");

    // The board hangs in its endless capture until its button is pressed.
    board->setFaults({});
    board->pressResetButton();
    QString resetting;
    QTimer::singleShot(0, [&] { resetting = fileItems(); });
    click("cmdReset");
    EXPECT_EQ(lines(), QStringList{"Board Reset"});
    EXPECT_EQ(resetting, "000");
    EXPECT_EQ(fileItems(), "110");
}

TEST_F(MainWindowMenus, ItemsClosedBeforeTheRunStayClosedAfterIt) {
    load();
    action("mnuLoadRawData")->setEnabled(false);
    QTimer::singleShot(50, [&] { click("cmdStopSampling"); });
    click("cmdContSample");
    EXPECT_EQ(fileItems(), "100");
}

// ---- Printer-port items ---------------------------------------------------------------------

TEST_F(MainWindowMenus, SimulatedBoardLeavesThePortItemsUncheckedUntilOneIsChosen) {
    EXPECT_TRUE(action("mnuSimulated")->isChecked());
    for (const char* name : {"mnuLPT1", "mnuLPT2", "mnuPRN"}) {
        EXPECT_FALSE(action(name)->isChecked()) << name;
    }
    // The address the board answers at keeps the other two closed.
    EXPECT_TRUE(action("mnuLPT1")->isEnabled());
    EXPECT_FALSE(action("mnuLPT2")->isEnabled());
    EXPECT_FALSE(action("mnuPRN")->isEnabled());

    state->PortAddress = 0;
    choose("mnuPrinterPort", "mnuLPT1");
    EXPECT_EQ(state->PortAddress, LPT1Address);
    EXPECT_TRUE(action("mnuLPT1")->isChecked());
    EXPECT_FALSE(action("mnuLPT2")->isChecked() || action("mnuPRN")->isChecked());
    EXPECT_TRUE(action("mnuSimulated")->isChecked());
}

// ---- The simulated board's own items --------------------------------------------------------

TEST_F(MainWindowMenus, BoardRecoversFromAHungCaptureByItsResetButton) {
    EXPECT_TRUE(action("mnuSimFault_none")->isChecked());
    load();
    choose("mnuSimFault", "mnuSimFault_endless-capture");
    EXPECT_TRUE(board->settings().faults.endlessCapture);
    EXPECT_TRUE(action("mnuSimFault_endless-capture")->isChecked());
    click("cmdSample");
    EXPECT_EQ(lines().last(), "Data Upload Failure");
    // The hung board does not answer the reset command.
    click("cmdReset");
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back().title, "Reset Error");

    choose("mnuPrinterPort", "mnuSimReset");
    choose("mnuSimFault", "mnuSimFault_none");
    EXPECT_EQ(board->settings().faults, SimBoardFaults{});
    click("cmdReset");
    EXPECT_EQ(lines(), QStringList{"Board Reset"});
    load();
    click("cmdSample");
    EXPECT_EQ(lines().last(), "1024 Data Samples Uploaded");
}

TEST_F(MainWindowMenus, FaultsWithACountAskForIt) {
    // Answers the question for the count once it is asked.
    const auto answer = [this](int value, bool accept) {
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, [=] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                poll->stop();
                dialog->setIntValue(value);
                accept ? dialog->accept() : dialog->reject();
            }
        });
        poll->start(10);
    };
    answer(2, true);
    choose("mnuSimFault", "mnuSimFault_refuse");
    EXPECT_EQ(board->settings().faults.refusedAcknowledges, 2);
    EXPECT_TRUE(action("mnuSimFault_refuse")->isChecked());
    // A cancelled question keeps the fault there was.
    answer(7, false);
    choose("mnuSimFault", "mnuSimFault_slow");
    EXPECT_EQ(formatFaultSpec(board->settings().faults), "refuse=2");
    EXPECT_TRUE(action("mnuSimFault_refuse")->isChecked());
    EXPECT_FALSE(action("mnuSimFault_slow")->isChecked());
    answer(40, true);
    choose("mnuSimFault", "mnuSimFault_stop-after");
    EXPECT_EQ(formatFaultSpec(board->settings().faults), "stop-after=40");
    choose("mnuSimFault", "mnuSimFault_stuck-low");
    EXPECT_EQ(formatFaultSpec(board->settings().faults), "stuck-low=0");
    choose("mnuSimFault", "mnuSimFault_no-board");
    EXPECT_EQ(formatFaultSpec(board->settings().faults), "no-board");
    EXPECT_TRUE(action("mnuSimFault_no-board")->isChecked());
}

// ---- Read-outs ------------------------------------------------------------------------------

// Every label that shows text is named by that text: a caption by its caption, a read-out by
// the value it shows now.
void expectLabelsNamedByTheirText(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_EQ(label->accessibleName(), label->text())
                << qPrintable(label->objectName()) << " in " << qPrintable(window.objectName());
        }
    }
}

TEST_F(MainWindowMenus, ReadOutsAreNamedByWhatTheyShow) {
    load();
    click("cmdSample");
    ASSERT_NE(child<QLabel>("lblMax")->text(), "0");
    ASSERT_FALSE(child<QLabel>("lblSNRvalue")->text().isEmpty());
    expectLabelsNamedByTheirText(*window);
    Q_EMIT child<StripChart>("StripFFT")->CursorChange(11);
    ASSERT_TRUE(child<QLabel>("lblCursorInfo")->isVisible());
    expectLabelsNamedByTheirText(*window);
    // A change of display mode rewrites the extremes in volts; the names follow.
    const QString codes = child<QLabel>("lblMax")->text();
    auto* mode = child<QComboBox>("cboDisplayMode");
    mode->setCurrentIndex(1);
    Q_EMIT mode->activated(1);
    EXPECT_NE(child<QLabel>("lblMax")->text(), codes);
    expectLabelsNamedByTheirText(*window);

    frmSetup setup(*window);
    expectLabelsNamedByTheirText(setup);
    frmSplash splash(window.get());
    expectLabelsNamedByTheirText(splash);
}
