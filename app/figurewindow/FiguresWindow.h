#pragma once

// The converter figures window: follows the session's announced records and shows, beside the
// plots of the last one, its figures, harmonics and warnings, computed by the same figures
// rq3118ctl gives. Everything is worked out on the user-interface thread, throttled in a
// continuous run: the spectrum figures for every record, the fits and linearity at most five
// times a second, the drawing at most twenty; the run's last record is always drawn.
#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

#include "acquire/AcquisitionSession.h"
#include "figures/FigureRun.h"
#include "figurewindow/FigureSettings.h"

class QAction;
class QComboBox;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace rq {

struct ProgramState;
class SettingsStore;

namespace figures {
class PlotInteraction;
}

class FiguresWindow : public QMainWindow {
    Q_OBJECT

public:
    // The window follows the session from here on; the converter's bits and part come from the
    // program state, the settings and geometry from the store (read now, written on close).
    FiguresWindow(AcquisitionSession& session, const ProgramState& state, SettingsStore& store,
                  QWidget* parent = nullptr);
    ~FiguresWindow() override;

    static constexpr int DefaultWidth = 900, DefaultHeight = 650;
    static constexpr qint64 FitIntervalMs = 200, PaintIntervalMs = 50;

    // A record to analyse, as the session announces one.
    void showRecord(const AnalysedRecord& record);
    void runStarted();
    void runEnded();

    const FigureSettings& settings() const { return m_settings; }
    // The settings' widgets take them, and the records kept are analysed again.
    void setSettings(const FigureSettings& settings);

    // The figures of the last record shown in the tables (null before the first record).
    const rq::figures::FigureRun* run() const { return m_run.get(); }
    // The last run with fits and linearity, which the time, histogram and linearity plots draw.
    const rq::figures::FigureRun* fullRun() const { return m_fullRun.get(); }
    int recordsInRun() const { return m_counter.records(); }
    // How often the side panel and the plots were drawn: for the throttle's tests.
    int paints() const { return m_paints; }
    // How often the fits and linearity were worked out.
    int fullAnalyses() const { return m_fullAnalyses; }
    // Draws what is pending now.
    void paintNow();

    QAction* reportAction() const { return m_reportAction; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Kept {
        std::vector<double> codes;
        double rate;
        int bits;
        bool twosComplement;
        bool loaded;
        // The record's power spectrum in the window set, taken once for an average over the
        // last records; none until needed, or when it cannot be taken.
        std::shared_ptr<const rq::analysis::PowerSpectrum> spectrum;
    };

    void buildSettings(QWidget* box);
    void buildSidePanel(QWidget* panel);
    void buildMenus();
    void connectExportsAndReport();
    void readSettingsWidgets();
    void analyse(bool full);
    // The power average of the kept records' spectra; none when one of them has no spectrum.
    std::optional<rq::analysis::PowerSpectrum> keptAverage();
    void schedulePaint();
    void paintPanel();
    void paintPlot(int tab);
    rq::figures::RecordSource source() const;
    void saveState();

    AcquisitionSession& m_session;
    const ProgramState& m_state;
    SettingsStore& m_store;
    FigureSettings m_settings;
    bool m_settingUp = false;

    std::deque<Kept> m_kept;
    rq::analysis::SpectrumAnalyser m_analyser;
    struct QuickKey {
        FigureSettings settings;
        double rate = 0;
        int bits = 0;
        bool twosComplement = false;
        bool operator==(const QuickKey&) const = default;
    };
    std::shared_ptr<rq::figures::FigureRun> m_run, m_fullRun, m_histogramRun, m_quick;
    QuickKey m_quickKey;
    bool m_running = false;
    RunCounter m_counter;
    RateLimit m_fitLimit{FitIntervalMs};
    RateLimit m_paintLimit{PaintIntervalMs};
    QElapsedTimer m_clock;
    QTimer m_paintTimer;
    bool m_panelStale = false;
    std::vector<bool> m_plotStale;
    int m_paints = 0;
    int m_fullAnalyses = 0;

    QComboBox* m_window = nullptr;
    QSpinBox* m_fullScaleBits = nullptr;
    QSpinBox* m_averaging = nullptr;
    QLabel* m_averagedCount = nullptr;
    QSpinBox* m_harmonics = nullptr;
    QComboBox* m_linearity = nullptr;
    QDoubleSpinBox* m_loadedRate = nullptr;
    QComboBox* m_timeUnit = nullptr;
    QTableWidget* m_figuresTable = nullptr;
    QTableWidget* m_harmonicsTable = nullptr;
    QListWidget* m_warnings = nullptr;
    QStringList m_shownWarnings;
    QLabel* m_runLabel = nullptr;
    QLabel* m_sourceLabel = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::vector<QCustomPlot*> m_plots;
    std::vector<rq::figures::PlotInteraction*> m_interactions;
    QLabel* m_readout = nullptr;

    QAction* m_exportPlotAction = nullptr;
    QAction* m_exportSpectrumAction = nullptr;
    QAction* m_exportFiguresCsvAction = nullptr;
    QAction* m_exportFiguresJsonAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_reportAction = nullptr;
};

// Opens the figures window from the main window's Analysis menu: made on the first trigger of
// the open item (then shown and raised), following the session from the start, so that it
// opens on the last record announced before it existed. The report item runs the window's
// report.
class FiguresWindowLink : public QObject {
    Q_OBJECT
public:
    FiguresWindowLink(AcquisitionSession& session, const ProgramState& state, SettingsStore& store,
                      QAction* openItem, QAction* reportItem, QWidget* owner);

    FiguresWindow* window() const { return m_window; }
    FiguresWindow* open();

private:
    AcquisitionSession& m_session;
    const ProgramState& m_state;
    SettingsStore& m_store;
    QWidget* m_owner;
    FiguresWindow* m_window = nullptr;
    std::optional<AnalysedRecord> m_last;
};

}  // namespace rq
