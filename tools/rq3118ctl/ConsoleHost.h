#pragma once

#include <QStringList>
#include <optional>

#include "common/HostInterfaces.h"
#include "common/NumberedError.h"

namespace rqctl {

// The message list on standard error: one line each, failures marked. Only the last line is
// kept: a capture adds one per record, and a run of a day must not keep them all.
class ConsoleMessageList : public rq::MessageList {
public:
    void AddItem(const QString& text, std::optional<uint32_t> colour = std::nullopt) override;
    void Clear() override { last.clear(); }
    QString last;
    bool quiet = false;
};

// Message boxes without a screen: the last text is kept (and each written to standard error
// unless quiet), and a question is answered with Cancel, so nothing waits for a user.
class ConsoleMessageBoxes : public rq::MessageBoxes {
public:
    rq::MsgResult show(const QString& text, const QString& title, rq::MsgIcon icon,
                       rq::MsgButtons buttons) override;
    QString last;
    bool quiet = false;
};

// Writes a line to standard output or standard error.
void printOut(const QString& text);
void printErr(const QString& text);

// Why a command ends with a status other than 0: its error number, where it arose and what the
// user was told. With --json it becomes the last line of standard output, so that a script
// reading JSON lines always gets an answer.
struct Failure {
    int number = 0;
    QString source;
    QString text;
};
// Keeps the failure the command is about to end with (the last one given counts).
void setFailure(int number, const QString& source, const QString& text);
// Keeps a failure whose text is the line last written to standard error.
void setFailureFromLastMessage(int number, const QString& source);
// The failure kept, if any; each call hands it over once.
std::optional<Failure> takeFailure();
// The line last written to standard error (empty before the first).
QString lastErrorLine();
// The JSON line of a failure: {"error": {"number", "source", "text"}, "exit_status"}.
QString failureJson(const Failure& failure, int status);
// Why an output file was not written: "rq3118ctl: cannot write PATH: REASON" when the file
// system refused it, "PATH: cannot be written (WHY)" when there was nothing to write.
void printNotWritten(const QString& path, const rq::NumberedError& error);

}  // namespace rqctl
