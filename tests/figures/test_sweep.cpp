// Protects a sweep's plan (the lists it is given, the coherent frequencies, the order and the
// refusals), each point's figures as a run gives them, the summary's slope and flatness, and
// the point's CSV and JSON as scripts read them back.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <cmath>
#include <functional>
#include <map>

#include "ToneRun.h"
#include "common/NumberedError.h"
#include "figures/FigureRun.h"
#include "figures/Sweep.h"

using namespace rq::figures;

namespace {

// The number and the sentence of what the call raises; 0 when it raises nothing.
std::pair<int, QString> raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const rq::NumberedError& e) {
        return {e.number(), e.description()};
    }
    return {0, QString()};
}

// The odd J nearest fs*J/M == asked by trying every one, the lower on a tie.
long long nearestOddCycles(double asked, double fs, int m) {
    long long best = 1;
    for (long long j = 1; 2 * j < m; j += 2) {
        if (std::fabs(fs * j / m - asked) < std::fabs(fs * best / m - asked)) {
            best = j;
        }
    }
    return best;
}

// Points of a plan measured with the SNR that snr(frequency, level) gives.
std::vector<SweepPoint> measured(const SweepPlan& plan,
                                 const std::function<double(double, double)>& snr) {
    std::vector<SweepPoint> points;
    for (const SweepPointPlan& p : plan.points) {
        SweepPoint point;
        point.plan = p;
        point.snr = snr(p.frequency, p.level);
        point.records = 1;
        points.push_back(point);
    }
    return points;
}

QList<QByteArray> lines(const QByteArray& text) {
    QList<QByteArray> l = text.split('\n');
    EXPECT_TRUE(l.back().isEmpty());  // the last line ends too
    l.removeLast();
    return l;
}

}  // namespace

TEST(SweepList, RangeHoldsBothEndsEvenlySpaced) {
    EXPECT_EQ(parseSweepList(QStringLiteral("1:10:4"), false), (std::vector<double>{1, 4, 7, 10}));
    EXPECT_EQ(parseSweepList(QStringLiteral("5:9:1"), false), (std::vector<double>{5}));
    EXPECT_EQ(parseSweepList(QStringLiteral("10:1:4"), false), (std::vector<double>{10, 7, 4, 1}));
}

TEST(SweepList, NegativeLevelsStepByOne) {
    const std::vector<double> levels = parseSweepList(QStringLiteral("-40:-1:40"), false);
    ASSERT_EQ(levels.size(), 40u);
    for (size_t i = 0; i < levels.size(); ++i) {
        EXPECT_DOUBLE_EQ(levels[i], -40.0 + static_cast<double>(i));
    }
}

TEST(SweepList, CommaListTakesExponentsAndBlanks) {
    EXPECT_EQ(parseSweepList(QStringLiteral("1e3, 2.5E3 ,4000,-.5"), false),
              (std::vector<double>{1000, 2500, 4000, -0.5}));
    EXPECT_EQ(parseSweepList(QStringLiteral(" 9973.1 "), true), (std::vector<double>{9973.1}));
}

TEST(SweepList, LogRangeIsGeometric) {
    const std::vector<double> f = parseSweepList(QStringLiteral("1e3:40e3:20:log"), true);
    ASSERT_EQ(f.size(), 20u);
    EXPECT_EQ(f.front(), 1000.0);
    EXPECT_EQ(f.back(), 40000.0);
    const double ratio = std::pow(40.0, 1.0 / 19.0);
    for (size_t i = 1; i < f.size(); ++i) {
        EXPECT_NEAR(f[i] / f[i - 1], ratio, 1e-12) << i;
    }
}

TEST(SweepList, FaultsRaiseFiveWithASentence) {
    for (const char* text :
         {"",      "  ",        "1:2", "1:2:3:4:5", "1:2:0", "1:2:10001",  "1:2:2.5",
          "1:2:x", "1:2:3:lin", "a,b", "1,,2",      "1,",    "0:10:3:log", "-1:10:3:log",
          "1e999", "inf",       "nan", "1:2:3,4",   "&H10",  "1 000"}) {
        const auto [number, sentence] =
            raised([&] { parseSweepList(QString::fromUtf8(text), true); });
        EXPECT_EQ(number, 5) << text;
        EXPECT_FALSE(sentence.isEmpty()) << text;
    }
}

