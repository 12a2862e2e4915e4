// Protects the setup window's Load without a window: the real reset, file reader, frequency fit
// and download against the simulated board, with what each failure shows and what the outcome
// says of it.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "SimLink.h"
#include "board/DspProgram.h"
#include "config/ConfigurationLoad.h"
#include "config/SetupRules.h"

using namespace rq;

namespace {

// A host that records what the load asked of it, and when.
struct RecordingHost : ConfigurationLoadHost {
    bool goOn = true;
    int refusedFiles = 0;
    int reads = 0;
    std::optional<int> frequencyRefusal;  // its number, when the fit was refused
    int chosen = 0;
    QStringList linesWhenChosen;
    std::optional<QStringList> linesWhenStarted;
    const test::FakeMessageList* messages = nullptr;

    bool goOnWithoutBoard() override { return goOn; }
    void configurationRefused(const QString&) override { ++refusedFiles; }
    void configurationRead(Settings& s) override {
        ++reads;
        s.EXEName = QStringLiteral(RQ_EXAMPLES_DIR "/VMB.EXE");
    }
    void frequencyChosen(const NumberedError* refusal) override {
        ++chosen;
        if (refusal != nullptr) {
            frequencyRefusal = refusal->number();
        }
        linesWhenChosen = messages->texts();
    }
    void programStarted() override { linesWhenStarted = messages->texts(); }
};

class ConfigurationLoadTest : public ::testing::Test {
protected:
    explicit ConfigurationLoadTest(const SimBoardSettings& s = test::immediateSettings())
        : link(s) {
        link.state.BoardClock.setCrystalFrequency(40000000);
        host.messages = &link.messages;
    }
    QString write(const char* name, const QByteArray& text) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    }
    ConfigurationLoadOutcome load(const QString& file) {
        return loadConfiguration(link.state, link.comms, file, frequencies, windows, host);
    }
    QStringList titles() const {
        QStringList out;
        for (const auto& b : link.boxes.shown) {
            out << b.title;
        }
        return out;
    }

    QTemporaryDir dir;
    test::SimLink link;
    FrequencyList frequencies;
    ResetNotifications windows;
    RecordingHost host;
    const QString example = QStringLiteral(RQ_EXAMPLES_DIR "/RQ3118.CFG");
};

}  // namespace

TEST_F(ConfigurationLoadTest, ExampleStartsItsProgramAtTheConfiguredFrequency) {
    const ConfigurationLoadOutcome out = load(example);
    EXPECT_TRUE(out.boardAnswered);
    EXPECT_TRUE(out.fileTaken());
    EXPECT_FALSE(out.frequencyRefusal);
    ASSERT_TRUE(out.download);
    EXPECT_EQ(*out.download, DspResult::Started);
    EXPECT_TRUE(out.programRunning());
    EXPECT_TRUE(link.boxes.shown.empty());
    EXPECT_EQ(link.messages.texts(), (QStringList{"Board Reset", "Program Running"}));
    EXPECT_EQ(link.messages.clears, 1);
    const Settings& s = link.state.CurrentSettings;
    EXPECT_TRUE(s.ProgramLoaded);
    EXPECT_EQ(s.PartName, "RQ3118");
    EXPECT_EQ(s.SampleFreq, 100000);
    EXPECT_EQ(link.state.BoardClock.actualSampleRate(), 100000.0);
    EXPECT_EQ(frequencies.text(), "100000");
    EXPECT_EQ(frequencies.selected(), 1);
}

TEST_F(ConfigurationLoadTest, TheFittedFrequencyIsShownBeforeTheDownload) {
    load(example);
    EXPECT_EQ(host.reads, 1);
    EXPECT_EQ(host.chosen, 1);
    EXPECT_FALSE(host.frequencyRefusal);
    EXPECT_EQ(host.linesWhenChosen, QStringList{"Board Reset"});
}

TEST_F(ConfigurationLoadTest, TheStartIsToldBeforeProgramRunningIsListed) {
    load(example);
    EXPECT_EQ(host.linesWhenStarted, QStringList{"Board Reset"});
}

