#include "comm/net_link.h"

#include "base/prompt.h"
#include "comm/exchange.h"
#include "comm/send_dispatch.h"
#include "config/screen_info.h"

#include <QTcpSocket>

namespace pelvoro {

namespace {

constexpr qint64 kNetBlockBytes = 131072;

struct SocketErrorText {
    int code;
    const char16_t *text;
};

// The texts of the Windows Sockets numbers; 10053 and 10054 add a second box.
constexpr SocketErrorText kSocketErrorTexts[] = {
    {10004, u"操作被终止！"},
    {10013, u"访问被拒绝！"},
    {10014, u"地址错误！"},
    {10022, u"参数错误！"},
    {10024, u"打开太多的Socket！"},
    {10035, u"没有可以获取的资料！"},
    {10036, u"操作正在执行中！"},
    {10038, u"在一个非法的 Socket 对象上执行操作！"},
    {10039, u"目标地址缺失！"},
    {10040, u"数据太长！"},
    {10041, u"协议类型错误！"},
    {10042, u"错误的协议选项！"},
    {10043, u"协议不支持！"},
    {10044, u"Socket 类型不支持！"},
    {10045, u"不支持指定操作！"},
    {10046, u"协议族不支持！"},
    {10047, u"所使用的地址族不在支持之列！"},
    {10048, u"地址已经被使用！"},
    {10049, u"设置地址失败！"},
    {10050, u"网络关闭！"},
    {10051, u"网络不可达！"},
    {10052, u"网络被重置！"},
    {10053, u"软件导致连接退出！"},
    {10054, u"连接被重置！"},
    {10055, u"缓冲不足！"},
    {10056, u"Socket 已经连接！"},
};

} // namespace

QString NetSuccessText(ReplyKind kind)
{
    switch (kind) {
    case ReplyKind::Params:
        return QStringLiteral("加载屏参数成功！");
    case ReplyKind::MainArea:
        return QStringLiteral("发送主区域数据成功！");
    case ReplyKind::Clock:
        return QStringLiteral("发送时钟区域数据成功！");
    case ReplyKind::Temperature:
        return QStringLiteral("发送温度区域数据成功！");
    case ReplyKind::Subtitle:
        return QStringLiteral("发送字幕区域数据成功！");
    case ReplyKind::PowerOn:
        return QStringLiteral("强制开机成功！");
    case ReplyKind::PowerOff:
        return QStringLiteral("强制关机成功！");
    case ReplyKind::Fpga:
        return QStringLiteral("下载FPGA程序成功！");
    case ReplyKind::TimeSync:
        return QStringLiteral("发送校时数据成功！");
    case ReplyKind::Outdoor:
        return QStringLiteral("加载户外配置程序成功！");
    }
    return QString();
}

QString NetSuccessText(const SendRequest &request)
{
    const CommandSpec *spec = FindCommand(request.frame);
    const bool sharesItsKind = spec && spec->code != kCodeScreenParams && spec->code != kCodeFileDownload
                               && (spec->replyKind == ReplyKind::Params || spec->replyKind == ReplyKind::Fpga);
    return sharesItsKind ? spec->Caption() + QStringLiteral("成功！") : NetSuccessText(request.replyKind);
}

QString NetConnectionLostText(int screenIndex)
{
    return QStringLiteral("状态:与") + QString::number(screenIndex + 1)
           + QStringLiteral("号显示屏的网络连接已断开，请点击连接IP");
}

QString NetNotConnectedText()
{
    return QStringLiteral("状态:请先点击连接IP再发送数据！");
}

std::vector<qint64> PlanNetBlocks(qint64 length, int networkPageCount)
{
    std::vector<qint64> blocks;
    if (length <= 0)
        return blocks;
    const qint64 head = 13 + 4 * qint64(networkPageCount) + kNetBlockBytes;
    if (length <= head + 1) {
        blocks.push_back(length);
        return blocks;
    }
    blocks.push_back(head);
    qint64 remaining = length - head;
    while (remaining > kNetBlockBytes + 1) {
        blocks.push_back(kNetBlockBytes);
        remaining -= kNetBlockBytes;
    }
    blocks.push_back(remaining);
    return blocks;
}

// The socket's error conditions under the Windows Sockets numbers their texts are keyed by:
//
//   QAbstractSocket error               number  shown
//   RemoteHostClosedError               10054   "服务器已关闭，请稍后再拨......." + "连接被重置！"
//   SocketAccessError                   10013   "访问被拒绝！"
//   SocketResourceError                 10024   "打开太多的Socket！"
//   DatagramTooLargeError               10040   "数据太长！"
//   NetworkError                        10051   "网络不可达！"
//   AddressInUseError                   10048   "地址已经被使用！"
//   SocketAddressNotAvailableError      10049   "设置地址失败！"
//   UnsupportedSocketOperationError     10047   "所使用的地址族不在支持之列！" (e.g. no IPv6)
//   UnfinishedSocketOperationError      10036   "操作正在执行中！"
//   TemporaryError                      10035   "没有可以获取的资料！"
//   ConnectionRefusedError              10061   nothing (not listed)
//   SocketTimeoutError                  10060   nothing (not listed)
//   HostNotFoundError                   11001   nothing (not listed)
//   OperationError                      10057   nothing (not listed: not connected)
//   everything else (proxy, TLS, unknown)  0    nothing
//
// The socket reports a peer's close and a reset alike; the reset's wording is the one that
// tells the operator the controller went away.
int SocketErrorCode(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10024;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10051;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10047;
    case QAbstractSocket::UnfinishedSocketOperationError:
        return 10036;
    case QAbstractSocket::TemporaryError:
        return 10035;
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::OperationError:
        return 10057;
    default:
        return 0;
    }
}

