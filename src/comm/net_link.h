#pragma once

#include "comm/command_registry.h"
#include "comm/send_sequence.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

class QTcpSocket;

// The network link: the station's one TCP connection to a controller, the watch that reports it
// and the exchange run for each request (address, echo, frame, echo). Everything happens on the
// user-interface thread, driven by the socket's events and by timers; nothing ever sleeps.
namespace pelvoro {

class Prompt;
struct ScreenTable;

// The link's waits, in milliseconds. Tests shorten them; the defaults are the controllers' own.
struct NetTimings {
    int watchMs = 700;        // Timerlink
    int blockPauseMs = 15000; // between the blocks of a large frame
    int followUpMs = 3500;    // between an acknowledgement and the next part of a full send
};

// "加载屏参数成功！", "发送主区域数据成功！", ... by reply kind.
QString NetSuccessText(ReplyKind kind);
// The success text of a request: its reply kind's, except for the commands that share a kind with
// another (schedules, the cancel, test patterns, glyphs), which say what they did: the caption the
// serial link shows while sending them, followed by "成功！".
QString NetSuccessText(const SendRequest &request);
// "状态:与n号显示屏的网络连接已断开，请点击连接IP": the connection went away under the station.
QString NetConnectionLostText(int screenIndex);
// "状态:请先点击连接IP再发送数据！": no connection to send over.
QString NetNotConnectedText();

// The blocks a frame of `length` bytes goes out in: whole up to H + 1 bytes, H = 13 + 4 * Q +
// 131072 (Q the network page count); else H bytes, then 131072-byte blocks while more than
// 131073 bytes remain, then the rest.
std::vector<qint64> PlanNetBlocks(qint64 length, int networkPageCount);

// The Windows Sockets number the operator's texts are keyed by, for a socket error; 0 for an
// error that has none of the listed numbers (it shows nothing).
int SocketErrorCode(QAbstractSocket::SocketError error);
// The message boxes of a Windows Sockets number, in order: none for numbers not listed, two for
// 10053 and 10054.
QStringList SocketErrorTexts(int code);

class NetLink : public QObject {
    Q_OBJECT
public:
    // `table` is the station's working copy: the link reads CurrentScreen and the screens'
    // CommMode, IpAddress and IpPort. The watch starts at once, as it does at start-up.
    NetLink(const ScreenTable &table, Prompt &prompt, NetTimings timings = {}, QObject *parent = nullptr);
    ~NetLink() override;

    QTcpSocket *ClientSocket() const { return socket_; }
    QTimer *Timerlink() { return &watch_; }
    // The host and port as last set (192.168.0.7 and 1024 before the first connect).
    QString Host() const { return host_; }
    quint16 Port() const { return port_; }

    // "连接IP" for screen i: starts the watch; for a network screen closes the connection and
    // opens one to the screen's IpAddress and IpPort (it completes in the background); for any
    // other screen only closes it. A request still pending on the old connection is forgotten.
    void ConnectScreen(int screen);
    // Sends the address (A, A) at once when connected (or once the connection being opened is up),
    // keeps the frame until the controller echoes and remembers the reply kind; a main-area request
    // also sets the network page count. Whatever was pending is forgotten. Returns at once. Without
    // a connection nothing is kept: the status says so and ConnectionLost follows.
    void NetSend(const SendRequest &request);

    // The full send whose pending parts follow an acknowledgement; nullptr for none. With a
    // sequence, an acknowledgement takes the next part (SendSequence::FollowUp, which clears its
    // flag) and followUpMs later FollowUpDue asks the owner to send it, as if its button had been
    // pressed.
    void SetSequence(SendSequence *sequence) { sequence_ = sequence; }

    // The link is sending the blocks of a large frame, waiting to hand over a follow-up, or letting
    // a frame's last bytes leave before a connect closes the socket. Nothing else is sent meanwhile: ConnectScreen and
    // NetSend made then run in order when it is over, and answers are read then.
    bool Busy() const { return busy_; }
    bool AwaitingEcho() const { return state_ == State::AwaitingEcho; }
    int NetworkPageCount() const { return networkPageCount_; }
    // Set from the acknowledgement until FollowUpDue.
    bool FollowUpScheduled() const { return followUp_.has_value(); }

Q_SIGNALS:
    // Status bar panel 1.
    void StatusText(const QString &text);
    // Frame bytes handed to the socket so far, after every block.
    void BlockSent(qint64 sent, qint64 total);
    // The controller acknowledged the frame (the success text is already shown). Emitted after
    // the follow-up was taken, so FollowUpScheduled() tells whether FollowUpDue will come.
    void Acknowledged(pelvoro::ReplyKind kind);
    // followUpMs after an acknowledgement: send this part of the full send now.
    void FollowUpDue(pelvoro::SendPart part);
    // The link now waits `ms` of its own (between the blocks of a large frame, before a follow-up):
    // time in which nobody waits on the controller.
    void Pausing(int ms);
    // The request in progress, or the one just made, will not be answered: the connection went away
    // (or never stood). The status already says so and tells the operator to press "连接IP".
    void ConnectionLost();

private:
    enum class State { Idle, AwaitingEcho, FrameSent };

    void OnWatch();
    void OnReadyRead();
    void OnSocketError(QAbstractSocket::SocketError error);
    // The connection closed without the station asking for it, or could not be opened under a
    // request.
    void OnConnectionGone();
    void SendFrame();
    void SendNextBlock();
    void StopBlocks();
    void EndBusy();
    void EndDrain();
    void EndBusyLater();
    void RunOrDefer(std::function<void()> operation);
    int CurrentAddress() const;

    const ScreenTable &table_;
    Prompt &prompt_;
    NetTimings timings_;
    QTcpSocket *socket_;
    QTimer watch_;
    QTimer blockTimer_;
    QTimer followUpTimer_;
    QString host_ = QStringLiteral("192.168.0.7");
    quint16 port_ = 1024;

    State state_ = State::Idle;
    QByteArray pendingFrame_;
    ReplyKind replyKind_ = ReplyKind::Params;
    QString successText_;
    int connectedScreen_ = -1; // the screen of the connection last opened
    bool lost_ = false;        // that connection went away under the station
    bool closing_ = false;     // the station itself closes the socket
    int networkPageCount_ = 0;
    int preambleOnConnect_ = 0; // the screen number to announce once the connection is up

    bool busy_ = false;
    bool draining_ = false; // a connect waits for the socket to hand over what it still holds
    bool endBusyQueued_ = false;
    QByteArray sending_; // the frame going out in blocks
    std::vector<qint64> blocks_;
    size_t nextBlock_ = 0;
    qint64 sent_ = 0;
    std::optional<SendPart> followUp_;
    std::deque<std::function<void()>> deferred_;
    SendSequence *sequence_ = nullptr;
};

} // namespace pelvoro
