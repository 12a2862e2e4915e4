#include "figurewindow/FiguresWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "config/SettingsStore.h"
#include "figures/FigureTable.h"
#include "figures/FrequencyText.h"
#include "figures/Plots.h"

#include "figures/Report.h"
#include "figurewindow/FigureExports.h"
#include "figurewindow/PlotInteraction.h"
#include "figurewindow/ReportFieldsDialog.h"
#include "state/ProgramState.h"

namespace rq {

using namespace rq::figures;
using rq::analysis::LinearityInput;
using rq::analysis::WindowKind;

namespace {

enum Tab { SpectrumTab, TimeTab, HistogramTab, LinearityTab, TabCount };

const WindowKind windowKinds[] = {WindowKind::PanelBlackmanHarris, WindowKind::BlackmanHarris7,
                                  WindowKind::Hann, WindowKind::FlatTop, WindowKind::None};

// A converter whose bits were never configured (a file loaded before any configuration) is taken
// as rq3118ctl takes it.
constexpr int DefaultBits = 12;

// Writes a cell, keeping its item: the tables are written up to twenty times a second.
void setCell(QTableWidget& t, int row, int column, const QString& text) {
    QTableWidgetItem* item = t.item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        t.setItem(row, column, item);
    }
    if (item->text() != text) {
        item->setText(text);
        item->setData(Qt::AccessibleTextRole, text);
    }
}

// Columns as wide as the widest of their heading and a sample of their longest text, fixed, so
// that a new record does not lay the table out again; the last column takes the rest.
QTableWidget* table(const QStringList& headings, const QStringList& samples, const char* name) {
    auto* t = new QTableWidget(0, int(headings.size()));
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(headings);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::ContiguousSelection);
    t->setWordWrap(false);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView* header = t->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(true);
    const QFontMetrics metrics(t->font());
    const QFontMetrics headerMetrics(header->font());
    for (int c = 0; c < int(headings.size()); ++c) {
        const int text = c < samples.size() ? metrics.horizontalAdvance(samples[c]) : 0;
        header->resizeSection(c, std::max(text, headerMetrics.horizontalAdvance(headings[c])) + 14);
    }
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    return t;
}

// The unit the spectrum's frequency axis was drawn in, as its title names it.
double axisScale(const QCPAxis& axis) {
    const QString label = axis.label();
    if (label.endsWith(QStringLiteral("(MHz)"))) {
        return 1e6;
    }
    if (label.endsWith(QStringLiteral("(kHz)"))) {
        return 1e3;
    }
    return 1.0;
}

// A plot with nothing to draw says why.
void showNotice(QCustomPlot& plot, const QString& text) {
    plot.plotLayout()->insertRow(0);
    plot.plotLayout()->addElement(0, 0, new QCPTextElement(&plot, text));
}

// The plots' captions are laid out for a file's width; on a narrower screen a caption line too
// wide for the plot breaks where its parts are spaced apart.
void fitCaptions(QCustomPlot& plot) {
    const int room = plot.width() - 16;
    for (int e = 0; e < plot.plotLayout()->elementCount(); ++e) {
        auto* text = qobject_cast<QCPTextElement*>(plot.plotLayout()->elementAt(e));
        if (text == nullptr) {
            continue;
        }
        const QFontMetrics metrics(text->font());
        QStringList lines;
        for (const QString& line : text->text().split(u'\n')) {
            if (metrics.horizontalAdvance(line) <= room) {
                lines << line;
                continue;
            }
            QString current;
            for (const QString& part : line.split(QStringLiteral("   "), Qt::SkipEmptyParts)) {
                const QString joined =
                    current.isEmpty() ? part : current + QStringLiteral("   ") + part;
                if (!current.isEmpty() && metrics.horizontalAdvance(joined) > room) {
                    lines << current;
                    current = part;
                } else {
                    current = joined;
                }
            }
            lines << current;
        }
        text->setText(lines.join(u'\n'));
    }
}

}  // namespace

