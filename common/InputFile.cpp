#include "common/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/NumberedError.h"

namespace rq {
namespace {

[[noreturn]] void refuse(int number, const QString& path, const QString& description) {
    throw NumberedError(number, path, description);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

QByteArray readInputFile(const QString& path, int64_t maxBytes, const QString& kind) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        refuse(RuntimeError::FileNotFound, path, runtimeErrorDescription(53));
    }
    // Non-blocking, so that opening a FIFO nobody writes to returns at once; the type is then
    // checked on what was opened, not on the name, which could change in between.
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            refuse(RuntimeError::FileNotFound, path, runtimeErrorDescription(53));
        }
        refuse(RuntimeError::PathFileAccess, path,
               QStringLiteral("%1 cannot be opened: %2")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) {
        refuse(RuntimeError::PathFileAccess, path, runtimeErrorDescription(75));
    }
    if (!S_ISREG(st.st_mode)) {
        refuse(RuntimeError::PathFileAccess, path,
               QStringLiteral("%1 is not a regular file, so it cannot be a %2").arg(path, kind));
    }
    const auto tooLarge = [&](int64_t size) {
        refuse(RuntimeError::PathFileAccess, path,
               QStringLiteral("%1 is %2 bytes, larger than any %3 can be (at most %4)")
                   .arg(path)
                   .arg(size)
                   .arg(kind)
                   .arg(maxBytes));
    };
    if (st.st_size > maxBytes) {
        tooLarge(st.st_size);
    }
    // The size may change while reading: read one byte past the bound to notice.
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(std::min<int64_t>(st.st_size, maxBytes) + 1));
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxBytes) {
                tooLarge(got);
            }
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t n =
            ::read(file.fd(), bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            refuse(RuntimeError::PathFileAccess, path,
                   QStringLiteral("%1 cannot be read: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got > maxBytes) {
        tooLarge(got);
    }
    bytes.truncate(got);
    return bytes;
}

}  // namespace rq
