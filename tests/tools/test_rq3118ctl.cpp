// Protects the command-line front end as a user runs it: each subcommand on the example files
// and on generated records, every refusal with its exit status, a record that goes out
// through a capture and comes back through analyze to the last digit, and the converter
// figures, plots and report beside the panel's read-outs.
#include <gtest/gtest.h>

#include "CtlRun.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/BasicText.h"

namespace {

using rq::test::Outcome;

class Ctl : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"RQ3118.CFG", "RQ3118TC.CFG", "RQ3116.CFG", "VMB.EXE"}) {
            QFile::copy(QStringLiteral(RQ_EXAMPLES_DIR "/") + name, dir.filePath(name));
        }
    }
    Outcome run(const QStringList& args) { return rq::test::runCtl(dir.path(), args); }
    QString write(const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text.toLatin1());
        return name;
    }
    // A record of codes as a raw sample data file.
    QString record(const QString& name, const std::vector<double>& codes) {
        QString text;
        for (double c : codes) {
            text += rq::formatNumber(c, u"0.000000") + QStringLiteral("\r\n");
        }
        return write(name, text);
    }

    QTemporaryDir dir;
};

// A tone of amplitude a codes in bin k of n samples around mid-scale, with a third harmonic
// 60 dB down and a pseudo-random dither of a tenth of a code.
std::vector<double> tone(int n, int k, double a) {
    std::vector<double> codes;
    uint32_t seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double phase = 2 * std::numbers::pi * k * i / n;
        const double dither = (seed / 4294967296.0 - 0.5) * 0.1;
        codes.push_back(2048 + a * std::sin(phase) + a * 1e-3 * std::sin(3 * phase) + dither);
    }
    return codes;
}

}  // namespace

TEST_F(Ctl, HelpVersionAndUsageErrors) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"config FILE",
                             "dsp FILE",
                             "analyze FILE",
                             "capture --config",
                             "--sim-fault",
                             "stop-after=K",
                             "Exit status",
                             "report FILE --pdf",
                             "--metrics",
                             "--linearity sine|ramp",
                             "--fit",
                             "--window NAME",
                             "--full-scale-bits N",
                             "--plot FILE",
                             "--plot-time",
                             "--plot-histogram",
                             "--plot-linearity",
                             "--spectrum-csv",
                             "--sim-missing-code",
                             "--sim-wide-code",
                             "--sim-inl-bow"}) {
        EXPECT_TRUE(help.out.contains(word)) << word;
    }
    EXPECT_EQ(run({"capture", "--help"}).status, 0);
    EXPECT_EQ(run({"--version"}).out.trimmed(), "rq3118ctl " RQ3118_VERSION);
    for (const QStringList& bad :
         {QStringList{},
          {"frobnicate"},
          {"config"},
          {"config", "a", "b"},
          {"dsp", "VMB.EXE", "--rate", "1"},
          {"analyze", "x.dat", "--dc-bins", "many"},
          {"analyze", "x.dat", "--rate"},
          {"capture", "--sim"},
          {"capture", "--sim", "--config", "RQ3118.CFG", "--samples", "300"},
          {"capture", "--sim", "--config", "RQ3118.CFG", "--sim-fault", "melt"},
          {"capture", "--sim", "--port", "/dev/parport0", "--config", "RQ3118.CFG"},
          {"capture", "--sim", "--config", "RQ3118.CFG", "--sim-level", "7000"},
          {"capture", "--sim", "--config", "RQ3118.CFG", "--sim-noise", "-1"},
          {"capture", "--sim", "--config", "RQ3118.CFG", "--sim-tone", "-5"}}) {
        const Outcome r = run(bad);
        EXPECT_EQ(r.status, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("--help")) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(Ctl, ConfigShowsWhatLoadingGives) {
    const QJsonObject o = run({"config", "RQ3118TC.CFG", "--json"}).object();
    EXPECT_EQ(o["result"].toInt(), 0);
    EXPECT_EQ(o["message"].toString(), "");
    EXPECT_EQ(o["PartName"].toString(), "RQ3118-TC");
    EXPECT_EQ(o["EXEName"].toString(), "VMB.EXE");
    EXPECT_EQ(o["SampleFreq"].toInt(), 200000);
    EXPECT_EQ(o["Max_Frequency"].toInt(), 580000);
    EXPECT_EQ(o["NumberOfSamples"].toInt(), 3);
    EXPECT_EQ(o["record_length"].toInt(), 2048);
    EXPECT_EQ(o["DataFormat"].toInt(), 1);
    EXPECT_EQ(o["NumberOfBits"].toInt(), 12);
    EXPECT_EQ(o["InputVMax"].toDouble(), 2.5);
    EXPECT_EQ(o["InputVMin"].toDouble(), -2.5);
    EXPECT_EQ(o["Latch"].toInt(), 0x20 | 0x80 | 0x40 | 0x08 | 0x04);

    const Outcome text = run({"config", "RQ3118.CFG"});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("PartName: RQ3118\n"));
    EXPECT_TRUE(text.out.contains("Latch: 204\n"));
}

