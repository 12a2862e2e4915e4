// Protects the figures' files as the window writes them (the figures CSV row by row against the
// run, the JSON's fields) and the report's fields as the tool turns them into device lines and
// limits.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>
#include <cmath>

#include "ToneRun.h"
#include "common/NumberedError.h"
#include "figures/FigureFiles.h"
#include "figures/FigureRun.h"
#include "figures/ReportFields.h"

using namespace rq::figures;

namespace {

// A tone with a second and a third harmonic. At 128 cycles of 1024 samples the eighth harmonic
// folds onto DC and is masked.
FigureRun toneRun(int harmonics = 5, double cycles = 101.0) {
    return rq::test::harmonicToneRun(cycles, 1024, 1, harmonics);
}

QList<QByteArray> cells(const QByteArray& line) {
    return line.split(',');
}

QList<QByteArray> csvLines(const FigureRun& run) {
    QList<QByteArray> lines = figuresCsv(run).split('\n');
    EXPECT_TRUE(lines.back().isEmpty());  // the last line ends too
    lines.removeLast();
    return lines;
}

}  // namespace

TEST(FiguresCsv, HeaderThenSevenFiguresThenOneRowPerHarmonic) {
    const FigureRun run = toneRun(5);
    const QList<QByteArray> lines = csvLines(run);
    ASSERT_EQ(lines.size(), 1 + 7 + 5);
    EXPECT_EQ(lines[0], QByteArray("figure,frequency_hz,value,unit,dbfs,masked"));
    QList<QByteArray> names;
    for (const QByteArray& line : lines.mid(1)) {
        ASSERT_EQ(cells(line).size(), 6) << line.constData();
        names << cells(line)[0];
    }
    EXPECT_EQ(names, (QList<QByteArray>{"Fundamental", "SNR", "SINAD", "THD", "SFDR", "ENOB",
                                        "Noise density", "H2", "H3", "H4", "H5", "H6"}));
}

TEST(FiguresCsv, RowsHoldTheRunsFiguresInPlainDecimal) {
    const FigureRun run = toneRun();
    const auto& f = *run.figures();
    const QList<QByteArray> lines = csvLines(run);
    const QList<QByteArray> fundamental = cells(lines[1]);
    EXPECT_NEAR(fundamental[1].toDouble(), f.frequency, 1e-3);
    EXPECT_NEAR(fundamental[2].toDouble(), f.fundamentalDbfs, 1e-4);
    EXPECT_EQ(fundamental[3], "dBFS");
    const QList<QByteArray> sinad = cells(lines[3]);
    EXPECT_NEAR(sinad[2].toDouble(), f.sinad, 1e-4);
    EXPECT_EQ(sinad[3], "dB");
    // The spur's level against full scale: minus SFDR in dBFS.
    EXPECT_NEAR(cells(lines[5])[4].toDouble(), -f.sfdrDbfs, 1e-4);
    const QList<QByteArray> h2 = cells(lines[8]);
    EXPECT_NEAR(h2[1].toDouble(), f.harmonics[0].frequency, 1e-3);
    EXPECT_NEAR(h2[2].toDouble(), f.harmonics[0].dBc, 1e-4);
    EXPECT_NEAR(h2[4].toDouble(), f.harmonics[0].dBFS, 1e-4);
    EXPECT_TRUE(h2[5].isEmpty());
    for (const QByteArray& line : lines.mid(1)) {
        for (int column : {1, 2, 4}) {
            EXPECT_FALSE(cells(line)[column].contains('e')) << line.constData();  // no exponent
        }
    }
}

TEST(FiguresCsv, MaskedHarmonicHasNoLevelsAndSaysWhatMasksIt) {
    const FigureRun run = toneRun(8, 128.0);
    ASSERT_TRUE(run.figures()->harmonics[6].masked);
    const QList<QByteArray> h8 = cells(csvLines(run)[1 + 7 + 6]);
    EXPECT_EQ(h8[0], "H8");
    EXPECT_TRUE(h8[2].isEmpty());
    EXPECT_TRUE(h8[4].isEmpty());
    EXPECT_EQ(h8[5], "DC");
    // H3, at bin 384, is measured.
    EXPECT_FALSE(cells(csvLines(run)[1 + 7 + 1])[2].isEmpty());
}

