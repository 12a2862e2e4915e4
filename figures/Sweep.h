#pragma once

// A characterisation sweep without the board: its plan, its points' figures, their files and
// its summary. The runner measures each planned point into a FigureRun and hands it here.
#include <QByteArray>
#include <QString>
#include <cmath>
#include <vector>

#include "analysis/Warnings.h"
#include "figures/Result.h"

namespace rq::figures {

class FigureRun;

// A list as the sweep's command line and window take it: "a:b:n" (n points from a to b, linear,
// both ends included; n == 1 gives a), "a:b:n:log" (geometric, where log is allowed: a and b
// above 0), or a comma list "a,b,c". Values may be negative and take exponents ("1e3"). Raises
// NumberedError 5 with a sentence naming the fault for anything else (empty, n < 1 or > 10000,
// not a number, log with a value <= 0, log where it is not allowed, a value not finite).
std::vector<double> parseSweepList(const QString& text, bool logAllowed);

// The frequency nearest `asked` that holds an odd whole number J of cycles in a record of
// `recordLength` samples at `sampleRate`: fs*J/M, J odd, 1 <= J < M/2 (for a power-of-two M
// an odd J shares no factor with M, so every sample falls on its own code phase). Halfway
// between two odd J, the lower. Raises 5 for a rate not above 0, a record too short to hold
// one such J, or an asked frequency not finite.
struct CoherentFrequency {
    double frequency = 0;
    long long cycles = 0;  // J
};
CoherentFrequency coherentFrequency(double asked, double sampleRate, int recordLength);

enum class SweepKind { Single, Frequency, Level, Grid };

struct SweepPointPlan {
    int index = 0;              // 0-based, in the order measured
    double askedFrequency = 0;  // Hz
    double frequency = 0;       // Hz, the used one (coherent or as asked)
    long long cycles = 0;       // J when coherent, 0 otherwise
    double level = 0;           // dBFS asked
};

struct SweepPlan {
    std::vector<SweepPointPlan> points;
    SweepKind kind = SweepKind::Single;
    int frequencies = 0, levels = 0;
};
// Frequency the outer loop, level the inner one, so that point i is at frequency i / levels
// and level i % levels. Raises 5 ("10 kHz is at or above half the sample rate (5 kHz)") for
// an empty list, a frequency <= 0 or at or above sampleRate/2, a level not finite; coherent
// needs recordLength >= 16.
SweepPlan planSweep(const std::vector<double>& frequencies, const std::vector<double>& levels,
                    bool coherent, double sampleRate, int recordLength);

// One measured point: the plan, what the figures gave (NaN where not measured), the warnings.
struct SweepPoint {
    SweepPointPlan plan;
    double measuredFrequency = NAN;  // Hz, the fundamental
    double measuredLevel = NAN;      // dBFS, the fundamental
    double snr = NAN, sinad = NAN, thd = NAN, sfdr = NAN /* dBc */, enob = NAN;
    double h2 = NAN, h3 = NAN;  // dBc; NaN when masked or not measured
    int records = 0;
    rq::analysis::Warnings warnings;
    QString spectrumError;  // why there are no figures, when there are none
};
// The point's figures from a run of its records (the last record's or the power average).
SweepPoint sweepPoint(const SweepPointPlan& plan, const FigureRun& run);

// One JSON line per point, keys: "point" (1-based), "asked_frequency_hz", "frequency_hz",
// "cycles" (null when not coherent), "level_dbfs", "records", "fundamental_hz",
// "fundamental_dbfs", "snr_db", "sinad_db", "thd_dbc", "sfdr_dbc", "enob_bits", "h2_dbc",
// "h3_dbc" (null where not finite), "warnings" (code, text, count as the figures give them),
// "spectrum_error" (null or text).
Result sweepPointResult(const SweepPoint& point);

// How a sweep ended.
enum class SweepEnd { Done, Cancelled, BoardFault, GeneratorFault, Interrupted };
// "done", "cancelled", "board failure", "generator failure", "interrupted"
QString sweepEndText(SweepEnd end);

// The summary: points planned and measured, the ending (with the fault's sentence), and
// - for each frequency with >= 2 levels: the SNR's slope against the asked level in dB/dB
//   (least squares),
// - for each level with >= 2 frequencies: the SNR's flatness: its mean, the largest deviation
//   from the mean and the span (max - min), in dB.
// Points with a NaN or infinite SNR are left out of both; a group left with fewer than two
// points (or, for a slope, one level only) has none.
struct SweepSummary {
    int planned = 0, measured = 0;
    SweepEnd end = SweepEnd::Done;
    QString reason;  // the fault's sentence, empty when done
    struct Slope {
        double frequency;  // Hz, used
        double slope;      // dB/dB
        int points;
    };
    struct Flatness {
        double level;      // dBFS
        double mean;       // dB
        double deviation;  // dB, the largest from the mean
        double span;       // dB
        int points;
    };
    std::vector<Slope> slopes;
    std::vector<Flatness> flatness;
};
SweepSummary summariseSweep(const SweepPlan& plan, const std::vector<SweepPoint>& points,
                            SweepEnd end, const QString& reason);
// {"summary": {"planned", "measured", "ended", "reason" (null when empty),
// "snr_slope_db_per_db" (the one slope when there is exactly one, else null),
// "snr_flatness_db" (the one deviation when there is exactly one, else null),
// "slopes": [{"frequency_hz", "slope_db_per_db", "points"}],
// "flatness": [{"level_dbfs", "mean_db", "deviation_db", "span_db", "points"}]}}
Result sweepSummaryResult(const SweepSummary& summary);
// One line for a terminal: "20 of 20 points measured, done; SNR slope 1.002 dB/dB at 9.973 kHz",
// "...; SNR flat within ±0.12 dB (mean 62.31 dB) at -1 dBFS", "7 of 20 points measured,
// generator failure: generator 127.0.0.1:5025: ...". Several slopes or levels are given as
// their range and the worst flatness.
QString sweepSummaryText(const SweepSummary& summary);
// The pieces of that line: "20 of 20 points measured, done" (with ": " and the reason when
// there is one), "SNR slope 1.002 dB/dB at 9.973 kHz" and "SNR flat within ±0.12 dB (mean
// 62.31 dB) at -1 dBFS".
QString sweepEndingText(const SweepSummary& summary);
QString slopeText(const SweepSummary::Slope& slope);
QString flatnessText(const SweepSummary::Flatness& flatness);

// CSV: a header line then one row per point, columns
//   point,asked_frequency_hz,frequency_hz,cycles,level_dbfs,records,fundamental_hz,
//   fundamental_dbfs,snr_db,sinad_db,thd_dbc,sfdr_dbc,enob_bits,h2_dbc,h3_dbc,warnings
// numbers in plain C-locale decimal that read back to the same double, NaN empty, infinities
// "inf"/"-inf", cycles empty when not coherent, warnings their codes joined by ';'.
// sweepCsvHeader() then sweepCsvRow(p) for each point is sweepCsv(points), so that a runner
// can rewrite the file after each point.
QByteArray sweepCsvHeader();
QByteArray sweepCsvRow(const SweepPoint& point);
QByteArray sweepCsv(const std::vector<SweepPoint>& points);

// The figures a sweep plots.
enum class SweepFigure { Snr, Sinad, Sfdr, Enob, Thd };
QString sweepFigureName(SweepFigure f);  // "SNR", "SINAD", "SFDR", "ENOB", "THD"
QString sweepFigureUnit(SweepFigure f);  // "dB", "dB", "dBc", "bits", "dBc"
double sweepFigureValue(const SweepPoint& p, SweepFigure f);

}  // namespace rq::figures