TEST_F(Ctl, ConfigRefusalsCarryTheirMessage) {
    write("NOTCFG.CFG", "PARTNAME:X\r\n");
    write("NOPROG.CFG", "[VELMAR BOARD]\r\nPARTNAME:X\r\nSAMPLEFREQUENCY:250000\r\n");
    write("ZERO.CFG", "[VELMAR BOARD]\r\nPARTNAME:Z\r\nPROGRAMNAME:Z.EXE\r\nSAMPLES:0\r\n");
    // What loading gave, then the error line.
    const Outcome notCfg = run({"config", "NOTCFG.CFG", "--json"});
    EXPECT_EQ(notCfg.status, 2);
    ASSERT_EQ(notCfg.objects().size(), 2u);
    EXPECT_EQ(notCfg.objects()[0]["message"].toString(), "This is not a valid CFG file");
    EXPECT_EQ(notCfg.objects()[1]["error"].toObject()["text"].toString(),
              "This is not a valid CFG file");

    const Outcome noProgram = run({"config", "NOPROG.CFG", "--json"});
    EXPECT_EQ(noProgram.status, 2);
    const QJsonObject o = noProgram.objects().front();
    EXPECT_TRUE(o["message"].toString().startsWith(
        "This file does not contian an EXE filename to load.\r\n"));
    EXPECT_EQ(o["PartName"].toString(), "");
    EXPECT_EQ(o["SampleFreq"].toInt(), 100000);  // the reset's value: the file stopped before it

    const Outcome zero = run({"config", "ZERO.CFG", "--json"});
    EXPECT_EQ(zero.status, 2);
    EXPECT_TRUE(
        zero.objects().front()["message"].toString().startsWith("An Unexpected Error (Code:5"));
    EXPECT_EQ(zero.objects().front()["EXEName"].toString(), "Z.EXE");

    const Outcome missing = run({"config", "NONE.CFG", "--json"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.objects().front()["message"].toString().contains("(Code:53"));
    EXPECT_EQ(missing.objects().back()["error"].toObject()["number"].toInt(), 53);
}

TEST_F(Ctl, DspChecksAProgramFile) {
    const QJsonObject good = run({"dsp", "VMB.EXE", "--json"}).object();
    EXPECT_EQ(good["result"].toInt(), 0);
    EXPECT_EQ(good["words"].toInt(), 96);
    write("BAD.EXE", "hdr\r\n@PA\r\n0\r\n12345\r\n#\r\n");
    const Outcome bad = run({"dsp", "BAD.EXE", "--json"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.objects().front()["result"].toInt(), 2);
    EXPECT_EQ(bad.objects().front()["reason"].toString(),
              "item 4 (\"12345\") is not six hexadecimal digits");
    const Outcome none = run({"dsp", "NONE.EXE"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "result: 1\nwords: 0\nreason: there is no file named \"NONE.EXE\"\n");
    // A device is refused at once, as is a program without an address or with a line feed
    // inside a quoted word.
    const Outcome device = run({"dsp", "/dev/zero", "--json"});
    EXPECT_EQ(device.status, 2);
    EXPECT_TRUE(device.objects().front()["reason"].toString().contains("not a regular file"));
    write("HASH.EXE", "hdr\r\n@PA\r\n#\r\n");
    EXPECT_EQ(run({"dsp", "HASH.EXE", "--json"}).objects().front()["result"].toInt(), 2);
    write("LF.EXE", "hdr\r\n@PA\r\n0\r\n\"123456\n\"\r\n#\r\n");
    EXPECT_EQ(run({"dsp", "LF.EXE", "--json"}).objects().front()["reason"].toString(),
              "item 4 (\"123456\\n\") is not six hexadecimal digits");
}

TEST_F(Ctl, AnalyzeReadsAGeneratedTone) {
    // Bin 101 of 1024 at 100 kHz: 9863.28 Hz; third harmonic at -60 dBc.
    const std::vector<double> codes = tone(1024, 101, 1500);
    record("tone.dat", codes);
    const Outcome r = run({"analyze", "tone.dat", "--json", "--spectrum-out", "spectrum.dat"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("1024 Data Samples Read"));
    const QJsonObject o = r.object();
    EXPECT_EQ(o["samples"].toInt(), 1024);
    EXPECT_EQ(o["peak"].toInt(), 102);
    EXPECT_EQ(o["freq_text"].toString(), "9863.3Hz");
    EXPECT_NEAR(o["thd"].toDouble(), -60.0, 0.5);
    EXPECT_GT(o["snr"].toDouble(), 80.0);
    EXPECT_EQ(o["snr_text"].toString(), rq::formatNumber(o["snr"].toDouble(), u"00.000") + "dB");
    // The histogram's figures as numbers, the panel's texts beside them.
    const QJsonObject h = o["histogram"].toObject();
    const auto [lo, hi] = std::minmax_element(codes.begin(), codes.end());
    for (const char* key : {"samples", "max_code", "min_code", "spread", "mean", "std_dev"}) {
        EXPECT_TRUE(h[key].isDouble()) << key;
        EXPECT_TRUE(h[QString(key) + "_text"].isString()) << key;
    }
    EXPECT_EQ(h["samples"].toInt(), 1024);
    EXPECT_EQ(h["max_code"].toInt(), std::nearbyint(*hi));
    EXPECT_EQ(h["min_code"].toInt(), std::nearbyint(*lo));
    EXPECT_EQ(h["spread"].toInt(), std::nearbyint(*hi) - std::nearbyint(*lo) + 1);
    EXPECT_NEAR(h["mean"].toDouble(), 2048.0, 0.5);
    EXPECT_EQ(h["mean_text"].toString(), rq::formatNumber(h["mean"].toDouble(), u"#0.000"));
    // A sine of amplitude a has an rms of a / sqrt(2).
    EXPECT_NEAR(h["std_dev"].toDouble(), 1500 / std::sqrt(2.0), 2.0);
    EXPECT_EQ(h["std_dev_text"].toString(), rq::formatNumber(h["std_dev"].toDouble(), u"#0.000"));
    EXPECT_EQ(h["max_code_text"].toString(), QString::number(std::nearbyint(*hi)));

    QFile spectrum(dir.filePath("spectrum.dat"));
    ASSERT_TRUE(spectrum.open(QIODevice::ReadOnly));
    EXPECT_EQ(spectrum.readAll().count("\r\n"), 512);

    // Rate, window and harmonics options change what is read.
    const QJsonObject fast = run({"analyze", "tone.dat", "--json", "--rate", "1000000"}).object();
    EXPECT_EQ(fast["freq_text"].toString(), "98.63KHz");
    const QJsonObject harms = run({"analyze", "tone.dat", "--json", "--harms"}).object();
    EXPECT_NEAR(harms["snr"].toDouble(), 60.0, 0.5);
    const QJsonObject plain = run({"analyze", "tone.dat", "--json", "--no-window"}).object();
    EXPECT_EQ(plain["peak"].toInt(), 102);
}

TEST_F(Ctl, AnalyzeGoesOnPastASpectrumThatFails) {
    // The FFT control shows its failure read-outs and the dispatch goes on to the histogram;
    // the result says that the spectrum failed and why.
    struct Row {
        const char* name;
        std::vector<double> codes;
        const char* why;
    } rows[] = {
        {"thousand.dat", tone(1000, 100, 1000), "record length 1000 is not a power of two"},
        {"zeros.dat", std::vector<double>(512, 0.0), "every value of the record is 0"},
        {"long.dat", tone(16400, 100, 1000), "record length 16400 is longer than 16384"},
    };
    for (const Row& row : rows) {
        record(row.name, row.codes);
        const Outcome r = run({"analyze", row.name, "--json"});
        EXPECT_EQ(r.status, 0) << row.name << r.err.toStdString();
        const QJsonObject o = r.object();
        EXPECT_EQ(o["spectrum_error"].toString(), row.why);
        EXPECT_EQ(o["snr_text"].toString(), "0.000dB");
        EXPECT_EQ(o["thd_text"].toString(), "0.000dB");
        EXPECT_EQ(o["snr"].toDouble(), 0.0);
        EXPECT_EQ(o["freq_text"].toString(), ".0Hz");  // no peak, so no frequency
        EXPECT_EQ(o["peak"].toInt(), 0);
        EXPECT_EQ(o["histogram"].toObject()["samples"].toInt(), int(row.codes.size()));
        EXPECT_TRUE(r.err.contains(QString("%1 Data Samples Read").arg(row.codes.size())));
    }
    const Outcome text = run({"analyze", "thousand.dat"});
    EXPECT_TRUE(text.out.contains("spectrum_error: record length 1000 is not a power of two\n"));
    // A good record says so too.
    record("good.dat", tone(1024, 101, 1500));
    EXPECT_TRUE(run({"analyze", "good.dat", "--json"}).object()["spectrum_error"].isNull());
    EXPECT_TRUE(run({"analyze", "good.dat"}).out.contains("spectrum_error: none\n"));
}

TEST_F(Ctl, AnalyzeStopsOnlyWhereTheDispatchStops) {
    record("one.dat", {2048});
    const Outcome one = run({"analyze", "one.dat"});
    EXPECT_EQ(one.status, 2);
    EXPECT_TRUE(one.err.contains("Error 533:11 occured while calculating Histogram"));
    EXPECT_TRUE(one.out.isEmpty());

    std::vector<double> wide = tone(256, 10, 1000);
    wide[7] = 1e7;  // more codes than the histogram's rows can group
    record("wide.dat", wide);
    const Outcome histogram = run({"analyze", "wide.dat"});
    EXPECT_EQ(histogram.status, 2);
    EXPECT_TRUE(histogram.err.contains("Error 533:"));
    EXPECT_TRUE(histogram.err.contains("occured while calculating Histogram"));

    write("empty.dat", "\r\n");
    EXPECT_EQ(run({"analyze", "empty.dat"}).status, 2);
    EXPECT_EQ(run({"analyze", "none.dat"}).status, 2);
    // Devices, FIFOs and files larger than any data file are refused at once, saying why.
    const Outcome device = run({"analyze", "/dev/zero"});
    EXPECT_EQ(device.status, 2);
    EXPECT_TRUE(device.err.contains("is not a regular file")) << device.err.toStdString();
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.dat")).constData(), 0600), 0);
    const Outcome fifo = run({"analyze", "pipe.dat"});
    EXPECT_EQ(fifo.status, 2);
    EXPECT_TRUE(fifo.err.contains("is not a regular file"));
    QFile big(dir.filePath("big.dat"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(17 << 20));  // sparse: no 17 MiB written
    big.close();
    const Outcome large = run({"analyze", "big.dat"});
    EXPECT_EQ(large.status, 2);
    EXPECT_TRUE(large.err.contains("larger than any data file can be")) << large.err.toStdString();
}

TEST_F(Ctl, JsonNumbersReadBackToTheSameDouble) {
    write("HUGE.CFG",
          "[VELMAR BOARD]\r\nPROGRAMNAME:VMB.EXE\r\nINPUTVMAX:1.7976931348623157e308\r\n"
          "INPUTVMIN:0.1\r\n");
    const QJsonObject o = run({"config", "HUGE.CFG", "--json"}).object();
    EXPECT_EQ(o["InputVMax"].toDouble(), 1.7976931348623157e308);
    EXPECT_EQ(o["InputVMin"].toDouble(), 0.1);
    const Outcome text = run({"config", "HUGE.CFG"});
    EXPECT_TRUE(text.out.contains("InputVMax: 1.7976931348623157e+308\n"))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("SampleFreq: 100000\n"));
}

TEST_F(Ctl, JsonFailuresEndWithOneErrorLine) {
    // Whatever stops a command, a script reading JSON lines gets one last line that says why,
    // with the exit status beside it; usage errors included.
    record("one.dat", {2048});
    record("tone.dat", tone(1024, 101, 1500));
    struct Row {
        QStringList args;
        int status;
        int number;
        const char* source;
        const char* text;  // contained in the error's text
    } rows[] = {
        {{"frobnicate", "--json"}, 1, 5, "rq3118ctl", "unknown command frobnicate"},
        {{"analyze", "--json"}, 1, 5, "rq3118ctl", "analyze takes one raw sample data file"},
        {{"analyze", "tone.dat", "--json", "--dc-bins", "many"}, 1, 5, "rq3118ctl", "--dc-bins"},
        {{"capture", "--sim", "--json"}, 1, 5, "rq3118ctl", "capture needs --config FILE"},
        {{"analyze", "none.dat", "--json"}, 2, 53, "", "none.dat: cannot be read"},
        {{"analyze", "one.dat", "--json"},
         2,
         533,
         "RQ3118",
         "Error 533:11 occured while calculating Histogram"},
        {{"dsp", "NONE.EXE", "--json"}, 2, 53, "LoadDSPProgram", "no file named"},
        {{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--json", "--sim-fault",
          "stuck-low=600"},
         3,
         517,
         "TakeSamples",
         "record 1: Data Upload Failure"},
        {{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--json", "--sim-fault",
          "no-board"},
         3,
         504,
         "ResetBoard",
         "The Velmar Board Failed to Respond"},
        {{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--json", "--rate", "3"},
         2,
         6,
         "RQ3118",
         "The sample frequency 3 Hz cannot be used"},
        {{"report", "tone.dat", "--json", "--pdf", "no/such/dir/r.pdf"},
         2,
         75,
         "rq3118ctl",
         "no/such/dir/r.pdf"},
    };
    for (const Row& row : rows) {
        const std::string what = row.args.join(' ').toStdString();
        const Outcome r = run(row.args);
        EXPECT_EQ(r.status, row.status) << what;
        const auto lines = r.objects();
        ASSERT_FALSE(lines.empty()) << what;
        const QJsonObject last = lines.back();
        EXPECT_EQ(last.keys(), QStringList({"error", "exit_status"})) << what;
        EXPECT_EQ(last["exit_status"].toInt(), row.status) << what;
        const QJsonObject e = last["error"].toObject();
        EXPECT_EQ(e.keys(), QStringList({"number", "source", "text"})) << what;
        EXPECT_EQ(e["number"].toInt(), row.number) << what;
        if (*row.source) {
            EXPECT_EQ(e["source"].toString(), row.source) << what;
        }
        EXPECT_TRUE(e["text"].toString().contains(row.text))
            << what << ": " << e["text"].toString().toStdString();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const QJsonObject& o) { return o.contains("error"); }),
                  1)
            << what;
    }
    // Without --json the failures keep standard output as it was.
    EXPECT_TRUE(run({"frobnicate"}).out.isEmpty());
    EXPECT_TRUE(run({"analyze", "one.dat"}).out.isEmpty());
    // A success has no error line.
    const auto good = run({"analyze", "tone.dat", "--json"}).objects();
    ASSERT_EQ(good.size(), 1u);
    EXPECT_FALSE(good[0].contains("error"));
}

TEST_F(Ctl, CapturedRecordsWithoutASpectrumReadNoFrequency) {
    // Silence in two's complement: every code 0, so no record has a spectrum.
    const Outcome r = run({"capture", "--sim", "--sim-fast", "--config", "RQ3118TC.CFG", "--json",
                           "--records", "2", "--sim-level", "-300", "--sim-noise", "0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto records = r.objects();
    ASSERT_EQ(records.size(), 2u);
    for (const QJsonObject& o : records) {
        EXPECT_EQ(o["spectrum_error"].toString(), "every value of the record is 0");
        EXPECT_EQ(o["freq_text"].toString(), ".0Hz");
        EXPECT_EQ(o["snr_text"].toString(), "0.000dB");
        EXPECT_EQ(o["histogram"].toObject()["spread"].toInt(), 1);
    }
    const Outcome text = run({"capture", "--sim", "--sim-fast", "--config", "RQ3118TC.CFG",
                              "--sim-level", "-300", "--sim-noise", "0"});
    EXPECT_TRUE(text.out.contains("freq_text: .0Hz\n")) << text.out.toStdString();
}

TEST_F(Ctl, CaptureOnTheSimulatedBoard) {
    const Outcome r = run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--records",
                           "3", "--json", "--sim-tone", "9863.28125", "--sim-seed", "7"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto records = r.objects();
    ASSERT_EQ(records.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(records[k]["record"].toInt(), k + 1);
        EXPECT_EQ(records[k]["samples"].toInt(), 1024);
        EXPECT_EQ(records[k]["freq_text"].toString(), "9863.3Hz");
        // The simulated part: harmonics at -75 and -80 dBc (-73.8 together, a little more
        // with the noise inside their windows), 0.5 LSB of noise on 12 bits.
        EXPECT_NEAR(records[k]["thd"].toDouble(), -73, 2.5);
        EXPECT_NEAR(records[k]["snr"].toDouble(), 67.4, 1.5);
    }
    EXPECT_TRUE(r.err.contains("Board Reset"));
    EXPECT_TRUE(r.err.contains("Program Running"));
    EXPECT_EQ(r.err.count("1024 Data Samples Uploaded"), 3);

    // The same seed gives the same records; the rate and length options are honoured.
    const Outcome again =
        run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--records", "3", "--json",
             "--sim-tone", "9863.28125", "--sim-seed", "7"});
    EXPECT_EQ(again.out, r.out);
    const QJsonObject other = run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG",
                                   "--json", "--samples", "4096", "--rate", "50000"})
                                  .object();
    EXPECT_EQ(other["samples"].toInt(), 4096);
    EXPECT_EQ(other["freq_text"].toString(), "9997.6Hz");  // bin 819 of 4096 at 50 kHz
}

