#include "FakeScpiGenerator.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <optional>

namespace rq::test {
namespace {

QString normalised(const QString& text) {
    return text.simplified().toUpper();
}

// The number a line gives for the one placeholder of a template, if the line is that command.
std::optional<double> matchTemplate(const QString& templ, const QString& placeholder,
                                    const QString& line) {
    const QString pattern = normalised(templ);
    const qsizetype at = pattern.indexOf(placeholder.toUpper());
    if (at < 0) {
        return std::nullopt;
    }
    const QRegularExpression shape(
        QStringLiteral("^%1([-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:E[-+]?\\d+)?)%2$")
            .arg(QRegularExpression::escape(pattern.left(at)),
                 QRegularExpression::escape(pattern.mid(at + placeholder.size()))));
    const QRegularExpressionMatch m = shape.match(normalised(line));
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    return m.captured(1).toDouble();
}

// Where the first line of the input ends: at '\n' or '\r', whichever the sender uses.
qsizetype lineEnd(const QByteArray& input) {
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (input[i] == '\n' || input[i] == '\r') {
            return i;
        }
    }
    return -1;
}

}  // namespace

FakeScpiGenerator::FakeScpiGenerator(FakeGeneratorOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    listenOn(m_options.port, 50);
    m_lifetime.setSingleShot(true);
    connect(&m_lifetime, &QTimer::timeout, this, &FakeScpiGenerator::end);
    m_lifetime.start(m_options.lifetimeMs);
}

FakeScpiGenerator::~FakeScpiGenerator() {
    for (auto& [socket, connection] : m_connections) {
        socket->disconnect(this);
    }
}

bool FakeScpiGenerator::isListening() const {
    return m_server && m_server->isListening();
}

quint16 FakeScpiGenerator::port() const {
    return m_port;
}

void FakeScpiGenerator::listenOn(quint16 port, int backlog) {
    m_server = new QTcpServer(this);
    m_server->setListenBacklogSize(backlog);
    connect(m_server, &QTcpServer::newConnection, this, &FakeScpiGenerator::onNewConnection);
    if (m_server->listen(QHostAddress::LocalHost, port)) {
        m_port = m_server->serverPort();
    }
}

void FakeScpiGenerator::closeServer() {
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    if (m_filler) {
        m_filler->abort();
        m_filler->deleteLater();
        m_filler = nullptr;
    }
}

void FakeScpiGenerator::refuse() {
    closeServer();
}

bool FakeScpiGenerator::neverAccept() {
    closeServer();
    // Backlog 0 leaves room for one finished handshake. The filler takes it and is never
    // accepted, and the kernel drops the handshakes that come after.
    listenOn(0, 0);
    if (!isListening()) {
        return false;
    }
    m_server->pauseAccepting();
    m_filler = new QTcpSocket(this);
    m_filler->connectToHost(QHostAddress::LocalHost, m_port);
    // Bounded, and on loopback with room in the backlog the handshake completes at once.
    return m_filler->waitForConnected(1000);
}

void FakeScpiGenerator::stallReplies(bool stall) {
    m_stall = stall;
}

void FakeScpiGenerator::failOn(const QString& commandPrefix, const QString& errorAnswer) {
    m_failures.emplace_back(normalised(commandPrefix), errorAnswer);
}

void FakeScpiGenerator::dropAfter(int lines) {
    m_dropAfter = lines;
}

void FakeScpiGenerator::acceptButNeverRead(bool on) {
    m_neverRead = on;
}

void FakeScpiGenerator::splitReplies(bool on) {
    m_split = on;
}

void FakeScpiGenerator::closeConnections() {
    const auto connections = std::move(m_connections);
    m_connections.clear();
    for (const auto& [socket, connection] : connections) {
        socket->disconnect(this);
        socket->close();
        socket->deleteLater();
    }
}

void FakeScpiGenerator::end() {
    m_lifetime.stop();
    closeServer();
    closeConnections();
    if (!m_ended) {
        m_ended = true;
        Q_EMIT ended();
    }
}

