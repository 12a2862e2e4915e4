#include "generator/ScpiGenerator.h"

#include <QTcpSocket>
#include <algorithm>
#include <cmath>

namespace rq::generator {
namespace {

// SCPI answers to an identity or an error query are short; a line longer than this is not one,
// and reading on would let a chattering peer fill the memory.
constexpr qsizetype MaxAnswerBytes = 4096;

QString seconds(int ms) {
    return QStringLiteral("%1 s").arg(QString::number(ms / 1000.0, 'g', 6));
}

// The leading error code of an error query's answer ("-222,\"Data out of range\"", "+0").
bool isNoError(const QString& answer) {
    bool ok = false;
    const int code = answer.section(u',', 0, 0).trimmed().toInt(&ok);
    return ok && code == 0;
}

}  // namespace

ScpiGenerator::ScpiGenerator(GeneratorAddress address, GeneratorProfile profile, QObject* parent)
    : QObject(parent), m_address(std::move(address)), m_profile(std::move(profile)) {
    qRegisterMetaType<GeneratorFault>();
    // A coarse timer may fire up to 5 % early, before the time a peer was promised.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScpiGenerator::onTimeout);
}

ScpiGenerator::~ScpiGenerator() {
    // Signals are only ever emitted from the event loop, never from within a socket's own
    // signal, so the socket (a child) can go with us here.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

const GeneratorAddress& ScpiGenerator::address() const {
    return m_address;
}

const QStringList& ScpiGenerator::sent() const {
    return m_sent;
}

void ScpiGenerator::setTimeouts(int connectMs, int replyMs) {
    m_connectMs = std::max(1, connectMs);
    m_replyMs = std::max(1, replyMs);
}

template <typename Announce>
void ScpiGenerator::announce(Announce announce) {
    // Queued on ourselves: dropped if we are deleted first, and the slot runs with no call of
    // ours (nor of the socket's) on the stack, so it may delete us.
    QMetaObject::invokeMethod(
        this,
        [this, epoch = m_epoch, announce] {
            if (epoch == m_epoch) {
                announce();
            }
        },
        Qt::QueuedConnection);
}

void ScpiGenerator::open() {
    switch (m_state) {
        case State::Fresh:
        case State::Closed:
        case State::Lost:
            break;
        case State::Failed:
            fail(m_profile.idn, QString(),
                 QStringLiteral("closed after a fault, not opened again"));
            return;
        default:
            fail(m_profile.idn, QString(),
                 QStringLiteral("already open, %1 not sent").arg(m_profile.idn));
            return;
    }
    auto* socket = new QTcpSocket(this);
    m_socket = socket;
    connect(socket, &QTcpSocket::connected, this, &ScpiGenerator::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &ScpiGenerator::readAnswers);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { onSocketError(error); });
    connect(socket, &QTcpSocket::disconnected, this, &ScpiGenerator::onPeerClosed);
    m_state = State::Connecting;
    m_lostReason.clear();
    m_input.clear();
    m_timer.start(m_connectMs);
    // A refusal may be reported from within this call, which then drops the socket: last.
    socket->connectToHost(m_address.host, m_address.port);
}

void ScpiGenerator::setPoint(double hz, double dbm) {
    // A call out of turn ends the generator like any other fault.
    const QString freq = expandTemplate(m_profile.freq, hz, dbm);
    switch (m_state) {
        case State::Ready:
            break;
        case State::Fresh:
        case State::Closed:
            fail(freq, QString(), QStringLiteral("not open, %1 not sent").arg(freq));
            return;
        case State::Connecting:
        case State::Identifying:
            fail(freq, QString(), QStringLiteral("still opening, %1 not sent").arg(freq));
            return;
        case State::Busy:
            fail(freq, QString(),
                 QStringLiteral("a point is still being set, %1 not sent").arg(freq));
            return;
        case State::Lost:
            fail(freq, QString(),
                 QStringLiteral("%1 before %2 could be sent").arg(m_lostReason, freq));
            return;
        case State::Failed:
            fail(freq, QString(), QStringLiteral("closed after a fault, %1 not sent").arg(freq));
            return;
    }
    if (!std::isfinite(hz) || !std::isfinite(dbm) || hz < 0) {
        fail(freq, QString(),
             QStringLiteral("%1 Hz at %2 dBm is no point to set, nothing sent").arg(hz).arg(dbm));
        return;
    }
    m_hz = hz;
    m_dbm = dbm;
    m_steps = {freq, expandTemplate(m_profile.level, hz, dbm),
               expandTemplate(m_profile.outputOn, hz, dbm)};
    m_step = 0;
    m_state = State::Busy;
    sendStep();
}

void ScpiGenerator::close() {
    ++m_epoch;
    m_timer.stop();
    dropSocket(true);
    if (m_state != State::Failed) {
        m_state = State::Closed;
    }
}

void ScpiGenerator::onConnected() {
    m_state = State::Identifying;
    send(m_profile.idn);
    m_timer.start(m_replyMs);
}

void ScpiGenerator::sendStep() {
    send(m_steps[m_step]);
    send(m_profile.errorQuery);
    m_timer.start(m_replyMs);
}

void ScpiGenerator::send(const QString& line) {
    // Whatever came unasked before a query cannot be its answer.
    m_input.clear();
    m_socket->readAll();
    m_sent << line;
    m_socket->write((line + m_profile.terminator).toUtf8());
}

void ScpiGenerator::readAnswers() {
    if (m_state != State::Identifying && m_state != State::Busy) {
        m_socket->readAll();
        return;
    }
    m_input += m_socket->readAll();
    while (m_state == State::Identifying || m_state == State::Busy) {
        const qsizetype end = m_input.indexOf('\n');
        if (end < 0) {
            if (m_input.size() > MaxAnswerBytes) {
                fail(pendingCommand(), QString(),
                     QStringLiteral("the answer to %1%2 is longer than %3 bytes")
                         .arg(pendingQuery(), afterCommand())
                         .arg(MaxAnswerBytes));
            }
            return;
        }
        QByteArray line = m_input.left(end);
        m_input.remove(0, end + 1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        takeAnswer(QString::fromUtf8(line));
    }
}

void ScpiGenerator::takeAnswer(const QString& answer) {
    m_timer.stop();
    if (m_state == State::Identifying) {
        m_state = State::Ready;
        announce([this, identity = answer.trimmed()] { Q_EMIT opened(identity); });
        return;
    }
    if (!isNoError(answer)) {
        const QString command = m_steps[m_step];
        fail(command, answer,
             answer.isEmpty()
                 ? QStringLiteral("%1 answered an empty line to %2").arg(command, pendingQuery())
                 : QStringLiteral("%1 answered %2").arg(command, answer));
        return;
    }
    if (++m_step < m_steps.size()) {
        sendStep();
        return;
    }
    m_state = State::Ready;
    announce([this, hz = m_hz, dbm = m_dbm] { Q_EMIT pointSet(hz, dbm); });
}

QString ScpiGenerator::pendingCommand() const {
    return m_state == State::Busy ? m_steps[m_step] : m_profile.idn;
}

QString ScpiGenerator::pendingQuery() const {
    return m_state == State::Busy ? m_profile.errorQuery : m_profile.idn;
}

QString ScpiGenerator::afterCommand() const {
    return m_state == State::Busy ? QStringLiteral(" (after %1)").arg(m_steps[m_step]) : QString();
}

void ScpiGenerator::onSocketError(int error) {
    if (error == QAbstractSocket::RemoteHostClosedError) {
        onPeerClosed();
        return;
    }
    const QString reason = m_socket->errorString();
    switch (m_state) {
        case State::Connecting:
            fail(QString(), QString(),
                 error == QAbstractSocket::ConnectionRefusedError
                     ? QStringLiteral("connection refused")
                 : error == QAbstractSocket::HostNotFoundError ? QStringLiteral("host not found")
                                                               : reason);
            return;
        case State::Identifying:
        case State::Busy:
            fail(pendingCommand(), QString(),
                 QStringLiteral("%1 while waiting for the answer to %2%3")
                     .arg(reason, pendingQuery(), afterCommand()));
            return;
        case State::Ready:
            m_lostReason = QStringLiteral("connection lost (%1)").arg(reason);
            dropSocket(false);
            m_state = State::Lost;
            return;
        default:
            return;
    }
}

void ScpiGenerator::onPeerClosed() {
    // An answer that came just before the close still counts.
    if (m_socket->bytesAvailable() > 0) {
        readAnswers();
    }
    switch (m_state) {
        case State::Connecting:
            fail(QString(), QString(), QStringLiteral("connection closed while connecting"));
            return;
        case State::Identifying:
        case State::Busy:
            fail(pendingCommand(), QString(),
                 QStringLiteral("connection closed while waiting for the answer to %1%2")
                     .arg(pendingQuery(), afterCommand()));
            return;
        case State::Ready:
            m_lostReason = QStringLiteral("connection closed");
            dropSocket(false);
            m_state = State::Lost;
            return;
        default:
            return;
    }
}

void ScpiGenerator::onTimeout() {
    switch (m_state) {
        case State::Connecting:
            fail(QString(), QString(),
                 QStringLiteral("no connection within %1").arg(seconds(m_connectMs)));
            return;
        case State::Identifying:
        case State::Busy:
            fail(pendingCommand(), QString(),
                 QStringLiteral("no answer to %1 within %2%3")
                     .arg(pendingQuery(), seconds(m_replyMs), afterCommand()));
            return;
        default:
            return;
    }
}

void ScpiGenerator::dropSocket(bool graceful) {
    if (!m_socket) {
        return;
    }
    // This may run within one of the socket's own signals: it is let go, not deleted here.
    m_socket->disconnect(this);
    if (graceful) {
        m_socket->disconnectFromHost();
    } else {
        m_socket->abort();
    }
    m_socket->deleteLater();
    m_socket = nullptr;
}

void ScpiGenerator::fail(const QString& command, const QString& answer, const QString& what) {
    m_timer.stop();
    dropSocket(false);
    m_state = State::Failed;
    GeneratorFault fault{m_address, command, answer,
                         QStringLiteral("generator %1: %2").arg(m_address.text(), what)};
    announce([this, fault] { Q_EMIT failed(fault); });
}

}  // namespace rq::generator
