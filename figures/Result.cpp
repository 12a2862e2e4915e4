#include "figures/Result.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QStringList>
#include <cmath>

namespace rq::figures {
namespace {

// The shortest text that reads back to the same double, whole numbers without an exponent, as
// the JSON form writes them; JSON has no infinities, so they read "null" in both forms. A
// figure that could not be measured (NaN) is null in JSON and "—" as text.
QString numberText(double v) {
    if (std::isnan(v)) {
        return QStringLiteral("—");
    }
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

Result& Result::add(const QString& key, bool value) {
    m_fields.push_back({key, value});
    return *this;
}

Result& Result::add(const QString& key, const std::vector<Result>& list) {
    m_fields.push_back({key, list});
    return *this;
}

Result& Result::add(const QString& key, const std::vector<double>& numbers) {
    m_fields.push_back({key, numbers});
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
        } else if (const auto* b = std::get_if<bool>(&f.value)) {
            object.insert(f.key, *b);
        } else if (const auto* list = std::get_if<std::vector<Result>>(&f.value)) {
            QJsonArray array;
            for (const Result& item : *list) {
                array.append(item.toJsonObject());
            }
            object.insert(f.key, array);
        } else if (const auto* numbers = std::get_if<std::vector<double>>(&f.value)) {
            QJsonArray array;
            for (double v : *numbers) {
                array.append(std::isfinite(v) ? QJsonValue(v) : QJsonValue());
            }
            object.insert(f.key, array);
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
        } else if (const auto* b = std::get_if<bool>(&f.value)) {
            out += key + (*b ? QStringLiteral(": yes\n") : QStringLiteral(": no\n"));
        } else if (const auto* list = std::get_if<std::vector<Result>>(&f.value)) {
            for (size_t i = 0; i < list->size(); ++i) {
                out += (*list)[i].toText(key + u'.' + QString::number(i + 1) + u'.');
            }
            if (list->empty()) {
                out += key + QStringLiteral(": none\n");
            }
        } else if (const auto* numbers = std::get_if<std::vector<double>>(&f.value)) {
            constexpr size_t Written = 16;
            if (numbers->size() > Written) {
                out +=
                    key +
                    QStringLiteral(": %1 values (all of them with --json)\n").arg(numbers->size());
            } else {
                QStringList texts;
                for (double v : *numbers) {
                    texts << numberText(v);
                }
                out += key + QStringLiteral(": ") +
                       (texts.isEmpty() ? QStringLiteral("none") : texts.join(u' ')) + u'\n';
            }
        } else {
            out += key + QStringLiteral(": none\n");
        }
    }
    return out;
}

}  // namespace rq::figures
