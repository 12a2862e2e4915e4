// Protects the analysis steps of the file and capture dispatches: a spectrum that fails shows the
// control's failure read-outs and the dispatch goes on to the histogram, only a pending
// conversion failure or a failed histogram stops it, and a save of FFTData finds data only once
// a spectrum has sized it.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "Fakes.h"
#include "acquire/AcquisitionSession.h"
#include "acquire/Analysis.h"
#include "acquire/DataFiles.h"
#include "acquire/ScreenlessView.h"

using namespace rq;

namespace {

std::vector<double> tone(int n) {
    std::vector<double> codes;
    for (int i = 0; i < n; ++i) {
        codes.push_back(std::round(2048 + 1500 * std::sin(2 * M_PI * 37.3 * i / n)));
    }
    return codes;
}

struct Dispatch {
    ProgramState state;
    Analysers analysers;
    test::FakeFileDialogs dialogs;
    test::FakeMessageBoxes boxes;
    test::FakeMessageList messages;
    test::FakeYield yield;
    ScreenlessView view{analysers, messages, boxes, yield};
    AcquisitionSession session{state, view};
    QTemporaryDir dir;

    std::optional<DispatchFailure> load(std::vector<double> codes) {
        state.Record.SampleData = std::move(codes);
        state.Record.sampleDimensioned = true;
        return session.dispatchLoadedRecord();
    }
    // "S&ave FFT Data" into a file; what it wrote, or nothing when it refused.
    std::optional<QByteArray> saveSpectrum() {
        const QString path = dir.filePath("fft.dat");
        QFile::remove(path);
        dialogs.answers.push_back(path);
        boxes.shown.clear();
        rq::saveSpectrum(state, dialogs, boxes);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        return f.readAll();
    }
};

}  // namespace

TEST(FileDispatch, SpectrumThatFailsLeavesItsReadOutsAndTheHistogramIsDrawn) {
    Dispatch d;
    EXPECT_EQ(d.load(tone(1000)), std::nullopt);
    const FftAnalysis& fft = d.analysers.fft;
    EXPECT_EQ(fft.lastError(), 531);
    EXPECT_EQ(fft.lastErrorText(), "record length 1000 is not a power of two");
    EXPECT_EQ(fft.SNR(), 0.0);
    EXPECT_EQ(fft.THD(), 0.0);
    EXPECT_EQ(fft.peakFrequency(), 0.0);
    EXPECT_EQ(d.analysers.histogram.results[0], "1000");
    EXPECT_EQ(d.state.Record.VoltsData.size(), 1000u);
    EXPECT_EQ(samplesReadLine(1000), "1000 Data Samples Read");

    // No spectrum has sized FFTData yet: nothing to save.
    EXPECT_TRUE(d.state.Record.FFTData.empty());
    EXPECT_EQ(d.saveSpectrum(), std::nullopt);
    ASSERT_EQ(d.boxes.shown.size(), 1u);
    EXPECT_EQ(d.boxes.shown[0].text, "There is no data to save.");
}

TEST(FileDispatch, LaterFailureKeepsTheSpectrumsSizeAsZeros) {
    Dispatch d;
    ASSERT_EQ(d.load(tone(1024)), std::nullopt);
    EXPECT_EQ(d.analysers.fft.lastError(), 0);
    EXPECT_TRUE(d.analysers.fft.lastErrorText().isEmpty());
    ASSERT_EQ(d.state.Record.FFTData.size(), 512u);

    EXPECT_EQ(d.load(std::vector<double>(1024, 0.0)), std::nullopt);
    EXPECT_EQ(d.analysers.fft.lastErrorText(), "every value of the record is 0");
    EXPECT_EQ(d.state.Record.FFTData, std::vector<double>(512, 0.0));
    const std::optional<QByteArray> saved = d.saveSpectrum();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->count("0.000000\r\n"), 512);
    EXPECT_TRUE(d.boxes.shown.empty());
}

