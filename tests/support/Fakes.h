#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "common/HostInterfaces.h"

namespace rq::test {

// Message list that keeps its lines and their colours.
class FakeMessageList : public MessageList {
public:
    struct Line {
        QString text;
        std::optional<uint32_t> colour;
    };
    void AddItem(const QString& text, std::optional<uint32_t> colour = std::nullopt) override {
        lines.push_back({text, colour});
    }
    void Clear() override {
        lines.clear();
        ++clears;
    }
    QStringList texts() const;

    std::vector<Line> lines;
    int clears = 0;
};

// Message boxes that record what was shown and answer from a script (Ok when it runs dry, or
// Cancel for a box without an Ok button).
class FakeMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        QString title;
        MsgIcon icon;
        MsgButtons buttons;
    };
    MsgResult show(const QString& text, const QString& title, MsgIcon icon,
                   MsgButtons buttons) override;

    std::vector<Shown> shown;
    std::deque<MsgResult> answers;
};

// File dialogs answering from a script; an empty answer is a cancel.
class FakeFileDialogs : public FileDialogs {
public:
    struct Asked {
        QString title;
        QString filter;
        bool save;
        bool promptOverwrite;
    };
    std::optional<QString> openFile(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    bool promptOverwrite) override;

    std::vector<Asked> asked;
    std::deque<std::optional<QString>> answers;

private:
    std::optional<QString> takeAnswer();
};

// Counts yields and runs a hook on each, so a test can make things happen "meanwhile".
class FakeYield : public Yield {
public:
    void yield() override {
        ++count;
        if (onYield) {
            onYield(count);
        }
    }
    int count = 0;
    std::function<void(int)> onYield;
};

// A watchdog that ticks when the test says so (or after a number of yields, wired by the test).
class FakeTimer : public WatchdogTimer {
public:
    explicit FakeTimer(std::function<void()> onTick = {}) : m_onTick(std::move(onTick)) {}
    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        enableLog.push_back(enabled);
    }
    bool isEnabled() const override { return m_enabled; }
    void setOnTick(std::function<void()> onTick) { m_onTick = std::move(onTick); }
    // Runs the tick handler if enabled.
    void tick() {
        if (m_enabled && m_onTick) {
            m_onTick();
        }
    }
    std::vector<bool> enableLog;

private:
    int m_interval = 0;
    bool m_enabled = false;
    std::function<void()> m_onTick;
};

}  // namespace rq::test
