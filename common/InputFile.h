#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rq {

// The largest input file of each kind the program reads. None of them can be valid beyond
// this: a configuration holds a dozen entries, a DSP program at most 32767 words, a data file at
// most 32767 values (the program writes each in at most 320 characters, the largest double in
// "0.000000"). The bound keeps a device such as /dev/zero, or a file of gigabytes, from being
// read into memory.
namespace InputLimit {
constexpr int64_t ConfigFile = 1 << 20;
constexpr int64_t DspProgramFile = 4 << 20;
constexpr int64_t DataFile = 16 << 20;
}  // namespace InputLimit

// Reads a whole input file of at most maxBytes. Only regular files are read: a FIFO, a device
// or a directory is refused without blocking on it. Raises 53 when the file does not exist and
// 75 when it is not a regular file, is larger than maxBytes or cannot be read; the description
// says which, naming the file as `kind` (for example "data file").
QByteArray readInputFile(const QString& path, int64_t maxBytes, const QString& kind);

}  // namespace rq
