#pragma once

#include <QString>
#include <QtGlobal>

namespace rq::generator {

// Where a generator listens for SCPI on a raw TCP socket.
struct GeneratorAddress {
    QString host;
    quint16 port = 5025;
    QString text() const;  // "127.0.0.1:5025", "[::1]:5025"
};

// "HOST", "HOST:PORT", "[IPV6]:PORT", "[IPV6]", or a bare IPv6 address (which takes the default
// port, its colons being its own); blanks around the text are ignored. Raises NumberedError 5
// with a sentence for an empty host, a host with blanks in it, an unclosed bracket or a port that
// is not a number from 1 to 65535.
GeneratorAddress parseGeneratorAddress(const QString& text);

}  // namespace rq::generator
