#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The few ways the core reaches the user and the windows. The windows implement them, the
// command-line front end implements them for a terminal, and the tests fake them.
namespace rq {

// A line-oriented message list; colour 255 (red) marks failures.
class MessageList {
public:
    virtual ~MessageList() = default;
    virtual void AddItem(const QString& text, std::optional<uint32_t> colour = std::nullopt) = 0;
    virtual void Clear() = 0;
};

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgResult { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// Modal message boxes: the text (lines joined by CR LF or CR as the caller builds it), a title
// (empty: the program's own name), an icon and a button set; returns the button pressed.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgResult show(const QString& text, const QString& title, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

// File open and save dialogs. The filter is in "Label|pattern|Label|pattern" form. An empty
// result means the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> openFile(const QString& title, const QString& filter) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            bool promptOverwrite) = 0;
};

// One turn of the user-interface event loop, so timers and buttons get their chance during a
// long board operation.
class Yield {
public:
    virtual ~Yield() = default;
    virtual void yield() = 0;
    // A turn for a caller that is only polling something that sends no event (the board's
    // line): when nothing is pending it may wait a little for an event, about a millisecond at
    // most, so a long wait does not keep a core busy. By default a plain turn.
    virtual void idle() { yield(); }
};

// The system beep, which a failed capture sounds.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The capture watchdog: while enabled, each tick of its interval runs the tick handler, which
// sets the board time-out flag.
class WatchdogTimer {
public:
    virtual ~WatchdogTimer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

}  // namespace rq
