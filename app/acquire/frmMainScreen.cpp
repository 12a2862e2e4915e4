#include "acquire/frmMainScreen.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <array>

#include "acquire/Conversion.h"
#include "acquire/DataFiles.h"
#include "buttons/VMBButton.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "config/SetupRules.h"
#include "config/frmSetup.h"
#include "config/frmSplash.h"
#include "fft/QuorFFTControl.h"
#include "histogram/QuorHistogram.h"
#include "host/ControlRegistry.h"
#include "host/DesignFont.h"
#include "host/PropertyBag.h"
#include "host/ReadOut.h"
#include "host/Twips.h"
#include "host/WidgetHost.h"
#include "protocol/BoardProtocol.h"
#include "status/QuorStatus.h"
#include "strip/StripChart.h"
#include "toggle/ToggleButton.h"

// The window's design-time values live in a resource of this static library, which the linker
// would drop without an explicit reference.
static void initWindowResources() {
    Q_INIT_RESOURCE(windows);
}

namespace rq {

host::ControlRegistry& programControls() {
    static host::ControlRegistry registry = [] {
        host::ControlRegistry r;
        controls::registerStatusPane(r);
        controls::registerFlipSwitch(r);
        controls::registerButtons(r);
        controls::registerSpectrumPane(r);
        controls::registerHistoPane(r);
        return r;
    }();
    return registry;
}

// Counts a handler that may turn the event loop; the last one out carries out a close that
// arrived meanwhile.
class frmMainScreen::Busy {
public:
    explicit Busy(frmMainScreen& w) : m_w(w) { ++m_w.m_busy; }
    ~Busy() {
        if (--m_w.m_busy == 0) {
            m_w.busyEnded();
        }
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    frmMainScreen& m_w;
};

// Counts a capture, a continuous run or a reset. While one runs, the setup window and the file
// loads stay closed: each resets the board or replaces the record under the running handler.
// The last one out gives the items back the states they had.
class frmMainScreen::BoardWork {
public:
    explicit BoardWork(frmMainScreen& w) : m_w(w) {
        if (m_w.m_boardWork++ == 0) {
            for (int k = 0; k < 3; ++k) {
                m_w.m_fileItemsEnabled[k] = items()[k]->isEnabled();
                items()[k]->setEnabled(false);
            }
        }
    }
    ~BoardWork() {
        if (--m_w.m_boardWork == 0) {
            for (int k = 0; k < 3; ++k) {
                items()[k]->setEnabled(m_w.m_fileItemsEnabled[k]);
            }
        }
    }
    BoardWork(const BoardWork&) = delete;
    BoardWork& operator=(const BoardWork&) = delete;

private:
    std::array<QAction*, 3> items() const {
        return {m_w.mnuSetup, m_w.mnuLoadRawData, m_w.mnuLoadFFTData};
    }
    frmMainScreen& m_w;
};

// A run another window drives through the session holds the window busy, as a continuous run
// of its own would.
class frmMainScreen::HeldRun {
public:
    explicit HeldRun(frmMainScreen& w) : m_busy(w), m_work(w) {}

private:
    Busy m_busy;
    BoardWork m_work;
};

// The plotting routines' roles on a strip chart.
class frmMainScreen::ChartMembers : public StripChartMembers {
public:
    explicit ChartMembers(StripChart& chart) : m_chart(chart) {}
    void clear() override { m_chart.clear(); }
    void setPointCapacity(int16_t points) override { m_chart.setPointCapacity(points); }
    void loadTrace(std::span<const double> data) override { m_chart.loadTrace(data); }
    void setXPointCount(int32_t v) override { m_chart.setPointsShown(v); }
    void setXLastIndex(int32_t v) override { m_chart.setLastPoint(v); }
    void setXMaximum(int32_t v) override { m_chart.setXMaximum(v); }
    void setXMinimum(int32_t v) override { m_chart.setXMinimum(v); }
    double yTop() const override { return m_chart.yTop(); }
    double yBottom() const override { return m_chart.yBottom(); }
    void setYTop(double v) override { m_chart.setYTop(v); }
    void setYBottom(double v) override { m_chart.setYBottom(v); }
    void setYTopCopy(double v) override { m_chart.setSavedYTop(v); }
    void setYBottomCopy(double v) override { m_chart.setSavedYBottom(v); }
    void redraw() override { m_chart.redraw(); }

private:
    StripChart& m_chart;
};

// The analysis of a record on the window's two controls.
class frmMainScreen::ControlAnalysis : public RecordAnalysis {
public:
    ControlAnalysis(controls::QuorFFTControl& fft, controls::QuorHistogram& histogram)
        : m_fft(fft), m_histogram(histogram) {}
    void CalcFFT(std::span<const double> data, std::vector<double>& spectrum,
                 std::optional<double> sampleFrequency) override {
        m_fft.CalcFFT(data, spectrum, sampleFrequency);
        m_points = data.size();
    }
    void Draw(std::span<const double> data, int16_t numberOfBits) override {
        m_histogram.Draw(data, numberOfBits);
    }
    PanelResults panel() const override { return panelResults(m_fft.analysis(), m_points); }

private:
    controls::QuorFFTControl& m_fft;
    controls::QuorHistogram& m_histogram;
    size_t m_points = 0;
};

// What the acquisition session reaches on the window.
class frmMainScreen::SessionView : public AcquisitionView {
public:
    explicit SessionView(frmMainScreen& w) : m_w(w) {}
    MainCharts& charts() override { return *m_w.m_charts; }
    RecordAnalysis& analysis() override { return *m_w.m_analysis; }
    MessageList& messages() override { return *m_w.QuorStatus1; }
    MessageBoxes& boxes() override { return m_w.m_boxes; }
    Yield& yield() override { return m_w.m_yield; }
    void beep() override { m_w.m_beeper.beep(); }
    void setWaitPointer(bool waiting) override {
        if (waiting) {
            m_w.setCursor(Qt::WaitCursor);
        } else {
            m_w.unsetCursor();
        }
    }
    bool showsVolts() const override { return m_w.cboDisplayMode->currentIndex() == 1; }
    // Setting the index does not run the list's handler (it follows picks only).
    void showIntegers() override { m_w.cboDisplayMode->setCurrentIndex(0); }
    void setDisplayModeEnabled(bool enabled) override { m_w.cboDisplayMode->setEnabled(enabled); }
    void enableHoldZoom() override { m_w.chkHoldZoom->setEnabled(true); }
    void showMaxMin(double largest, double smallest) override { m_w.ShowMaxMin(largest, smallest); }
    void continuousRunStarted() override {
        m_w.cmdSample->setEnabled(false);
        m_w.cmdStopSampling->setEnabled(true);
        for (QPushButton* b :
             {m_w.cmdContSample, m_w.cmdReset, m_w.cmdQuit, m_w.cmdPowerDown, m_w.cmdPowerUp}) {
            b->setEnabled(false);
        }
        if (m_w.m_session->heldRun() && !m_w.m_heldRun) {
            m_w.m_heldRun = std::make_unique<HeldRun>(m_w);
        }
    }
    void continuousRunEnded() override {
        m_w.m_heldRun.reset();
        m_w.cmdStopSampling->setEnabled(false);
        for (QPushButton* b : {m_w.cmdContSample, m_w.cmdReset, m_w.cmdQuit, m_w.cmdSample,
                               m_w.cmdPowerDown, m_w.cmdPowerUp}) {
            b->setEnabled(true);
        }
    }

private:
    frmMainScreen& m_w;
};

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* b = designed(new QPushButton(caption, parent), name, left, top, 1095, 360, caption);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, int top, int width) {
    return designed(new QCheckBox(caption, parent), name, 7560, top, width, 195, caption);
}

QLabel* whiteLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                   int width, int height) {
    auto* l = designed(new QLabel(text, parent), name, left, top, width, height, text);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(p);
    return l;
}

