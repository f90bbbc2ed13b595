#include "comm/frames.h"

#include "comm/bcd.h"
#include "config/area_layout.h"
#include "config/screen_info.h"
#include "pages/area_stacking.h"
#include "pages/clock_text.h"
#include "pages/page_store.h"
#include "pages/subtitle_store.h"

#include <cstring>

namespace pelvoro {
namespace {

// The clock height that the clock and temperature frames flag as 0; any other is 1.
constexpr int kShortClockHeight = 16;

quint8 Address(int screenIndex)
{
    return quint8(screenIndex + 1);
}

// A frame of `length` bytes for a screen: address and code in place, the data 0 until written, the
// end marker last.
CommandFrame NewFrame(int screenIndex, CommandCode code, qint64 length)
{
    CommandFrame f(length, '\0');
    f[kFrameAddress] = char(Address(screenIndex));
    f[kFrameCode] = char(code);
    f[f.size() - kFrameEndBytes] = char(kFrameEnd);
    return f;
}

void Put16High(QByteArray &f, qsizetype at, int value)
{
    f[at] = char((value >> 8) & 0xFF);
    f[at + 1] = char(value & 0xFF);
}

void Put16Low(QByteArray &f, qsizetype at, int value)
{
    f[at] = char(value & 0xFF);
    f[at + 1] = char((value >> 8) & 0xFF);
}

int Get16Low(QByteArrayView f, qsizetype offset)
{
    return quint8(f[offset]) | (quint8(f[offset + 1]) << 8);
}

// The count of the data bytes after a count field, up to the end marker: one byte at kFrameCount,
// or two (high byte first) at `at`.
void PutCount(QByteArray &f)
{
    f[kFrameCount] = char(f.size() - (kFrameCount + 1) - kFrameEndBytes);
}

void PutCount16(QByteArray &f, qsizetype at)
{
    Put16High(f, at, int(f.size() - (at + 2) - kFrameEndBytes));
}

char ClockHeightFlag(const ScreenInfo &screen)
{
    return screen.ClockHeight == kShortClockHeight ? 0 : 1;
}

using TimeFields = std::array<quint8, kTimeBytes>;

// One reading of the clock gives every field.
TimeFields TakeTime(const QDateTime &now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    TimeFields t{};
    t[kTimeSecond] = Bcd(time.second());
    t[kTimeMinute] = Bcd(time.minute());
    t[kTimeHour] = Bcd(time.hour());
    t[kTimeDay] = Bcd(date.day());
    t[kTimeMonth] = Bcd(date.month());
    t[kTimeWeekday] = Bcd(date.dayOfWeek() % 7);
    t[kTimeYear] = Bcd(date.year() % 100);
    return t;
}

void PutTime(QByteArray &f, qsizetype at, const TimeFields &t)
{
    for (int i = 0; i < kTimeBytes; ++i)
        f[at + i] = char(t[size_t(i)]);
}

FrameResult Refused(const QString &error)
{
    FrameResult result;
    result.error = error;
    return result;
}

// Checks a page or subtitle file against its own layout.
FrameResult CheckAreaFile(QByteArrayView file, quint8 code, int colourMode)
{
    if (file.isEmpty())
        return Refused(QStringLiteral("文件长度为0"));
    if (file.size() < kPageHeaderBytes) {
        return Refused(QStringLiteral("文件只有%1字节，不足%2字节的文件头").arg(file.size()).arg(kPageHeaderBytes));
    }
    if (quint8(file[kFrameCode]) != code) {
        return Refused(QStringLiteral("第2字节应为0x%1，实际为0x%2")
                           .arg(code, 2, 16, QLatin1Char('0'))
                           .arg(quint8(file[kFrameCode]), 2, 16, QLatin1Char('0')));
    }
    const FrameExtent extent = ProbeFrameExtent(file, colourMode);
    if (extent.status == FrameExtent::Invalid)
        return Refused(extent.error);
    if (extent.status != FrameExtent::Known || extent.length != file.size()) {
        return Refused(QStringLiteral("文件记录了%1页，应有%2字节，实际为%3字节")
                           .arg(quint8(file[kPageCountOffset]))
                           .arg(extent.length)
                           .arg(file.size()));
    }
    if (quint8(file.back()) != kFrameEnd)
        return Refused(QStringLiteral("文件末字节不是0xAA"));
    FrameResult result;
    result.frame = file.toByteArray();
    result.pageCount = quint8(file[kPageCountOffset]);
    return result;
}

FrameExtent Need(qint64 bytes)
{
    return {FrameExtent::NeedMore, bytes, {}};
}

FrameExtent Known(qint64 bytes)
{
    if (bytes > kMaxFrameBytes)
        return {FrameExtent::Invalid, bytes, QStringLiteral("帧长%1字节超出控制器容量").arg(bytes)};
    return {FrameExtent::Known, bytes, {}};
}

FrameExtent Invalid(const QString &error)
{
    return {FrameExtent::Invalid, 0, error};
}

// Page bytes of the area named in a page or subtitle file's header.
FrameExtent AreaPage(QByteArrayView start, int colourMode, qint64 *pageBytes)
{
    const AreaRect rect = ReadAreaRect(start);
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        return Invalid(QStringLiteral("区域坐标无效（%1,%2）-（%3,%4）")
                           .arg(rect.left)
                           .arg(rect.top)
                           .arg(rect.right)
                           .arg(rect.bottom));
    }
    if (colourMode != 0 && colourMode != 1)
        return Invalid(QStringLiteral("颜色模式%1无效").arg(colourMode));
    *pageBytes = AreaPageBytes(rect.Width(), rect.Height(), colourMode);
    return {FrameExtent::Known, 0, {}};
}

} // namespace