TEST(SweepList, SentenceNamesTheFault) {
    EXPECT_TRUE(raised([] {
                    parseSweepList(QStringLiteral("1:2:3:log"), false);
                }).second.contains(QStringLiteral("only for frequencies")));
    EXPECT_TRUE(raised([] {
                    parseSweepList(QStringLiteral("1:2:0"), false);
                }).second.contains(QStringLiteral("from 1 to 10000")));
    EXPECT_TRUE(raised([] {
                    parseSweepList(QStringLiteral("1,abc"), false);
                }).second.contains(QStringLiteral("\"abc\" is not a number")));
    EXPECT_TRUE(raised([] {
                    parseSweepList(QStringLiteral("1e999"), false);
                }).second.contains(QStringLiteral("not a finite number")));
}

TEST(CoherentFrequency, OddCyclesNearestTheAskedFrequency) {
    const double fs = 100000.0;
    for (int m : {16, 1024, 4096}) {
        for (double asked = -500.0; asked <= fs * 0.6; asked += fs / 997.0) {
            const CoherentFrequency c = coherentFrequency(asked, fs, m);
            EXPECT_EQ(c.cycles, nearestOddCycles(asked, fs, m)) << m << " " << asked;
            const double cycles = c.frequency * m / fs;
            EXPECT_NEAR(cycles, std::round(cycles), 1e-9);
            EXPECT_EQ(static_cast<long long>(std::round(cycles)) % 2, 1);
            EXPECT_EQ(static_cast<long long>(std::round(cycles)), c.cycles);
        }
    }
}

TEST(CoherentFrequency, EdgesNearDcAndNyquist) {
    const double fs = 100000.0;
    EXPECT_EQ(coherentFrequency(0.0, fs, 4096).cycles, 1);
    EXPECT_EQ(coherentFrequency(1.0, fs, 4096).cycles, 1);
    // Half way between J = 1 and J = 3: the lower.
    EXPECT_EQ(coherentFrequency(2.0 * fs / 4096, fs, 4096).cycles, 1);
    EXPECT_EQ(coherentFrequency(fs / 2, fs, 4096).cycles, 2047);
    EXPECT_EQ(coherentFrequency(10 * fs, fs, 4096).cycles, 2047);
    EXPECT_DOUBLE_EQ(coherentFrequency(fs / 2, fs, 4096).frequency, fs * 2047 / 4096);
    EXPECT_EQ(coherentFrequency(1e6, fs, 16).cycles, 7);
}

TEST(CoherentFrequency, RefusesWhatHoldsNoOddCycle) {
    EXPECT_EQ(raised([] { coherentFrequency(100.0, 1000.0, 2); }).first, 5);
    EXPECT_EQ(raised([] { coherentFrequency(100.0, 0.0, 1024); }).first, 5);
    EXPECT_EQ(raised([] { coherentFrequency(NAN, 1000.0, 1024); }).first, 5);
}

TEST(SweepPlan, FrequencyOuterLevelInner) {
    const SweepPlan plan = planSweep({1000, 2000, 3000}, {-1, -6}, false, 100000.0, 4096);
    EXPECT_EQ(plan.kind, SweepKind::Grid);
    EXPECT_EQ(plan.frequencies, 3);
    EXPECT_EQ(plan.levels, 2);
    ASSERT_EQ(plan.points.size(), 6u);
    const double expected[6][2] = {{1000, -1}, {1000, -6}, {2000, -1},
                                   {2000, -6}, {3000, -1}, {3000, -6}};
    for (int i = 0; i < 6; ++i) {
        const SweepPointPlan& p = plan.points[static_cast<size_t>(i)];
        EXPECT_EQ(p.index, i);
        EXPECT_EQ(p.askedFrequency, expected[i][0]);
        EXPECT_EQ(p.frequency, expected[i][0]);
        EXPECT_EQ(p.cycles, 0);
        EXPECT_EQ(p.level, expected[i][1]);
    }
}

TEST(SweepPlan, KindFollowsTheAxesThatMove) {
    EXPECT_EQ(planSweep({1000}, {-1}, false, 1e5, 1024).kind, SweepKind::Single);
    EXPECT_EQ(planSweep({1000, 2000}, {-1}, false, 1e5, 1024).kind, SweepKind::Frequency);
    EXPECT_EQ(planSweep({1000}, {-1, -2}, false, 1e5, 1024).kind, SweepKind::Level);
}

