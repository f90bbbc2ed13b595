#include "comm/frames.h"

#include "comm/bcd.h"
#include "config/area_layout.h"
#include "config/screen_info.h"
#include "pages/area_stacking.h"
#include "pages/clock_text.h"
#include "pages/page_store.h"
#include "pages/subtitle_store.h"

namespace pelvoro {
namespace {

// The move style is the first byte of the subtitle file's entry.
constexpr qsizetype kSubtitleStyleOffset = kSubtitleEntryOffset;

quint8 Address(int screenIndex)
{
    return quint8(screenIndex + 1);
}

void Put16High(QByteArray &f, int value)
{
    f.append(char((value >> 8) & 0xFF));
    f.append(char(value & 0xFF));
}

void Put16Low(QByteArray &f, int value)
{
    f.append(char(value & 0xFF));
    f.append(char((value >> 8) & 0xFF));
}

int Get16Low(QByteArrayView f, qsizetype offset)
{
    return quint8(f[offset]) | (quint8(f[offset + 1]) << 8);
}

// 0 for the 16-dot clock, 1 for any other height; the temperature frame carries it too.
char ClockHeightFlag(const ScreenInfo &screen)
{
    return screen.ClockHeight == 16 ? 0 : 1;
}

struct TimeFields {
    quint8 second, minute, hour, day, month, weekday, year;
};

// One reading of the clock gives every field.
TimeFields TakeTime(const QDateTime &now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    return {Bcd(time.second()), Bcd(time.minute()), Bcd(time.hour()), Bcd(date.day()), Bcd(date.month()),
            Bcd(date.dayOfWeek() % 7), Bcd(date.year() % 100)};
}

void PutTime(QByteArray &f, const TimeFields &t)
{
    for (quint8 b : {t.second, t.minute, t.hour, t.day, t.month, t.weekday, t.year})
        f.append(char(b));
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
        return Refused(
            QStringLiteral("文件只有%1字节，不足%2字节的文件头").arg(file.size()).arg(kPageHeaderBytes));
    }
    if (quint8(file[1]) != code) {
        return Refused(QStringLiteral("第2字节应为0x%1，实际为0x%2")
                           .arg(code, 2, 16, QLatin1Char('0'))
                           .arg(quint8(file[1]), 2, 16, QLatin1Char('0')));
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
    if (moduleType == 1 && (t == 1 || t == 2))
        return t == 1 ? 2 : 1;
    return t;
}

CommandFrame BuildParamFrame(int screenIndex, const ScreenInfo &s)
{
    CommandFrame f;
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeScreenParams));
    f.append(char(0x08));
    Put16High(f, s.Width);
    Put16High(f, s.Height);
    f.append(char(s.ColorMode + 1));
    f.append(char((s.DataMirror + 4 * s.DataFlow + 16 * s.DataPolarity + 64 * s.OePolarity) & 0xFF));
    f.append(char(s.LineOrder));
    f.append(char(s.DataFlow));
    f.append(char(kFrameEnd));
    return f;
}

CommandFrame BuildClockFrame(int screenIndex, const ScreenInfo &s, LabelPosition clock, const QDateTime &now)
{
    // ClockParts holds year, month, day, weekday, hour, minute, second; the frame lists them from the
    // second upward.
    static constexpr int kShownOrder[] = {6, 5, 4, 2, 1, 3, 0};
    CommandFrame f;
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeClock));
    f.append(char(AreaFlags(s)));
    f.append(char(0x00));
    f.append(char(0x17));
    f.append(ClockHeightFlag(s));
    f.append(char(s.ClockFormat));
    f.append(char(ColourCode(s.ClockColor, s.ModuleType)));
    for (int part : kShownOrder)
        f.append(char(s.ClockParts[size_t(part)] ? 1 : 0));
    PutTime(f, TakeTime(now));
    Put16Low(f, clock.x);
    Put16Low(f, clock.y);
    f.append(char(0));
    f.append(char(0));
    f.append(char(kFrameEnd));
    return f;
}

CommandFrame BuildTempFrame(int screenIndex, const ScreenInfo &s, LabelPosition temperature)
{
    CommandFrame f;
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeTemperature));
    f.append(char(AreaFlags(s)));
    f.append(char(0x00));
    f.append(char(0x09));
    f.append(ClockHeightFlag(s));
    f.append(char(s.TempFormat));
    f.append(char(ColourCode(s.TempColor, s.ModuleType)));
    Put16Low(f, temperature.x);
    Put16Low(f, temperature.y);
    f.append(char(0));
    f.append(char(0));
    f.append(char(kFrameEnd));
    return f;
}

CommandFrame BuildTimeSyncFrame(int screenIndex, const QDateTime &now)
{
    CommandFrame f;
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeTimeSync));
    f.append(char(0x07));
    PutTime(f, TakeTime(now));
    f.append(char(kFrameEnd));
    return f;
}

