#include "pages/subtitle_store.h"

#include "base/gbk.h"
#include "comm/frames.h"
#include "config/area_layout.h"
#include "pages/font_choices.h"
#include "pages/font_substitution.h"
#include "pages/raster.h"
#include "pages/rich_layout.h"
#include "pages/subtitle_conversion.h"
#include "support/app_dir_fixture.h"
#include "support/file_size_limit.h"
#include "support/led_colours.h"
#include "support/subtitle_fixtures.h"

#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>

namespace pelvoro::test {
namespace {

QByteArray Repeat(const char *utf8, int times)
{
    return Gbk(utf8).repeated(times);
}

// What the conversion draws for one piece: the piece at the top-left corner of a black strip,
// widened when asked, as it comes back from the raster.
QImage Drawn(const ScreenInfo &screen, const QByteArray &piece, QRgb colour, bool widen)
{
    const SubtitleMetrics metrics = SubtitleMetricsOf(screen);
    QImage image(screen.Width, screen.TitleHeight, QImage::Format_RGB32);
    image.fill(kBlack);
    CharFormat format;
    format.face = QStringLiteral("宋体");
    format.sizeHalfPoints = metrics.points * 2;
    format.autoColor = false;
    format.color = colour;
    RichLayout::DrawText(&image, 0, 0, FromGbk(piece), format, QColor::fromRgb(colour));
    if (widen)
        WidenShortPiece(&image, metrics.points);
    const RasterFormat raster = RasterFormatOf(screen);
    return UnpackRaster(PackRaster(image, raster), screen.Width, screen.TitleHeight, raster);
}

bool AllBlack(const QImage &image, int fromColumn, int toColumn)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromColumn; x <= toColumn; ++x) {
            if (image.pixel(x, y) != kBlack)
                return false;
        }
    }
    return true;
}

class SubtitleStoreTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        table.LastIndex = 1;
        table[0] = TitleScreen(256, 16, 0);
        table[1] = TitleScreen(256, 16, 0);
    }

    SubtitleConversion Convert(QByteArrayView gbk, int screen = 0, SubtitleEntry current = {}, QRgb colour = kRed)
    {
        SubtitleDrawing drawing;
        drawing.colour = colour;
        return ConvertSubtitle(table, screen, gbk, drawing, current);
    }

    QByteArray File(int screen = 0) const { return ReadFile(QStringLiteral("TavrelTitle%1.dat").arg(screen + 1)); }
    QImage Page(int page, int screen = 0) const
    {
        const SubtitleRead read = ReadSubtitlePage(table, screen, page);
        EXPECT_TRUE(read.Ok()) << read.message.toStdString();
        return read.image;
    }

    ScreenTable table;
};

TEST(SubtitleGeometry, PageBytesCapacityFontAndPieceLength)
{
    struct Case {
        const char *name;
        ScreenInfo screen;
        qsizetype subPageBytes;
        int capacity;
        int points;
        int lineHeight;
        int pieceBytes;
    };
    const Case cases[] = {
        {"256x16 single", TitleScreen(256, 16, 0), 512, 254, 12, 16, 32},
        {"256x32 single", TitleScreen(256, 32, 0), 1024, 127, 24, 32, 16},
        {"256x16 dual", TitleScreen(256, 16, 1), 1024, 127, 12, 16, 32},
        {"320x16 single", TitleScreen(320, 16, 0), 640, 203, 12, 16, 40},
        {"2048x32 dual", TitleScreen(2048, 32, 1), 16384, 7, 24, 32, 128},
        {"too big for one page", TitleScreen(65536, 32, 1), 524288, 0, 24, 32, 4096},
        {"colour mode 2", TitleScreen(256, 16, 2), 0, 0, 12, 16, 32},
        {"no rows", TitleScreen(256, 0, 0), 0, 0, 12, 16, 32},
        {"narrower than a byte", TitleScreen(7, 16, 0), 14, 254, 12, 16, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SubPageBytes(c.screen), c.subPageBytes);
        EXPECT_EQ(SubtitleCapacity(c.screen), c.capacity);
        const SubtitleMetrics metrics = SubtitleMetricsOf(c.screen);
        EXPECT_EQ(metrics.points, c.points);
        EXPECT_EQ(metrics.lineHeight, c.lineHeight);
        EXPECT_EQ(metrics.pieceBytes, c.pieceBytes);
    }
    EXPECT_EQ(SubtitleFileSize(512, 3), 1554);
    EXPECT_EQ(SubtitleLimitMessage(TitleScreen(2048, 32, 1)), QStringLiteral("最多可编辑7页内容"));
}

