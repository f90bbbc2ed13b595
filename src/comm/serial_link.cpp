#include "comm/serial_link.h"

#include "base/prompt.h"
#include "comm/com_ports.h"
#include "config/screen_info.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>

namespace pelvoro {

// What the user-interface thread and the worker share for one transfer.
struct SerialTransferShared {
    std::mutex mutex;
    std::condition_variable changed;
    bool ack = false;   // the acknowledgement event
    bool stop = false;  // the stop flag
    quint64 judged = 0; // bursts judged so far
};

namespace {

// The worker looks at the stop flag and at newly arrived bytes at least this often.
constexpr int kSliceMs = 10;
constexpr qint64 kMaxBurst = 1024;
// A byte on the line: start bit, 8 data bits, the parity bit (mark or space) and a stop bit.
constexpr qint64 kLineBitsPerByte = 11;

QString Decimal(int n)
{
    return QString::number(n);
}

} // namespace

QString SerialStatusText(SerialPhase phase, const SendRequest &request)
{
    const QString caption = request.caption;
    if (request.Code() == kCodeFileDownload) {
        switch (phase) {
        case SerialPhase::Connecting:
            return QStringLiteral("状态：正在连接控制器...");
        case SerialPhase::Sending:
            return QStringLiteral("状态：向控制器") + caption + QStringLiteral("...");
        case SerialPhase::NoAnswer:
            return QStringLiteral("状态：向控制器") + caption + QStringLiteral("没有应答，请检查通讯线！");
        case SerialPhase::Succeeded:
            return QStringLiteral("状态：向控制器") + caption + QStringLiteral("成功！");
        case SerialPhase::NoFinalAnswer:
            return QStringLiteral("状态：发送控制器") + caption
                   + QStringLiteral("数据过程中错误，请检查上下位机设置！");
        }
    }
    const QString n = Decimal(request.Address());
    switch (phase) {
    case SerialPhase::Connecting:
        return QStringLiteral("状态：正在连接") + n + QStringLiteral("号显示屏...");
    case SerialPhase::Sending:
        return QStringLiteral("状态：正在向") + n + QStringLiteral("号显示屏") + caption + QStringLiteral("...");
    case SerialPhase::NoAnswer:
        return QStringLiteral("状态：") + n + QStringLiteral("号显示屏没有应答，请检查通讯线！");
    case SerialPhase::Succeeded:
        return QStringLiteral("状态：向") + n + QStringLiteral("号显示屏") + caption + QStringLiteral("成功！");
    case SerialPhase::NoFinalAnswer:
        return QStringLiteral("状态：发送") + n + QStringLiteral("号显示屏数据过程中错误，请检查上下位机设置！");
    }
    return QString();
}

SerialTarget SerialTarget::Of(const ScreenInfo &screen, bool broadcast)
{
    SerialTarget target;
    target.comPort = screen.ComPort;
    target.baudIndex = screen.BaudIndex;
    target.family = CardFamilyOf(screen.CardType);
    target.width = screen.Width;
    target.mainHeight = screen.MainHeight;
    target.colorMode = screen.ColorMode;
    target.broadcast = broadcast;
    return target;
}

int PreambleWaitMs(const SerialTarget &target, const SendRequest &request, const SerialTimings &timings)
{
    if (target.family == CardFamily::Normal)
        return timings.normalAnswerMs;
    if (request.Code() != kCodeMainPages)
        return timings.zpKqAnswerMs;
    // The size of the rasters being sent: the card needs time to make room for them.
    const qint64 rasterBytes = qint64(target.width) * target.mainHeight * (target.colorMode + 1) * request.pageCount
                               / 8;
    const qint64 blocks = std::max<qint64>(1, rasterBytes / 4096);
    return int(std::min<qint64>(timings.zpKqAnswerMs + timings.zpKqPerBlockMs * blocks, INT_MAX));
}

std::vector<SerialChunk> PlanSerialChunks(CardFamily family, qint64 length, quint8 pageCount)
{
    std::vector<SerialChunk> chunks;
    if (length <= 0)
        return chunks;
    chunks.reserve(size_t((length + kSerialChunkBytes - 1) / kSerialChunkBytes) + 1);
    qint64 first = length;
    if (family == CardFamily::Normal && length >= kSerialTwoPhaseBytes)
        first = std::min<qint64>(length, 13 + 4 * qint64(pageCount));
    for (qint64 done = 0; done < first; done += kSerialChunkBytes)
        chunks.push_back({std::min(kSerialChunkBytes, first - done), false});
    qint64 remaining = length - first;
    qint64 fullChunks = 0;
    while (remaining > 0) {
        const qint64 bytes = std::min(kSerialChunkBytes, remaining);
        remaining -= bytes;
        SerialChunk chunk{bytes, false};
        if (bytes == kSerialChunkBytes && ++fullChunks % kSerialChunksPerPause == 0)
            chunk.pauseAfter = remaining != 1;
        chunks.push_back(chunk);
    }
    return chunks;
}

// One transfer on the worker thread: opens the port, runs the exchange, keeps handing received
// bursts over until the transfer is stopped, then closes the port.
class SerialPortJob {
public:
    SerialPortJob(SerialLink *link, quint64 id, SendRequest request, SerialTarget target, SerialTimings timings,
                  std::shared_ptr<SerialTransferShared> shared, QString device)
        : link_(link), id_(id), request_(std::move(request)), target_(target), timings_(timings),
          shared_(std::move(shared)), device_(std::move(device))
    {
    }

