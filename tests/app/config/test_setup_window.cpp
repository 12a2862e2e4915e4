// Protects the setup window as a user meets it, on the offscreen platform with the simulated
// board: the opening from the live settings, Load with its reset, configuration, frequency fit and
// download (and each way a download fails), the frequency list and the other-frequency and range
// boxes, supply changes, Cancel and Close, the next opening, and a whole run from the window
// alone: Load, "Sample", save the record and load it back.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "Fakes.h"
#include "MainWindowHarness.h"
#include "WidgetTest.h"
#include "acquire/frmMainScreen.h"
#include "buttons/VMBButton.h"
#include "config/SettingsStore.h"
#include "config/frmSetup.h"
#include "host/Twips.h"
#include "simboard/FaultSpec.h"
#include "simboard/SimBoard.h"
#include "status/QuorStatus.h"
#include "strip/StripChart.h"

using namespace rq;

namespace {

// The main window on a simulated board with immediate captures, run in a temporary current
// directory that holds the example configurations and program, as a user's would.
class SetupWindowTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    void SetUp() override {
        m_buildDir = QDir::currentPath();
        for (const char* name : {"RQ3116.CFG", "RQ3118.CFG", "RQ3118TC.CFG", "VMB.EXE"}) {
            QFile::copy(QStringLiteral(RQ_EXAMPLES_DIR "/") + name, dir.filePath(name));
        }
        QDir::setCurrent(dir.path());
        startProgram(QStringLiteral("/SIM"));
    }
    void TearDown() override {
        setup.reset();
        window.reset();
        QDir::setCurrent(m_buildDir);
    }

