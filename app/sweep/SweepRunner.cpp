#include "sweep/SweepRunner.h"

#include "acquire/AcquisitionSession.h"
#include "common/NumberedError.h"
#include "figures/FrequencyText.h"
#include "state/ProgramState.h"
#include "state/RecordLength.h"
#include "sweep/SignalSource.h"

namespace rq {

using namespace rq::figures;

SweepRunner::SweepRunner(AcquisitionSession& session, ProgramState& state, SignalSource& source,
                         SweepDefinition definition, QObject* parent)
    : QObject(parent),
      m_session(session),
      m_state(state),
      m_source(source),
      m_definition(std::move(definition)) {
    const double actual = m_state.BoardClock.actualSampleRate();
    m_sampleRate = actual > 0.0 ? actual : m_state.CurrentSettings.SampleFreq;
    m_plan = planSweep(m_definition.frequencies, m_definition.levels, m_definition.coherent,
                       m_sampleRate, recordLength(m_state.CurrentSettings.NumberOfSamples));
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &SweepRunner::settled);
    connect(&m_source, &SignalSource::ready, this, &SweepRunner::sourceReady);
    connect(&m_source, &SignalSource::failed, this, &SweepRunner::sourceFailed);
}

SweepRunner::~SweepRunner() {
    if (running()) {
        m_source.close();
        m_session.endHeldRun();
    }
}

void SweepRunner::start() {
    if (m_phase != Phase::Idle) {
        return;
    }
    m_clock.start();
    m_session.beginHeldRun();
    m_phase = Phase::Opening;
    m_source.open();
}

void SweepRunner::cancel(SweepEnd why, const QString& reason) {
    if (!running()) {
        return;
    }
    if (m_phase == Phase::Capturing) {
        // The capture in hand returns first; the loop looks at this between records.
        m_cancelled = {why, reason};
        return;
    }
    finish(why, reason);
}

void SweepRunner::sourceReady() {
    switch (m_phase) {
        case Phase::Opening:
            if (const auto level = m_source.calibrationLevelDbm()) {
                m_phase = Phase::Calibrating;
                m_source.applyCalibration(m_plan.points.front().frequency);
            } else {
                nextPoint();
            }
            break;
        case Phase::Calibrating:
        case Phase::Applying:
            m_settle.start(m_definition.settleMs.value_or(m_source.settleMs()));
            break;
        default:
            break;  // a source that answers twice changes nothing
    }
}

void SweepRunner::sourceFailed(const QString& reason) {
    if (running()) {
        finish(m_source.failureEnd(), reason);
    }
}

void SweepRunner::nextPoint() {
    if (m_next >= m_plan.points.size()) {
        finish(SweepEnd::Done, QString());
        return;
    }
    const SweepPointPlan& p = m_plan.points[m_next];
    m_phase = Phase::Applying;
    Q_EMIT pointStarted(int(m_next));
    m_source.apply(p.frequency, p.level);
}

void SweepRunner::settled() {
    const bool calibrating = m_phase == Phase::Calibrating;
    std::unique_ptr<FigureRun> run = captureRecords();
    if (!run) {
        return;
    }
    if (calibrating) {
        finishCalibration(*run);
        return;
    }
    SweepPoint point = sweepPoint(m_plan.points[m_next], *run);
    m_points.push_back(point);
    m_lastRun = std::move(run);
    m_lastRecords.swap(m_records);
    ++m_next;
    Q_EMIT pointMeasured(point);
    if (running()) {
        nextPoint();
    }
}

std::unique_ptr<FigureRun> SweepRunner::captureRecords() {
    const Phase phase = m_phase;
    m_phase = Phase::Capturing;
    const Settings& s = m_state.CurrentSettings;
    auto run = std::make_unique<FigureRun>(pointRequest(), s.NumberOfBits, s.DataFormat == 1,
                                           m_sampleRate);
    m_records.clear();
    for (int r = 1; r <= m_definition.records; ++r) {
        if (!m_session.continuousSampling()) {
            // "Stop Samp" on the main window, or the window closing, while the source was set.
            finish(SweepEnd::Cancelled, QStringLiteral("stopped from the main window"));
            return nullptr;
        }
        const bool took = m_session.TakeSamples();
        if (m_cancelled) {
            const auto [why, reason] = *m_cancelled;
            finish(why, reason);
            return nullptr;
        }
        if (!took) {
            const QString what = phase == Phase::Calibrating
                                     ? QStringLiteral("calibration")
                                     : QStringLiteral("point %1").arg(m_next + 1);
            finish(SweepEnd::BoardFault, QStringLiteral("%1, record %2 of %3: the capture failed")
                                             .arg(what)
                                             .arg(r)
                                             .arg(m_definition.records));
            return nullptr;
        }
        if (!m_session.continuousSampling()) {
            // "Stop Samp" on the main window.
            finish(SweepEnd::Cancelled, QStringLiteral("stopped from the main window"));
            return nullptr;
        }
        run->addRecord(m_state.Record.SampleData, m_definition.averaged);
        m_records.push_back(m_state.Record.SampleData);
    }
    m_phase = phase;
    return run;
}

