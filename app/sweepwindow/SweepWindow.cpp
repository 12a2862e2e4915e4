#include "sweepwindow/SweepWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/AtomicFile.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "config/SettingsStore.h"
#include "figures/FigureTable.h"
#include "figures/FrequencyText.h"
#include "figures/Plots.h"
#include "figures/Report.h"
#include "figures/SweepPlots.h"
#include "figurewindow/FigureExports.h"
#include "figurewindow/FigureSettings.h"
#include "figurewindow/ReportFieldsDialog.h"
#include "state/ProgramState.h"
#include "sweep/SignalSource.h"
#include "sweep/SweepRunner.h"

namespace rq {

using namespace rq::figures;
using rq::analysis::WindowKind;

namespace {

const WindowKind windowKinds[] = {WindowKind::PanelBlackmanHarris, WindowKind::BlackmanHarris7,
                                  WindowKind::Hann, WindowKind::FlatTop, WindowKind::None};
const SweepFigure plottedFigures[] = {SweepFigure::Snr, SweepFigure::Sinad, SweepFigure::Sfdr,
                                      SweepFigure::Enob, SweepFigure::Thd};

// The table's columns: heading and the point's text in it.
struct Column {
    const char* heading;
    QString (*text)(const SweepPoint&);
    const char* widest;  // a sample of the longest text the column shows
};

const Column columns[] = {
    {"Point", [](const SweepPoint& p) { return QString::number(p.plan.index + 1); }, "999"},
    {"Frequency", [](const SweepPoint& p) { return frequencyText(p.plan.frequency); },
     "999.999 kHz"},
    {"Level", [](const SweepPoint& p) { return figureText(p.plan.level, 1) + " dBFS"; },
     "-100.0 dBFS"},
    {"Fundamental",
     [](const SweepPoint& p) {
         return std::isnan(p.measuredFrequency) ? figureText(p.measuredFrequency)
                                                : frequencyText(p.measuredFrequency) + ", " +
                                                      figureText(p.measuredLevel) + " dBFS";
     },
     "999.999 kHz, -100.00 dBFS"},
    {"SNR (dB)", [](const SweepPoint& p) { return figureText(p.snr); }, "-100.00"},
    {"SINAD (dB)", [](const SweepPoint& p) { return figureText(p.sinad); }, "-100.00"},
    {"THD (dBc)", [](const SweepPoint& p) { return figureText(p.thd); }, "-100.00"},
    {"SFDR (dBc)", [](const SweepPoint& p) { return figureText(p.sfdr); }, "-100.00"},
    {"ENOB (bits)", [](const SweepPoint& p) { return figureText(p.enob); }, "-100.00"},
    {"H2 (dBc)", [](const SweepPoint& p) { return figureText(p.h2); }, "-100.00"},
    {"H3 (dBc)", [](const SweepPoint& p) { return figureText(p.h3); }, "-100.00"},
    {"Warnings",
     [](const SweepPoint& p) {
         QStringList codes;
         for (const rq::analysis::Warning& w : p.warnings) {
             codes << w.code;
         }
         if (!p.spectrumError.isEmpty()) {
             codes.prepend(QStringLiteral("no spectrum: ") + p.spectrumError);
         }
         return codes.join(QStringLiteral(", "));
     },
     "clipping, leakage"},
};

QString durationText(qint64 ms) {
    if (ms < 10000) {
        return QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'f', 1);
    }
    const qint64 s = (ms + 500) / 1000;
    return s < 60 ? QStringLiteral("%1 s").arg(s)
                  : QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

SweepWindow::SweepWindow(AcquisitionSession& session, ProgramState& state, SettingsStore& store,
                         SignalSourceFactory& sources, std::function<bool()> boardReady,
                         QWidget* parent)
    : QMainWindow(parent),
      m_session(session),
      m_state(state),
      m_store(store),
      m_sources(sources),
      m_boardReady(std::move(boardReady)),
      m_settings(loadSweepSettings(store)) {
    setObjectName(QStringLiteral("SweepWindow"));
    setWindowTitle(QStringLiteral("Sweep"));

    auto* central = new QWidget;
    auto* columnsLayout = new QHBoxLayout(central);

    auto* left = new QWidget;
    left->setObjectName(QStringLiteral("definitionPanel"));
    left->setFixedWidth(340);
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    auto* definitionBox = new QGroupBox(QStringLiteral("Sweep"));
    buildDefinition(definitionBox);
    leftColumn->addWidget(definitionBox);

    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(QStringLiteral("Start"));
    m_start->setObjectName(QStringLiteral("startButton"));
    m_start->setToolTip(QStringLiteral("Start the sweep (Ctrl+Return)"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setToolTip(QStringLiteral("End the sweep, keeping the points measured (Esc)"));
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    leftColumn->addLayout(buttons);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("sweepProgress"));
    m_progress->setFormat(QStringLiteral("%v of %m points"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    leftColumn->addWidget(m_progress);
    m_timeLeft = new QLabel;
    m_timeLeft->setObjectName(QStringLiteral("timeLeft"));
    leftColumn->addWidget(m_timeLeft);

    m_promptBox = new QGroupBox(QStringLiteral("Set the generator"));
    m_promptBox->setObjectName(QStringLiteral("promptBox"));
    auto* promptColumn = new QVBoxLayout(m_promptBox);
    m_prompt = new QLabel;
    m_prompt->setObjectName(QStringLiteral("promptText"));
    m_prompt->setWordWrap(true);
    promptColumn->addWidget(m_prompt);
    m_continue = new QPushButton(QStringLiteral("&Continue"));
    m_continue->setObjectName(QStringLiteral("continueButton"));
    promptColumn->addWidget(m_continue);
    m_promptBox->hide();
    leftColumn->addWidget(m_promptBox);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    leftColumn->addWidget(m_status);
    leftColumn->addStretch(1);
    columnsLayout->addWidget(left);

    auto* right = new QSplitter(Qt::Vertical);
    auto* plots = new QWidget;
    auto* plotColumn = new QVBoxLayout(plots);
    plotColumn->setContentsMargins(0, 0, 0, 0);
    auto* plotOptions = new QHBoxLayout;
    m_figure = new QComboBox;
    m_figure->setObjectName(QStringLiteral("figureCombo"));
    for (SweepFigure f : plottedFigures) {
        m_figure->addItem(sweepFigureName(f), int(f));
    }
    auto* figureLabel = new QLabel(QStringLiteral("Figure to &draw:"));
    figureLabel->setBuddy(m_figure);
    plotOptions->addWidget(figureLabel);
    plotOptions->addWidget(m_figure);
    m_logAxis = new QCheckBox(QStringLiteral("Logarithmic frequenc&y axis"));
    m_logAxis->setObjectName(QStringLiteral("logAxisCheck"));
    plotOptions->addWidget(m_logAxis);
    plotOptions->addStretch(1);
    plotColumn->addLayout(plotOptions);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("sweepTabs"));
    m_frequencyPlot = new QCustomPlot;
    m_frequencyPlot->setObjectName(QStringLiteral("frequencyPlot"));
    m_levelPlot = new QCustomPlot;
    m_levelPlot->setObjectName(QStringLiteral("levelPlot"));
    for (QCustomPlot* plot : {m_frequencyPlot, m_levelPlot}) {
        plot->setMinimumSize(360, 260);
        plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    }
    m_tabs->addTab(m_frequencyPlot, QStringLiteral("Against frequency"));
    m_tabs->addTab(m_levelPlot, QStringLiteral("Against level"));
    plotColumn->addWidget(m_tabs, 1);
    right->addWidget(plots);

    m_table = new QTableWidget(0, int(std::size(columns)));
    m_table->setObjectName(QStringLiteral("pointsTable"));
    m_table->setAccessibleName(QStringLiteral("Points"));
    QStringList headings;
    for (const Column& c : columns) {
        headings << QString::fromLatin1(c.heading);
    }
    m_table->setHorizontalHeaderLabels(headings);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // Columns as wide as their longest text, fixed, so that the table does not jump per point.
    const QFontMetrics body(m_table->font());
    const QFontMetrics head(m_table->horizontalHeader()->font());
    for (int c = 0; c < int(std::size(columns)); ++c) {
        m_table->horizontalHeader()->resizeSection(
            c, std::max(body.horizontalAdvance(QString::fromLatin1(columns[c].widest)),
                        head.horizontalAdvance(QString::fromLatin1(columns[c].heading))) +
                   16);
    }
    right->addWidget(m_table);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    columnsLayout->addWidget(right, 1);
    setCentralWidget(central);

    buildMenus();
    setSettings(m_settings);

    connect(m_start, &QPushButton::clicked, this, &SweepWindow::start);
    connect(m_cancel, &QPushButton::clicked, this, &SweepWindow::cancel);
    connect(m_figure, &QComboBox::currentIndexChanged, this, [this] { redrawPlots(); });
    connect(m_logAxis, &QCheckBox::toggled, this, [this] {
        if (!m_settingUp) {
            m_settings.logFrequency = m_logAxis->isChecked();
            redrawPlots();
        }
    });
    connect(m_sourceKind, &QComboBox::currentIndexChanged, this, &SweepWindow::sourceChanged);
    for (QRadioButton* b : {m_givenFullScale, m_calibrate}) {
        connect(b, &QRadioButton::toggled, this, &SweepWindow::sourceChanged);
    }

    const QByteArray geometry =
        QByteArray::fromBase64(m_store
                                   .get(FigureSettingsApplication, SweepSettingsSection,
                                        QStringLiteral("Geometry"), QString())
                                   .toLatin1());
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        resize(DefaultWidth, DefaultHeight);
    }
    setRunning(false);
    redrawPlots();
    showStatus(
        QStringLiteral("Define the sweep and press Start. The points are taken through "
                       "the main window's board, as Sample takes a record."));
}

SweepWindow::~SweepWindow() {
    // The runner ends its held run, and the source closes, before the window's widgets go.
    m_runner.reset();
    m_source.reset();
}

void SweepWindow::buildDefinition(QWidget* box) {
    auto* form = new QFormLayout(box);
    const auto row = [&](const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption);
        label->setBuddy(widget);
        form->addRow(label, widget);
    };
    m_frequencies = new QLineEdit;
    m_frequencies->setObjectName(QStringLiteral("frequenciesEdit"));
    m_frequencies->setToolTip(QStringLiteral(
        "Hz: a:b:n (n points from a to b), a:b:n:log, or a list a,b,c; one value fixes it"));
    row(QStringLiteral("Fre&quencies (Hz):"), m_frequencies);
    m_levels = new QLineEdit;
    m_levels->setObjectName(QStringLiteral("levelsEdit"));
    m_levels->setToolTip(QStringLiteral("dBFS: a:b:n or a list a,b,c; one value fixes it"));
    row(QStringLiteral("&Levels (dBFS):"), m_levels);
    m_records = new QSpinBox;
    m_records->setObjectName(QStringLiteral("recordsSpin"));
    m_records->setRange(1, 10000);
    row(QStringLiteral("Records per &point:"), m_records);
    m_averaged = new QCheckBox(QStringLiteral("&Average their power spectra"));
    m_averaged->setObjectName(QStringLiteral("averagedCheck"));
    form->addRow(m_averaged);
    m_coherent = new QCheckBox(QStringLiteral("C&oherent frequencies"));
    m_coherent->setObjectName(QStringLiteral("coherentCheck"));
    m_coherent->setToolTip(
        QStringLiteral("Each frequency moved to an odd number of cycles in the record"));
    form->addRow(m_coherent);
    m_window = new QComboBox;
    m_window->setObjectName(QStringLiteral("windowCombo"));
    for (WindowKind kind : windowKinds) {
        m_window->addItem(rq::analysis::windowInfo(kind).name, int(kind));
        m_window->setItemData(m_window->count() - 1, rq::analysis::windowInfo(kind).title,
                              Qt::ToolTipRole);
    }
    row(QStringLiteral("&Window:"), m_window);

    m_sourceKind = new QComboBox;
    m_sourceKind->setObjectName(QStringLiteral("sourceCombo"));
    if (m_sources.boardSource()) {
        m_sourceKind->addItem(QStringLiteral("Simulated board"), int(SourceChoice::Kind::Board));
    }
    m_sourceKind->addItem(QStringLiteral("Signal generator (SCPI)"),
                          int(SourceChoice::Kind::Generator));
    m_sourceKind->addItem(QStringLiteral("Manual (set by hand)"), int(SourceChoice::Kind::Manual));
    row(QStringLiteral("So&urce:"), m_sourceKind);

    m_generatorBox = new QWidget;
    auto* generatorForm = new QFormLayout(m_generatorBox);
    generatorForm->setContentsMargins(0, 0, 0, 0);
    const auto generatorRow = [&](const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption);
        label->setBuddy(widget);
        generatorForm->addRow(label, widget);
    };
    m_generator = new QLineEdit;
    m_generator->setObjectName(QStringLiteral("generatorEdit"));
    m_generator->setToolTip(QStringLiteral("HOST or HOST:PORT (5025 by default)"));
    generatorRow(QStringLiteral("&Generator:"), m_generator);
    auto* profileRow = new QWidget;
    auto* profileLayout = new QHBoxLayout(profileRow);
    profileLayout->setContentsMargins(0, 0, 0, 0);
    m_profile = new QLineEdit;
    m_profile->setObjectName(QStringLiteral("profileEdit"));
    m_profile->setPlaceholderText(QStringLiteral("SCPI defaults"));
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setObjectName(QStringLiteral("browseProfile"));
    browse->setAccessibleName(QStringLiteral("Browse for a profile"));
    browse->setFixedWidth(32);
    profileLayout->addWidget(m_profile, 1);
    profileLayout->addWidget(browse);
    generatorRow(QStringLiteral("P&rofile:"), profileRow);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Generator profile"), m_profile->text(),
            QStringLiteral("Profiles (*.profile *.txt);;All Files (*)"));
        if (!path.isEmpty()) {
            m_profile->setText(path);
        }
    });
    m_givenFullScale = new QRadioButton(QStringLiteral("Full scale &known (dBm):"));
    m_givenFullScale->setObjectName(QStringLiteral("givenFullScaleRadio"));
    m_fullScale = new QDoubleSpinBox;
    m_fullScale->setObjectName(QStringLiteral("fullScaleSpin"));
    m_fullScale->setRange(-200, 100);
    m_fullScale->setDecimals(2);
    m_fullScale->setSuffix(QStringLiteral(" dBm"));
    m_fullScale->setAccessibleName(QStringLiteral("Full scale known"));
    generatorForm->addRow(m_givenFullScale, m_fullScale);
    m_calibrate = new QRadioButton(QStringLiteral("Cal&ibrate at (dBm):"));
    m_calibrate->setObjectName(QStringLiteral("calibrateRadio"));
    m_calibrationLevel = new QDoubleSpinBox;
    m_calibrationLevel->setObjectName(QStringLiteral("calibrationSpin"));
    m_calibrationLevel->setRange(-200, 100);
    m_calibrationLevel->setDecimals(2);
    m_calibrationLevel->setSuffix(QStringLiteral(" dBm"));
    m_calibrationLevel->setAccessibleName(QStringLiteral("Calibrate at"));
    generatorForm->addRow(m_calibrate, m_calibrationLevel);
    auto* fullScaleChoice = new QButtonGroup(m_generatorBox);
    fullScaleChoice->addButton(m_givenFullScale);
    fullScaleChoice->addButton(m_calibrate);
    form->addRow(m_generatorBox);

    m_settle = new QSpinBox;
    m_settle->setObjectName(QStringLiteral("settleSpin"));
    m_settle->setRange(0, 3600000);
    m_settle->setSuffix(QStringLiteral(" ms"));
    row(QStringLiteral("Se&ttle:"), m_settle);
}

void SweepWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    const auto item = [](QMenu* menu, const char* text, const QKeySequence& keys,
                         const char* name) {
        return menuItem(menu, QString::fromUtf8(text), keys, name);
    };
    m_exportPlotAction = item(file, "Export &Plot...", QKeySequence("Ctrl+E"), "exportPlot");
    m_exportCsvAction =
        item(file, "Export Points &CSV...", QKeySequence("Ctrl+Shift+C"), "exportPointsCsv");
    m_exportJsonAction =
        item(file, "Export Points &JSON...", QKeySequence("Ctrl+Shift+J"), "exportPointsJson");
    file->addSeparator();
    m_reportAction = item(file, "Test &Report...", QKeySequence("Ctrl+R"), "testReport");
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("C&lose"));
    close->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_copyAction = item(edit, "&Copy Points", QKeySequence("Ctrl+C"), "copyPoints");

    QMenu* sweep = menuBar()->addMenu(QStringLiteral("&Sweep"));
    m_startAction = item(sweep, "&Start", QKeySequence("Ctrl+Return"), "startSweep");
    m_cancelAction = item(sweep, "&Cancel", QKeySequence(Qt::Key_Escape), "cancelSweep");
    connect(m_startAction, &QAction::triggered, this, &SweepWindow::start);
    connect(m_cancelAction, &QAction::triggered, this, &SweepWindow::cancel);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    for (int t = 0; t < m_tabs->count(); ++t) {
        QAction* show =
            view->addAction(QStringLiteral("&%1 %2").arg(t + 1).arg(m_tabs->tabText(t)));
        show->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(t + 1)));
        connect(show, &QAction::triggered, this, [this, t] { m_tabs->setCurrentIndex(t); });
    }

    const auto havePoints = [this] { return m_runner && !m_runner->points().empty(); };
    connect(m_exportPlotAction, &QAction::triggered, this, [this, havePoints] {
        if (!havePoints()) {
            return;
        }
        const QString what =
            QStringLiteral("sweep_%1_%2")
                .arg(sweepFigureName(SweepFigure(m_figure->currentData().toInt())).toLower(),
                     m_tabs->currentIndex() == 0 ? QStringLiteral("frequency")
                                                 : QStringLiteral("level"));
        exportTo(what,
                 QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
                 [this](const QString& path) {
                     exportPlot(*qobject_cast<QCustomPlot*>(m_tabs->currentWidget()), path);
                 });
    });
    connect(m_exportCsvAction, &QAction::triggered, this, [this, havePoints] {
        if (havePoints()) {
            exportTo(QStringLiteral("sweep"), QStringLiteral("CSV (*.csv)"),
                     [this](const QString& path) {
                         writeFileAtomically(path, sweepCsv(m_runner->points()));
                     });
        }
    });
    connect(m_exportJsonAction, &QAction::triggered, this, [this, havePoints] {
        if (havePoints()) {
            exportTo(QStringLiteral("sweep"), QStringLiteral("JSON (*.json)"),
                     [this](const QString& path) { writeFileAtomically(path, pointsJson()); });
        }
    });
    connect(m_copyAction, &QAction::triggered, this, [this, havePoints] {
        if (havePoints()) {
            QApplication::clipboard()->setText(pointsText());
        }
    });
    connect(m_reportAction, &QAction::triggered, this, [this, havePoints] {
        if (!havePoints() || m_runner->running()) {
            return;
        }
        const std::optional<ReportFields> fields = askReportFields(this, m_store);
        if (!fields) {
            return;
        }
        exportTo(QStringLiteral("sweep_report"), QStringLiteral("PDF document (*.pdf)"),
                 [this, &fields](const QString& path) {
                     const std::unique_ptr<FigureRun> last =
                         m_runner->reportRun(withReportFields(FigureRequest{}, *fields));
                     SweepReport report;
                     report.plan = m_runner->plan();
                     report.points = m_runner->points();
                     report.summary = m_runner->summary();
                     report.definition = m_runner->definitionLines();
                     report.logFrequency = m_settings.logFrequency;
                     const Settings& s = m_state.CurrentSettings;
                     const QString part =
                         s.PartName.isEmpty() ? QStringLiteral("RQ3118") : s.PartName;
                     RecordSource source;
                     source.title = QStringLiteral("sweep of %1").arg(part);
                     source.configuration
                         << QStringLiteral("Part: %1").arg(part)
                         << QStringLiteral("Sample frequency: %1 Hz")
                                .arg(QString::number(m_runner->sampleRate(), 'f', 2))
                         << QStringLiteral("Record length: %1 samples")
                                .arg(m_state.Record.SampleData.size())
                         << QStringLiteral("Converter: %1 bits, %2")
                                .arg(s.NumberOfBits)
                                .arg(s.DataFormat == 1 ? QStringLiteral("two's complement")
                                                       : QStringLiteral("straight binary"));
                     writeSweepReport(path, last.get(), source, report);
                 });
    });
}