    // A configuration like the example's with some entries replaced.
    void writeConfig(const QString& name, const QStringList& entries) {
        QStringList lines{"[VELMAR BOARD]"};
        QStringList keys;
        for (const QString& e : entries) {
            lines << e;
            keys << e.section(u':', 0, 0);
        }
        for (const char* e :
             {"PARTNAME:RQ3118", "PROGRAMNAME:VMB.EXE", "SAMPLEFREQUENCY:100000",
              "MAXSAMPLEFREQUENCY:580000", "SAMPLES:1024", "NUMBEROFBITS:12", "INPUTVMAX:5"}) {
            if (!keys.contains(QString(e).section(u':', 0, 0))) {
                lines << e;
            }
        }
        writeFile(name, lines.join("\r\n") + "\r\n");
    }
    void writeFile(const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toLatin1());
    }

    void open() {
        setup = std::make_unique<frmSetup>(*window);
        setup->show();
        setup->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(setup.get()));
        // Focus events reach the widgets only once the application has seen the activation.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == setup.get(); }));
    }
    // Picks a file by a click on it, then presses Load.
    void load(const QString& file) {
        pick(file);
        click("cmdLoad");
    }
    void pick(const QString& file) { clickFile(*setup, file, false); }
    // A click or a double click on a file of a setup window's list.
    static void clickFile(frmSetup& window, const QString& file, bool twice) {
        auto* list = window.findChild<QListWidget*>("fileConfig");
        const QList<QListWidgetItem*> found = list->findItems(file, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << file.toStdString();
        const QPoint at = list->visualItemRect(found[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            // The double-click event of a real double click follows a press on the same item.
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        }
    }
    template <class T>
    T* child(const char* name) {
        T* w = setup->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    // A user's pick from a list.
    void choose(const char* combo, const QString& entry) {
        auto* box = child<QComboBox>(combo);
        const int at = box->findText(entry);
        ASSERT_GE(at, 0) << entry.toStdString();
        box->setCurrentIndex(at);
        Q_EMIT box->activated(at);
    }
    QStringList entries(const char* combo) {
        QStringList out;
        auto* box = child<QComboBox>(combo);
        for (int i = 0; i < box->count(); ++i) {
            out << box->itemText(i);
        }
        return out;
    }
    // Types into a box that has the focus, then leaves it with Tab.
    void typeAndLeave(const char* name, const QString& text) {
        auto* box = child<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    // Sample, Cont Samp, Power Up, Power Down on the main window.
    QString mainButtons() {
        QString p;
        for (const char* name : {"cmdSample", "cmdContSample", "cmdPowerUp", "cmdPowerDown"}) {
            p += window->findChild<QPushButton*>(name)->isEnabled() ? u'1' : u'0';
        }
        return p;
    }
    QString mainLabel(const char* name) { return window->findChild<QLabel*>(name)->text(); }

    std::unique_ptr<frmSetup> setup;
    QString m_buildDir;
};

// The example configuration's latch: DVDD 3 V on, AVDD 5 V on, bus on, +/-15 V off.
constexpr int16_t kExampleLatch = 0x80 | 0x40 | 0x08 | 0x04;

}  // namespace

TEST_F(SetupWindowTest, OpensWithTheDesignAndTheLiveSettings) {
    writeFile("lower.cfg", "[velmar board]\r\n");
    writeFile("notes.txt", "");
    state->CurrentSettings.SampleFreq = 123456;  // not an entry
    state->CurrentSettings.InputVMax = 2.5;
    const int32_t clock = state->BoardClock.SampleFrequency();
    open();
    EXPECT_EQ(setup->windowTitle(), "Setup Menu");
    EXPECT_EQ(setup->minimumSize(), setup->maximumSize());
    const auto twips = [&](const char* name) { return host::twipsGeometry(child<QWidget>(name)); };
    EXPECT_EQ(twips("fileConfig"), QRect(120, 540, 1935, 1260));
    EXPECT_EQ(twips("cmdCancel"), QRect(4440, 2820, 1095, 375));
    EXPECT_EQ(twips("VMBButton1"), QRect(240, 2280, 4125, 930));
    EXPECT_EQ(child<QLabel>("Label11")->text(), "Other Sample Frequency");
    EXPECT_EQ(child<QPushButton>("cmdLoad")->accessibleName(), "Load");

    // Any letter case of ".cfg", nothing else, in name order.
    auto* files = child<QListWidget>("fileConfig");
    QStringList names;
    for (int i = 0; i < files->count(); ++i) {
        names << files->item(i)->text();
    }
    EXPECT_EQ(names, (QStringList{"lower.cfg", "RQ3116.CFG", "RQ3118.CFG", "RQ3118TC.CFG"}));
    EXPECT_EQ(entries("cboFSample").size(), 12);
    EXPECT_EQ(entries("cboFSample").last(), "580000");
    EXPECT_EQ(entries("cboNumSamples"),
              (QStringList{"256", "512", "1024", "2048", "4096", "8192"}));
    EXPECT_EQ(child<QComboBox>("cboNumSamples")->currentIndex(), 0);
    // Only the text is shown: nothing chosen, the clock untouched.
    EXPECT_EQ(child<QComboBox>("cboFSample")->currentText(), "123456");
    EXPECT_EQ(child<QComboBox>("cboFSample")->currentIndex(), -1);
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 123456);
    EXPECT_EQ(state->BoardClock.SampleFrequency(), clock);
    EXPECT_EQ(child<QLineEdit>("txtOtherFreq")->text(), "123456");
    EXPECT_EQ(child<QLineEdit>("txtVMax")->text(), "2.50");
    EXPECT_EQ(child<QLineEdit>("txtVMin")->text(), "0.00");
    EXPECT_FALSE(child<QPushButton>("cmdLoad")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdCancel")->isEnabled());
    EXPECT_EQ(child<controls::VMBButton>("VMBButton1")->LatchContent(), 144);
    EXPECT_EQ(state->SavedSettings.SampleFreq, 123456);

    pick("RQ3118.CFG");
    EXPECT_TRUE(child<QPushButton>("cmdLoad")->isEnabled());
    EXPECT_EQ(state->ConfigFileIndex, 2);
}

TEST_F(SetupWindowTest, LoadResetsReadsFitsDownloadsAndGivesTheConverterItsCoding) {
    open();
    auto* panel = child<controls::VMBButton>("VMBButton1");
    std::vector<int> shown;
    QObject::connect(panel, &controls::VMBButton::propertyChanged, [&](const QString& name) {
        if (name == "LatchContent") {
            shown.push_back(panel->LatchContent());
        }
    });
    load("RQ3118.CFG");
    // The reset shows 0 and then 144 on this window's panel, the download the file's latch.
    EXPECT_EQ(shown, (std::vector<int>{0, 144, kExampleLatch}));
    EXPECT_EQ(lines(), (QStringList{"Board Reset", "Program Running"}));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(state->CurrentSettings.ProgramLoaded);
    EXPECT_EQ(board->state(), SimBoard::State::Running);
    EXPECT_EQ(board->latch(), kExampleLatch);
    EXPECT_EQ(mainButtons(), "1111");
    EXPECT_EQ(window->findChild<controls::QuorStatus*>("QuorStatus2")
                  ->findChild<QLabel*>("lblText1")
                  ->text(),
              "Part:RQ3118");
    EXPECT_EQ(child<QComboBox>("cboNumSamples")->currentText(), "1024");
    EXPECT_EQ(child<QComboBox>("cboFSample")->currentText(), "100000");
    EXPECT_EQ(child<QLineEdit>("txtVMax")->text(), "5.0000");
    EXPECT_EQ(child<QLineEdit>("txtVMin")->text(), "0.0000");
    EXPECT_FALSE(child<QPushButton>("cmdCancel")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdClose")->hasFocus());
    EXPECT_EQ(board->settings().converter.bits, 12);
    EXPECT_FALSE(board->settings().converter.twosComplement);
    EXPECT_TRUE(test::savePng(setup.get(), m_buildDir + "/setup_window.png"));

    // A double click loads at once; the converter follows each configuration.
    clickFile(*setup, "RQ3118TC.CFG", true);
    EXPECT_EQ(lines().last(), "Program Running");
    EXPECT_TRUE(board->settings().converter.twosComplement);
    EXPECT_EQ(child<QLineEdit>("txtVMin")->text(), "-2.5000");
    EXPECT_EQ(state->ConfigFileIndex, 2);
    load("RQ3116.CFG");
    EXPECT_EQ(board->settings().converter.bits, 16);
    EXPECT_EQ(child<QComboBox>("cboNumSamples")->currentText(), "4096");
}

TEST_F(SetupWindowTest, FrequencyListFitsTheConfigurationsFrequency) {
    writeConfig("f80.cfg", {"SAMPLEFREQUENCY:80000"});
    writeConfig("f20.cfg", {"SAMPLEFREQUENCY:20000"});
    writeConfig("f600.cfg", {"SAMPLEFREQUENCY:600000", "MAXSAMPLEFREQUENCY:580000"});
    open();
    auto* frequency = child<QComboBox>("cboFSample");
    load("f80.cfg");
    EXPECT_EQ(entries("cboFSample").mid(0, 3), (QStringList{"50000", "80000", "100000"}));
    EXPECT_EQ(frequency->currentIndex(), 1);
    EXPECT_EQ(state->BoardClock.SampleFrequency(), 80000);
    load("f20.cfg");
    EXPECT_EQ(entries("cboFSample").first(), "20000");
    EXPECT_EQ(frequency->currentIndex(), 0);
    EXPECT_EQ(entries("cboFSample").size(), 14);  // 80000 stays for this opening
    // Above the maximum: inserted at the end, refused, and the maximum chosen.
    load("f600.cfg");
    EXPECT_EQ(entries("cboFSample").last(), "600000");
    EXPECT_EQ(frequency->currentText(), "580000");
    EXPECT_EQ(frequency->currentIndex(), entries("cboFSample").indexOf("580000"));
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 580000);
    EXPECT_EQ(state->BoardClock.TPeriodLow(), 67);

    // A pick above a 250000 maximum becomes the maximum.
    load("RQ3116.CFG");
    choose("cboFSample", "300000");
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 250000);
    EXPECT_EQ(frequency->currentText(), "250000");
    EXPECT_EQ(state->BoardClock.SampleFrequency(), 250000);
    EXPECT_TRUE(child<QPushButton>("cmdClose")->hasFocus());
}

TEST_F(SetupWindowTest, OtherFrequencyBox) {
    writeConfig("f.cfg", {});
    open();
    load("f.cfg");
    auto* other = child<QLineEdit>("txtOtherFreq");
    auto* frequency = child<QComboBox>("cboFSample");

    typeAndLeave("txtOtherFreq", "2000000");
    EXPECT_EQ(other->text(), "580000");
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 580000);
    EXPECT_EQ(frequency->currentText(), "580000");
    EXPECT_EQ(frequency->currentIndex(), 11);
    EXPECT_TRUE(child<QPushButton>("cmdClose")->hasFocus());

    // A frequency between the entries: the list's text only, nothing selected or inserted.
    typeAndLeave("txtOtherFreq", "123456");
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 123456);
    EXPECT_EQ(state->BoardClock.SampleFrequency(), 123456);
    EXPECT_EQ(frequency->currentText(), "123456");
    EXPECT_EQ(frequency->currentIndex(), -1);
    EXPECT_EQ(frequency->count(), 12);

    typeAndLeave("txtOtherFreq", "0");
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 123456);
    EXPECT_EQ(other->text(), "0");
    EXPECT_TRUE(boxes.shown.empty());

    // The key filter lets digits through and nothing else.
    typeAndLeave("txtOtherFreq", "25a0.0x00");
    EXPECT_EQ(other->text(), "250000");
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 250000);

    // Enter leaves the box for Close, which takes the value.
    other->setFocus();
    other->setText("200000");
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_TRUE(child<QPushButton>("cmdClose")->hasFocus());
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 200000);

    // Empty: the box once, then the focus back with the text selected.
    typeAndLeave("txtOtherFreq", "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.shown.size() == 1u; }));
    EXPECT_EQ(boxes.shown[0].text, "Invalid Frequency Entered");
    EXPECT_EQ(boxes.shown[0].title, "Setup Menu");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 200000);
    QTest::qWait(20);
    EXPECT_EQ(boxes.shown.size(), 1u);
    // The same for pasted letters, and for a frequency the clock cannot make, which changes
    // nothing.
    other->setText("abc");
    QTest::keyClick(other, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.shown.size() == 2u; }));
    EXPECT_EQ(other->selectedText(), "abc");
    typeAndLeave("txtOtherFreq", "3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.shown.size() == 3u; }));
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 200000);
    EXPECT_EQ(state->BoardClock.SampleFrequency(), 200000);
    // Losing the window's activation is not leaving the box.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(other, &away);
    QTest::qWait(20);
    EXPECT_EQ(boxes.shown.size(), 3u);
}

