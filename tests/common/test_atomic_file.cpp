// Protects the one writer every file goes out through: a file is whole or absent, on a real full
// file system too (where a small file used to be cut at its commit while reported written), and
// a failure names the path and the system's reason.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FullFileSystem.h"
#include "common/AtomicFile.h"

using rq::AtomicFile;
using rq::WriteFailure;
using rq::writeFileAtomically;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The failure of a write, or an empty one when it went through.
std::optional<WriteFailure> attempt(const QString& path, const QByteArray& bytes) {
    try {
        writeFileAtomically(path, bytes);
    } catch (const WriteFailure& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace

TEST(AtomicFile, WritesWholeFilesAndReplacesOnlyAtTheCommit) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.dat");
    writeFileAtomically(path, "first\r\n");
    EXPECT_EQ(readAll(path), "first\r\n");
    {
        AtomicFile file(path);
        file.write("second ");
        file.write("file\r\n");
        EXPECT_EQ(readAll(path), "first\r\n");  // not before the commit
        file.commit();
    }
    EXPECT_EQ(readAll(path), "second file\r\n");
    {
        AtomicFile abandoned(path);
        abandoned.write("never committed");
    }
    EXPECT_EQ(readAll(path), "second file\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.dat"});
    writeFileAtomically(dir.filePath("empty.dat"), QByteArray());
    EXPECT_TRUE(QFile::exists(dir.filePath("empty.dat")));
}

TEST(AtomicFile, FailuresCarryThePathAndTheReason) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("no/such/folder/x.dat");
    const std::optional<WriteFailure> e = attempt(missing, "1\r\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number(), 75);
    EXPECT_EQ(e->path(), missing);
    EXPECT_FALSE(e->reason().isEmpty());
    EXPECT_EQ(e->description(), e->reason());
    const std::optional<WriteFailure> folder = attempt(dir.path(), "1\r\n");
    ASSERT_TRUE(folder);
    EXPECT_FALSE(folder->reason().isEmpty());
}

TEST(AtomicFile, AFullFileSystemKeepsTheOldFileAndLeavesNoNewOne) {
    rq::test::FullFileSystem fs;
    RQ_MOUNT_FULL_FS_OR_SKIP(fs);
    fs.put("old.dat", "1.000000\r\n2.000000\r\n");
    fs.fill();
    // Well under QSaveFile's 16 KiB buffer: the size that used to pass as written.
    const QByteArray small(8000, 'x');
    const std::optional<WriteFailure> over = attempt(fs.filePath("old.dat"), small);
    ASSERT_TRUE(over) << "a save on a full file system reported success";
    EXPECT_EQ(over->reason(), "No space left on device");
    EXPECT_EQ(fs.read("old.dat"), "1.000000\r\n2.000000\r\n");
    const std::optional<WriteFailure> fresh = attempt(fs.filePath("new.dat"), small);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fs.entries(), QStringList{"old.dat"});  // no new file, no temporary left behind

    // Room again: the same write goes through.
    fs.drain();
    EXPECT_FALSE(attempt(fs.filePath("new.dat"), small));
    EXPECT_EQ(fs.read("new.dat"), small);
}
