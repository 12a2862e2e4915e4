// Protects the figures window's exports: each file reads back as what it claims to be, a full disk
// leaves the old file, the report written from the dialog's fields is the tool's report, and the
// dialog remembers its fields.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <functional>

#include "CtlRun.h"
#include "FullFileSystem.h"
#include "Synth.h"
#include "WidgetTest.h"
#include "acquire/DataFiles.h"
#include "common/AtomicFile.h"
#include "common/BasicText.h"
#include "config/SettingsStore.h"
#include "figures/FigureRun.h"
#include "figures/FigureTable.h"
#include "figures/Plots.h"
#include "figures/Report.h"
#include "figures/ReportFields.h"
#include "figurewindow/FigureExports.h"
#include "figurewindow/ReportFieldsDialog.h"
#include "state/ProgramState.h"

using namespace rq::figures;

namespace {

std::vector<double> toneCodes() {
    rq::test::Tone t;
    t.cycles = 101.0;
    t.amplitude = 1500.0;
    t.offset = 2048.0;
    t.harmonicsDbc = {-72.0};
    t.noiseRms = 1.0;
    std::vector<double> codes = rq::test::synthesise(4096, t);
    for (double& c : codes) {
        c = std::round(c);  // whole codes, so a data file holds them exactly
    }
    return codes;
}

FigureRun toneRun(FigureRequest request = {}) {
    request.metrics = true;
    FigureRun run(request, 12, false, 100000.0);
    run.addRecord(toneCodes(), false);
    return run;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int pdfPages(const QByteArray& pdf) {
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"));
}

bool havePdfToText() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// The report's text as a reader sees it, with its date and time taken out.
QString reportText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput())
        .replace(QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d")),
                 QStringLiteral("<date>"));
}

class FigureExports : public rq::test::WidgetTest {
protected:
    void SetUp() override {
        plot.resize(420, 260);
        drawSpectrum(plot, run, source);
        plot.replot();
    }
    QString at(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    FigureRun run = toneRun();
    RecordSource source{QStringLiteral("tone"), {}};
    QCustomPlot plot;
};

}  // namespace

TEST_F(FigureExports, PngHasTwiceThePlotsSize) {
    exportPlot(plot, at("spectrum.png"));
    const QImage image(at("spectrum.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(840, 520));
}

TEST_F(FigureExports, PngShowsTheZoomOnScreen) {
    exportPlot(plot, at("whole.png"));
    plot.xAxis->setRange(9.0, 11.0);  // kHz, about the tone
    plot.replot();
    exportPlot(plot, at("zoomed.png"));
    EXPECT_NE(QImage(at("whole.png")), QImage(at("zoomed.png")));
}

TEST_F(FigureExports, SvgIsWellFormedXmlOfThePlotsSize) {
    exportPlot(plot, at("spectrum.svg"));
    QXmlStreamReader xml(readAll(at("spectrum.svg")));
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), u"svg");
    EXPECT_TRUE(xml.attributes()
                    .value(QStringLiteral("viewBox"))
                    .startsWith(QStringLiteral("0 0 420 260")));
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}

