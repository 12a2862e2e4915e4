#pragma once

#include <QString>
#include <QStringList>

namespace rq {

// The program's command-line argument string. Switches are found as case-insensitive
// substrings anywhere in it, even inside longer words.
class CommandLine {
public:
    CommandLine() = default;
    explicit CommandLine(QString text) : m_text(std::move(text)) {}
    // The arguments after the program name, joined with blanks.
    static CommandLine fromArguments(const QStringList& argumentsWithProgram);

    const QString& text() const { return m_text; }
    bool has(const QString& switchText) const;
    // Index of the switch in text(), found without regard to case; -1 when absent.
    int indexOf(const QString& switchText) const;

private:
    QString m_text;
};

}  // namespace rq