void FakeScpiGenerator::onNewConnection() {
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        if (m_accepted >= m_options.maxConnections || m_ended) {
            ++m_turnedAway;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_accepted;
        m_connections[socket].reads = !m_neverRead;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { onDisconnected(socket); });
    }
}

void FakeScpiGenerator::onReadyRead(QTcpSocket* socket) {
    const auto found = m_connections.find(socket);
    if (found == m_connections.end() || !found->second.reads) {
        return;
    }
    const QByteArray bytes = socket->readAll();
    m_receivedBytes += bytes;
    found->second.input += bytes;
    for (;;) {
        // The connection may be gone after any line.
        const auto it = m_connections.find(socket);
        if (it == m_connections.end()) {
            return;
        }
        QByteArray& input = it->second.input;
        const qsizetype end = lineEnd(input);
        if (end < 0) {
            return;
        }
        const QString line = QString::fromUtf8(input.left(end)).trimmed();
        input.remove(0, end + 1);
        if (!line.isEmpty() && !takeLine(socket, line)) {
            return;
        }
    }
}

void FakeScpiGenerator::onDisconnected(QTcpSocket* socket) {
    m_connections.erase(socket);
    socket->disconnect(this);
    socket->deleteLater();
    Q_EMIT connectionClosed();
}

bool FakeScpiGenerator::takeLine(QTcpSocket* socket, const QString& line) {
    m_received << line;
    Q_EMIT lineReceived(line);
    Connection& connection = m_connections[socket];
    if (m_dropAfter > 0 && ++connection.lines >= m_dropAfter) {
        m_connections.erase(socket);
        socket->disconnect(this);
        socket->close();
        socket->deleteLater();
        Q_EMIT connectionClosed();
        return false;
    }
    carryOut(socket, line);
    return true;
}

void FakeScpiGenerator::carryOut(QTcpSocket* socket, const QString& line) {
    const FakeGeneratorDialect& d = m_options.dialect;
    const QString command = normalised(line);
    if (command == normalised(d.errorQuery)) {
        if (m_errors.empty()) {
            answer(socket, QStringLiteral("0,\"No error\""));
        } else {
            answer(socket, m_errors.front());
            m_errors.pop_front();
        }
        return;
    }
    for (const auto& [prefix, error] : m_failures) {
        if (command.startsWith(prefix)) {
            m_errors.push_back(error);
            return;
        }
    }
    if (command == normalised(d.idn)) {
        answer(socket, m_options.identity);
    } else if (const auto hz = matchTemplate(d.freq, QStringLiteral("{hz}"), line)) {
        m_hz = *hz;
        Q_EMIT commanded(m_hz, m_dbm, m_outputOn);
    } else if (const auto dbm = matchTemplate(d.level, QStringLiteral("{dbm}"), line)) {
        if (*dbm < m_options.minDbm || *dbm > m_options.maxDbm) {
            m_errors.push_back(QStringLiteral("-222,\"Data out of range\""));
            return;
        }
        m_dbm = *dbm;
        Q_EMIT commanded(m_hz, m_dbm, m_outputOn);
    } else if (command == normalised(d.outputOn)) {
        m_outputOn = true;
        Q_EMIT commanded(m_hz, m_dbm, m_outputOn);
    } else {
        m_errors.push_back(QStringLiteral("-113,\"Undefined header\""));
    }
}

void FakeScpiGenerator::answer(QTcpSocket* socket, const QString& text) {
    if (m_stall) {
        return;
    }
    const QByteArray bytes = text.toUtf8() + m_options.replyTerminator;
    if (!m_split || bytes.size() < 2) {
        socket->write(bytes);
        return;
    }
    const qsizetype half = bytes.size() / 2;
    socket->write(bytes.left(half));
    socket->flush();
    QTimer::singleShot(20, socket, [socket, rest = bytes.mid(half)] { socket->write(rest); });
}

}  // namespace rq::test