    void Run()
    {
        if (Stopped())
            return; // closed before the worker came to it
        QSerialPort port;
        port_ = &port;
        port.setPortName(device_);
        if (!port.open(QIODevice::ReadWrite)) {
            Post([id = id_, device = device_, reason = port.errorString()](SerialLink *link) {
                link->OnOpenFailed(id, device, reason);
            });
            return;
        }
        QObject::connect(&port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError error) {
            if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError
                || error == QSerialPort::WriteError)
                portFailed_ = true;
        });
        port.setBaudRate(BaudRateOf(target_.baudIndex));
        port.setDataBits(QSerialPort::Data8);
        port.setStopBits(QSerialPort::OneStop);
        port.setParity(QSerialPort::NoParity);
        // A late answer to the previous transfer may be waiting in the line: it must not
        // acknowledge this transfer's preamble.
        port.clear(QSerialPort::AllDirections);

        Exchange();
        request_.frame.clear(); // the frame copy is released whatever the outcome

        // The reader goes on until the transfer is closed.
        while (!Stopped())
            Idle(kSliceMs * 10);
        port.clear(QSerialPort::Input);
        QThread::msleep(ulong(std::max(0, timings_.settleMs)));
        port.close();
        port_ = nullptr;
    }

private:
    enum class Wait { Ack, Timeout, PortFailed, Stopped };

    template <class F>
    void Post(F f)
    {
        SerialLink *link = link_;
        link->mailbox_->Post([link, f = std::move(f)] { f(link); });
    }
    void Status(SerialPhase phase)
    {
        Post([id = id_, phase](SerialLink *link) { link->OnStatus(id, phase); });
    }
    // Idle for a pause of the exchange's own, announced first.
    bool Pause(int ms)
    {
        Post([id = id_, ms](SerialLink *link) { link->OnPausing(id, ms); });
        return Idle(ms);
    }

    bool Stopped()
    {
        std::lock_guard lock(shared_->mutex);
        return shared_->stop;
    }
    bool Acked()
    {
        std::lock_guard lock(shared_->mutex);
        return shared_->ack;
    }
    void SetAck(bool on)
    {
        std::lock_guard lock(shared_->mutex);
        shared_->ack = on;
    }

    // Hands what has arrived to the user-interface thread, at most 1024 bytes a burst, and waits
    // for each burst to be judged before reading on.
    void HandOverBursts()
    {
        while (port_->bytesAvailable() > 0) {
            const QByteArray burst = port_->read(kMaxBurst);
            const quint64 sequence = ++bursts_;
            Post([id = id_, sequence, burst](SerialLink *link) { link->OnBurst(id, sequence, burst); });
            std::unique_lock lock(shared_->mutex);
            shared_->changed.wait(lock, [&] { return shared_->judged >= sequence || shared_->stop; });
            if (shared_->stop)
                return;
        }
    }

    // Waits for new bytes for at most `ms`; a broken port is not waited on, it only passes time.
    void AwaitBytes(int ms)
    {
        if (ms <= 0)
            return;
        if (portFailed_) {
            QThread::msleep(ulong(ms));
            return;
        }
        if (!port_->waitForReadyRead(ms) && port_->error() == QSerialPort::TimeoutError)
            port_->clearError();
    }

    Wait WaitForAck(int ms)
    {
        const QDeadlineTimer deadline(std::max(0, ms));
        for (;;) {
            HandOverBursts();
            if (Stopped())
                return Wait::Stopped;
            if (Acked())
                return Wait::Ack;
            if (portFailed_)
                return Wait::PortFailed;
            if (deadline.hasExpired())
                return Wait::Timeout;
            AwaitBytes(int(std::min<qint64>(kSliceMs, deadline.remainingTime())));
        }
    }

    // Lets `ms` pass while bursts keep being judged; false when the transfer was stopped.
    bool Idle(int ms)
    {
        const QDeadlineTimer deadline(std::max(0, ms));
        for (;;) {
            HandOverBursts();
            if (Stopped())
                return false;
            if (deadline.hasExpired())
                return true;
            AwaitBytes(int(std::min<qint64>(kSliceMs, deadline.remainingTime())));
        }
    }

    // Writes and waits until the port has taken every byte; false when the port refused or failed,
    // did not take the bytes within chunkWriteMs, or the transfer was stopped.
    bool WriteAll(QByteArrayView bytes)
    {
        if (portFailed_ || port_->write(bytes.data(), bytes.size()) != bytes.size())
            return false;
        const QDeadlineTimer deadline(std::max(0, timings_.chunkWriteMs));
        while (port_->bytesToWrite() > 0) {
            if (portFailed_ || Stopped() || deadline.hasExpired())
                return false;
            if (!port_->waitForBytesWritten(kSliceMs) && port_->error() == QSerialPort::TimeoutError)
                port_->clearError();
        }
        lineFree_ = std::max(lineFree_, std::chrono::steady_clock::now()) + LineTime(bytes.size());
        return !portFailed_;
    }

    // How long `bytes` take on the line; nothing when the line's time is left out.
    std::chrono::nanoseconds LineTime(qint64 bytes) const
    {
        if (!timings_.waitForLine)
            return std::chrono::nanoseconds(0);
        return std::chrono::nanoseconds(bytes * kLineBitsPerByte * 1000000000LL / BaudRateOf(target_.baudIndex));
    }
    // Milliseconds until the line has carried what was written but the last `aheadBytes`.
    int LineBusyMs(qint64 aheadBytes) const
    {
        using namespace std::chrono;
        return int(ceil<milliseconds>(lineFree_ - LineTime(aheadBytes) - steady_clock::now()).count());
    }

    // Lets the line carry what the driver still holds before a wait on the card starts, as a pause
    // of the link's own; answers keep being judged. False when the transfer was stopped.
    bool AwaitLine()
    {
        const int left = LineBusyMs(0);
        if (left <= 0)
            return !Stopped();
        Post([id = id_, ms = left](SerialLink *link) { link->OnPausing(id, ms); });
        const QDeadlineTimer deadline(left);
        for (;;) {
            HandOverBursts();
            if (Stopped())
                return false;
            if (Acked() || portFailed_ || deadline.hasExpired())
                return true;
            AwaitBytes(int(std::min<qint64>(kSliceMs, deadline.remainingTime())));
        }
    }

    // Writes the chunks; false when the port failed or the transfer was stopped.
    bool SendChunks()
    {
        const QByteArray &frame = request_.frame;
        qint64 written = 0;
        for (const SerialChunk &chunk : PlanSerialChunks(target_.family, frame.size(), request_.pageCount)) {
            // A write completes on the line: the next chunk goes once the line has carried all but
            // the last one, so that the driver never holds more than a chunk ahead of the card.
            if (const int busy = LineBusyMs(kSerialChunkBytes); busy > 0 && !Idle(busy))
                return false;
            if (Stopped() || !WriteAll(QByteArrayView(frame).sliced(written, chunk.bytes)))
                return false;
            written += chunk.bytes;
            Post([id = id_, written](SerialLink *link) { link->OnProgress(id, written); });
            HandOverBursts();
            if (chunk.pauseAfter && !(AwaitLine() && Pause(timings_.phasePauseMs)))
                return false;
        }
        return true;
    }

    void Fail(SerialPhase phase, SerialOutcome outcome)
    {
        Status(phase);
        Post([id = id_, phase, outcome](SerialLink *link) {
            link->OnSettingsLabel(id, phase);
            link->OnProgressHidden(id);
            link->OnEnded(id, outcome);
        });
    }

    void Exchange()
    {
        Status(SerialPhase::Connecting);
        const QByteArray preamble = SerialPreamble(target_.family, request_, target_.broadcast);
        port_->setParity(QSerialPort::MarkParity);
        Wait answer = Wait::PortFailed;
        // The preamble must have left with the parity bit set before the parity is switched.
        if (WriteAll(preamble) && AwaitLine()) {
            // Nobody answers a broadcast.
            if (target_.broadcast)
                SetAck(true);
            answer = WaitForAck(PreambleWaitMs(target_, request_, timings_));
        } else if (Stopped()) {
            answer = Wait::Stopped;
        }
        if (answer == Wait::Stopped)
            return;
        if (answer != Wait::Ack) {
            Fail(SerialPhase::NoAnswer,
                 answer == Wait::PortFailed ? SerialOutcome::PortFailed : SerialOutcome::NoAnswer);
            return;
        }

        SetAck(false);
        Status(SerialPhase::Sending);
        port_->setParity(QSerialPort::SpaceParity);
        if (!Idle(timings_.settleMs))
            return;
        if (!SendChunks()) {
            if (!Stopped())
                Fail(SerialPhase::NoFinalAnswer, SerialOutcome::PortFailed);
            return;
        }
        if (!AwaitLine())
            return;
        if (target_.broadcast)
            SetAck(true);
        answer = WaitForAck(timings_.finalAnswerMs);
        if (answer == Wait::Stopped)
            return;
        if (answer != Wait::Ack) {
            Fail(SerialPhase::NoFinalAnswer,
                 answer == Wait::PortFailed ? SerialOutcome::PortFailed : SerialOutcome::NoFinalAnswer);
            return;
        }

        if (!Pause(timings_.successWaitMs))
            return;
        Status(SerialPhase::Succeeded);
        const bool cancel = request_.Code() == kCodeCancelSchedule;
        Post([id = id_, cancel](SerialLink *link) {
            if (cancel)
                link->OnSchedulesCancelled(id);
            link->OnProgressHidden(id);
            link->OnSettingsLabel(id, SerialPhase::Succeeded);
        });
        if (!Pause(timings_.successWaitMs))
            return;
        SetAck(false);
        Post([id = id_](SerialLink *link) { link->OnEnded(id, SerialOutcome::Succeeded); });
    }

    SerialLink *link_;
    quint64 id_;
    SendRequest request_;
    SerialTarget target_;
    SerialTimings timings_;
    std::shared_ptr<SerialTransferShared> shared_;
    QString device_;
    QSerialPort *port_ = nullptr;
    bool portFailed_ = false;
    quint64 bursts_ = 0;
    std::chrono::steady_clock::time_point lineFree_{}; // when the line has carried what was written
};

