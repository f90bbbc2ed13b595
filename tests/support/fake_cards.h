#pragma once

// Controller cards the links can talk to in tests: one behind a pseudo-terminal (the serial link
// opens its slave side) and one behind a local TCP server. Both run the station's own card code.
// Also the main-area and subtitle files the tests send them.
#include "comm/command_registry.h"
#include "comm/frames.h"
#include "sim/controller_card.h"
#include "sim/pseudo_terminal.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <optional>
#include <termios.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace pelvoro::test {

// A main-area page file of `pages` dual-colour pages for a w x h area at the top of screen
// `address`, its rasters `pattern` over and over.
inline QByteArray MainAreaFile(int address, int w, int h, int pages, QByteArrayView pattern)
{
    QByteArray f;
    f.append(char(address));
    f.append(char(kCodeMainPages));
    f.append(char(0x04));
    f.append(char(0));
    for (int v : {0, 0, w - 1, h - 1}) {
        f.append(char(v & 0xFF));
        f.append(char(v >> 8));
    }
    f.append(char(pages));
    for (int k = 0; k < pages; ++k)
        f.append(QByteArray::fromHex("00000101"));
    const qint64 raster = AreaPageBytes(w, h, 1) * pages;
    f.reserve(f.size() + raster + 1);
    for (qint64 i = 0; i < raster; ++i)
        f.append(pattern[i % pattern.size()]);
    f.append(char(kFrameEnd));
    return f;
}

// The request a send operation makes of `frame`; fails the test when the frame names no command.
inline SendRequest Request(int index, const QByteArray &frame)
{
    std::optional<SendRequest> request = MakeSendRequest(index, frame);
    EXPECT_TRUE(request.has_value()) << frame.left(2).toHex().toStdString();
    return request.value_or(SendRequest{});
}

// A subtitle file of `pages` pages for screen `address`: a 64 x 16 dual-colour strip at row 16.
inline QByteArray SubtitleStripFile(int address, int pages)
{
    QByteArray f;
    f.append(char(address));
    f.append(char(kCodeSubtitlePages));
    f.append(char(0x08));
    f.append(char(0));
    for (int v : {0, 16, 63, 31}) {
        f.append(char(v & 0xFF));
        f.append(char(v >> 8));
    }
    f.append(char(pages));
    f.append(QByteArray::fromHex("00000101")); // move style, reserved, speed, dwell
    f.append(QByteArray(AreaPageBytes(64, 16, 1) * pages, char(0x5A)));
    f.append(char(kFrameEnd));
    return f;
}

// (screen number, command code) of every frame a card kept, in order.
using KeptFrames = std::vector<std::pair<int, int>>;
inline KeptFrames Kept(const std::vector<CardExchange> &exchanges)
{
    KeptFrames kept;
    for (const CardExchange &e : exchanges) {
        if (e.outcome == CardExchange::Outcome::Acknowledged)
            kept.emplace_back(e.address, e.code);
    }
    return kept;
}

// A controller card on the master side of a pseudo-terminal pair; the link opens the slave. The
// card notes the parity the line was set to when each byte arrived (the test holds the slave open
// too, so it reads the line settings the link made; parity bits themselves do not travel).
class PtyCard {
public:
    explicit PtyCard(CardOptions options = {}) : card_(options)
    {
        if (!pty_.Open())
            return;
        notifier_ = std::make_unique<QSocketNotifier>(pty_.CardEnd(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
    }

    bool Ok() const { return pty_.IsOpen(); }
    const QString &Device() const { return pty_.Device(); }

    // The card's end goes away (an adapter pulled out) once this many bytes have come.
    qint64 closeAfter = -1;

    QByteArray received;
    QByteArray underMark;  // bytes that arrived while the line was set to mark parity
    QByteArray underSpace; // ... space parity
    std::vector<CardExchange> exchanges;
    ControllerCard &Card() { return card_; }

    // Bytes the card wrote before the link opened its port (a late answer to an earlier transfer).
    void WriteEarly(QByteArrayView bytes) { pty_.WriteAll(bytes); }

    void CloseMaster()
    {
        notifier_.reset();
        pty_.CloseCardEnd();
    }

private:
    void OnReadable()
    {
        const QByteArray bytes = pty_.ReadAvailable();
        if (bytes.isEmpty())
            return;
        termios line{};
        ::tcgetattr(pty_.DeviceEnd(), &line);
        // A pseudo-terminal drops the enable bit but keeps the mark/space choice.
        if (line.c_cflag & CMSPAR)
            ((line.c_cflag & PARODD) ? underMark : underSpace).append(bytes);
        received.append(bytes);
        const ControllerCard::Output out = card_.Feed(bytes);
        exchanges.insert(exchanges.end(), out.exchanges.begin(), out.exchanges.end());
        for (const QByteArray &answer : out.answers)
            pty_.WriteAll(answer);
        if (closeAfter >= 0 && received.size() >= closeAfter)
            CloseMaster();
    }

    ControllerCard card_;
    PseudoTerminal pty_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// A controller card behind 127.0.0.1:<any port>. `script`, when set, answers instead of the card.
class TcpCard {
public:
    explicit TcpCard(CardOptions options = {}) : card_(options)
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection())
                Accept(socket);
        });
    }

    quint16 Port() const { return server_.serverPort(); }

    QByteArray received;
    std::vector<qint64> receivedAt; // bytes received so far at each read
    std::vector<CardExchange> exchanges;
    int connections = 0;
    qint64 closeAfter = -1; // aborts the connection once this many bytes have come
    std::function<QByteArray(const QByteArray &)> script;
    ControllerCard &Card() { return card_; }

private:
    void Accept(QTcpSocket *socket)
    {
        ++connections;
        card_.Reset();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray bytes = socket->readAll();
            received += bytes;
            receivedAt.push_back(received.size());
            if (script) {
                const QByteArray reply = script(bytes);
                if (!reply.isEmpty())
                    socket->write(reply);
            } else {
                const ControllerCard::Output out = card_.Feed(bytes);
                exchanges.insert(exchanges.end(), out.exchanges.begin(), out.exchanges.end());
                for (const QByteArray &answer : out.answers)
                    socket->write(answer);
            }
            if (closeAfter >= 0 && received.size() >= closeAfter)
                socket->abort();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QTcpServer server_;
    ControllerCard card_;
};

} // namespace pelvoro::test
