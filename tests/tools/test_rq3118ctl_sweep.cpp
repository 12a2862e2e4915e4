// Protects rq3118ctl sweep as a user runs it: the figures of the simulated converter against
// closed form over a level and a frequency sweep, coherent frequencies, the generator's
// commands and each of its faults against a fake on the loopback address, a manual sweep on
// standard input, an interrupted sweep that keeps its points, and the whole run's speed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <csignal>

#include "CtlRun.h"
#include "FakeScpiGenerator.h"
#include "FullFileSystem.h"

namespace {

using rq::test::FakeGeneratorOptions;
using rq::test::FakeScpiGenerator;
using rq::test::Outcome;

// The sample clock the example configuration sets: 40 MHz over 400.
constexpr double Rate = 100000.0;

class Sweep : public ::testing::Test {
protected:
    // The fake generator and the process's signals need an event loop.
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_rq3118ctl_sweep";
            static char* argv[] = {name, nullptr};
            app = new QCoreApplication(argc, argv);
        }
    }
    static inline QCoreApplication* app = nullptr;

    void SetUp() override {
        for (const char* name : {"RQ3118.CFG", "VMB.EXE"}) {
            QFile::copy(QStringLiteral(RQ_EXAMPLES_DIR "/") + name, dir.filePath(name));
        }
    }
    // rq3118ctl with the event loop turning meanwhile, so that a fake generator in this
    // process answers it. Standard input gets `input` and is closed unless told to stay open;
    // `during` runs once the process has written its first line of standard output.
    Outcome run(const QStringList& args, const QByteArray& input = {}, bool closeInput = true,
                const std::function<void(QProcess&)>& during = {}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QEventLoop loop;
        QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
        bool ran = false;
        QString out;
        QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] {
            out += QString::fromLocal8Bit(p.readAllStandardOutput());
            if (during && !ran && out.contains(u'\n')) {
                ran = true;
                during(p);
            }
        });
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        p.start(QStringLiteral(RQ3118CTL), QStringList{"sweep", "--config", "RQ3118.CFG"} + args);
        EXPECT_TRUE(p.waitForStarted(10000));
        p.write(input);
        if (closeInput) {
            p.closeWriteChannel();
        }
        limit.start(60000);
        if (p.state() != QProcess::NotRunning) {
            loop.exec();
        }
        EXPECT_EQ(p.state(), QProcess::NotRunning) << "still running after 60 s";
        out += QString::fromLocal8Bit(p.readAllStandardOutput());
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, out,
                QString::fromLocal8Bit(p.readAllStandardError())};
    }
    static std::vector<QJsonObject> points(const Outcome& o) {
        std::vector<QJsonObject> list;
        for (const QJsonObject& line : o.objects()) {
            if (line.contains(QStringLiteral("point"))) {
                list.push_back(line);
            }
        }
        return list;
    }
    // The summary line; a failed sweep's error line follows it.
    static QJsonObject summary(const Outcome& o) {
        for (const QJsonObject& line : o.objects()) {
            if (line.contains(QStringLiteral("summary"))) {
                return line["summary"].toObject();
            }
        }
        return {};
    }
    QByteArray read(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QStringList generatorArgs(const FakeScpiGenerator& fake) {
        return {"--generator", QStringLiteral("127.0.0.1:%1").arg(fake.port())};
    }

    QTemporaryDir dir;
};

// An ideal 12-bit converter: SNR = 6.02 N + 1.76 dB + the level, one dB per dB.
TEST_F(Sweep, ALevelSweepOfAnIdealConverterRisesOneDbPerDb) {
    const Outcome o =
        run({"--sim", "--sim-fast", "--sim-noise", "0", "--sim-harmonics", "none", "--samples",
             "8192", "--frequencies", "9973.1", "--levels=-40:-1:14", "--json"});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    const auto p = points(o);
    ASSERT_EQ(p.size(), 14u);
    EXPECT_EQ(p.back()["level_dbfs"].toDouble(), -1.0);
    EXPECT_NEAR(p.back()["snr_db"].toDouble(), 72.98, 0.5);
    EXPECT_NEAR(p.back()["fundamental_dbfs"].toDouble(), -1.0, 0.05);
    const QJsonObject s = summary(o);
    EXPECT_EQ(s["ended"].toString(), "done");
    EXPECT_EQ(s["measured"].toInt(), 14);
    EXPECT_NEAR(s["snr_slope_db_per_db"].toDouble(), 1.0, 0.05);
}