TEST_F(FigureExports, PdfIsOnePage) {
    exportPlot(plot, at("spectrum.pdf"));
    const QByteArray pdf = readAll(at("spectrum.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdfPages(pdf), 1);
}

TEST_F(FigureExports, SpectrumCsvHasFrequencyAndLevelPerBin) {
    exportSpectrumCsv(run, at("spectrum.csv"));
    const QList<QByteArray> lines = readAll(at("spectrum.csv")).split('\n');
    ASSERT_EQ(lines.size(), 1 + 2049 + 1);  // heading, DC to Nyquist of 4096, the end
    EXPECT_EQ(lines[0], "frequency_hz,dbfs");
    const QList<QByteArray> tone = lines[1 + 101].split(',');
    EXPECT_NEAR(tone[0].toDouble(), 101 * 100000.0 / 4096, 1e-6);
    EXPECT_NEAR(tone[1].toDouble(), 20 * std::log10(1500.0 / 2048.0), 0.5);
}

TEST_F(FigureExports, FiguresCsvReadsBackTheSinad) {
    exportFiguresCsv(run, at("figures.csv"));
    const QList<QByteArray> lines = readAll(at("figures.csv")).split('\n');
    ASSERT_GT(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("figure,"));
    const QList<QByteArray> sinad = lines[3].split(',');
    EXPECT_EQ(sinad[0], "SINAD");
    EXPECT_NEAR(sinad[2].toDouble(), run.figures()->sinad, 1e-4);
}

TEST_F(FigureExports, CopyPutsTheTablesOnTheClipboard) {
    QGuiApplication::clipboard()->clear();
    copyFigures(run);
    const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
    EXPECT_EQ(lines.value(0), "Figure\tValue");
    const FigureRow sinad = figureRows(*run.figures())[2];
    EXPECT_TRUE(lines.contains(sinad.name + u'\t' + sinad.value));
    EXPECT_TRUE(lines.contains(QStringLiteral("Harmonic\tFrequency\tdBc\tdBFS\tMasked")));
}

TEST_F(FigureExports, EveryExportOnAFullDiskFailsAndLeavesTheOldFile) {
    rq::test::FullFileSystem fs;
    RQ_MOUNT_FULL_FS_OR_SKIP(fs);
    const QByteArray old = "the file before";
    const std::pair<const char*, std::function<void(const QString&)>> exports[] = {
        {"plot.png", [&](const QString& p) { exportPlot(plot, p); }},
        {"plot.svg", [&](const QString& p) { exportPlot(plot, p); }},
        {"plot.pdf", [&](const QString& p) { exportPlot(plot, p); }},
        {"spectrum.csv", [&](const QString& p) { exportSpectrumCsv(run, p); }},
        {"figures.csv", [&](const QString& p) { exportFiguresCsv(run, p); }},
        {"figures.json", [&](const QString& p) { exportFiguresJson(run, p); }},
    };
    for (const auto& [name, write] : exports) {
        fs.put(QString::fromLatin1(name), old);
    }
    fs.fill();
    for (const auto& [name, write] : exports) {
        SCOPED_TRACE(name);
        const QString path = fs.filePath(QString::fromLatin1(name));
        try {
            write(path);
            ADD_FAILURE() << "written on a full disk";
        } catch (const rq::WriteFailure& e) {
            EXPECT_EQ(e.number(), 75);
            EXPECT_EQ(e.path(), path);
        }
        EXPECT_EQ(fs.read(QString::fromLatin1(name)), old);
    }
    EXPECT_EQ(fs.entries().size(), std::size(exports));  // no temporary file left behind
}

TEST_F(FigureExports, ReportWithFieldsHasTwoPagesAndNamesTheSerial) {
    if (!havePdfToText()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    ReportFields fields;
    fields.serial = QStringLiteral("SN-0042");
    fields.operatorName = QStringLiteral("A. Tester");
    const FigureRun reported = toneRun(withReportFields(FigureRequest{}, fields));
    ASSERT_TRUE(reported.fit4());
    ASSERT_TRUE(reported.linearity());
    writeReport(at("report.pdf"), reported, source);
    EXPECT_GE(pdfPages(readAll(at("report.pdf"))), 2);
    const QString text = reportText(at("report.pdf"));
    EXPECT_TRUE(text.contains(QStringLiteral("Serial number: SN-0042")));
    EXPECT_TRUE(text.contains(QStringLiteral("Operator: A. Tester")));
}

TEST_F(FigureExports, ReportIsTheToolsReportForTheSameRecordAndFields) {
    if (!havePdfToText()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const std::vector<double> codes = toneCodes();
    QString data;
    for (double c : codes) {
        data += rq::formatGeneral(c) + QStringLiteral("\r\n");
    }
    QFile file(at("tone.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data.toLatin1());
    file.close();
    QFile limits(at("bench.lim"));
    ASSERT_TRUE(limits.open(QIODevice::WriteOnly));
    limits.write("SNR >= 60\nENOB > 15\n");
    limits.close();

    const rq::test::Outcome cli =
        rq::test::runCtl(dir.path(), {"report", "tone.dat", "--pdf", "cli.pdf", "--serial",
                                      "SN-0042", "--operator", "A. Tester", "--temperature",
                                      "25 °C", "--notes", "bench 2", "--limits", "bench.lim"});
    ASSERT_EQ(cli.status, 4) << cli.err.toStdString();  // ENOB > 15 fails

    // The window's way: the loaded record, the dialog's fields, the same source lines, under
    // the tool's name and version, which the report's header names (a program's own name stands
    // there when it writes the report).
    QCoreApplication::setApplicationName(QStringLiteral("rq3118ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RQ3118_VERSION));
    rq::ProgramState state;
    rq::applyStartValues(state);
    rq::loadDataRecord(state, at("tone.dat"));
    const ReportFields fields{QStringLiteral("SN-0042"), QStringLiteral("A. Tester"),
                              QStringLiteral("25 °C"), QStringLiteral("bench 2"), at("bench.lim")};
    FigureRun window(withReportFields(FigureRequest{}, fields), 12, false, 100000.0);
    window.setNotNumbers(state.Record.loadedNotNumbers);
    window.addRecord(state.Record.SampleData, false);
    const rq::Settings& s = state.CurrentSettings;
    writeReport(at("window.pdf"), window,
                dataFileSource(QStringLiteral("tone.dat"),
                               static_cast<qsizetype>(state.Record.SampleData.size()), 12, false,
                               100000.0, s.InputVMin, s.InputVMax));

    const QString expected = reportText(at("cli.pdf"));
    ASSERT_TRUE(expected.contains(QStringLiteral("Temperature: 25 °C")));
    EXPECT_EQ(reportText(at("window.pdf")).toStdString(), expected.toStdString());
}

namespace {

// Answers the dialog that askReportFields opens, once it is up.
void whenDialogOpens(const std::function<void(ReportFieldsDialog&)>& answer) {
    QTimer::singleShot(0, [answer]() {
        auto* dialog = qobject_cast<ReportFieldsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

QLineEdit* edit(ReportFieldsDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

void type(ReportFieldsDialog& dialog, const char* name, const QString& text) {
    QLineEdit* e = edit(dialog, name);
    e->clear();
    QTest::keyClicks(e, text);
}

}  // namespace

TEST_F(FigureExports, DialogRemembersItsFields) {
    rq::QSettingsStore store(dir.path());
    whenDialogOpens([](ReportFieldsDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Test Report");
        type(d, "serial", QStringLiteral("SN-0042"));
        type(d, "operatorName", QStringLiteral("A. Tester"));
        type(d, "temperature", QStringLiteral("25 C"));
        type(d, "notes", QStringLiteral("bench 2"));
        type(d, "limitsFile", QStringLiteral("/lab/bench.lim"));
        rq::test::savePng(&d, QStringLiteral("report_fields_dialog.png"));
        QTest::keyClick(edit(d, "notes"), Qt::Key_Return);
    });
    const std::optional<ReportFields> first = askReportFields(nullptr, store);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->serial, "SN-0042");
    EXPECT_EQ(first->limitsFile, "/lab/bench.lim");
    EXPECT_EQ(store.get("RQ3118", "ConverterFigures", "ReportOperator", QString()), "A. Tester");

    // Opened again, it starts from them; OK without a change gives them back.
    ReportFields shown;
    whenDialogOpens([&shown](ReportFieldsDialog& d) {
        shown = d.fields();
        d.accept();
    });
    rq::QSettingsStore reopened(dir.path());
    const std::optional<ReportFields> second = askReportFields(nullptr, reopened);
    ASSERT_TRUE(second);
    EXPECT_EQ(shown.serial, "SN-0042");
    EXPECT_EQ(shown.operatorName, "A. Tester");
    EXPECT_EQ(shown.temperature, "25 C");
    EXPECT_EQ(shown.notes, "bench 2");
    EXPECT_EQ(shown.limitsFile, "/lab/bench.lim");
}

TEST_F(FigureExports, CancelGivesNothingAndKeepsTheOldFields) {
    rq::QSettingsStore store(dir.path());
    store.save("RQ3118", "ConverterFigures", "ReportSerial", "SN-0001");
    whenDialogOpens([](ReportFieldsDialog& d) {
        type(d, "serial", QStringLiteral("SN-9999"));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(askReportFields(nullptr, store));
    EXPECT_EQ(store.get("RQ3118", "ConverterFigures", "ReportSerial", QString()), "SN-0001");
}
