#include "figures/Sweep.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <map>

#include "common/NumberedError.h"
#include "figures/FigureRun.h"
#include "figures/FrequencyText.h"

namespace rq::figures {

using namespace rq::analysis;

namespace {

constexpr int MostPoints = 10000;

[[noreturn]] void invalid(const QString& sentence) {
    throw rq::NumberedError(rq::RuntimeError::InvalidCall, QStringLiteral("RQ3118"), sentence);
}

// A plain decimal number with an optional sign and exponent; nothing the lenient readers take
// besides ("&H10", "inf").
double listValue(const QString& item, const QString& list) {
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = item.trimmed();
    if (t.isEmpty()) {
        invalid(QStringLiteral("a value is missing in the list \"%1\"").arg(list));
    }
    if (!decimal.match(t).hasMatch()) {
        invalid(QStringLiteral("\"%1\" is not a number, in the list \"%2\"").arg(t, list));
    }
    const double v = QLocale::c().toDouble(t);
    if (!std::isfinite(v)) {
        invalid(QStringLiteral("%1 is not a finite number, in the list \"%2\"").arg(t, list));
    }
    return v;
}

std::vector<double> rangeList(const QStringList& parts, const QString& text, bool logAllowed) {
    if (parts.size() != 3 && parts.size() != 4) {
        invalid(QStringLiteral("\"%1\" is neither \"a:b:n\", \"a:b:n:log\" nor a list \"a,b,c\"")
                    .arg(text));
    }
    const bool log = parts.size() == 4;
    if (log && parts[3].trimmed().compare(QStringLiteral("log"), Qt::CaseInsensitive) != 0) {
        invalid(QStringLiteral("\"%1\" ends in \"%2\" where only \"log\" may stand")
                    .arg(text, parts[3].trimmed()));
    }
    if (log && !logAllowed) {
        invalid(QStringLiteral("\"%1\": a logarithmic list is only for frequencies").arg(text));
    }
    const double a = listValue(parts[0], text);
    const double b = listValue(parts[1], text);
    const double count = listValue(parts[2], text);
    if (count != std::floor(count) || count < 1 || count > MostPoints) {
        invalid(QStringLiteral("\"%1\": the number of points must be a whole number from 1 to %2")
                    .arg(text)
                    .arg(MostPoints));
    }
    if (log && (a <= 0 || b <= 0)) {
        invalid(QStringLiteral("\"%1\": a logarithmic list needs both ends above 0").arg(text));
    }
    const int n = static_cast<int>(count);
    std::vector<double> values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double steps = std::max(n - 1, 1);
        // Weighted ends rather than a step added up, so that whole steps give whole values.
        values[static_cast<size_t>(i)] =
            log ? a * std::pow(b / a, i / steps) : (a * (steps - i) + b * i) / steps;
    }
    // The ends as given, not as the steps round them.
    values.front() = a;
    if (n > 1) {
        values.back() = b;
    }
    if (!std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) {
        invalid(QStringLiteral("\"%1\": the steps between the ends are not finite").arg(text));
    }
    return values;
}

// Plain decimal that reads back to the same double; NaN empty.
QByteArray csvNumber(double v) {
    if (std::isnan(v)) {
        return QByteArray();
    }
    if (std::isinf(v)) {
        return v > 0 ? QByteArrayLiteral("inf") : QByteArrayLiteral("-inf");
    }
    return QByteArray::number(v, 'f', QLocale::FloatingPointShortest);
}

// The point's place along each axis of the plan: frequency index, level index.
std::pair<int, int> gridPlace(const SweepPlan& plan, const SweepPoint& p) {
    const int levels = std::max(plan.levels, 1);
    return {p.plan.index / levels, p.plan.index % levels};
}

}  // namespace

