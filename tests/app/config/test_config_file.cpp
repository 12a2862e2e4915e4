// Protects the configuration file loader: header check, key matching by prefix and first
// occurrence, value reading and defaults, the supply flags, and each refusal with its message
// and the members it leaves behind.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Fakes.h"
#include "config/ConfigFile.h"

using namespace rq;

namespace {

class ConfigFileTest : public ::testing::Test {
protected:
    QString write(const QString& text) {
        const QString path = dir.filePath(QStringLiteral("T%1.CFG").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toLatin1());
        return path;
    }
    int16_t load(const QString& text) { return LoadConfigFile(state, write(text), boxes); }

    QTemporaryDir dir;
    int files = 0;
    ProgramState state;
    test::FakeMessageBoxes boxes;
    Settings& s = state.CurrentSettings;
};

const char* const kExample =
    "[VELMAR BOARD]\r\nPARTNAME:RQ3118\r\nPROGRAMNAME:VMB.EXE\r\nSAMPLEFREQUENCY:100000\r\n"
    "MAXSAMPLEFREQUENCY:580000\r\nSAMPLES:1024\r\n+/-15V:OFF\r\nDVDD:3V ON\r\nAVDD:5V ON\r\n"
    "BUS:ON\r\nDATAFORMAT:BINARY\r\nNUMBEROFBITS:12\r\nINPUTVMAX:5\r\nINPUTVMIN:0\r\n";

}  // namespace

TEST_F(ConfigFileTest, ExampleFileFillsTheRecordAndTheLatch) {
    state.BoardLatch.setLatch(Latch::AllOff);
    EXPECT_EQ(load(kExample), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(s.PartName, "RQ3118");
    EXPECT_EQ(s.EXEName, "VMB.EXE");
    EXPECT_EQ(s.SampleFreq, 100000);
    EXPECT_EQ(s.Max_Frequency, 580000);
    EXPECT_EQ(s.NumberOfSamples, 2);
    EXPECT_EQ(s.DataFormat, 0);
    EXPECT_EQ(s.NumberOfBits, 12);
    EXPECT_EQ(s.InputVMax, 5.0);
    EXPECT_EQ(s.InputVMin, 0.0);
    // DVDD 3 V on, AVDD 5 V on, bus switches on, +/-15 V off.
    EXPECT_EQ(state.BoardLatch.latch(), 0x80 | 0x40 | 0x08 | 0x04);
    EXPECT_EQ(state.ConfigEntries.size(), 13);
}

TEST_F(ConfigFileTest, HeaderIsFoundInAnyCaseOnTheFirstLineOnly) {
    EXPECT_EQ(load("[velmar board] evaluation\r\nPROGRAMNAME:X.EXE\r\n"), 0);
    EXPECT_EQ(load("\r\n; comment\r\n[VELMAR BOARD]\r\nPROGRAMNAME:X.EXE\r\n"), 2);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "This is not a valid CFG file");
    EXPECT_EQ(boxes.shown[0].title, "File Selection Error");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(boxes.shown[0].buttons, MsgButtons::Ok);
}

TEST_F(ConfigFileTest, MissingProgramNameAsksAndCancelEmptiesThePartName) {
    s.SampleFreq = 1234;
    EXPECT_EQ(load("[VELMAR BOARD]\r\n"), 2);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "This file does not contian an EXE filename to load.\r\nPlease select a valid INI "
              "file.");
    EXPECT_EQ(boxes.shown[0].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(s.PartName, "");
    EXPECT_EQ(s.SampleFreq, 1234);  // looked up after the program name: untouched
}

TEST_F(ConfigFileTest, RetryReadsTheFileAfresh) {
    const QString path = write("[VELMAR BOARD]\r\nPARTNAME:First\r\n");
    // The user mends the file while the question is up.
    struct Mending : test::FakeMessageBoxes {
        QString path;
        MsgResult show(const QString& t, const QString& ti, MsgIcon i, MsgButtons b) override {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write("[VELMAR BOARD]\r\nPARTNAME:Second\r\nPROGRAMNAME:P.EXE\r\n");
            return test::FakeMessageBoxes::show(t, ti, i, b);
        }
    } mending;
    mending.path = path;
    mending.answers = {MsgResult::Retry};
    EXPECT_EQ(LoadConfigFile(state, path, mending), 0);
    EXPECT_EQ(mending.shown.size(), 1u);
    EXPECT_EQ(s.PartName, "Second");
    EXPECT_EQ(s.EXEName, "P.EXE");
}

TEST_F(ConfigFileTest, KeysMatchByPrefixWithoutCaseAndTheFirstOccurrenceWins) {
    EXPECT_EQ(load("[VELMAR BOARD]\r\n  partname:lower, after comma\r\nPROGRAMNAME: SP.EXE\r\n"
                   "MAXSAMPLEFREQUENCY:580000\r\nSAMPLEFREQUENCY:200000\r\nSAMPLES:4096\r\n"
                   "PARTNAME:second\r\nSAMPLEFREQUENCY:300000\r\n"),
              0);
    EXPECT_EQ(s.PartName, "lower");
    EXPECT_EQ(s.EXEName, " SP.EXE");  // the blank after the colon stays
    EXPECT_EQ(s.SampleFreq, 200000);
    EXPECT_EQ(s.Max_Frequency, 580000);
    EXPECT_EQ(s.NumberOfSamples, 4);
}