TEST(SubtitleGeometry, ColoursAndFaces)
{
    EXPECT_EQ(SubtitleColour(QStringLiteral("红")), kRed);
    EXPECT_EQ(SubtitleColour(QStringLiteral("黄")), kYellow);
    EXPECT_EQ(SubtitleColour(QStringLiteral("绿")), 0xFF00FF00u);
    EXPECT_EQ(SubtitleColour(QStringLiteral("蓝")), kRed);

    // The faces on this machine: each once, the Chinese Windows names first when drawable.
    const QStringList faces = SubtitleFontFaces();
    EXPECT_EQ(QSet<QString>(faces.begin(), faces.end()).size(), faces.size()) << faces.join(", ").toStdString();
    const QStringList installed = QFontDatabase::families();
    const QStringList song = QStringList{QStringLiteral("宋体")} + SubstitutesFor(QStringLiteral("宋体"));
    const bool songDrawable = std::any_of(song.begin(), song.end(),
                                          [&](const QString &face) { return installed.contains(face); });
    EXPECT_EQ(faces.contains(QStringLiteral("宋体")), songDrawable);
}

TEST(SubtitleGeometry, FontChoicesShowEachTypefaceOnceChineseFirst)
{
    const QStringList installed = {"AR PL UKai CN",  "AR PL UKai TW",         "AR PL UMing HK", "AR PL UMing CN",
                                   "AR PL UMing TW MBE", "DejaVu Sans",       "Liberation Sans", "Liberation Sans [1ASC]",
                                   "Monospace",      "Sans Serif",            "WenQuanYi Zen Hei"};
    const auto chinese = [](const QString &family) {
        return family.startsWith(QLatin1String("AR PL")) || family.startsWith(QLatin1String("WenQuanYi"));
    };
    EXPECT_EQ(FontChoices(installed, chinese),
              (QStringList{"宋体", "黑体", "楷体", "AR PL UKai CN", "AR PL UMing CN", "WenQuanYi Zen Hei", "DejaVu Sans",
                           "Liberation Sans"}));
    // Only the names the station can draw: 宋体 needs a Song face; 黑体 and 楷体 fall back on it.
    EXPECT_EQ(FontChoices({"DejaVu Sans"}, chinese), QStringList{"DejaVu Sans"});
    EXPECT_EQ(FontChoices({"AR PL UMing CN", "DejaVu Sans"}, chinese),
              (QStringList{"宋体", "黑体", "楷体", "AR PL UMing CN", "DejaVu Sans"}));
}

