#include "pages/page_store.h"

#include "base/gbk.h"
#include "config/config_store.h"
#include "pages/raster.h"
#include "support/app_dir_fixture.h"
#include "support/file_size_limit.h"
#include "support/led_colours.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

ScreenInfo MainScreen(int width, int mainHeight, int colorMode, const QString &card = kCardNormal)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CardType = card;
    s.Width = width;
    s.Height = mainHeight;
    s.MainHeight = mainHeight;
    s.ColorMode = colorMode;
    s.Areas = {QStringLiteral("主区"), QString(), QString(), QString()};
    return s;
}

// A page that differs from every other: stripes whose colours depend on `seed`.
QImage PageImage(int width, int height, int seed)
{
    return StripedPicture(width, height, seed);
}

QByteArray Slice(const QByteArray &bytes, qsizetype from, qsizetype length)
{
    return bytes.mid(from, length);
}

class PageStoreTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        table.LastIndex = 1;
        table[0] = MainScreen(256, 16, 1);
        table[1] = MainScreen(256, 16, 1);
    }

    // Appends pages with images PageImage(seed = first..first+n-1) and entries (k, 0, k, 10 + k).
    void AddPages(int n, int firstSeed = 0, int screen = 0)
    {
        PageAppender appender(table, screen);
        ASSERT_TRUE(appender.OpenResult().Ok()) << appender.OpenResult().message.toStdString();
        const ScreenInfo &s = table[screen];
        for (int i = 0; i < n; ++i) {
            const int seed = firstSeed + i;
            appender.Append(PageImage(s.Width, s.MainHeight, seed), PageEntry{seed, 0, seed, 10 + seed});
        }
        ASSERT_TRUE(appender.Finish().Ok());
    }

    QByteArray File(int screen = 0) const { return ReadFile(QStringLiteral("Tavrel%1.dat").arg(screen + 1)); }
    qsizetype Bytes() const { return PageBytes(table[0]); }
    QByteArray Raster(int count, int page, const QByteArray &file) const
    {
        return Slice(file, 13 + 4 * count + Bytes() * (page - 1), Bytes());
    }
    QByteArray Entry(int page, const QByteArray &file) const { return Slice(file, 13 + 4 * (page - 1), 4); }
    ScreenTable table;
    ConfigStore config{ConfigPath()};
};

TEST(PageGeometry, PageBytesAndLimitFollowTheMainAreaAndCardType)
{
    struct Case {
        const char *name;
        ScreenInfo screen;
        qsizetype pageBytes;
        int limit;
    };
    ScreenInfo tallScreen = MainScreen(1024, 128, 1);
    tallScreen.Height = 512; // the limit comes from the main area, not the whole screen
    const Case cases[] = {
        {"256x16 dual, Normal", MainScreen(256, 16, 1), 1024, 254},
        {"256x16 dual, ZP-KQ/TQ", MainScreen(256, 16, 1, kCardZpKq), 1024, 254},
        {"256x16 single", MainScreen(256, 16, 0), 512, 254},
        {"1024x128 dual, Normal", tallScreen, 32768, 44},
        {"1024x128 dual, ZP-KQ/TQ", MainScreen(1024, 128, 1, kCardZpKq), 32768, 14},
        {"unknown card type", MainScreen(256, 16, 1, QStringLiteral("X")), 1024, 0},
        {"36 wide, not a multiple of 8", MainScreen(36, 16, 1), 144, 254},
        {"colour mode 2", MainScreen(256, 16, 2), 0, 0},
        {"no rows", MainScreen(256, 0, 1), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageBytes(c.screen), c.pageBytes);
        EXPECT_EQ(PageLimit(c.screen), c.limit);
    }
    EXPECT_EQ(PageLimitMessage(MainScreen(1024, 128, 1)), QStringLiteral("最多可编辑44页内容"));
    EXPECT_EQ(PageFileSize(1024, 3), 3098);
}