TEST(SweepPlan, CoherentPointsKeepTheAskedFrequency) {
    const SweepPlan plan = planSweep({1000, 9973}, {-1}, true, 100000.0, 4096);
    for (const SweepPointPlan& p : plan.points) {
        const CoherentFrequency c = coherentFrequency(p.askedFrequency, 100000.0, 4096);
        EXPECT_EQ(p.cycles, c.cycles);
        EXPECT_EQ(p.frequency, c.frequency);
    }
    EXPECT_EQ(plan.points[1].askedFrequency, 9973.0);
}

TEST(SweepPlan, RefusesFrequenciesOutsideTheBand) {
    const auto [number, sentence] = raised([] {
        planSweep({1000, 5000}, {-1}, false, 10000, 1024);
    });
    EXPECT_EQ(number, 5);
    EXPECT_EQ(sentence, QStringLiteral("5 kHz is at or above half the sample rate (5 kHz)"));
    EXPECT_EQ(raised([] { planSweep({10000}, {-1}, false, 10000, 1024); }).second,
              QStringLiteral("10 kHz is at or above half the sample rate (5 kHz)"));
    EXPECT_EQ(raised([] { planSweep({4999.99}, {-1}, false, 10000, 1024); }).first, 0);
    for (double f : {0.0, -10.0}) {
        EXPECT_EQ(raised([&] { planSweep({f}, {-1}, false, 10000, 1024); }).first, 5) << f;
    }
}

TEST(SweepPlan, RefusesWhatCannotBeMeasured) {
    EXPECT_EQ(raised([] { planSweep({}, {-1}, false, 1e5, 1024); }).first, 5);
    EXPECT_EQ(raised([] { planSweep({1000}, {}, false, 1e5, 1024); }).first, 5);
    EXPECT_EQ(raised([] { planSweep({1000}, {NAN}, false, 1e5, 1024); }).first, 5);
    EXPECT_EQ(raised([] { planSweep({1000}, {-1}, true, 1e5, 8); }).first, 5);
    EXPECT_EQ(raised([] { planSweep({1000}, {-1}, false, 1e5, 8); }).first, 0);
}

TEST(SweepPointFromRun, FiguresAreTheRunsOwn) {
    const FigureRun run = rq::test::harmonicToneRun(101.0, 4096, 2);
    const SweepPlan plan = planSweep({2466.0}, {-2.7}, true, 100000.0, 4096);
    const SweepPoint p = sweepPoint(plan.points[0], run);
    const auto& f = *run.figures();
    EXPECT_EQ(p.plan.cycles, 101);
    EXPECT_EQ(p.records, 2);
    EXPECT_EQ(p.measuredFrequency, f.frequency);
    EXPECT_EQ(p.measuredLevel, f.fundamentalDbfs);
    EXPECT_EQ(p.snr, f.snr);
    EXPECT_EQ(p.sinad, f.sinad);
    EXPECT_EQ(p.thd, f.thd);
    EXPECT_EQ(p.sfdr, f.sfdrDbc);
    EXPECT_EQ(p.enob, f.enob);
    EXPECT_NEAR(p.h2, -70.0, 0.5);
    EXPECT_EQ(p.h2, f.harmonics[0].dBc);
    EXPECT_EQ(p.h3, f.harmonics[1].dBc);
    EXPECT_TRUE(p.spectrumError.isEmpty());
}

TEST(SweepPointFromRun, MaskedHarmonicIsNotANumber) {
    // 101 cycles of 1024: H2 and H3 stand clear. 341: H2 folds to bin 342, under the tone's
    // lobe, and H3 to bin 1, under DC's.
    for (double cycles : {101.0, 341.0}) {
        const FigureRun run = rq::test::harmonicToneRun(cycles);
        const SweepPoint p = sweepPoint(SweepPointPlan{}, run);
        const auto& h = run.figures()->harmonics;
        EXPECT_EQ(h[0].masked, cycles == 341.0);
        for (const auto& [value, harmonic] : {std::pair{p.h2, h[0]}, std::pair{p.h3, h[1]}}) {
            if (harmonic.masked) {
                EXPECT_TRUE(std::isnan(value)) << cycles << " H" << harmonic.order;
            } else {
                EXPECT_EQ(value, harmonic.dBc) << cycles << " H" << harmonic.order;
            }
        }
    }
}

