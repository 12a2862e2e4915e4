#include "host/PropertyBag.h"

#include <QSettings>
#include <cmath>

#include "common/BasicText.h"
#include "host/DesignFont.h"

namespace rq::host {

namespace {

// QSettings hands back an unquoted text with commas as a list.
QString asText(const QVariant& v) {
    if (v.typeId() == QMetaType::QStringList) {
        return v.toStringList().join(u',');
    }
    return v.toString();
}

bool isText(const QVariant& v) {
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QStringList;
}

double asNumber(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool) {
        return v.toBool() ? -1 : 0;
    }
    if (isText(v)) {
        const QString t = asText(v).trimmed();
        if (t.compare(u"True", Qt::CaseInsensitive) == 0) {
            return -1;
        }
        if (t.compare(u"False", Qt::CaseInsensitive) == 0) {
            return 0;
        }
        return leadingNumber(t);
    }
    return v.toDouble();
}

}  // namespace

bool PropertyBag::readBool(const QString& name, bool defaultValue) const {
    const auto v = value(name);
    if (!v) {
        return defaultValue;
    }
    return asNumber(*v) != 0;
}

int PropertyBag::readInt(const QString& name, int defaultValue) const {
    const auto v = value(name);
    return v ? toInt32(asNumber(*v)) : defaultValue;
}

double PropertyBag::readDouble(const QString& name, double defaultValue) const {
    const auto v = value(name);
    return v ? asNumber(*v) : defaultValue;
}

QString PropertyBag::readString(const QString& name, const QString& defaultValue) const {
    const auto v = value(name);
    return v ? asText(*v) : defaultValue;
}

Colour PropertyBag::readColour(const QString& name, Colour defaultValue) const {
    const auto v = value(name);
    if (!v) {
        return defaultValue;
    }
    // A colour written in hexadecimal is its bit pattern: "&HFF00" is green, not the 16-bit
    // integer -256 the lenient reading would make of it, and "&H80000012" a system colour.
    if (v->typeId() == QMetaType::QString) {
        QString text = v->toString().trimmed();
        if (text.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive)) {
            if (text.endsWith(u'&')) {
                text.chop(1);
            }
            bool ok = false;
            const uint colour = text.mid(2).toUInt(&ok, 16);
            if (ok) {
                return static_cast<Colour>(colour);
            }
        }
    }
    return static_cast<Colour>(static_cast<int64_t>(asNumber(*v)));
}

QFont PropertyBag::readFont(const QString& name, const QFont& defaultValue) const {
    const auto v = value(name);
    if (!v) {
        return defaultValue;
    }
    if (v->typeId() == QMetaType::QFont) {
        return mapFont(v->value<QFont>());
    }
    QFont font;
    if (!font.fromString(asText(*v))) {
        return defaultValue;
    }
    return mapFont(font);
}

void PropertyBag::write(const QString& name, const QVariant& v, bool isDefault) {
    if (isDefault) {
        remove(name);
    } else {
        setValue(name, v);
    }
}

void PropertyBag::writeBool(const QString& name, bool v, bool defaultValue) {
    write(name, v, v == defaultValue);
}

void PropertyBag::writeInt(const QString& name, int v, int defaultValue) {
    write(name, v, v == defaultValue);
}

void PropertyBag::writeDouble(const QString& name, double v, double defaultValue) {
    write(name, v, v == defaultValue);
}

void PropertyBag::writeString(const QString& name, const QString& v, const QString& defaultValue) {
    write(name, v, v == defaultValue);
}

void PropertyBag::writeColour(const QString& name, Colour v, Colour defaultValue) {
    write(name, QVariant::fromValue<uint>(v), v == defaultValue);
}

void PropertyBag::writeFont(const QString& name, const QFont& v, const QFont& defaultValue) {
    write(name, v.toString(), v == defaultValue);
}

std::optional<QVariant> MemoryPropertyBag::value(const QString& name) const {
    log << QStringLiteral("r ") + name;
    const auto it = m_values.constFind(name);
    if (it == m_values.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

void MemoryPropertyBag::setValue(const QString& name, const QVariant& v) {
    log << QStringLiteral("w ") + name;
    m_values.insert(name, v);
}

void MemoryPropertyBag::remove(const QString& name) {
    log << QStringLiteral("w ") + name;
    m_values.remove(name);
}

SettingsPropertyBag::SettingsPropertyBag(const QString& iniFile, QString group)
    : SettingsPropertyBag(std::make_shared<QSettings>(iniFile, QSettings::IniFormat),
                          std::move(group)) {}

SettingsPropertyBag::SettingsPropertyBag(std::shared_ptr<QSettings> settings, QString group)
    : m_settings(std::move(settings)), m_group(std::move(group)) {}

SettingsPropertyBag::~SettingsPropertyBag() = default;

QString SettingsPropertyBag::key(const QString& name) const {
    return m_group.isEmpty() ? name : m_group + u'/' + name;
}

std::optional<QVariant> SettingsPropertyBag::value(const QString& name) const {
    const QVariant v = m_settings->value(key(name));
    if (!v.isValid()) {
        return std::nullopt;
    }
    return v;
}

void SettingsPropertyBag::setValue(const QString& name, const QVariant& v) {
    m_settings->setValue(key(name), v);
}

void SettingsPropertyBag::remove(const QString& name) {
    m_settings->remove(key(name));
}

}  // namespace rq::host
