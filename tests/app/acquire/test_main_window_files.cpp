// Protects the main window's files as a user meets them, on the offscreen platform: the save
// dialog itself (a typed name gets ".dat" with "DAT Files" chosen, and the overwrite question
// names that file; "All Files" keeps the name), the lines a raw load adds about items that were
// not numbers and codes the converter cannot give, and a per-user store that cannot be written
// at exit (reported, and the window still closes).
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FullFileSystem.h"
#include "MainWindowHarness.h"
#include "WidgetTest.h"
#include "host/Colours.h"
#include "status/QuorStatus.h"

using namespace rq;

namespace {

class MainWindowFilesTest : public test::WidgetTest, protected test::SimulatedProgram {
protected:
    template <class T>
    T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString writeFile(const char* name, const QByteArray& text) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    }
    QByteArray readFile(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A record of n codes of 100.
    void giveRecord(int n) {
        state->Record.SampleData.assign(static_cast<size_t>(n), 100.0);
        state->Record.sampleDimensioned = true;
    }
    // Runs what the user does in each modal window that comes up while the menu item's handler
    // runs: each step gets the next one, in order.
    void inModalWindows(std::vector<std::function<void(QWidget*)>> steps) {
        m_steps = std::move(steps);
        m_seen.clear();
        auto* poll = new QTimer(window.get());
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || m_seen.contains(modal) || m_steps.empty()) {
                if (m_steps.empty()) {
                    poll->deleteLater();
                }
                return;
            }
            m_seen << modal;
            // Run from a timer of its own: a step opens the next modal window, and this timer
            // must keep looking while it waits.
            QTimer::singleShot(0, modal,
                               [step = std::move(m_steps.front()), modal] { step(modal); });
            m_steps.erase(m_steps.begin());
        });
        poll->start();
        // A step that never comes must not hang the test: close whatever waits.
        QTimer::singleShot(20000, poll, [this] {
            ADD_FAILURE() << m_steps.size() << " modal windows never came";
            m_steps.clear();
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) {
                    dialog->reject();
                }
            }
        });
    }
    // In the save dialog: the test's folder, the filter the keys pick, the name typed, Return.
    std::function<void(QWidget*)> typeName(const QString& name, int filterDowns = 0) {
        return [this, name, filterDowns](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            titles << dialog->windowTitle();
            dialog->setDirectory(dir.path());
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            for (int k = 0; k < filterDowns; ++k) {
                QTest::keyClick(types, Qt::Key_Down);
            }
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            // Typed where a user types: into the focused name box of the active dialog (a box
            // without the focus follows the file list's selection instead).
            QApplication::setActiveWindow(dialog);
            edit->setFocus();
            ASSERT_TRUE(edit->hasFocus());
            QTest::keyClicks(edit, name);
            // The name completer may offer a file already there; the user ignores it.
            if (edit->completer() != nullptr && edit->completer()->popup() != nullptr) {
                edit->completer()->popup()->hide();
            }
            if (edit->text() != name) {
                ADD_FAILURE() << "typed " << name.toStdString() << ", the box shows "
                              << edit->text().toStdString();
                dialog->reject();
                return;
            }
            auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            ASSERT_NE(buttons, nullptr);
            if (!QFile::exists(QStringLiteral("save-dialog.png"))) {
                EXPECT_TRUE(test::savePng(dialog, QStringLiteral("save-dialog.png")));
            }
            buttons->button(QDialogButtonBox::Save)->click();
        };
    }
    // The overwrite question: its text is kept and it is answered.
    std::function<void(QWidget*)> answer(QMessageBox::StandardButton button) {
        return [this, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            questions << box->text();
            box->button(button)->click();
        };
    }
    QStringList titles, questions;

private:
    std::vector<std::function<void(QWidget*)>> m_steps;
    QList<QWidget*> m_seen;
};

}  // namespace