FiguresWindow::FiguresWindow(AcquisitionSession& session, const ProgramState& state,
                             SettingsStore& store, QWidget* parent)
    : QMainWindow(parent),
      m_session(session),
      m_state(state),
      m_store(store),
      m_settings(loadFigureSettings(store)),
      m_plotStale(TabCount, false) {
    setObjectName(QStringLiteral("FiguresWindow"));
    setWindowTitle(QStringLiteral("Converter Figures"));
    m_clock.start();
    m_paintTimer.setSingleShot(true);
    connect(&m_paintTimer, &QTimer::timeout, this, [this] {
        if (m_paintLimit.take(m_clock.elapsed())) {
            paintNow();
        } else {
            schedulePaint();
        }
    });

    auto* central = new QWidget;
    auto* columns = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    auto* settingsBox = new QGroupBox(QStringLiteral("Settings"));
    buildSettings(settingsBox);
    left->addWidget(settingsBox);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("plotTabs"));
    const char* names[] = {"spectrumPlot", "timePlot", "histogramPlot", "linearityPlot"};
    const char* captions[] = {"Spectrum", "Time", "Histogram", "Linearity"};
    for (int t = 0; t < TabCount; ++t) {
        auto* plot = new QCustomPlot;
        plot->setObjectName(QString::fromLatin1(names[t]));
        plot->setMinimumSize(320, 240);
        m_plots.push_back(plot);
        auto* interaction = new PlotInteraction(plot);
        m_interactions.push_back(interaction);
        connect(interaction, &PlotInteraction::readoutChanged, this,
                [this, t](const QString& text) {
                    if (m_tabs->currentIndex() == t) {
                        m_readout->setText(text);
                    }
                });
        m_tabs->addTab(plot, QString::fromLatin1(captions[t]));
    }
    PlotInteraction::ReadoutStyle time;
    time.keySymbol = QStringLiteral("n");
    time.levelSymbol = QStringLiteral("c");
    time.keyText = [](double key) { return QString::number(key, 'f', 0); };
    time.levelUnit = time.levelDifferenceUnit = QStringLiteral("codes");
    m_interactions[TimeTab]->setReadoutStyle(time);
    PlotInteraction::ReadoutStyle histogram = time;
    histogram.keySymbol = QStringLiteral("c");
    histogram.levelSymbol = QStringLiteral("N");
    histogram.levelUnit = histogram.levelDifferenceUnit = QStringLiteral("samples");
    m_interactions[HistogramTab]->setReadoutStyle(histogram);
    PlotInteraction::ReadoutStyle dnl = histogram;
    dnl.levelSymbol = QStringLiteral("DNL");
    dnl.levelUnit = dnl.levelDifferenceUnit = QStringLiteral("LSB");
    m_interactions[LinearityTab]->setReadoutStyle(dnl);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int t) {
        if (t >= 0 && m_plotStale[size_t(t)]) {
            paintPlot(t);
        }
        m_readout->setText(t >= 0 ? m_interactions[size_t(t)]->readout() : QString());
    });
    left->addWidget(m_tabs, 1);
    m_readout = new QLabel;
    m_readout->setObjectName(QStringLiteral("markerReadout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_readout->setMinimumHeight(m_readout->fontMetrics().height() + 4);
    left->addWidget(m_readout);
    columns->addLayout(left, 1);

    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("sidePanel"));
    buildSidePanel(panel);
    columns->addWidget(panel);
    setCentralWidget(central);

    buildMenus();
    connectExportsAndReport();

    const QByteArray geometry =
        QByteArray::fromBase64(m_store
                                   .get(FigureSettingsApplication, FigureSettingsSection,
                                        QStringLiteral("Geometry"), QString())
                                   .toLatin1());
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        resize(DefaultWidth, DefaultHeight);
    }
    const int tab = m_store
                        .get(FigureSettingsApplication, FigureSettingsSection,
                             QStringLiteral("Tab"), QStringLiteral("0"))
                        .toInt();
    m_tabs->setCurrentIndex(std::clamp(tab, 0, TabCount - 1));

    connect(&session, &AcquisitionSession::recordAnalysed, this, &FiguresWindow::showRecord);
    connect(&session, &AcquisitionSession::continuousRunStarted, this, &FiguresWindow::runStarted);
    connect(&session, &AcquisitionSession::continuousRunEnded, this, &FiguresWindow::runEnded);
    paintPanel();
}

FiguresWindow::~FiguresWindow() {
    if (isVisible()) {
        saveState();
    }
}