TEST_F(ConfigurationLoadTest, AFrequencyOutsideTheListJoinsItInOrder) {
    const QString file = write("ODD.CFG",
                               "[VELMAR BOARD]\r\nPROGRAMNAME:VMB.EXE\r\nSAMPLEFREQUENCY:123456\r\n"
                               "MAXSAMPLEFREQUENCY:580000\r\n");
    EXPECT_TRUE(load(file).programRunning());
    EXPECT_EQ(frequencies.text(), "123456");
    EXPECT_EQ(frequencies.entries().at(frequencies.selected() - 1), "100000");
    EXPECT_EQ(link.state.CurrentSettings.SampleFreq, 123456);
}

TEST_F(ConfigurationLoadTest, AFrequencyTheClockRefusesEndsTheLoadBeforeTheDownload) {
    const QString file =
        write("SLOW.CFG", "[VELMAR BOARD]\r\nPROGRAMNAME:VMB.EXE\r\nSAMPLEFREQUENCY:3\r\n");
    const ConfigurationLoadOutcome out = load(file);
    EXPECT_TRUE(out.fileTaken());
    ASSERT_TRUE(out.frequencyRefusal);
    EXPECT_EQ(out.frequencyRefusal->number(), RuntimeError::Overflow);
    EXPECT_EQ(host.frequencyRefusal, RuntimeError::Overflow);
    EXPECT_FALSE(out.download);
    EXPECT_FALSE(link.state.CurrentSettings.ProgramLoaded);
    EXPECT_EQ(link.messages.texts(), QStringList{"Board Reset"});
}

namespace {

class SilentBoardLoad : public ConfigurationLoadTest {
protected:
    SilentBoardLoad()
        : ConfigurationLoadTest(test::withFaults(test::immediateSettings(), "no-board")) {}
};

}  // namespace

TEST_F(SilentBoardLoad, TheResetBoxComesBeforeTheFileIsRead) {
    const ConfigurationLoadOutcome out = load(dir.filePath("MISSING.CFG"));
    EXPECT_FALSE(out.boardAnswered);
    ASSERT_EQ(titles(), (QStringList{"Reset Error", "Error"}));
    EXPECT_EQ(link.boxes.shown[0].text,
              "The Velmar Board Failed to Respond\r\nPlease Press the RESET button on the Board.");
    EXPECT_TRUE(link.boxes.shown[1].text.startsWith("An Unexpected Error (Code:53"));
    EXPECT_EQ(link.messages.texts(), (QStringList{"Reset Failure", "Error Loading CFG"}));
}

TEST_F(SilentBoardLoad, GoesOnToTheDownloadWhichFindsNoBoard) {
    const ConfigurationLoadOutcome out = load(example);
    EXPECT_FALSE(out.boardAnswered);
    EXPECT_TRUE(out.fileTaken());
    ASSERT_TRUE(out.download);
    EXPECT_EQ(*out.download, DspResult::BeginFailed);
    EXPECT_EQ(titles(), (QStringList{"Reset Error", "Program Load Error"}));
    EXPECT_TRUE(link.boxes.shown[1].text.contains("(Error 504)"));
    EXPECT_FALSE(link.state.CurrentSettings.ProgramLoaded);
}

TEST_F(SilentBoardLoad, AHostThatNeedsTheBoardStopsAtTheReset) {
    host.goOn = false;
    const ConfigurationLoadOutcome out = load(example);
    EXPECT_FALSE(out.boardAnswered);
    EXPECT_FALSE(out.fileResult);
    EXPECT_FALSE(out.download);
    EXPECT_EQ(host.reads, 0);
    EXPECT_EQ(titles(), QStringList{"Reset Error"});
    EXPECT_EQ(link.messages.texts(), QStringList{"Reset Failure"});
    EXPECT_EQ(link.state.CurrentSettings.PartName, "");
}

