// Byte layouts of the command frames, their shared encodings, the registry and the exchange bytes.
#include "comm/bcd.h"
#include "comm/command_registry.h"
#include "comm/exchange.h"
#include "comm/frames.h"
#include "config/area_layout.h"
#include "config/screen_info.h"

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

std::string HexOf(const QByteArray &bytes)
{
    return bytes.toHex(' ').toStdString();
}

#define EXPECT_BYTES(actual, expectedHex) EXPECT_EQ(HexOf(actual), HexOf(Hex(expectedHex)))

ScreenInfo Screen256x128Dual()
{
    ScreenInfo s;
    s.CardType = kCardNormal;
    s.Width = 256;
    s.Height = 128;
    s.ColorMode = 1;
    return s;
}

// ---- shared encodings -----------------------------------------------------------------------

TEST(Bcd, TwoDecimalDigitsAsTwoNibbles)
{
    const struct {
        int value;
        quint8 bcd;
    } cases[] = {{0, 0x00},
                 {7, 0x07},
                 {9, 0x09},
                 {10, 0x10},
                 {59, 0x59},
                 {99, 0x99},
                 // Out of range: the last two decimal digits, a negative value as 0.
                 {100, 0x00},
                 {2024, 0x24},
                 {2009, 0x09},
                 {-1, 0x00}};
    for (const auto &c : cases)
        EXPECT_EQ(Bcd(c.value), c.bcd) << c.value;
    EXPECT_EQ(FromBcd(0x59), 59);
    EXPECT_EQ(FromBcd(0x07), 7);
    EXPECT_EQ(FromBcd(0x0A), -1);
    EXPECT_EQ(FromBcd(0xA0), -1);
}

TEST(ColourCode, IndexPlusOneWithRedAndGreenSwappedOnModuleType1)
{
    const struct {
        int colour, module;
        quint8 code;
    } cases[] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {0, 1, 2}, {1, 1, 1}, {2, 1, 3}, {0, 2, 1}, {1, 2, 2}};
    for (const auto &c : cases)
        EXPECT_EQ(ColourCode(c.colour, c.module), c.code) << c.colour << " on module " << c.module;
}

// ---- fixed-layout frames --------------------------------------------------------------------

TEST(ParamFrame, WidthAndHeightHighByteFirstAndTheSignalByte)
{
    ScreenInfo plain = Screen256x128Dual();
    EXPECT_BYTES(BuildParamFrame(0, plain), "01c1080100008002000000aa");

    ScreenInfo signals = plain;
    signals.ColorMode = 0;
    signals.Width = 0x1234;
    signals.Height = 0x0010;
    signals.DataMirror = 1;
    signals.DataFlow = 1;
    signals.DataPolarity = 3;
    signals.OePolarity = 1;
    signals.LineOrder = 2;
    EXPECT_BYTES(BuildParamFrame(63, signals), "40c1081234001001750201aa");

    // Only the low 8 bits of the sum travel.
    ScreenInfo wrapped = plain;
    wrapped.DataMirror = 3;
    wrapped.OePolarity = 4; // 256
    EXPECT_EQ(quint8(BuildParamFrame(0, wrapped)[8]), 3);
}

TEST(ClockFrame, SettingsTimeInBcdAndPositionLowByteFirst)
{
    ScreenInfo s = Screen256x128Dual();
    s.Areas = {QStringLiteral("主区"), QStringLiteral("固定时钟"), QStringLiteral("固定温度"), QString()};
    s.ClockHeight = 32;
    s.ClockFormat = 1;
    s.ClockColor = 0; // red, sent as green's code on a swapped module
    s.ModuleType = 1;
    // year, month, day, weekday, hour, minute, second
    s.ClockParts = {true, false, true, true, true, false, true};
    const QDateTime now(QDate(2006, 12, 31), QTime(23, 59, 7)); // a Sunday
    EXPECT_BYTES(BuildClockFrame(2, s, {300, 16}, now),
                 "03c2070017"
                 "01"
                 "01"
                 "02"
                 "01"
                 "00"
                 "01"
                 "01"
                 "00"
                 "01"
                 "01"             // second, minute, hour, day, month, weekday, year shown
                 "07592331120006" // the time, BCD
                 "2c011000"
                 "0000"
                 "aa");
}

