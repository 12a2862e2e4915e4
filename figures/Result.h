#pragma once

#include <QJsonObject>
#include <QString>
#include <variant>
#include <vector>

namespace rq::figures {

// One result of a subcommand: named fields in a fixed order, written either as "key: value"
// lines or as one line of JSON. Numbers are written so that they read back to the same double.
class Result {
public:
    Result& add(const QString& key, const QString& text);
    Result& add(const QString& key, const char* text) { return add(key, QString::fromUtf8(text)); }
    Result& add(const QString& key, double number);
    Result& add(const QString& key, long long integer);
    Result& add(const QString& key, int integer) {
        return add(key, static_cast<long long>(integer));
    }
    Result& add(const QString& key, const Result& nested);
    Result& add(const QString& key, bool value);
    // A list of objects: JSON array; as text each object under key.1, key.2, ...
    Result& add(const QString& key, const std::vector<Result>& list);
    // A list of numbers. As text a short list is written out; a long one (per-code values) is
    // only counted, since no one reads thousands of numbers on a line; JSON has them all.
    Result& add(const QString& key, const std::vector<double>& numbers);
    // A field with no value: JSON null, and "none" as text.
    Result& addNone(const QString& key);

    QJsonObject toJsonObject() const;

    QString toJson() const;
    QString toText(const QString& prefix = QString()) const;

private:
    struct Field;
    std::vector<Field> m_fields;
};

struct Result::Field {
    QString key;
    std::variant<std::monostate, QString, double, long long, Result, bool, std::vector<Result>,
                 std::vector<double>>
        value;
};

}  // namespace rq::figures
