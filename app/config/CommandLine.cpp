#include "CommandLine.h"

namespace rq {

CommandLine CommandLine::fromArguments(const QStringList& argumentsWithProgram) {
    return CommandLine(argumentsWithProgram.mid(1).join(u' '));
}

int CommandLine::indexOf(const QString& switchText) const {
    return m_text.toUpper().indexOf(switchText.toUpper());
}

bool CommandLine::has(const QString& switchText) const {
    return indexOf(switchText) >= 0;
}

}  // namespace rq