TEST(ClockFrame, SixteenDotClockAndYellowWhateverTheModule)
{
    ScreenInfo s = Screen256x128Dual();
    s.ClockHeight = 16;
    s.ClockColor = 2;
    s.ModuleType = 1;
    const CommandFrame f = BuildClockFrame(0, s, {0, 0}, QDateTime(QDate(2024, 3, 5), QTime(8, 0, 0)));
    ASSERT_EQ(f.size(), 29);
    EXPECT_EQ(quint8(f[5]), 0);
    EXPECT_EQ(quint8(f[7]), 3);
    EXPECT_EQ(quint8(f[20]), 2); // Tuesday
    EXPECT_EQ(quint8(f[21]), 0x24);
}

TEST(TempFrame, ClockHeightFlagFormatColourAndPosition)
{
    ScreenInfo s = Screen256x128Dual();
    s.Areas = {QStringLiteral("固定温度"), QString(), QString(), QString()};
    s.ClockHeight = 32;
    s.TempFormat = 1;
    s.TempColor = 1; // green, red's code on a swapped module
    s.ModuleType = 1;
    EXPECT_BYTES(BuildTempFrame(0, s, {216, 0x0110}), "01c3020009"
                                                      "01"
                                                      "01"
                                                      "01"
                                                      "d800"
                                                      "1001"
                                                      "0000"
                                                      "aa");
}

TEST(TimeSyncFrame, AllFieldsBcdWithSundayAsZero)
{
    const struct {
        QDateTime now;
        const char *expected;
    } cases[] = {
        {QDateTime(QDate(2006, 12, 31), QTime(23, 59, 7)), "01ce0707592331120006aa"},
        {QDateTime(QDate(2006, 1, 2), QTime(8, 5, 9)), "01ce0709050802010106aa"},
        {QDateTime(QDate(2009, 6, 13), QTime(0, 0, 0)), "01ce0700000013060609aa"},
    };
    for (const auto &c : cases)
        EXPECT_BYTES(BuildTimeSyncFrame(0, c.now), c.expected);
}

TEST(SmallFrames, PowerTestAndCancel)
{
    EXPECT_BYTES(BuildPowerFrame(0, true), "01c40100aa");
    EXPECT_BYTES(BuildPowerFrame(4, false), "05c40101aa");
    EXPECT_BYTES(BuildTestFrame(0, 0), "01ed0100aa");
    EXPECT_BYTES(BuildTestFrame(0, 8), "01ed0108aa");
    EXPECT_BYTES(BuildCancelScheduleFrame(9), "0ac700aa");
}

// ---- schedules ------------------------------------------------------------------------------

TEST(ScheduleFrame, WindowsThatDoNotApplyAreFilledWithFF)
{
    const ScheduleRecord none;
    EXPECT_BYTES(ScheduleEntry(3, none), "03ff"
                                         "ffffffffffffffffffffffffffffffffffffffffff");

    ScheduleRecord both;
    both.dateLimited = true;
    both.timeLimited = true;
    both.startYear = 24, both.startMonth = 3, both.startDay = 5;
    both.endYear = 24, both.endMonth = 12, both.endDay = 31;
    both.startHour = 8, both.startMinute = 0, both.startSecond = 9;
    both.endHour = 18, both.endMinute = 30, both.endSecond = 0;
    both.weekdays = {true, false, false, false, true, false, false}; // Monday and Friday
    EXPECT_BYTES(ScheduleEntry(1, both), "01ff"
                                         "090008"
                                         "0503ff24"
                                         "003018"
                                         "3112ff24"
                                         "01000000010000");

    ScheduleRecord timeOnly = both;
    timeOnly.dateLimited = false;
    timeOnly.weekdays = {};
    EXPECT_BYTES(ScheduleEntry(2, timeOnly), "02ff"
                                             "090008"
                                             "ffffffff"
                                             "003018"
                                             "ffffffff"
                                             "ffffffffffffff");

    ScheduleRecord dateOnly = both;
    dateOnly.timeLimited = false;
    dateOnly.weekdays = {false, false, false, false, false, false, true}; // Sunday only
    EXPECT_BYTES(ScheduleEntry(255, dateOnly), "ffff"
                                               "ffffff"
                                               "0503ff24"
                                               "ffffff"
                                               "3112ff24"
                                               "00000000000001");
}

