// Protects what the figures table, the clipboard and the default export names read: the
// values and units of a tone whose figures are known, the dash for what was not measured, and
// file names any file system takes.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>
#include <cmath>
#include <limits>

#include "Synth.h"
#include "figures/FigureRun.h"
#include "figures/FigureTable.h"

using namespace rq::figures;
using rq::analysis::DynamicFigures;
using rq::analysis::WindowKind;

namespace {

constexpr int Bits = 12;
constexpr int Length = 8192;
// 1000 cycles of 8192 samples at this rate are exactly 10 kHz.
constexpr double Rate = 81920.0;
const double FullScaleAmplitude = std::ldexp(1.0, Bits - 1);
// Low enough that the noise in a harmonic's bins, which adds to it as a phasor, moves its level
// by less than 0.2 dB.
constexpr double NoiseRms = 0.1;

// A 10 kHz tone at -1 dBFS with H2 at -70 dBc and H3 at -76 dBc over white noise.
FigureRun toneRun(int harmonics = 5) {
    rq::test::Tone t;
    t.cycles = 1000.0;
    t.amplitude = FullScaleAmplitude * std::pow(10.0, -1.0 / 20.0);
    t.harmonicsDbc = {-70.0, -76.0};
    t.noiseRms = NoiseRms;
    t.seed = 7;
    FigureRequest request;
    request.metrics = true;
    request.window = WindowKind::BlackmanHarris7;
    request.harmonics = harmonics;
    FigureRun run(request, Bits, true, Rate);
    run.addRecord(rq::test::synthesise(Length, t), false);
    return run;
}

// The number in front of a value's unit, and the unit.
std::pair<double, QString> split(const QString& value) {
    const int space = value.indexOf(u' ');
    return {value.left(space).toDouble(), value.mid(space + 1)};
}

QString valueOf(const std::vector<FigureRow>& rows, const QString& name) {
    for (const FigureRow& r : rows) {
        if (r.name == name) {
            return r.value;
        }
    }
    return QStringLiteral("(no row)");
}

}  // namespace

TEST(ExportName, KeepsLettersDigitsDashAndUnderscore) {
    const QDateTime when(QDate(2026, 3, 14), QTime(9, 5, 7));
    EXPECT_EQ(exportFileName(QStringLiteral("AD-12_x"), when, QStringLiteral("spectrum"),
                             QStringLiteral("csv")),
              QStringLiteral("AD-12_x_20260314-090507_spectrum.csv"));
}

TEST(ExportName, ReplacesEveryOtherCharacterOfThePart) {
    const QDateTime when(QDate(2026, 12, 1), QTime(23, 59, 0));
    EXPECT_EQ(exportFileName(QStringLiteral("A/B 2.v\u00e9"), when, QStringLiteral("figures"),
                             QStringLiteral("json")),
              QStringLiteral("A_B_2_v__20261201-235900_figures.json"));
}

TEST(ExportName, NamesTheKitWithoutAPart) {
    const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5));
    EXPECT_EQ(exportFileName(QString(), when, QStringLiteral("spectrum"), QStringLiteral("png")),
              QStringLiteral("RQ3118_20260102-030405_spectrum.png"));
}

TEST(FrequencyText, PicksTheUnitByTheFrequency) {
    EXPECT_EQ(frequencyText(999.5), QStringLiteral("999.500 Hz"));
    EXPECT_EQ(frequencyText(10000.0), QStringLiteral("10.000 kHz"));
    EXPECT_EQ(frequencyText(1.5e6), QStringLiteral("1.500 MHz"));
}

TEST(FigureTable, RowsInOrderWithTheirUnits) {
    const FigureRun run = toneRun();
    ASSERT_TRUE(run.figures());
    const std::vector<FigureRow> rows = figureRows(*run.figures());
    QStringList names, units;
    for (const FigureRow& r : rows) {
        names << r.name;
        if (r.name != u"Fundamental") {
            units << split(r.value).second;
        }
    }
    EXPECT_EQ(names,
              (QStringList{"Fundamental", "SNR", "SINAD", "THD", "SFDR", "ENOB", "Noise density"}));
    EXPECT_EQ(units, (QStringList{"dB", "dB", "dBc", "dBc", "bits", "dBFS/Hz"}));
}

TEST(FigureTable, FundamentalReadsFrequencyAndLevel) {
    const FigureRun run = toneRun();
    EXPECT_EQ(valueOf(figureRows(*run.figures()), QStringLiteral("Fundamental")),
              QStringLiteral("10.000 kHz, -1.00 dBFS"));
}

