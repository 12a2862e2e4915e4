#include "Result.h"

#include <QJsonDocument>
#include <QLocale>
#include <cmath>

namespace rqctl {
namespace {

// The shortest text that reads back to the same double, whole numbers without an exponent, as
// the JSON form writes them; JSON has no infinities, so they and NaN read "null" in both forms.
QString numberText(double v) {
    if (!std::isfinite(v)) {
        return QStringLiteral("null");
    }
    if (v == std::floor(v) && std::fabs(v) < 9007199254740992.0) {
        return QString::number(static_cast<qint64>(v));
    }
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

Result& Result::add(const QString& key, const QString& text) {
    m_fields.push_back({key, text});
    return *this;
}

Result& Result::add(const QString& key, double number) {
    m_fields.push_back({key, number});
    return *this;
}

Result& Result::add(const QString& key, long long integer) {
    m_fields.push_back({key, integer});
    return *this;
}

Result& Result::add(const QString& key, const Result& nested) {
    m_fields.push_back({key, nested});
    return *this;
}

Result& Result::addNone(const QString& key) {
    m_fields.push_back({key, std::monostate{}});
    return *this;
}

QJsonObject Result::toJsonObject() const {
    QJsonObject object;
    for (const Field& f : m_fields) {
        if (const auto* s = std::get_if<QString>(&f.value)) {
            object.insert(f.key, *s);
        } else if (const auto* d = std::get_if<double>(&f.value)) {
            object.insert(f.key, std::isfinite(*d) ? QJsonValue(*d) : QJsonValue());
        } else if (const auto* i = std::get_if<long long>(&f.value)) {
            object.insert(f.key, static_cast<qint64>(*i));
        } else if (const auto* r = std::get_if<Result>(&f.value)) {
            object.insert(f.key, r->toJsonObject());
        } else {
            object.insert(f.key, QJsonValue());
        }
    }
    return object;
}

QString Result::toJson() const {
    return QString::fromUtf8(QJsonDocument(toJsonObject()).toJson(QJsonDocument::Compact));
}

QString Result::toText(const QString& prefix) const {
    QString out;
    for (const Field& f : m_fields) {
        const QString key = prefix + f.key;
        if (const auto* s = std::get_if<QString>(&f.value)) {
            // Multi-line texts (message boxes) keep their lines, indented under the key.
            QString text = *s;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
            text.replace(u'\n', QStringLiteral("\n  "));
            out += key + QStringLiteral(": ") + text + u'\n';
        } else if (const auto* d = std::get_if<double>(&f.value)) {
            out += key + QStringLiteral(": ") + numberText(*d) + u'\n';
        } else if (const auto* i = std::get_if<long long>(&f.value)) {
            out += key + QStringLiteral(": ") + QString::number(*i) + u'\n';
        } else if (const auto* r = std::get_if<Result>(&f.value)) {
            out += r->toText(key + u'.');
        } else {
            out += key + QStringLiteral(": none\n");
        }
    }
    return out;
}

}  // namespace rqctl
