#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "analysis/DynamicFigures.h"

namespace rq::analysis {

// Pass/fail limits on the dynamic figures, one a line: "NAME OP VALUE", NAME one of SNR, SINAD,
// THD, SFDR, ENOB, NOISE_DENSITY in any letter case and in the figure's own unit (dB, dBc,
// bits, dBFS/Hz), OP one of >=, <=, > and <; "#" starts a comment, blank lines are ignored.
enum class LimitFigure { Snr, Sinad, Thd, Sfdr, Enob, NoiseDensity };

struct Limit {
    LimitFigure figure = LimitFigure::Snr;
    QString op;
    double value = 0.0;
    int line = 0;  // in the file, from 1

    QString name() const;  // "SNR", "NOISE_DENSITY"
    QString text() const;  // "SNR >= 60"
};

struct LimitResult {
    Limit limit;
    std::optional<double> measured;  // none when the figure could not be measured
    bool pass = false;
};

// Raises 5 naming the line ("line 3: ...") for an unknown name or a line that is not a limit.
std::vector<Limit> parseLimits(const QString& text);
// Reads a limits file (a small regular file); raises 53 or 75 as any input file does.
std::vector<Limit> readLimits(const QString& path);

// Each limit against the figures; a figure that is missing or not a number fails its limit.
std::vector<LimitResult> checkLimits(const std::vector<Limit>& limits,
                                     const std::optional<DynamicFigures>& figures);
bool allPass(const std::vector<LimitResult>& results);

}  // namespace rq::analysis