TEST(ScheduleFrame, OneEntryPerPageAndAPageCountOf1To255)
{
    std::vector<ScheduleRecord> pages(2);
    pages[1].weekdays[0] = true;
    const FrameResult result = BuildScheduleFrame(5, pages);
    ASSERT_TRUE(result) << result.error.toStdString();
    ASSERT_EQ(result.frame.size(), 4 + 23 * 2);
    EXPECT_BYTES(result.frame.first(3), "06c602");
    EXPECT_EQ(result.frame.mid(3, 23), ScheduleEntry(1, pages[0]));
    EXPECT_EQ(result.frame.mid(26, 23), ScheduleEntry(2, pages[1]));
    EXPECT_EQ(quint8(result.frame.back()), 0xAA);

    EXPECT_TRUE(BuildScheduleFrame(0, std::vector<ScheduleRecord>(255)));
    EXPECT_EQ(BuildScheduleFrame(0, {}).error, QStringLiteral("文件列表中的页码有错！"));
    EXPECT_FALSE(BuildScheduleFrame(0, std::vector<ScheduleRecord>(256)));
}

// ---- file frames ----------------------------------------------------------------------------

TEST(ImageFrame, FileAsItStandsWithTheFixedTail)
{
    QByteArray file(1000, '\0');
    for (int i = 0; i < file.size(); ++i)
        file[i] = char(i * 7);
    const FrameResult fpga = BuildImageFrame(0, 0, file);
    ASSERT_TRUE(fpga) << fpga.error.toStdString();
    ASSERT_EQ(fpga.frame.size(), 1013);
    EXPECT_BYTES(fpga.frame.first(5), "01cc000000");
    EXPECT_EQ(fpga.frame.mid(5, 1000), file);
    EXPECT_BYTES(fpga.frame.last(8), "05001225120105aa");

    const FrameResult outdoor = BuildImageFrame(2, 1, "x");
    ASSERT_TRUE(outdoor);
    EXPECT_BYTES(outdoor.frame, "03cc01000078"
                                "05001225120105aa");

    EXPECT_FALSE(BuildImageFrame(0, 0, QByteArray()));
    EXPECT_FALSE(BuildImageFrame(0, 2, "x"));
}

// A page or subtitle file as the page store writes it: 16 x 8 area at row `top`, P pages whose
// rasters count up so that any slip shows.
QByteArray AreaFile(quint8 code, int pages, int colourMode, int top = 0, int headerExtra = 0)
{
    const int pageBytes = 16 * 8 / (8 / (colourMode + 1));
    QByteArray f;
    f.append(char(1));
    f.append(char(code));
    f.append(char(0x0C));
    f.append(char(0));
    for (int v : {0, top, 15, top + 7}) {
        f.append(char(v & 0xFF));
        f.append(char(v >> 8));
    }
    f.append(char(pages));
    if (code == kCodeMainPages) {
        for (int k = 0; k < pages; ++k)
            f.append(Hex("00000101"));
    } else {
        f.append(Hex("00000501"));
    }
    for (int i = 0; i < pages * pageBytes + headerExtra; ++i)
        f.append(char(i));
    f.append(char(0xAA));
    return f;
}

TEST(MainFrame, ThePageFileIsTheFrameAndByte12ThePageCount)
{
    const QByteArray file = AreaFile(kCodeMainPages, 2, 1);
    ASSERT_EQ(file.size(), 14 + 2 * (32 + 4));
    const FrameResult result = LoadMainFrame(file, 1);
    ASSERT_TRUE(result) << result.error.toStdString();
    EXPECT_EQ(result.frame, file);
    EXPECT_EQ(result.pageCount, 2);
}