TEST(SweepPointFromRun, RunWithoutFiguresSaysWhy) {
    FigureRequest request;
    request.metrics = true;
    FigureRun run(request, 12, false, 100000.0);
    run.addRecord(std::vector<double>(1024, 2048.0), false);
    const SweepPoint p = sweepPoint(SweepPointPlan{}, run);
    EXPECT_FALSE(p.spectrumError.isEmpty());
    EXPECT_EQ(p.spectrumError, run.spectrumError());
    EXPECT_TRUE(std::isnan(p.snr));
    EXPECT_TRUE(std::isnan(p.measuredFrequency));
    EXPECT_EQ(p.records, 1);
}

TEST(SweepSummary, SnrFollowingTheLevelHasSlopeOne) {
    const SweepPlan plan =
        planSweep({9973.0}, parseSweepList(QStringLiteral("-40:0:41"), false), false, 1e5, 4096);
    const SweepSummary s =
        summariseSweep(plan, measured(plan, [](double, double level) { return level + 74.0; }),
                       SweepEnd::Done, QString());
    EXPECT_EQ(s.planned, 41);
    EXPECT_EQ(s.measured, 41);
    ASSERT_EQ(s.slopes.size(), 1u);
    EXPECT_DOUBLE_EQ(s.slopes[0].slope, 1.0);
    EXPECT_EQ(s.slopes[0].points, 41);
    EXPECT_EQ(s.slopes[0].frequency, 9973.0);
    EXPECT_TRUE(s.flatness.empty());
    EXPECT_EQ(sweepSummaryText(s),
              QStringLiteral("41 of 41 points measured, done; SNR slope 1.000 dB/dB at 9.973 kHz"));
}

TEST(SweepSummary, FlatnessIsTheLargestDeviationFromTheMean) {
    const SweepPlan plan = planSweep({1000, 2000, 3000, 4000}, {-1}, false, 1e5, 4096);
    const SweepSummary s = summariseSweep(
        plan,
        measured(
            plan,
            [](double f, double) {
                return std::map<double, double>{{1000, 60}, {2000, 61}, {3000, 64}, {4000, 62}}.at(
                    f);
            }),
        SweepEnd::Done, QString());
    // Mean 61.75: 2.25 above it at the most, 1.75 below.
    ASSERT_EQ(s.flatness.size(), 1u);
    EXPECT_DOUBLE_EQ(s.flatness[0].mean, 61.75);
    EXPECT_DOUBLE_EQ(s.flatness[0].deviation, 2.25);
    EXPECT_DOUBLE_EQ(s.flatness[0].span, 4.0);
    EXPECT_EQ(s.flatness[0].points, 4);
    EXPECT_EQ(s.flatness[0].level, -1.0);
    EXPECT_TRUE(s.slopes.empty());
    EXPECT_EQ(sweepSummaryText(s), QStringLiteral("4 of 4 points measured, done; SNR flat within "
                                                  "\u00b12.25 dB (mean 61.75 dB) at -1 dBFS"));
}

TEST(SweepSummary, GridHasASlopePerFrequencyAndAFlatnessPerLevel) {
    const SweepPlan plan = planSweep({1000, 2000}, {-20, -10, 0}, false, 1e5, 4096);
    const SweepSummary s = summariseSweep(
        plan, measured(plan, [](double f, double level) { return 2 * level + f / 100; }),
        SweepEnd::Done, QString());
    ASSERT_EQ(s.slopes.size(), 2u);
    EXPECT_DOUBLE_EQ(s.slopes[0].slope, 2.0);
    EXPECT_DOUBLE_EQ(s.slopes[1].slope, 2.0);
    EXPECT_EQ(s.slopes[1].frequency, 2000.0);
    ASSERT_EQ(s.flatness.size(), 3u);
    for (const auto& f : s.flatness) {
        EXPECT_DOUBLE_EQ(f.span, 10.0);
        EXPECT_DOUBLE_EQ(f.deviation, 5.0);
        EXPECT_DOUBLE_EQ(f.mean, 2 * f.level + 15.0);
    }
    const QJsonObject json =
        sweepSummaryResult(s).toJsonObject().value(QStringLiteral("summary")).toObject();
    EXPECT_TRUE(json.value(QStringLiteral("snr_slope_db_per_db")).isNull());
    EXPECT_TRUE(json.value(QStringLiteral("snr_flatness_db")).isNull());
    EXPECT_EQ(json.value(QStringLiteral("slopes")).toArray().size(), 2);
    EXPECT_EQ(json.value(QStringLiteral("flatness")).toArray().size(), 3);
    EXPECT_EQ(sweepSummaryText(s),
              QStringLiteral("6 of 6 points measured, done; SNR slope 2.000 to 2.000 dB/dB at 2 "
                             "frequencies; SNR flat within \u00b15.00 dB at 3 levels"));
}