TEST(FiguresCsv, RunWithoutSpectrumIsRefused) {
    FigureRequest request;
    request.metrics = true;
    FigureRun run(request, 12, false, 100000.0);
    run.addRecord(std::vector<double>(1000, 2048.0), false);  // not a power of two
    ASSERT_FALSE(run.figures());
    try {
        figuresCsv(run);
        FAIL() << "a run without a spectrum gave a figures CSV";
    } catch (const rq::NumberedError& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_TRUE(e.description().startsWith("no spectrum"));
    }
}

TEST(FiguresJson, FileHoldsTheFieldsTheToolPrints) {
    const FigureRun run = toneRun();
    Result printed;
    run.addTo(printed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("figures.json"));
    exportFiguresJson(run, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(doc.object(), printed.toJsonObject());
    EXPECT_NEAR(doc.object()["metrics"].toObject()["snr_db"].toDouble(), run.figures()->snr, 1e-9);
}

TEST(ReportFields, DeviceLinesInTheToolsOrderAndWords) {
    const FigureRequest r = withReportFields(
        FigureRequest{}, {QStringLiteral("0042"), QStringLiteral("A. Tester"),
                          QStringLiteral("25 °C"), QStringLiteral("bench 2"), QString()});
    EXPECT_EQ(r.device, (QStringList{"Serial number: 0042", "Operator: A. Tester",
                                     "Temperature: 25 °C", "Notes: bench 2"}));
    EXPECT_FALSE(r.limitsGiven);
}

TEST(ReportFields, EmptyFieldHasNoLine) {
    const FigureRequest r = withReportFields(
        FigureRequest{}, {QString(), QStringLiteral("A. Tester"), QString(), QString(), QString()});
    EXPECT_EQ(r.device, QStringList{"Operator: A. Tester"});
}

TEST(ReportFields, ReportNeedsFitsAndLinearityAndKeepsTheSettings) {
    FigureRequest base;
    base.harmonics = 7;
    base.window = rq::analysis::WindowKind::Hann;
    base.device = QStringList{"Serial number: old"};
    const FigureRequest r = withReportFields(base, {});
    EXPECT_TRUE(r.pdf.has_value());
    EXPECT_TRUE(r.fitNeeded());
    EXPECT_TRUE(r.linearityNeeded());
    EXPECT_EQ(r.harmonics, 7);
    EXPECT_EQ(r.window, rq::analysis::WindowKind::Hann);
    EXPECT_TRUE(r.device.isEmpty());  // the fields say all there is of the device
}

TEST(ReportFields, LimitsFileIsReadAsTheToolReadsIt) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("bench.lim")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# bench limits\nSNR >= 60\nenob > 9.5\n");
    file.close();
    ReportFields fields;
    fields.limitsFile = file.fileName();
    const FigureRequest r = withReportFields(FigureRequest{}, fields);
    EXPECT_TRUE(r.limitsGiven);
    ASSERT_EQ(r.limits.size(), 2u);
    EXPECT_EQ(r.limits[1].text(), "ENOB > 9.5");
}

TEST(ReportFields, MissingLimitsFileRaises53) {
    ReportFields fields;
    fields.limitsFile = QStringLiteral("/no/such/bench.lim");
    try {
        withReportFields(FigureRequest{}, fields);
        FAIL() << "a missing limits file was taken";
    } catch (const rq::NumberedError& e) {
        EXPECT_EQ(e.number(), 53);
    }
}

TEST(DataFileSource, NamesTheFileAndTheConverter) {
    const RecordSource s =
        dataFileSource(QStringLiteral("data/tone.dat"), 1024, 12, true, 250000.0, -2.5, 2.5);
    EXPECT_EQ(s.title, "tone.dat");
    EXPECT_EQ(s.configuration,
              (QStringList{"Data file: data/tone.dat", "Samples: 1024",
                           "Converter: 12 bits, two's complement", "Sample frequency: 250000 Hz",
                           "Input range: -2.5 to 2.5 V"}));
}