void SweepRunner::finishCalibration(const FigureRun& run) {
    const auto level = m_source.calibrationLevelDbm();
    const auto& f = run.figures();
    if (!level || !f || !std::isfinite(f->fundamentalDbfs) || !f->toneApartFromDc) {
        finish(
            SweepEnd::GeneratorFault,
            QStringLiteral("calibration: no tone measured at %1 dBm from %2%3")
                .arg(level.value_or(0.0))
                .arg(m_source.description())
                .arg(run.spectrumError().isEmpty() ? QString()
                                                   : QStringLiteral(": ") + run.spectrumError()));
        return;
    }
    m_calibrated = *level - f->fundamentalDbfs;
    m_source.setFullScaleDbm(*m_calibrated);
    Q_EMIT calibrated(*m_calibrated);
    if (running()) {
        nextPoint();
    }
}

FigureRequest SweepRunner::pointRequest() const {
    FigureRequest request;
    request.metrics = true;
    request.window = m_definition.window;
    request.fullScaleBits = m_definition.fullScaleBits;
    request.harmonics = m_definition.harmonics;
    request.device = m_definition.device;
    return request;
}

std::unique_ptr<FigureRun> SweepRunner::reportRun(FigureRequest request) const {
    if (!m_lastRun) {
        return nullptr;
    }
    const FigureRequest point = pointRequest();
    request.metrics = true;
    request.fit = true;
    request.window = point.window;
    request.fullScaleBits = point.fullScaleBits;
    request.harmonics = point.harmonics;
    if (request.device.isEmpty()) {
        request.device = point.device;
    }
    if (!request.linearity) {
        request.linearity = rq::analysis::LinearityInput::Sine;
    }
    auto run = std::make_unique<FigureRun>(request, m_lastRun->bits(),
                                           m_lastRun->histogram().lowestCode() < 0, m_sampleRate);
    for (const std::vector<double>& record : m_lastRecords) {
        run->addRecord(record, m_definition.averaged);
    }
    return run;
}

QStringList SweepRunner::definitionLines() const {
    const auto list = [](const std::vector<double>& values, int count, const auto& text) {
        if (values.size() == 1) {
            return text(values.front());
        }
        return QStringLiteral("%1 to %2, %3 points")
            .arg(text(values.front()), text(values.back()))
            .arg(count);
    };
    const auto level = [](double dbfs) {
        return QStringLiteral("%1 dBFS").arg(rq::figures::figureText(dbfs, 1));
    };
    QStringList lines;
    lines << QStringLiteral("Frequencies: %1%2")
                 .arg(
                     list(m_definition.frequencies, m_plan.frequencies, rq::figures::frequencyText),
                     m_definition.coherent
                         ? QStringLiteral(", each moved to an odd number of cycles in the record")
                         : QString())
          << QStringLiteral("Levels: %1").arg(list(m_definition.levels, m_plan.levels, level))
          << QStringLiteral("Records per point: %1%2")
                 .arg(m_definition.records)
                 .arg(m_definition.averaged ? QStringLiteral(", power-averaged")
                                            : QStringLiteral(", the last one measured"))
          << QStringLiteral("Window: %1, sample clock %2 Hz")
                 .arg(rq::analysis::windowInfo(m_definition.window).name)
                 .arg(QString::number(m_sampleRate, 'f', 2))
          << QStringLiteral("Source: %1, settling %2 ms")
                 .arg(m_source.description())
                 .arg(m_definition.settleMs.value_or(m_source.settleMs()));
    if (m_calibrated) {
        lines << QStringLiteral("Calibration: %1 dBm reads full scale")
                     .arg(rq::figures::figureText(*m_calibrated, 2));
    }
    return lines;
}

void SweepRunner::finish(SweepEnd end, const QString& reason) {
    if (!running()) {
        return;
    }
    m_phase = Phase::Finished;
    m_settle.stop();
    m_source.close();
    m_summary = summariseSweep(m_plan, m_points, end, reason);
    m_session.endHeldRun();
    Q_EMIT finished(m_summary);
}

}  // namespace rq