// The design-time values of the window's controls.
std::unique_ptr<host::SettingsPropertyBag> design(const char* control) {
    return std::make_unique<host::SettingsPropertyBag>(QStringLiteral(":/frmMainScreen.ini"),
                                                       QString::fromLatin1(control));
}

}  // namespace

frmMainScreen::frmMainScreen(const Environment& env)
    : m_env(env),
      m_state(*env.state),
      m_ownBoxes(env.boxes ? nullptr : std::make_unique<WidgetMessageBoxes>(this)),
      m_ownDialogs(env.dialogs ? nullptr : std::make_unique<WidgetFileDialogs>(this)),
      m_ownBeeper(env.beeper ? nullptr : std::make_unique<SystemBeeper>()),
      m_boxes(env.boxes ? *env.boxes : *m_ownBoxes),
      m_dialogs(env.dialogs ? *env.dialogs : *m_ownDialogs),
      m_beeper(env.beeper ? *env.beeper : *m_ownBeeper),
      m_timer1([this] { m_state.TimedOut = true; }),
      m_layout(designLayout()) {
    initWindowResources();
    setObjectName(QStringLiteral("frmMainScreen"));
    setFont(host::designFont());
    createControls();
    createMenus();
    m_comms = std::make_unique<CommsFunctions>(linkStateOf(m_state), *env.port, m_yield, m_timer1,
                                               *QuorStatus1, m_boxes);
    m_dsoMembers = std::make_unique<ChartMembers>(*stripDSO);
    m_fftMembers = std::make_unique<ChartMembers>(*StripFFT);
    m_charts = std::make_unique<MainCharts>(MainCharts{*m_dsoMembers, *m_fftMembers});
    m_analysis = std::make_unique<ControlAnalysis>(*QuorFFTControl1, *QuorHistogram1);
    m_view = std::make_unique<SessionView>(*this);
    m_session = std::make_unique<AcquisitionSession>(m_state, *m_view, m_comms.get());
    Form_Load();
}

