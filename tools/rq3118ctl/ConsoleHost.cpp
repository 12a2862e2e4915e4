#include "ConsoleHost.h"

#include <cstdio>

#include "AtomicFile.h"

namespace rqctl {

void printOut(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printErr(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
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
    lines << text;
    if (!quiet) {
        printErr(colour == 255u ? QStringLiteral("! ") + text : text);
    }
}

rq::MsgResult ConsoleMessageBoxes::show(const QString& text, const QString& title, rq::MsgIcon,
                                        rq::MsgButtons buttons) {
    texts << text;
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