TEST_F(Sweep, AFrequencySweepWithNoiseIsFlatAndWritesItsFiles) {
    const Outcome o = run({"--sim",     "--sim-fast", "--sim-noise",   "1",
                           "--samples", "8192",       "--frequencies", "1000:45000:8:log",
                           "--levels",  "-1",         "--records",     "2",
                           "--avg",     "--json",     "--csv",         "sweep.csv",
                           "--plot",    "sweep.png",  "--pdf",         "sweep.pdf"});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    const auto p = points(o);
    ASSERT_EQ(p.size(), 8u);
    double mean = 0;
    for (const QJsonObject& point : p) {
        mean += point["snr_db"].toDouble() / double(p.size());
        EXPECT_EQ(point["records"].toInt(), 2);
    }
    for (const QJsonObject& point : p) {
        EXPECT_NEAR(point["snr_db"].toDouble(), mean, 0.3) << point["frequency_hz"].toDouble();
    }
    EXPECT_LE(summary(o)["snr_flatness_db"].toDouble(), 0.3);
    // The CSV holds a row per point with the JSON's numbers.
    const QList<QByteArray> rows = read("sweep.csv").trimmed().split('\n');
    ASSERT_EQ(rows.size(), 9);
    EXPECT_TRUE(rows[0].startsWith("point,asked_frequency_hz,frequency_hz,"));
    const QList<QByteArray> last = rows[8].split(',');
    EXPECT_DOUBLE_EQ(last[8].toDouble(), p.back()["snr_db"].toDouble());
    EXPECT_TRUE(read("sweep.png").startsWith("\x89PNG"));
    const QByteArray pdf = read("sweep.pdf");
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GE(pdf.count("/Type /Page\n"), 3);
}

TEST_F(Sweep, CoherentFrequenciesHoldAnOddNumberOfCyclesAndNyquistIsRefused) {
    const Outcome o =
        run({"--sim", "--sim-fast", "--samples", "4096", "--frequencies", "1000,10000,33333",
             "--levels", "-3", "--coherent", "--window", "none", "--json"});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    for (const QJsonObject& point : points(o)) {
        const double cycles = point["frequency_hz"].toDouble() * 4096 / Rate;
        EXPECT_NEAR(cycles, std::round(cycles), 1e-9);
        EXPECT_EQ(std::lround(cycles) % 2, 1);
        EXPECT_EQ(point["cycles"].toDouble(), std::round(cycles));
        EXPECT_NEAR(point["frequency_hz"].toDouble(), point["asked_frequency_hz"].toDouble(),
                    Rate / 4096);
        // A rectangular window is exact on a coherent tone: no leakage to warn of.
        for (const QJsonValue& w : point["warnings"].toArray()) {
            EXPECT_NE(w.toObject()["code"].toString(), "leakage");
        }
    }
    const Outcome refused =
        run({"--sim", "--sim-fast", "--frequencies", "1000,50000", "--levels", "-1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("half the sample rate")) << refused.err.toStdString();
}

TEST_F(Sweep, UsageErrors) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"--port", "/dev/null", "--frequencies", "1000", "--levels", "-1"}, "--generator"},
        {{"--sim", "--frequencies", "1:2:0", "--levels", "-1"}, "--frequencies"},
        {{"--sim", "--frequencies", "1000", "--levels", "-40:-1:4:log"}, "--levels"},
        {{"--sim", "--generator", "127.0.0.1", "--frequencies", "1000", "--levels", "-1"},
         "--fullscale-dbm"},
        {{"--sim", "--manual", "--generator", "127.0.0.1", "--fullscale-dbm", "10", "--frequencies",
          "1000", "--levels", "-1"},
         "exclude"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(o.err.contains(QString::fromLatin1(c.says))) << o.err.toStdString();
    }
    // A level list may start with a minus sign after a blank, too.
    const Outcome spaced =
        run({"--sim", "--sim-fast", "--frequencies", "9973", "--levels", "-20:-10:2", "--json"});
    ASSERT_EQ(spaced.status, 0) << spaced.err.toStdString();
    EXPECT_EQ(points(spaced).front()["level_dbfs"].toDouble(), -20.0);
}

