#pragma once

// The sweep window: a sweep's definition and its source, a progress bar with the points and
// the time left, Cancel, the points as they are measured in a table and on plots of each figure
// against frequency and level, and the exports of the figures window. The sweep runs on the
// event loop; a generator's socket with it.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "figures/Sweep.h"
#include "sweepwindow/SweepSettings.h"

class QAction;
class QCheckBox;
class QComboBox;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace rq {

class AcquisitionSession;
class SettingsStore;
class SignalSource;
class SignalSourceFactory;
class SweepRunner;
struct ProgramState;

class SweepWindow : public QMainWindow {
    Q_OBJECT

public:
    // boardReady says whether the board takes records now (a program runs on it and nothing
    // else captures).
    SweepWindow(AcquisitionSession& session, ProgramState& state, SettingsStore& store,
                SignalSourceFactory& sources, std::function<bool()> boardReady,
                QWidget* parent = nullptr);
    ~SweepWindow() override;

    static constexpr int DefaultWidth = 1000, DefaultHeight = 700;

    const SweepSettings& settings() const { return m_settings; }
    void setSettings(const SweepSettings& settings);
    // The sweep running or last run; none before the first Start.
    const SweepRunner* runner() const { return m_runner.get(); }
    bool running() const;

public Q_SLOTS:
    // Starts a sweep as the widgets define it; a definition that does not read, or a board that
    // is not ready, is told in the status line.
    void start();
    void cancel();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildDefinition(QWidget* box);
    void buildMenus();
    void readWidgets();
    void sourceChanged();
    void pointMeasured(const rq::figures::SweepPoint& point);
    void finished(const rq::figures::SweepSummary& summary);
    void setRunning(bool running);
    void showProgress();
    void redrawPlots();
    void addRow(const rq::figures::SweepPoint& point);
    void showStatus(const QString& text, bool fault = false);
    void exportTo(const QString& what, const QString& filter,
                  const std::function<void(const QString&)>& write);
    QByteArray pointsJson() const;
    QString pointsText() const;
    void saveState();

    AcquisitionSession& m_session;
    ProgramState& m_state;
    SettingsStore& m_store;
    SignalSourceFactory& m_sources;
    std::function<bool()> m_boardReady;
    SweepSettings m_settings;
    bool m_settingUp = false;
    std::unique_ptr<SignalSource> m_source;
    std::unique_ptr<SweepRunner> m_runner;

    QLineEdit* m_frequencies = nullptr;
    QLineEdit* m_levels = nullptr;
    QSpinBox* m_records = nullptr;
    QCheckBox* m_averaged = nullptr;
    QCheckBox* m_coherent = nullptr;
    QComboBox* m_window = nullptr;
    QComboBox* m_sourceKind = nullptr;
    QWidget* m_generatorBox = nullptr;
    QLineEdit* m_generator = nullptr;
    QLineEdit* m_profile = nullptr;
    QRadioButton* m_givenFullScale = nullptr;
    QRadioButton* m_calibrate = nullptr;
    QDoubleSpinBox* m_fullScale = nullptr;
    QDoubleSpinBox* m_calibrationLevel = nullptr;
    QSpinBox* m_settle = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_timeLeft = nullptr;
    QWidget* m_promptBox = nullptr;
    QLabel* m_prompt = nullptr;
    QPushButton* m_continue = nullptr;
    QLabel* m_status = nullptr;
    QTableWidget* m_table = nullptr;
    QTabWidget* m_tabs = nullptr;
    QComboBox* m_figure = nullptr;
    QCheckBox* m_logAxis = nullptr;
    QCustomPlot* m_frequencyPlot = nullptr;
    QCustomPlot* m_levelPlot = nullptr;

    QAction* m_startAction = nullptr;
    QAction* m_cancelAction = nullptr;
    QAction* m_exportPlotAction = nullptr;
    QAction* m_exportCsvAction = nullptr;
    QAction* m_exportJsonAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_reportAction = nullptr;
};

// Opens the sweep window from the main window's Analysis menu: made on the first trigger, then
// shown and raised.
class SweepWindowLink : public QObject {
    Q_OBJECT
public:
    SweepWindowLink(AcquisitionSession& session, ProgramState& state, SettingsStore& store,
                    SignalSourceFactory& sources, std::function<bool()> boardReady,
                    QAction* openItem, QWidget* owner);
    SweepWindow* window() const { return m_window; }
    SweepWindow* open();

private:
    AcquisitionSession& m_session;
    ProgramState& m_state;
    SettingsStore& m_store;
    SignalSourceFactory& m_sources;
    std::function<bool()> m_boardReady;
    QWidget* m_owner;
    SweepWindow* m_window = nullptr;
};

}  // namespace rq