void SweepWindow::exportTo(const QString& what, const QString& filter,
                           const std::function<void(const QString&)>& write) {
    exportThroughDialog(this, m_state.CurrentSettings.PartName, what, filter, write);
}

QByteArray SweepWindow::pointsJson() const {
    QJsonArray points;
    for (const SweepPoint& p : m_runner->points()) {
        points.append(sweepPointResult(p).toJsonObject());
    }
    QJsonObject document;
    document.insert(QStringLiteral("points"), points);
    if (m_runner->isFinished()) {
        const QJsonObject summary = sweepSummaryResult(m_runner->summary()).toJsonObject();
        document.insert(QStringLiteral("summary"), summary.value(QStringLiteral("summary")));
    }
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

QString SweepWindow::pointsText() const {
    QStringList lines;
    QStringList headings;
    for (const Column& c : columns) {
        headings << QString::fromLatin1(c.heading);
    }
    lines << headings.join(u'\t');
    for (const SweepPoint& p : m_runner->points()) {
        QStringList cells;
        for (const Column& c : columns) {
            cells << c.text(p);
        }
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

void SweepWindow::setSettings(const SweepSettings& s) {
    m_settingUp = true;
    m_settings = s;
    m_frequencies->setText(s.frequencies);
    m_levels->setText(s.levels);
    m_records->setValue(s.records);
    m_averaged->setChecked(s.averaged);
    m_coherent->setChecked(s.coherent);
    for (int i = 0; i < m_window->count(); ++i) {
        if (m_window->itemData(i).toInt() == int(s.window)) {
            m_window->setCurrentIndex(i);
        }
    }
    const int source = m_sourceKind->findData(int(s.source));
    m_sourceKind->setCurrentIndex(source >= 0 ? source : 0);
    m_generator->setText(s.generator);
    m_profile->setText(s.profile);
    m_calibrate->setChecked(s.calibrate);
    m_givenFullScale->setChecked(!s.calibrate);
    m_fullScale->setValue(s.fullScaleDbm);
    m_calibrationLevel->setValue(s.calibrationDbm);
    m_settle->setValue(s.settleMs);
    m_logAxis->setChecked(s.logFrequency);
    m_settingUp = false;
    sourceChanged();
}

void SweepWindow::readWidgets() {
    SweepSettings s;
    s.frequencies = m_frequencies->text().trimmed();
    s.levels = m_levels->text().trimmed();
    s.records = m_records->value();
    s.averaged = m_averaged->isChecked();
    s.coherent = m_coherent->isChecked();
    s.window = WindowKind(m_window->currentData().toInt());
    s.source = SourceChoice::Kind(m_sourceKind->currentData().toInt());
    s.generator = m_generator->text().trimmed();
    s.profile = m_profile->text().trimmed();
    s.calibrate = m_calibrate->isChecked();
    s.fullScaleDbm = m_fullScale->value();
    s.calibrationDbm = m_calibrationLevel->value();
    s.settleMs = m_settle->value();
    s.logFrequency = m_logAxis->isChecked();
    m_settings = s;
}

void SweepWindow::sourceChanged() {
    if (m_settingUp) {
        return;
    }
    const auto kind = SourceChoice::Kind(m_sourceKind->currentData().toInt());
    const bool idle = !running();
    m_generatorBox->setVisible(kind == SourceChoice::Kind::Generator);
    m_generatorBox->setEnabled(idle);
    m_settle->setEnabled(idle && kind != SourceChoice::Kind::Board);
    m_fullScale->setEnabled(m_givenFullScale->isChecked());
    m_calibrationLevel->setEnabled(m_calibrate->isChecked());
}

bool SweepWindow::running() const {
    return m_runner && m_runner->running();
}

void SweepWindow::start() {
    if (running()) {
        return;
    }
    readWidgets();
    saveState();
    if (m_boardReady && !m_boardReady()) {
        showStatus(QStringLiteral("The board takes no records now: load a configuration first "
                                  "(File, Setup Menu, Load), and stop any capture."),
                   true);
        return;
    }
    SweepDefinition definition;
    try {
        definition = sweepDefinition(m_settings);
        std::unique_ptr<SignalSource> source = m_sources.make(sourceChoice(m_settings));
        auto runner =
            std::make_unique<SweepRunner>(m_session, m_state, *source, std::move(definition));
        m_runner.reset();
        m_source = std::move(source);
        m_runner = std::move(runner);
    } catch (const NumberedError& e) {
        showStatus(e.description(), true);
        return;
    }
    if (auto* hand = qobject_cast<ManualSource*>(m_source.get())) {
        connect(hand, &ManualSource::prompt, this, [this](const QString& text) {
            m_prompt->setText(text + QStringLiteral(", then press Continue."));
            m_promptBox->show();
            m_continue->setFocus();
        });
        connect(m_continue, &QPushButton::clicked, hand, [this, hand] {
            m_promptBox->hide();
            hand->proceed();
        });
    }
    connect(m_runner.get(), &SweepRunner::pointStarted, this, [this] { showProgress(); });
    connect(m_runner.get(), &SweepRunner::pointMeasured, this, &SweepWindow::pointMeasured);
    connect(m_runner.get(), &SweepRunner::finished, this, &SweepWindow::finished);
    connect(m_runner.get(), &SweepRunner::calibrated, this, [this](double dbm) {
        showStatus(QStringLiteral("Calibrated: %1 dBm reads full scale.").arg(figureText(dbm, 2)));
    });
    m_table->setRowCount(0);
    m_progress->setRange(0, int(m_runner->plan().points.size()));
    m_progress->setValue(0);
    m_timeLeft->clear();
    // The plot shows the axis the sweep moves along.
    if (m_runner->plan().frequencies < 2 && m_runner->plan().levels > 1) {
        m_tabs->setCurrentIndex(1);
    } else if (m_runner->plan().frequencies > 1 && m_runner->plan().levels < 2) {
        m_tabs->setCurrentIndex(0);
    }
    showStatus(QStringLiteral("Sweeping with %1 as the source...").arg(m_source->description()));
    setRunning(true);
    redrawPlots();
    m_runner->start();
}

void SweepWindow::cancel() {
    if (running()) {
        m_promptBox->hide();
        m_runner->cancel(SweepEnd::Cancelled, QStringLiteral("cancelled in the Sweep window"));
    }
}

void SweepWindow::pointMeasured(const SweepPoint& point) {
    addRow(point);
    showProgress();
    redrawPlots();
}

void SweepWindow::finished(const SweepSummary& summary) {
    m_promptBox->hide();
    setRunning(false);
    showProgress();
    m_timeLeft->setText(
        QStringLiteral("Took %1").arg(durationText(m_runner ? m_runner->elapsedMs() : 0)));
    showStatus(sweepSummaryText(summary), summary.end != SweepEnd::Done);
    redrawPlots();
}

void SweepWindow::setRunning(bool running) {
    m_start->setEnabled(!running);
    m_startAction->setEnabled(!running);
    m_cancel->setEnabled(running);
    m_cancelAction->setEnabled(running);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_frequencies, m_levels, m_records, m_averaged, m_coherent, m_window, m_sourceKind}) {
        w->setEnabled(!running);
    }
    m_reportAction->setEnabled(!running);
    sourceChanged();
}

void SweepWindow::showProgress() {
    if (!m_runner) {
        return;
    }
    const int done = int(m_runner->points().size());
    const int planned = int(m_runner->plan().points.size());
    m_progress->setValue(done);
    m_progress->setAccessibleName(QStringLiteral("%1 of %2 points").arg(done).arg(planned));
    if (m_runner->running() && done > 0) {
        const qint64 left = m_runner->elapsedMs() * (planned - done) / done;
        m_timeLeft->setText(QStringLiteral("About %1 left").arg(durationText(left)));
    } else if (m_runner->running()) {
        m_timeLeft->setText(QStringLiteral("Point 1 of %1...").arg(planned));
    }
    m_timeLeft->setAccessibleName(m_timeLeft->text());
}

void SweepWindow::addRow(const SweepPoint& point) {
    const int r = m_table->rowCount();
    m_table->insertRow(r);
    for (int c = 0; c < int(std::size(columns)); ++c) {
        const QString text = columns[c].text(point);
        auto* item = new QTableWidgetItem(text);
        item->setData(Qt::AccessibleTextRole, text);
        if (c > 0 && c < int(std::size(columns)) - 1) {
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (!point.warnings.empty() || !point.spectrumError.isEmpty()) {
            item->setBackground(QColor(255, 236, 204));
        }
        m_table->setItem(r, c, item);
    }
    m_table->scrollToBottom();
}

void SweepWindow::redrawPlots() {
    const auto figure = SweepFigure(m_figure->currentData().toInt());
    for (QCustomPlot* plot : {m_frequencyPlot, m_levelPlot}) {
        clearPlot(*plot);
        if (!m_runner) {
            plot->plotLayout()->insertRow(0);
            plot->plotLayout()->addElement(
                0, 0, new QCPTextElement(plot, QStringLiteral("No sweep yet")));
        } else {
            const SweepSummary summary = m_runner->isFinished()
                                             ? m_runner->summary()
                                             : summariseSweep(m_runner->plan(), m_runner->points(),
                                                              SweepEnd::Done, QString());
            drawSweep(*plot, m_runner->plan(), m_runner->points(), summary, figure,
                      plot == m_frequencyPlot ? SweepAxis::Frequency : SweepAxis::Level,
                      m_logAxis->isChecked());
        }
        plot->replot();
    }
}

void SweepWindow::showStatus(const QString& text, bool fault) {
    m_status->setText(text);
    m_status->setAccessibleName(text);
    m_status->setStyleSheet(fault ? QStringLiteral("color: rgb(150, 30, 0); font-weight: bold;")
                                  : QString());
}

void SweepWindow::saveState() {
    try {
        saveSweepSettings(m_store, m_settings);
        m_store.save(FigureSettingsApplication, SweepSettingsSection, QStringLiteral("Geometry"),
                     QString::fromLatin1(saveGeometry().toBase64()));
    } catch (const NumberedError&) {
        // A store that cannot be written loses the window's settings, nothing else.
    }
}

void SweepWindow::closeEvent(QCloseEvent* event) {
    // A running sweep ends; the points measured stay for the next opening.
    cancel();
    readWidgets();
    saveState();
    QMainWindow::closeEvent(event);
}

SweepWindowLink::SweepWindowLink(AcquisitionSession& session, ProgramState& state,
                                 SettingsStore& store, SignalSourceFactory& sources,
                                 std::function<bool()> boardReady, QAction* openItem,
                                 QWidget* owner)
    : QObject(owner),
      m_session(session),
      m_state(state),
      m_store(store),
      m_sources(sources),
      m_boardReady(std::move(boardReady)),
      m_owner(owner) {
    connect(openItem, &QAction::triggered, this, [this] { open(); });
}

SweepWindow* SweepWindowLink::open() {
    if (!m_window) {
        m_window = new SweepWindow(m_session, m_state, m_store, m_sources, m_boardReady, m_owner);
        m_window->setWindowFlag(Qt::Window);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window;
}

}  // namespace rq