TEST_F(MainWindowFilesTest, SaveDialogGivesTypedNamesTheDatExtension) {
    realDialogs = true;
    startProgram(QStringLiteral("/SIM"));
    giveRecord(256);
    const QByteArray record = QByteArray("100.000000\r\n").repeated(256);

    // "DAT Files" is chosen: "run1" is written as run1.dat, the name the Load dialog lists.
    inModalWindows({typeName(QStringLiteral("run1"))});
    child<QAction>("SaveRawData")->trigger();
    EXPECT_EQ(titles, QStringList{"Save FFT Data"});
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(readFile("run1.dat"), record);
    EXPECT_FALSE(QFile::exists(dir.filePath("run1")));

    // Again: the overwrite question is about run1.dat; No goes back to the dialog, which is
    // then cancelled, and the file stays as it was.
    giveRecord(512);
    inModalWindows({typeName(QStringLiteral("run1")), [this](QWidget* box) {
                        answer(QMessageBox::No)(box);
                        QTimer::singleShot(50, [] {
                            if (auto* dialog =
                                    qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                                dialog->reject();
                            }
                        });
                    }});
    child<QAction>("mnuSaveBinary")->trigger();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("run1.dat")) << questions[0].toStdString();
    EXPECT_EQ(readFile("run1.dat"), record);
    // Yes replaces it.
    questions.clear();
    inModalWindows({typeName(QStringLiteral("run1")), answer(QMessageBox::Yes)});
    child<QAction>("mnuSaveBinary")->trigger();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("run1.dat"));
    EXPECT_EQ(readFile("run1.dat"), QByteArray("0000000001100100\r\n").repeated(512));

    // A name with an extension of its own keeps it.
    inModalWindows({typeName(QStringLiteral("run2.txt"))});
    child<QAction>("SaveRawData")->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("run2.txt")));
    EXPECT_FALSE(QFile::exists(dir.filePath("run2.txt.dat")));

    // "All Files" chosen (one step down the type list): the name is kept as typed.
    inModalWindows({typeName(QStringLiteral("run3"), 1)});
    child<QAction>("SaveRawData")->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("run3")));
    EXPECT_FALSE(QFile::exists(dir.filePath("run3.dat")));
}

TEST_F(MainWindowFilesTest, RawLoadSaysHowManyItemsWereNotNumbersAndCodesOutOfRange) {
    startProgram(QStringLiteral("/SIM"));
    // 12 bits, straight binary: 0 to 4095. Three items hold no number, two codes are outside.
    QByteArray text;
    for (int i = 0; i < 1024; ++i) {
        if (i == 10 || i == 20) {
            text += "x\r\n";
        } else if (i == 30) {
            text += "NaN\r\n";
        } else if (i == 40) {
            text += "5000\r\n";
        } else if (i == 50) {
            text += "-7\r\n";
        } else {
            text += QByteArray::number(2048 + (i % 7)) + "\r\n";
        }
    }
    dialogs.answers.push_back(writeFile("mixed.dat", text));
    child<QAction>("mnuLoadRawData")->trigger();
    EXPECT_TRUE(boxes.shown.empty());
    const QStringList l = lines();
    ASSERT_GE(l.size(), 3);
    EXPECT_EQ(l[l.size() - 3], "1024 Data Samples Read");
    EXPECT_EQ(l[l.size() - 2], "3 items were not numbers and read as 0");
    EXPECT_EQ(l.last(), "2 values outside 0 to 4095");  // the three zeros are inside
    auto* list = child<controls::QuorStatus>("QuorStatus1");
    const auto colourOf = [&](qsizetype line) {
        return host::foreColour(list->findChild<QLabel*>(QString("lblText%1").arg(line)));
    };
    EXPECT_EQ(colourOf(l.size() - 2), 255u);
    EXPECT_EQ(colourOf(l.size() - 1), colourOf(l.size() - 3));
    EXPECT_NE(colourOf(l.size() - 1), 255u);

    // A clean record adds nothing after its count.
    QByteArray clean;
    for (int i = 0; i < 256; ++i) {
        clean += QByteArray::number(i * 16) + "\r\n";
    }
    dialogs.answers.push_back(writeFile("clean.dat", clean));
    child<QAction>("mnuLoadRawData")->trigger();
    EXPECT_EQ(lines().last(), "256 Data Samples Read");
}

TEST_F(MainWindowFilesTest, AStoreThatCannotBeWrittenAtExitIsReportedAndTheWindowCloses) {
    test::FullFileSystem fs;
    RQ_MOUNT_FULL_FS_OR_SKIP(fs);
    {
        QSettingsStore before(fs.path());
        before.save("VelmarBoard", "Configuration", "PartName", "RQ3116");
    }
    const QByteArray kept = fs.read("VelmarBoard.ini");
    fs.fill();
    storeFolder = fs.path();
    startProgram(QStringLiteral("/SIM /SAVE"));
    window->close();
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "An Error Occurred While Writing This File.\r\n" +
                                       fs.filePath("VelmarBoard.ini") +
                                       "\r\n(Error 75: the file could not be written)");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(fs.read("VelmarBoard.ini"), kept);
}