// Pieces never split a two-byte character: the walk over whole characters decides, not the byte
// value at the cut (trail bytes may be 0x40..0x7E or 0x80 and above).
TEST(SubtitlePieces, CutAtWholeCharacters)
{
    struct Case {
        const char *name;
        QByteArray gbk;
        int pieceBytes;
        QList<int> lengths; // the non-empty pieces
    };
    const Case cases[] = {
        {"40 Chinese characters, 32 bytes a piece", Repeat("字", 40), 32, {32, 32, 16}},
        {"one ASCII byte first: 31 bytes, the cut would split a character", Gbk("a") + Repeat("字", 20), 32, {31, 10}},
        {"trail byte 0xD0 at the cut is not a lead byte", Repeat("中", 2), 4, {4}},
        {"trail byte 0x40 is not a character of its own", Gbk("丂a"), 2, {2, 1}},
        {"ASCII only", QByteArray("abcdefghij"), 4, {4, 4, 2}},
        {"the euro sign 0x80 is one byte, not a lead byte", "\x80" + Repeat("中", 3), 4, {3, 4}},
        {"exactly one piece", Repeat("字", 16), 32, {32}},
        {"a piece of one byte cannot hold a character", Gbk("字"), 1, {}},
        {"no room at all", QByteArray("abc"), 0, {}},
        {"empty text", QByteArray(), 32, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QList<QByteArray> pieces = CutSubtitlePieces(c.gbk, c.pieceBytes);
        ASSERT_EQ(pieces.size(), kSubtitlePieces);
        QList<int> lengths;
        QByteArray joined;
        for (const QByteArray &piece : pieces) {
            if (!piece.isEmpty())
                lengths.append(int(piece.size()));
            joined += piece;
        }
        EXPECT_EQ(lengths, c.lengths);
        EXPECT_TRUE(c.gbk.startsWith(joined)) << "pieces are consecutive";
        if (c.pieceBytes >= 2) {
            EXPECT_EQ(FromGbk(joined), FromGbk(c.gbk)) << "every character is in one piece";
        }
    }
}

TEST(SubtitlePieces, TextBeyond256PiecesIsDropped)
{
    const QByteArray text = QByteArray(300, 'x');
    const QList<QByteArray> pieces = CutSubtitlePieces(text, 1);
    ASSERT_EQ(pieces.size(), 256);
    EXPECT_EQ(pieces.last(), QByteArray("x"));
    EXPECT_EQ(pieces.join().size(), 256);
}

// The widening maps the source columns onto the target dot for dot; every column of the source
// shows up and nothing right of the source is read.
TEST(SubtitleWidening, SourceAndTargetColumnsByWidthAndFont)
{
    struct Case {
        const char *name;
        int width;
        int points;
        int sourceColumns; // 0 .. sourceColumns - 1
        int firstTarget;   // columns before it are black
    };
    const Case cases[] = {
        {"256 wide, 12 points", 256, 12, 248, 2},
        {"256 wide, 24 points", 256, 24, 241, 2},
        {"320 wide, 12 points", 320, 12, 312, 0},
        {"320 wide, 24 points", 320, 24, 305, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Each column gets its own colour: red and green channels count the column.
        QImage image(c.width, 4, QImage::Format_RGB32);
        for (int x = 0; x < c.width; ++x) {
            for (int y = 0; y < 4; ++y)
                image.setPixel(x, y, qRgb(x % 256, x / 256 + 1, y));
        }
        WidenShortPiece(&image, c.points);
        const auto column = [&](int x) { return qRed(image.pixel(x, 0)) + 256 * (qGreen(image.pixel(x, 0)) - 1); };
        EXPECT_TRUE(AllBlack(image, 0, c.firstTarget - 1));
        EXPECT_EQ(column(c.firstTarget), 0);
        EXPECT_EQ(column(c.width - 1), c.sourceColumns - 1);
        QSet<int> seen;
        for (int x = c.firstTarget; x < c.width; ++x) {
            const int source = column(x);
            EXPECT_LT(source, c.sourceColumns) << "column " << x;
            if (x > c.firstTarget) {
                EXPECT_GE(source, column(x - 1)) << "column " << x;
            }
            EXPECT_EQ(qBlue(image.pixel(x, 3)), 3) << "rows stay in place";
            seen.insert(source);
        }
        EXPECT_EQ(seen.size(), c.sourceColumns) << "no source column is lost";
    }
}

// A 64 x 16 single-colour subtitle under a 16-row main area, on screen 2: every header byte.
TEST_F(SubtitleStoreTest, FileLayoutOfASmallStrip)
{
    ScreenInfo &s = table[1];
    s.Width = 64;
    s.Height = 32;
    s.MainHeight = 16;
    s.Areas = {QStringLiteral("主区"), QStringLiteral("小字幕"), QString(), QString()};
    // 64 dots: 8 bytes a piece, 128 bytes a page.
    const SubtitleConversion result = Convert("ABCDEFGHIJ", 1, SubtitleEntry{1, 7, 30, 200});
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.appended, 2);
    EXPECT_FALSE(result.limitReached);

    const QByteArray file = File(1);
    ASSERT_EQ(file.size(), 18 + 2 * 128);
    const QByteArray header("\x02\xD2\x0C\x00"  // screen 2, subtitle data, main and subtitle areas, 0
                            "\x00\x00\x10\x00"  // left 0, top 16
                            "\x3F\x00\x1F\x00"  // right 63, bottom 31
                            "\x02"              // two pages
                            "\x01\x07\x01\x01", // style and reserved kept, speed and dwell 1
                            17);
    EXPECT_EQ(file.left(17), header);
    EXPECT_EQ(quint8(file.back()), 0xAA);
    const QImage page1 = Page(1, 1);
    EXPECT_EQ(page1, Drawn(s, "ABCDEFGH", kRed, false));
    EXPECT_GT(LitDots(page1), 0);
    EXPECT_EQ(Page(2, 1), Drawn(s, "IJ", kRed, false));
    // The file is whole as the subtitle command checks it: 18 + P * page bytes of its rectangle.
    const FrameResult frame = LoadSubtitleFrame(file, s.ColorMode);
    EXPECT_TRUE(frame.ok()) << frame.error.toStdString();
    EXPECT_EQ(frame.pageCount, 2);
}

TEST_F(SubtitleStoreTest, FortyChineseCharactersOnSmallAndBigStrips)
{
    const QByteArray text = Repeat("字", 40);
    const SubtitleConversion small = Convert(text);
    ASSERT_TRUE(small.Ok()) << small.message.toStdString();
    EXPECT_EQ(small.pageCount, 3);
    EXPECT_EQ(File().size(), 1554);
    EXPECT_EQ(Page(1), Drawn(table[0], Repeat("字", 16), kRed, false));
    EXPECT_EQ(Page(3), Drawn(table[0], Repeat("字", 8), kRed, false));

    table[1] = TitleScreen(256, 32, 0);
    const SubtitleConversion big = Convert(text, 1);
    ASSERT_TRUE(big.Ok()) << big.message.toStdString();
    EXPECT_EQ(big.pageCount, 5);
    EXPECT_EQ(File(1).size(), 18 + 5 * 1024);
    EXPECT_EQ(Page(5, 1), Drawn(table[1], Repeat("字", 8), kRed, false));
}

// Only a piece exactly one byte short of a full line is widened.
TEST_F(SubtitleStoreTest, PieceOneByteShortIsWidened)
{
    // "a" + 20 characters: pieces of 31 and 10 bytes.
    const QByteArray text = Gbk("a") + Repeat("字", 20);
    ASSERT_TRUE(Convert(text, 0, {}, kYellow).Ok());
    const QImage widened = Page(1);
    EXPECT_EQ(widened, Drawn(table[0], text.left(31), kYellow, true));
    EXPECT_GT(LitDots(widened), 0);
    EXPECT_NE(widened, Drawn(table[0], text.left(31), kYellow, false));
    EXPECT_TRUE(AllBlack(widened, 0, 1));
    EXPECT_EQ(Page(2), Drawn(table[0], text.mid(31), kYellow, false));

    // 320 dots: 40 bytes a piece, a 39-byte piece spreads over the whole width.
    table[1] = TitleScreen(320, 16, 1);
    const QByteArray wide = Gbk("a") + Repeat("字", 19);
    ASSERT_TRUE(Convert(wide, 1, {}, kYellow).Ok());
    EXPECT_EQ(Page(1, 1), Drawn(table[1], wide, kYellow, true));
}

TEST_F(SubtitleStoreTest, CapacityStopsTheConversion)
{
    // 2048 x 32 dual colour: 16384 bytes a page, 7 pages; 128 bytes a piece.
    table[0] = TitleScreen(2048, 32, 1);
    const SubtitleConversion result = Convert(QByteArray(10 * 128, 'x'));
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_TRUE(result.limitReached);
    EXPECT_EQ(result.limitMessage, QStringLiteral("最多可编辑7页内容"));
    EXPECT_EQ(result.pageCount, 7);
    EXPECT_EQ(File().size(), SubtitleFileSize(16384, 7));

    // More than 256 pieces: the capacity (254 at most) always stops it first.
    table[1] = TitleScreen(64, 16, 0);
    const SubtitleConversion many = Convert(QByteArray(300 * 8, 'y'), 1);
    EXPECT_TRUE(many.limitReached);
    EXPECT_EQ(many.pageCount, 254);

    // A file already full gets nothing and is not rewritten.
    const QByteArray full = File();
    const SubtitleConversion again = Convert("more");
    EXPECT_TRUE(again.limitReached);
    EXPECT_EQ(again.appended, 0);
    EXPECT_EQ(File(), full);
}

TEST_F(SubtitleStoreTest, StripsThatCannotBeStoredGetNoFile)
{
    const struct {
        const char *name;
        ScreenInfo screen;
        PageStatus status;
        bool limit;
    } cases[] = {
        {"no subtitle area",
         [] {
             ScreenInfo s = TitleScreen(256, 16, 0);
             s.Areas[0] = QStringLiteral("主区");
             return s;
         }(),
         PageStatus::Refused, false},
        {"colour mode 2", TitleScreen(256, 16, 2), PageStatus::Refused, false},
        {"not even one page fits", TitleScreen(65536, 32, 1), PageStatus::Ok, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        table[0] = c.screen;
        const SubtitleConversion result = Convert("abc");
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.limitReached, c.limit);
        EXPECT_EQ(result.appended, 0);
        EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    }
}

// Appending onto an existing file keeps its header bytes and pages; every conversion writes speed
// and dwell 1 with the current style and reserved byte.
TEST_F(SubtitleStoreTest, ConversionAppendsAndResetsSpeedAndDwell)
{
    ASSERT_TRUE(Convert(Repeat("字", 20)).Ok()); // pages of 32 and 8 bytes
    ASSERT_TRUE(WriteSubtitleEntry(table, 0, SubtitleEntry{1, 9, 30, 200}).Ok());
    const QByteArray before = File();
    table[0].Areas[1] = QStringLiteral("主区"); // the flags of a file are those of its creation

    const SubtitleConversion result = Convert("abc", 0, SubtitleEntry{1, 9, 30, 200});
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.appended, 1);
    const QByteArray after = File();
    ASSERT_EQ(after.size(), SubtitleFileSize(512, 3));
    EXPECT_EQ(after.left(12), before.left(12));
    EXPECT_EQ(after.mid(12, 5), QByteArray("\x03\x01\x09\x01\x01", 5));
    EXPECT_EQ(after.mid(17, 2 * 512), before.mid(17, 2 * 512));
}