TEST_F(Ctl, CaptureFollowsTheConfigurationsCoding) {
    const QJsonObject twos =
        run({"capture", "--sim", "--sim-fast", "--config", "RQ3118TC.CFG", "--json"}).object();
    EXPECT_EQ(twos["samples"].toInt(), 2048);
    EXPECT_LT(twos["histogram"].toObject()["min_code"].toInt(), -1500);
    const QJsonObject sixteen =
        run({"capture", "--sim", "--sim-fast", "--config", "RQ3116.CFG", "--json"}).object();
    EXPECT_GT(sixteen["histogram"].toObject()["max_code"].toInt(), 60000);
    EXPECT_EQ(sixteen["freq_text"].toString(), "9997.6Hz");

    const QJsonObject averaged = run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG",
                                      "--json", "--avg", "--records", "2"})
                                     .objects()
                                     .back();
    EXPECT_EQ(averaged["peak"].toInt(), 0);  // averaging reads no peak
    EXPECT_GT(averaged["snr"].toDouble(), 60.0);
}

TEST_F(Ctl, RecordRoundTripsThroughSaveAndLoad) {
    const Outcome captured = run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG",
                                  "--json", "--out", "rec.dat", "--spectrum-out", "spectrum1.dat"});
    ASSERT_EQ(captured.status, 0);
    const Outcome analysed = run({"analyze", "rec.dat", "--json", "--spectrum-out", "again.dat"});
    ASSERT_EQ(analysed.status, 0);
    QJsonObject a = captured.object();
    a.remove("record");
    EXPECT_EQ(a, analysed.object());
    QFile one(dir.filePath("spectrum1.dat")), two(dir.filePath("again.dat"));
    ASSERT_TRUE(one.open(QIODevice::ReadOnly) && two.open(QIODevice::ReadOnly));
    EXPECT_EQ(one.readAll(), two.readAll());
}

