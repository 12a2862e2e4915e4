// Protects the figures window's rules without a window: its settings in the store (kept, read
// back, brought into range), the request they make against rq3118ctl's, the rate a record is
// analysed at, and the throttle and run counter of a continuous run.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "acquire/AcquisitionSession.h"
#include "config/SettingsStore.h"
#include "figurewindow/FigureSettings.h"

using namespace rq;
using rq::analysis::LinearityInput;
using rq::analysis::WindowKind;

namespace {

struct Store {
    QTemporaryDir dir;
    QSettingsStore store{dir.path()};
    void put(const char* key, const QString& value) {
        store.save(QStringLiteral("RQ3118"), QStringLiteral("ConverterFigures"),
                   QString::fromLatin1(key), value);
    }
};

}  // namespace

TEST(FigureSettingsStore, AnEmptyStoreGivesTheDefaults) {
    Store s;
    const FigureSettings f = loadFigureSettings(s.store);
    EXPECT_EQ(f, FigureSettings{});
    EXPECT_EQ(f.window, WindowKind::PanelBlackmanHarris);
    EXPECT_EQ(f.harmonics, 5);
    EXPECT_FALSE(f.fullScaleBits);
    EXPECT_FALSE(f.linearity);
    EXPECT_EQ(f.loadedFileRate, 100000.0);
}

TEST(FigureSettingsStore, SavedSettingsReadBackUnderTheirOwnSection) {
    Store s;
    FigureSettings f;
    f.window = WindowKind::FlatTop;
    f.fullScaleBits = 14;
    f.averaging = 8;
    f.harmonics = 9;
    f.linearity = LinearityInput::Ramp;
    f.loadedFileRate = 48000.5;
    saveFigureSettings(s.store, f);
    EXPECT_EQ(loadFigureSettings(s.store), f);
    EXPECT_EQ(s.store.get("RQ3118", "ConverterFigures", "Window", ""), "flattop");
    EXPECT_EQ(s.store.get("RQ3118", "ConverterFigures", "Linearity", ""), "ramp");
    // Back to the converter's bits.
    f.fullScaleBits.reset();
    saveFigureSettings(s.store, f);
    EXPECT_FALSE(loadFigureSettings(s.store).fullScaleBits);
}

TEST(FigureSettingsStore, ValuesOutOfRangeOrUnreadableFallBack) {
    Store s;
    s.put("Window", "triangle");
    s.put("Averaging", "100000");
    s.put("Harmonics", "0");
    s.put("Linearity", "cubic");
    s.put("LoadedFileRate", "-5");
    s.put("FullScaleBits", "twelve");
    const FigureSettings f = loadFigureSettings(s.store);
    EXPECT_EQ(f.window, WindowKind::PanelBlackmanHarris);
    EXPECT_EQ(f.averaging, FigureSettings::maxAveraging);
    EXPECT_EQ(f.harmonics, 1);
    EXPECT_FALSE(f.linearity);
    EXPECT_EQ(f.loadedFileRate, 100000.0);
    EXPECT_FALSE(f.fullScaleBits);
}

TEST(FigureSettingsRequest, AsksForTheMetricsAndLeavesFitsAndLinearityToFullRuns) {
    FigureSettings f;
    f.window = WindowKind::Hann;
    f.harmonics = 3;
    f.fullScaleBits = 10;
    f.linearity = LinearityInput::Sine;
    const auto quick = figureRequest(f, false);
    EXPECT_TRUE(quick.metrics);
    EXPECT_FALSE(quick.fitNeeded());
    EXPECT_FALSE(quick.linearityNeeded());
    EXPECT_EQ(quick.window, WindowKind::Hann);
    EXPECT_EQ(quick.harmonics, 3);
    EXPECT_EQ(quick.fullScaleBits, 10);
    EXPECT_FALSE(quick.drawing());
    const auto full = figureRequest(f, true);
    EXPECT_TRUE(full.fitNeeded());
    EXPECT_EQ(full.linearity, LinearityInput::Sine);
}

TEST(FigureSettingsRate, ACaptureTakesTheClockSetAndALoadedFileTheSettingsRate) {
    FigureSettings f;
    f.loadedFileRate = 44100;
    AnalysedRecord capture;
    capture.sampleRate = 100000;
    capture.clockRate = 97656.25;
    EXPECT_EQ(analysisRate(capture, f), 97656.25);
    AnalysedRecord loaded;
    loaded.sampleRate = 100000;
    EXPECT_EQ(analysisRate(loaded, f), 44100.0);
}

TEST(FigureThrottle, LetsOneEventThroughPerInterval) {
    RateLimit limit(200);
    EXPECT_TRUE(limit.take(1000));
    EXPECT_FALSE(limit.take(1100));
    EXPECT_EQ(limit.wait(1150), 50);
    EXPECT_FALSE(limit.take(1199));
    EXPECT_TRUE(limit.take(1200));
    // Refused events do not move the interval on.
    EXPECT_TRUE(limit.take(1400));
    limit.reset();
    EXPECT_TRUE(limit.take(1401));
}

TEST(FigureThrottle, FiveFullRunsASecondAtMostOverAFastRun) {
    RateLimit limit(200);
    int taken = 0;
    for (qint64 t = 0; t < 1000; t += 4) {  // 250 records a second
        taken += limit.take(t) ? 1 : 0;
    }
    EXPECT_EQ(taken, 5);
}

TEST(FigureRunCounter, CountsRecordsAndTheirRateFromTheFirst) {
    RunCounter c;
    c.start(500);
    EXPECT_EQ(c.records(), 0);
    EXPECT_EQ(c.perSecond(), 0.0);
    c.add(1000);
    EXPECT_EQ(c.perSecond(), 0.0);  // one record has no rate yet
    c.add(1100);
    c.add(1200);
    EXPECT_EQ(c.records(), 3);
    EXPECT_DOUBLE_EQ(c.perSecond(), 10.0);
    c.start(5000);
    EXPECT_EQ(c.records(), 0);
}