std::vector<double> parseSweepList(const QString& text, bool logAllowed) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        invalid(QStringLiteral("the list is empty"));
    }
    if (t.contains(u':') && t.contains(u',')) {
        invalid(QStringLiteral("\"%1\" mixes a range \"a:b:n\" with a list \"a,b,c\"").arg(t));
    }
    if (t.contains(u':')) {
        return rangeList(t.split(u':'), t, logAllowed);
    }
    const QStringList items = t.split(u',');
    if (items.size() > MostPoints) {
        invalid(QStringLiteral("the list has %1 values, more than %2")
                    .arg(items.size())
                    .arg(MostPoints));
    }
    std::vector<double> values;
    for (const QString& item : items) {
        values.push_back(listValue(item, t));
    }
    return values;
}

CoherentFrequency coherentFrequency(double asked, double sampleRate, int recordLength) {
    if (!(sampleRate > 0) || !std::isfinite(sampleRate)) {
        invalid(QStringLiteral("the sample rate must be above 0"));
    }
    if (!std::isfinite(asked)) {
        invalid(QStringLiteral("the frequency asked for is not finite"));
    }
    // The largest odd whole number below M/2.
    long long top = (static_cast<long long>(recordLength) - 1) / 2;
    if (top % 2 == 0) {
        --top;
    }
    if (top < 1) {
        invalid(QStringLiteral("a record of %1 samples holds no odd number of cycles below half "
                               "the sample rate")
                    .arg(recordLength));
    }
    const double m = recordLength;
    const double j = std::clamp(asked * m / sampleRate, 0.0, static_cast<double>(top) + 1.0);
    // The odd numbers either side of j; halfway, the lower.
    long long lower = 2 * static_cast<long long>(std::floor((j - 1.0) / 2.0)) + 1;
    long long upper = lower + 2;
    long long cycles =
        (j - static_cast<double>(lower) <= static_cast<double>(upper) - j) ? lower : upper;
    cycles = std::clamp(cycles, 1LL, top);
    return {sampleRate * static_cast<double>(cycles) / m, cycles};
}

SweepPlan planSweep(const std::vector<double>& frequencies, const std::vector<double>& levels,
                    bool coherent, double sampleRate, int recordLength) {
    if (frequencies.empty()) {
        invalid(QStringLiteral("the sweep has no frequency to measure at"));
    }
    if (levels.empty()) {
        invalid(QStringLiteral("the sweep has no level to measure at"));
    }
    if (!(sampleRate > 0) || !std::isfinite(sampleRate)) {
        invalid(QStringLiteral("the sample rate must be above 0"));
    }
    if (coherent && recordLength < 16) {
        invalid(QStringLiteral("a coherent sweep needs records of at least 16 samples, not %1")
                    .arg(recordLength));
    }
    for (double f : frequencies) {
        if (!(f > 0)) {
            invalid(QStringLiteral("%1 is not a frequency above 0").arg(shortFrequencyText(f)));
        }
        if (f >= sampleRate / 2) {
            invalid(QStringLiteral("%1 is at or above half the sample rate (%2)")
                        .arg(shortFrequencyText(f), shortFrequencyText(sampleRate / 2)));
        }
    }
    for (double l : levels) {
        if (!std::isfinite(l)) {
            invalid(QStringLiteral("a level of %1 dBFS is not finite").arg(figureText(l)));
        }
    }
    SweepPlan plan;
    plan.frequencies = static_cast<int>(frequencies.size());
    plan.levels = static_cast<int>(levels.size());
    if (plan.frequencies > 1) {
        plan.kind = plan.levels > 1 ? SweepKind::Grid : SweepKind::Frequency;
    } else {
        plan.kind = plan.levels > 1 ? SweepKind::Level : SweepKind::Single;
    }
    for (double f : frequencies) {
        SweepPointPlan point;
        point.askedFrequency = f;
        point.frequency = f;
        if (coherent) {
            const CoherentFrequency c = coherentFrequency(f, sampleRate, recordLength);
            point.frequency = c.frequency;
            point.cycles = c.cycles;
        }
        for (double l : levels) {
            point.index = static_cast<int>(plan.points.size());
            point.level = l;
            plan.points.push_back(point);
        }
    }
    return plan;
}