TEST_F(SubtitleStoreTest, ConvertCommandSavesTheTextAndRebuildsThePages)
{
    const QString text = QStringLiteral("  欢迎光临 Welcome  ");
    SubtitleConversion result = ConvertSubtitleText(table, 0, text, SubtitleDrawing{}, SubtitleEntry{});
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    // The whole text, blanks included, in GBK and without a line end.
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), ToGbk(text));
    EXPECT_EQ(ReadSubtitleText(0), text);
    EXPECT_EQ(StoredSubtitlePageCount(0), 1);

    // A second conversion starts from nothing, not from the pages already there.
    result = ConvertSubtitleText(table, 0, QString(40, QLatin1Char('b')), SubtitleDrawing{}, SubtitleEntry{});
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.pageCount, 2);
    EXPECT_EQ(File().size(), SubtitleFileSize(512, 2));

    // A blank text removes both files and is refused.
    result = ConvertSubtitleText(table, 0, QStringLiteral("   "), SubtitleDrawing{}, SubtitleEntry{});
    EXPECT_TRUE(result.emptyText);
    EXPECT_EQ(result.status, PageStatus::Refused);
    EXPECT_EQ(result.message, QStringLiteral("编辑框没有信息,不能转换字幕页!"));
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.txt"));

    // A screen without a subtitle area keeps no subtitle text either.
    table[1].Areas = {QStringLiteral("主区"), {}, {}, {}};
    result = ConvertSubtitleText(table, 1, QStringLiteral("abc"), SubtitleDrawing{}, SubtitleEntry{});
    EXPECT_EQ(result.status, PageStatus::Refused);
    EXPECT_EQ(result.message, QStringLiteral("2号屏没有字幕区"));
    EXPECT_FALSE(Exists("TavrelTitle2.txt"));
}

