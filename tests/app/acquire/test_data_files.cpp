// Protects the data files: lenient reading with its count and extremes and the items that held no
// number, the record-length index of a load, the value and binary line formats, saves that write
// the whole record and leave an older file whole on failure (a full disk included), and the
// dialogs' cancels, refusals and Retry.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Fakes.h"
#include "FullFileSystem.h"
#include "acquire/DataFiles.h"
#include "common/NumberedError.h"

using namespace rq;

namespace {

class DataFilesTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& text) {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    QByteArray lines(int n, const QByteArray& line) {
        QByteArray out;
        for (int i = 0; i < n; ++i) {
            out += line + "\r\n";
        }
        return out;
    }

    QTemporaryDir dir;
    ProgramState state;
    test::FakeFileDialogs dialogs;
    test::FakeMessageBoxes boxes;
};

}  // namespace

TEST_F(DataFilesTest, ReadsItemsLenientlyWithTheirExtremes) {
    const DataValues d =
        readDataValues(write("a.dat", "12.000000\r\n-3.5\r\n1,5\r\n\"7\"\r\nx\r\n"));
    EXPECT_EQ(d.values, (std::vector<double>{12, -3.5, 1, 5, 7, 0}));
    EXPECT_EQ(d.MaxValue, 12);
    EXPECT_EQ(d.MinValue, -3.5);
}

TEST_F(DataFilesTest, LoadSetsTheRecordAndItsIndexFromTheCount) {
    for (auto [count, index] : {std::pair{1024, 2}, {1000, 2}, {300, 0}, {8192, 5}}) {
        dialogs.answers = {write("r.dat", lines(count, "2047.000000"))};
        ASSERT_EQ(LoadDataFile(state, dialogs, boxes), FileResult::Done);
        EXPECT_EQ(state.Record.SampleData.size(), static_cast<size_t>(count));
        EXPECT_EQ(state.CurrentSettings.NumberOfSamples, index) << count;
    }
    EXPECT_EQ(dialogs.asked.back().title, "Load A Data File");
    EXPECT_EQ(dialogs.asked.back().filter, "DAT Files|*.dat|All Files|*.*");
    EXPECT_EQ(state.CurrentSettings.MaxValue, 2047);
    EXPECT_EQ(state.CurrentSettings.MinValue, 2047);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DataFilesTest, LoadFailuresAreReportedAndLeaveTheRecord) {
    state.Record.SampleData = {1, 2, 3};
    state.CurrentSettings.NumberOfSamples = 4;
    const QString tooMany = write("big.dat", lines(MaxDataItems + 1, "1"));
    const QString empty = write("empty.dat", "\r\n\r\n");
    for (const QString& path : {tooMany, empty, dir.filePath("missing.dat")}) {
        dialogs.answers = {path};
        EXPECT_EQ(LoadDataFile(state, dialogs, boxes), FileResult::Failed) << path.toStdString();
    }
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(
        "An Error Occurred While Reading This File.\rIt May Not Be A Valid Data File."));
    EXPECT_TRUE(boxes.shown[0].text.endsWith("(Error 6: Overflow)"));
    EXPECT_EQ(boxes.shown[0].title, "Error");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(boxes.shown[1].text.contains("Error 62"));
    EXPECT_TRUE(boxes.shown[2].text.contains("Error 53"));
    EXPECT_EQ(state.Record.SampleData, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(state.CurrentSettings.NumberOfSamples, 4);

    dialogs.answers = {std::nullopt};
    EXPECT_EQ(LoadDataFile(state, dialogs, boxes), FileResult::Cancelled);
    EXPECT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(readDataValues(write("max.dat", lines(MaxDataItems, "1"))).values.size(),
              static_cast<size_t>(MaxDataItems));
}

TEST_F(DataFilesTest, SaveWritesTheWholeRecordAndItRoundTrips) {
    std::vector<double> record;
    for (int i = 0; i < 1000; ++i) {
        // Six decimals exactly, as the file keeps them.
        record.push_back((i % 2 ? -1 : 1) * (i * 4123456.0) / 1e6);
    }
    record[0] = 2047;
    record[1] = -2048;
    state.Record.SampleData = record;
    state.Record.sampleDimensioned = true;
    const QString path = dir.filePath("saved.dat");
    dialogs.answers = {path};
    EXPECT_EQ(saveRawData(state, dialogs, boxes), FileResult::Done);
    EXPECT_EQ(dialogs.asked.back().title, "Save FFT Data");
    EXPECT_TRUE(dialogs.asked.back().promptOverwrite);
    const QByteArray text = read(path);
    EXPECT_TRUE(text.startsWith("2047.000000\r\n-2048.000000\r\n8.246912\r\n"));
    EXPECT_EQ(text.count("\r\n"), 1000);
    EXPECT_EQ(readDataValues(path).values, record);
}

TEST_F(DataFilesTest, FailedSaveKeepsTheOlderFileAndSaysSo) {
    const QString path = write("keep.dat", "1.000000\r\n");
    dialogs.answers = {dir.filePath("no/such/folder/x.dat")};
    EXPECT_EQ(SaveDataFile({5}, dialogs, boxes), FileResult::Failed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("An Error Occurred While Writing This File."));
    EXPECT_EQ(read(path), "1.000000\r\n");
    dialogs.answers = {std::nullopt};
    EXPECT_EQ(SaveDataFile({5}, dialogs, boxes), FileResult::Cancelled);
}