SweepPoint sweepPoint(const SweepPointPlan& plan, const FigureRun& run) {
    SweepPoint p;
    p.plan = plan;
    p.records = run.records();
    p.warnings = run.warnings();
    const auto& f = run.figures();
    if (!f) {
        p.spectrumError = run.spectrumError();
        return p;
    }
    p.measuredFrequency = f->frequency;
    p.measuredLevel = f->fundamentalDbfs;
    p.snr = f->snr;
    p.sinad = f->sinad;
    p.thd = f->thd;
    p.sfdr = f->sfdrDbc;
    p.enob = f->enob;
    for (const Harmonic& h : f->harmonics) {
        if (h.masked) {
            continue;
        }
        if (h.order == 2) {
            p.h2 = h.dBc;
        } else if (h.order == 3) {
            p.h3 = h.dBc;
        }
    }
    return p;
}

Result sweepPointResult(const SweepPoint& p) {
    Result r;
    r.add(QStringLiteral("point"), p.plan.index + 1)
        .add(QStringLiteral("asked_frequency_hz"), p.plan.askedFrequency)
        .add(QStringLiteral("frequency_hz"), p.plan.frequency);
    if (p.plan.cycles > 0) {
        r.add(QStringLiteral("cycles"), p.plan.cycles);
    } else {
        r.addNone(QStringLiteral("cycles"));
    }
    r.add(QStringLiteral("level_dbfs"), p.plan.level)
        .add(QStringLiteral("records"), p.records)
        .add(QStringLiteral("fundamental_hz"), p.measuredFrequency)
        .add(QStringLiteral("fundamental_dbfs"), p.measuredLevel)
        .add(QStringLiteral("snr_db"), p.snr)
        .add(QStringLiteral("sinad_db"), p.sinad)
        .add(QStringLiteral("thd_dbc"), p.thd)
        .add(QStringLiteral("sfdr_dbc"), p.sfdr)
        .add(QStringLiteral("enob_bits"), p.enob)
        .add(QStringLiteral("h2_dbc"), p.h2)
        .add(QStringLiteral("h3_dbc"), p.h3)
        .add(QStringLiteral("warnings"), warningsResult(p.warnings));
    if (p.spectrumError.isEmpty()) {
        r.addNone(QStringLiteral("spectrum_error"));
    } else {
        r.add(QStringLiteral("spectrum_error"), p.spectrumError);
    }
    return r;
}

QString sweepEndText(SweepEnd end) {
    switch (end) {
        case SweepEnd::Done:
            return QStringLiteral("done");
        case SweepEnd::Cancelled:
            return QStringLiteral("cancelled");
        case SweepEnd::BoardFault:
            return QStringLiteral("board failure");
        case SweepEnd::GeneratorFault:
            return QStringLiteral("generator failure");
        case SweepEnd::Interrupted:
            return QStringLiteral("interrupted");
    }
    return QString();
}