frmMainScreen::~frmMainScreen() = default;

void frmMainScreen::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);
    host::ControlRegistry& registry = controlRegistry();

    cmdSample = button(client, "cmdSample", QStringLiteral("Sample"), 60, 0);
    cmdPowerDown = button(client, "cmdPowerDown", QStringLiteral("Power Down"), 1150, 0);
    cmdContSample = button(client, "cmdContSample", QStringLiteral("Cont Samp"), 60, 360);
    cmdPowerUp = button(client, "cmdPowerUp", QStringLiteral("Power Up"), 1150, 360);
    cmdStopSampling = button(client, "cmdStopSampling", QStringLiteral("Stop Samp"), 60, 720);
    Command2 = button(client, "Command2", QStringLiteral("Unused"), 1150, 720);
    cmdReset = button(client, "cmdReset", QStringLiteral("Reset"), 60, 1080);
    cmdQuit = button(client, "cmdQuit", QStringLiteral("Quit"), 1150, 1080);
    for (QPushButton* b :
         {cmdSample, cmdPowerDown, cmdContSample, cmdPowerUp, cmdStopSampling, Command2}) {
        b->setEnabled(false);
    }

    QuorStatus2 = registry.create<controls::QuorStatus>(controls::QuorStatus::ProgId, client,
                                                        QStringLiteral("QuorStatus2"),
                                                        design("QuorStatus2").get());
    QuorStatus2->setBounds(2400, 0, 2415, 1470);
    QuorStatus1 = registry.create<controls::QuorStatus>(controls::QuorStatus::ProgId, client,
                                                        QStringLiteral("QuorStatus1"),
                                                        design("QuorStatus1").get());
    QuorStatus1->setBounds(4920, 0, 2415, 1470);
    ToggleButton1 = registry.create<controls::ToggleButton>(controls::ToggleButton::ProgId, client,
                                                            QStringLiteral("ToggleButton1"),
                                                            design("ToggleButton1").get());
    ToggleButton1->setBounds(7500, 60, 1335, 315);

    picMaxMinBox = designed(new QFrame(client), "picMaxMinBox", 7500, 420, 1335, 435);
    picMaxMinBox->setAutoFillBackground(true);
    QPalette white = picMaxMinBox->palette();
    white.setColor(QPalette::Window, Qt::white);
    picMaxMinBox->setPalette(white);
    designed(new QLabel(QStringLiteral("Max:"), picMaxMinBox), "Label2", 0, 0, 345, 195,
             QStringLiteral("Max:"));
    // The two read-outs are named by what they show; the captions beside them say which is which.
    lblMax = designed(new QLabel(picMaxMinBox), "lblMax", 420, 0, 855, 195);
    host::showReadOut(lblMax, QStringLiteral("0"));
    designed(new QLabel(QStringLiteral("Min:"), picMaxMinBox), "Label3", 0, 180, 345, 195,
             QStringLiteral("Min:"));
    lblMin = designed(new QLabel(picMaxMinBox), "lblMin", 420, 180, 855, 195);
    host::showReadOut(lblMin, QStringLiteral("0"));

    stripDSO = designed(new StripChart(client), "stripDSO", 60, 1560, 7395, 2535,
                        QStringLiteral("Time-domain chart"));
    cboDisplayMode = designed(new QComboBox(client), "cboDisplayMode", 7560, 1560, 1335, 315,
                              QStringLiteral("Display mode"));
    cboDisplayMode->setEnabled(false);
    cboDisplayMode->installEventFilter(this);
    chkVGrid = checkBox(client, "chkVGrid", QStringLiteral("Vertical Grid"), 1980, 1400);
    chkHGrid = checkBox(client, "chkHGrid", QStringLiteral("Horizontal Grid"), 2220, 1400);
    chkHoldZoom = checkBox(client, "chkHoldZoom", QStringLiteral("Hold Zoom"), 2460, 1400);
    chkHoldZoom->setEnabled(false);
    chkTickPoints =
        checkBox(client, "chkTickPoints", QStringLiteral("Tick Data Points"), 2700, 1515);
    chkZoomHandles = checkBox(client, "chkZoomHandles", QStringLiteral("Zoom Handles"), 2940, 1400);
    lblCursorInfo = whiteLabel(client, "lblCursorInfo", QString(), 7500, 3660, 1755, 435);
    lblCursorInfo->setAccessibleName(QStringLiteral("Cursor"));
    lblCursorInfo->setVisible(false);

    StripFFT = designed(new StripChart(client), "StripFFT", 120, 4080, 7335, 2295,
                        QStringLiteral("Spectrum chart"));
    QuorFFTControl1 = registry.create<controls::QuorFFTControl>(
        controls::QuorFFTControl::ProgId, client, QStringLiteral("QuorFFTControl1"),
        design("QuorFFTControl1").get());
    QuorFFTControl1->setBounds(7500, 4140, 1755, 2235);
    QuorHistogram1 = registry.create<controls::QuorHistogram>(
        controls::QuorHistogram::ProgId, client, QStringLiteral("QuorHistogram1"),
        design("QuorHistogram1").get());
    QuorHistogram1->setBounds(360, 6480, 9135, 1515);
    QuorHistogram1->setVisible(false);

    List1 = new QListWidget(client);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setVisible(false);
    lstINI_File = new QListWidget(client);
    lstINI_File->setObjectName(QStringLiteral("lstINI_File"));
    lstINI_File->setVisible(false);

    connect(cmdSample, &QPushButton::clicked, this, &frmMainScreen::cmdSample_Click);
    connect(cmdContSample, &QPushButton::clicked, this, &frmMainScreen::cmdContSample_Click);
    connect(cmdStopSampling, &QPushButton::clicked, this, &frmMainScreen::cmdStopSampling_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmMainScreen::cmdReset_Click);
    connect(cmdPowerUp, &QPushButton::clicked, this, &frmMainScreen::cmdPowerUp_Click);
    connect(cmdPowerDown, &QPushButton::clicked, this, &frmMainScreen::cmdPowerDown_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &frmMainScreen::cmdQuit_Click);
    // A pick by the user, or a programmatic selection (the file dispatch sets the index and
    // calls the handler itself when it did not change).
    connect(cboDisplayMode, &QComboBox::activated, this, &frmMainScreen::cboDisplayMode_Click);
    connect(chkHGrid, &QCheckBox::clicked, this, &frmMainScreen::chkHGrid_Click);
    connect(chkVGrid, &QCheckBox::clicked, this, &frmMainScreen::chkVGrid_Click);
    connect(chkTickPoints, &QCheckBox::clicked, this, &frmMainScreen::chkTickPoints_Click);
    connect(chkZoomHandles, &QCheckBox::clicked, this, &frmMainScreen::chkZoomHandles_Click);
    connect(chkHoldZoom, &QCheckBox::toggled, this, &frmMainScreen::chkHoldZoom_Click);
    connect(stripDSO, &StripChart::CursorChange, this, &frmMainScreen::stripDSO_CursorChange);
    connect(StripFFT, &StripChart::CursorChange, this, &frmMainScreen::StripFFT_CursorChange);
    connect(stripDSO, &StripChart::MouseUp, this, &frmMainScreen::stripDSO_MouseUp);
    connect(StripFFT, &StripChart::MouseUp, this, &frmMainScreen::StripFFT_MouseUp);
    connect(ToggleButton1, &controls::ToggleButton::Click, this,
            &frmMainScreen::ToggleButton1_Click);
    connect(QuorFFTControl1, &controls::QuorFFTControl::BHWindow, this,
            &frmMainScreen::QuorFFTControl1_BHWindow);
}

