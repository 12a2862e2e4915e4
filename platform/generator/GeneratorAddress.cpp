#include "generator/GeneratorAddress.h"

#include "common/NumberedError.h"

namespace rq::generator {
namespace {

[[noreturn]] void refuse(const QString& text, const QString& why) {
    throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("GeneratorAddress"),
                        QStringLiteral("generator address \"%1\": %2").arg(text, why));
}

quint16 portOf(const QString& text, const QString& port) {
    bool digits = !port.isEmpty();
    for (const QChar c : port) {
        digits = digits && c >= u'0' && c <= u'9';
    }
    const uint value = digits && port.size() <= 5 ? port.toUInt() : 0;
    if (value < 1 || value > 65535) {
        refuse(text, QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(port));
    }
    return static_cast<quint16>(value);
}

}  // namespace

QString GeneratorAddress::text() const {
    const QString shown = host.contains(u':') ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1:%2").arg(shown).arg(port);
}

GeneratorAddress parseGeneratorAddress(const QString& given) {
    const QString text = given.trimmed();
    GeneratorAddress address;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0) {
            refuse(text, QStringLiteral("the bracket after the IPv6 address is missing"));
        }
        address.host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':')) {
                refuse(
                    text,
                    QStringLiteral("\"%1\" follows the address where \":PORT\" belongs").arg(rest));
            }
            address.port = portOf(text, rest.mid(1));
        }
    } else if (text.count(u':') > 1) {
        address.host = text;
    } else {
        const qsizetype colon = text.indexOf(u':');
        address.host = colon < 0 ? text : text.left(colon);
        if (colon >= 0) {
            address.port = portOf(text, text.mid(colon + 1));
        }
    }
    if (address.host.isEmpty()) {
        refuse(text, QStringLiteral("no host is named"));
    }
    for (const QChar c : address.host) {
        if (c.isSpace()) {
            refuse(text, QStringLiteral("a host name holds no blanks"));
        }
    }
    return address;
}

}  // namespace rq::generator