SweepSummary summariseSweep(const SweepPlan& plan, const std::vector<SweepPoint>& points,
                            SweepEnd end, const QString& reason) {
    SweepSummary s;
    s.planned = static_cast<int>(plan.points.size());
    s.measured = static_cast<int>(points.size());
    s.end = end;
    s.reason = reason;
    // The measured points along each axis, by their place in the plan.
    std::map<int, std::vector<const SweepPoint*>> byFrequency, byLevel;
    for (const SweepPoint& p : points) {
        if (!std::isfinite(p.snr)) {
            continue;
        }
        const auto [f, l] = gridPlace(plan, p);
        byFrequency[f].push_back(&p);
        byLevel[l].push_back(&p);
    }
    for (const auto& [index, group] : byFrequency) {
        const double n = static_cast<double>(group.size());
        if (group.size() < 2) {
            continue;
        }
        double mx = 0, my = 0;
        for (const SweepPoint* p : group) {
            mx += p->plan.level / n;
            my += p->snr / n;
        }
        double sxx = 0, sxy = 0;
        for (const SweepPoint* p : group) {
            sxx += (p->plan.level - mx) * (p->plan.level - mx);
            sxy += (p->plan.level - mx) * (p->snr - my);
        }
        if (sxx > 0) {
            s.slopes.push_back(
                {group.front()->plan.frequency, sxy / sxx, static_cast<int>(group.size())});
        }
    }
    for (const auto& [index, group] : byLevel) {
        if (group.size() < 2) {
            continue;
        }
        double mean = 0, lowest = group.front()->snr, highest = lowest;
        for (const SweepPoint* p : group) {
            mean += p->snr / static_cast<double>(group.size());
            lowest = std::min(lowest, p->snr);
            highest = std::max(highest, p->snr);
        }
        const double deviation = std::max(highest - mean, mean - lowest);
        s.flatness.push_back({group.front()->plan.level, mean, deviation, highest - lowest,
                              static_cast<int>(group.size())});
    }
    return s;
}

Result sweepSummaryResult(const SweepSummary& s) {
    std::vector<Result> slopes, flatness;
    for (const SweepSummary::Slope& slope : s.slopes) {
        Result r;
        r.add(QStringLiteral("frequency_hz"), slope.frequency)
            .add(QStringLiteral("slope_db_per_db"), slope.slope)
            .add(QStringLiteral("points"), slope.points);
        slopes.push_back(r);
    }
    for (const SweepSummary::Flatness& f : s.flatness) {
        Result r;
        r.add(QStringLiteral("level_dbfs"), f.level)
            .add(QStringLiteral("mean_db"), f.mean)
            .add(QStringLiteral("deviation_db"), f.deviation)
            .add(QStringLiteral("span_db"), f.span)
            .add(QStringLiteral("points"), f.points);
        flatness.push_back(r);
    }
    Result summary;
    summary.add(QStringLiteral("planned"), s.planned)
        .add(QStringLiteral("measured"), s.measured)
        .add(QStringLiteral("ended"), sweepEndText(s.end));
    if (s.reason.isEmpty()) {
        summary.addNone(QStringLiteral("reason"));
    } else {
        summary.add(QStringLiteral("reason"), s.reason);
    }
    if (s.slopes.size() == 1) {
        summary.add(QStringLiteral("snr_slope_db_per_db"), s.slopes.front().slope);
    } else {
        summary.addNone(QStringLiteral("snr_slope_db_per_db"));
    }
    if (s.flatness.size() == 1) {
        summary.add(QStringLiteral("snr_flatness_db"), s.flatness.front().deviation);
    } else {
        summary.addNone(QStringLiteral("snr_flatness_db"));
    }
    summary.add(QStringLiteral("slopes"), slopes).add(QStringLiteral("flatness"), flatness);
    Result r;
    r.add(QStringLiteral("summary"), summary);
    return r;
}

QString sweepEndingText(const SweepSummary& s) {
    QString text = QStringLiteral("%1 of %2 points measured, %3")
                       .arg(s.measured)
                       .arg(s.planned)
                       .arg(sweepEndText(s.end));
    if (!s.reason.isEmpty()) {
        text += QStringLiteral(": ") + s.reason;
    }
    return text;
}

QString slopeText(const SweepSummary::Slope& slope) {
    return QStringLiteral("SNR slope %1 dB/dB at %2")
        .arg(figureText(slope.slope, 3), shortFrequencyText(slope.frequency));
}

QString flatnessText(const SweepSummary::Flatness& f) {
    return QStringLiteral("SNR flat within \u00b1%1 dB (mean %2 dB) at %3 dBFS")
        .arg(figureText(f.deviation), figureText(f.mean), shortLevelText(f.level));
}