TEST_F(ConfigurationLoadTest, AFileWithoutItsProgramAsksUntilCancelled) {
    const QString file = write("NOEXE.CFG", "[VELMAR BOARD]\r\nPARTNAME:Half\r\n");
    link.boxes.answers = {MsgResult::Retry, MsgResult::Cancel};
    const ConfigurationLoadOutcome out = load(file);
    EXPECT_TRUE(out.boardAnswered);
    ASSERT_TRUE(out.fileResult);
    EXPECT_EQ(*out.fileResult, 2);
    EXPECT_TRUE(out.fileFailure.isEmpty());
    EXPECT_EQ(titles(), (QStringList{"File Selection Error", "File Selection Error"}));
    EXPECT_EQ(link.boxes.shown[1].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(host.refusedFiles, 1);
    EXPECT_EQ(host.reads, 0);
    EXPECT_FALSE(out.download);
    EXPECT_EQ(link.messages.texts(), (QStringList{"Board Reset", "Error Loading CFG"}));
    EXPECT_EQ(link.state.CurrentSettings.PartName, "");
    EXPECT_FALSE(link.state.CurrentSettings.ProgramLoaded);
}

TEST_F(ConfigurationLoadTest, AMissingFileNamesItsFailure) {
    const ConfigurationLoadOutcome out = load(dir.filePath("MISSING.CFG"));
    EXPECT_FALSE(out.fileTaken());
    EXPECT_FALSE(out.fileFailure.isEmpty());
    EXPECT_FALSE(out.download);
    EXPECT_EQ(host.refusedFiles, 1);
}

TEST_F(ConfigurationLoadTest, AMissingProgramShowsItsBoxAndLoadsNothing) {
    struct NoProgram : RecordingHost {
        void configurationRead(Settings& s) override { s.EXEName = QStringLiteral("NONE.EXE"); }
    } none;
    none.messages = &link.messages;
    const ConfigurationLoadOutcome out =
        loadConfiguration(link.state, link.comms, example, frequencies, windows, none);
    ASSERT_TRUE(out.download);
    EXPECT_EQ(*out.download, DspResult::NoFile);
    ASSERT_EQ(titles(), QStringList{"Program Load Error"});
    EXPECT_EQ(link.boxes.shown[0].text,
              "The Program File specified by the Configuration\r\nFile could not be found. Please "
              "make sure\r\nit is in the current directory.");
    EXPECT_EQ(link.boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(link.messages.texts(), QStringList{"Board Reset"});
    EXPECT_FALSE(none.linesWhenStarted);
    EXPECT_FALSE(link.state.CurrentSettings.ProgramLoaded);
}

namespace {

class RefusingBoardLoad : public ConfigurationLoadTest {
protected:
    RefusingBoardLoad()
        : ConfigurationLoadTest(test::withFaults(test::immediateSettings(), "refuse=3")) {}
};

}  // namespace

TEST_F(RefusingBoardLoad, AProgramTheBoardRefusesReportsItsError) {
    const ConfigurationLoadOutcome out = load(example);
    EXPECT_TRUE(out.boardAnswered);
    ASSERT_TRUE(out.download);
    EXPECT_EQ(*out.download, DspResult::PacketFailed);
    EXPECT_FALSE(out.programRunning());
    ASSERT_EQ(titles(), QStringList{"Program Load Error"});
    EXPECT_EQ(link.boxes.shown[0].text,
              "Communication with the Velmar Board Failed.\r\n(Error 506)\r\nPlease Reset the "
              "Board and Try Again.");
    EXPECT_FALSE(link.state.CurrentSettings.ProgramLoaded);
}

TEST(ProgramLoadErrorNumber, FileRefusalsAreRunTimeErrorsAndBoardFailuresTheirOwn) {
    EXPECT_EQ(programLoadErrorNumber(DspResult::NoFile), 53);
    EXPECT_EQ(programLoadErrorNumber(DspResult::NotDspFile), 5);
    EXPECT_EQ(programLoadErrorNumber(DspResult::BeginFailed), 504);
    EXPECT_EQ(programLoadErrorNumber(DspResult::LengthFailed), 505);
    EXPECT_EQ(programLoadErrorNumber(DspResult::PacketFailed), 506);
    EXPECT_EQ(programLoadErrorNumber(DspResult::StartFailed), 507);
}