TEST_F(Sweep, TheSimulatedConverterFollowsTheGeneratorsCommands) {
    FakeScpiGenerator fake;
    ASSERT_TRUE(fake.isListening());
    const Outcome o =
        run(generatorArgs(fake) + QStringList{"--fullscale-dbm", "10", "--settle", "0", "--sim",
                                              "--sim-fast", "--frequencies", "5000,12000",
                                              "--levels", "-20,-6", "--json"});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    const auto p = points(o);
    ASSERT_EQ(p.size(), 4u);
    for (const QJsonObject& point : p) {
        EXPECT_NEAR(point["fundamental_hz"].toDouble(), point["frequency_hz"].toDouble(), 2.0);
        EXPECT_NEAR(point["fundamental_dbfs"].toDouble(), point["level_dbfs"].toDouble(), 0.1);
    }
    const QStringList got = fake.received();
    ASSERT_GE(got.size(), 1 + 4 * 6);
    EXPECT_EQ(got[0], "*IDN?");
    EXPECT_EQ(got.mid(1, 6), (QStringList{"SOUR:FREQ 5000", "SYST:ERR?", "SOUR:POW -10",
                                          "SYST:ERR?", "OUTP ON", "SYST:ERR?"}));
    EXPECT_TRUE(got.contains("SOUR:POW 4"));
    EXPECT_EQ(fake.frequency(), 12000.0);
}

TEST_F(Sweep, ACalibrationMeasuresTheLevelThatReadsFullScale) {
    FakeScpiGenerator fake;
    ASSERT_TRUE(fake.isListening());
    const Outcome o =
        run(generatorArgs(fake) + QStringList{"--calibrate", "--sim-fullscale-dbm", "7", "--settle",
                                              "0", "--sim", "--sim-fast", "--frequencies", "9973",
                                              "--levels", "-3", "--json", "--pdf", "cal.pdf"});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    const QRegularExpressionMatch said =
        QRegularExpression(QStringLiteral("calibration: (-?[0-9.]+) dBm")).match(o.err);
    ASSERT_TRUE(said.hasMatch()) << o.err.toStdString();
    EXPECT_NEAR(said.captured(1).toDouble(), 7.0, 0.05);
    for (const QJsonObject& line : o.objects()) {
        if (line.contains("summary")) {
            EXPECT_NEAR(line["calibration"].toObject()["fullscale_dbm"].toDouble(), 7.0, 0.05);
        }
    }
    // The calibration's level, then the point's: -3 dBFS on a full scale of about 7 dBm.
    EXPECT_TRUE(fake.received().contains("SOUR:POW -10"));
    EXPECT_NEAR(fake.level(), 4.0, 0.05);
    EXPECT_NEAR(points(o).front()["fundamental_dbfs"].toDouble(), -3.0, 0.1);
}

