#pragma once

// What the figures window is set to, kept in the per-user store, and what it asks of the figures
// for each record: no widgets here, so the rules are tested without a window.
#include <QString>
#include <optional>

#include "analysis/Linearity.h"
#include "analysis/Window.h"
#include "figures/FigureRun.h"
#include "figures/Plots.h"

namespace rq {

class SettingsStore;
struct AnalysedRecord;
struct Settings;

struct FigureSettings {
    rq::analysis::WindowKind window = rq::analysis::WindowKind::PanelBlackmanHarris;
    // The full scale of dBFS and ENOB in bits; none for the loaded configuration's bits.
    std::optional<int> fullScaleBits;
    // Records whose power spectra are averaged: 1 is no averaging.
    int averaging = 1;
    int harmonics = 5;
    std::optional<rq::analysis::LinearityInput> linearity;
    // The rate a loaded file is analysed at; a capture takes the clock actually set.
    double loadedFileRate = 100000.0;
    // The time plot in volts over the configured input range, rather than in codes.
    bool timeInVolts = false;

    static constexpr int maxAveraging = 64;
    static constexpr int maxHarmonics = 20;

    bool operator==(const FigureSettings&) const = default;
};

inline const QString FigureSettingsApplication = QStringLiteral("RQ3118");
inline const QString FigureSettingsSection = QStringLiteral("ConverterFigures");

// The settings kept in the store; a value that is absent or does not read falls back to its
// default, and every value is brought into its range.
FigureSettings loadFigureSettings(SettingsStore& store);
// Raises WriteFailure when the store cannot keep them.
void saveFigureSettings(SettingsStore& store, const FigureSettings& settings);

// The request rq3118ctl analyze --metrics makes with the same options; with fits, the sine fits
// (the time plot's) and the linearity as set, which follow at a slower pace in a run.
rq::figures::FigureRequest figureRequest(const FigureSettings& settings, bool fits);

// The rate a record is analysed at: the board clock actually set for a capture, the settings'
// rate for a loaded file.
double analysisRate(const AnalysedRecord& record, const FigureSettings& settings);

// The time plot's scale: codes, or volts as the main window converts them (code 0 at the input
// range's low end, a two's-complement code offset by half the range). Codes as they are when
// volts are not asked for or no input range is configured.
rq::figures::TimeScale timeScale(const FigureSettings& settings, const Settings& configured,
                                 int bits, bool twosComplement);

// Lets an event through at most once per interval: the first always, then the next one at least
// interval after the last let through. Time is in milliseconds from any origin.
class RateLimit {
public:
    explicit RateLimit(qint64 intervalMs) : m_interval(intervalMs) {}
    // Whether an event now is let through (and counted as the last one when it is).
    bool take(qint64 nowMs);
    // Milliseconds until an event would be let through; 0 when one would be now.
    qint64 wait(qint64 nowMs) const;
    void reset() { m_last.reset(); }

private:
    qint64 m_interval;
    std::optional<qint64> m_last;
};

// Records and records per second of a continuous run, from the times the records arrived.
class RunCounter {
public:
    void start(qint64 nowMs);
    void add(qint64 nowMs);
    int records() const { return m_records; }
    // Over the time from the first record to the last; 0 until two records arrived.
    double perSecond() const;

private:
    int m_records = 0;
    qint64 m_first = 0, m_last = 0;
};

}  // namespace rq