TEST(SweepSummary, PointsWithoutAFiniteSnrAreLeftOut) {
    const SweepPlan plan = planSweep({1000}, {-30, -20, -10, 0}, false, 1e5, 4096);
    std::vector<SweepPoint> points =
        measured(plan, [](double, double level) { return level + 70.0; });
    points[1].snr = NAN;
    points[3].snr = INFINITY;
    const SweepSummary s = summariseSweep(plan, points, SweepEnd::Done, QString());
    ASSERT_EQ(s.slopes.size(), 1u);
    EXPECT_EQ(s.slopes[0].points, 2);
    EXPECT_DOUBLE_EQ(s.slopes[0].slope, 1.0);
    // One finite point left: no slope at all.
    points[2].snr = NAN;
    EXPECT_TRUE(summariseSweep(plan, points, SweepEnd::Done, QString()).slopes.empty());
}

TEST(SweepSummary, UnfinishedSweepNamesItsEndingAndReason) {
    const SweepPlan plan =
        planSweep({1000, 2000, 3000, 4000, 5000}, {-1, -6, -12, -20}, false, 1e5, 4096);
    std::vector<SweepPoint> points = measured(plan, [](double, double l) { return l + 70; });
    points.resize(7);
    const QString reason = QStringLiteral("generator 127.0.0.1:5025: no answer in 2 s");
    const SweepSummary s = summariseSweep(plan, points, SweepEnd::GeneratorFault, reason);
    EXPECT_EQ(s.planned, 20);
    EXPECT_EQ(s.measured, 7);
    EXPECT_TRUE(sweepSummaryText(s).startsWith(
        QStringLiteral("7 of 20 points measured, generator failure: ") + reason));
    const QJsonObject json =
        sweepSummaryResult(s).toJsonObject().value(QStringLiteral("summary")).toObject();
    EXPECT_EQ(json.value(QStringLiteral("ended")).toString(), QStringLiteral("generator failure"));
    EXPECT_EQ(json.value(QStringLiteral("reason")).toString(), reason);
    EXPECT_EQ(json.value(QStringLiteral("planned")).toInt(), 20);
    const SweepSummary done = summariseSweep(plan, points, SweepEnd::Cancelled, QString());
    EXPECT_TRUE(sweepSummaryResult(done)
                    .toJsonObject()
                    .value(QStringLiteral("summary"))
                    .toObject()
                    .value(QStringLiteral("reason"))
                    .isNull());
}

namespace {

// A point with awkward numbers: long decimals, a tiny and a huge one, a NaN and an infinity.
std::vector<SweepPoint> awkwardPoints() {
    const SweepPlan plan = planSweep({1234.5678901, 43210.123}, {-0.1, -60}, true, 1e5, 4096);
    std::vector<SweepPoint> points;
    for (const SweepPointPlan& p : plan.points) {
        SweepPoint s;
        s.plan = p;
        s.measuredFrequency = p.frequency * (1 + 1e-13);
        s.measuredLevel = p.level + 1.0 / 3.0;
        s.snr = 70.123456789012345 + p.index;
        s.sinad = 1e-7;
        s.thd = -123456789.5;
        s.sfdr = INFINITY;
        s.enob = 11.1;
        s.h2 = NAN;
        s.h3 = -95.25;
        s.records = 4;
        points.push_back(s);
    }
    points[1].warnings = {{QStringLiteral("leakage"), QStringLiteral("t"), std::nullopt},
                          {QStringLiteral("clipping"), QStringLiteral("u"), 12}};
    points[2].plan.cycles = 0;
    return points;
}

}  // namespace

TEST(SweepCsv, HeaderAndRowsMakeTheWholeFile) {
    const std::vector<SweepPoint> points = awkwardPoints();
    QByteArray pieces = sweepCsvHeader();
    for (const SweepPoint& p : points) {
        pieces += sweepCsvRow(p);
    }
    EXPECT_EQ(pieces, sweepCsv(points));
    EXPECT_EQ(lines(sweepCsv({})), QList<QByteArray>{sweepCsvHeader().trimmed()});
    EXPECT_EQ(lines(sweepCsvHeader()).front(),
              QByteArray("point,asked_frequency_hz,frequency_hz,cycles,level_dbfs,records,"
                         "fundamental_hz,fundamental_dbfs,snr_db,sinad_db,thd_dbc,sfdr_dbc,"
                         "enob_bits,h2_dbc,h3_dbc,warnings"));
}