TEST(PageEntryCoding, SpeedCodesAndEntryBytes)
{
    const struct {
        int speed;
        int code;
    } speeds[] = {{0, 0}, {1, 1}, {15, 15}, {16, 32}, {30, 60}, {31, 60}, {-1, 0}};
    for (const auto &c : speeds)
        EXPECT_EQ(SpeedCode(c.speed), c.code) << "speed " << c.speed;
    const struct {
        int code;
        int speed;
    } codes[] = {{15, 15}, {32, 16}, {60, 30}, {33, 16}, {255, 127}};
    for (const auto &c : codes)
        EXPECT_EQ(SpeedFromCode(quint8(c.code)), c.speed) << "code " << c.code;

    const std::array<char, 4> bytes = EncodePageEntry(PageEntry{41, 7, 20, 255});
    EXPECT_EQ(QByteArray(bytes.data(), 4), QByteArray("\x29\x07\x28\xFF", 4));
    EXPECT_EQ(DecodePageEntry(bytes.data()), (PageEntry{41, 7, 20, 255}));
}

TEST_F(PageStoreTest, FirstAppendWritesHeaderEntriesRastersAndTrailer)
{
    // Main area below a fixed band: rows 16..31 of a 32-row screen.
    table[0].Height = 32;
    table[0].ClockHeight = 16;
    table[0].Areas = {QStringLiteral("固定时钟"), QStringLiteral("主区"), QStringLiteral("小字幕"), QString()};
    AddPages(3);
    const QByteArray file = File();
    ASSERT_EQ(file.size(), 3098);
    EXPECT_EQ(file.left(13), QByteArray("\x01\xD1\x0D\x00"
                                        "\x00\x00\x10\x00"
                                        "\xFF\x00\x1F\x00"
                                        "\x03",
                                        13));
    const RasterFormat format = RasterFormatOf(table[0]);
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(Entry(k, file), QByteArray::fromRawData(EncodePageEntry({k - 1, 0, k - 1, 9 + k}).data(), 4));
        EXPECT_EQ(Raster(3, k, file), PackRaster(PageImage(256, 16, k - 1), format));
    }
    EXPECT_EQ(file.back(), char(0xAA));
    EXPECT_EQ(DirEntries(), QStringList{"Tavrel1.dat"}) << "no temporary file is left";
}

TEST_F(PageStoreTest, LaterAppendKeepsHeaderAndEarlierPages)
{
    AddPages(2);
    QByteArray before = File();
    // The header's rectangle and flags were written with the first pages; they stay even when the
    // screen's layout says otherwise now.
    table[0].Areas = {QStringLiteral("贴图时钟"), QStringLiteral("主区"), QString(), QString()};
    AddPages(2, 2);
    const QByteArray after = File();
    ASSERT_EQ(after.size(), PageFileSize(Bytes(), 4));
    EXPECT_EQ(after.left(12), before.left(12));
    EXPECT_EQ(after[12], 4);
    for (int k = 1; k <= 2; ++k) {
        EXPECT_EQ(Entry(k, after), Entry(k, before));
        EXPECT_EQ(Raster(4, k, after), Raster(2, k, before));
    }
    EXPECT_EQ(Raster(4, 4, after), PackRaster(PageImage(256, 16, 3), RasterFormatOf(table[0])));
}

TEST_F(PageStoreTest, AppendStopsAtTheLimitAndKeepsWhatWasConverted)
{
    table[0] = MainScreen(1024, 128, 1, kCardZpKq); // limit 14
    AddPages(12);
    PageAppender appender(table, 0);
    ASSERT_TRUE(appender.OpenResult().Ok());
    EXPECT_EQ(appender.PageCount(), 12);
    const QImage image = PageImage(1024, 128, 5);
    EXPECT_FALSE(appender.Append(image, 0, 0, 1, 1));
    EXPECT_TRUE(appender.Append(image, 0, 0, 1, 1)) << "the 14th page reaches the limit";
    EXPECT_TRUE(appender.Append(image, 0, 0, 1, 1)) << "nothing more is added";
    EXPECT_EQ(appender.Appended(), 2);
    EXPECT_EQ(appender.LimitMessage(), QStringLiteral("最多可编辑14页内容"));
    ASSERT_TRUE(appender.Finish().Ok());
    EXPECT_EQ(File().size(), PageFileSize(32768, 14));
    EXPECT_EQ(File()[12], 14);
}