// Each generator fault ends the sweep with status 5 and a message naming the generator, the
// command and its answer; the points measured before it stay in the JSON and the CSV.
TEST_F(Sweep, AGeneratorErrorAfterACommandEndsTheSweepKeepingItsPoints) {
    FakeScpiGenerator fake;  // takes levels up to +20 dBm
    ASSERT_TRUE(fake.isListening());
    const Outcome o =
        run(generatorArgs(fake) + QStringList{"--fullscale-dbm", "10", "--settle", "0", "--sim",
                                              "--sim-fast", "--frequencies", "9973", "--levels",
                                              "-10,0,15", "--json", "--csv", "kept.csv"});
    EXPECT_EQ(o.status, 5) << o.err.toStdString();
    EXPECT_EQ(points(o).size(), 2u);
    const QString expected =
        QStringLiteral("generator 127.0.0.1:%1: SOUR:POW 25 answered -222").arg(fake.port());
    EXPECT_TRUE(o.err.contains(expected)) << o.err.toStdString();
    const QJsonObject last = o.objects().back();
    EXPECT_EQ(last["exit_status"].toInt(), 5);
    EXPECT_EQ(read("kept.csv").trimmed().split('\n').size(), 3);
    EXPECT_EQ(summary(o)["ended"].toString(), "generator failure");
}

TEST_F(Sweep, AGeneratorThatDropsTheLineOrCannotBeReachedEndsWithStatusFive) {
    {
        FakeScpiGenerator fake;
        fake.dropAfter(1 + 6 + 2);  // identity, a whole point, then the next frequency's check
        const Outcome o =
            run(generatorArgs(fake) + QStringList{"--fullscale-dbm", "10", "--settle", "0", "--sim",
                                                  "--sim-fast", "--frequencies", "2000,3000",
                                                  "--levels", "-1", "--json"});
        EXPECT_EQ(o.status, 5) << o.err.toStdString();
        EXPECT_EQ(points(o).size(), 1u);
        EXPECT_TRUE(o.err.contains("connection closed")) << o.err.toStdString();
    }
    {
        FakeScpiGenerator fake;
        fake.refuse();
        const Outcome o =
            run(generatorArgs(fake) + QStringList{"--fullscale-dbm", "10", "--sim", "--sim-fast",
                                                  "--frequencies", "2000", "--levels", "-1"});
        EXPECT_EQ(o.status, 5);
        EXPECT_TRUE(o.err.contains(
            QStringLiteral("generator 127.0.0.1:%1: connection refused").arg(fake.port())))
            << o.err.toStdString();
    }
}

TEST_F(Sweep, AGeneratorThatNeverAnswersItsIdentityIsGivenUpAfterThreeSeconds) {
    FakeScpiGenerator fake;
    fake.stallReplies(true);
    QElapsedTimer clock;
    clock.start();
    const Outcome o =
        run(generatorArgs(fake) + QStringList{"--fullscale-dbm", "10", "--sim", "--sim-fast",
                                              "--frequencies", "2000", "--levels", "-1"});
    EXPECT_EQ(o.status, 5);
    EXPECT_TRUE(o.err.contains("no answer to *IDN? within 3 s")) << o.err.toStdString();
    EXPECT_LT(clock.elapsed(), 8000);
}

TEST_F(Sweep, AManualSweepTakesEnterAndKeepsItsPointsWhenInputCloses) {
    const QStringList args{"--manual",  "--sim",    "--sim-fast", "--frequencies",
                           "3000,7000", "--levels", "-6",         "--json"};
    const Outcome both = run(args, "\n\n");
    ASSERT_EQ(both.status, 0) << both.err.toStdString();
    EXPECT_TRUE(both.err.contains("Set the generator to 3.000 kHz at -6.0 dBFS, then press Enter"))
        << both.err.toStdString();
    const auto p = points(both);
    ASSERT_EQ(p.size(), 2u);
    // On the simulated board the tone is what the user was asked to set.
    EXPECT_NEAR(p[1]["fundamental_hz"].toDouble(), 7000.0, 2.0);

    const Outcome one = run(args, "\n");
    EXPECT_EQ(one.status, 6) << one.err.toStdString();
    EXPECT_EQ(points(one).size(), 1u);
    EXPECT_EQ(summary(one)["ended"].toString(), "cancelled");
}