void frmMainScreen::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setFont(host::designFont());
    const auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuSetup = item(file, "mnuSetup", QStringLiteral("S&etup Menu"));
    LoadEXE = item(file, "LoadEXE", QStringLiteral("&Load Program"));
    LoadEXE->setEnabled(false);
    file->addSeparator()->setObjectName(QStringLiteral("sep4"));
    mnuLoadRawData = item(file, "mnuLoadRawData", QStringLiteral("&Load Raw Data"));
    mnuLoadFFTData = item(file, "mnuLoadFFTData", QStringLiteral("Load FFT Data"));
    mnuLoadFFTData->setEnabled(false);
    SaveRawData = item(file, "SaveRawData", QStringLiteral("&Save Raw Data"));
    mnuSaveBinary = item(file, "mnuSaveBinary", QStringLiteral("Save &Binary Data"));
    SaveFFTData = item(file, "SaveFFTData", QStringLiteral("S&ave FFT Data"));
    ExitProgram = item(file, "ExitProgram", QStringLiteral("E&xit"));

    QMenu* port = bar->addMenu(QStringLiteral("&Printer Port"));
    port->setObjectName(QStringLiteral("mnuPrinterPort"));
    mnuPrinterPort = port;
    mnuLPT1 = item(port, "mnuLPT1", QStringLiteral("LPT1"));
    mnuLPT2 = item(port, "mnuLPT2", QStringLiteral("LPT2"));
    mnuPRN = item(port, "mnuPRN", QStringLiteral("PRN"));
    for (QAction* a : {mnuLPT1, mnuLPT2, mnuPRN}) {
        a->setCheckable(true);
    }
    if (m_env.simulated) {
        port->addSeparator();
        mnuSimulated = item(port, "mnuSimulated", QStringLiteral("Simulated Board"));
        mnuSimulated->setCheckable(true);
        mnuSimulated->setChecked(true);
        mnuSimulated->setEnabled(false);
    }

    // The windows of the program's own analysis; the program connects these items to them.
    QMenu* analysis = bar->addMenu(QStringLiteral("&Analysis"));
    analysis->setObjectName(QStringLiteral("mnuAnalysis"));
    mnuConverterFigures =
        item(analysis, "mnuConverterFigures", QStringLiteral("&Converter Figures"));
    mnuConverterFigures->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    mnuTestReport = item(analysis, "mnuTestReport", QStringLiteral("Test &Report..."));
    mnuSweep = item(analysis, "mnuSweep", QStringLiteral("&Sweep..."));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = item(help, "mnuAbout", QStringLiteral("Abou&t"));

    connect(mnuSetup, &QAction::triggered, this, &frmMainScreen::mnuSetUP_Click);
    connect(mnuLoadRawData, &QAction::triggered, this, &frmMainScreen::mnuLoadRawData_Click);
    connect(mnuLoadFFTData, &QAction::triggered, this, &frmMainScreen::mnuLoadFFTData_Click);
    connect(SaveRawData, &QAction::triggered, this, &frmMainScreen::SaveRawData_Click);
    connect(mnuSaveBinary, &QAction::triggered, this, &frmMainScreen::mnuSaveBinary_Click);
    connect(SaveFFTData, &QAction::triggered, this, &frmMainScreen::SaveFFTData_Click);
    connect(ExitProgram, &QAction::triggered, this, &frmMainScreen::ExitProgram_Click);
    connect(mnuLPT1, &QAction::triggered, this, &frmMainScreen::mnuLPT1_Click);
    connect(mnuLPT2, &QAction::triggered, this, &frmMainScreen::mnuLPT2_Click);
    connect(mnuPRN, &QAction::triggered, this, &frmMainScreen::mnuPRN_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMainScreen::mnuAbout_Click);
}

