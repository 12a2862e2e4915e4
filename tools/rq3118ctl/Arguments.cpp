#include "rq3118ctl/Arguments.h"

#include <QCommandLineParser>
#include <cmath>

#include "common/BasicText.h"

namespace rqctl {

Arguments::Arguments(const QStringList& args, const QList<Option>& allowed) {
    QCommandLineParser parser;
    // Every option is a word after "--"; a single dash would otherwise split into letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option& o : allowed) {
        QCommandLineOption option(o.name);
        if (o.takesValue) {
            option.setValueName(QStringLiteral("value"));
        }
        parser.addOption(option);
    }
    // The parser expects the program's name first.
    if (!parser.parse(QStringList{QStringLiteral("rq3118ctl")} + args)) {
        QString text = parser.errorText();
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
        throw UsageError{text};
    }
    m_positional = parser.positionalArguments();
    for (const Option& o : allowed) {
        if (parser.isSet(o.name)) {
            // The last of a repeated option counts, as a user retyping it expects.
            m_values.insert(o.name, o.takesValue ? parser.values(o.name).constLast() : QString());
        }
    }
}

std::optional<QString> Arguments::value(const QString& name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) {
        return std::nullopt;
    }
    return *it;
}

std::optional<double> Arguments::number(const QString& name) const {
    const std::optional<QString> text = value(name);
    if (!text) {
        return std::nullopt;
    }
    const std::optional<double> n = rq::parseNumber(*text);
    if (!n) {
        throw UsageError{QStringLiteral("--%1: not a number: %2").arg(name, *text)};
    }
    return n;
}

std::optional<double> Arguments::number(const QString& name, double lowest, double highest) const {
    const std::optional<double> n = number(name);
    if (n && !(*n >= lowest && *n <= highest)) {
        throw UsageError{QStringLiteral("--%1: expected a number from %2 to %3")
                             .arg(name, rq::formatGeneral(lowest), rq::formatGeneral(highest))};
    }
    return n;
}

std::optional<int> Arguments::integer(const QString& name, int lowest, int highest) const {
    const std::optional<double> n = number(name);
    if (!n) {
        return std::nullopt;
    }
    if (*n != std::floor(*n) || *n < lowest || *n > highest) {
        throw UsageError{QStringLiteral("--%1: expected a whole number from %2 to %3")
                             .arg(name)
                             .arg(lowest)
                             .arg(highest)};
    }
    return static_cast<int>(*n);
}

}  // namespace rqctl