void FiguresWindow::buildSettings(QWidget* box) {
    auto* grid = new QGridLayout(box);
    const auto add = [&](int row, int column, const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption);
        label->setBuddy(widget);
        grid->addWidget(label, row, column * 2);
        grid->addWidget(widget, row, column * 2 + 1);
    };
    m_window = new QComboBox;
    m_window->setObjectName(QStringLiteral("windowCombo"));
    for (WindowKind kind : windowKinds) {
        m_window->addItem(rq::analysis::windowInfo(kind).name, int(kind));
        m_window->setItemData(m_window->count() - 1, rq::analysis::windowInfo(kind).title,
                              Qt::ToolTipRole);
    }
    add(0, 0, QStringLiteral("&Window:"), m_window);

    m_fullScaleBits = new QSpinBox;
    m_fullScaleBits->setObjectName(QStringLiteral("fullScaleBitsSpin"));
    m_fullScaleBits->setRange(0, 24);
    m_fullScaleBits->setSuffix(QStringLiteral(" bits"));
    add(1, 0, QStringLiteral("Full &scale:"), m_fullScaleBits);

    auto* averaging = new QWidget;
    auto* averagingRow = new QHBoxLayout(averaging);
    averagingRow->setContentsMargins(0, 0, 0, 0);
    m_averaging = new QSpinBox;
    m_averaging->setObjectName(QStringLiteral("averagingSpin"));
    m_averaging->setRange(1, FigureSettings::maxAveraging);
    m_averagedCount = new QLabel;
    m_averagedCount->setObjectName(QStringLiteral("averagedCount"));
    averagingRow->addWidget(m_averaging);
    averagingRow->addWidget(m_averagedCount, 1);
    add(2, 0, QStringLiteral("&Averaging:"), averaging);

    m_harmonics = new QSpinBox;
    m_harmonics->setObjectName(QStringLiteral("harmonicsSpin"));
    m_harmonics->setRange(1, FigureSettings::maxHarmonics);
    add(0, 1, QStringLiteral("&Harmonics:"), m_harmonics);

    m_linearity = new QComboBox;
    m_linearity->setObjectName(QStringLiteral("linearityCombo"));
    m_linearity->addItems({QStringLiteral("off"), QStringLiteral("sine"), QStringLiteral("ramp")});
    add(1, 1, QStringLiteral("&Linearity:"), m_linearity);

    m_loadedRate = new QDoubleSpinBox;
    m_loadedRate->setObjectName(QStringLiteral("loadedRateSpin"));
    m_loadedRate->setRange(1.0, 2147483647.0);
    m_loadedRate->setDecimals(0);
    m_loadedRate->setSuffix(QStringLiteral(" Hz"));
    m_loadedRate->setToolTip(QStringLiteral("The sample rate of loaded files"));
    add(2, 1, QStringLiteral("Loaded file &rate:"), m_loadedRate);

    m_timeUnit = new QComboBox;
    m_timeUnit->setObjectName(QStringLiteral("timeUnitCombo"));
    m_timeUnit->addItems({QStringLiteral("codes"), QStringLiteral("volts")});
    m_timeUnit->setToolTip(
        QStringLiteral("The time record in codes, or in volts over the configured input range"));
    add(3, 0, QStringLiteral("Time &units:"), m_timeUnit);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    setSettings(m_settings);
    const auto changed = [this] {
        if (!m_settingUp) {
            readSettingsWidgets();
        }
    };
    connect(m_window, &QComboBox::currentIndexChanged, this, changed);
    connect(m_fullScaleBits, &QSpinBox::valueChanged, this, changed);
    connect(m_averaging, &QSpinBox::valueChanged, this, changed);
    connect(m_harmonics, &QSpinBox::valueChanged, this, changed);
    connect(m_linearity, &QComboBox::currentIndexChanged, this, changed);
    connect(m_loadedRate, &QDoubleSpinBox::valueChanged, this, changed);
    connect(m_timeUnit, &QComboBox::currentIndexChanged, this, changed);
}

