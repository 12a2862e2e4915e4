#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <map>
#include <utility>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace rq::test {

// The commands the fake understands, compared without regard to letter case or runs of blanks;
// {hz} and {dbm} stand for a number.
struct FakeGeneratorDialect {
    QString idn = QStringLiteral("*IDN?");
    QString freq = QStringLiteral("SOUR:FREQ {hz}");
    QString level = QStringLiteral("SOUR:POW {dbm}");
    QString outputOn = QStringLiteral("OUTP ON");
    QString errorQuery = QStringLiteral("SYST:ERR?");
};

struct FakeGeneratorOptions {
    quint16 port = 0;  // 0: the system picks
    int maxConnections = 1;
    int lifetimeMs = 30000;
    QString identity = QStringLiteral("Fake,SG-1,0001,1.0");
    double minDbm = -130;
    double maxDbm = 20;
    FakeGeneratorDialect dialect;
    QByteArray replyTerminator = "\n";
};

// A scriptable SCPI signal generator on the loopback address, for tests and dry runs. It listens
// on 127.0.0.1 only, accepts at most maxConnections connections (any further one is closed at
// once) and ends itself after lifetimeMs: it stops listening and closes its connections. A line
// ends at '\n' or '\r'. Like an instrument it keeps an error queue: a level out of range queues
// -222, a command it does not know -113, and the error query takes the oldest error or answers
// 0,"No error".
class FakeScpiGenerator : public QObject {
    Q_OBJECT
public:
    explicit FakeScpiGenerator(FakeGeneratorOptions options = {}, QObject* parent = nullptr);
    ~FakeScpiGenerator() override;

    // False when the port could not be had (or after end() or refuse()).
    bool isListening() const;
    quint16 port() const;

    // Every line received, blanks around it removed, over all connections.
    const QStringList& received() const { return m_received; }
    // The bytes as they came, terminators included, over all connections.
    const QByteArray& receivedBytes() const { return m_receivedBytes; }
    // The output as commanded so far (0 Hz, 0 dBm, off at first).
    double frequency() const { return m_hz; }
    double level() const { return m_dbm; }
    bool outputOn() const { return m_outputOn; }
    int connectionsAccepted() const { return m_accepted; }
    int connectionsTurnedAway() const { return m_turnedAway; }
    int openConnections() const { return static_cast<int>(m_connections.size()); }
    bool hasEnded() const { return m_ended; }

    // Misbehaviour, from the next line on (refuse and neverAccept from the next connection).
    // A port with nothing listening: the server is closed, port() still names it.
    void refuse();
    // Listens again on a new port whose backlog is full, so that no connection completes. False
    // when that could not be set up.
    bool neverAccept();
    // Queries go unanswered.
    void stallReplies(bool stall);
    // A command starting with the prefix (any letter case) is not carried out and queues the
    // answer for the next error query.
    void failOn(const QString& commandPrefix, const QString& errorAnswer);
    // Closes a connection once it has received that many lines (0: never); the line that
    // reaches the count is recorded but neither carried out nor answered.
    void dropAfter(int lines);
    // New connections are accepted but never read from.
    void acceptButNeverRead(bool on);
    // Each answer goes out in two pieces, 20 ms apart, so the peer reads it in parts.
    void splitReplies(bool on);
    // Closes the connections open now; it goes on listening.
    void closeConnections();
    // Stops listening and closes every connection, as the end of the lifetime does.
    void end();

Q_SIGNALS:
    // After each setting command carried out, with the output as it now stands.
    void commanded(double hz, double dbm, bool outputOn);
    void lineReceived(const QString& line);
    void connectionClosed();
    void ended();

private:
    struct Connection {
        QByteArray input;
        int lines = 0;
        bool reads = true;
    };

    void listenOn(quint16 port, int backlog);
    void closeServer();
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void onDisconnected(QTcpSocket* socket);
    // False when the connection was closed.
    bool takeLine(QTcpSocket* socket, const QString& line);
    void carryOut(QTcpSocket* socket, const QString& line);
    void answer(QTcpSocket* socket, const QString& text);

    FakeGeneratorOptions m_options;
    QTcpServer* m_server = nullptr;
    QTcpSocket* m_filler = nullptr;
    quint16 m_port = 0;
    QTimer m_lifetime;
    std::map<QTcpSocket*, Connection> m_connections;
    QStringList m_received;
    QByteArray m_receivedBytes;
    std::deque<QString> m_errors;
    std::vector<std::pair<QString, QString>> m_failures;
    double m_hz = 0;
    double m_dbm = 0;
    bool m_outputOn = false;
    int m_accepted = 0;
    int m_turnedAway = 0;
    int m_dropAfter = 0;
    bool m_stall = false;
    bool m_neverRead = false;
    bool m_split = false;
    bool m_ended = false;
};

}  // namespace rq::test
