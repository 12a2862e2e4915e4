#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace rq::test {

// A small tmpfs of the test's own, filled to its last block, so that a write meets the real
// "No space left on device" of a full disk rather than a mock of it. Mounting needs root; the
// mount goes into a mount namespace of the test process where it can (children such as a
// command-line program under test see it too), so nothing outlives the test.
class FullFileSystem {
public:
    FullFileSystem() = default;
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;
    ~FullFileSystem();

    // Mounts an empty file system of the given size; returns why not when it cannot (the test
    // then skips), an empty text when it is there.
    QString mount(int kibibytes = 64);
    // Takes every free block with a filler file.
    void fill();
    // Removes the filler again.
    void drain();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // A file put there before the file system is filled.
    void put(const QString& name, const QByteArray& bytes);
    QByteArray read(const QString& name) const;
    // The names in the folder, the filler left out.
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

}  // namespace rq::test

// Skips the test when the file system cannot be mounted.
#define RQ_MOUNT_FULL_FS_OR_SKIP(fs, ...)                                          \
    do {                                                                           \
        const QString why = (fs).mount(__VA_ARGS__);                               \
        if (!why.isEmpty()) {                                                      \
            GTEST_SKIP() << "no small file system to fill: " << why.toStdString(); \
        }                                                                          \
    } while (false)