TEST_F(ConfigFileTest, ValuesDefaultsAndEntriesWithoutAColon) {
    EXPECT_EQ(load("[VELMAR BOARD]\r\nPROGRAMNAME:P.EXE\r\nSAMPLEFREQUENCY\r\nPARTNAMEONLY\r\n"
                   "SAMPLES:3000\r\nNUMBEROFBITS:14.5\r\nINPUTVMAX:&H4\r\n"),
              0);
    EXPECT_EQ(s.PartName, "PARTNAMEONLY");
    EXPECT_EQ(s.SampleFreq, 0);  // the value is the whole item, which starts with letters
    EXPECT_EQ(s.Max_Frequency, 250000);
    EXPECT_EQ(s.NumberOfSamples, 4);  // log2(3000 / 256) = 3.55
    EXPECT_EQ(s.NumberOfBits, 14);    // halves to even
    EXPECT_EQ(s.InputVMax, 4.0);
    EXPECT_EQ(s.InputVMin, 0.0);
    EXPECT_EQ(s.DataFormat, 0);

    EXPECT_EQ(load("[VELMAR BOARD]\r\nPROGRAMNAME:P.EXE\r\nSAMPLEFREQUENCY:100000 Hz\r\n"), 0);
    EXPECT_EQ(s.SampleFreq, 100000);
    EXPECT_EQ(s.PartName, "Unknown");
    EXPECT_EQ(s.NumberOfBits, 12);
    EXPECT_EQ(s.InputVMax, 5.0);
}

TEST_F(ConfigFileTest, SupplyAndFormatEntriesLookAtTheWholeItem) {
    EXPECT_EQ(load("[VELMAR BOARD]\r\nPROGRAMNAME:P.EXE\r\n+/-15V:none\r\nDVDD:5V OFF\r\n"
                   "AVDD:3.3V on\r\nDATAFORMAT:2's complement\r\n"),
              0);
    const Latch& l = state.BoardLatch;
    EXPECT_TRUE(l.HiSupply());  // "NONE" contains "ON"
    EXPECT_TRUE(l.DVDD());
    EXPECT_FALSE(l.DigiON_OFF());
    EXPECT_FALSE(l.AVDD());
    EXPECT_TRUE(l.AVDD_On_Off());
    EXPECT_FALSE(l.ENA_QS());
    EXPECT_EQ(s.DataFormat, 1);
    EXPECT_EQ(l.latch(), 0x20 | 0x10 | 0x08);

    EXPECT_EQ(load("[VELMAR BOARD]\r\nPROGRAMNAME:P.EXE\r\ndataformat:Binary offset\r\n"), 0);
    EXPECT_EQ(s.DataFormat, 0);
    // Absent supply keys set both voltage selections false: 3 V and 3.3 V.
    EXPECT_EQ(state.BoardLatch.latch(), 0x90);
}

TEST_F(ConfigFileTest, ZeroSamplesFailsPartWayAndKeepsWhatWasWritten) {
    state.BoardLatch.setLatch(0x55);
    s.NumberOfBits = 10;
    s.NumberOfSamples = 5;
    EXPECT_EQ(load("[VELMAR BOARD]\r\nPARTNAME:Half\r\nPROGRAMNAME:H.EXE\r\n"
                   "SAMPLEFREQUENCY:150000\r\nMAXSAMPLEFREQUENCY:300000\r\nSAMPLES:0\r\n"
                   "NUMBEROFBITS:16\r\nBUS:ON\r\n"),
              2);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "An Unexpected Error (Code:5 Occurred.\r\nPlease check the synthax of the .INI "
              "file.");
    EXPECT_EQ(boxes.shown[0].title, "Error");
    EXPECT_EQ(s.PartName, "Half");
    EXPECT_EQ(s.EXEName, "H.EXE");
    EXPECT_EQ(s.SampleFreq, 150000);
    EXPECT_EQ(s.Max_Frequency, 300000);
    EXPECT_EQ(s.NumberOfSamples, 5);
    EXPECT_EQ(s.NumberOfBits, 10);
    EXPECT_EQ(state.BoardLatch.latch(), 0x55);
}

TEST_F(ConfigFileTest, UnexpectedFailuresNameTheirNumber) {
    EXPECT_EQ(load(""), 2);
    EXPECT_EQ(LoadConfigFile(state, dir.filePath("MISSING.CFG"), boxes), 2);
    EXPECT_EQ(load("[VELMAR BOARD]\r\nPROGRAMNAME:P.EXE\r\nSAMPLEFREQUENCY:1E12\r\n"), 2);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("An Unexpected Error (Code:62 Occurred."));
    EXPECT_TRUE(boxes.shown[1].text.startsWith("An Unexpected Error (Code:53 Occurred."));
    EXPECT_TRUE(boxes.shown[2].text.startsWith("An Unexpected Error (Code:6 Occurred."));
}

TEST_F(ConfigFileTest, ExampleFilesLoad) {
    for (const char* name : {"RQ3118.CFG", "RQ3118TC.CFG", "RQ3116.CFG"}) {
        EXPECT_EQ(LoadConfigFile(state, QStringLiteral(RQ_EXAMPLES_DIR "/") + name, boxes), 0)
            << name;
        EXPECT_EQ(s.EXEName, "VMB.EXE");
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(s.NumberOfBits, 16);
    EXPECT_EQ(s.SampleFreq, 50000);
}
