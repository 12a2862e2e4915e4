#include "common/AtomicFile.h"

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace rq {

WriteFailure::WriteFailure(QString path, QString reason)
    : NumberedError(RuntimeError::PathFileAccess, QStringLiteral("RQ3118"), std::move(reason)),
      m_path(std::move(path)) {}

// Unbuffered: QSaveFile's own buffer would hold a small file until the commit, where a failed
// flush goes unnoticed and a cut file takes the target's place.
AtomicFile::AtomicFile(const QString& path) : m_path(path), m_file(path) {
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail(m_file.errorString());
    }
}

// QSaveFile removes a temporary file it never committed.
AtomicFile::~AtomicFile() = default;

void AtomicFile::fail(const QString& reason) {
    const QString why = reason.isEmpty() || reason == u"Unknown error"
                            ? QStringLiteral("the file could not be written")
                            : reason;
    if (m_file.isOpen()) {
        // With writing cancelled the commit only removes the temporary file.
        m_file.cancelWriting();
        m_file.commit();
    }
    throw WriteFailure(m_path, why);
}

void AtomicFile::write(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return;
    }
    const qint64 written = m_file.write(bytes.data(), bytes.size());
    if (written != bytes.size()) {
        fail(m_file.errorString());
    }
}

void AtomicFile::commit() {
#ifdef Q_OS_UNIX
    // A file system that reserves space late (network, some quotas) may refuse the data only
    // here; QSaveFile syncs too but does not look at the answer.
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        fail(qt_error_string(errno));
    }
#endif
    if (!m_file.commit()) {
        const QString reason = m_file.errorString();
        throw WriteFailure(m_path, reason.isEmpty() || reason == u"Unknown error"
                                       ? QStringLiteral("the file could not be put in place")
                                       : reason);
    }
}

void writeFileAtomically(const QString& path, QByteArrayView content) {
    AtomicFile file(path);
    file.write(content);
    file.commit();
}

}  // namespace rq