TEST(MainFrame, DamagedFilesAreRefusedWithAReason)
{
    const QByteArray good = AreaFile(kCodeMainPages, 2, 1);
    QByteArray wrongCode = good;
    wrongCode[1] = char(0xD2);
    QByteArray noTrailer = good;
    noTrailer.back() = char(0x00);
    QByteArray badRect = good;
    badRect[4] = char(20); // left edge beyond the right edge (15)
    QByteArray countTooHigh = good;
    countTooHigh[12] = char(3);
    const struct {
        const char *name;
        QByteArray file;
        int colourMode;
    } cases[] = {
        {"empty", QByteArray(), 1},
        {"shorter than the header", good.first(12), 1},
        {"wrong command code", wrongCode, 1},
        {"truncated", good.chopped(1), 1},
        {"one byte too many", good + char(0xAA), 1},
        {"no trailer", noTrailer, 1},
        {"right edge left of the left edge", badRect, 1},
        {"page count beyond the rasters", countTooHigh, 1},
        {"written for a single-colour screen", AreaFile(kCodeMainPages, 2, 0), 1},
        {"unknown colour depth", good, 2},
    };
    for (const auto &c : cases) {
        const FrameResult result = LoadMainFrame(c.file, c.colourMode);
        EXPECT_FALSE(result) << c.name;
        EXPECT_FALSE(result.error.isEmpty()) << c.name;
        EXPECT_TRUE(result.frame.isEmpty()) << c.name;
    }
}

TEST(SubtitleFrame, MoveStyleIsSentAs0x20Or0x01AndTheFileKeepsIt)
{
    const struct {
        quint8 stored, sent;
    } cases[] = {{0, 0x20}, {1, 0x01}, {7, 0x01}};
    for (const auto &c : cases) {
        QByteArray file = AreaFile(kCodeSubtitlePages, 3, 0, 16);
        file[13] = char(c.stored);
        const QByteArray before = file;
        const FrameResult result = LoadSubtitleFrame(file, 0);
        ASSERT_TRUE(result) << result.error.toStdString();
        EXPECT_EQ(quint8(result.frame[13]), c.sent);
        EXPECT_EQ(result.pageCount, 3);
        EXPECT_EQ(file, before);
        QByteArray rest = result.frame;
        rest[13] = char(c.stored);
        EXPECT_EQ(rest, file); // nothing else changes
    }
    EXPECT_EQ(AreaFile(kCodeSubtitlePages, 3, 0).size(), 18 + 3 * 16);
    EXPECT_FALSE(LoadSubtitleFrame(AreaFile(kCodeSubtitlePages, 3, 0).chopped(2), 0));
    EXPECT_FALSE(LoadSubtitleFrame(AreaFile(kCodeMainPages, 3, 0), 0));
}

TEST(GlyphFrame, HeaderCellSizeAndExactGlyphBytes)
{
    const QByteArray glyphs(1296, char(0xFF));
    const FrameResult result = BuildGlyphFrame(0, 8, 16, glyphs);
    ASSERT_TRUE(result) << result.error.toStdString();
    ASSERT_EQ(result.frame.size(), 1302);
    EXPECT_BYTES(result.frame.first(5), "01d3510810");
    EXPECT_EQ(result.frame.mid(5, 1296), glyphs);
    EXPECT_EQ(quint8(result.frame.back()), 0xAA);
    EXPECT_EQ(GlyphBytes(32, 64), 20736);
    EXPECT_FALSE(BuildGlyphFrame(0, 8, 16, glyphs.chopped(1)));
    EXPECT_FALSE(BuildGlyphFrame(0, 0, 16, QByteArray()));
}

// ---- registry -------------------------------------------------------------------------------