ClockAndTemperaturePositions SamplePositions(const ScreenInfo &screen, const QDateTime &now)
{
    const ClockPlacement place = PlaceClockAndTemperature(screen, ClockText(screen, now).width);
    const int top = AreaStacking(screen).clockTop;
    return {{place.clockLeft, top}, {place.temperatureLeft, top}};
}

quint8 ColourCode(int colourIndex, int moduleType)
{
    const quint8 t = quint8(colourIndex + 1);
    if (moduleType == 1 && (t == kColourCodeRed || t == kColourCodeGreen))
        return t == kColourCodeRed ? kColourCodeGreen : kColourCodeRed;
    return t;
}

CommandFrame BuildParamFrame(int screenIndex, const ScreenInfo &s)
{
    CommandFrame f = NewFrame(screenIndex, kCodeScreenParams, kParamFrameBytes);
    PutCount(f);
    Put16High(f, kParamFrameWidth, s.Width);
    Put16High(f, kParamFrameHeight, s.Height);
    f[kParamFrameColours] = char(s.ColorMode + 1);
    f[kParamFrameSignals] = char((s.DataMirror + 4 * s.DataFlow + 16 * s.DataPolarity + 64 * s.OePolarity) & 0xFF);
    f[kParamFrameLineOrder] = char(s.LineOrder);
    f[kParamFrameDataFlow] = char(s.DataFlow);
    return f;
}

CommandFrame BuildClockFrame(int screenIndex, const ScreenInfo &s, LabelPosition clock, const QDateTime &now)
{
    CommandFrame f = NewFrame(screenIndex, kCodeClock, kClockFrameBytes);
    f[kClockFrameAreas] = char(AreaFlags(s));
    PutCount16(f, kClockFrameCount);
    f[kClockFrameTall] = ClockHeightFlag(s);
    f[kClockFrameFormat] = char(s.ClockFormat);
    f[kClockFrameColour] = char(ColourCode(s.ClockColor, s.ModuleType));
    for (int field = 0; field < kTimeBytes; ++field)
        f[kClockFrameShown + field] = char(s.ClockParts[size_t(kClockPartOfField[size_t(field)])] ? 1 : 0);
    PutTime(f, kClockFrameTime, TakeTime(now));
    Put16Low(f, kClockFrameX, clock.x);
    Put16Low(f, kClockFrameY, clock.y);
    return f;
}

CommandFrame BuildTempFrame(int screenIndex, const ScreenInfo &s, LabelPosition temperature)
{
    CommandFrame f = NewFrame(screenIndex, kCodeTemperature, kTempFrameBytes);
    f[kTempFrameAreas] = char(AreaFlags(s));
    PutCount16(f, kTempFrameCount);
    f[kTempFrameTall] = ClockHeightFlag(s);
    f[kTempFrameFormat] = char(s.TempFormat);
    f[kTempFrameColour] = char(ColourCode(s.TempColor, s.ModuleType));
    Put16Low(f, kTempFrameX, temperature.x);
    Put16Low(f, kTempFrameY, temperature.y);
    return f;
}

CommandFrame BuildTimeSyncFrame(int screenIndex, const QDateTime &now)
{
    CommandFrame f = NewFrame(screenIndex, kCodeTimeSync, kTimeSyncFrameBytes);
    PutCount(f);
    PutTime(f, kTimeSyncFrameTime, TakeTime(now));
    return f;
}

