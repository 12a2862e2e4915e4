#pragma once

#include <functional>

#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <memory>

#include "acquire/AcquisitionSession.h"
#include "acquire/Analysis.h"
#include "acquire/ChartProcedures.h"
#include "acquire/MainScreenRules.h"
#include "board/CommsFunctions.h"
#include "board/ResetBoard.h"
#include "board/WindowsVersion.h"
#include "common/QtHost.h"
#include "config/PersistedState.h"
#include "config/SetupHost.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace rq {

class StripChart;
namespace host {
class ControlRegistry;
}
namespace controls {
class QuorStatus;
class ToggleButton;
class QuorFFTControl;
class QuorHistogram;
}  // namespace controls

// The program's main window: the capture buttons, the configuration summary and message list,
// the time-domain chart with its display options, the spectrum chart beside the FFT panel, the
// histogram that takes their place in histogram mode, the cursor read-out and the menus.
// Creating it runs the program's start-up (the port, the start values, the window's own
// preparation, then the restore of "/GET"); closing it runs the shut-down and ends the program.
//
// Handlers carry their design names and stay short: the capture, the continuous run and the file
// dispatch are the acquisition session's (the window is its view), the board traffic and the
// window's rules are in the core. A close that arrives while a handler is inside a turn
// of the event loop (a continuous run, a capture waiting for the board, the reset's pause) is
// held until that handler returns; it stops a continuous run and ends a capture wait.
class frmMainScreen : public QMainWindow,
                      public MainWindowPlacement,
                      public ResetNotifications,
                      public SetupHost {
    Q_OBJECT

public:
    // What the program hands its main window. The boxes, dialogs and beep default to the real
    // ones; tests give their own.
    struct Environment {
        ProgramState* state = nullptr;
        ParallelPortLibrary* port = nullptr;
        SettingsStore* store = nullptr;
        host::ControlRegistry* registry = nullptr;
        PlatformVersion platform;
        bool simulated = false;
        MessageBoxes* boxes = nullptr;
        FileDialogs* dialogs = nullptr;
        Beeper* beeper = nullptr;
        // Told of each configuration the setup window loads, where the program has something
        // to follow it with (the simulated converter takes its bits and coding).
        std::function<void(const Settings&)> configurationLoaded;
    };

    explicit frmMainScreen(const Environment& env);
    ~frmMainScreen() override;

    // MainWindowPlacement: the outer size and place, in twips.
    double left() const override;
    double top() const override;
    double width() const override;
    double height() const override;
    void setLeft(double twips) override;
    void setTop(double twips) override;
    void setWidth(double twips) override;
    void setHeight(double twips) override;
    ScreenAreas screens() const override;
    void ShowConfiguration() override;

    // ResetNotifications, and the setup window's reset effects.
    void disableDisplayOptions() override;
    void setPanelLatchContent(int16_t value) override;
    void disableCaptureButtons() override;
    // A program download succeeded: the capture and power buttons are available.
    void enableCaptureButtons() override;
    // Whether "Sample" is available now: a program runs on the board and nothing else captures.
    bool captureAvailable() const;

    // The record length changed: the next plot resets the x-ranges, and "Hold Zoom" is
    // unchecked.
    void resetZoom() override;

    // The "Analysis" menu's items, which the program connects to its figures and sweep windows.
    QAction* converterFiguresItem() const { return mnuConverterFigures; }
    QAction* testReportItem() const { return mnuTestReport; }
    QAction* sweepItem() const { return mnuSweep; }

    // Items the program adds at the end of the "Printer Port" menu (the simulated board's).
    void addPortMenuItems(const QList<QAction*>& items);

    // SetupHost.
    QWidget* hostWindow() override { return this; }
    CommsFunctions& comms() override { return *m_comms; }
    ProgramState& state() override { return m_state; }
    host::ControlRegistry& controlRegistry() override;
    void configurationLoaded(const Settings& settings) override {
        if (m_env.configurationLoaded) {
            m_env.configurationLoaded(settings);
        }
    }
    const MainLayout& layoutTwips() const { return m_layout; }
    bool ContinuousSampling() const { return m_session->continuousSampling(); }
    // A close arrived during a handler's turn of the event loop and waits for it.
    bool closePending() const { return m_closePending; }

    // The capture, continuous run and file dispatch behind the window's handlers; further
    // views follow its announcements.
    AcquisitionSession& session() { return *m_session; }
    const AcquisitionSession::CaptureTimings& lastCaptureTimings() const {
        return m_session->lastCaptureTimings();
    }

public Q_SLOTS:
    void cmdSample_Click();
    void cmdContSample_Click();
    void cmdStopSampling_Click();
    void cmdReset_Click();
    void cmdPowerUp_Click();
    void cmdPowerDown_Click();
    void cmdQuit_Click();
    void mnuLoadRawData_Click();
    void SaveRawData_Click();
    void mnuSaveBinary_Click();
    void SaveFFTData_Click();
    void mnuLoadFFTData_Click();
    void ExitProgram_Click();
    void mnuSetUP_Click();
    void mnuAbout_Click();
    void mnuLPT1_Click();
    void mnuLPT2_Click();
    void mnuPRN_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void cboDisplayMode_Click();
    void chkHGrid_Click();
    void chkVGrid_Click();
    void chkTickPoints_Click();
    void chkZoomHandles_Click();
    void chkHoldZoom_Click();
    void stripDSO_CursorChange(int x);
    void StripFFT_CursorChange(int x);
    void stripDSO_MouseUp();
    void StripFFT_MouseUp();
    void ToggleButton1_Click();
    void QuorFFTControl1_BHWindow();

private:
    class Busy;
    class BoardWork;
    class HeldRun;
    class ChartMembers;
    class ControlAnalysis;
    class SessionView;

    QRect outerTwips() const;
    void setOuterTwips(const QRect& twips);
    QMargins frameNow() const;
    // The frame turned up or changed while the window waits for one: the outer frame again.
    void frameChanged();
    void createControls();
    void createMenus();
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void applyLayout();
    void applyPortMenus();
    // Power down (20) or up (22), with the line that says it worked.
    void powerCommand(int16_t commandCode, const QString& done);
    void ShowMaxMin(double largest, double smallest);
    void showCursorText(const QString& text);
    void busyEnded();

    Environment m_env;
    ProgramState& m_state;
    std::unique_ptr<MessageBoxes> m_ownBoxes;
    std::unique_ptr<FileDialogs> m_ownDialogs;
    std::unique_ptr<Beeper> m_ownBeeper;
    MessageBoxes& m_boxes;
    FileDialogs& m_dialogs;
    Beeper& m_beeper;
    EventLoopYield m_yield;
    QtWatchdogTimer m_timer1;
    std::unique_ptr<CommsFunctions> m_comms;
    std::unique_ptr<ChartMembers> m_dsoMembers;
    std::unique_ptr<ChartMembers> m_fftMembers;
    std::unique_ptr<MainCharts> m_charts;
    std::unique_ptr<ControlAnalysis> m_analysis;
    std::unique_ptr<SessionView> m_view;
    std::unique_ptr<AcquisitionSession> m_session;
    MainLayout m_layout;
    QRect m_outer;               // the outer frame asked for last, in twips
    QMargins m_frame;            // the frame it was laid out with
    bool m_framePending = true;  // laid out without a frame: again when one turns up
    bool m_shown = false;

    int m_busy = 0;
    // Captures, continuous runs and resets in progress, and the states of the file items they
    // make unavailable, as they were before the first of them began.
    int m_boardWork = 0;
    bool m_fileItemsEnabled[3] = {};
    bool m_closePending = false;
    bool m_unloaded = false;
    // A run another window drives through the session (a sweep) counts as board work too.
    std::unique_ptr<HeldRun> m_heldRun;

    // Controls, by their design names.
    QPushButton* cmdSample = nullptr;
    QPushButton* cmdPowerDown = nullptr;
    QPushButton* cmdContSample = nullptr;
    QPushButton* cmdPowerUp = nullptr;
    QPushButton* cmdStopSampling = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdQuit = nullptr;
    controls::QuorStatus* QuorStatus2 = nullptr;
    controls::QuorStatus* QuorStatus1 = nullptr;
    controls::ToggleButton* ToggleButton1 = nullptr;
    QFrame* picMaxMinBox = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblMin = nullptr;
    StripChart* stripDSO = nullptr;
    QComboBox* cboDisplayMode = nullptr;
    QCheckBox* chkVGrid = nullptr;
    QCheckBox* chkHGrid = nullptr;
    QCheckBox* chkHoldZoom = nullptr;
    QCheckBox* chkTickPoints = nullptr;
    QCheckBox* chkZoomHandles = nullptr;
    QLabel* lblCursorInfo = nullptr;
    StripChart* StripFFT = nullptr;
    controls::QuorFFTControl* QuorFFTControl1 = nullptr;
    controls::QuorHistogram* QuorHistogram1 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* lstINI_File = nullptr;

    QAction* mnuSetup = nullptr;
    QAction* LoadEXE = nullptr;
    QAction* mnuLoadRawData = nullptr;
    QAction* mnuLoadFFTData = nullptr;
    QAction* SaveRawData = nullptr;
    QAction* mnuSaveBinary = nullptr;
    QAction* SaveFFTData = nullptr;
    QAction* ExitProgram = nullptr;
    QAction* mnuLPT1 = nullptr;
    QAction* mnuLPT2 = nullptr;
    QAction* mnuPRN = nullptr;
    QAction* mnuSimulated = nullptr;
    QAction* mnuConverterFigures = nullptr;
    QAction* mnuTestReport = nullptr;
    QAction* mnuSweep = nullptr;
    QAction* mnuAbout = nullptr;
    QMenu* mnuPrinterPort = nullptr;
};

// The registry of the five control libraries, as the program's windows create their controls.
host::ControlRegistry& programControls();

}  // namespace rq