void FiguresWindow::buildSidePanel(QWidget* panel) {
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    panel->setFixedWidth(340);
    m_sourceLabel = new QLabel;
    m_sourceLabel->setObjectName(QStringLiteral("sourceLabel"));
    m_sourceLabel->setWordWrap(true);
    column->addWidget(m_sourceLabel);

    m_figuresTable = table({QStringLiteral("Figure"), QStringLiteral("Value")},
                           {QStringLiteral("Noise density")}, "figuresTable");
    m_figuresTable->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_figuresTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_figuresTable->setAccessibleName(QStringLiteral("Figures"));
    column->addWidget(m_figuresTable);

    m_harmonicsTable =
        table({QStringLiteral("Harmonic"), QStringLiteral("Frequency"), QStringLiteral("dBc"),
               QStringLiteral("dBFS"), QStringLiteral("Masked")},
              {QStringLiteral("H20"), QStringLiteral("999.999 kHz"), QStringLiteral("-100.00"),
               QStringLiteral("-100.00")},
              "harmonicsTable");
    m_harmonicsTable->setAccessibleName(QStringLiteral("Harmonics"));
    column->addWidget(m_harmonicsTable, 2);

    auto* warningsTitle = new QLabel(QStringLiteral("Warnings"));
    column->addWidget(warningsTitle);
    m_warnings = new QListWidget;
    m_warnings->setObjectName(QStringLiteral("warningsList"));
    m_warnings->setAccessibleName(QStringLiteral("Warnings"));
    m_warnings->setWordWrap(true);
    m_warnings->setMinimumHeight(3 * m_warnings->fontMetrics().height() + 8);
    column->addWidget(m_warnings, 1);

    m_runLabel = new QLabel;
    m_runLabel->setObjectName(QStringLiteral("runLabel"));
    column->addWidget(m_runLabel);
}

void FiguresWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    const auto item = [](QMenu* menu, const char* text, const char* keys, const char* name) {
        return menuItem(menu, QString::fromUtf8(text), QKeySequence(QString::fromLatin1(keys)),
                        name);
    };
    m_exportPlotAction = item(file, "Export &Plot...", "Ctrl+E", "exportPlot");
    m_exportSpectrumAction =
        item(file, "Export &Spectrum CSV...", "Ctrl+Shift+E", "exportSpectrumCsv");
    m_exportFiguresCsvAction =
        item(file, "Export Figures &CSV...", "Ctrl+Shift+C", "exportFiguresCsv");
    m_exportFiguresJsonAction =
        item(file, "Export Figures &JSON...", "Ctrl+Shift+J", "exportFiguresJson");
    file->addSeparator();
    m_reportAction = item(file, "Test &Report...", "Ctrl+R", "testReport");
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Close"));
    close->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_copyAction = item(edit, "&Copy Figures", "Ctrl+C", "copyFigures");

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    for (int t = 0; t < TabCount; ++t) {
        QAction* show =
            view->addAction(QStringLiteral("&%1 %2").arg(t + 1).arg(m_tabs->tabText(t)));
        show->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(t + 1)));
        connect(show, &QAction::triggered, this, [this, t] { m_tabs->setCurrentIndex(t); });
    }
    view->addSeparator();
    QAction* restore = view->addAction(QStringLiteral("&Restore Zoom"));
    restore->setShortcut(QKeySequence(QStringLiteral("Ctrl+0")));
    connect(restore, &QAction::triggered, this, [this] {
        const int t = m_tabs->currentIndex();
        m_interactions[size_t(t)]->restore();
        m_plots[size_t(t)]->replot();
    });
    QAction* clear = view->addAction(QStringLiteral("Clear &Markers"));
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(clear, &QAction::triggered, this,
            [this] { m_interactions[size_t(m_tabs->currentIndex())]->clearMarkers(); });
}

// ---- Exports and the report ----------------------------------------------------------------