SerialLink::SerialLink(Prompt &prompt, SerialTimings timings, QObject *parent)
    : QObject(parent), prompt_(prompt), timings_(timings)
{
    qRegisterMetaType<pelvoro::SerialOutcome>();
    worker_.setObjectName(QStringLiteral("serial port"));
    mailbox_ = new Mailbox(this);
    workerMailbox_ = new Mailbox;
    workerMailbox_->moveToThread(&worker_);
    connect(&worker_, &QThread::finished, this, [this] { const std::lock_guard lock(workerEnd_); }, Qt::DirectConnection);
    // The port answers within milliseconds; the worker must not be starved by the user interface.
    worker_.start(QThread::HighestPriority);
}

SerialLink::~SerialLink()
{
    if (transfer_) {
        std::lock_guard lock(transfer_->shared->mutex);
        transfer_->shared->stop = true;
        transfer_->shared->changed.notify_all();
    }
    worker_.quit();
    worker_.wait();
    const std::lock_guard ended(workerEnd_);
    delete workerMailbox_;
}

bool SerialLink::Send(const SendRequest &request, const SerialTarget &target)
{
    if (transfer_)
        return false;
    transfer_ = std::make_unique<TFrmsend>();
    transfer_->id = nextId_++;
    transfer_->request = request;
    transfer_->comPort = target.comPort;
    transfer_->shared = std::make_shared<SerialTransferShared>();
    auto job = std::make_shared<SerialPortJob>(this, transfer_->id, request, target, timings_, transfer_->shared,
                                               ComPortDevice(target.comPort));
    // Queued behind the previous transfer's job, which lets go of its port first.
    workerMailbox_->Post([job] { job->Run(); });
    return true;
}