TEST_F(SubtitleStoreTest, TextFileLinesAreJoined)
{
    WriteFile("TavrelTitle1.txt", Gbk("第一行\r\n第二行\nthird\rlast"));
    EXPECT_EQ(ReadSubtitleText(0), QStringLiteral("第一行第二行thirdlast"));
    EXPECT_EQ(ReadSubtitleText(1), std::nullopt);

    ASSERT_TRUE(SaveSubtitleText(1, QStringLiteral("字幕")).Ok());
    EXPECT_EQ(ReadFile("TavrelTitle2.txt"), Gbk("字幕"));
}

TEST_F(SubtitleStoreTest, ReadingAPageGivesItsEntryAndImage)
{
    ASSERT_TRUE(Convert(Repeat("字", 40), 0, SubtitleEntry{1, 0, 0, 0}).Ok());
    const QByteArray file = File();
    const SubtitleRead read = ReadSubtitlePage(table, 0, 2);
    ASSERT_TRUE(read.Ok()) << read.message.toStdString();
    EXPECT_EQ(read.pageCount, 3);
    EXPECT_EQ(read.entry, (SubtitleEntry{1, 0, 1, 1}));
    ASSERT_EQ(read.image.size(), QSize(256, 16));
    EXPECT_EQ(PackRaster(read.image, RasterFormatOf(table[0])), file.mid(17 + 512, 512));

    const SubtitleState state = ReadSubtitleState(table, 0);
    ASSERT_TRUE(state.Ok());
    EXPECT_EQ(state.pageCount, 3);
    EXPECT_EQ(state.entry, read.entry);

    EXPECT_EQ(ReadSubtitlePage(table, 0, 4).status, PageStatus::NoPage);
    EXPECT_EQ(ReadSubtitlePage(table, 0, 0).status, PageStatus::NoPage);
    EXPECT_EQ(ReadSubtitlePage(table, 1, 1).status, PageStatus::NoFile);
    EXPECT_EQ(ReadSubtitleState(table, 1).status, PageStatus::NoFile);
}

