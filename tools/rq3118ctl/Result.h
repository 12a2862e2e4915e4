#pragma once

#include <QJsonObject>
#include <QString>
#include <variant>
#include <vector>

namespace rqctl {

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
    std::variant<std::monostate, QString, double, long long, Result> value;
};

}  // namespace rqctl
