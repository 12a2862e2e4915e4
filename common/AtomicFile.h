#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

#include "common/NumberedError.h"

// The one way the program and its tools write a file: whole or not at all. The bytes go to a
// temporary file beside the target, each write is checked as it reaches the file system, and
// only the commit puts the new file in the target's place; until then, and after any failure,
// the target keeps what it held (a new name stays absent).
namespace rq {

// A file that could not be written: error 75 (path or file access), the path as it was given,
// and the system's reason as the description.
class WriteFailure : public NumberedError {
public:
    WriteFailure(QString path, QString reason);
    const QString& path() const { return m_path; }
    const QString& reason() const { return description(); }

private:
    QString m_path;
};

class AtomicFile {
public:
    // Opens the temporary file; raises WriteFailure when it cannot be made.
    explicit AtomicFile(const QString& path);
    // A file never committed is thrown away, leaving the target as it was.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Raises WriteFailure when the bytes do not all reach the file system.
    void write(QByteArrayView bytes);
    // Flushes the file to its storage and puts it in the target's place; raises WriteFailure
    // (and leaves the target as it was) when either fails.
    void commit();

    const QString& path() const { return m_path; }

private:
    [[noreturn]] void fail(const QString& reason);

    QString m_path;
    QSaveFile m_file;
};

// A whole file in one go.
void writeFileAtomically(const QString& path, QByteArrayView content);

}  // namespace rq
