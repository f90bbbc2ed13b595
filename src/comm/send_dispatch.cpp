#include "comm/send_dispatch.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/input_file_limits.h"
#include "comm/frames.h"
#include "comm/net_link.h"
#include "comm/serial_link.h"
#include "config/area_layout.h"
#include "pages/data_files.h"

#include <QDir>
#include <QFile>

namespace pelvoro {

namespace {

// Reads an area file for its send. `minimum` is the shortest file that can be sent at all.
FileSend PrepareFileSend(int screenIndex, const QString &name, bool hasArea, qint64 minimum,
                         FrameResult (*load)(QByteArrayView, int), int colourMode)
{
    FileSend send;
    const QString missing = QStringLiteral("没有找到") + name + QStringLiteral("文件！");
    EnterAppDir();
    const QString path = AppFile(name);
    const bool exists = QFile::exists(path);
    if (hasArea != exists) {
        send.status = missing;
        return send;
    }
    // A file no frame can carry (or a pipe or device, which would block or never end) is not read.
    if (const QString refusal = StoredFileRefusal(path, kMaxFrameBytes); !refusal.isEmpty()) {
        send.status = QDir::toNativeSeparators(path) + QStringLiteral("：") + refusal;
        return send;
    }
    QByteArray file;
    if (!ReadWholeFile(path, &file)) {
        send.status = missing;
        return send;
    }
    if (file.isEmpty())
        return send;
    if (file.size() < minimum) {
        send.status = missing;
        return send;
    }
    FrameResult frame = load(file, colourMode);
    if (!frame) {
        // The file goes out byte for byte: one laid out for the other colour mode still agrees with
        // its own header, and only a file that agrees with neither is damaged.
        if (FrameResult other = load(file, colourMode == 0 ? 1 : 0))
            frame = std::move(other);
    }
    if (!frame) {
        send.status = name + QStringLiteral("已损坏：") + frame.error;
        return send;
    }
    send.fileSize = file.size();
    send.request = MakeSendRequest(screenIndex, frame.frame);
    if (send.request)
        send.request->pageCount = frame.pageCount;
    return send;
}

} // namespace

FileSend PrepareMainAreaSend(int screenIndex, const ScreenInfo &screen)
{
    return PrepareFileSend(screenIndex, PageFileName(screenIndex), HasMain(screen), 13, &LoadMainFrame,
                           screen.ColorMode);
}

FileSend PrepareSubtitleSend(int screenIndex, const ScreenInfo &screen)
{
    return PrepareFileSend(screenIndex, SubtitleFileName(screenIndex), HasTitle(screen), 14, &LoadSubtitleFrame,
                           screen.ColorMode);
}

QString NetSendingText(int screenIndex)
{
    return QStringLiteral("状态:正在向") + QString::number(screenIndex + 1) + QStringLiteral("号显示屏发送数据...");
}

DispatchRoute Dispatch(const ScreenInfo &screen, const SendRequest &request, SerialLink &serial, NetLink &net,
                       bool broadcast)
{
    if (IsNetworkScreen(screen)) {
        net.NetSend(request);
        return DispatchRoute::Network;
    }
    return serial.Send(request, SerialTarget::Of(screen, broadcast)) ? DispatchRoute::Serial : DispatchRoute::Dropped;
}

SerialCompletion::SerialCompletion(SerialLink &link, CompletionTimings timings, QObject *parent)
    : QObject(parent), link_(link)
{
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(timings.closeDelayMs);
    continueTimer_.setSingleShot(true);
    continueTimer_.setInterval(timings.continueDelayMs);
    connect(&link_, &SerialLink::TransferEnded, this, [this] { closeTimer_.start(); });
    connect(&closeTimer_, &QTimer::timeout, this, [this] {
        if (!link_.HasTransfer())
            return;
        link_.CloseTransfer();
        continueTimer_.start();
    });
    connect(&continueTimer_, &QTimer::timeout, this, &SerialCompletion::ContinuationDue);
}

} // namespace pelvoro