TEST_F(PageStoreTest, AppenderRefusesScreensItCannotStoreFor)
{
    table[0].Areas = {QStringLiteral("小字幕"), QString(), QString(), QString()};
    EXPECT_EQ(PageAppender(table, 0).OpenResult().status, PageStatus::Refused);
    table[1].ColorMode = 3;
    PageAppender odd(table, 1);
    EXPECT_EQ(odd.OpenResult().status, PageStatus::Refused);
    EXPECT_TRUE(odd.Append(PageImage(256, 16, 0), {}));
    EXPECT_EQ(odd.Appended(), 0);
    EXPECT_FALSE(odd.Finish().Ok());
    EXPECT_FALSE(Exists("Tavrel2.dat"));
    // Nothing appended: nothing written.
    table[0] = MainScreen(256, 16, 1);
    PageAppender empty(table, 0);
    EXPECT_TRUE(empty.Finish().Ok());
    EXPECT_FALSE(Exists("Tavrel1.dat"));
}

TEST_F(PageStoreTest, WidthNotAMultipleOfEightFillsTheRestOfEachPageDark)
{
    table[0] = MainScreen(36, 16, 1); // PageBytes 144, packed raster 128
    AddPages(2);
    const QByteArray file = File();
    ASSERT_EQ(file.size(), PageFileSize(144, 2));
    for (int k = 1; k <= 2; ++k) {
        const QByteArray page = Raster(2, k, file);
        EXPECT_EQ(page.left(128), PackRaster(PageImage(36, 16, k - 1), 36, 16, RasterFormatOf(table[0])));
        EXPECT_EQ(page.mid(128), QByteArray(16, char(0xFF)));
    }
    const PageRead read = ReadPage(table, 0, 2);
    ASSERT_TRUE(read.Ok()) << read.message.toStdString();
    EXPECT_EQ(read.image.size(), QSize(36, 16));
    ASSERT_TRUE(SavePageImage(table, 0, 1, PageImage(36, 16, 7)).Ok());
    EXPECT_EQ(Raster(2, 1, File()).mid(128), QByteArray(16, char(0xFF)));
}

TEST_F(PageStoreTest, ReadPageDecodesEntryAndImage)
{
    AddPages(3);
    const PageRead read = ReadPage(table, 0, 3);
    ASSERT_TRUE(read.Ok()) << read.message.toStdString();
    EXPECT_EQ(read.pageCount, 3);
    EXPECT_EQ(read.entry, (PageEntry{2, 0, 2, 12}));
    EXPECT_EQ(read.image.convertToFormat(QImage::Format_RGB32), PageImage(256, 16, 2));

    // Missing file and pages outside the file: nothing to show, nothing read.
    EXPECT_EQ(ReadPage(table, 1, 1).status, PageStatus::NoFile);
    EXPECT_EQ(ReadPage(table, 0, 0).status, PageStatus::NoPage);
    EXPECT_EQ(ReadPage(table, 0, 4).status, PageStatus::NoPage);
    EXPECT_TRUE(ReadPage(table, 0, 4).image.isNull());
}

TEST_F(PageStoreTest, EntryWritesAreInPlaceAndLimitedToTheFilesPages)
{
    AddPages(5);
    const QByteArray before = File();
    ASSERT_TRUE(WritePageEntry(table, 0, 2, PageEntry{30, 9, 16, 200}).Ok());
    QByteArray after = File();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Entry(2, after), QByteArray("\x1E\x09\x20\xC8", 4));
    after.replace(13 + 4, 4, Entry(2, before));
    EXPECT_EQ(after, before) << "only entry 2 changed";

    EXPECT_EQ(WritePageEntry(table, 0, 0, {}).status, PageStatus::NoPage);
    EXPECT_EQ(WritePageEntry(table, 0, 6, {}).status, PageStatus::NoPage) << "never into the rasters";
    EXPECT_EQ(WritePageEntry(table, 1, 1, {}).status, PageStatus::NoFile);
    EXPECT_FALSE(Exists("Tavrel2.dat"));
}