TEST(Registry, EachFrameGetsItsCaptionPageCountAndReplyKind)
{
    const ScreenInfo s = Screen256x128Dual();
    const QDateTime now(QDate(2024, 1, 1), QTime(0, 0));
    const QByteArray main = AreaFile(kCodeMainPages, 2, 1);
    const QByteArray subtitle = AreaFile(kCodeSubtitlePages, 3, 1);
    const struct {
        QByteArray frame;
        const char16_t *caption;
        int pageCount;
        ReplyKind reply;
    } cases[] = {
        {BuildParamFrame(0, s), u"发送屏参数", 0, ReplyKind::Params},
        {BuildClockFrame(0, s, {}, now), u"发送时钟数据", 0, ReplyKind::Clock},
        {BuildTempFrame(0, s, {}), u"发送温度数据", 0, ReplyKind::Temperature},
        {BuildPowerFrame(0, true), u"发送开机命令", 0, ReplyKind::PowerOn},
        {BuildPowerFrame(0, false), u"发送关机命令", 0, ReplyKind::PowerOff},
        {BuildScheduleFrame(0, std::vector<ScheduleRecord>(4)).frame, u"发送定时播放列表", 0, ReplyKind::Params},
        {BuildCancelScheduleFrame(0), u"取消所有定时播放列表", 0, ReplyKind::Params},
        {BuildImageFrame(0, 0, "rbf").frame, u"下载FPGA程序", 0, ReplyKind::Fpga},
        {BuildImageFrame(0, 1, "cfg").frame, u"加载户外配置程序", 0, ReplyKind::Outdoor},
        {BuildTimeSyncFrame(0, now), u"发送校时数据", 0, ReplyKind::TimeSync},
        {LoadMainFrame(main, 1).frame, u"发送主区域数据", 2, ReplyKind::MainArea},
        {LoadSubtitleFrame(subtitle, 1).frame, u"发送字幕区域数据", 3, ReplyKind::Subtitle},
        {BuildGlyphFrame(0, 8, 16, QByteArray(1296, 0)).frame, u"下载字模数据", 0, ReplyKind::Fpga},
        {BuildTestFrame(0, 3), u"测试显示屏", 0, ReplyKind::Params},
    };
    for (const auto &c : cases) {
        const auto request = MakeSendRequest(7, c.frame);
        ASSERT_TRUE(request) << HexOf(c.frame.first(4));
        EXPECT_EQ(request->caption, QString::fromUtf16(c.caption));
        EXPECT_EQ(request->pageCount, c.pageCount) << request->caption.toStdString();
        EXPECT_EQ(request->replyKind, c.reply) << request->caption.toStdString();
        EXPECT_EQ(request->Address(), 8);
        EXPECT_EQ(request->frame, c.frame);
        // Every frame the builders make is whole by the length rule receivers cut it with.
        EXPECT_TRUE(IsWholeFrame(c.frame, 1)) << request->caption.toStdString();
    }
    EXPECT_FALSE(MakeSendRequest(0, Hex("01c5")));
    EXPECT_FALSE(MakeSendRequest(0, Hex("01c40102aa"))); // neither on nor off
    EXPECT_FALSE(MakeSendRequest(0, Hex("01d100")));     // no page count byte
    EXPECT_EQ(CommandSpecs().size(), 14u);
}

TEST(FrameExtent, LengthFromTheFramesOwnFirstBytes)
{
    const struct {
        const char *name;
        QByteArray start;
        int colourMode;
        FrameExtent::Status status;
        qint64 length;
    } cases[] = {
        {"one byte", Hex("01"), 1, FrameExtent::NeedMore, 2},
        {"parameters", Hex("01c1"), 1, FrameExtent::Known, 12},
        {"clock", Hex("01c2"), 1, FrameExtent::Known, 29},
        {"cancel", Hex("01c7"), 1, FrameExtent::Known, 4},
        {"schedule without its count", Hex("01c6"), 1, FrameExtent::NeedMore, 3},
        {"schedule of 255 pages", Hex("01c6ff"), 1, FrameExtent::Known, 4 + 23 * 255},
        {"glyphs 8 x 16", Hex("01d3510810"), 1, FrameExtent::Known, 1302},
        {"glyphs without the cell", Hex("01d351"), 1, FrameExtent::NeedMore, 5},
        {"file download", Hex("01cc00"), 1, FrameExtent::EndsWithTail, kMinFileFrame},
        {"page file header", AreaFile(kCodeMainPages, 2, 1).first(13), 1, FrameExtent::Known, 86},
        {"page file, single colour", AreaFile(kCodeMainPages, 2, 0).first(13), 0, FrameExtent::Known, 54},
        {"page file, header not complete", Hex("01d10c00000000000f"), 1, FrameExtent::NeedMore, 13},
        {"subtitle file", AreaFile(kCodeSubtitlePages, 3, 1).first(13), 1, FrameExtent::Known, 18 + 3 * 32},
        {"unknown code", Hex("01c5"), 1, FrameExtent::Invalid, 0},
        {"page file of an absurd area",
         Hex("01d10c00"
             "00000000"
             "ffffffff"
             "fe"),
         1, FrameExtent::Invalid, 0},
        {"page file, unknown colour depth", AreaFile(kCodeMainPages, 2, 1).first(13), 3, FrameExtent::Invalid, 0},
    };
    for (const auto &c : cases) {
        const FrameExtent extent = ProbeFrameExtent(c.start, c.colourMode);
        EXPECT_EQ(extent.status, c.status) << c.name;
        if (c.status != FrameExtent::Invalid)
            EXPECT_EQ(extent.length, c.length) << c.name;
        else
            EXPECT_FALSE(extent.error.isEmpty()) << c.name;
    }
}

