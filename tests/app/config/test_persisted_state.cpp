// Protects what is kept between runs: the switches that decide it, the keys, defaults and value
// texts of the store, values that do not convert, where a restored window off every screen goes,
// a store that cannot be written (a full disk),
// and the time-out switch.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "FullFileSystem.h"
#include "config/PersistedState.h"

using namespace rq;

namespace {

struct FakeWindow : MainWindowPlacement {
    double l = 100, t = 200, w = 300, h = 400;
    int summaries = 0;
    QStringList order;
    double left() const override { return l; }
    double top() const override { return t; }
    double width() const override { return w; }
    double height() const override { return h; }
    void setLeft(double v) override {
        l = v;
        order << "Left";
    }
    void setTop(double v) override {
        t = v;
        order << "Top";
    }
    void setWidth(double v) override {
        w = v;
        order << "Width";
    }
    void setHeight(double v) override {
        h = v;
        order << "Height";
    }
    ScreenAreas screens() const override { return areas; }
    void ShowConfiguration() override { ++summaries; }
    ScreenAreas areas;
};

// A 1280 x 1024 px screen with a 30 px panel at its bottom, in twips.
ScreenAreas oneScreen() {
    return {{QRect(0, 0, 19200, 14910)}, QRect(0, 0, 19200, 15360), QRect(0, 0, 19200, 14910)};
}

// Records the order of reads and writes on top of a real store.
struct RecordingStore : QSettingsStore {
    using QSettingsStore::QSettingsStore;
    QStringList reads, writes;
    QString get(const QString& a, const QString& s, const QString& k, const QString& d) override {
        reads << k;
        return QSettingsStore::get(a, s, k, d);
    }
    void save(const QString& a, const QString& s, const QString& k, const QString& v) override {
        writes << k + "=" + v;
        QSettingsStore::save(a, s, k, v);
    }
};

class PersistedStateTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingStore store{dir.path()};
    ProgramState state;
    FakeWindow window;
    Settings& s = state.CurrentSettings;
};

}  // namespace

TEST_F(PersistedStateTest, NothingHappensWithoutTheSwitches) {
    state.commandLine = CommandLine("/SS");
    s.EchoComms = true;
    RestoreSettings(state, store, window);
    SaveSettings(state, store, window);
    DeleteSavedSettings(state, store);
    EXPECT_TRUE(store.reads.isEmpty());
    EXPECT_TRUE(store.writes.isEmpty());
    EXPECT_EQ(window.summaries, 0);
    EXPECT_FALSE(s.EchoComms);
}

TEST_F(PersistedStateTest, RestoreFromAnEmptyStoreGivesTheDefaults) {
    state.commandLine = CommandLine("/getting /e");
    RestoreSettings(state, store, window);
    EXPECT_EQ(window.order, (QStringList{"Left", "Top", "Width", "Height"}));
    EXPECT_EQ(window.l, 0);
    EXPECT_EQ(window.t, 0);
    EXPECT_EQ(window.w, 9465);
    EXPECT_EQ(window.h, 7170);
    EXPECT_EQ(s.PartName, "VMB");
    EXPECT_EQ(s.EXEName, "VMB.EXE");
    EXPECT_EQ(s.NumberOfBits, 12);
    EXPECT_EQ(s.DataFormat, 0);
    EXPECT_EQ(s.InputVMax, 5.0);
    EXPECT_EQ(s.InputVMin, 0.0);
    EXPECT_EQ(s.Max_Frequency, 250000);
    EXPECT_EQ(s.NumberOfSamples, 0);
    EXPECT_EQ(s.SampleFreq, 100000);
    EXPECT_FALSE(s.DisplayMode);
    EXPECT_EQ(window.summaries, 1);
    EXPECT_TRUE(s.EchoComms);
    EXPECT_EQ(store.reads.mid(4, 3), (QStringList{"DataFormat", "DisplayMode", "EXEName"}));
    EXPECT_EQ(store.reads.mid(7, 2), (QStringList{"InputVMax", "InputVMin"}));
}

