#pragma once

// rq3118ctl run as a user runs it: a process in a folder, its exit status and what it printed.
#include <gtest/gtest.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <vector>

namespace rq::test {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
    // The JSON objects of standard output, one per line.
    std::vector<QJsonObject> objects() const {
        std::vector<QJsonObject> list;
        for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
            list.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
        }
        return list;
    }
    // The one object of a run that printed one; empty otherwise.
    QJsonObject object() const {
        const auto list = objects();
        return list.size() == 1 ? list.front() : QJsonObject();
    }
};

inline Outcome runCtl(const QString& folder, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(RQ3118CTL), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace rq::test