// ---- exchange bytes -------------------------------------------------------------------------

TEST(Exchange, PreamblesOfBothCardFamiliesAndTheNetwork)
{
    const QByteArray main = AreaFile(kCodeMainPages, 3, 1);
    const auto request = MakeSendRequest(0, main);
    ASSERT_TRUE(request);
    EXPECT_BYTES(SerialPreamble(CardFamily::Normal, *request, false), "0101");
    EXPECT_BYTES(SerialPreamble(CardFamily::ZpKq, *request, false), "0101d10c0003");
    EXPECT_BYTES(SerialPreamble(CardFamily::Normal, *request, true), "bbbb");
    EXPECT_BYTES(SerialPreamble(CardFamily::ZpKq, *request, true), "bbbbd10c0003");
    EXPECT_BYTES(SerialPreamble(CardFamily::ZpKq, 9, Hex("09c1"), 0, false), "0909c1000000");
    EXPECT_BYTES(NetworkPreamble(12), "0c0c");
    EXPECT_BYTES(CardAcknowledgement(12), "0c");
    EXPECT_EQ(CardFamilyOf(kCardZpKq), CardFamily::ZpKq);
    EXPECT_EQ(CardFamilyOf(kCardNormal), CardFamily::Normal);
    EXPECT_EQ(CardFamilyOf(QString()), CardFamily::Normal);
}

TEST(Exchange, SerialBurstsAreJudgedWhole)
{
    const struct {
        const char *burst;
        quint8 pageCount;
        bool acknowledges;
    } cases[] = {
        {"05", 0, true},                       // the address
        {"050033", 0, true},                   // the address up to the first zero byte
        {"0505", 0, false},                    // the address twice
        {"0533", 0, false},                    // with another non-zero byte
        {"00", 0, true},                       // the page count 0
        {"03", 3, true},                       // the page count
        {"0300", 3, false},                    // page count with more bytes, not the address either
        {"", 0, false},      {"00", 3, false}, // nothing before the zero
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsSerialAcknowledgement(Hex(c.burst), 5, c.pageCount), c.acknowledges) << c.burst;
}

TEST(Exchange, NetworkAnswerIsExactlyTheOneCharacter)
{
    EXPECT_TRUE(IsNetworkAcknowledgement(Hex("05"), 5));
    EXPECT_FALSE(IsNetworkAcknowledgement(Hex("0505"), 5));
    EXPECT_FALSE(IsNetworkAcknowledgement(Hex("050a"), 5));
    EXPECT_FALSE(IsNetworkAcknowledgement(Hex("06"), 5));
    EXPECT_FALSE(IsNetworkAcknowledgement(QByteArray(), 5));
}

// ---- label positions ------------------------------------------------------------------------

TEST(SamplePositions, LeftEdgesByAlignmentAndTopFromTheStacking)
{
    ScreenInfo s = Screen256x128Dual();
    s.ClockParts.fill(true);
    s.ClockFormat = 0; // 272 dots
    s.ClockAlign = 0;
    s.MainHeight = 112;
    s.Areas = {QStringLiteral("主区"), QStringLiteral("固定时钟"), QStringLiteral("固定温度"), QString()};
    const QDateTime now(QDate(2006, 7, 20), QTime(0, 0));
    ClockAndTemperaturePositions p = SamplePositions(s, now);
    EXPECT_EQ(p.clock, (LabelPosition{0, 112}));
    EXPECT_EQ(p.temperature, (LabelPosition{216, 112}));

    s.ClockFormat = 1; // 184 dots
    s.ClockAlign = 1;
    s.Areas = {QStringLiteral("贴图时钟"), QStringLiteral("小字幕"), QStringLiteral("主区"),
               QStringLiteral("固定温度")};
    s.TitleHeight = 16;
    p = SamplePositions(s, now);
    // The fixed band lies below the subtitle strip and the main area; both samples take its top,
    // although the picture clock alone would sit on the main area.
    EXPECT_EQ(p.clock.x, 16);
    EXPECT_EQ(p.temperature.x, 200);
    EXPECT_EQ(p.clock.y, 16 + 112);
    EXPECT_EQ(p.temperature.y, p.clock.y);
}

} // namespace
} // namespace pelvoro
