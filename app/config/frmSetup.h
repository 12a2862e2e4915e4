#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

#include "board/ResetBoard.h"
#include "config/ConfigurationLoad.h"
#include "config/FrequencyList.h"
#include "config/SetupHost.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace rq {

namespace controls {
class VMBButton;
}

// The setup window: a configuration file picked from the current directory's "*.cfg" files and
// loaded (board reset, the file, the sample clock, the DSP program download), the sample
// frequency and record length, the input range of the volts display and the supply switches.
// Each opening is a new window; edits go to the live settings at once, and Cancel puts back the
// snapshot taken at opening until a program has been downloaded or the supplies changed.
//
// It works on its opener's program state, board link and message list. The reset inside
// Load reaches its own supply panel and the main window's buttons. A close asked for while Load
// waits for the board's restart is held until Load returns.
class frmSetup : public QDialog, public ResetNotifications, public ConfigurationLoadHost {
    Q_OBJECT

public:
    explicit frmSetup(SetupHost& main);
    ~frmSetup() override;

    // ResetNotifications, for the reset inside Load.
    void disableDisplayOptions() override;
    void setPanelLatchContent(int16_t value) override;
    void disableCaptureButtons() override;
    // ConfigurationLoadHost: the fitted frequency is shown before the download.
    void frequencyChosen(const NumberedError* refusal) override;
    // The configuration summary is rewritten before "Program Running" is listed.
    void programStarted() override;

public Q_SLOTS:
    void cmdLoad_Click();
    void cmdClose_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private Q_SLOTS:
    void fileConfig_Click();
    void fileConfig_DblClick();
    void cboFSample_Click(int index);
    void cboNumSamples_Click();
    void VMBButton1_Click();

private:
    class Loading;

    void createControls();
    void Form_Load();
    void listConfigFiles();
    // Runs a choice of the sample frequency, shows the list and moves the focus to Close; a
    // frequency the sample clock refuses is reported instead.
    bool chooseFrequency(const std::function<void()>& choice);
    // The list after a choice, and the focus on Close or the refusal's box.
    bool showChoice(bool accepted);
    void showFrequencies();
    void SelectNumberOfSamples();
    void ShowLatchOnPanel();
    void showInputRange(const char16_t* pattern);
    bool filterKey(QKeyEvent* key, bool point);
    void lostFocus(QLineEdit* box);
    void txtOtherFreq_LostFocus();
    void invalidFrequency();
    void inputRange_LostFocus(QLineEdit* box, double& value);
    void loadEnded();

    SetupHost& m_main;
    ProgramState& m_state;
    FrequencyList m_frequencies;
    QStringList m_shownFrequencies;  // the entries cboFSample holds
    bool m_loading = false;
    bool m_closePending = false;
    bool m_cancelPending = false;
    bool m_invalidPending = false;  // "Invalid Frequency Entered" waits to be shown

    // Controls, by their design names.
    QLabel* Label1 = nullptr;
    QListWidget* fileConfig = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cboNumSamples = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboFSample = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* txtOtherFreq = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtVMax = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtVMin = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* Label6 = nullptr;
    controls::VMBButton* VMBButton1 = nullptr;
};

}  // namespace rq