TEST(SweepCsv, RowsReadBackToTheSameNumbers) {
    const std::vector<SweepPoint> points = awkwardPoints();
    const QList<QByteArray> rows = lines(sweepCsv(points)).mid(1);
    ASSERT_EQ(rows.size(), static_cast<qsizetype>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
        const SweepPoint& p = points[i];
        const QList<QByteArray> c = rows[static_cast<qsizetype>(i)].split(',');
        ASSERT_EQ(c.size(), 16);
        EXPECT_EQ(c[0].toInt(), p.plan.index + 1);
        EXPECT_EQ(c[1].toDouble(), p.plan.askedFrequency);
        EXPECT_EQ(c[2].toDouble(), p.plan.frequency);
        EXPECT_EQ(c[3], p.plan.cycles > 0 ? QByteArray::number(p.plan.cycles) : QByteArray());
        EXPECT_EQ(c[4].toDouble(), p.plan.level);
        EXPECT_EQ(c[5].toInt(), 4);
        EXPECT_EQ(c[6].toDouble(), p.measuredFrequency);
        EXPECT_EQ(c[7].toDouble(), p.measuredLevel);
        EXPECT_EQ(c[8].toDouble(), p.snr);
        EXPECT_EQ(c[9].toDouble(), 1e-7);
        EXPECT_EQ(c[10].toDouble(), -123456789.5);
        EXPECT_EQ(c[11], QByteArray("inf"));
        EXPECT_EQ(c[12].toDouble(), 11.1);
        EXPECT_EQ(c[13], QByteArray());
        EXPECT_EQ(c[14].toDouble(), -95.25);
        // Plain decimal: no exponent a spreadsheet might read otherwise.
        for (int k = 0; k < 15; ++k) {
            EXPECT_FALSE(c[k].contains('e')) << c[k].constData();
        }
    }
    EXPECT_EQ(rows[1].split(',').back(), QByteArray("leakage;clipping"));
    EXPECT_EQ(rows[0].split(',').back(), QByteArray());
}

TEST(SweepJson, PointHoldsEveryKeyWithNullsWhereNotMeasured) {
    const std::vector<SweepPoint> points = awkwardPoints();
    const QJsonObject json = sweepPointResult(points[1]).toJsonObject();
    QStringList keys = json.keys();
    keys.sort();
    QStringList expected{QStringLiteral("point"),          QStringLiteral("asked_frequency_hz"),
                         QStringLiteral("frequency_hz"),   QStringLiteral("cycles"),
                         QStringLiteral("level_dbfs"),     QStringLiteral("records"),
                         QStringLiteral("fundamental_hz"), QStringLiteral("fundamental_dbfs"),
                         QStringLiteral("snr_db"),         QStringLiteral("sinad_db"),
                         QStringLiteral("thd_dbc"),        QStringLiteral("sfdr_dbc"),
                         QStringLiteral("enob_bits"),      QStringLiteral("h2_dbc"),
                         QStringLiteral("h3_dbc"),         QStringLiteral("warnings"),
                         QStringLiteral("spectrum_error")};
    expected.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(json.value(QStringLiteral("point")).toInt(), 2);
    EXPECT_EQ(json.value(QStringLiteral("cycles")).toInteger(), points[1].plan.cycles);
    EXPECT_EQ(json.value(QStringLiteral("snr_db")).toDouble(), points[1].snr);
    EXPECT_TRUE(json.value(QStringLiteral("h2_dbc")).isNull());
    EXPECT_TRUE(json.value(QStringLiteral("spectrum_error")).isNull());
    const QJsonArray warnings = json.value(QStringLiteral("warnings")).toArray();
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(warnings[1].toObject().value(QStringLiteral("code")).toString(),
              QStringLiteral("clipping"));
    EXPECT_EQ(warnings[1].toObject().value(QStringLiteral("count")).toInt(), 12);
    EXPECT_FALSE(warnings[0].toObject().contains(QStringLiteral("count")));

    SweepPoint failed = points[2];
    failed.spectrumError = QStringLiteral("no tone");
    const QJsonObject f = sweepPointResult(failed).toJsonObject();
    EXPECT_TRUE(f.value(QStringLiteral("cycles")).isNull());
    EXPECT_EQ(f.value(QStringLiteral("spectrum_error")).toString(), QStringLiteral("no tone"));
}
