// Protects what the command-line front end writes and what it says about what it read: every
// output file whole or absent (a full disk, a kill in the middle), a refused write named with
// its path and reason and exit status 2, and the warnings of a data file whose items were not
// numbers or whose codes lie outside the converter's range.
#include <gtest/gtest.h>

#include "CtlRun.h"

#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <map>
#include <numbers>
#include <thread>

#include "FullFileSystem.h"

namespace {

using rq::test::Outcome;

class CtlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"RQ3118.CFG", "VMB.EXE"}) {
            QFile::copy(QStringLiteral(RQ_EXAMPLES_DIR "/") + name, dir.filePath(name));
        }
    }
    Outcome run(const QStringList& args) { return rq::test::runCtl(dir.path(), args); }
    QString write(const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return name;
    }
    // A clean tone of n codes, 12-bit straight binary, with its lines changed where told.
    QString tone(const QString& name, int n, const std::map<int, QByteArray>& changed = {}) {
        QByteArray text;
        for (int i = 0; i < n; ++i) {
            const auto c = changed.find(i);
            text += c != changed.end()
                        ? c->second
                        : QByteArray::number(std::round(
                              2048 + 1500 * std::sin(2 * std::numbers::pi * 101 * i / n)));
            text += "\r\n";
        }
        return write(name, text);
    }

    QTemporaryDir dir;
};

}  // namespace

TEST_F(CtlFiles, AnalyzeWarnsOfItemsThatWereNotNumbersAndCodesOutsideTheBits) {
    tone("mixed.dat", 1024, {{3, "x"}, {4, "\"\""}, {5, "NaN"}, {6, "4096"}, {7, "-1"}});
    const Outcome r = run({"analyze", "mixed.dat", "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = r.object();
    // The figures stay where they were.
    EXPECT_EQ(o.value("samples").toInt(), 1024);
    EXPECT_TRUE(o.contains("snr") && o.contains("freq_text") && o.contains("histogram"));
    const QJsonArray warnings = o.value("warnings").toArray();
    // The items read as 0 also sit at the lowest code: more than one sample in a thousand.
    ASSERT_EQ(warnings.size(), 3);
    EXPECT_EQ(warnings[2].toObject().value("code").toString(), "clipping");
    EXPECT_EQ(warnings[0].toObject().value("code").toString(), "not_numbers");
    EXPECT_EQ(warnings[0].toObject().value("count").toInt(), 3);
    EXPECT_EQ(warnings[0].toObject().value("text").toString(),
              "3 items were not numbers and read as 0");
    EXPECT_EQ(warnings[1].toObject().value("code").toString(), "outside_bits");
    EXPECT_EQ(warnings[1].toObject().value("count").toInt(), 2);
    EXPECT_EQ(warnings[1].toObject().value("text").toString(), "2 values outside 0 to 4095");
    // The message list's lines, as the window shows them after the count.
    EXPECT_TRUE(
        r.err.contains("1024 Data Samples Read\n! 3 items were not numbers and read as "
                       "0\n2 values outside 0 to 4095\n"))
        << r.err.toStdString();

    // Twelve-bit codes read as an 8-bit converter's, and as two's complement.
    tone("clean.dat", 1024);
    const QJsonArray eight =
        run({"analyze", "clean.dat", "--json", "--bits", "8"}).object().value("warnings").toArray();
    ASSERT_EQ(eight.size(), 1);
    EXPECT_EQ(eight[0].toObject().value("code").toString(), "outside_bits");
    EXPECT_EQ(eight[0].toObject().value("text").toString().section(' ', 1),
              "values outside 0 to 255");
    const Outcome clean = run({"analyze", "clean.dat", "--json"});
    EXPECT_EQ(clean.object().value("warnings"), QJsonArray());
    EXPECT_FALSE(clean.err.contains("outside"));
    EXPECT_TRUE(run({"analyze", "clean.dat"}).out.contains("warnings: none"));
}

TEST_F(CtlFiles, OutputsOnAFullDiskExit2AndLeaveTheOldFileOrNone) {
    rq::test::FullFileSystem fs;
    RQ_MOUNT_FULL_FS_OR_SKIP(fs);
    tone("tone.dat", 1024);
    fs.put("old.png", "an older plot");
    fs.fill();
    const auto on = [&](const char* name) { return fs.filePath(QString::fromLatin1(name)); };
    struct Row {
        QStringList args;
        const char* file;
    } rows[] = {
        {{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--out", on("rec.dat")},
         "rec.dat"},
        {{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--spectrum-out",
          on("fft.dat")},
         "fft.dat"},
        {{"analyze", "tone.dat", "--spectrum-csv", on("s.csv")}, "s.csv"},
        {{"analyze", "tone.dat", "--plot", on("old.png")}, "old.png"},
        {{"analyze", "tone.dat", "--plot-time", on("t.svg")}, "t.svg"},
        {{"analyze", "tone.dat", "--plot-histogram", on("h.pdf")}, "h.pdf"},
        {{"report", "tone.dat", "--pdf", on("r.pdf")}, "r.pdf"},
    };
    for (const Row& row : rows) {
        const Outcome r = run(row.args);
        EXPECT_EQ(r.status, 2) << row.file;
        EXPECT_TRUE(r.err.contains(QStringLiteral("rq3118ctl: cannot write %1: No space left on "
                                                  "device")
                                       .arg(on(row.file))))
            << r.err.toStdString();
    }
    EXPECT_EQ(fs.entries(), QStringList{"old.png"});
    EXPECT_EQ(fs.read("old.png"), "an older plot");
}

TEST_F(CtlFiles, AReportKilledWhileItIsMadeLeavesTheOldFileOrTheWholeNewOne) {
    tone("tone.dat", 1024);
    write("r.pdf", "the report before");
    // Time a whole run first, then kill runs at points spread over it.
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(run({"report", "tone.dat", "--pdf", "whole.pdf"}).status, 0);
    const qint64 whole = clock.elapsed();
    int replaced = 0;
    for (int k = 1; k <= 8; ++k) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(RQ3118CTL), {"report", "tone.dat", "--pdf", "r.pdf"});
        ASSERT_TRUE(p.waitForStarted());
        std::this_thread::sleep_for(std::chrono::milliseconds(whole * k / 9));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished();
        QFile f(dir.filePath("r.pdf"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray held = f.readAll();
        if (held != "the report before") {
            EXPECT_TRUE(held.startsWith("%PDF") && held.trimmed().endsWith("%%EOF")) << k;
            ++replaced;
        }
    }
    RecordProperty("replaced", replaced);
}
