#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "generator/GeneratorAddress.h"
#include "generator/GeneratorProfile.h"

class QTcpSocket;

namespace rq::generator {

// What went wrong with the generator: its address, the command and what it answered (empty
// when nothing came), and a sentence naming all three, for a message box or standard error:
// "generator 127.0.0.1:5025: SOUR:POW 30 answered -222,\"Data out of range\"",
// "generator 127.0.0.1:5025: no answer to *IDN? within 3 s",
// "generator 127.0.0.1:5025: connection refused",
// "generator 127.0.0.1:5025: no connection within 3 s",
// "generator 127.0.0.1:5025: connection closed while waiting for the answer to SYST:ERR? (after
// SOUR:FREQ 10000)".
// `command` is the command the fault is about: the identity query, or the setting command whose
// error query failed or went unanswered; empty for a fault of the connection itself.
struct GeneratorFault {
    GeneratorAddress address;
    QString command;
    QString answer;
    QString text;
};

// The generator, driven by the event loop: every call returns at once and ends in a signal,
// which always comes from the event loop, never from within the call. Each reply has
// ReplyTimeoutMs, the connection ConnectTimeoutMs; no wait is endless and none blocks. After
// failed() the generator is closed and takes no more calls (a call then fails again at once,
// through the signal, queued). The object may be deleted from a slot connected to any of its
// signals.
class ScpiGenerator : public QObject {
    Q_OBJECT
public:
    static constexpr int ConnectTimeoutMs = 3000, ReplyTimeoutMs = 3000;
    ScpiGenerator(GeneratorAddress address, GeneratorProfile profile, QObject* parent = nullptr);
    ~ScpiGenerator() override;
    const GeneratorAddress& address() const;
    // Connects and asks its identity (profile.idn); ends in opened(identity) or failed. Also
    // after close(), or after the generator closed the connection between calls.
    void open();
    // Per point: the frequency command, the error query, the level command, the error query, the
    // output-on command, the error query. Each error query's answer is read; it starts with
    // the error code ("0,\"No error\"", "+0,...", "-222,\"Data out of range\""): code 0 goes on,
    // any other answer is a fault naming the command before it and the answer. Ends in
    // pointSet(hz, dbm) or failed. Only after open() succeeded; one point at a time. A
    // connection the generator closed while no call was running fails here, at the next call.
    void setPoint(double hz, double dbm);
    // Closes the connection. No signal comes after it, not even one of a call before it; after a
    // fault the generator stays closed for good.
    void close();
    // Every line sent, in order, without terminators: for tests and for a log.
    const QStringList& sent() const;
    // Optional timeouts for tests (defaults above).
    void setTimeouts(int connectMs, int replyMs);

Q_SIGNALS:
    void opened(const QString& identity);
    void pointSet(double hz, double dbm);
    void failed(const rq::generator::GeneratorFault& fault);

private:
    enum class State { Fresh, Connecting, Identifying, Ready, Busy, Lost, Closed, Failed };

    void onConnected();
    void onSocketError(int error);
    void onPeerClosed();
    void onTimeout();
    void readAnswers();
    void takeAnswer(const QString& answer);
    void sendStep();
    void send(const QString& line);
    void dropSocket(bool graceful);
    // The command awaiting its answer now, and the query that asked for it.
    QString pendingCommand() const;
    QString pendingQuery() const;
    QString afterCommand() const;
    void fail(const QString& command, const QString& answer, const QString& what);
    template <typename Announce>
    void announce(Announce announce);

    GeneratorAddress m_address;
    GeneratorProfile m_profile;
    QTcpSocket* m_socket = nullptr;
    QTimer m_timer;
    QByteArray m_input;
    QStringList m_sent;
    State m_state = State::Fresh;
    QString m_lostReason;  // why the connection went while no call ran
    QStringList m_steps;   // the setting commands of the point being set
    int m_step = 0;
    double m_hz = 0;
    double m_dbm = 0;
    int m_connectMs = ConnectTimeoutMs;
    int m_replyMs = ReplyTimeoutMs;
    quint64 m_epoch = 0;  // bumped by close(), so signals queued before it are dropped
};

}  // namespace rq::generator

Q_DECLARE_METATYPE(rq::generator::GeneratorFault)