QStringList SocketErrorTexts(int code)
{
    QStringList texts;
    if (code == 10053 || code == 10054)
        texts.append(QStringLiteral("服务器已关闭，请稍后再拨......."));
    for (const SocketErrorText &entry : kSocketErrorTexts) {
        if (entry.code == code)
            texts.append(QString::fromUtf16(entry.text));
    }
    return texts;
}

NetLink::NetLink(const ScreenTable &table, Prompt &prompt, NetTimings timings, QObject *parent)
    : QObject(parent), table_(table), prompt_(prompt), timings_(timings), socket_(new QTcpSocket(this))
{
    socket_->setObjectName(QStringLiteral("ClientSocket"));
    watch_.setObjectName(QStringLiteral("Timerlink"));
    watch_.setInterval(timings_.watchMs);
    connect(&watch_, &QTimer::timeout, this, &NetLink::OnWatch);
    blockTimer_.setSingleShot(true);
    connect(&blockTimer_, &QTimer::timeout, this, &NetLink::SendNextBlock);
    followUpTimer_.setSingleShot(true);
    connect(&followUpTimer_, &QTimer::timeout, this, [this] {
        const std::optional<SendPart> part = followUp_;
        followUp_.reset();
        // The follow-up goes before anything asked for during the wait.
        busy_ = false;
        if (part)
            Q_EMIT FollowUpDue(*part);
        EndBusy();
    });
    connect(socket_, &QTcpSocket::readyRead, this, &NetLink::OnReadyRead);
    connect(socket_, &QAbstractSocket::errorOccurred, this, &NetLink::OnSocketError);
    connect(socket_, &QAbstractSocket::disconnected, this, [this] {
        if (!blocks_.empty())
            StopBlocks();
        EndDrain();
        if (!closing_)
            OnConnectionGone();
    });
    connect(socket_, &QIODevice::bytesWritten, this, [this] {
        if (socket_->bytesToWrite() == 0)
            EndDrain();
    });
    connect(socket_, &QAbstractSocket::connected, this, [this] {
        // A request made while the connection was being opened (a walk reaching a screen) goes
        // out now instead of waiting for ever.
        if (preambleOnConnect_ && state_ == State::AwaitingEcho)
            socket_->write(NetworkPreamble(quint8(preambleOnConnect_)));
        preambleOnConnect_ = 0;
    });
    watch_.start();
}

