#pragma once

#include "comm/command_registry.h"

#include <QString>

#include <optional>
#include <span>

// The commands that look after the controller itself rather than its content: power, test
// patterns and the two file downloads (FPGA image, outdoor configuration). The window and the
// command-line tool build their requests here and hand them to the send runner.
namespace pelvoro {

struct TestPatternItem {
    const char16_t *caption; // the "测试" menu item
    quint8 pattern;          // byte 3 of the 0xED frame
    QString Caption() const { return QString::fromUtf16(caption); }
};
// The "测试" menu in its order: the eight patterns 1..8, then "退出测试" (0).
std::span<const TestPatternItem> TestPatterns();
// The pattern of a menu caption; nullopt for a caption that is not in the menu.
std::optional<quint8> TestPatternOf(const QString &caption);

// "开屏" and "关屏".
SendRequest PowerRequest(int screenIndex, bool on);
// An item of the "测试" menu, by its pattern number 0..8.
SendRequest TestPatternRequest(int screenIndex, quint8 pattern);

// A file download read for its send. Without a request, `status` (status panel 1) says why, or is
// empty for an empty file (nothing is said then). `fileSize` is the progress bar's maximum; it is
// set for an empty file too, since the bar is set up before the size is looked at.
struct DownloadSend {
    std::optional<SendRequest> request;
    QString status;
    qint64 fileSize = 0;
    bool readable = false;
};
// Reads `path` whole for a 0xCC frame of `subKind` (kFileKindFpga, kFileKindOutdoor): a file that
// cannot be read gives "没有找到rbf文件" (FPGA) or "没有找到加载文件" (outdoor). The file is sent as it
// stands; nothing looks inside it.
DownloadSend PrepareFileDownload(int screenIndex, int subKind, const QString &path);

// The message box of a cancelled FPGA file dialog, with a warning icon.
QString FpgaCancelledWarning();

} // namespace pelvoro