TEST_F(PersistedStateTest, SaveThenRestoreCarriesGeometryAndConfiguration) {
    state.commandLine = CommandLine("/SAVE");
    window.l = 1234.5;
    s.PartName = "RQ3118";
    s.EXEName = "VMB.EXE";
    s.InputVMin = -2.5;
    s.InputVMax = 2.5;
    s.NumberOfBits = 14;
    s.DataFormat = 1;
    s.Max_Frequency = 580000;
    s.NumberOfSamples = 3;
    s.SampleFreq = 250000;
    s.DisplayMode = true;
    SaveSettings(state, store, window);
    EXPECT_EQ(store.writes,
              (QStringList{"Left=1234.5", "Top=200", "Width=300", "Height=400", "DataFormat=1",
                           "DisplayMode=True", "EXEName=VMB.EXE", "InputVMin=-2.5", "InputVMax=2.5",
                           "Max_Frequency=580000", "NumberOfBits=14", "NumberOfSamples=3",
                           "PartName=RQ3118", "SampleFreq=250000"}));

    ProgramState next;
    next.commandLine = CommandLine("/GET");
    FakeWindow other;
    RestoreSettings(next, store, other);
    EXPECT_EQ(other.l, 1234.5);
    EXPECT_EQ(other.h, 400);
    EXPECT_EQ(next.CurrentSettings.InputVMin, -2.5);
    EXPECT_EQ(next.CurrentSettings.InputVMax, 2.5);
    EXPECT_EQ(next.CurrentSettings.NumberOfBits, 14);
    EXPECT_EQ(next.CurrentSettings.SampleFreq, 250000);
    EXPECT_TRUE(next.CurrentSettings.DisplayMode);
    EXPECT_FALSE(next.CurrentSettings.EchoComms);

    // Texts come back as they went, commas, quotes and blanks included.
    s.PartName = " RQ3118, \"rev B\" ";
    s.EXEName = "DIR/VMB 2.EXE";
    SaveSettings(state, store, window);
    RestoreSettings(next, store, other);
    EXPECT_EQ(next.CurrentSettings.PartName, s.PartName);
    EXPECT_EQ(next.CurrentSettings.EXEName, s.EXEName);
}

TEST_F(PersistedStateTest, BooleanTextsAndValuesThatDoNotConvert) {
    state.commandLine = CommandLine("/GET");
    const auto put = [&](const char* key, const char* value) {
        store.save(StoreApplication, "Configuration", key, value);
    };
    put("DisplayMode", "0");
    put("NumberOfBits", "sixteen");
    put("SampleFreq", "99999999999");
    put("DataFormat", "0.5");
    put("InputVMax", "");
    store.save(StoreApplication, "Position", "Width", "wide");
    s.NumberOfBits = 10;
    s.SampleFreq = 1000;
    s.InputVMax = 3.3;
    s.DisplayMode = true;
    s.DataFormat = 1;
    RestoreSettings(state, store, window);
    EXPECT_FALSE(s.DisplayMode);
    EXPECT_EQ(s.NumberOfBits, 10);
    EXPECT_EQ(s.SampleFreq, 1000);
    EXPECT_EQ(s.InputVMax, 3.3);
    EXPECT_EQ(s.DataFormat, 0);  // halves to even
    EXPECT_EQ(window.w, 300);
    EXPECT_EQ(window.summaries, 1);

    put("DisplayMode", "True");
    RestoreSettings(state, store, window);
    EXPECT_TRUE(s.DisplayMode);
    put("DisplayMode", "False");
    RestoreSettings(state, store, window);
    EXPECT_FALSE(s.DisplayMode);
}

TEST_F(PersistedStateTest, SaveAndDeleteTogetherLeaveNothing) {
    state.commandLine = CommandLine("/DEL");
    DeleteSavedSettings(state, store);  // nothing stored: quiet
    state.commandLine = CommandLine("/save/del");
    SaveSettings(state, store, window);
    DeleteSavedSettings(state, store);
    EXPECT_EQ(store.get(StoreApplication, "Configuration", "PartName", "absent"), "absent");
    EXPECT_EQ(store.get(StoreApplication, "Position", "Left", "absent"), "absent");
}

TEST(ReadTimeOutSwitch, DigitsAfterTheSwitch) {
    struct Row {
        const char* line;
        int32_t expected;
    } rows[] = {{"/T:250 /E", 250},
                {"/e /t:42", 42},
                {"/T:", 1},
                {"/T:x5", 1},
                {"/T:7b", 7},
                {"/SS", 1000},
                {"/T:99999999999", 1000},
                // Upper-casing "ß" gives "SS": the digits are still read after the switch.
                {"stra\u00dfe /T:250", 250},
                {"\u00df\u00df\u00df/t:12", 12}};
    for (const Row& r : rows) {
        ProgramState state;
        state.CurrentSettings.TimeOut = 1000;
        state.commandLine = CommandLine(QString::fromUtf8(r.line));
        ReadTimeOutSwitch(state);
        EXPECT_EQ(state.CurrentSettings.TimeOut, r.expected) << r.line;
    }
}

// The design size centred on the 1280 x 1024 px screen, as at start-up.
const QRect kCentred(4867, 4095, 9465, 7170);

TEST(PlaceRestoredWindow, AWindowWhoseTitleBarCanBeTakenHoldOfStaysAsRead) {
    const ScreenAreas screen = oneScreen();
    for (const QRect r : {QRect(1500, 300, 10500, 8100), QRect(0, 0, 9465, 7170),
                          // 100 px of title bar at the right edge, the whole bar at the bottom
                          QRect(19200 - 1500, 0, 9465, 7170), QRect(0, 14910 - 300, 9465, 7170),
                          // hanging off the left, and larger than the screen
                          QRect(-9465 + 1500, 600, 9465, 7170), QRect(0, 0, 30000, 30000)}) {
        EXPECT_EQ(placeRestoredWindow(r, screen), r) << r.x() << "," << r.y();
    }
}