TEST_F(Ctl, BoardAndFileFailuresOfACapture) {
    struct Row {
        QStringList extra;
        int status;
        const char* says;
    } rows[] = {
        {{"--sim-fault", "refuse=3"}, 3, "(Error 506)"},
        {{"--sim-fault", "no-board"}, 3, "Reset Failure"},
        {{"--sim-fault", "stuck-low=600"}, 3, "Data Upload Failure"},
    };
    for (const Row& row : rows) {
        const Outcome r = run(
            QStringList{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG"} + row.extra);
        EXPECT_EQ(r.status, row.status) << row.extra.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(row.says)) << r.err.toStdString();
    }
    write("GONE.CFG", "[VELMAR BOARD]\r\nPROGRAMNAME:GONE.EXE\r\n");
    const Outcome gone = run({"capture", "--sim", "--sim-fast", "--config", "GONE.CFG"});
    EXPECT_EQ(gone.status, 2);
    EXPECT_TRUE(gone.err.contains("could not be found"));
    write("BAD.CFG", "not a configuration\r\n");
    const Outcome bad = run({"capture", "--sim", "--sim-fast", "--config", "BAD.CFG"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains("Error Loading CFG"));
    // No simulated board and no printer port: the start-up boxes, then the reset fails.
    const Outcome noPort = run({"capture", "--config", "RQ3118.CFG", "--port", "/dev/nonexistent"});
    EXPECT_EQ(noPort.status, 3);
    EXPECT_TRUE(noPort.err.contains("This PC does not appear to have a Printer Port"));
}

// The converter figures, plots and report: beside the panel's read-outs, never instead of them.

TEST_F(Ctl, FiguresOfAGeneratedToneBesideThePanels) {
    record("tone.dat", tone(1024, 101, 1500));
    const QJsonObject panel = run({"analyze", "tone.dat", "--json"}).object();
    const Outcome r = run({"analyze", "tone.dat", "--json", "--metrics", "--fit"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonObject o = r.object();
    const QJsonObject m = o["metrics"].toObject();
    const QJsonObject fit = o["fit"].toObject()["four_parameter"].toObject();
    o.remove("metrics");
    o.remove("fit");
    EXPECT_EQ(o, panel);  // the panel's numbers are untouched

    EXPECT_EQ(m["window"].toString(), "bh4");
    EXPECT_EQ(m["full_scale_bits"].toInt(), 12);
    EXPECT_EQ(m["fundamental"].toObject()["bin"].toInt(), 101);
    EXPECT_NEAR(m["fundamental"].toObject()["dbfs"].toDouble(), 20 * std::log10(1500 / 2048.0),
                0.01);
    const QJsonArray harmonics = m["harmonics"].toArray();
    ASSERT_EQ(harmonics.size(), 5);
    EXPECT_EQ(harmonics[1].toObject()["order"].toInt(), 3);
    EXPECT_EQ(harmonics[1].toObject()["bin"].toInt(), 303);
    EXPECT_NEAR(harmonics[1].toObject()["dbc"].toDouble(), -60.0, 0.05);
    EXPECT_NEAR(m["sfdr_dbc"].toDouble(), 60.0, 0.1);
    EXPECT_EQ(m["spur"].toObject()["order"].toInt(), 3);
    EXPECT_TRUE(m["spur"].toObject()["harmonic"].toBool());
    EXPECT_LT(m["sinad_db"].toDouble(), m["snr_db"].toDouble());
    EXPECT_NEAR(fit["frequency_hz"].toDouble() / (101 * 100000.0 / 1024), 1.0, 1e-6);
    EXPECT_NEAR(fit["amplitude"].toDouble(), 1500.0, 0.01);
    EXPECT_TRUE(fit["converged"].toBool());

    // The window and the full scale are the user's to choose; the default follows the panel.
    const auto metrics = [&](const QStringList& extra) {
        return run(QStringList{"analyze", "tone.dat", "--json", "--metrics"} + extra)
            .object()["metrics"]
            .toObject();
    };
    EXPECT_EQ(metrics({"--no-window"})["window"].toString(), "none");
    EXPECT_EQ(metrics({"--no-window", "--window", "bh7"})["window"].toString(), "bh7");
    const QJsonObject wide = metrics({"--full-scale-bits=14"});
    EXPECT_NEAR(wide["fundamental"].toObject()["dbfs"].toDouble(),
                m["fundamental"].toObject()["dbfs"].toDouble() - 20 * std::log10(4.0), 1e-9);
    // ENOB is corrected to full scale: the same noise under a range four times wider.
    EXPECT_NEAR(wide["enob_bits"].toDouble(), m["enob_bits"].toDouble() + 2.0, 1e-9);
    for (const QStringList& bad : {QStringList{"--window", "kaiser"},
                                   {"--linearity", "step"},
                                   {"--full-scale-bits", "0"},
                                   {"--metrics=yes"}}) {
        const Outcome refused = run(QStringList{"analyze", "tone.dat"} + bad);
        EXPECT_EQ(refused.status, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(refused.err.contains("--help"));
    }

    // A record the spectrum cannot take says why, in place of the figures.
    record("thousand.dat", tone(1000, 100, 1000));
    const QJsonObject failed =
        run({"analyze", "thousand.dat", "--json", "--metrics", "--fit"}).object();
    EXPECT_TRUE(failed["metrics_error"].toString().contains("not a power of two"));
    EXPECT_TRUE(failed["fit_error"].toString().startsWith("no tone"));
    // As text, the per-code lists are counted rather than written out.
    const Outcome text = run({"analyze", "tone.dat", "--metrics", "--linearity", "sine"});
    EXPECT_TRUE(text.out.contains("metrics.harmonics.2.order: 3\n"));
    EXPECT_TRUE(text.out.contains(QRegularExpression("linearity.dnl_per_code: \\d+ values")));
}

TEST_F(Ctl, StaticErrorsOfTheSimulatedConverterSeenEndToEnd) {
    // An overdriven tone not locked to the sample rate, pooled over 30 records of 16384.
    const QStringList capture{"capture",   "--sim",       "--sim-fast", "--config",    "RQ3118.CFG",
                              "--samples", "16384",       "--records",  "30",          "--sim-tone",
                              "9973.1",    "--sim-level", "0.3",        "--sim-noise", "0.2",
                              "--json",    "--linearity", "sine"};
    const Outcome r =
        run(capture + QStringList{"--sim-missing-code", "1500", "--sim-wide-code", "2600"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto records = r.objects();
    ASSERT_EQ(records.size(), 30u);
    const QJsonObject l = records.back()["linearity"].toObject();
    EXPECT_EQ(l["records"].toInt(), 30);
    EXPECT_EQ(l["samples"].toInt(), 30 * 16384);
    EXPECT_EQ(l["missing_codes"].toArray(), QJsonArray{1500});
    EXPECT_EQ(l["dnl"].toObject()["min_code"].toInt(), 1500);
    EXPECT_NEAR(l["dnl"].toObject()["max"].toDouble(), 1.0, 0.25);
    EXPECT_EQ(l["first_code"].toInt(), 1);  // overdriven: only the end codes left out
    EXPECT_EQ(l["left_out_below"].toInt(), 1);
    const QJsonArray dnl = l["dnl_per_code"].toArray();
    EXPECT_EQ(dnl.size(), 4094);
    EXPECT_NEAR(dnl[1501 - 1].toDouble(), 1.0, 0.25);  // the missing code's width went up
    EXPECT_NEAR(dnl[2600 - 1].toDouble(), 1.0, 0.25);  // the wide code
    EXPECT_NEAR(dnl[2000 - 1].toDouble(), 0.0, 0.25);
    // Each record's linearity rests on the records so far.
    EXPECT_EQ(records.front()["linearity"].toObject()["records"].toInt(), 1);
    const QJsonArray firstWarnings = records.front()["warnings"].toArray();
    EXPECT_TRUE(std::any_of(firstWarnings.begin(), firstWarnings.end(), [](const QJsonValue& w) {
        return w.toObject()["code"].toString() == "few_samples_per_code";
    }));

    // A bow alone, in two's complement, with codes numbered as the records number them.
    const Outcome bowed = run({"capture",
                               "--sim",
                               "--sim-fast",
                               "--config",
                               "RQ3118TC.CFG",
                               "--samples",
                               "16384",
                               "--records",
                               "30",
                               "--sim-tone",
                               "9973.1",
                               "--sim-level",
                               "0.3",
                               "--sim-noise",
                               "0.2",
                               "--json",
                               "--linearity",
                               "sine",
                               "--sim-inl-bow",
                               "2",
                               "--sim-missing-code",
                               "-100"});
    ASSERT_EQ(bowed.status, 0) << bowed.err.toStdString();
    const QJsonObject b = bowed.objects().back()["linearity"].toObject();
    EXPECT_EQ(b["missing_codes"].toArray(), QJsonArray{-100});
    EXPECT_EQ(b["first_code"].toInt(), -2047);
    EXPECT_NEAR(b["inl_end_point"].toObject()["max"].toDouble(), 2.0, 0.3);

    for (const QStringList& bad : {QStringList{"--sim-missing-code", "4095"},
                                   {"--sim-wide-code", "0"},
                                   {"--sim-inl-bow", "1e9"},
                                   {"--window", "kaiser"}}) {
        const Outcome refused =
            run(QStringList{"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG"} + bad);
        EXPECT_EQ(refused.status, 1) << bad.join(' ').toStdString();
        EXPECT_FALSE(refused.err.contains("Board Reset")) << bad.join(' ').toStdString();
    }
}

TEST_F(Ctl, CaptureFiguresAverageThePowerSpectra) {
    // A level below zero is a value, not an option.
    const Outcome r =
        run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--json", "--metrics",
             "--avg", "--records", "4", "--sim-level", "-6", "--sim-tone", "9863.28125"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto records = r.objects();
    ASSERT_EQ(records.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        const QJsonObject m = records[k]["metrics"].toObject();
        EXPECT_EQ(m["records_averaged"].toInt(), k + 1);
        EXPECT_NEAR(m["fundamental"].toObject()["dbfs"].toDouble(), -6.0, 0.02);
        // 0.5 LSB of noise and the quantiser's on 12 bits, whatever the count.
        EXPECT_NEAR(m["snr_db"].toDouble(), 61.9, 0.6) << k;
    }
}

TEST_F(Ctl, PlotsSpectrumCsvAndReportFiles) {
    record("tone.dat", tone(1024, 101, 1500));
    const Outcome r =
        run({"analyze", "tone.dat", "--plot", "spectrum.png", "--plot-time", "time.svg",
             "--plot-histogram", "histogram.pdf", "--plot-linearity", "linearity.png",
             "--spectrum-csv", "spectrum.csv", "--pdf", "report.pdf", "--fit"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto head = [&](const char* name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_TRUE(head("spectrum.png").startsWith("\x89PNG"));
    EXPECT_TRUE(head("linearity.png").startsWith("\x89PNG"));
    EXPECT_TRUE(head("time.svg").contains("<svg"));
    EXPECT_TRUE(head("histogram.pdf").startsWith("%PDF"));
    const QByteArray report = head("report.pdf");
    EXPECT_TRUE(report.startsWith("%PDF"));
    EXPECT_EQ(report.count("/Type /Page\n") + report.count("/Type /Page\r"), 2);
    // Each plot is drawn from the record, so a PNG holds more than an empty frame.
    EXPECT_GT(head("spectrum.png").size(), 20000);

    const QList<QByteArray> csv = head("spectrum.csv").split('\n');
    ASSERT_EQ(csv.size(), 1 + 513 + 1);  // heading, DC to Nyquist, the final line's end
    EXPECT_EQ(csv[0], "frequency_hz,dbfs");
    EXPECT_TRUE(csv[1].startsWith("0,"));
    EXPECT_TRUE(csv[513].startsWith("50000,"));
    const QList<QByteArray> peak = csv[1 + 101].split(',');
    EXPECT_DOUBLE_EQ(peak[0].toDouble(), 101 * 100000.0 / 1024);
    EXPECT_NEAR(peak[1].toDouble(), 20 * std::log10(1500 / 2048.0), 0.01);

    // A report of a capture; a report without its file; files that cannot be written.
    const Outcome captured =
        run({"report", "--config", "RQ3118.CFG", "--sim", "--sim-fast", "--pdf", "capture.pdf"});
    EXPECT_EQ(captured.status, 0) << captured.err.toStdString();
    EXPECT_TRUE(head("capture.pdf").startsWith("%PDF"));
    const Outcome none = run({"report", "tone.dat"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains("--pdf"));
    const Outcome unwritable = run({"report", "tone.dat", "--pdf", "no/such/dir/r.pdf"});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(unwritable.err.contains("rq3118ctl: cannot write no/such/dir/r.pdf: "));
    record("thousand.dat", tone(1000, 100, 1000));
    const Outcome noSpectrum = run({"analyze", "thousand.dat", "--plot", "x.png"});
    EXPECT_EQ(noSpectrum.status, 2);
    EXPECT_TRUE(noSpectrum.err.contains("not a power of two"));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.png")));
}

TEST_F(Ctl, KnownFrequencyFitAndTheClockReallySet) {
    // 580000 Hz asked: the crystal over 68 periods gives 588235.29 Hz, and the simulated tone
    // is a tone at that rate.
    const Outcome sim =
        run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--rate", "580000",
             "--samples", "1024", "--sim-tone", "290123", "--fit", "--metrics", "--json"});
    ASSERT_EQ(sim.status, 0) << sim.err.toStdString();
    const QJsonObject fit = sim.object()["fit"].toObject();
    EXPECT_EQ(fit["frequency_source"].toString(), "simulated");
    EXPECT_NEAR(fit["three_parameter"].toObject()["frequency_hz"].toDouble(), 290123.0, 1e-6);
    const double measured =
        sim.object()["metrics"].toObject()["fundamental"].toObject()["frequency_hz"].toDouble();
    EXPECT_NEAR(measured, 290123.0, 1.0);

    const QString file = record("tone.dat", tone(1024, 37, 1800));
    const Outcome given =
        run({"analyze", file, "--fit", "--json", "--rate", "1024", "--fit-frequency", "37"});
    ASSERT_EQ(given.status, 0) << given.err.toStdString();
    const QJsonObject g = given.object()["fit"].toObject();
    EXPECT_EQ(g["frequency_source"].toString(), "given");
    EXPECT_DOUBLE_EQ(g["three_parameter"].toObject()["frequency_hz"].toDouble(), 37.0);
    EXPECT_EQ(
        run({"analyze", file, "--fit", "--json"}).object()["fit"].toObject()["frequency_source"],
        "estimated");
    EXPECT_EQ(run({"analyze", file, "--fit", "--fit-frequency", "-3"}).status, 1);
}

TEST_F(Ctl, WarningsAndLimits) {
    const QString file = record("tone.dat", tone(1024, 37, 1800));
    // Read as 8-bit codes, the record lies mostly outside the converter.
    const Outcome narrow = run({"analyze", file, "--json", "--bits", "8"});
    ASSERT_EQ(narrow.status, 0) << narrow.err.toStdString();
    const QJsonArray warnings = narrow.object()["warnings"].toArray();
    ASSERT_FALSE(warnings.isEmpty());
    const auto outside = std::find_if(warnings.begin(), warnings.end(), [](const QJsonValue& w) {
        return w.toObject()["code"].toString() == "outside_bits";
    });
    ASSERT_NE(outside, warnings.end());
    EXPECT_GT(outside->toObject()["count"].toInt(), 500);
    EXPECT_TRUE(run({"analyze", file, "--json"}).object()["warnings"].toArray().isEmpty());

    write("pass.lim", "# acceptance\nSNR >= 40\nthd <= -50\n");
    write("fail.lim", "SNR >= 40\nENOB > 15\n");
    write("bad.lim", "SNR >= 40\nSNDR > 1\n");
    const Outcome pass = run({"analyze", file, "--metrics", "--json", "--limits", "pass.lim"});
    EXPECT_EQ(pass.status, 0) << pass.err.toStdString();
    EXPECT_EQ(pass.object()["verdict"].toString(), "PASS");
    const Outcome fail = run({"analyze", file, "--metrics", "--json", "--limits", "fail.lim"});
    EXPECT_EQ(fail.status, 4);
    // The result, then the line that says why the command failed.
    const auto lines = fail.objects();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["verdict"].toString(), "FAIL");
    EXPECT_EQ(lines[1]["exit_status"].toInt(), 4);
    EXPECT_TRUE(lines[1]["error"].toObject()["text"].toString().contains("ENOB > 15"));
    const QJsonArray limits = lines[0]["limits"].toArray();
    ASSERT_EQ(limits.size(), 2);
    EXPECT_TRUE(limits[0].toObject()["pass"].toBool());
    EXPECT_FALSE(limits[1].toObject()["pass"].toBool());
    const Outcome bad = run({"analyze", file, "--metrics", "--limits", "bad.lim"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains("line 2")) << bad.err.toStdString();
    // A board that fails says so before any limit does.
    EXPECT_EQ(run({"capture", "--sim", "--sim-fast", "--config", "RQ3118.CFG", "--sim-fault",
                   "no-board", "--metrics", "--limits", "fail.lim"})
                  .status,
              3);
}

TEST_F(Ctl, ReportCarriesVerdictDeviceWarningsAndStaticFigures) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    write("fail.lim", "SNR >= 40\nENOB > 15\n");
    const Outcome r =
        run({"report",    "--config",  "RQ3118.CFG", "--sim",      "--sim-fast", "--samples",
             "4096",      "--records", "3",          "--sim-tone", "9973.1",     "--linearity",
             "sine",      "--pdf",     "r.pdf",      "--serial",   "SN-0042",    "--operator",
             "A. Tester", "--limits",  "fail.lim"});
    EXPECT_EQ(r.status, 4) << r.err.toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), dir.filePath("r.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    // Undo the ligatures the text is set with ("fi", "ff").
    const QString pages = QString::fromUtf8(text.readAllStandardOutput())
                              .replace(QChar(0xFB01), QStringLiteral("fi"))
                              .replace(QChar(0xFB00), QStringLiteral("ff"));
    for (const char* expected :
         {"Verdict: FAIL", "2 limits, 1 failed", "rq3118ctl 2.0.0", "Serial number: SN-0042",
          "Operator: A. Tester", "Supplies:", "Input range: 0 to 5 V",
          "Figures from record 3 of 3 (the last)", "few_samples_per_code", "THD (H2–H6)", "Static",
          "DNL", "Missing codes", "Gain error", "ENOB > 15"}) {
        EXPECT_TRUE(pages.contains(QString::fromUtf8(expected))) << expected;
    }
}
