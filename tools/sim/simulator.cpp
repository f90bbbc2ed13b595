#include "simulator.h"

#include "base/atomic_file.h"
#include "sim/card_state.h"

#include <QBuffer>
#include <QDir>
#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace pelvoro::sim {
namespace {

using LineClock = std::chrono::steady_clock;

// Start bit, 8 data bits, the parity bit and a stop bit.
constexpr qint64 kBitsPerByte = 11;

LineClock::duration LineTime(qint64 bytes, int baud)
{
    return std::chrono::nanoseconds(bytes * kBitsPerByte * 1000000000LL / baud);
}

// Milliseconds from now until `when`, rounded up so that a slice never arrives early.
int MsUntil(LineClock::time_point when)
{
    const auto left = when - LineClock::now();
    if (left <= LineClock::duration::zero())
        return 0;
    return int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

void Print(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void PrintErr(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

Simulator::Simulator(SimOptions options) : options_(std::move(options)) {}

Simulator::~Simulator()
{
    delete notifier_;
    delete serialGap_;
}

bool Simulator::Start(QString *error)
{
    if (!options_.stateDir.isEmpty()) {
        if (!QDir().mkpath(options_.stateDir)) {
            *error = QStringLiteral("cannot create the state directory %1").arg(options_.stateDir);
            return false;
        }
        QStringList warnings;
        LoadCardMemory(options_.stateDir, memory_, &warnings);
        for (const QString &warning : warnings)
            PrintErr(warning);
    }
    if (options_.tcpPort >= 0 && !StartTcp(error))
        return false;
    if (options_.serial && !StartSerial(error))
        return false;
    return true;
}

bool Simulator::StartTcp(QString *error)
{
    server_ = new QTcpServer();
    if (!server_->listen(QHostAddress::LocalHost, quint16(options_.tcpPort))) {
        *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(options_.tcpPort).arg(server_->errorString());
        return false;
    }
    QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
        while (QTcpSocket *socket = server_->nextPendingConnection()) {
            const QString link = QStringLiteral("tcp#%1").arg(++connections_);
            Print(QStringLiteral("%1: connected from %2:%3")
                      .arg(link, socket->peerAddress().toString())
                      .arg(socket->peerPort()));
            // Each connection starts a clean exchange over the card's one memory.
            // Over the network every card family is announced with the two-byte preamble.
            CardOptions networkCard = options_.card;
            networkCard.family = CardFamily::Normal;
            auto card = std::make_shared<ControllerCard>(networkCard, &memory_);
            QPointer<QTcpSocket> guarded(socket);
            const auto write = [guarded](const QByteArray &bytes) {
                if (guarded && guarded->state() == QAbstractSocket::ConnectedState) {
                    guarded->write(bytes);
                    guarded->flush();
                }
            };
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, card, link, write] {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    return;
                const QByteArray bytes = socket->readAll();
                const ControllerCard::Output out = card->Feed(bytes);
                Handle(link, out, write);
                if (out.dropped) {
                    Print(link + QStringLiteral(": closing the connection mid-frame"));
                    socket->abort();
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket, card, link, write] {
                Handle(link, card->Reset(), write);
                Print(link + QStringLiteral(": closed"));
                socket->deleteLater();
            });
        }
    });
    Print(QStringLiteral("listening on 127.0.0.1:%1").arg(server_->serverPort()));
    return true;
}

bool Simulator::StartSerial(QString *error)
{
    if (!pty_.Open(error))
        return false;
    serialCard_ = std::make_unique<ControllerCard>(options_.card, &memory_);
    notifier_ = new QSocketNotifier(pty_.CardEnd(), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { OnSerialReadable(); });
    // Parity does not travel, so after a frame the station cut off (or one sized for another colour
    // depth) only silence tells the card that the next bytes open a new exchange.
    serialGap_ = new QTimer();
    serialGap_->setSingleShot(true);
    QObject::connect(serialGap_, &QTimer::timeout, serialGap_, [this] {
        Handle(QStringLiteral("serial"), serialCard_->EndAfterGap(serialGap_->interval()),
               [this](const QByteArray &answer) { pty_.WriteAll(answer); });
    });
    Print(QStringLiteral("serial device %1").arg(pty_.Device()));
    return true;
}

void Simulator::OnSerialReadable()
{
    if (options_.baud > 0) {
        ReadSlice(false);
        return;
    }
    const QByteArray bytes = pty_.ReadAvailable();
    if (!bytes.isEmpty())
        FeedSerial(bytes);
}

void Simulator::FeedSerial(const QByteArray &bytes)
{
    Handle(QStringLiteral("serial"), serialCard_->Feed(bytes), [this](const QByteArray &answer) {
        if (options_.baud > 0)
            WritePaced(answer);
        else
            pty_.WriteAll(answer);
    });
    // The station's own pauses inside a large frame are no sign that it gave up.
    constexpr int kStationPauseMs = 3000;
    serialGap_->start(options_.serialGapMs + (serialCard_->ExpectsSendPauses() ? kStationPauseMs : 0));
}

void Simulator::ReadSlice(bool continuing)
{
    // About 5 ms of the line per slice: fine enough that the station's writes are held back as a
    // line holds them back, coarse enough for the timers.
    const qint64 sliceBytes = std::max<qint64>(1, options_.baud / kBitsPerByte / 200);
    QByteArray bytes(sliceBytes, Qt::Uninitialized);
    ssize_t n = -1;
    do
        n = ::read(pty_.CardEnd(), bytes.data(), size_t(sliceBytes));
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
        notifier_->setEnabled(true);
        return;
    }
    bytes.truncate(n);
    notifier_->setEnabled(false);
    // Bytes that were waiting while the previous slice crossed followed it without a gap; bytes
    // that woke the notifier started crossing now.
    const LineClock::time_point start = continuing ? inboundFree_ : std::max(inboundFree_, LineClock::now());
    inboundFree_ = start + LineTime(n, options_.baud);
    QTimer::singleShot(MsUntil(inboundFree_), Qt::PreciseTimer, notifier_, [this, bytes] { DeliverSlice(bytes); });
}

