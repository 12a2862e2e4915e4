#pragma once

// What the sweep window is set to, kept in the per-user store under "RQ3118" / "Sweep"; no
// widgets, so that the rules are tested without a window.
#include <QString>

#include "sweep/SignalSource.h"
#include "sweep/SweepRunner.h"

namespace rq {

class SettingsStore;

struct SweepSettings {
    QString frequencies = QStringLiteral("1000:45000:12:log");
    QString levels = QStringLiteral("-1");
    int records = 1;
    bool averaged = false;
    bool coherent = false;
    rq::analysis::WindowKind window = rq::analysis::WindowKind::PanelBlackmanHarris;
    SourceChoice::Kind source = SourceChoice::Kind::Board;
    QString generator = QStringLiteral("127.0.0.1:5025");
    QString profile;  // empty: the SCPI defaults
    bool calibrate = false;
    double fullScaleDbm = 10.0;
    double calibrationDbm = -10.0;
    int settleMs = 200;
    bool logFrequency = true;

    bool operator==(const SweepSettings&) const = default;
};

inline const QString SweepSettingsSection = QStringLiteral("Sweep");

// Absent or unreadable values fall back to their defaults, and numbers into their ranges.
SweepSettings loadSweepSettings(SettingsStore& store);
// Raises WriteFailure when the store cannot keep them.
void saveSweepSettings(SettingsStore& store, const SweepSettings& settings);

// The sweep and its source as the settings give them. Raises NumberedError 5 with a sentence
// for a list or a generator address that does not read, or a profile file that does not (53,
// 75, 5 as the profile reader raises them).
SweepDefinition sweepDefinition(const SweepSettings& settings);
SourceChoice sourceChoice(const SweepSettings& settings);

}  // namespace rq