TEST_F(SetupWindowTest, InputRangeBoxes) {
    open();
    typeAndLeave("txtVMax", "2.5");
    EXPECT_EQ(state->CurrentSettings.InputVMax, 2.5);
    EXPECT_EQ(child<QLineEdit>("txtVMax")->text(), "2.5000");
    typeAndLeave("txtVMax", "1.2.3");
    EXPECT_EQ(state->CurrentSettings.InputVMax, 1.2);
    EXPECT_EQ(child<QLineEdit>("txtVMax")->text(), "1.2000");
    // A minus sign cannot be typed; a box without a number stores 0.
    typeAndLeave("txtVMin", "-.");
    EXPECT_EQ(state->CurrentSettings.InputVMin, 0.0);
    EXPECT_EQ(child<QLineEdit>("txtVMin")->text(), "0.0000");
    typeAndLeave("txtVMin", "0.75");
    EXPECT_EQ(state->CurrentSettings.InputVMin, 0.75);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SetupWindowTest, CancelRestoresTheEditsButNotTheClockOrTheMaximum) {
    auto* holdZoom = window->findChild<QCheckBox*>("chkHoldZoom");
    holdZoom->setEnabled(true);
    holdZoom->setChecked(true);
    open();
    const int32_t maximum = state->CurrentSettings.Max_Frequency;
    choose("cboNumSamples", "4096");
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 4);
    EXPECT_TRUE(state->Record.ZoomReset);
    EXPECT_FALSE(holdZoom->isChecked());
    choose("cboFSample", "200000");
    typeAndLeave("txtVMax", "3.3");
    click("cmdCancel");
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 0);
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 100000);
    EXPECT_EQ(state->CurrentSettings.InputVMax, 5.0);
    EXPECT_EQ(state->BoardClock.SampleFrequency(), 200000);
    EXPECT_EQ(state->CurrentSettings.Max_Frequency, maximum);

    // Close keeps them.
    open();
    choose("cboNumSamples", "512");
    click("cmdClose");
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 1);
}

