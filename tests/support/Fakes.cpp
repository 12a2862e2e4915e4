#include "Fakes.h"

namespace rq::test {

QStringList FakeMessageList::texts() const {
    QStringList out;
    for (const Line& l : lines) {
        out << l.text;
    }
    return out;
}

MsgResult FakeMessageBoxes::show(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons) {
    shown.push_back({text, title, icon, buttons});
    if (!answers.empty()) {
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    return buttons == MsgButtons::RetryCancel ? MsgResult::Cancel : MsgResult::Ok;
}

std::optional<QString> FakeFileDialogs::takeAnswer() {
    if (answers.empty()) {
        return std::nullopt;
    }
    const bool chosen = answers.front().has_value();
    const QString name = answers.front().value_or(QString());
    answers.pop_front();
    return chosen ? std::optional<QString>(name) : std::nullopt;
}

std::optional<QString> FakeFileDialogs::openFile(const QString& title, const QString& filter) {
    asked.push_back({title, filter, false, false});
    return takeAnswer();
}

std::optional<QString> FakeFileDialogs::saveFile(const QString& title, const QString& filter,
                                                 bool promptOverwrite) {
    asked.push_back({title, filter, true, promptOverwrite});
    return takeAnswer();
}

}  // namespace rq::test
