#include "FullFileSystem.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace rq::test {
namespace {

const char* const kFiller = ".filler";

// A mount namespace of this process's own, so that the mount goes with the process. Refused
// once the process has threads; the mount is then made where everyone sees it, and undone by
// the destructor.
void privateMounts() {
    static const bool done = [] {
        if (::unshare(CLONE_NEWNS) != 0) {
            return false;
        }
        return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }();
    (void)done;
}

}  // namespace

FullFileSystem::~FullFileSystem() {
    if (m_mounted) {
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
}

QString FullFileSystem::mount(int kibibytes) {
    if (!m_dir.isValid()) {
        return QStringLiteral("no temporary folder");
    }
    if (::geteuid() != 0) {
        return QStringLiteral("mounting a tmpfs needs root");
    }
    privateMounts();
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0777";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
        return QStringLiteral("mount: ") + QString::fromLocal8Bit(std::strerror(errno));
    }
    m_mounted = true;
    return QString();
}

void FullFileSystem::fill() {
    const int fd = ::open(QFile::encodeName(filePath(QString::fromLatin1(kFiller))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) {
        return;
    }
    // Blocks first, then whatever bytes still fit.
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), block.size()) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

void FullFileSystem::drain() {
    QFile::remove(filePath(QString::fromLatin1(kFiller)));
}

void FullFileSystem::put(const QString& name, const QByteArray& bytes) {
    QFile f(filePath(name));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
    }
}

QByteArray FullFileSystem::read(const QString& name) const {
    QFile f(filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FullFileSystem::entries() const {
    QStringList names =
        QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(QString::fromLatin1(kFiller));
    return names;
}

}  // namespace rq::test