void FiguresWindow::connectExportsAndReport() {
    // Each export asks for a file by its default name and names a failure in a box.
    const auto exportTo = [this](const QString& what, const QString& filter,
                                 const std::function<void(const QString&)>& write) {
        if (m_run) {
            exportThroughDialog(this, m_state.CurrentSettings.PartName, what, filter, write);
        }
    };
    connect(m_exportPlotAction, &QAction::triggered, this, [this, exportTo] {
        const char* names[] = {"spectrum", "time", "histogram", "linearity"};
        exportTo(QString::fromLatin1(names[m_tabs->currentIndex()]),
                 QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
                 [this](const QString& path) {
                     exportPlot(*m_plots[size_t(m_tabs->currentIndex())], path);
                 });
    });
    connect(m_exportSpectrumAction, &QAction::triggered, this, [this, exportTo] {
        exportTo(QStringLiteral("spectrum"), QStringLiteral("CSV (*.csv)"),
                 [this](const QString& path) { exportSpectrumCsv(*m_run, path); });
    });
    connect(m_exportFiguresCsvAction, &QAction::triggered, this, [this, exportTo] {
        exportTo(QStringLiteral("figures"), QStringLiteral("CSV (*.csv)"),
                 [this](const QString& path) { exportFiguresCsv(*m_fullRun, path); });
    });
    connect(m_exportFiguresJsonAction, &QAction::triggered, this, [this, exportTo] {
        exportTo(QStringLiteral("figures"), QStringLiteral("JSON (*.json)"),
                 [this](const QString& path) { exportFiguresJson(*m_fullRun, path); });
    });
    connect(m_copyAction, &QAction::triggered, this, [this] {
        if (m_run) {
            copyFigures(*m_run);
        }
    });
    connect(m_reportAction, &QAction::triggered, this, [this, exportTo] {
        if (m_kept.empty()) {
            return;
        }
        const std::optional<ReportFields> fields = askReportFields(this, m_store);
        if (!fields) {
            return;
        }
        exportTo(QStringLiteral("report"), QStringLiteral("PDF document (*.pdf)"),
                 [this, &fields](const QString& path) {
                     // The report's run: the records shown, with every figure, as rq3118ctl
                     // report makes it.
                     FigureRequest request =
                         withReportFields(figureRequest(m_settings, true), *fields);
                     request.pdf = path;
                     const Kept& last = m_kept.back();
                     FigureRun run(request, last.bits, last.twosComplement,
                                   last.loaded ? m_settings.loadedFileRate : last.rate);
                     for (const Kept& k : m_kept) {
                         run.addRecord(k.codes, m_settings.averaging > 1);
                     }
                     writeReport(path, run, source());
                 });
    });
}

void FiguresWindow::setSettings(const FigureSettings& settings) {
    if (settings.window != m_settings.window) {
        for (Kept& k : m_kept) {
            k.spectrum.reset();
        }
    }
    m_settingUp = true;
    m_settings = settings;
    for (int i = 0; i < m_window->count(); ++i) {
        if (m_window->itemData(i).toInt() == int(settings.window)) {
            m_window->setCurrentIndex(i);
        }
    }
    const int bits = m_state.CurrentSettings.NumberOfBits > 0 ? m_state.CurrentSettings.NumberOfBits
                                                              : DefaultBits;
    m_fullScaleBits->setSpecialValueText(QStringLiteral("converter's (%1)").arg(bits));
    m_fullScaleBits->setValue(settings.fullScaleBits.value_or(0));
    m_averaging->setValue(settings.averaging);
    m_harmonics->setValue(settings.harmonics);
    m_linearity->setCurrentIndex(!settings.linearity                           ? 0
                                 : *settings.linearity == LinearityInput::Sine ? 1
                                                                               : 2);
    m_loadedRate->setValue(settings.loadedFileRate);
    m_timeUnit->setCurrentIndex(settings.timeInVolts ? 1 : 0);
    m_settingUp = false;
    while (int(m_kept.size()) > m_settings.averaging) {
        m_kept.pop_front();
    }
    if (!m_kept.empty()) {
        analyse(true);
        paintNow();
    }
}

void FiguresWindow::readSettingsWidgets() {
    FigureSettings s;
    s.window = WindowKind(m_window->currentData().toInt());
    if (m_fullScaleBits->value() > 0) {
        s.fullScaleBits = m_fullScaleBits->value();
    }
    s.averaging = m_averaging->value();
    s.harmonics = m_harmonics->value();
    if (m_linearity->currentIndex() == 1) {
        s.linearity = LinearityInput::Sine;
    } else if (m_linearity->currentIndex() == 2) {
        s.linearity = LinearityInput::Ramp;
    }
    s.loadedFileRate = m_loadedRate->value();
    s.timeInVolts = m_timeUnit->currentIndex() == 1;
    setSettings(s);
}

void FiguresWindow::showRecord(const AnalysedRecord& record) {
    const Settings& configured = m_state.CurrentSettings;
    Kept k{record.record.SampleData,
           record.clockRate,
           configured.NumberOfBits > 0 ? configured.NumberOfBits : DefaultBits,
           configured.DataFormat == 1,
           record.clockRate <= 0.0,
           nullptr};
    // Spectra average only over records of one length, rate and converter.
    if (!m_kept.empty()) {
        const Kept& last = m_kept.back();
        if (last.codes.size() != k.codes.size() || last.rate != k.rate || last.bits != k.bits ||
            last.twosComplement != k.twosComplement || last.loaded != k.loaded) {
            m_kept.clear();
        }
    }
    m_kept.push_back(std::move(k));
    while (int(m_kept.size()) > m_settings.averaging) {
        m_kept.pop_front();
    }
    const qint64 now = m_clock.elapsed();
    if (m_running) {
        m_counter.add(now);
    }
    analyse(!m_running || m_fitLimit.take(now));
    schedulePaint();
}

