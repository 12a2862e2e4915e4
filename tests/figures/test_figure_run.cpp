// Protects what the figures of a run give the exports: the JSON fields the tool prints, the
// spectrum CSV, and the words of a failed limit.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <cmath>

#include "Synth.h"
#include "analysis/Limits.h"
#include "figures/FigureRun.h"

using namespace rq::figures;
using rq::analysis::WindowKind;

namespace {

FigureRun run(FigureRequest request, int harmonics = 5) {
    rq::test::Tone t;
    t.cycles = 101.0;
    t.amplitude = 1500.0;
    t.noiseRms = 1.0;
    request.metrics = true;
    request.window = WindowKind::BlackmanHarris7;
    request.harmonics = harmonics;
    FigureRun r(request, 12, true, 100000.0);
    r.addRecord(rq::test::synthesise(1024, t), false);
    return r;
}

}  // namespace

TEST(FigureJson, MetricsHoldTheFiguresAndOneHarmonicPerOrder) {
    Result result;
    run(FigureRequest{}, 4).addTo(result);
    const QJsonObject json = result.toJsonObject();
    const QJsonObject metrics = json.value(QStringLiteral("metrics")).toObject();
    for (const char* key : {"snr_db", "sinad_db", "thd_dbc", "sfdr_dbc", "enob_bits",
                            "noise_density_dbfs_hz", "fundamental"}) {
        EXPECT_TRUE(metrics.contains(QString::fromLatin1(key))) << key;
    }
    EXPECT_EQ(metrics.value(QStringLiteral("harmonics")).toArray().size(), 4);
    EXPECT_TRUE(json.value(QStringLiteral("warnings")).isArray());
    EXPECT_FALSE(json.contains(QStringLiteral("limits")));
}

TEST(SpectrumCsv, OneRowPerBinFromDcToNyquist) {
    const FigureRun r = run(FigureRequest{});
    const QList<QByteArray> lines = spectrumCsv(*r.spectrum(), r.options()).split('\n');
    // Heading, 513 bins of a 1024-sample record, and the empty piece after the last newline.
    ASSERT_EQ(lines.size(), 1 + 513 + 1);
    EXPECT_EQ(lines[0], QByteArray("frequency_hz,dbfs"));
    EXPECT_TRUE(lines[1].startsWith("0,"));
    EXPECT_TRUE(lines[513].startsWith("50000,"));
    // The tone's bin stands near its level: 1500 of 2048 codes is -2.71 dBFS.
    const double level = lines[1 + 101].split(',')[1].toDouble();
    EXPECT_NEAR(level, 20.0 * std::log10(1500.0 / 2048.0), 0.5);
}

TEST(Limits, FailedLimitNamesTheMeasuredValue) {
    FigureRequest request;
    request.limits = rq::analysis::parseLimits(QStringLiteral("SNR >= 200\n"));
    request.limitsGiven = true;
    const FigureRun r = run(request);
    EXPECT_TRUE(r.limitsFailed());
    const QString text = limitsFailure(r);
    EXPECT_TRUE(text.startsWith(QStringLiteral("limits failed: SNR >= 200 (measured ")))
        << text.toStdString();
}

TEST(Limits, PassedLimitsGiveNoFailure) {
    FigureRequest request;
    request.limits = rq::analysis::parseLimits(QStringLiteral("SNR >= 10\n"));
    request.limitsGiven = true;
    EXPECT_EQ(limitsFailure(run(request)), QString());
}

// The figures window averages spectra it took itself: its figures, fits and pooled histogram
// must be the ones the tool gives when it averages the same records.
TEST(FigureRunAverage, ASpectrumAveragedElsewhereGivesTheToolsFigures) {
    FigureRequest request;
    request.metrics = true;
    request.fit = true;
    request.linearity = rq::analysis::LinearityInput::Sine;
    std::vector<std::vector<double>> records;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        rq::test::Tone t = rq::test::fullScale(12, 101.0);
        t.amplitude *= 0.9;
        t.noiseRms = 1.0;
        t.seed = seed;
        records.push_back(rq::test::quantise(rq::test::synthesise(1024, t), 12));
    }
    FigureRun tool(request, 12, false, 100000.0);
    rq::analysis::SpectrumAnalyser analyser;
    rq::analysis::SpectrumAverage average;
    FigureRun window(request, 12, false, 100000.0);
    for (size_t i = 0; i < records.size(); ++i) {
        tool.addRecord(records[i], true);
        average.add(analyser.spectrum(records[i], request.window));
        if (i + 1 < records.size()) {
            window.poolRecord(records[i]);
        }
    }
    window.addRecord(records.back(), average.average());
    Result a, b;
    tool.addTo(a);
    window.addTo(b);
    EXPECT_EQ(a.toJson(), b.toJson());
    EXPECT_EQ(window.records(), 3);
    EXPECT_EQ(window.recordsUsed(), tool.recordsUsed());
    EXPECT_EQ(window.histogram().samples(), 3 * 1024);
}