TEST_F(PageStoreTest, FollowingPagesGetTheSameEntry)
{
    AddPages(5);
    const QByteArray before = File();
    const PageEntry entry{4, 3, 22, 8};
    ASSERT_TRUE(WritePageEntries(table, 0, 3, 5, entry).Ok());
    const QByteArray after = File();
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        if (k < 3)
            EXPECT_EQ(Entry(k, after), Entry(k, before));
        else
            EXPECT_EQ(DecodePageEntry(Entry(k, after).constData()), entry);
    }
    EXPECT_EQ(after.mid(13 + 20), before.mid(13 + 20)) << "rasters untouched";
    // A range running past the last page stops there.
    EXPECT_TRUE(WritePageEntries(table, 0, 4, 9, PageEntry{}).Ok());
    EXPECT_EQ(File().size(), before.size());
}

TEST_F(PageStoreTest, DeletingAMiddlePageRenumbersTheRest)
{
    AddPages(3);
    const QByteArray before = File();
    ASSERT_TRUE(DeletePage(table, 0, 2, config).Ok());
    const QByteArray after = File();
    ASSERT_EQ(after.size(), 14 + 2 * (1024 + 4));
    EXPECT_EQ(after.left(12), before.left(12));
    EXPECT_EQ(after[12], 2);
    EXPECT_EQ(Entry(1, after), Entry(1, before));
    EXPECT_EQ(Entry(2, after), Entry(3, before));
    EXPECT_EQ(Raster(2, 1, after), Raster(3, 1, before));
    EXPECT_EQ(Raster(2, 2, after), Raster(3, 3, before));
    EXPECT_EQ(after.back(), char(0xAA));
}

TEST_F(PageStoreTest, DeletingTheOnlyPageOrAllPagesRemovesTheFile)
{
    AddPages(1);
    ASSERT_TRUE(DeletePage(table, 0, 1, config).Ok());
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(DeletePage(table, 0, 1, config).status, PageStatus::NoFile);

    AddPages(3);
    ASSERT_TRUE(DeleteAllPages(table, 0, config).Ok());
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(DeleteAllPages(table, 0, config).status, PageStatus::NoFile);
}

TEST_F(PageStoreTest, MovingSwapsEntryAndRasterWithTheNeighbour)
{
    AddPages(3);
    const QByteArray before = File();
    ASSERT_TRUE(MovePage(table, 0, 2, MoveDirection::Up).Ok());
    QByteArray after = File();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Entry(1, after), Entry(2, before));
    EXPECT_EQ(Entry(2, after), Entry(1, before));
    EXPECT_EQ(Raster(3, 1, after), Raster(3, 2, before));
    EXPECT_EQ(Raster(3, 2, after), Raster(3, 1, before));
    EXPECT_EQ(Raster(3, 3, after), Raster(3, 3, before));

    ASSERT_TRUE(MovePage(table, 0, 1, MoveDirection::Down).Ok());
    EXPECT_EQ(File(), before) << "moved back";

    const struct {
        int page;
        MoveDirection direction;
    } noMoves[] = {{1, MoveDirection::Up}, {3, MoveDirection::Down}};
    for (const auto &c : noMoves) {
        ASSERT_TRUE(MovePage(table, 0, c.page, c.direction).Ok());
        EXPECT_EQ(File(), before) << "page " << c.page << " stays, byte for byte";
    }
}

TEST_F(PageStoreTest, MovingTheOnlyPageIsRefused)
{
    AddPages(1);
    const QByteArray before = File();
    const PageResult result = MovePage(table, 0, 1, MoveDirection::Down);
    EXPECT_EQ(result.status, PageStatus::Refused);
    EXPECT_EQ(result.message, QStringLiteral("只有一页数据,不能移动该数据页!"));
    EXPECT_EQ(File(), before);
    EXPECT_EQ(MovePage(table, 1, 1, MoveDirection::Up).status, PageStatus::NoFile);
}