// Every save small enough to sit in a write buffer until the commit used to be reported written
// and leave a cut file on a full disk.
TEST_F(DataFilesTest, SavesOnAFullDiskFailWithTheBoxAndLeaveTheOldFile) {
    test::FullFileSystem fs;
    RQ_MOUNT_FULL_FS_OR_SKIP(fs);
    const QByteArray old = "1.000000\r\n2.000000\r\n";
    fs.put("run1.dat", old);
    fs.fill();
    state.Record.SampleData = std::vector<double>(1024, 2047.0);
    state.Record.sampleDimensioned = true;
    state.Record.FFTData = std::vector<double>(512, -80.5);
    state.Record.fftDimensioned = true;
    const auto save = [&](auto menu, const char* name) {
        boxes.shown.clear();
        dialogs.answers = {fs.filePath(QString::fromLatin1(name))};
        return menu(state, dialogs, boxes);
    };
    using Menu = int16_t (*)(ProgramState&, FileDialogs&, MessageBoxes&);
    for (const char* name : {"run1.dat", "new.dat"}) {
        for (Menu menu : {Menu(saveRawData), Menu(saveSpectrum), Menu(saveBinaryData)}) {
            EXPECT_EQ(save(menu, name), FileResult::Failed) << name;
            ASSERT_EQ(boxes.shown.size(), 1u) << name;
            EXPECT_EQ(boxes.shown[0].text,
                      "An Error Occurred While Writing This File.\r\n"
                      "(Error 75: No space left on device)");
            EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
        }
    }
    EXPECT_EQ(fs.read("run1.dat"), old);
    EXPECT_EQ(fs.entries(), QStringList{"run1.dat"});
    // With room again the same save writes the whole record.
    fs.drain();
    EXPECT_EQ(save(saveRawData, "run1.dat"), FileResult::Done);
    EXPECT_EQ(fs.read("run1.dat"), lines(1024, "2047.000000"));
}

TEST_F(DataFilesTest, ItemsWithoutANumberAreCountedAndReadAsZero) {
    // "x", the two empty items of a lone comma, "NaN" and an empty quoted item hold no number;
    // "-3e1junk" starts with one.
    const DataValues v =
        readDataValues(write("mixed.dat", "12\r\nx\r\n,\r\n NaN\r\n\"\"\r\n-3e1junk\r\n7\r\n"));
    EXPECT_EQ(v.values, (std::vector<double>{12, 0, 0, 0, 0, 0, -30, 7}));
    EXPECT_EQ(v.notNumbers, 5);
    EXPECT_EQ(readDataValues(write("clean.dat", lines(4, "1.5"))).notNumbers, 0);
    dialogs.answers = {write("loaded.dat", "a\r\n1\r\nb\r\n")};
    ASSERT_EQ(LoadDataFile(state, dialogs, boxes), FileResult::Done);
    EXPECT_EQ(state.Record.loadedNotNumbers, 2);
}

TEST_F(DataFilesTest, NothingToSaveBeforeARecordExists) {
    EXPECT_EQ(saveRawData(state, dialogs, boxes), FileResult::Failed);
    EXPECT_EQ(saveSpectrum(state, dialogs, boxes), FileResult::Failed);
    EXPECT_EQ(saveBinaryData(state, dialogs, boxes), FileResult::Failed);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "There is no data to save.");
    EXPECT_EQ(boxes.shown[0].title, "");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(DataFilesTest, BinaryLinesShowSixteenBitsMostSignificantFirst) {
    EXPECT_EQ(binaryLine(0), "0000000000000000");
    EXPECT_EQ(binaryLine(1), "0000000000000001");
    EXPECT_EQ(binaryLine(2047), "0000011111111111");
    EXPECT_EQ(binaryLine(-2048), "1111100000000000");
    EXPECT_EQ(binaryLine(-1), "1111111111111111");
    EXPECT_EQ(binaryLine(65536 + 5), "0000000000000101");
    EXPECT_EQ(binaryLine(2.5), "0000000000000010");

    state.Record.SampleData = {0, -1};
    state.Record.sampleDimensioned = true;
    dialogs.answers = {dir.filePath("b.dat")};
    EXPECT_EQ(saveBinaryData(state, dialogs, boxes), FileResult::Done);
    EXPECT_EQ(read(dir.filePath("b.dat")), "0000000000000000\r\n1111111111111111\r\n");
}

TEST_F(DataFilesTest, FFTLoadRetriesOnRequestAndKeepsTheRecordLength) {
    state.CurrentSettings.NumberOfSamples = 3;
    const QString good = write("s.dat", lines(1024, "-80.5"));
    dialogs.answers = {dir.filePath("bad1.dat"), dir.filePath("bad2.dat"), good};
    boxes.answers = {MsgResult::Retry, MsgResult::Retry};
    EXPECT_EQ(LoadFFTFile(state, dialogs, boxes), FileResult::Done);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text,
              "An Error Occurred While Reading This File.\rIt May Not Be A Valid Data File.");
    EXPECT_EQ(boxes.shown[0].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(dialogs.asked[0].title, "Load an FFT File");
    EXPECT_EQ(state.Record.FFTData.size(), 1024u);
    EXPECT_EQ(state.CurrentSettings.NumberOfSamples, 3);
    EXPECT_EQ(state.CurrentSettings.MaxValue, -80.5);

    dialogs.answers = {dir.filePath("bad3.dat")};
    EXPECT_EQ(LoadFFTFile(state, dialogs, boxes), FileResult::Failed);  // Cancel
    EXPECT_EQ(state.Record.FFTData.size(), 1024u);
}