// ---- Start-up and shut-down -----------------------------------------------------------------

void frmMainScreen::Form_Load() {
    ParallelPortLibrary& port = *m_env.port;
    // The program's initialisation.
    InitialisePort(m_state, port, m_boxes, m_env.platform);
    PrepareControlRegister(m_state, port);
    applyStartValues(m_state);
    ReadTimeOutSwitch(m_state);
    cboDisplayMode->addItem(QStringLiteral("Integers"));
    cboDisplayMode->addItem(QStringLiteral("Volts"));
    m_state.ConfigFileIndex = -1;
    applyPortMenus();

    PrepareControlRegister(m_state, port);
    stripDSO->setOptionFlags(0);
    // The design size, centred on the screen.
    QRect outer(0, 0, 9465, 7170);
    if (const QScreen* screen = this->screen()) {
        const QRect area = host::toTwips(screen->geometry());
        outer.moveTo(area.left() + (area.width() - outer.width()) / 2,
                     area.top() + (area.height() - outer.height()) / 2);
    }
    setOuterTwips(outer);
    setWindowTitle(QStringLiteral("RQ3118 Evaluation Software"));
    QuorStatus2->setFontBold(true);
    for (const SummaryLine& line : initialSummary()) {
        QuorStatus2->AddItem(line.text, line.colour);
    }
    m_layout.QuorHistogram1.top = m_layout.StripFFT.top;
    m_layout.QuorHistogram1.left = m_layout.StripFFT.left;
    applyLayout();
    if (m_env.simulated) {
        QuorStatus1->AddItem(QStringLiteral("Simulated Board in use"));
    }
    RestoreSettings(m_state, *m_env.store, *this);
}