void SerialLink::CloseTransfer()
{
    if (!transfer_)
        return;
    {
        std::lock_guard lock(transfer_->shared->mutex);
        transfer_->shared->stop = true;
    }
    transfer_->shared->changed.notify_all();
    transfer_.reset();
    Q_EMIT TransferClosed();
}

void SerialLink::OnStatus(quint64 id, SerialPhase phase)
{
    if (IsCurrent(id))
        Q_EMIT StatusText(SerialStatusText(phase, transfer_->request));
}

void SerialLink::OnProgress(quint64 id, qint64 written)
{
    if (IsCurrent(id))
        Q_EMIT Progress(written);
}

void SerialLink::OnProgressHidden(quint64 id)
{
    if (IsCurrent(id))
        Q_EMIT ProgressHidden();
}

void SerialLink::OnPausing(quint64 id, int ms)
{
    if (IsCurrent(id))
        Q_EMIT Pausing(ms);
}

void SerialLink::OnSettingsLabel(quint64 id, SerialPhase phase)
{
    if (!IsCurrent(id))
        return;
    switch (phase) {
    case SerialPhase::Succeeded:
        Q_EMIT SettingsLabel(QStringLiteral("加载参数成功!"), QColor(0, 128, 0));
        break;
    case SerialPhase::NoAnswer:
        Q_EMIT SettingsLabel(QStringLiteral("下位机无应答,请检查连接!"), QColor(Qt::red));
        break;
    case SerialPhase::NoFinalAnswer:
        Q_EMIT SettingsLabel(QStringLiteral("加载参数失败,请重试!"), QColor(Qt::red));
        break;
    default:
        break;
    }
}