TEST_F(SetupWindowTest, EscapeCancelsWhileCancelIsAvailableAndClosesOtherwise) {
    open();
    choose("cboNumSamples", "4096");
    // An entry still being typed: its box runs its rules first, as a click on Cancel makes it.
    auto* other = child<QLineEdit>("txtOtherFreq");
    other->setFocus();
    other->selectAll();
    QTest::keyClick(other, Qt::Key_Backspace);
    QTest::keyClicks(other, "123456");
    QTest::keyClick(other, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 0);
    EXPECT_EQ(state->CurrentSettings.SampleFreq, 100000);
    EXPECT_EQ(state->BoardClock.SampleFrequency(), 123456);  // the clock is not put back
    EXPECT_TRUE(boxes.shown.empty());

    // Pressed during a Load, it waits for the load's end; the download then took Cancel away.
    open();
    pick("RQ3118.CFG");
    state->CurrentSettings.InputVMax = 1.0;
    bool heldOpen = false;
    QTimer::singleShot(0, [&] {
        QTest::keyClick(setup.get(), Qt::Key_Escape);
        heldOpen = setup->isVisible();
        EXPECT_EQ(state->CurrentSettings.InputVMax, 1.0);
    });
    click("cmdLoad");
    EXPECT_TRUE(heldOpen);
    EXPECT_TRUE(state->CurrentSettings.ProgramLoaded);
    EXPECT_TRUE(setup->isVisible());
    EXPECT_FALSE(child<QPushButton>("cmdCancel")->isEnabled());

    // Without Cancel it closes and keeps the edits.
    choose("cboNumSamples", "512");
    QTest::keyClick(child<QComboBox>("cboNumSamples"), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 1);
}