TEST(PlaceRestoredWindow, LessThan100By20PxOfTitleBarOnAScreenCentresOnThePrimary) {
    const ScreenAreas screen = oneScreen();
    for (const QRect r : {QRect(30000, 0, 9465, 7170), QRect(19200 - 1485, 0, 9465, 7170),
                          QRect(-9465 + 1485, 0, 9465, 7170), QRect(0, -15, 9465, 7170),
                          QRect(0, 14910 - 285, 9465, 7170), QRect(0, 0, 1485, 7170)}) {
        EXPECT_EQ(placeRestoredWindow(r, screen).topLeft(),
                  QPoint(4867 + (9465 - r.width()) / 2, 4095))
            << r.x() << "," << r.y();
    }
    EXPECT_EQ(placeRestoredWindow(QRect(30000, 0, 9465, 7170), screen), kCentred);
}

TEST(PlaceRestoredWindow, AnOffScreenSizeIsCutToThePrimaryAvailableArea) {
    const ScreenAreas screen = oneScreen();
    // The frame of a window made as large as it goes, at -32767 px.
    EXPECT_EQ(placeRestoredWindow(QRect(-491505, -491505, 500000, 400000), screen),
              QRect(0, 225, 19200, 14910));
    EXPECT_EQ(placeRestoredWindow(QRect(-491505, -491505, 9465, 400000), screen),
              QRect(4867, 225, 9465, 14910));
}

TEST(PlaceRestoredWindow, AnyScreenCountsAndTheCentringIsOnThePrimary) {
    // A second screen to the right, 1920 x 1080 px, without panels; the primary is the first.
    ScreenAreas two = oneScreen();
    two.available.push_back(QRect(19200, 0, 28800, 16200));
    const QRect onSecond(30000, 300, 9465, 7170);
    EXPECT_EQ(placeRestoredWindow(onSecond, two), onSecond);
    EXPECT_EQ(placeRestoredWindow(QRect(19200 + 28800, 300, 9465, 7170), two), kCentred);
    // Without any screen to ask there is nothing to go by.
    EXPECT_EQ(placeRestoredWindow(QRect(30000, 0, 9465, 7170), ScreenAreas{}),
              QRect(30000, 0, 9465, 7170));
}

TEST_F(PersistedStateTest, RestoreReadsAllFourPositionKeysBeforeItMovesAnOffScreenWindow) {
    state.commandLine = CommandLine("/GET");
    window.areas = oneScreen();
    store.save(StoreApplication, "Position", "Left", "30000");
    store.save(StoreApplication, "Position", "Width", "9465");
    store.save(StoreApplication, "Position", "Height", "7170");
    RestoreSettings(state, store, window);
    EXPECT_EQ(store.reads.mid(0, 4), (QStringList{"Left", "Top", "Width", "Height"}));
    EXPECT_EQ(QRect(int(window.l), int(window.t), int(window.w), int(window.h)), kCentred);

    // On the screen: as read.
    store.save(StoreApplication, "Position", "Left", "1500");
    RestoreSettings(state, store, window);
    EXPECT_EQ(QRect(int(window.l), int(window.t), int(window.w), int(window.h)),
              QRect(1500, 0, 9465, 7170));
}

TEST_F(PersistedStateTest, AStoreOnAFullDiskFailsTheSaveAndKeepsWhatItHeld) {
    test::FullFileSystem fs;
    RQ_MOUNT_FULL_FS_OR_SKIP(fs);
    RecordingStore full(fs.path());
    full.save("VelmarBoard", "Position", "Left", "1");
    const QByteArray before = fs.read("VelmarBoard.ini");
    fs.fill();
    state.commandLine = CommandLine("/SAVE");
    s.PartName = "RQ3118";
    const std::optional<WriteFailure> failure = SaveSettings(state, full, window);
    ASSERT_TRUE(failure) << "a save on a full disk reported success";
    EXPECT_EQ(failure->path(), full.fileFor("VelmarBoard"));
    EXPECT_EQ(full.writes, QStringList{"Left=1"} << "Left=100");  // ended at the first refusal
    EXPECT_EQ(fs.read("VelmarBoard.ini"), before);
    EXPECT_EQ(saveFailureText(*failure), "An Error Occurred While Writing This File.\r\n" +
                                             full.fileFor("VelmarBoard") +
                                             "\r\n(Error 75: the file could not be written)");
    fs.drain();
    EXPECT_FALSE(SaveSettings(state, full, window));
    EXPECT_EQ(full.get("VelmarBoard", "Configuration", "PartName", ""), "RQ3118");
}
