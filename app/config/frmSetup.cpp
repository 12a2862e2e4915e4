#include "config/frmSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "buttons/VMBButton.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "config/ConfigurationLoad.h"
#include "config/SetupRules.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/WidgetHost.h"

namespace rq {

// Marks Load as running; a close asked for meanwhile is carried out when it returns.
class frmSetup::Loading {
public:
    explicit Loading(frmSetup& w) : m_w(w) { m_w.m_loading = true; }
    ~Loading() {
        m_w.m_loading = false;
        m_w.loadEnded();
    }
    Loading(const Loading&) = delete;
    Loading& operator=(const Loading&) = delete;

private:
    frmSetup& m_w;
};

namespace {

// The client area, in twips: the controls' design places with a margin, and room on the right
// for the range captions in the wider stand-in font.
constexpr int ClientWidth = 5805;
constexpr int ClientHeight = 3390;

// The stand-in of the design font runs wider than the design's: a caption keeps its place and
// grows to the right, where the design leaves room, rather than losing its last letters.
QLabel* label(QWidget* parent, const char* name, const QString& caption, int left, int top,
              int width, int height) {
    auto* l = designed(new QLabel(caption, parent), name, left, top, width, height, caption);
    const int needed = host::toTwips(l->sizeHint().width());
    if (needed > width) {
        host::placeTwips(l, left, top, needed, height);
    }
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int top) {
    auto* b = designed(new QPushButton(caption, parent), name, 4440, top, 1095, 375, caption);
    // Enter in a text box moves the focus on; it never presses a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLineEdit* textBox(QWidget* parent, const char* name, const QString& caption, int left, int top,
                   int width) {
    auto* t = designed(new QLineEdit(parent), name, left, top, width, 285, caption);
    t->setTextMargins(1, 0, 1, 0);
    return t;
}

}  // namespace

frmSetup::frmSetup(SetupHost& main)
    : QDialog(main.hostWindow(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      m_main(main),
      m_state(main.state()) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup Menu"));
    setAccessibleName(windowTitle());
    setFont(host::designFont());
    setFixedSize(host::toPixels(QSize(ClientWidth, ClientHeight)));
    createControls();
    Form_Load();
}

frmSetup::~frmSetup() = default;

void frmSetup::createControls() {
    Label1 =
        label(this, "Label1", QStringLiteral("Select a Configuration File"), 120, 300, 1935, 255);
    fileConfig = designed(new QListWidget(this), "fileConfig", 120, 540, 1935, 1260,
                          QStringLiteral("Configuration files"));
    Label3 = label(this, "Label3", QStringLiteral("Select No. Of Samples"), 2400, 300, 1605, 195);
    cboNumSamples = designed(new QComboBox(this), "cboNumSamples", 2400, 540, 1815, 315,
                             QStringLiteral("No. Of Samples"));
    // A record length the list does not hold shows as the placeholder, in the list's own colour.
    QPalette numbers = cboNumSamples->palette();
    numbers.setColor(QPalette::PlaceholderText, numbers.color(QPalette::Text));
    cboNumSamples->setPalette(numbers);
    Label2 =
        label(this, "Label2", QStringLiteral("Select Sample Frequency"), 2400, 1020, 1815, 195);
    cboFSample = designed(new QComboBox(this), "cboFSample", 2400, 1260, 1815, 315,
                          QStringLiteral("Sample Frequency"));
    // Its text may be a frequency that is not an entry; nothing typed joins the sorted list.
    cboFSample->setEditable(true);
    cboFSample->setInsertPolicy(QComboBox::NoInsert);
    cboFSample->setCompleter(nullptr);
    Label11 =
        label(this, "Label11", QStringLiteral("Other Sample Frequency"), 2400, 1620, 1755, 195);
    txtOtherFreq =
        textBox(this, "txtOtherFreq", QStringLiteral("Other Sample Frequency"), 2400, 1860, 1455);
    Label12 = label(this, "Label12", QStringLiteral("Hz"), 3960, 1860, 240, 195);
    Label4 = label(this, "Label4", QStringLiteral("Input Max (V)"), 4680, 300, 945, 195);
    txtVMax = textBox(this, "txtVMax", QStringLiteral("Input Max (V)"), 4680, 540, 855);
    txtVMax->setText(QStringLiteral("5.0000"));
    Label5 = label(this, "Label5", QStringLiteral("Input Min (V)"), 4680, 1020, 900, 195);
    txtVMin = textBox(this, "txtVMin", QStringLiteral("Input Min (V)"), 4680, 1260, 855);
    txtVMin->setText(QStringLiteral("0.0000"));
    cmdLoad = button(this, "cmdLoad", QStringLiteral("Load"), 1860);
    cmdLoad->setEnabled(false);
    cmdClose = button(this, "cmdClose", QStringLiteral("Close"), 2340);
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancel"), 2820);
    Label6 = label(this, "Label6", QStringLiteral("Supply Settings"), 360, 2040, 1335, 195);
    const host::SettingsPropertyBag design(QStringLiteral(":/frmSetup.ini"),
                                           QStringLiteral("VMBButton1"));
    VMBButton1 = m_main.controlRegistry().create<controls::VMBButton>(
        controls::VMBButton::ProgId, this, QStringLiteral("VMBButton1"), &design);
    VMBButton1->setBounds(240, 2280, 4125, 930);

    for (QLineEdit* box : {txtOtherFreq, txtVMax, txtVMin}) {
        box->installEventFilter(this);
    }
    // A pick by click or arrow key selects; the list only making an item current on gaining
    // the focus picks nothing.
    connect(fileConfig, &QListWidget::itemSelectionChanged, this, &frmSetup::fileConfig_Click);
    connect(fileConfig, &QListWidget::itemDoubleClicked, this, &frmSetup::fileConfig_DblClick);
    // The user's picks; a selection made by the program runs its handler itself.
    connect(cboFSample, &QComboBox::activated, this, &frmSetup::cboFSample_Click);
    connect(cboNumSamples, &QComboBox::activated, this, &frmSetup::cboNumSamples_Click);
    connect(cmdLoad, &QPushButton::clicked, this, &frmSetup::cmdLoad_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmSetup::cmdClose_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetup::cmdCancel_Click);
    connect(VMBButton1, &controls::VMBButton::Click, this, &frmSetup::VMBButton1_Click);
}

// ---- Opening --------------------------------------------------------------------------------

void frmSetup::Form_Load() {
    if (const QScreen* screen = m_main.hostWindow()->screen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    Settings& s = m_state.CurrentSettings;
    Settings::copySetupSubset(s, m_state.SavedSettings);
    cboNumSamples->addItems({QStringLiteral("256"), QStringLiteral("512"), QStringLiteral("1024"),
                             QStringLiteral("2048"), QStringLiteral("4096"),
                             QStringLiteral("8192")});
    m_frequencies.setText(QString::number(s.SampleFreq));
    showFrequencies();
    SelectNumberOfSamples();
    txtOtherFreq->setText(cboFSample->currentText());
    ShowLatchOnPanel();
    showInputRange(u"0.00");
    listConfigFiles();
    const int16_t picked = m_state.ConfigFileIndex;
    if (picked != -1 && picked >= 0 && picked < fileConfig->count()) {
        const QSignalBlocker quiet(fileConfig);
        fileConfig->setCurrentRow(picked);
        cmdLoad->setEnabled(true);
    }
}

void frmSetup::listConfigFiles() {
    // Linux keeps the letter case of file names: "*.cfg" matches RQ3118.CFG too.
    const QStringList names = QDir::current().entryList(
        {QStringLiteral("*.cfg")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    const QSignalBlocker quiet(fileConfig);
    fileConfig->addItems(names);
}

void frmSetup::ShowLatchOnPanel() {
    VMBButton1->setLatchContent(m_state.BoardLatch.latch());
}

void frmSetup::showInputRange(const char16_t* pattern) {
    txtVMax->setText(formatNumber(m_state.CurrentSettings.InputVMax, pattern));
    txtVMin->setText(formatNumber(m_state.CurrentSettings.InputVMin, pattern));
}

// ---- Picking and loading a configuration ----------------------------------------------------

void frmSetup::fileConfig_Click() {
    const QList<QListWidgetItem*> picked = fileConfig->selectedItems();
    if (picked.isEmpty()) {
        return;
    }
    const int row = fileConfig->row(picked.first());
    cmdLoad->setEnabled(true);
    m_state.ConfigFileIndex = static_cast<int16_t>(row);
}

void frmSetup::fileConfig_DblClick() {
    fileConfig_Click();
    cmdLoad_Click();
}

void frmSetup::cmdLoad_Click() {
    const QListWidgetItem* file = fileConfig->item(m_state.ConfigFileIndex);
    if (m_loading || file == nullptr) {
        return;
    }
    Loading loading(*this);
    Settings& s = m_state.CurrentSettings;

    const ConfigurationLoadOutcome loaded =
        loadConfiguration(m_state, m_main.comms(), file->text(), m_frequencies, *this, *this);
    if (loaded.frequencyRefusal) {
        m_main.comms().messages().AddItem(configurationLoadErrorLine());
    }
    if (!loaded.download) {
        return;
    }
    if (loaded.programRunning()) {
        ShowLatchOnPanel();
        SelectNumberOfSamples();
        chooseFrequency([this] { SelectSampleFrequency(m_state, m_frequencies); });
        VMBButton1->setEnabled(true);
        showInputRange(u"0.0000");
        cmdCancel->setEnabled(false);
        m_main.enableCaptureButtons();
        m_main.configurationLoaded(s);
    }
    if (s.ProgramLoaded) {
        m_main.enableCaptureButtons();
    } else {
        m_main.disableCaptureButtons();
    }
}

void frmSetup::frequencyChosen(const NumberedError* refusal) {
    showChoice(refusal == nullptr);
}

void frmSetup::programStarted() {
    m_main.ShowConfiguration();
}

void frmSetup::loadEnded() {
    if (m_cancelPending) {
        m_cancelPending = false;
        // A download that succeeded meanwhile has taken Cancel away.
        if (cmdCancel->isEnabled()) {
            cmdCancel_Click();
        }
    }
    if (m_closePending) {
        m_closePending = false;
        QDialog::done(QDialog::Accepted);
    }
}

void frmSetup::disableDisplayOptions() {
    m_main.disableDisplayOptions();
}

void frmSetup::setPanelLatchContent(int16_t value) {
    VMBButton1->setLatchContent(value);
}

void frmSetup::disableCaptureButtons() {
    m_main.disableCaptureButtons();
}

// ---- Sample frequency and record length -----------------------------------------------------

void frmSetup::showFrequencies() {
    const QSignalBlocker quiet(cboFSample);
    const QStringList& entries = m_frequencies.entries();
    if (entries != m_shownFrequencies) {
        cboFSample->clear();
        cboFSample->addItems(entries);
        m_shownFrequencies = entries;
    }
    // A text that reads as an entry stands on it, so leaving the box does not pick it again.
    int at = m_frequencies.selected();
    if (at < 0) {
        at = static_cast<int>(entries.indexOf(m_frequencies.text()));
    }
    cboFSample->setCurrentIndex(at);
    cboFSample->setEditText(m_frequencies.text());
}

bool frmSetup::chooseFrequency(const std::function<void()>& choice) {
    bool accepted = true;
    try {
        choice();
    } catch (const NumberedError&) {
        // The sample clock takes no frequency of 4 Hz or less.
        accepted = false;
    }
    return showChoice(accepted);
}

bool frmSetup::showChoice(bool accepted) {
    showFrequencies();
    if (!accepted) {
        m_main.comms().boxes().show(QStringLiteral("Invalid Frequency Entered"), windowTitle(),
                                    MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    cmdClose->setFocus();
    return true;
}

void frmSetup::cboFSample_Click(int index) {
    m_frequencies.select(index);
    chooseFrequency([this] { rq::applySelectedFrequency(m_state, m_frequencies); });
}

void frmSetup::SelectNumberOfSamples() {
    const int16_t index = m_state.CurrentSettings.NumberOfSamples;
    if (index >= 0 && index < cboNumSamples->count()) {
        cboNumSamples->setCurrentIndex(index);
        cboNumSamples_Click();
        return;
    }
    // A length from a file that the list cannot select: its number of samples, nothing selected.
    cboNumSamples->setPlaceholderText(recordLengthText(index));
    cboNumSamples->setCurrentIndex(-1);
}

void frmSetup::cboNumSamples_Click() {
    Settings& s = m_state.CurrentSettings;
    const int16_t picked = static_cast<int16_t>(cboNumSamples->currentIndex());
    if (picked < 0) {
        return;
    }
    if (picked != s.NumberOfSamples) {
        s.NumberOfSamples = picked;
        m_main.resetZoom();
    }
    s.NumberOfSamples = picked;
}

// ---- Text boxes -----------------------------------------------------------------------------

bool frmSetup::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr || (box != txtOtherFreq && box != txtVMax && box != txtVMin)) {
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        return filterKey(static_cast<QKeyEvent*>(event), box != txtOtherFreq);
    }
    if (event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window counts: not the window losing
        // activation (a message box) or a popup opening.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const QWidget* next = QApplication::focusWidget();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            next != nullptr && next != box && isAncestorOf(next)) {
            lostFocus(box);
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool frmSetup::filterKey(QKeyEvent* key, bool point) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        cmdClose->setFocus();
        return true;
    }
    // By the key's text: arrows, Delete, Backspace and the control shortcuts keep working.
    const QString text = key->text();
    for (const QChar c : text) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        const bool digit = c >= u'0' && c <= u'9';
        if (!control && !digit && !(point && c == u'.')) {
            return true;
        }
    }
    return false;
}

void frmSetup::lostFocus(QLineEdit* box) {
    if (box == txtOtherFreq) {
        txtOtherFreq_LostFocus();
    } else if (box == txtVMax) {
        inputRange_LostFocus(txtVMax, m_state.CurrentSettings.InputVMax);
    } else {
        inputRange_LostFocus(txtVMin, m_state.CurrentSettings.InputVMin);
    }
}

void frmSetup::txtOtherFreq_LostFocus() {
    if (m_invalidPending) {
        return;
    }
    OtherFrequency entered;
    try {
        entered = takeOtherFrequency(m_state, m_frequencies, txtOtherFreq->text());
    } catch (const NumberedError&) {
        entered.outcome = OtherFrequency::NotANumber;  // a frequency the clock cannot make
    }
    showFrequencies();
    if (entered.outcome == OtherFrequency::NotANumber) {
        // After the focus has settled: a box opened inside a click would swallow the click's
        // release. A click that closes the window meanwhile drops it with the window.
        m_invalidPending = true;
        QTimer::singleShot(0, this, &frmSetup::invalidFrequency);
        return;
    }
    txtOtherFreq->setText(entered.boxText);
    if (entered.chosen) {
        cmdClose->setFocus();
    }
}

void frmSetup::invalidFrequency() {
    m_main.comms().boxes().show(QStringLiteral("Invalid Frequency Entered"), windowTitle(),
                                MsgIcon::Exclamation, MsgButtons::Ok);
    txtOtherFreq->setFocus();
    txtOtherFreq->selectAll();
    m_invalidPending = false;
}

void frmSetup::inputRange_LostFocus(QLineEdit* box, double& value) {
    try {
        value = leadingNumber(box->text());
    } catch (const NumberedError&) {
        // Too large for a double: the value stays.
    }
    box->setText(formatNumber(value, u"#0.0000"));
}

// ---- Supplies and closing -------------------------------------------------------------------

void frmSetup::VMBButton1_Click() {
    if (m_loading) {
        // The board is restarting and takes no command: the switch goes back.
        ShowLatchOnPanel();
        return;
    }
    if (SendSupplyLatch(m_state, m_main.comms(), VMBButton1->LatchContent())) {
        cmdCancel->setEnabled(false);
    }
}

void frmSetup::cmdClose_Click() {
    close();
}

void frmSetup::cmdCancel_Click() {
    if (m_loading) {
        m_cancelPending = true;
        return;
    }
    Settings::copySetupSubset(m_state.SavedSettings, m_state.CurrentSettings);
    close();
}

void frmSetup::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::Cancel)) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Escape is a click on Cancel while Cancel may put the snapshot back, else on Close. As with
    // a click, the button takes the focus first, so that a box being edited runs its rules.
    QPushButton* button = cmdCancel->isEnabled() ? cmdCancel : cmdClose;
    button->setFocus(Qt::MouseFocusReason);
    button->click();
    event->accept();
}

void frmSetup::done(int result) {
    if (m_loading) {
        m_closePending = true;
        return;
    }
    QDialog::done(result);
}

}  // namespace rq
