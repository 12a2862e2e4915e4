#include "rq3118ctl/ConsoleHost.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <utility>

#include "common/AtomicFile.h"

namespace rqctl {

void printOut(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

namespace {

QString& lastLine() {
    static QString line;
    return line;
}

std::optional<Failure>& kept() {
    static std::optional<Failure> failure;
    return failure;
}

}  // namespace

void printErr(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    lastLine() = text;
}

void setFailure(int number, const QString& source, const QString& text) {
    kept() = Failure{number, source, text};
}

void setFailureFromLastMessage(int number, const QString& source) {
    setFailure(number, source, lastLine());
}

std::optional<Failure> takeFailure() {
    return std::exchange(kept(), std::nullopt);
}

QString lastErrorLine() {
    return lastLine();
}

QString failureJson(const Failure& failure, int status) {
    const QJsonObject error{{QStringLiteral("number"), failure.number},
                            {QStringLiteral("source"), failure.source},
                            {QStringLiteral("text"), failure.text}};
    const QJsonObject line{{QStringLiteral("error"), error},
                           {QStringLiteral("exit_status"), status}};
    return QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact));
}

void printNotWritten(const QString& path, const rq::NumberedError& error) {
    if (const auto* failure = dynamic_cast<const rq::WriteFailure*>(&error)) {
        printErr(QStringLiteral("rq3118ctl: cannot write %1: %2")
                     .arg(failure->path(), failure->reason()));
    } else {
        printErr(QStringLiteral("%1: cannot be written (%2)").arg(path, error.description()));
    }
}

void ConsoleMessageList::AddItem(const QString& text, std::optional<uint32_t> colour) {
    last = text;
    if (!quiet) {
        printErr(colour == 255u ? QStringLiteral("! ") + text : text);
    }
}

rq::MsgResult ConsoleMessageBoxes::show(const QString& text, const QString& title, rq::MsgIcon,
                                        rq::MsgButtons buttons) {
    last = text;
    if (!quiet) {
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        printErr((title.isEmpty() ? QString() : title + QStringLiteral(": ")) + shown);
    }
    switch (buttons) {
        case rq::MsgButtons::RetryCancel:
        case rq::MsgButtons::OkCancel:
        case rq::MsgButtons::YesNoCancel:
            return rq::MsgResult::Cancel;
        case rq::MsgButtons::YesNo:
            return rq::MsgResult::No;
        case rq::MsgButtons::AbortRetryIgnore:
            return rq::MsgResult::Abort;
        default:
            return rq::MsgResult::Ok;
    }
}

}  // namespace rqctl