void Simulator::DeliverSlice(const QByteArray &bytes)
{
    FeedSerial(bytes);
    ReadSlice(true);
}

void Simulator::WritePaced(const QByteArray &answer)
{
    const LineClock::time_point start = std::max(outboundFree_, LineClock::now());
    outboundFree_ = start + LineTime(answer.size(), options_.baud);
    QTimer::singleShot(MsUntil(outboundFree_), Qt::PreciseTimer, notifier_, [this, answer] { pty_.WriteAll(answer); });
}

void Simulator::Handle(const QString &link, const ControllerCard::Output &out,
                       const std::function<void(const QByteArray &)> &write)
{
    for (const CardExchange &exchange : out.exchanges)
        Print(link + QStringLiteral(": ") + exchange.Describe());
    for (int address : out.changed)
        Keep(address);
    for (const QByteArray &answer : out.answers) {
        if (options_.delayMs > 0)
            QTimer::singleShot(options_.delayMs, [write, answer] { write(answer); });
        else
            write(answer);
    }
}

void Simulator::Keep(int address)
{
    if (options_.stateDir.isEmpty())
        return;
    const CardScreenMemory &screen = memory_.Screen(address);
    QString error;
    if (!SaveCardScreen(options_.stateDir, address, screen, &error))
        PrintErr(QStringLiteral("cannot keep the state of screen %1: %2").arg(address).arg(error));
    if (!options_.snapshot)
        return;
    const QImage image = RenderCardScreen(screen, options_.moduleType);
    if (image.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QString path = QDir(CardScreenFolder(options_.stateDir, address)).filePath(QStringLiteral("screen.png"));
    if (!image.save(&buffer, "PNG") || !WriteFileAtomically(path, png, &error))
        PrintErr(QStringLiteral("cannot write %1 %2").arg(path, error).trimmed());
}

} // namespace pelvoro::sim