TEST_F(SubtitleStoreTest, EntryEditsWriteInPlace)
{
    // What each control writes, from the entry {0, 3, 7, 9}.
    const SubtitleEntry current{0, 3, 7, 9};
    const struct {
        SubtitleEdit edit;
        int value;
        SubtitleEntry written;
    } edits[] = {
        {SubtitleEdit::Style, 1, {1, 3, 7, 9}},
        {SubtitleEdit::Speed, 20, {0, 3, 20, 1}},
        {SubtitleEdit::Dwell, 9, {0, 3, 5, 9}},
    };
    for (const auto &e : edits)
        EXPECT_EQ(EditedSubtitleEntry(current, e.edit, e.value), e.written) << int(e.edit);

    // No file: nothing is written and no file appears.
    EXPECT_EQ(WriteSubtitleEntry(table, 0, SubtitleEntry{1, 0, 7, 1}).status, PageStatus::NoFile);
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));

    ASSERT_TRUE(Convert(Repeat("字", 40)).Ok());
    const QByteArray before = File();
    ASSERT_TRUE(WriteSubtitleEntry(table, 0, SubtitleEntry{1, 0, 7, 1}).Ok());
    ASSERT_TRUE(WriteSubtitleEntry(table, 0, SubtitleEntry{1, 0, 5, 9}).Ok());
    QByteArray expected = before;
    expected.replace(13, 4, QByteArray("\x01\x00\x05\x09", 4));
    EXPECT_EQ(File(), expected);
    EXPECT_EQ(DecodeSubtitleEntry(File().constData() + 13), (SubtitleEntry{1, 0, 5, 9}));
}

// Files that are not exactly what their header declares are reported and left alone by every
// operation; none reads past the end.
TEST_F(SubtitleStoreTest, DamagedFilesAreReportedAndLeftAlone)
{
    ASSERT_TRUE(Convert(Repeat("字", 40)).Ok());
    const QByteArray good = File();
    QByteArray countTooLarge = good;
    countTooLarge[12] = 5;
    QByteArray pageCode = good;
    pageCode[1] = char(0xD1);
    const struct {
        const char *name;
        QByteArray bytes;
        int listed; // pages the list shows
    } files[] = {
        {"zero length", QByteArray(), 0},
        {"shorter than the header", good.left(7), 0},
        {"ends before the entry", good.left(15), 3},
        {"entry, rasters cut short", good.left(17 + 700), 3},
        {"count larger than the data", countTooLarge, 5},
        {"bytes after the trailer", good + "junk", 3},
        {"a page file's code", pageCode, 3},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        WriteFile("TavrelTitle1.dat", f.bytes);
        const auto damaged = [&](const PageResult &result, const char *operation) {
            EXPECT_EQ(result.status, PageStatus::Damaged) << operation;
            EXPECT_TRUE(result.message.startsWith(QStringLiteral("字幕文件TavrelTitle1.dat已损坏："))) << operation;
            EXPECT_EQ(File(), f.bytes) << operation << " left the file alone";
        };
        damaged(ReadSubtitlePage(table, 0, 1), "ReadSubtitlePage");
        damaged(ReadSubtitleState(table, 0), "ReadSubtitleState");
        damaged(WriteSubtitleEntry(table, 0, SubtitleEntry{1, 0, 2, 3}), "WriteSubtitleEntry");
        damaged(Convert("abc"), "ConvertSubtitle");
        EXPECT_EQ(StoredSubtitlePageCount(0), f.listed);
    }
    // Deleting still clears a damaged file away.
    ASSERT_TRUE(DeleteSubtitleFiles(0).Ok());
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
}