void frmMainScreen::closeEvent(QCloseEvent* event) {
    if (m_busy > 0) {
        // A handler is inside a turn of the event loop: tearing the window down now would pull
        // its widgets from under it. Stop what runs and close when it returns.
        m_closePending = true;
        m_session->stopContinuousSampling();
        m_state.TimedOut = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMainScreen::busyEnded() {
    if (m_closePending) {
        m_closePending = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void frmMainScreen::Form_Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    // A store that cannot be written is reported once its step is over; the shut-down goes on.
    if (const std::optional<WriteFailure> failure = SaveSettings(m_state, *m_env.store, *this)) {
        m_boxes.show(saveFailureText(*failure), QString(), MsgIcon::Exclamation, MsgButtons::Ok);
    }
    DeleteSavedSettings(m_state, *m_env.store);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) {
            w->close();
        }
    }
    ReleasePort(*m_env.port);
}

// ---- Placement ------------------------------------------------------------------------------

// The design, the centring and the store give the window's outer frame. The place is the
// frame's (a move of a window places its frame, also before a window manager has drawn one);
// the size asked of the platform is the inner one, which needs the frame's size. That is known
// only once a window manager has framed the shown window, so the outer rectangle asked for is
// kept and laid out again when the frame turns up.
QRect frmMainScreen::outerTwips() const {
    return m_shown ? host::toTwips(frameGeometry()) : m_outer;
}

QMargins frmMainScreen::frameNow() const {
    const QWindow* handle = windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void frmMainScreen::setOuterTwips(const QRect& twips) {
    m_outer = twips;
    m_frame = frameNow();
    m_framePending = m_frame.isNull();
    const QRect px = host::toPixels(twips);
    resize(std::max(1, px.width() - m_frame.left() - m_frame.right()),
           std::max(1, px.height() - m_frame.top() - m_frame.bottom()));
    move(px.topLeft());
}

void frmMainScreen::frameChanged() {
    if (m_shown && m_framePending && frameNow() != m_frame) {
        setOuterTwips(m_outer);
    }
}

void frmMainScreen::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        frameChanged();
    }
}

void frmMainScreen::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    frameChanged();
}

ScreenAreas frmMainScreen::screens() const {
    ScreenAreas areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.available.push_back(host::toTwips(screen->availableGeometry()));
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        areas.primary = host::toTwips(primary->geometry());
        areas.primaryAvailable = host::toTwips(primary->availableGeometry());
    }
    return areas;
}

double frmMainScreen::left() const {
    return outerTwips().left();
}
double frmMainScreen::top() const {
    return outerTwips().top();
}
double frmMainScreen::width() const {
    return outerTwips().width();
}
double frmMainScreen::height() const {
    return outerTwips().height();
}
void frmMainScreen::setLeft(double twips) {
    QRect r = outerTwips();
    r.moveLeft(static_cast<int>(twips));
    setOuterTwips(r);
}
void frmMainScreen::setTop(double twips) {
    QRect r = outerTwips();
    r.moveTop(static_cast<int>(twips));
    setOuterTwips(r);
}
void frmMainScreen::setWidth(double twips) {
    QRect r = outerTwips();
    r.setWidth(static_cast<int>(twips));
    setOuterTwips(r);
}
void frmMainScreen::setHeight(double twips) {
    QRect r = outerTwips();
    r.setHeight(static_cast<int>(twips));
    setOuterTwips(r);
}

void frmMainScreen::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    frameChanged();
    Form_Resize();
}

void frmMainScreen::Form_Resize() {
    // The outer size, frame included where the platform draws one.
    const QRect outer = outerTwips();
    resizeMainLayout(m_layout, outer.width(), outer.height());
    applyLayout();
    if (m_state.CurrentSettings.DataLoaded) {
        try {
            QuorHistogram1->Draw(m_state.Record.SampleData, m_state.CurrentSettings.NumberOfBits);
        } catch (const NumberedError&) {
        }
    }
}

void frmMainScreen::applyLayout() {
    const auto place = [](QWidget* w, const TwipsRect& r) {
        if (auto* hosted = qobject_cast<host::HostedControl*>(w)) {
            hosted->setBounds(r.left, r.top, r.width, r.height);
        } else {
            host::placeTwips(w, r.left, r.top, r.width, r.height);
        }
    };
    place(stripDSO, m_layout.stripDSO);
    place(StripFFT, m_layout.StripFFT);
    place(QuorFFTControl1, m_layout.QuorFFTControl1);
    place(QuorHistogram1, m_layout.QuorHistogram1);
    place(lblCursorInfo, m_layout.lblCursorInfo);
    for (QWidget* w : std::initializer_list<QWidget*>{chkVGrid, chkHGrid, chkZoomHandles,
                                                      chkTickPoints, chkHoldZoom, cboDisplayMode}) {
        const QRect r = host::twipsGeometry(w);
        host::placeTwips(w, m_layout.optionsLeft, r.top(), r.width(), r.height());
    }
}

void frmMainScreen::ShowConfiguration() {
    QuorStatus2->Clear();
    QuorStatus2->setFontBold(true);
    for (const SummaryLine& line : configurationSummary(m_state.CurrentSettings)) {
        QuorStatus2->AddItem(line.text, line.colour);
    }
}