TEST_F(Sweep, AnInterruptedSweepWritesThePointsItMeasured) {
    for (const int signal : {SIGINT, SIGTERM}) {
        // Captures at the board's pace: 8192 samples at 100 kHz take 82 ms a record.
        const Outcome o =
            run({"--sim", "--samples", "8192", "--frequencies", "1000:40000:30", "--levels", "-1",
                 "--json", "--csv", "part.csv", "--pdf", "part.pdf"},
                {}, true, [signal](QProcess& p) { ::kill(pid_t(p.processId()), signal); });
        EXPECT_EQ(o.status, 128 + signal) << o.err.toStdString();
        const std::size_t measured = points(o).size();
        EXPECT_GE(measured, 1u);
        EXPECT_LT(measured, 30u);
        EXPECT_EQ(summary(o)["ended"].toString(), "interrupted");
        EXPECT_EQ(std::size_t(read("part.csv").trimmed().split('\n').size()), measured + 1);
        EXPECT_TRUE(read("part.pdf").startsWith("%PDF"));
        QFile::remove(dir.filePath("part.pdf"));
    }
}

TEST_F(Sweep, ABoardThatStopsAnsweringEndsTheSweepWithStatusThreeKeepingItsPoints) {
    // The board goes quiet after 5000 bytes: the load and two records of 1024 samples.
    const Outcome o = run({"--sim", "--sim-fast", "--sim-fault", "stop-after=5000", "--frequencies",
                           "1000:5000:5", "--levels", "-1", "--json", "--csv", "board.csv"});
    EXPECT_EQ(o.status, 3) << o.err.toStdString();
    EXPECT_EQ(points(o).size(), 2u);
    EXPECT_EQ(summary(o)["ended"].toString(), "board failure");
    EXPECT_TRUE(summary(o)["reason"].toString().startsWith("point 3, record 1 of 1"));
    EXPECT_EQ(read("board.csv").trimmed().split('\n').size(), 3);
}

TEST_F(Sweep, OnAFullDiskTheCsvIsRefusedFirstAndPlotsAndReportWholeOrAbsent) {
    rq::test::FullFileSystem full;
    if (const QString why = full.mount(); !why.isEmpty()) {
        GTEST_SKIP() << why.toStdString();
    }
    full.fill();
    const Outcome o = run({"--sim", "--sim-fast", "--frequencies", "1000", "--levels", "-1",
                           "--csv", full.filePath("sweep.csv")});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains("No space left on device")) << o.err.toStdString();
    EXPECT_FALSE(QFile::exists(full.filePath("sweep.csv")));
    // Plots and report written after the sweep: refused whole, each named, the old report kept.
    full.drain();
    full.put("old.pdf", "%PDF old");
    full.fill();
    const Outcome late =
        run({"--sim", "--sim-fast", "--frequencies", "1000,2000", "--levels", "-1", "--json",
             "--plot", full.filePath("sweep.png"), "--pdf", full.filePath("old.pdf")});
    EXPECT_EQ(late.status, 2);
    EXPECT_EQ(points(late).size(), 2u);
    EXPECT_TRUE(late.err.contains(full.filePath("sweep.png") + ": No space left on device"))
        << late.err.toStdString();
    EXPECT_TRUE(late.err.contains(full.filePath("old.pdf") + ": No space left on device"));
    EXPECT_FALSE(QFile::exists(full.filePath("sweep.png")));
    EXPECT_EQ(full.read("old.pdf"), "%PDF old");
}

TEST_F(Sweep, TwentyPointsOfFourRecordsTakeUnderThreeSeconds) {
    QElapsedTimer clock;
    clock.start();
    const Outcome o = run({"--sim", "--sim-fast", "--samples", "8192", "--frequencies",
                           "1000:40000:20", "--levels", "-1", "--records", "4", "--json"});
    const qint64 ms = clock.elapsed();
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(points(o).size(), 20u);
    EXPECT_LT(ms, 3000);
    std::printf("sweep of 20 points x 4 records of 8192 samples: %lld ms\n",
                static_cast<long long>(ms));
}

}  // namespace