CommandFrame BuildPowerFrame(int screenIndex, bool on)
{
    CommandFrame f = NewFrame(screenIndex, kCodePower, kPowerFrameBytes);
    PutCount(f);
    f[kPowerFrameState] = char(on ? kPowerOn : kPowerOff);
    return f;
}

CommandFrame BuildTestFrame(int screenIndex, quint8 pattern)
{
    CommandFrame f = NewFrame(screenIndex, kCodeTestPattern, kTestFrameBytes);
    PutCount(f);
    f[kTestFramePattern] = char(pattern);
    return f;
}

CommandFrame BuildCancelScheduleFrame(int screenIndex)
{
    CommandFrame f = NewFrame(screenIndex, kCodeCancelSchedule, kCancelScheduleFrameBytes);
    PutCount(f);
    return f;
}

QByteArray ScheduleEntry(int page, const ScheduleRecord &r)
{
    QByteArray e(kScheduleEntryBytes, char(kNoWindow));
    e[kScheduleEntryPage] = char(page);
    if (r.timeLimited) {
        e[kScheduleEntryStartTime + kWindowSecond] = char(Bcd(r.startSecond));
        e[kScheduleEntryStartTime + kWindowMinute] = char(Bcd(r.startMinute));
        e[kScheduleEntryStartTime + kWindowHour] = char(Bcd(r.startHour));
        e[kScheduleEntryEndTime + kWindowSecond] = char(Bcd(r.endSecond));
        e[kScheduleEntryEndTime + kWindowMinute] = char(Bcd(r.endMinute));
        e[kScheduleEntryEndTime + kWindowHour] = char(Bcd(r.endHour));
    }
    if (r.dateLimited) {
        e[kScheduleEntryStartDate + kWindowDay] = char(Bcd(r.startDay));
        e[kScheduleEntryStartDate + kWindowMonth] = char(Bcd(r.startMonth));
        e[kScheduleEntryStartDate + kWindowYear] = char(Bcd(r.startYear));
        e[kScheduleEntryEndDate + kWindowDay] = char(Bcd(r.endDay));
        e[kScheduleEntryEndDate + kWindowMonth] = char(Bcd(r.endMonth));
        e[kScheduleEntryEndDate + kWindowYear] = char(Bcd(r.endYear));
    }
    bool anyDay = false;
    for (bool day : r.weekdays)
        anyDay |= day;
    if (anyDay) {
        for (size_t i = 0; i < r.weekdays.size(); ++i)
            e[kScheduleEntryWeekdays + qsizetype(i)] = char(r.weekdays[i] ? 1 : 0);
    }
    return e;
}

FrameResult BuildScheduleFrame(int screenIndex, std::span<const ScheduleRecord> pages)
{
    if (pages.empty() || pages.size() > 255)
        return Refused(QStringLiteral("文件列表中的页码有错！"));
    FrameResult result;
    CommandFrame &f = result.frame;
    f = NewFrame(screenIndex, kCodeSchedule, ScheduleFrameBytes(qint64(pages.size())));
    f[kFrameCount] = char(pages.size());
    for (size_t k = 0; k < pages.size(); ++k) {
        const QByteArray entry = ScheduleEntry(int(k + 1), pages[k]);
        std::memcpy(f.data() + kScheduleFrameEntries + kScheduleEntryBytes * qsizetype(k), entry.constData(),
                    size_t(kScheduleEntryBytes));
    }
    return result;
}

FrameResult BuildImageFrame(int screenIndex, int subKind, QByteArrayView file)
{
    if (subKind != kFileKindFpga && subKind != kFileKindOutdoor)
        return Refused(QStringLiteral("下载类型%1无效（0为FPGA程序，1为户外配置）").arg(subKind));
    if (file.isEmpty())
        return Refused(QStringLiteral("文件长度为0"));
    FrameResult result;
    CommandFrame &f = result.frame;
    f = NewFrame(screenIndex, kCodeFileDownload, FileFrameBytes(file.size()));
    f[kFileFrameKind] = char(subKind);
    std::memcpy(f.data() + kFileFrameData, file.data(), size_t(file.size()));
    std::memcpy(f.data() + kFileFrameData + file.size(), kFileDownloadTail, sizeof kFileDownloadTail);
    return result;
}

FrameResult LoadMainFrame(QByteArrayView file, int colourMode)
{
    return CheckAreaFile(file, kCodeMainPages, colourMode);
}

