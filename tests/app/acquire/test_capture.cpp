// Protects "Sample" on the board side: a record arrives with its analysis and its line, a failed
// capture says so and analyses nothing, and a record-length index the board cannot capture is
// refused before any board traffic instead of waiting for the watchdog.
#include <gtest/gtest.h>

#include "ExampleBoard.h"
#include "acquire/AcquisitionSession.h"
#include "acquire/ScreenlessView.h"

using namespace rq;

namespace {

struct Board : test::SimLink {
    Analysers analysers;
    ScreenlessView view{analysers, messages, boxes, yield};
    AcquisitionSession session{state, view, &comms};
    explicit Board(const SimBoardSettings& s = test::immediateSettings()) : SimLink(s) {
        loaded = test::startExampleProgram(*this);
    }
    int16_t loaded = -1;
};

}  // namespace

TEST(TakeSamples, RecordArrivesWithItsAnalysisAndLine) {
    for (int16_t index : {int16_t(0), int16_t(6)}) {
        Board b;
        ASSERT_EQ(b.loaded, DspResult::Started);
        b.state.CurrentSettings.NumberOfSamples = index;
        ASSERT_TRUE(b.session.TakeSamples());
        const size_t n = size_t{256} << index;
        EXPECT_EQ(b.state.Record.SampleData.size(), n);
        EXPECT_EQ(b.state.Record.VoltsData.size(), n);
        EXPECT_EQ(b.state.Record.FFTData.size(), n / 2);
        EXPECT_TRUE(b.state.CurrentSettings.DataLoaded);
        EXPECT_EQ(b.messages.texts(), QStringList{QString("%1 Data Samples Uploaded").arg(n)});
        EXPECT_EQ(b.analysers.fft.lastError(), 0);
    }
}

TEST(TakeSamples, IndexTheBoardCannotCaptureIsRefusedBeforeAnyTraffic) {
    for (int16_t index : {int16_t(7), int16_t(23), int16_t(-1)}) {
        Board b;
        const int64_t commands = b.board.commandCount();
        b.state.CurrentSettings.NumberOfSamples = index;
        EXPECT_FALSE(b.session.TakeSamples());
        EXPECT_EQ(b.board.commandCount(), commands);
        EXPECT_EQ(b.yield.count, 0);  // no wait for the watchdog
        ASSERT_EQ(b.boxes.shown.size(), 1u);
        EXPECT_EQ(b.boxes.shown[0].title, "Record Length Error");
        EXPECT_TRUE(b.boxes.shown[0].text.contains(QString("index %1 ").arg(index)));
        ASSERT_EQ(b.messages.lines.size(), 1u);
        EXPECT_EQ(b.messages.lines[0].text, "Data Upload Failure");
        EXPECT_EQ(b.messages.lines[0].colour, 255u);
        EXPECT_FALSE(b.state.CurrentSettings.DataLoaded);
    }
}

TEST(TakeSamples, CaptureThatTimesOutAnalysesNothing) {
    Board b(test::withFaults(test::immediateSettings(), "endless-capture"));
    b.tickAfterYields = 50;
    EXPECT_FALSE(b.session.TakeSamples());
    EXPECT_EQ(b.messages.texts(), QStringList{"Data Upload Failure"});
    EXPECT_TRUE(b.state.Record.FFTData.empty());
    EXPECT_FALSE(b.state.CurrentSettings.DataLoaded);
}