NetLink::~NetLink()
{
    // No error boxes while the window goes away.
    socket_->disconnect(this);
    socket_->abort();
}

int NetLink::CurrentAddress() const
{
    return table_.CurrentScreen + 1;
}

void NetLink::RunOrDefer(std::function<void()> operation)
{
    if (busy_)
        deferred_.push_back(std::move(operation));
    else
        operation();
}

void NetLink::ConnectScreen(int screen)
{
    RunOrDefer([this, screen] {
        // Closing drops what the socket has not yet handed to the system: the end of a frame
        // goes out first.
        if (socket_->state() == QAbstractSocket::ConnectedState && socket_->bytesToWrite() > 0) {
            draining_ = true;
            busy_ = true;
            deferred_.push_front([this, screen] { ConnectScreen(screen); });
            return;
        }
        watch_.start();
        closing_ = true;
        socket_->abort();
        closing_ = false;
        // A request of the old connection is not sent over the new one.
        state_ = State::Idle;
        preambleOnConnect_ = 0;
        lost_ = false;
        const ScreenInfo &info = table_[screen];
        if (!IsNetworkScreen(info))
            return;
        connectedScreen_ = screen;
        host_ = info.IpAddress;
        port_ = quint16(info.IpPort);
        socket_->connectToHost(host_.trimmed(), port_);
    });
}

void NetLink::NetSend(const SendRequest &request)
{
    RunOrDefer([this, request] {
        pendingFrame_ = request.frame;
        replyKind_ = request.replyKind;
        successText_ = NetSuccessText(request);
        state_ = State::AwaitingEcho;
        if (request.replyKind == ReplyKind::MainArea)
            networkPageCount_ = request.pageCount;
        // While a connection is being opened the request goes out once it is up.
        preambleOnConnect_ = 0;
        if (socket_->state() == QAbstractSocket::ConnectedState) {
            socket_->write(NetworkPreamble(request.Address()));
        } else if (socket_->state() == QAbstractSocket::HostLookupState
                   || socket_->state() == QAbstractSocket::ConnectingState) {
            preambleOnConnect_ = request.Address();
        } else {
            // Without a connection the operator would wait for nothing.
            state_ = State::Idle;
            Q_EMIT StatusText(lost_ ? NetConnectionLostText(connectedScreen_) : NetNotConnectedText());
            Q_EMIT ConnectionLost();
        }
    });
}

void NetLink::OnWatch()
{
    const int current = table_.CurrentScreen;
    const ScreenInfo &screen = table_[current];
    if (!IsNetworkScreen(screen))
        return;
    if (host_.trimmed() == screen.IpAddress.trimmed() && socket_->state() == QAbstractSocket::ConnectedState) {
        Q_EMIT StatusText(QStringLiteral("状态:已与") + QString::number(current + 1)
                          + QStringLiteral("号显示屏建立一个网络连接！"));
        watch_.stop();
        return;
    }
    Q_EMIT StatusText(NetNotConnectedText());
}

void NetLink::OnReadyRead()
{
    if (busy_)
        return; // read when the blocks or the follow-up wait are over
    const QByteArray received = socket_->readAll();
    if (state_ == State::Idle || !IsNetworkAcknowledgement(received, quint8(CurrentAddress())))
        return;
    if (state_ == State::AwaitingEcho) {
        SendFrame();
        return;
    }
    // The second echo: the frame was taken.
    state_ = State::Idle;
    Q_EMIT StatusText(QStringLiteral("状态:向") + QString::number(CurrentAddress()) + QStringLiteral("号显示屏")
                      + successText_);
    if (sequence_)
        followUp_ = sequence_->FollowUp(replyKind_);
    if (followUp_) {
        busy_ = true;
        followUpTimer_.start(timings_.followUpMs);
        Q_EMIT Pausing(timings_.followUpMs);
    }
    Q_EMIT Acknowledged(replyKind_);
}