void FiguresWindow::runStarted() {
    m_running = true;
    m_counter.start(m_clock.elapsed());
    m_fitLimit.reset();
    m_panelStale = true;
    schedulePaint();
}

void FiguresWindow::runEnded() {
    m_running = false;
    if (!m_kept.empty()) {
        analyse(true);
    }
    m_paintTimer.stop();
    m_paintLimit.take(m_clock.elapsed());
    paintNow();
}

std::optional<rq::analysis::PowerSpectrum> FiguresWindow::keptAverage() {
    rq::analysis::SpectrumAverage average;
    for (Kept& k : m_kept) {
        if (!k.spectrum) {
            try {
                k.spectrum = std::make_shared<const rq::analysis::PowerSpectrum>(
                    m_analyser.spectrum(k.codes, m_settings.window));
            } catch (const NumberedError&) {
                return std::nullopt;  // the run takes it again, and says why
            }
        }
        average.add(*k.spectrum);
    }
    return average.average();
}

void FiguresWindow::analyse(bool full) {
    const Kept& last = m_kept.back();
    const double rate = last.loaded ? m_settings.loadedFileRate : last.rate;
    const bool averaged = m_settings.averaging > 1;
    const auto run = [&](const FigureRequest& request) {
        auto r = std::make_shared<FigureRun>(request, last.bits, last.twosComplement, rate);
        for (const Kept& k : m_kept) {
            r->addRecord(k.codes, averaged);
        }
        return r;
    };
    if (averaged) {
        // Each record's spectrum is taken once and kept: a new record costs one transform and
        // the average, not one transform per record averaged.
        const FigureRequest request = figureRequest(m_settings, full);
        if (const auto average = keptAverage()) {
            auto r = std::make_shared<FigureRun>(request, last.bits, last.twosComplement, rate);
            for (size_t i = 0; i + 1 < m_kept.size(); ++i) {
                r->poolRecord(m_kept[i].codes);
            }
            r->addRecord(last.codes, *average);
            m_run = r;
        } else {
            m_run = run(request);
        }
    } else if (!full) {
        // The spectrum figures of a record depend on that record alone: one run takes record
        // after record, so that its analyser keeps the window and transform of the length.
        const QuickKey key{m_settings, rate, last.bits, last.twosComplement};
        if (!m_quick || !(m_quickKey == key)) {
            m_quick = std::make_shared<FigureRun>(figureRequest(m_settings, false), last.bits,
                                                  last.twosComplement, rate);
            m_quickKey = key;
        }
        m_quick->addRecord(last.codes, false);
        m_run = m_quick;
    } else {
        m_run = run(figureRequest(m_settings, full));
    }
    m_panelStale = true;
    m_plotStale[SpectrumTab] = true;
    if (full) {
        ++m_fullAnalyses;
        m_fullRun = m_run;
        if (m_settings.linearity) {
            m_histogramRun = m_run;
        } else {
            // The histogram tab shows the code histogram with the linearity off as well.
            FigureRequest histogram;
            histogram.linearity = LinearityInput::Sine;
            m_histogramRun = run(histogram);
        }
        m_plotStale[TimeTab] = m_plotStale[HistogramTab] = m_plotStale[LinearityTab] = true;
    }
}

void FiguresWindow::schedulePaint() {
    // A closed window draws what is pending when it shows again.
    if (!isVisible()) {
        return;
    }
    const qint64 now = m_clock.elapsed();
    if (m_paintLimit.take(now)) {
        paintNow();
    } else if (!m_paintTimer.isActive()) {
        m_paintTimer.start(int(m_paintLimit.wait(now)));
    }
}

void FiguresWindow::paintNow() {
    ++m_paints;
    if (m_panelStale) {
        paintPanel();
    }
    const int t = m_tabs->currentIndex();
    if (t >= 0 && m_plotStale[size_t(t)]) {
        paintPlot(t);
    }
}

