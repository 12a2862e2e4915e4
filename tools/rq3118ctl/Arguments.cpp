#include "Arguments.h"

#include <cmath>

#include "BasicText.h"

namespace rqctl {

Arguments::Arguments(const QStringList& args, const QList<Option>& allowed) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (!a.startsWith(QStringLiteral("--")) || a == u"--") {
            m_positional << a;
            continue;
        }
        QString name = a.mid(2);
        std::optional<QString> inlineValue;
        const qsizetype eq = name.indexOf(u'=');
        if (eq >= 0) {
            inlineValue = name.mid(eq + 1);
            name.truncate(eq);
        }
        const auto it = std::find_if(allowed.begin(), allowed.end(),
                                     [&](const Option& o) { return o.name == name; });
        if (it == allowed.end()) {
            throw UsageError{QStringLiteral("unknown option --%1").arg(name)};
        }
        if (!it->takesValue) {
            if (inlineValue) {
                throw UsageError{QStringLiteral("--%1 takes no value").arg(name)};
            }
            m_values.insert(name, QString());
            continue;
        }
        if (inlineValue) {
            m_values.insert(name, *inlineValue);
        } else if (i + 1 < args.size()) {
            m_values.insert(name, args.at(++i));
        } else {
            throw UsageError{QStringLiteral("--%1 needs a value").arg(name)};
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