// ---- Port menu ------------------------------------------------------------------------------

void frmMainScreen::applyPortMenus() {
    PortMenuState& m = m_state.PortMenu;
    // The entry of the port in use shows it; with the simulated board no printer port is in use,
    // so none is checked until the user picks one.
    if (!m_env.simulated && !m.lpt1Checked && !m.lpt2Checked && !m.prnChecked) {
        m.lpt1Checked = m_state.PortAddress == LPT1Address;
        m.lpt2Checked = m_state.PortAddress == LPT2Address;
        m.prnChecked = m_state.PortAddress == PRNAddress;
    }
    mnuLPT1->setEnabled(m.lpt1Enabled);
    mnuLPT2->setEnabled(m.lpt2Enabled);
    mnuPRN->setEnabled(m.prnEnabled);
    mnuLPT1->setChecked(m.lpt1Checked);
    mnuLPT2->setChecked(m.lpt2Checked);
    mnuPRN->setChecked(m.prnChecked);
}

void frmMainScreen::addPortMenuItems(const QList<QAction*>& items) {
    if (items.isEmpty()) {
        return;
    }
    mnuPrinterPort->addSeparator();
    mnuPrinterPort->addActions(items);
}

void frmMainScreen::mnuLPT1_Click() {
    choosePortMenu(m_state, PortMenuItem::LPT1);
    applyPortMenus();
}
void frmMainScreen::mnuLPT2_Click() {
    choosePortMenu(m_state, PortMenuItem::LPT2);
    applyPortMenus();
}
void frmMainScreen::mnuPRN_Click() {
    choosePortMenu(m_state, PortMenuItem::PRN);
    applyPortMenus();
}

// ---- Reset notifications --------------------------------------------------------------------

void frmMainScreen::disableDisplayOptions() {
    cboDisplayMode->setEnabled(false);
    chkHoldZoom->setEnabled(false);
    chkHoldZoom->setChecked(false);
}

void frmMainScreen::setPanelLatchContent(int16_t value) {
    // The supply panel lives in the setup window, which follows BoardLatch when it opens.
    (void)value;
}

void frmMainScreen::disableCaptureButtons() {
    for (QPushButton* b : {cmdContSample, cmdSample, cmdStopSampling, cmdPowerDown, cmdPowerUp}) {
        b->setEnabled(false);
    }
}

void frmMainScreen::resetZoom() {
    m_state.Record.ZoomReset = true;
    chkHoldZoom->setChecked(false);
}

host::ControlRegistry& frmMainScreen::controlRegistry() {
    return m_env.registry ? *m_env.registry : programControls();
}

void frmMainScreen::enableCaptureButtons() {
    for (QPushButton* b : {cmdSample, cmdContSample, cmdPowerDown, cmdPowerUp}) {
        b->setEnabled(true);
    }
    cmdStopSampling->setEnabled(false);
}

// ---- Capture --------------------------------------------------------------------------------

void frmMainScreen::ShowMaxMin(double largest, double smallest) {
    host::showReadOut(lblMax, formatNumber(largest, u"0.0000"));
    host::showReadOut(lblMin, formatNumber(smallest, u"0.0000"));
}

bool frmMainScreen::captureAvailable() const {
    return cmdSample->isEnabled();
}

void frmMainScreen::cmdSample_Click() {
    Busy busy(*this);
    BoardWork work(*this);
    cmdSample->setEnabled(false);
    m_session->TakeSamples();
    cmdSample->setEnabled(true);
    cmdSample->setFocus();
}

void frmMainScreen::cmdContSample_Click() {
    Busy busy(*this);
    BoardWork work(*this);
    m_session->sampleContinuously();
}

void frmMainScreen::cmdStopSampling_Click() {
    m_session->stopContinuousSampling();
}

void frmMainScreen::cmdReset_Click() {
    Busy busy(*this);
    BoardWork work(*this);
    ResetBoard(m_state, *m_comms, *this);
}

void frmMainScreen::powerCommand(int16_t commandCode, const QString& done) {
    try {
        m_comms->SendCommand(0, 0, commandCode);
        QuorStatus1->AddItem(done);
    } catch (const NumberedError& e) {
        if (e.number() == 504) {
            reportSendCommandError(m_boxes, *QuorStatus1);
        }
    }
}

void frmMainScreen::cmdPowerDown_Click() {
    powerCommand(protocol::CmdPowerDown, QStringLiteral("Part Powered Down"));
}

void frmMainScreen::cmdPowerUp_Click() {
    powerCommand(protocol::CmdPowerUp, QStringLiteral("Part Powered Up"));
}