TEST_F(SetupWindowTest, SupplySwitchesSendTheLatch) {
    // The latch command is the DSP program's.
    open();
    load("RQ3118.CFG");
    click("cmdClose");
    state->BoardLatch.setLatch(144);
    open();
    auto* panel = child<controls::VMBButton>("VMBButton1");
    QTest::mouseClick(panel->findChild<QWidget*>("Button1"), Qt::LeftButton);
    EXPECT_EQ(panel->LatchContent(), 144 | 0x20);
    EXPECT_EQ(board->latch(), 144 | 0x20);
    EXPECT_EQ(state->BoardLatch.latch(), 144 | 0x20);
    EXPECT_EQ(lines().last(), "Supplies Changed");
    EXPECT_FALSE(child<QPushButton>("cmdCancel")->isEnabled());
    click("cmdClose");

    // A board that does not answer: the box, the line, the latch and Cancel as they were.
    board->setFaults(parseFaultSpec("no-board").value());
    open();
    panel = child<controls::VMBButton>("VMBButton1");
    QTest::mouseClick(panel->findChild<QWidget*>("Button2"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Send Command Error");
    EXPECT_EQ(boxes.shown[0].text,
              "Communication with the Velmar Board Failed.\r\n(Error 507)\r\nPlease Reset the "
              "Board and Try Again.");
    EXPECT_EQ(lines().last(), "Send Command Error");
    EXPECT_EQ(state->BoardLatch.latch(), 144 | 0x20);
    EXPECT_EQ(panel->LatchContent(), 144 | 0x20 | 0x08);  // the panel shows the new switch
    EXPECT_TRUE(child<QPushButton>("cmdCancel")->isEnabled());
}

TEST_F(SetupWindowTest, DownloadFailuresAndRefusedConfigurations) {
    writeConfig("missing.cfg", {"PROGRAMNAME:NOSUCH.EXE"});
    writeFile("BAD.EXE", "x\r\n@pa\r\n0000\r\n123456\r\n#\r\n");
    writeConfig("bad.cfg", {"PROGRAMNAME:BAD.EXE"});
    writeFile("noheader.cfg", "PARTNAME:X\r\n[VELMAR BOARD]\r\n");
    const QString board504 =
        "Communication with the Velmar Board Failed.\r\n(Error %1)\r\n"
        "Please Reset the Board and Try Again.";
    struct Row {
        const char* file;
        const char* fault;  // from the start of the Load: 4 reset bytes, 4 of command 2, 2 of
                            // the length, 5 per word of the 96 words
        QString message;
    } rows[] = {
        {"missing.cfg", "none",
         "The Program File specified by the Configuration\r\nFile could not be found. Please "
         "make sure\r\nit is in the current directory."},
        {"bad.cfg", "none",
         "The Program File specified by the Configuration\r\nFile does not appear to be a valid "
         "DSP file"},
        {"RQ3118.CFG", "stop-after=4", board504.arg(504)},
        {"RQ3118.CFG", "stop-after=8", board504.arg(505)},
        {"RQ3118.CFG", "refuse=3", board504.arg(506)},
        {"RQ3118.CFG", "stop-after=490", board504.arg(507)},
    };
    open();
    for (const Row& r : rows) {
        // A good load first, so that the failure has something to take away.
        board->setFaults({});
        board->pressResetButton();
        load("RQ3118.CFG");
        ASSERT_EQ(mainButtons(), "1111");
        boxes.shown.clear();
        board->setFaults(parseFaultSpec(r.fault).value());
        load(r.file);
        ASSERT_EQ(boxes.shown.size(), 1u) << r.file << " " << r.fault;
        EXPECT_EQ(boxes.shown[0].text, r.message) << r.fault;
        EXPECT_EQ(boxes.shown[0].title, "Program Load Error");
        EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(boxes.shown[0].buttons, MsgButtons::Ok);
        EXPECT_FALSE(state->CurrentSettings.ProgramLoaded);
        EXPECT_EQ(mainButtons(), "0000") << r.fault;
        EXPECT_NE(lines().last(), "Program Running");
    }

    // A refused configuration: its own box and the line, and no download.
    setup.reset();
    board->setFaults({});
    board->pressResetButton();
    open();
    boxes.shown.clear();
    load("noheader.cfg");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "This is not a valid CFG file");
    EXPECT_EQ(lines(), (QStringList{"Board Reset", "Error Loading CFG"}));
    EXPECT_EQ(board->state(), SimBoard::State::Monitor);
    EXPECT_TRUE(child<QPushButton>("cmdCancel")->isEnabled());
}

TEST_F(SetupWindowTest, AFrequencyTheClockRefusesEndsLoadWithItsBoxAndLine) {
    writeConfig("slow.cfg", {"SAMPLEFREQUENCY:3"});
    open();
    load("slow.cfg");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Invalid Frequency Entered");
    EXPECT_EQ(boxes.shown[0].title, "Setup Menu");
    EXPECT_EQ(lines(), (QStringList{"Board Reset", "Error Loading CFG"}));
    EXPECT_EQ(board->state(), SimBoard::State::Monitor);  // nothing downloaded
    EXPECT_FALSE(state->CurrentSettings.ProgramLoaded);
    EXPECT_EQ(mainButtons(), "0000");
    EXPECT_EQ(child<QComboBox>("cboFSample")->currentText(), "3");
    EXPECT_TRUE(child<QPushButton>("cmdCancel")->isEnabled());
}

TEST_F(SetupWindowTest, RecordLengthTheListCannotSelect) {
    writeConfig("long.cfg", {"SAMPLES:16384"});
    open();
    load("long.cfg");
    auto* samples = child<QComboBox>("cboNumSamples");
    EXPECT_EQ(samples->currentIndex(), -1);
    EXPECT_EQ(samples->placeholderText(), "16384");
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 6);
    // The board takes it: a capture of 16384 samples.
    click("cmdClose");
    QTest::mouseClick(window->findChild<QPushButton*>("cmdSample"), Qt::LeftButton);
    EXPECT_EQ(lines().last(), "16384 Data Samples Uploaded");
}

