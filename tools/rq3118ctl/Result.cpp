#include "Result.h"

#include <cmath>

#include "BasicText.h"

namespace rqctl {
namespace {

QString jsonString(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        switch (c.unicode()) {
            case '"':
                out += QStringLiteral("\\\"");
                break;
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                if (c.unicode() < 0x20) {
                    out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                } else {
                    out += c;
                }
        }
    }
    return out + u'"';
}

QString numberText(double v) {
    if (!std::isfinite(v)) {
        return QStringLiteral("null");
    }
    return rq::formatGeneral(v);
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

QString Result::toJson() const {
    QString out = QStringLiteral("{");
    bool first = true;
    for (const Field& f : m_fields) {
        if (!first) {
            out += u',';
        }
        first = false;
        out += jsonString(f.key) + u':';
        if (const auto* s = std::get_if<QString>(&f.value)) {
            out += jsonString(*s);
        } else if (const auto* d = std::get_if<double>(&f.value)) {
            out += numberText(*d);
        } else if (const auto* i = std::get_if<long long>(&f.value)) {
            out += QString::number(*i);
        } else {
            out += std::get<Result>(f.value).toJson();
        }
    }
    return out + u'}';
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
        } else {
            out += std::get<Result>(f.value).toText(key + u'.');
        }
    }
    return out;
}

}  // namespace rqctl