void frmMainScreen::cmdQuit_Click() {
    close();
}

void frmMainScreen::ExitProgram_Click() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) {
            w->close();
        }
    }
    close();
}

void frmMainScreen::mnuSetUP_Click() {
    // The setup window's Load turns the event loop during the board's restart.
    Busy busy(*this);
    frmSetup setup(*this);
    setup.exec();
}

void frmMainScreen::mnuAbout_Click() {
    frmSplash about(this);
    about.exec();
}

// ---- Display options ------------------------------------------------------------------------

bool frmMainScreen::eventFilter(QObject* watched, QEvent* event) {
    // The display-mode list changes only by choosing an item: its keys are discarded.
    if (watched == cboDisplayMode &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMainScreen::cboDisplayMode_Click() {
    m_session->replotTimeData();
}

void frmMainScreen::chkHGrid_Click() {
    const int32_t g = stripDSO->gridFlags();
    stripDSO->setGridFlags(chkHGrid->isChecked() ? (g | 1) : (g & 14));
}

void frmMainScreen::chkVGrid_Click() {
    const int32_t g = stripDSO->gridFlags();
    stripDSO->setGridFlags(chkVGrid->isChecked() ? (g | 2) : (g & 13));
}

void frmMainScreen::chkTickPoints_Click() {
    stripDSO->setPointMarks(chkTickPoints->isChecked());
    StripFFT->setPointMarks(chkTickPoints->isChecked());
}

void frmMainScreen::chkZoomHandles_Click() {
    for (StripChart* chart : {stripDSO, StripFFT}) {
        if (chkZoomHandles->isChecked()) {
            chart->setSavedYTop(chart->yTop());
            chart->setSavedYBottom(chart->yBottom());
            chart->setZoomHandles(StripChart::ZoomHandlesOn);
        } else {
            chart->setZoomHandles(StripChart::ZoomHandlesOff);
        }
    }
}

void frmMainScreen::chkHoldZoom_Click() {
    m_state.Record.HoldZoom = chkHoldZoom->isChecked();
}

// ---- Cursor read-outs -----------------------------------------------------------------------

void frmMainScreen::showCursorText(const QString& text) {
    QString shown = text;
    shown.replace(u'\r', u'\n');
    host::showReadOut(lblCursorInfo, shown);
}

void frmMainScreen::stripDSO_CursorChange(int x) {
    if (!m_state.CurrentSettings.DataLoaded) {
        return;
    }
    lblCursorInfo->setVisible(true);
    if (const std::optional<QString> text =
            timeCursorText(x, cboDisplayMode->currentIndex() == 1, m_state.Record)) {
        showCursorText(*text);
    }
}

void frmMainScreen::StripFFT_CursorChange(int x) {
    if (!m_state.CurrentSettings.DataLoaded) {
        return;
    }
    lblCursorInfo->setVisible(true);
    try {
        const int32_t n = recordLength(m_state.CurrentSettings.NumberOfSamples);
        if (const std::optional<QString> text =
                spectrumCursorText(x, m_state.CurrentSettings.SampleFreq, n, m_state.Record)) {
            showCursorText(*text);
        }
    } catch (const NumberedError&) {
    }
}

void frmMainScreen::stripDSO_MouseUp() {
    lblCursorInfo->setVisible(false);
}

void frmMainScreen::StripFFT_MouseUp() {
    lblCursorInfo->setVisible(false);
}

// ---- Mode switch and FFT window -------------------------------------------------------------

void frmMainScreen::ToggleButton1_Click() {
    const bool histogram = ToggleButton1->Value();
    QuorHistogram1->setVisible(histogram);
    QuorFFTControl1->setVisible(!histogram);
    StripFFT->setVisible(!histogram);
}

void frmMainScreen::QuorFFTControl1_BHWindow() {
    if (!m_state.CurrentSettings.DataLoaded) {
        return;
    }
    Busy busy(*this);
    m_session->recomputeSpectrum();
}

// ---- Data files -----------------------------------------------------------------------------

void frmMainScreen::mnuLoadRawData_Click() {
    Busy busy(*this);
    m_session->loadRawData(m_dialogs);
}

void frmMainScreen::SaveRawData_Click() {
    saveRawData(m_state, m_dialogs, m_boxes);
}

void frmMainScreen::mnuSaveBinary_Click() {
    saveBinaryData(m_state, m_dialogs, m_boxes);
}

void frmMainScreen::SaveFFTData_Click() {
    saveSpectrum(m_state, m_dialogs, m_boxes);
}

void frmMainScreen::mnuLoadFFTData_Click() {
    Busy busy(*this);
    m_session->loadFFTData(m_dialogs);
}

}  // namespace rq