// Rewrites go to a temporary file renamed over the old one; when the write fails the old file stays
// and no temporary file is left. A file size limit makes the write fail even for root.
TEST_F(SubtitleStoreTest, FailedRewriteLeavesTheOldFile)
{
    ASSERT_TRUE(Convert(Repeat("字", 40)).Ok());
    ASSERT_TRUE(SaveSubtitleText(0, QStringLiteral("old")).Ok());
    const QByteArray before = File();
    PageResult entry, text;
    SubtitleConversion appended;
    {
        const FileSizeLimit limit(1000);
        entry = WriteSubtitleEntry(table, 0, SubtitleEntry{1, 0, 5, 5});
        appended = Convert("abc");
        text = SaveSubtitleText(0, QString(2000, QLatin1Char('t')));
    }

    for (const PageResult *result : std::initializer_list<const PageResult *>{&entry, &appended}) {
        EXPECT_EQ(result->status, PageStatus::IoError);
        EXPECT_TRUE(result->message.startsWith(QStringLiteral("读写文件出错：TavrelTitle1.dat")))
            << result->message.toStdString();
    }
    EXPECT_EQ(text.status, PageStatus::IoError);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), QByteArray("old"));
    EXPECT_EQ(DirEntries(), (QStringList{"TavrelTitle1.dat", "TavrelTitle1.txt"}));
}

TEST_F(SubtitleStoreTest, SourceFilesBecomeOneLineOfText)
{
    WriteFile("lines.txt", Gbk("欢迎\r\n光临\r\n"));
    WriteFile("doc.rtf",
              QByteArray("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                         "\\f0\\fs24 \\'bb\\'b6\\'d3\\'ad\\par first\\par second paragraph\\par}"));
    EXPECT_EQ(ReadSubtitleSource(Path("lines.txt"), SubtitleSource::Text, 384), QStringLiteral("欢迎光临"));
    // Text files in UTF-8, with or without the byte-order mark, read as such.
    for (const QByteArray &mark : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
        WriteFile("utf8.txt", mark + QStringLiteral("欢迎\r\n光临\n").toUtf8());
        EXPECT_EQ(ReadSubtitleSource(Path("utf8.txt"), SubtitleSource::Text, 384), QStringLiteral("欢迎光临"));
    }
    EXPECT_EQ(ReadSubtitleSource(Path("doc.rtf"), SubtitleSource::RichText, 384),
              QStringLiteral("欢迎firstsecond paragraph"));
    // Lines wrapped by the layout are joined as they are.
    EXPECT_EQ(ReadSubtitleSource(Path("doc.rtf"), SubtitleSource::RichText, 40),
              QStringLiteral("欢迎firstsecond paragraph"));
    EXPECT_EQ(ReadSubtitleSource(Path("missing.rtf"), SubtitleSource::RichText, 384), std::nullopt);
    EXPECT_EQ(ReadSubtitleSource(Path("missing.txt"), SubtitleSource::Text, 384), std::nullopt);

    EXPECT_EQ(SubtitleSourceOf(QStringLiteral("a.RTF"), 0), SubtitleSource::RichText);
    EXPECT_EQ(SubtitleSourceOf(QStringLiteral("a.txt"), 1), SubtitleSource::Text);
    EXPECT_EQ(SubtitleSourceOf(QStringLiteral("a.log"), 1), SubtitleSource::RichText);
}

} // namespace
} // namespace pelvoro::test