void SerialLink::OnSchedulesCancelled(quint64 id)
{
    if (IsCurrent(id))
        Q_EMIT SchedulesCancelled(transfer_->request.screenIndex);
}

void SerialLink::OnBurst(quint64 id, quint64 sequence, const QByteArray &burst)
{
    if (!IsCurrent(id))
        return; // the worker of a closed transfer sees its stop flag instead
    SerialTransferShared &shared = *transfer_->shared;
    const SendRequest &request = transfer_->request;
    {
        std::lock_guard lock(shared.mutex);
        if (IsSerialAcknowledgement(burst, request.Address(), request.pageCount))
            shared.ack = true;
        shared.judged = sequence;
    }
    shared.changed.notify_all();
}

void SerialLink::OnOpenFailed(quint64 id, const QString &device, const QString &reason)
{
    if (!IsCurrent(id))
        return;
    // The message names the port as the operator picked it; the status panel adds the device the
    // station tried and the system's reason, for whoever wires the line.
    Q_EMIT StatusText(QStringLiteral("状态：COM%1（%2）打开失败：%3").arg(transfer_->comPort).arg(device, reason));
    prompt_.Message(QStringLiteral("当前串口") + Decimal(transfer_->comPort)
                        + QStringLiteral("可能不存在或被占用,打开串口失败！请选择正确的串口号"),
                    QStringLiteral("提示"), PromptIcon::Warning);
    OnEnded(id, SerialOutcome::OpenFailed);
}

void SerialLink::OnEnded(quint64 id, SerialOutcome outcome)
{
    if (IsCurrent(id))
        Q_EMIT TransferEnded(outcome);
}

} // namespace pelvoro
