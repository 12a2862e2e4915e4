#include "generator/GeneratorProfile.h"

#include <QStringList>
#include <map>

#include "common/InputFile.h"
#include "common/NumberedError.h"

namespace rq::generator {
namespace {

// A profile is a handful of lines; anything larger is not one.
constexpr int64_t MaxProfileFile = 64 << 10;

[[noreturn]] void refuse(const QString& name, int line, const QString& why) {
    throw NumberedError(RuntimeError::InvalidCall, name,
                        QStringLiteral("%1 line %2: %3").arg(name).arg(line).arg(why));
}

QString terminatorOf(const QString& escaped) {
    if (escaped == u"\\n") {
        return QStringLiteral("\n");
    }
    if (escaped == u"\\r") {
        return QStringLiteral("\r");
    }
    if (escaped == u"\\r\\n") {
        return QStringLiteral("\r\n");
    }
    return QString();
}

// Fixed decimals with the trailing zeros (and a bare point) removed; "-0" reads "0".
QString trimmedNumber(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
    }
    if (text == u"-0") {
        text = QStringLiteral("0");
    }
    return text;
}

}  // namespace

GeneratorProfile parseGeneratorProfile(const QString& text, const QString& name) {
    GeneratorProfile profile;
    const std::map<QString, QString*> fields = {
        {QStringLiteral("idn"), &profile.idn},
        {QStringLiteral("freq"), &profile.freq},
        {QStringLiteral("level"), &profile.level},
        {QStringLiteral("output_on"), &profile.outputOn},
        {QStringLiteral("error_query"), &profile.errorQuery},
        {QStringLiteral("terminator"), &profile.terminator}};
    std::map<QString, int> seen;  // key -> line it was given on
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            refuse(name, number, QStringLiteral("\"%1\" is not KEY=TEMPLATE").arg(line));
        }
        const QString given = line.left(equals).trimmed();
        const QString key = given.toLower();
        const QString value = line.mid(equals + 1).trimmed();
        const auto field = fields.find(key);
        if (field == fields.end()) {
            refuse(name, number,
                   QStringLiteral("unknown key '%1' (keys: idn, freq, level, output_on, "
                                  "error_query, terminator)")
                       .arg(given));
        }
        if (const auto earlier = seen.find(key); earlier != seen.end()) {
            refuse(
                name, number,
                QStringLiteral("%1 given again (first on line %2)").arg(key).arg(earlier->second));
        }
        seen[key] = number;
        if (value.isEmpty()) {
            refuse(name, number, QStringLiteral("empty template for %1").arg(key));
        }
        if (key == u"terminator") {
            const QString terminator = terminatorOf(value);
            if (terminator.isEmpty()) {
                refuse(name, number,
                       QStringLiteral("terminator '%1' is none of \\n, \\r, \\r\\n").arg(value));
            }
            profile.terminator = terminator;
            continue;
        }
        // Without its placeholder the command would set the same value at every point.
        if (key == u"freq" && !value.contains(u"{hz}")) {
            refuse(name, number, QStringLiteral("the freq template holds no {hz}"));
        }
        if (key == u"level" && !value.contains(u"{dbm}")) {
            refuse(name, number, QStringLiteral("the level template holds no {dbm}"));
        }
        *field->second = value;
    }
    return profile;
}

GeneratorProfile readGeneratorProfile(const QString& path) {
    const QByteArray bytes =
        readInputFile(path, MaxProfileFile, QStringLiteral("generator profile"));
    QString text = QString::fromUtf8(bytes);
    text.remove(u'\r');
    return parseGeneratorProfile(text, path);
}

QString expandTemplate(const QString& text, double hz, double dbm) {
    QString out = text;
    out.replace(QStringLiteral("{hz}"), trimmedNumber(hz, 6));
    out.replace(QStringLiteral("{dbm}"), trimmedNumber(dbm, 3));
    return out;
}

}  // namespace rq::generator
