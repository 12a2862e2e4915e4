// What the fuzz targets share: the input as a file the parsers can open, hosts that answer
// every question without a user, and a check that stops the run when an invariant breaks.
#pragma once

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "common/HostInterfaces.h"

namespace rq::fuzz {

// Stops the run with a message; libFuzzer keeps the input that got here.
#define RQ_FUZZ_CHECK(condition)                                                         \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                      \
            std::abort();                                                                \
        }                                                                                \
    } while (false)

// One file per process, rewritten for each input, in memory where the system has it.
inline QString inputFile(const uint8_t* data, size_t size, const char* suffix) {
    static const QString path = [suffix] {
        const QString folder = QDir(QStringLiteral("/dev/shm")).exists()
                                   ? QStringLiteral("/dev/shm")
                                   : QDir::tempPath();
        return QStringLiteral("%1/rq3118-fuzz-%2%3")
            .arg(folder)
            .arg(::getpid())
            .arg(QString::fromLatin1(suffix));
    }();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::abort();
    }
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    f.close();
    return path;
}

// Message boxes that answer Cancel where they can (a Retry would read the same file for ever).
class Boxes : public MessageBoxes {
public:
    MsgResult show(const QString& text, const QString&, MsgIcon, MsgButtons buttons) override {
        last = text;
        ++count;
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    }
    QString last;
    int count = 0;
};

class Messages : public MessageList {
public:
    void AddItem(const QString& text, std::optional<uint32_t> = std::nullopt) override {
        last = text;
    }
    void Clear() override {}
    QString last;
};

class NoYield : public Yield {
public:
    void yield() override {}
};

// A watchdog that ticks on the first yield after it is enabled, so a wait ends at once.
class Timer : public WatchdogTimer {
public:
    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }

private:
    int m_interval = 0;
    bool m_enabled = false;
};

}  // namespace rq::fuzz