TEST(FigureTable, ValuesAreTheToneFigures) {
    const FigureRun run = toneRun();
    const std::vector<FigureRow> rows = figureRows(*run.figures());
    // Worked out from the tone, not from the analysis: signal power A^2/2 against the noise's
    // variance; full scale is a sine of amplitude 2^(bits-1).
    const double amplitude = FullScaleAmplitude * std::pow(10.0, -1.0 / 20.0);
    const double snr = 10.0 * std::log10(amplitude * amplitude / 2.0 / (NoiseRms * NoiseRms));
    const double thd = 10.0 * std::log10(std::pow(10.0, -7.0) + std::pow(10.0, -7.6));
    const double distortion = amplitude * amplitude / 2.0 * std::pow(10.0, thd / 10.0);
    const double sinad =
        10.0 * std::log10(amplitude * amplitude / 2.0 / (NoiseRms * NoiseRms + distortion));
    const double fullScalePower = FullScaleAmplitude * FullScaleAmplitude / 2.0;
    const double density =
        10.0 * std::log10(NoiseRms * NoiseRms / fullScalePower) - 10.0 * std::log10(Rate / 2.0);
    // A noise estimate from 4096 bins is good to a few percent.
    EXPECT_NEAR(split(valueOf(rows, "SNR")).first, snr, 0.3);
    EXPECT_NEAR(split(valueOf(rows, "SINAD")).first, sinad, 0.3);
    EXPECT_NEAR(split(valueOf(rows, "THD")).first, thd, 0.2);
    // The largest spur is H2, 70 dB under the tone.
    EXPECT_NEAR(split(valueOf(rows, "SFDR")).first, 70.0, 0.1);
    // Referred to full scale: the 1 dB the tone stands under it count for the converter.
    EXPECT_NEAR(split(valueOf(rows, "ENOB")).first, (sinad + 1.0 - 1.76) / 6.02, 0.05);
    EXPECT_NEAR(split(valueOf(rows, "Noise density")).first, density, 0.3);
}

TEST(FigureTable, DbFiguresHaveTwoDecimalsAndTheDensityOne) {
    const FigureRun run = toneRun();
    const std::vector<FigureRow> rows = figureRows(*run.figures());
    const auto decimals = [](const QString& value) {
        const QString number = value.left(value.indexOf(u' '));
        return number.size() - number.indexOf(u'.') - 1;
    };
    for (const char* name : {"SNR", "SINAD", "THD", "SFDR", "ENOB"}) {
        EXPECT_EQ(decimals(valueOf(rows, name)), 2) << name;
    }
    EXPECT_EQ(decimals(valueOf(rows, "Noise density")), 1);
}

TEST(FigureTable, UnmeasuredFigureIsTheDashAlone) {
    DynamicFigures f;
    f.frequency = 1000.0;
    f.snr = std::numeric_limits<double>::quiet_NaN();
    f.sfdrDbc = std::numeric_limits<double>::infinity();
    const std::vector<FigureRow> rows = figureRows(f);
    EXPECT_EQ(valueOf(rows, "SNR"), QStringLiteral("—"));
    EXPECT_EQ(valueOf(rows, "SFDR"), QStringLiteral("inf dBc"));
}

TEST(HarmonicTable, RowsTwoToOneMoreThanAsked) {
    const FigureRun run = toneRun(3);
    const std::vector<HarmonicRow> rows = harmonicRows(*run.figures());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].order, QStringLiteral("H2"));
    EXPECT_EQ(rows[2].order, QStringLiteral("H4"));
    EXPECT_EQ(rows[0].frequency, QStringLiteral("20.000 kHz"));
    EXPECT_NEAR(rows[0].dBc.toDouble(), -70.0, 0.2);
    EXPECT_NEAR(rows[1].dBc.toDouble(), -76.0, 0.2);
    EXPECT_NEAR(rows[0].dBFS.toDouble(), -71.0, 0.2);
    EXPECT_EQ(rows[0].masked, QString());
}

TEST(HarmonicTable, MaskedHarmonicNamesWhatMasksItAndNoLevel) {
    // A tone at a quarter of the rate: H3 folds onto the tone itself.
    rq::test::Tone t;
    t.cycles = 2048.0;
    t.amplitude = 1000.0;
    t.noiseRms = 0.5;
    FigureRequest request;
    request.metrics = true;
    request.window = WindowKind::BlackmanHarris7;
    FigureRun run(request, Bits, true, Rate);
    run.addRecord(rq::test::synthesise(Length, t), false);
    ASSERT_TRUE(run.figures());
    const std::vector<HarmonicRow> rows = harmonicRows(*run.figures());
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1].order, QStringLiteral("H3"));
    EXPECT_EQ(rows[1].masked, QStringLiteral("tone"));
    EXPECT_EQ(rows[1].dBc, QStringLiteral("—"));
    EXPECT_EQ(rows[1].dBFS, QStringLiteral("—"));
}

TEST(Clipboard, TabSeparatedTablesWithHeadings) {
    const std::vector<FigureRow> figures{{"SNR", "66.20 dB"}, {"THD", "-78.00 dBc"}};
    const std::vector<HarmonicRow> harmonics{{"H2", "20.000 kHz", "-80.00", "-81.00", ""}};
    const std::vector<WarningRow> warnings{{"clipping", "12 samples\tat the end codes"}};
    EXPECT_EQ(figuresClipboardText(figures, harmonics, warnings),
              QStringLiteral("Figure\tValue\nSNR\t66.20 dB\nTHD\t-78.00 dBc\n\n"
                             "Harmonic\tFrequency\tdBc\tdBFS\tMasked\n"
                             "H2\t20.000 kHz\t-80.00\t-81.00\t\n\n"
                             "Warning\tText\nclipping\t12 samples at the end codes\n"));
}

TEST(WarningTable, CodeAndSentenceOfEachWarning) {
    const rq::analysis::Warnings warnings{{"clipping", "the record clips", 12},
                                          {"not_numbers", "3 items held no number", 3}};
    const std::vector<WarningRow> rows = warningRows(warnings);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].code, QStringLiteral("not_numbers"));
    EXPECT_EQ(rows[1].text, QStringLiteral("3 items held no number"));
}
