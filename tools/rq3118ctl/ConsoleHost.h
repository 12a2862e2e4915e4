#pragma once

#include <QStringList>

#include "HostInterfaces.h"
#include "NumberedError.h"

namespace rqctl {

// The message list on standard error: one line each, failures marked.
class ConsoleMessageList : public rq::MessageList {
public:
    void AddItem(const QString& text, std::optional<uint32_t> colour = std::nullopt) override;
    void Clear() override { lines.clear(); }
    QStringList lines;
    bool quiet = false;
};

// Message boxes without a screen: the text is kept (and written to standard error unless
// quiet), and a question is answered with Cancel, so nothing waits for a user.
class ConsoleMessageBoxes : public rq::MessageBoxes {
public:
    rq::MsgResult show(const QString& text, const QString& title, rq::MsgIcon icon,
                       rq::MsgButtons buttons) override;
    QStringList texts;
    bool quiet = false;
};

// Writes a line to standard output or standard error.
void printOut(const QString& text);
void printErr(const QString& text);

// Why an output file was not written: "rq3118ctl: cannot write PATH: REASON" when the file
// system refused it, "PATH: cannot be written (WHY)" when there was nothing to write.
void printNotWritten(const QString& path, const rq::NumberedError& error);

}  // namespace rqctl