TEST_F(PageStoreTest, SavingAnEditedImageOverwritesOnlyThatRaster)
{
    AddPages(3);
    const QByteArray before = File();
    const QImage edited = PageImage(256, 16, 9);
    ASSERT_TRUE(SavePageImage(table, 0, 2, edited).Ok());
    const QByteArray after = File();
    EXPECT_EQ(Raster(3, 2, after), PackRaster(edited, RasterFormatOf(table[0])));
    QByteArray restored = after;
    restored.replace(13 + 12 + 1024, 1024, Raster(3, 2, before));
    EXPECT_EQ(restored, before);

    ASSERT_TRUE(SavePageImage(table, 0, 0, edited).Ok()) << "page 0 is page 1";
    EXPECT_EQ(Raster(3, 1, File()), Raster(3, 2, after));

    EXPECT_EQ(SavePageImage(table, 1, 1, edited).status, PageStatus::NoFile);
    EXPECT_FALSE(Exists("Tavrel2.dat"));
    QByteArray empty = before.left(13);
    empty[12] = 0;
    empty.append(char(0xAA));
    WriteFile("Tavrel2.dat", empty);
    EXPECT_EQ(SavePageImage(table, 1, 1, edited).status, PageStatus::NoPage);
    EXPECT_EQ(File(1), empty);
}

// Files that are not exactly what their header declares for the screen: every operation reports
// them and leaves them alone; none reads past the end or works on offsets it cannot trust.
TEST_F(PageStoreTest, DamagedFilesAreReportedAndLeftAlone)
{
    AddPages(3);
    const QByteArray good = File();
    QByteArray countTooLarge = good;
    countTooLarge[12] = 5;
    QByteArray subtitleCode = good;
    subtitleCode[1] = char(0xD2);
    QByteArray narrower = good; // right edge 8 dots in: the area of another screen
    narrower[8] = char(quint8(narrower[8]) - 8);
    const struct {
        const char *name;
        QByteArray bytes;
    } files[] = {
        {"zero length", QByteArray()},
        {"shorter than the header", good.left(7)},
        {"header, no entries", good.left(13)},
        {"entries, rasters cut short", good.left(13 + 12 + 1500)},
        {"count larger than the data", countTooLarge},
        {"bytes after the trailer", good + QByteArray("\x01\x02\x03", 3)},
        {"no trailer", good.chopped(1) + char(0)},
        {"a subtitle file's code", subtitleCode},
        {"the area of another screen", narrower},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        WriteFile("Tavrel1.dat", f.bytes);
        const auto damaged = [&](const PageResult &result, const char *operation) {
            EXPECT_EQ(result.status, PageStatus::Damaged) << operation;
            EXPECT_TRUE(result.message.contains(QStringLiteral("已损坏"))) << operation;
            EXPECT_EQ(File(), f.bytes) << operation << " left the file alone";
        };
        damaged(ReadPage(table, 0, 1), "ReadPage");
        damaged(ReadPageEntries(table, 0), "ReadPageEntries");
        damaged(PageAppender(table, 0).OpenResult(), "PageAppender");
        damaged(WritePageEntry(table, 0, 1, {}), "WritePageEntry");
        damaged(SavePageImage(table, 0, 1, QImage()), "SavePageImage");
        damaged(MovePage(table, 0, 1, MoveDirection::Down), "MovePage");
        damaged(DeletePage(table, 0, 1, config), "DeletePage");
    }
}

// The write goes to a temporary file that is renamed over the page file; when it cannot be
// written the old file stays and no temporary file is left behind. A file size limit makes the
// write fail even for root.
TEST_F(PageStoreTest, FailedRewriteLeavesTheOldFile)
{
    AddPages(3);
    const QByteArray before = File();
    PageResult entry, image, removed;
    {
        const FileSizeLimit limit(1000);
        entry = WritePageEntry(table, 0, 1, PageEntry{5, 0, 5, 5});
        image = SavePageImage(table, 0, 1, PageImage(256, 16, 8));
        removed = DeletePage(table, 0, 2, config);
    }

    for (const PageResult *result : {&entry, &image, &removed}) {
        EXPECT_EQ(result->status, PageStatus::IoError);
        EXPECT_TRUE(result->message.startsWith(QStringLiteral("读写文件出错：Tavrel1.dat")))
            << result->message.toStdString();
    }
    EXPECT_EQ(File(), before);
    QStringList left = DirEntries();
    left.removeAll(QStringLiteral("SysConfig.ini")); // the schedules were moved before the page write
    EXPECT_EQ(left, QStringList{"Tavrel1.dat"});
}

} // namespace
} // namespace pelvoro::test
