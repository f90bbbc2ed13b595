#include "comm/maintenance.h"

#include "base/atomic_file.h"
#include "base/input_file_limits.h"
#include "comm/frame_layout.h"
#include "comm/frames.h"

#include <QDir>

#include <array>

namespace pelvoro {
namespace {

constexpr std::array<TestPatternItem, 9> kTestPatterns = {{
    {u"全屏黑", kTestBlack},
    {u"全屏黄", kTestYellow},
    {u"全屏红", kTestRed},
    {u"全屏绿", kTestGreen},
    {u"正斜线", kTestRisingLines},
    {u"负斜线", kTestFallingLines},
    {u"网格线", kTestGrid},
    {u"交叉线", kTestCrossedLines},
    {u"退出测试", kTestEnd},
}};

// Every builder here makes a registered frame, so the registry always has an entry for it.
SendRequest Registered(int screenIndex, CommandFrame frame)
{
    return *MakeSendRequest(screenIndex, std::move(frame));
}

} // namespace

std::span<const TestPatternItem> TestPatterns()
{
    return kTestPatterns;
}

std::optional<quint8> TestPatternOf(const QString &caption)
{
    for (const TestPatternItem &item : kTestPatterns) {
        if (item.Caption() == caption)
            return item.pattern;
    }
    return std::nullopt;
}

SendRequest PowerRequest(int screenIndex, bool on)
{
    return Registered(screenIndex, BuildPowerFrame(screenIndex, on));
}

SendRequest TestPatternRequest(int screenIndex, quint8 pattern)
{
    return Registered(screenIndex, BuildTestFrame(screenIndex, pattern));
}

DownloadSend PrepareFileDownload(int screenIndex, int subKind, const QString &path)
{
    DownloadSend send;
    // A file no frame can carry (or a pipe or device, which would block or never end) is not read.
    if (const QString refusal = StoredFileRefusal(path, kMaxFrameBytes); !refusal.isEmpty()) {
        send.status = QDir::toNativeSeparators(path) + QStringLiteral("：") + refusal;
        return send;
    }
    QByteArray file;
    if (!ReadWholeFile(path, &file)) {
        send.status = subKind == kFileKindFpga ? QStringLiteral("没有找到rbf文件") : QStringLiteral("没有找到加载文件");
        return send;
    }
    send.readable = true;
    send.fileSize = file.size();
    if (file.isEmpty())
        return send;
    FrameResult frame = BuildImageFrame(screenIndex, subKind, file);
    if (!frame) {
        send.status = frame.error;
        return send;
    }
    send.request = Registered(screenIndex, std::move(frame.frame));
    return send;
}

QString FpgaCancelledWarning()
{
    return QStringLiteral("未加载FPGA文件,可能导致控制器不能正常显示!");
}

} // namespace pelvoro