CommandFrame BuildPowerFrame(int screenIndex, bool on)
{
    const char f[] = {char(Address(screenIndex)), char(kCodePower), 0x01, char(on ? 0x00 : 0x01), char(kFrameEnd)};
    return CommandFrame(f, sizeof f);
}

CommandFrame BuildTestFrame(int screenIndex, quint8 pattern)
{
    const char f[] = {char(Address(screenIndex)), char(kCodeTestPattern), 0x01, char(pattern), char(kFrameEnd)};
    return CommandFrame(f, sizeof f);
}

CommandFrame BuildCancelScheduleFrame(int screenIndex)
{
    const char f[] = {char(Address(screenIndex)), char(kCodeCancelSchedule), 0x00, char(kFrameEnd)};
    return CommandFrame(f, sizeof f);
}

QByteArray ScheduleEntry(int page, const ScheduleRecord &r)
{
    constexpr char kNone = char(0xFF);
    QByteArray e(23, kNone);
    e[0] = char(page);
    if (r.timeLimited) {
        e[2] = char(Bcd(r.startSecond));
        e[3] = char(Bcd(r.startMinute));
        e[4] = char(Bcd(r.startHour));
        e[9] = char(Bcd(r.endSecond));
        e[10] = char(Bcd(r.endMinute));
        e[11] = char(Bcd(r.endHour));
    }
    if (r.dateLimited) {
        e[5] = char(Bcd(r.startDay));
        e[6] = char(Bcd(r.startMonth));
        e[8] = char(Bcd(r.startYear));
        e[12] = char(Bcd(r.endDay));
        e[13] = char(Bcd(r.endMonth));
        e[15] = char(Bcd(r.endYear));
    }
    bool anyDay = false;
    for (bool day : r.weekdays)
        anyDay |= day;
    if (anyDay) {
        for (int i = 0; i < 7; ++i)
            e[16 + i] = char(r.weekdays[size_t(i)] ? 1 : 0);
    }
    return e;
}

FrameResult BuildScheduleFrame(int screenIndex, std::span<const ScheduleRecord> pages)
{
    if (pages.empty() || pages.size() > 255)
        return Refused(QStringLiteral("文件列表中的页码有错！"));
    FrameResult result;
    CommandFrame &f = result.frame;
    f.reserve(qsizetype(4 + 23 * pages.size()));
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeSchedule));
    f.append(char(pages.size()));
    for (size_t k = 0; k < pages.size(); ++k)
        f.append(ScheduleEntry(int(k + 1), pages[k]));
    f.append(char(kFrameEnd));
    return result;
}

FrameResult BuildImageFrame(int screenIndex, int subKind, QByteArrayView file)
{
    if (subKind != 0 && subKind != 1)
        return Refused(QStringLiteral("下载类型%1无效（0为FPGA程序，1为户外配置）").arg(subKind));
    if (file.isEmpty())
        return Refused(QStringLiteral("文件长度为0"));
    FrameResult result;
    CommandFrame &f = result.frame;
    f.reserve(file.size() + 13);
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeFileDownload));
    f.append(char(subKind));
    f.append(char(0));
    f.append(char(0));
    f.append(file);
    f.append(reinterpret_cast<const char *>(kFileDownloadTail), sizeof kFileDownloadTail);
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
        result.frame[kSubtitleStyleOffset] = char(result.frame[kSubtitleStyleOffset] == 0 ? 0x20 : 0x01);
    return result;
}

qsizetype GlyphBytes(int width, int height)
{
    return qsizetype(81) * width * height / 8;
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
    f.reserve(glyphs.size() + 6);
    f.append(char(Address(screenIndex)));
    f.append(char(kCodeGlyphs));
    f.append(char(0x51));
    f.append(char(width));
    f.append(char(height));
    f.append(glyphs);
    f.append(char(kFrameEnd));
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
    if (start.size() < 2)
        return Need(2);
    const CommandSpec *spec = FindCommand(quint8(start[1]));
    if (!spec)
        return Invalid(QStringLiteral("未知命令0x%1").arg(quint8(start[1]), 2, 16, QLatin1Char('0')));
    switch (spec->length) {
    case LengthRule::Fixed:
        return Known(spec->fixedLength);
    case LengthRule::ScheduleList:
        if (start.size() < 3)
            return Need(3);
        return Known(4 + 23 * qint64(quint8(start[2])));
    case LengthRule::FileDownload:
        return {FrameExtent::EndsWithTail, kMinFileFrame, {}};
    case LengthRule::Glyphs:
        if (start.size() < 5)
            return Need(5);
        return Known(6 + GlyphBytes(quint8(start[3]), quint8(start[4])));
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
    if (frame.size() < 4 || quint8(frame.back()) != kFrameEnd)
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
