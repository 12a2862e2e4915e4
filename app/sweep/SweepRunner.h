#pragma once

// A characterisation sweep: for each point of its plan the signal source is set, the input left
// to settle, and R records captured through the acquisition session and measured by the same
// figures the converter figures window and rq3118ctl give. Driven by the event loop: waiting on
// the source and the settle time costs nothing, and the captures yield as every capture does.
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/Window.h"
#include "figures/FigureRun.h"
#include "figures/Sweep.h"

namespace rq {

class AcquisitionSession;
class SignalSource;
struct ProgramState;

struct SweepDefinition {
    std::vector<double> frequencies;  // Hz
    std::vector<double> levels;       // dBFS
    int records = 1;                  // per point
    bool averaged = false;            // their power spectra averaged, else the last record's
    bool coherent = false;
    rq::analysis::WindowKind window = rq::analysis::WindowKind::PanelBlackmanHarris;
    std::optional<int> fullScaleBits;
    int harmonics = 5;
    // After the source is set, before the records; the source's own when none.
    std::optional<int> settleMs;
    // What the report says of the device: "Serial: 0042", ...
    QStringList device;
};

class SweepRunner : public QObject {
    Q_OBJECT

public:
    // The plan against the sample clock actually set and the configured record length; raises
    // NumberedError 5 for a frequency the plan refuses (at or above half the sample rate).
    SweepRunner(AcquisitionSession& session, ProgramState& state, SignalSource& source,
                SweepDefinition definition, QObject* parent = nullptr);
    ~SweepRunner() override;

    const rq::figures::SweepPlan& plan() const { return m_plan; }
    const SweepDefinition& definition() const { return m_definition; }
    double sampleRate() const { return m_sampleRate; }
    const std::vector<rq::figures::SweepPoint>& points() const { return m_points; }
    // The last measured point's figures, for the report's pages of one record.
    const rq::figures::FigureRun* lastRun() const { return m_lastRun.get(); }
    // The last measured point's records measured again with every figure a report shows (fits,
    // linearity) and what the request adds (device lines, limits); none before the first point.
    std::unique_ptr<rq::figures::FigureRun> reportRun(rq::figures::FigureRequest request) const;
    // The generator level that read 0 dBFS, once a calibration measured it.
    const std::optional<double>& calibratedFullScaleDbm() const { return m_calibrated; }
    bool running() const { return m_phase != Phase::Idle && m_phase != Phase::Finished; }
    bool isFinished() const { return m_phase == Phase::Finished; }
    // Valid once finished.
    const rq::figures::SweepSummary& summary() const { return m_summary; }
    // The sweep as the report describes it: frequencies, levels, records, window, source (and
    // its calibration).
    QStringList definitionLines() const;
    // Milliseconds since start.
    qint64 elapsedMs() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }

    // Starts the sweep; it ends in finished().
    void start();
    // Ends the sweep as soon as the record in hand is in; the points measured stay.
    void cancel(rq::figures::SweepEnd why = rq::figures::SweepEnd::Cancelled,
                const QString& reason = QString());

Q_SIGNALS:
    void calibrated(double fullScaleDbm);
    // A point's source is being set (index into the plan).
    void pointStarted(int index);
    void pointMeasured(const rq::figures::SweepPoint& point);
    void finished(const rq::figures::SweepSummary& summary);

private:
    enum class Phase { Idle, Opening, Calibrating, Applying, Settling, Capturing, Finished };

    void sourceReady();
    void sourceFailed(const QString& reason);
    void nextPoint();
    void settled();
    // R records through the session into a run of figures; none when the sweep ended meanwhile.
    std::unique_ptr<rq::figures::FigureRun> captureRecords();
    rq::figures::FigureRequest pointRequest() const;
    void finishCalibration(const rq::figures::FigureRun& run);
    void finish(rq::figures::SweepEnd end, const QString& reason);

    AcquisitionSession& m_session;
    ProgramState& m_state;
    SignalSource& m_source;
    SweepDefinition m_definition;
    rq::figures::SweepPlan m_plan;
    double m_sampleRate = 0;
    Phase m_phase = Phase::Idle;
    size_t m_next = 0;
    std::vector<rq::figures::SweepPoint> m_points;
    std::unique_ptr<rq::figures::FigureRun> m_lastRun;
    std::vector<std::vector<double>> m_records, m_lastRecords;
    std::optional<double> m_calibrated;
    std::optional<std::pair<rq::figures::SweepEnd, QString>> m_cancelled;
    rq::figures::SweepSummary m_summary;
    QTimer m_settle;
    QElapsedTimer m_clock;
};

}  // namespace rq
