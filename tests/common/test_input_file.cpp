// Protects the one way input files are read: only regular files, never more than a kind of
// file can hold, and never a wait on a FIFO or a device that has no end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "common/InputFile.h"
#include "common/NumberedError.h"

using rq::readInputFile;

namespace {

rq::NumberedError refusal(const QString& path, int64_t limit) {
    try {
        readInputFile(path, limit, QStringLiteral("data file"));
    } catch (const rq::NumberedError& e) {
        return e;
    }
    return rq::NumberedError(0, QString(), QString());
}

}  // namespace

TEST(InputFile, RegularFilesUpToTheirBoundAreRead) {
    QTemporaryDir dir;
    QFile f(dir.filePath("ten.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0123456789");
    f.close();
    EXPECT_EQ(readInputFile(f.fileName(), 10, "data file"), QByteArray("0123456789"));
    const rq::NumberedError big = refusal(f.fileName(), 9);
    EXPECT_EQ(big.number(), 75);
    EXPECT_TRUE(
        big.description().contains("10 bytes, larger than any data file can be (at most 9)"))
        << qPrintable(big.description());

    QFile empty(dir.filePath("empty.dat"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(readInputFile(empty.fileName(), 10, "data file"), QByteArray());

    EXPECT_EQ(refusal(dir.filePath("none.dat"), 10).number(), 53);
    EXPECT_EQ(refusal(QString(), 10).number(), 53);
}

TEST(InputFile, DevicesDirectoriesAndFifosAreRefusedAtOnce) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    for (const QString& path : {QStringLiteral("/dev/zero"), dir.path(), fifo}) {
        const rq::NumberedError e = refusal(path, 1 << 20);
        EXPECT_EQ(e.number(), 75) << qPrintable(path);
        EXPECT_TRUE(e.description().contains("is not a regular file, so it cannot be a data file"))
            << qPrintable(e.description());
    }
    // Opening a FIFO with no writer would block for ever.
    EXPECT_LT(clock.elapsed(), 2000);
}