QString sweepSummaryText(const SweepSummary& s) {
    QStringList parts{sweepEndingText(s)};
    if (s.slopes.size() == 1) {
        parts << slopeText(s.slopes.front());
    } else if (s.slopes.size() > 1) {
        const auto [low, high] =
            std::minmax_element(s.slopes.begin(), s.slopes.end(),
                                [](const auto& a, const auto& b) { return a.slope < b.slope; });
        parts << QStringLiteral("SNR slope %1 to %2 dB/dB at %3 frequencies")
                     .arg(figureText(low->slope, 3), figureText(high->slope, 3))
                     .arg(s.slopes.size());
    }
    if (s.flatness.size() == 1) {
        parts << flatnessText(s.flatness.front());
    } else if (s.flatness.size() > 1) {
        const auto worst = std::max_element(
            s.flatness.begin(), s.flatness.end(),
            [](const auto& a, const auto& b) { return a.deviation < b.deviation; });
        parts << QStringLiteral("SNR flat within \u00b1%1 dB at %2 levels")
                     .arg(figureText(worst->deviation))
                     .arg(s.flatness.size());
    }
    return parts.join(QStringLiteral("; "));
}

QByteArray sweepCsvHeader() {
    return QByteArrayLiteral(
        "point,asked_frequency_hz,frequency_hz,cycles,level_dbfs,records,fundamental_hz,"
        "fundamental_dbfs,snr_db,sinad_db,thd_dbc,sfdr_dbc,enob_bits,h2_dbc,h3_dbc,warnings\n");
}

QByteArray sweepCsvRow(const SweepPoint& p) {
    QByteArrayList codes;
    for (const Warning& w : p.warnings) {
        codes << w.code.toUtf8();
    }
    const QByteArrayList cells{
        QByteArray::number(p.plan.index + 1),
        csvNumber(p.plan.askedFrequency),
        csvNumber(p.plan.frequency),
        p.plan.cycles > 0 ? QByteArray::number(p.plan.cycles) : QByteArray(),
        csvNumber(p.plan.level),
        QByteArray::number(p.records),
        csvNumber(p.measuredFrequency),
        csvNumber(p.measuredLevel),
        csvNumber(p.snr),
        csvNumber(p.sinad),
        csvNumber(p.thd),
        csvNumber(p.sfdr),
        csvNumber(p.enob),
        csvNumber(p.h2),
        csvNumber(p.h3),
        codes.join(';'),
    };
    return cells.join(',') + '\n';
}

QByteArray sweepCsv(const std::vector<SweepPoint>& points) {
    QByteArray csv = sweepCsvHeader();
    for (const SweepPoint& p : points) {
        csv += sweepCsvRow(p);
    }
    return csv;
}

QString sweepFigureName(SweepFigure f) {
    switch (f) {
        case SweepFigure::Snr:
            return QStringLiteral("SNR");
        case SweepFigure::Sinad:
            return QStringLiteral("SINAD");
        case SweepFigure::Sfdr:
            return QStringLiteral("SFDR");
        case SweepFigure::Enob:
            return QStringLiteral("ENOB");
        case SweepFigure::Thd:
            return QStringLiteral("THD");
    }
    return QString();
}

QString sweepFigureUnit(SweepFigure f) {
    switch (f) {
        case SweepFigure::Snr:
        case SweepFigure::Sinad:
            return QStringLiteral("dB");
        case SweepFigure::Sfdr:
        case SweepFigure::Thd:
            return QStringLiteral("dBc");
        case SweepFigure::Enob:
            return QStringLiteral("bits");
    }
    return QString();
}

double sweepFigureValue(const SweepPoint& p, SweepFigure f) {
    switch (f) {
        case SweepFigure::Snr:
            return p.snr;
        case SweepFigure::Sinad:
            return p.sinad;
        case SweepFigure::Sfdr:
            return p.sfdr;
        case SweepFigure::Enob:
            return p.enob;
        case SweepFigure::Thd:
            return p.thd;
    }
    return NAN;
}

}  // namespace rq::figures