void FiguresWindow::paintPanel() {
    m_panelStale = false;
    std::vector<FigureRow> rows;
    std::vector<HarmonicRow> harmonics;
    std::vector<WarningRow> warnings;
    if (m_run && m_run->figures()) {
        rows = figureRows(*m_run->figures());
        harmonics = harmonicRows(*m_run->figures());
    }
    if (m_run) {
        rq::analysis::Warnings shown = m_run->warnings();
        // Between the linearity's turns in a run, its warnings stay those of its last turn.
        if (m_run != m_fullRun && m_settings.linearity && m_fullRun && m_fullRun->linearity()) {
            rq::analysis::checkLinearity(*m_fullRun->linearity(), shown);
        }
        warnings = warningRows(shown);
        if (!m_run->spectrumError().isEmpty()) {
            warnings.insert(warnings.begin(), {QStringLiteral("spectrum"), m_run->spectrumError()});
        }
    }
    m_figuresTable->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        setCell(*m_figuresTable, r, 0, rows[size_t(r)].name);
        setCell(*m_figuresTable, r, 1, rows[size_t(r)].value);
    }
    m_harmonicsTable->setRowCount(int(harmonics.size()));
    for (int r = 0; r < int(harmonics.size()); ++r) {
        const HarmonicRow& h = harmonics[size_t(r)];
        const QString texts[] = {h.order, h.frequency, h.dBc, h.dBFS, h.masked};
        for (int c = 0; c < 5; ++c) {
            setCell(*m_harmonicsTable, r, c, texts[c]);
        }
    }
    QStringList lines;
    for (const WarningRow& w : warnings) {
        lines << QStringLiteral("%1: %2").arg(w.code, w.text);
    }
    if (lines != m_shownWarnings || m_warnings->count() == 0) {
        m_shownWarnings = lines;
        m_warnings->clear();
        for (const QString& line : lines) {
            auto* item = new QListWidgetItem(line);
            item->setBackground(QColor(255, 214, 153));
            item->setForeground(QColor(120, 40, 0));
            item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
            m_warnings->addItem(item);
        }
        if (lines.empty() && m_run) {
            auto* item = new QListWidgetItem(QStringLiteral("None"));
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            m_warnings->addItem(item);
        }
    }
    m_averagedCount->setText(m_settings.averaging > 1
                                 ? QStringLiteral("records, %1 in").arg(m_kept.size())
                                 : QStringLiteral("record (off)"));
    if (m_running || m_counter.records() > 0) {
        m_runLabel->setText(
            QStringLiteral("%1: %2 records, %3 records/s")
                .arg(m_running ? QStringLiteral("Continuous run") : QStringLiteral("Last run"))
                .arg(m_counter.records())
                .arg(m_counter.perSecond(), 0, 'f', 1));
    }
    m_runLabel->setAccessibleName(m_runLabel->text());
    if (m_run) {
        const Kept& last = m_kept.back();
        m_sourceLabel->setText(
            QStringLiteral("%1 at %2 Hz, %3")
                .arg(last.loaded ? QStringLiteral("Loaded file") : QStringLiteral("Capture"))
                .arg(rq::formatGeneral(m_run->sampleRate()))
                .arg(m_settings.averaging > 1
                         ? QStringLiteral("power average of the last %1").arg(m_kept.size())
                         : QStringLiteral("the last record")));
    } else {
        m_sourceLabel->setText(
            QStringLiteral("No record yet: Sample, Cont Samp or a loaded file "
                           "shows its figures here."));
    }
}

RecordSource FiguresWindow::source() const {
    RecordSource s;
    const Settings& c = m_state.CurrentSettings;
    const QString part = c.PartName.isEmpty() ? QStringLiteral("RQ3118") : c.PartName;
    const bool loaded = !m_kept.empty() && m_kept.back().loaded;
    s.title = loaded ? QStringLiteral("loaded file") : QStringLiteral("capture of %1").arg(part);
    if (m_run) {
        s.configuration << QStringLiteral("Part: %1").arg(part)
                        << QStringLiteral("Samples: %1").arg(m_run->record().size())
                        << QStringLiteral("Sample frequency: %1 Hz")
                               .arg(rq::formatGeneral(m_run->sampleRate()));
    }
    return s;
}

