#include "support/scripted_peer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pelvoro::test {

namespace {

// Noise that acknowledges nothing: never a single byte, and no screen number in it.
const QByteArray kNoise(16, char(0xEE));
constexpr qsizetype kReadBytes = 4096;

} // namespace

ScriptedPeer::ScriptedPeer() = default;
ScriptedPeer::~ScriptedPeer() = default;

void ScriptedPeer::Expect(int preambleBytes, qint64 frameBytes, const PeerScript &script)
{
    preambleBytes_ = preambleBytes;
    frameBytes_ = frameBytes;
    script_ = script;
    exchangeBytes = 0;
    if (!reading_) {
        reading_ = true;
        SetReading(true);
    }
}

void ScriptedPeer::OnBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    received.append(bytes);
    const qint64 before = exchangeBytes;
    exchangeBytes += bytes.size();
    if (before == 0)
        address_ = quint8(bytes[0]);
    const auto crossed = [&](qint64 mark) { return mark >= 0 && before < mark && exchangeBytes >= mark; };
    if (crossed(preambleBytes_)) {
        if (script_.floodMs > 0)
            Flood(script_.floodMs);
        else
            Answer(script_.preamble);
    }
    if (frameBytes_ > 0 && crossed(preambleBytes_ + frameBytes_))
        Answer(script_.frame);
    if (crossed(script_.noiseAfter)) {
        written.append(kNoise);
        Write(kNoise);
    }
    if (crossed(script_.stopReadingAfter)) {
        reading_ = false;
        SetReading(false);
    }
    if (crossed(script_.hangUpAfter)) {
        HangUp(script_.orderlyClose);
        gone_ = true;
    }
}

void ScriptedPeer::Answer(const PeerAnswer &answer)
{
    if (!answer.answer)
        return;
    const QByteArray bytes = answer.bytes.isEmpty() ? QByteArray(1, char(address_)) : answer.bytes;
    if (answer.delayMs <= 0) {
        written.append(bytes);
        Write(bytes);
        return;
    }
    ++answersDue;
    QTimer::singleShot(answer.delayMs, Qt::PreciseTimer, &context_, [this, bytes] {
        --answersDue;
        if (gone_)
            return;
        written.append(bytes);
        Write(bytes);
    });
}

void ScriptedPeer::Flood(int ms)
{
    auto *timer = new QTimer(&context_);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setTimerType(Qt::PreciseTimer);
    ++answersDue;
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, clock, ms] {
        if (gone_ || clock->elapsed() >= ms) {
            --answersDue;
            timer->stop();
            timer->deleteLater();
            return;
        }
        written.append(kNoise);
        Write(kNoise);
    });
    timer->start(1);
}

PtyPeer::PtyPeer()
{
    if (!pty_.Open())
        return;
    notifier_ = std::make_unique<QSocketNotifier>(pty_.CardEnd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] {
        // A bounded read, so that the script's marks fall within a few kilobytes of a station that
        // keeps writing.
        QByteArray bytes(kReadBytes, Qt::Uninitialized);
        ssize_t n = -1;
        do
            n = ::read(pty_.CardEnd(), bytes.data(), size_t(bytes.size()));
        while (n < 0 && errno == EINTR);
        if (n > 0)
            OnBytes(bytes.left(n));
    });
}

PtyPeer::~PtyPeer()
{
    notifier_.reset();
}

void PtyPeer::Vanish()
{
    HangUp(false);
    SetGone(true);
}

void PtyPeer::DrainLine()
{
    pty_.ReadAvailable();
}

void PtyPeer::Write(const QByteArray &bytes)
{
    pty_.WriteAll(bytes);
}

void PtyPeer::HangUp(bool)
{
    notifier_.reset();
    pty_.CloseCardEnd();
}

void PtyPeer::SetReading(bool on)
{
    // What the line held while the peer did not read is the tail of a frame the station gave up
    // on; a card drops it as it waits for the next preamble (the parity bit tells it apart).
    if (on)
        DrainLine();
    if (notifier_)
        notifier_->setEnabled(on);
}

TcpPeer::TcpPeer(bool oneClient) : oneClient_(oneClient)
{
    server_.listen(QHostAddress::LocalHost, 0);
    port_ = server_.serverPort();
    QObject::connect(&server_, &QTcpServer::newConnection, &context_, [this] {
        while (QTcpSocket *socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            if (oneClient_ && client_ && client_->state() == QAbstractSocket::ConnectedState) {
                ++turnedAway;
                socket->disconnectFromHost();
                continue;
            }
            ++connections;
            client_ = socket;
            SetGone(false);
            QObject::connect(socket, &QTcpSocket::readyRead, &context_, [this, socket] {
                if (socket == client_)
                    OnBytes(socket->readAll());
            });
        }
    });
}

TcpPeer::~TcpPeer()
{
    if (client_)
        client_->abort();
}

void TcpPeer::Vanish()
{
    server_.close();
    HangUp(false);
    SetGone(true);
}

void TcpPeer::Write(const QByteArray &bytes)
{
    if (client_ && client_->state() == QAbstractSocket::ConnectedState)
        client_->write(bytes);
}

void TcpPeer::HangUp(bool orderly)
{
    if (!client_)
        return;
    if (orderly)
        client_->disconnectFromHost();
    else
        client_->abort();
}

void TcpPeer::SetReading(bool)
{
    // A TCP peer that stops reading fills buffers of megabytes before the station notices; not
    // scripted.
}

ClosedPort::ClosedPort() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    if (fd_ < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // the system picks a free one
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port_ = ntohs(address.sin_port);
}

ClosedPort::~ClosedPort()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace pelvoro::test