TEST_F(SetupWindowTest, CloseAndCancelDuringLoadWaitForIt) {
    open();
    pick("RQ3118.CFG");
    // Pressed while the reset pauses: the close is carried out after the download.
    bool heldOpen = false;
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(state->CurrentSettings.ProgramLoaded);  // the reset is pausing
        click("cmdClose");
        heldOpen = setup->isVisible();
    });
    click("cmdLoad");
    EXPECT_TRUE(heldOpen);
    EXPECT_EQ(lines().last(), "Program Running");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !setup->isVisible(); }));

    // Cancel pressed meanwhile finds itself unavailable once the download has succeeded.
    open();
    state->CurrentSettings.InputVMax = 1.0;
    QTimer::singleShot(0, [&] {
        click("cmdCancel");
        EXPECT_EQ(state->CurrentSettings.InputVMax, 1.0);  // nothing restored mid-load
    });
    click("cmdLoad");
    EXPECT_TRUE(setup->isVisible());
    EXPECT_EQ(state->CurrentSettings.InputVMax, 5.0);
    EXPECT_TRUE(state->CurrentSettings.ProgramLoaded);
}

// The program as a user runs it: the menu opens the window modally, a file is loaded, the window
// closed, a record sampled, saved, and loaded back with the same read-outs; the next opening
// preselects the file.
TEST_F(SetupWindowTest, RunThroughFromTheWindowAlone) {
    auto* saveRaw = window->findChild<QAction*>("SaveRawData");
    saveRaw->trigger();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "There is no data to save.");
    EXPECT_EQ(boxes.shown[0].title, "");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    EXPECT_TRUE(dialogs.asked.empty());
    boxes.shown.clear();

    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<frmSetup*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        EXPECT_TRUE(modal->isModal());
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        clickFile(*modal, "RQ3118.CFG", true);
        QTest::mouseClick(modal->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
        ran = true;
    });
    window->findChild<QAction*>("mnuSetup")->trigger();
    ASSERT_TRUE(ran);
    EXPECT_EQ(lines().last(), "Program Running");
    EXPECT_TRUE(boxes.shown.empty());

    QTest::mouseClick(window->findChild<QPushButton*>("cmdSample"), Qt::LeftButton);
    EXPECT_EQ(lines().last(), "1024 Data Samples Uploaded");
    const QString max = mainLabel("lblMax");
    const QString min = mainLabel("lblMin");
    const QString snr = mainLabel("lblSNRvalue");
    const QString thd = mainLabel("lblTHDvalue");
    const QString freq = mainLabel("lblFREQvalue");
    const std::vector<double> record = state->Record.SampleData;
    EXPECT_GT(std::stod(max.toStdString()), 3000.0);  // a 12-bit binary converter's codes
    EXPECT_LT(std::stod(max.toStdString()), 4096.0);

    const QString saved = dir.filePath("Record.DAT");
    dialogs.answers = {saved};
    saveRaw->trigger();
    EXPECT_EQ(dialogs.asked.back().title, "Save FFT Data");
    EXPECT_TRUE(dialogs.asked.back().promptOverwrite);
    EXPECT_TRUE(QFile::exists(saved));  // the name keeps its letter case
    // A cancelled dialog ends quietly.
    dialogs.answers = {std::nullopt};
    window->findChild<QAction*>("mnuLoadRawData")->trigger();
    EXPECT_EQ(lines().last(), "1024 Data Samples Uploaded");
    EXPECT_TRUE(boxes.shown.empty());

    dialogs.answers = {saved};
    window->findChild<QAction*>("mnuLoadRawData")->trigger();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialogs.asked.back().title, "Load A Data File");
    EXPECT_EQ(lines().last(), "1024 Data Samples Read");
    EXPECT_EQ(state->Record.SampleData, record);
    EXPECT_EQ(mainLabel("lblMax"), max);
    EXPECT_EQ(mainLabel("lblMin"), min);
    EXPECT_EQ(mainLabel("lblSNRvalue"), snr);
    EXPECT_EQ(mainLabel("lblTHDvalue"), thd);
    EXPECT_EQ(mainLabel("lblFREQvalue"), freq);
    EXPECT_TRUE(test::savePng(window.get(), m_buildDir + "/main_window_loaded_record.png"));

    // A file that cannot be read is reported and leaves the record and the plots.
    auto* dso = window->findChild<StripChart*>("stripDSO");
    const double top = dso->yTop();
    writeFile("empty.dat", "\r\n");
    dialogs.answers = {dir.filePath("empty.dat")};
    window->findChild<QAction*>("mnuLoadRawData")->trigger();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Error");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(boxes.shown[0].text.contains("Error 62"));
    EXPECT_EQ(state->Record.SampleData, record);
    EXPECT_EQ(state->CurrentSettings.NumberOfSamples, 2);
    EXPECT_EQ(dso->yTop(), top);
    EXPECT_EQ(dso->pointCount(), 1024);
    EXPECT_EQ(mainLabel("lblMax"), max);
    EXPECT_EQ(lines().last(), "1024 Data Samples Read");

    // The next opening preselects the file and shows the range with two decimals.
    open();
    EXPECT_EQ(child<QListWidget>("fileConfig")->currentItem()->text(), "RQ3118.CFG");
    EXPECT_TRUE(child<QPushButton>("cmdLoad")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdCancel")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("txtVMax")->text(), "5.00");
    EXPECT_EQ(child<QComboBox>("cboNumSamples")->currentText(), "1024");
    EXPECT_EQ(child<controls::VMBButton>("VMBButton1")->LatchContent(), kExampleLatch);
}