FrameResult LoadSubtitleFrame(QByteArrayView file, int colourMode)
{
    FrameResult result = CheckAreaFile(file, kCodeSubtitlePages, colourMode);
    if (result)
        result.frame[kSubtitleFrameStyle] = char(result.frame[kSubtitleFrameStyle] == kScrollLeft ? kSentScrollLeft
                                                                                                  : kSentOtherStyle);
    return result;
}

qsizetype GlyphBytes(int width, int height)
{
    return qsizetype(kGlyphCells) * width * height / 8;
}

FrameResult BuildGlyphFrame(int screenIndex, int width, int height, QByteArrayView glyphs)
{
    if (width < 1 || width > 255 || height < 1 || height > 255)
        return Refused(QStringLiteral("字模尺寸%1×%2无效").arg(width).arg(height));
    if (glyphs.size() != GlyphBytes(width, height)) {
        return Refused(QStringLiteral("%1×%2字模应有%3字节，实际为%4字节")
                           .arg(width)
                           .arg(height)
                           .arg(GlyphBytes(width, height))
                           .arg(glyphs.size()));
    }
    FrameResult result;
    CommandFrame &f = result.frame;
    f = NewFrame(screenIndex, kCodeGlyphs, GlyphFrameBytes(glyphs.size()));
    f[kGlyphFrameCells] = char(kGlyphCells);
    f[kGlyphFrameWidth] = char(width);
    f[kGlyphFrameHeight] = char(height);
    std::memcpy(f.data() + kGlyphFrameData, glyphs.data(), size_t(glyphs.size()));
    return result;
}

AreaRect ReadAreaRect(QByteArrayView f)
{
    return {Get16Low(f, kDataFileLeftOffset), Get16Low(f, kDataFileTopOffset), Get16Low(f, kDataFileRightOffset),
            Get16Low(f, kDataFileBottomOffset)};
}

qint64 AreaPageBytes(int width, int height, int colourMode)
{
    return qint64(width) * height / (8 / (colourMode + 1));
}

FrameExtent ProbeFrameExtent(QByteArrayView start, int colourMode)
{
    if (start.size() <= kFrameCode)
        return Need(kFrameCode + 1);
    const CommandSpec *spec = FindCommand(quint8(start[kFrameCode]));
    if (!spec)
        return Invalid(QStringLiteral("未知命令0x%1").arg(quint8(start[kFrameCode]), 2, 16, QLatin1Char('0')));
    switch (spec->length) {
    case LengthRule::Fixed:
        return Known(spec->fixedLength);
    case LengthRule::ScheduleList:
        if (start.size() <= kFrameCount)
            return Need(kFrameCount + 1);
        return Known(ScheduleFrameBytes(quint8(start[kFrameCount])));
    case LengthRule::FileDownload:
        return {FrameExtent::EndsWithTail, kMinFileFrame, {}};
    case LengthRule::Glyphs:
        if (start.size() < kGlyphFrameData)
            return Need(kGlyphFrameData);
        return Known(GlyphFrameBytes(GlyphBytes(quint8(start[kGlyphFrameWidth]), quint8(start[kGlyphFrameHeight]))));
    case LengthRule::PageFile:
    case LengthRule::SubtitleFile: {
        if (start.size() < kPageHeaderBytes)
            return Need(kPageHeaderBytes);
        qint64 pageBytes = 0;
        FrameExtent area = AreaPage(start, colourMode, &pageBytes);
        if (area.status == FrameExtent::Invalid)
            return area;
        const int pages = quint8(start[kPageCountOffset]);
        if (spec->length == LengthRule::PageFile)
            return Known(PageFileSize(pageBytes, pages));
        return Known(SubtitleFileSize(pageBytes, pages));
    }
    }
    return Invalid(QString());
}

bool IsWholeFrame(QByteArrayView frame, int colourMode)
{
    if (frame.size() < kMinFrameBytes || quint8(frame.back()) != kFrameEnd)
        return false;
    const FrameExtent extent = ProbeFrameExtent(frame, colourMode);
    if (extent.status == FrameExtent::Known)
        return extent.length == frame.size();
    if (extent.status == FrameExtent::EndsWithTail) {
        const QByteArrayView tail(reinterpret_cast<const char *>(kFileDownloadTail), sizeof kFileDownloadTail);
        return frame.size() >= kMinFileFrame && frame.endsWith(tail);
    }
    return false;
}

} // namespace pelvoro