void NetLink::SendFrame()
{
    state_ = State::FrameSent;
    sending_ = pendingFrame_;
    blocks_ = PlanNetBlocks(sending_.size(), networkPageCount_);
    nextBlock_ = 0;
    sent_ = 0;
    if (blocks_.size() == 1) {
        Q_EMIT StatusText(NetSendingText(CurrentAddress() - 1));
    }
    if (blocks_.size() > 1)
        busy_ = true;
    SendNextBlock();
}

void NetLink::SendNextBlock()
{
    if (nextBlock_ >= blocks_.size())
        return;
    const qint64 bytes = blocks_[nextBlock_++];
    if (socket_->state() != QAbstractSocket::ConnectedState
        || socket_->write(sending_.constData() + sent_, bytes) != bytes) {
        StopBlocks();
        return;
    }
    sent_ += bytes;
    Q_EMIT BlockSent(sent_, sending_.size());
    if (nextBlock_ < blocks_.size()) {
        blockTimer_.start(timings_.blockPauseMs);
        Q_EMIT Pausing(timings_.blockPauseMs);
        return;
    }
    const bool wasBusy = busy_;
    blocks_.clear();
    sending_.clear();
    if (wasBusy)
        EndBusy();
}

void NetLink::StopBlocks()
{
    blockTimer_.stop();
    blocks_.clear();
    sending_.clear();
    if (busy_ && !followUpTimer_.isActive())
        EndBusyLater();
}

void NetLink::EndDrain()
{
    if (!draining_)
        return;
    draining_ = false;
    EndBusyLater();
}

void NetLink::EndBusyLater()
{
    // Called from the socket's own signals: a connect run from inside them would be undone by the
    // socket's bookkeeping once the signal returns, so what waits runs from the event queue.
    if (endBusyQueued_)
        return;
    endBusyQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            endBusyQueued_ = false;
            if (busy_ && !draining_ && blocks_.empty() && !followUpTimer_.isActive())
                EndBusy();
        },
        Qt::QueuedConnection);
}

void NetLink::EndBusy()
{
    busy_ = false;
    // What was asked meanwhile runs now, in order, unless one of them makes the link busy again.
    while (!busy_ && !deferred_.empty()) {
        std::function<void()> operation = std::move(deferred_.front());
        deferred_.pop_front();
        operation();
    }
    if (!busy_ && socket_->bytesAvailable() > 0)
        OnReadyRead();
}

void NetLink::OnConnectionGone()
{
    if (lost_)
        return; // said once per connection
    blockTimer_.stop();
    preambleOnConnect_ = 0;
    state_ = State::Idle;
    lost_ = true;
    Q_EMIT StatusText(NetConnectionLostText(connectedScreen_));
    Q_EMIT ConnectionLost();
}

void NetLink::OnSocketError(QAbstractSocket::SocketError error)
{
    if (!blocks_.empty() && socket_->state() != QAbstractSocket::ConnectedState)
        StopBlocks();
    if (socket_->state() != QAbstractSocket::ConnectedState)
        EndDrain();
    // A connection that could not be opened under a request: that request goes nowhere.
    if (socket_->state() == QAbstractSocket::UnconnectedState && state_ != State::Idle && !closing_)
        OnConnectionGone();
    const QStringList texts = SocketErrorTexts(SocketErrorCode(error));
    if (texts.isEmpty())
        return;
    // Shown from the event queue, not from inside the socket's own notification.
    QMetaObject::invokeMethod(
        this,
        [this, texts] {
            for (const QString &text : texts)
                prompt_.Message(text, QStringLiteral("系统提示"), PromptIcon::Error);
        },
        Qt::QueuedConnection);
}

} // namespace pelvoro
