#pragma once

#include "sim/pseudo_terminal.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

class QSocketNotifier;
class QTimer;

// Peers that misbehave as a test tells them, at the far end of a serial line (the card's end of a
// pseudo-terminal) or of a TCP connection (a local server). A peer does not parse frames: the test
// tells it how long the preamble and the frame of the next exchange are, and the peer answers each
// of them as its script says: as a card would (its address), not at all, with other bytes, late.
// It can also go away in the middle, stop reading so that the line fills, or flood the line with
// noise instead of answering.
namespace pelvoro::test {

struct PeerAnswer {
    bool answer = true;
    QByteArray bytes; // sent instead of the card's answer (the address) when not empty
    int delayMs = 0;  // after the last byte of the step came

    static PeerAnswer Card(int delayMs = 0) { return {true, {}, delayMs}; }
    static PeerAnswer None() { return {false, {}, 0}; }
    static PeerAnswer Bytes(QByteArray bytes) { return {true, std::move(bytes), 0}; }
};

struct PeerScript {
    PeerAnswer preamble; // the answer to the address preamble
    PeerAnswer frame;    // the answer to the whole frame
    // Once this many bytes of the exchange have come (-1: never) the peer goes away: the card end of
    // the pseudo-terminal is closed, the connection reset (or closed in order with `orderlyClose`).
    qint64 hangUpAfter = -1;
    bool orderlyClose = false;
    // Once this many bytes of the exchange have come the peer reads nothing more (-1: never).
    qint64 stopReadingAfter = -1;
    // After the preamble, instead of its answer: noise on the line every millisecond for this long.
    int floodMs = 0;
    // Once this many bytes of the exchange have come, one burst of noise (-1: never).
    qint64 noiseAfter = -1;
};

class ScriptedPeer {
public:
    ScriptedPeer();
    virtual ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer &) = delete;
    ScriptedPeer &operator=(const ScriptedPeer &) = delete;

    // The next exchange: a preamble of `preambleBytes`, then a frame of `frameBytes`, answered as
    // `script` says. Answers still due from the previous exchange go out when they are due; a peer
    // that had stopped reading reads again, dropping what the line held meanwhile.
    void Expect(int preambleBytes, qint64 frameBytes, const PeerScript &script = {});

    // The peer goes away for good (the simulated card pulled out, the server stopped).
    virtual void Vanish() = 0;
    bool Gone() const { return gone_; }

    QByteArray received;       // every byte that came, over all exchanges
    qint64 exchangeBytes = 0;  // bytes of the current exchange so far
    QList<QByteArray> written; // what the peer wrote, answers and noise, one entry a write
    int answersDue = 0;        // answers scheduled and noise still to come

protected:
    void OnBytes(const QByteArray &bytes);
    virtual void Write(const QByteArray &bytes) = 0;
    // Goes away as the script says (hangUpAfter).
    virtual void HangUp(bool orderly) = 0;
    virtual void SetReading(bool on) = 0;
    void SetGone(bool gone) { gone_ = gone; }
    // Parent of the peer's timers: they die with the peer.
    QObject context_;

private:
    void Answer(const PeerAnswer &answer);
    void Flood(int ms);

    int preambleBytes_ = 2;
    qint64 frameBytes_ = 0;
    PeerScript script_;
    quint8 address_ = 0;
    bool gone_ = false;
    bool reading_ = true;
};

// The card's end of a pseudo-terminal; the station opens Device(). The device end is held open as
// well, so that the line lives while the station closes and reopens its port.
class PtyPeer : public ScriptedPeer {
public:
    PtyPeer();
    ~PtyPeer() override;

    bool Ok() const { return pty_.IsOpen(); }
    const QString &Device() const { return pty_.Device(); }
    void Vanish() override;
    // Discards what waits in the line towards the peer.
    void DrainLine();

protected:
    void Write(const QByteArray &bytes) override;
    void HangUp(bool orderly) override;
    void SetReading(bool on) override;

private:
    PseudoTerminal pty_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// A server on 127.0.0.1; with `oneClient` it serves one connection at a time, as a controller's
// network port does, and closes any other at once.
class TcpPeer : public ScriptedPeer {
public:
    explicit TcpPeer(bool oneClient = false);
    ~TcpPeer() override;

    quint16 Port() const { return port_; }
    int connections = 0; // accepted and served
    int turnedAway = 0;  // closed at once because one was already served
    void Vanish() override;

protected:
    void Write(const QByteArray &bytes) override;
    void HangUp(bool orderly) override;
    void SetReading(bool on) override;

private:
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    bool oneClient_;
    quint16 port_ = 0;
};

// A port on 127.0.0.1 where nothing listens, for as long as the object lives: the port is bound and
// never listened on, so every connection to it is refused and no other test can take it meanwhile.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort &) = delete;
    ClosedPort &operator=(const ClosedPort &) = delete;

    quint16 Port() const { return port_; } // 0 when no port could be bound

private:
    int fd_ = -1;
    quint16 port_ = 0;
};

} // namespace pelvoro::test