void FiguresWindow::paintPlot(int t) {
    m_plotStale[size_t(t)] = false;
    QCustomPlot& plot = *m_plots[size_t(t)];
    PlotInteraction& interaction = *m_interactions[size_t(t)];
    clearPlot(plot);
    const RecordSource src = source();
    QCPGraph* marked = nullptr;
    const auto firstGraph = [&] { return plot.graphCount() > 0 ? plot.graph(0) : nullptr; };
    if (!m_run) {
        showNotice(plot, QStringLiteral("No record yet"));
    } else if (t == SpectrumTab) {
        if (m_run->figures()) {
            drawSpectrum(plot, *m_run, src);
            for (int g = 0; g < plot.graphCount(); ++g) {
                if (plot.graph(g)->name() == QStringLiteral("spectrum")) {
                    marked = plot.graph(g);
                }
            }
            PlotInteraction::ReadoutStyle style;
            const double scale = axisScale(*plot.xAxis);
            style.keyText = [scale](double key) { return frequencyText(key * scale); };
            interaction.setReadoutStyle(style);
        } else {
            showNotice(plot, QStringLiteral("No spectrum: ") + m_run->spectrumError());
        }
    } else if (t == TimeTab) {
        const Kept& last = m_kept.back();
        const TimeScale scale =
            timeScale(m_settings, m_state.CurrentSettings, last.bits, last.twosComplement);
        drawTime(plot, *m_fullRun, src, scale);
        marked = firstGraph();
        PlotInteraction::ReadoutStyle style = interaction.readoutStyle();
        style.levelSymbol =
            scale.unit == QStringLiteral("codes") ? QStringLiteral("c") : QStringLiteral("v");
        style.levelUnit = style.levelDifferenceUnit = scale.unit;
        const int decimals = scale.decimals;
        style.levelText = [decimals](double v) { return QString::number(v, 'f', decimals); };
        interaction.setReadoutStyle(style);
    } else if (t == HistogramTab) {
        drawHistogram(plot, *m_histogramRun, src);
        marked = firstGraph();
    } else if (m_fullRun->linearity()) {
        drawLinearity(plot, *m_fullRun, src);
        marked = firstGraph();
    } else {
        showNotice(plot, m_settings.linearity
                             ? QStringLiteral("No linearity: ") + m_fullRun->linearityError()
                             : QStringLiteral("Linearity is off: set it to sine or ramp in the "
                                              "settings for DNL and INL"));
    }
    fitCaptions(plot);
    interaction.followGraph(marked);
    interaction.remember();
    plot.replot();
}

void FiguresWindow::saveState() {
    try {
        saveFigureSettings(m_store, m_settings);
        m_store.save(FigureSettingsApplication, FigureSettingsSection, QStringLiteral("Geometry"),
                     QString::fromLatin1(saveGeometry().toBase64()));
        m_store.save(FigureSettingsApplication, FigureSettingsSection, QStringLiteral("Tab"),
                     QString::number(m_tabs->currentIndex()));
    } catch (const NumberedError&) {
        // A store that cannot be written loses the window's settings, nothing else.
    }
}

void FiguresWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    paintNow();
}

void FiguresWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The captions are fitted to the plot's width when drawn.
    if (m_run) {
        std::fill(m_plotStale.begin(), m_plotStale.end(), true);
        schedulePaint();
    }
}

void FiguresWindow::closeEvent(QCloseEvent* event) {
    saveState();
    QMainWindow::closeEvent(event);
}

FiguresWindowLink::FiguresWindowLink(AcquisitionSession& session, const ProgramState& state,
                                     SettingsStore& store, QAction* openItem, QAction* reportItem,
                                     QWidget* owner)
    : QObject(owner), m_session(session), m_state(state), m_store(store), m_owner(owner) {
    // Until the window exists the last record waits here for it.
    connect(&session, &AcquisitionSession::recordAnalysed, this,
            [this](const AnalysedRecord& record) {
                if (!m_window) {
                    m_last = record;
                }
            });
    connect(openItem, &QAction::triggered, this, [this] { open(); });
    connect(reportItem, &QAction::triggered, this, [this] { open()->reportAction()->trigger(); });
}

FiguresWindow* FiguresWindowLink::open() {
    if (!m_window) {
        m_window = new FiguresWindow(m_session, m_state, m_store, m_owner);
        if (m_last) {
            m_window->showRecord(*m_last);
            m_last.reset();
        }
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window;
}

}  // namespace rq
