#include "state/CommandLine.h"

namespace rq {

CommandLine CommandLine::fromArguments(const QStringList& argumentsWithProgram) {
    return CommandLine(argumentsWithProgram.mid(1).join(u' '));
}

int CommandLine::indexOf(const QString& switchText) const {
    // Compared without regard to case in the text itself: upper-casing can change its length
    // ("ß" becomes "SS"), and callers read what follows the switch at this index.
    return static_cast<int>(m_text.indexOf(switchText, 0, Qt::CaseInsensitive));
}

bool CommandLine::has(const QString& switchText) const {
    return indexOf(switchText) >= 0;
}

}  // namespace rq
