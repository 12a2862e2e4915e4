#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace rqctl {

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitUsage = 1;
constexpr int ExitRefused = 2;
constexpr int ExitBoard = 3;
constexpr int ExitLimits = 4;      // the figures failed a --limits limit
constexpr int ExitInstrument = 5;  // the signal generator failed
constexpr int ExitCancelled = 6;   // a sweep ended before its last point (standard input closed)

// A usage error: its text goes to standard error with a pointer to --help, and the exit is 1.
struct UsageError {
    QString text;
};

// What the command line said: the subcommand, its positional arguments and its options. Each
// subcommand names the options it takes; anything else is a usage error. QCommandLineParser
// does the parsing: "--name value" and "--name=value" alike.
class Arguments {
public:
    struct Option {
        QString name;  // without the leading "--"
        bool takesValue;
    };

    // Parses the arguments after the subcommand.
    Arguments(const QStringList& args, const QList<Option>& allowed);

    const QStringList& positional() const { return m_positional; }
    bool flag(const QString& name) const { return m_values.contains(name); }
    std::optional<QString> value(const QString& name) const;

    // Typed values; a value that does not convert is a usage error.
    std::optional<double> number(const QString& name) const;
    // A number from lowest to highest; anything else is a usage error that gives the range.
    std::optional<double> number(const QString& name, double lowest, double highest) const;
    std::optional<int> integer(const QString& name, int lowest, int highest) const;

private:
    QStringList m_positional;
    QMap<QString, QString> m_values;
};

}  // namespace rqctl