TEST(FileDispatch, OnlyAPendingConversionOrTheHistogramStopsIt) {
    Dispatch d;
    // One value: the spectrum fails quietly, the histogram's deviation divides by zero.
    const std::optional<DispatchFailure> one = d.load({2048});
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->number, 533);
    EXPECT_EQ(one->cause, 11);
    EXPECT_EQ(one->message, "Error 533:11 occured while calculating Histogram");

    // The steps one by one: a failed conversion is reported at the spectrum's check, after the
    // spectrum ran.
    d.state.Record.SampleData.clear();
    const int pending = convertLoadedRecord(d.state);
    EXPECT_EQ(pending, 9);
    const std::optional<DispatchFailure> spectrum =
        spectrumOfLoadedRecord(d.state, d.analysers, pending, std::nullopt);
    ASSERT_TRUE(spectrum.has_value());
    EXPECT_EQ(spectrum->message, "Error 531:9 occured while calculating FFT");
    EXPECT_EQ(d.analysers.fft.lastErrorText(), "record length 0 is too short for a spectrum");
}

TEST(CaptureDispatch, SpectrumThatFailsDoesNotMakeFFTDataSaveable) {
    Dispatch d;
    d.state.CurrentSettings.SampleFreq = 100000;
    const auto analyse = [&d] {
        spectrumOfRecord(d.state, d.analysers, d.state.CurrentSettings.SampleFreq);
        histogramOfRecord(d.state, d.analysers);
    };
    d.state.Record.SampleData = std::vector<double>(256, 0.0);
    analyse();
    EXPECT_FALSE(d.state.Record.fftDimensioned);
    EXPECT_EQ(d.analysers.histogram.results[0], "256");
    d.state.Record.SampleData = tone(256);
    analyse();
    EXPECT_TRUE(d.state.Record.fftDimensioned);
    EXPECT_EQ(d.state.Record.FFTData.size(), 128u);
}

// What follows "N Data Samples Read" after a raw load: the items that held no number in red, and
// the codes the converter of the current settings cannot give in the list's own colour.
TEST(LoadedRecordChecks, CodesOutsideTheConvertersRangeAndItemsThatWereNoNumbers) {
    ProgramState state;
    Settings& s = state.CurrentSettings;
    s.NumberOfBits = 12;
    s.DataFormat = 0;
    state.Record.SampleData = {-1, 0, 2048, 4095, 4095.5, 4096, -2048, -2049, 2047};
    EXPECT_EQ(checkLoadedRecord(state).outsideRange, 5);  // -1, 4095.5, 4096, -2048, -2049
    s.DataFormat = 1;
    const LoadedRecordChecks twos = checkLoadedRecord(state);
    EXPECT_EQ(twos.range.lowest, -2048);
    EXPECT_EQ(twos.range.highest, 2047);
    EXPECT_EQ(twos.outsideRange, 5);  // 2048, 4095, 4095.5, 4096, -2049
    s.NumberOfBits = 16;
    EXPECT_EQ(checkLoadedRecord(state).outsideRange, 0);

    test::FakeMessageList list;
    state.Record.loadedNotNumbers = 3;
    s.NumberOfBits = 12;
    s.DataFormat = 0;
    reportLoadedRecord(state, list);
    ASSERT_EQ(list.lines.size(), 3u);
    EXPECT_EQ(list.lines[0].text, "9 Data Samples Read");
    EXPECT_EQ(list.lines[1].text, "3 items were not numbers and read as 0");
    EXPECT_EQ(list.lines[1].colour, 255u);
    EXPECT_EQ(list.lines[2].text, "5 values outside 0 to 4095");
    EXPECT_EQ(list.lines[2].colour, std::nullopt);

    // A clean record says only how many samples it has.
    list.lines.clear();
    state.Record.loadedNotNumbers = 0;
    state.Record.SampleData = {0, 4095};
    reportLoadedRecord(state, list);
    EXPECT_EQ(list.texts(), QStringList{"2 Data Samples Read"});
}
