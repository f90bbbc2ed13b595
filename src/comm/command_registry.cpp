#include "comm/command_registry.h"

#include "comm/frame_layout.h"
#include "pages/page_store.h"

#include <array>

namespace pelvoro {
namespace {

using enum PageCountRule;
using enum LengthRule;

// The one table of commands.
constexpr std::array<CommandSpec, 14> kCommands = {{
    {kCodeScreenParams, -1, 0, "screen parameters", u"发送屏参数", Zero, ReplyKind::Params, Fixed, kParamFrameBytes},
    {kCodeClock, -1, 0, "clock", u"发送时钟数据", Zero, ReplyKind::Clock, Fixed, kClockFrameBytes},
    {kCodeTemperature, -1, 0, "temperature", u"发送温度数据", Zero, ReplyKind::Temperature, Fixed, kTempFrameBytes},
    {kCodePower, kPowerFrameState, kPowerOn, "power on", u"发送开机命令", Zero, ReplyKind::PowerOn, Fixed,
     kPowerFrameBytes},
    {kCodePower, kPowerFrameState, kPowerOff, "power off", u"发送关机命令", Zero, ReplyKind::PowerOff, Fixed,
     kPowerFrameBytes},
    {kCodeSchedule, -1, 0, "timed play list", u"发送定时播放列表", Zero, ReplyKind::Params, ScheduleList, 0},
    {kCodeCancelSchedule, -1, 0, "cancel timed play lists", u"取消所有定时播放列表", Zero, ReplyKind::Params, Fixed,
     kCancelScheduleFrameBytes},
    {kCodeFileDownload, kFileFrameKind, kFileKindFpga, "FPGA image", u"下载FPGA程序", Zero, ReplyKind::Fpga,
     FileDownload, 0},
    {kCodeFileDownload, kFileFrameKind, kFileKindOutdoor, "outdoor configuration", u"加载户外配置程序", Zero,
     ReplyKind::Outdoor, FileDownload, 0},
    {kCodeTimeSync, -1, 0, "time synchronisation", u"发送校时数据", Zero, ReplyKind::TimeSync, Fixed,
     kTimeSyncFrameBytes},
    {kCodeMainPages, -1, 0, "main-area pages", u"发送主区域数据", FileCount, ReplyKind::MainArea, PageFile, 0},
    {kCodeSubtitlePages, -1, 0, "subtitle pages", u"发送字幕区域数据", FileCount, ReplyKind::Subtitle, SubtitleFile, 0},
    {kCodeGlyphs, -1, 0, "character glyphs", u"下载字模数据", Zero, ReplyKind::Fpga, Glyphs, 0},
    {kCodeTestPattern, -1, 0, "test pattern", u"测试显示屏", Zero, ReplyKind::Params, Fixed, kTestFrameBytes},
}};

} // namespace

std::span<const CommandSpec> CommandSpecs()
{
    return kCommands;
}

const CommandSpec *FindCommand(quint8 code)
{
    for (const CommandSpec &spec : kCommands) {
        if (spec.code == code)
            return &spec;
    }
    return nullptr;
}

const CommandSpec *FindCommand(QByteArrayView frame)
{
    if (frame.size() <= kFrameCode)
        return nullptr;
    const quint8 code = quint8(frame[kFrameCode]);
    for (const CommandSpec &spec : kCommands) {
        if (spec.code != code)
            continue;
        if (spec.variantOffset < 0)
            return &spec;
        if (frame.size() > spec.variantOffset && quint8(frame[spec.variantOffset]) == spec.variantValue)
            return &spec;
    }
    return nullptr;
}

std::optional<SendRequest> MakeSendRequest(int screenIndex, CommandFrame frame)
{
    const CommandSpec *spec = FindCommand(frame);
    if (!spec)
        return std::nullopt;
    SendRequest request;
    request.screenIndex = screenIndex;
    request.caption = spec->Caption();
    request.replyKind = spec->replyKind;
    if (spec->pageCount == PageCountRule::FileCount) {
        if (frame.size() <= kPageCountOffset)
            return std::nullopt;
        request.pageCount = quint8(frame[kPageCountOffset]);
    }
    request.frame = std::move(frame);
    return request;
}

} // namespace pelvoro
