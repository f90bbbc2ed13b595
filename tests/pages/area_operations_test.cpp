#include "pages/area_operations.h"

#include "config/schedule_sections.h"
#include "pages/data_files.h"
#include "support/gbk_lines.h"

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

// Two screens, each with its data files and schedules, in a file with content of other parts.
class AreaOperationsTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        Reset();
    }
    void Reset()
    {
        WriteFile("SysConfig.ini",
                  GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "第一区域=主区", "第二区域=贴图时钟",
                            "主区域高=128", "[0号屏1页定时参数]", "a=1", "[0号屏2页定时参数]", "a=2",
                            "[0号屏3页定时参数]", "a=3", "[1号屏1页定时参数]", "a=4", "[1号屏参数]", "纵向点数=16",
                            "第一区域=固定时钟"}));
        for (const QString &name : kAllFiles)
            WriteFile(name, "data");
        table.LastIndex = store.LoadLastIndex();
        store.LoadScreens(table, table.LastIndex);
    }

    QStringList Present() const
    {
        QStringList present;
        for (const QString &name : kAllFiles) {
            if (Exists(name))
                present.append(name);
        }
        return present;
    }
    QList<QByteArray> Sections() const { return store.Read().Sections(); }
    QStringList ScreenOneFiles() const { return {"Tavrel2.dat", "TavrelTitle2.dat", "TavrelTitle2.txt"}; }

    const QStringList kAllFiles{"Tavrel1.dat", "TavrelTitle1.dat", "TavrelTitle1.txt",
                                "Tavrel2.dat", "TavrelTitle2.dat", "TavrelTitle2.txt"};
    ScreenTable table;
    ConfigStore store{ConfigPath()}; // the fixture's directory exists before SetUp
    AreaOperations operations{table, store};
};

TEST_F(AreaOperationsTest, AddedAreaResetsTheScreensFilesAndIsSaved)
{
    const AreaOperationResult result = operations.Add(0, AreaKind::BigTitle);
    EXPECT_EQ(result.outcome, AddAreaOutcome::Added);
    EXPECT_TRUE(result.filesOk);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(Present(), ScreenOneFiles()) << "only screen 1's files are left";

    const IniDocument doc = store.Read();
    EXPECT_EQ(doc.Value(Gbk("0号屏参数"), Gbk("第三区域")), Gbk("大字幕"));
    EXPECT_EQ(doc.Value(Gbk("0号屏参数"), Gbk("主区域高")), QByteArray("96"));
    EXPECT_EQ(doc.Value(Gbk("0号屏参数"), Gbk("字幕区域高")), QByteArray("32"));
    EXPECT_EQ(Sections().size(), 7) << "schedules stay when an area is added";
}

TEST_F(AreaOperationsTest, RefusedOrRepeatedAddTouchesNothing)
{
    const QByteArray file = ReadFile("SysConfig.ini");
    const AreaOperationResult refused = operations.Add(1, AreaKind::Main); // 16 rows with a fixed clock
    EXPECT_EQ(refused.outcome, AddAreaOutcome::Refused);
    EXPECT_EQ(refused.refusal.message,
              QStringLiteral("显示屏高度不够添加主区,请删除其他区域或加大显示屏高度设置后重新添加!"));
    EXPECT_TRUE(refused.refusal.warningBox);

    EXPECT_EQ(operations.Add(0, AreaKind::FixedClock).outcome, AddAreaOutcome::AlreadyPresent);
    EXPECT_EQ(Present(), kAllFiles);
    EXPECT_EQ(ReadFile("SysConfig.ini"), file);
}

TEST_F(AreaOperationsTest, RemovedMainAreaTakesItsSchedulesAlong)
{
    const AreaOperationResult result = operations.Remove(0, AreaKind::Main, 2);
    EXPECT_TRUE(result.removed);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(Present(), ScreenOneFiles());
    EXPECT_EQ(Sections(), (QList<QByteArray>{Gbk("全局参数"), Gbk("0号屏参数"), Gbk("0号屏3页定时参数"),
                                             Gbk("1号屏1页定时参数"), Gbk("1号屏参数")}))
        << "pages 1 and 2 of screen 0 only";
    const IniDocument doc = store.Read();
    EXPECT_EQ(doc.Value(Gbk("0号屏参数"), Gbk("第一区域")), Gbk("贴图时钟"));
    EXPECT_EQ(doc.Value(Gbk("0号屏参数"), Gbk("第二区域")), QByteArray(""));
    EXPECT_EQ(doc.Value(Gbk("0号屏参数"), Gbk("主区域高")), QByteArray("128"));
}

TEST_F(AreaOperationsTest, SchedulesStayWithoutAPageCountInRange)
{
    for (int pages : {0, 256}) {
        Reset();
        ASSERT_TRUE(operations.Remove(0, AreaKind::Main, pages).removed) << pages;
        EXPECT_EQ(Sections().size(), 7) << pages;
    }
    Reset();
    ASSERT_TRUE(operations.Remove(0, AreaKind::Main, 255).removed);
    EXPECT_EQ(Sections().size(), 4) << "all three schedules of screen 0 are within 1..255";
}

TEST_F(AreaOperationsTest, RemovedClockKeepsTheSchedules)
{
    const AreaOperationResult result = operations.Remove(1, AreaKind::FixedClock, 3);
    EXPECT_TRUE(result.removed);
    EXPECT_EQ(Present(), (QStringList{"Tavrel1.dat", "TavrelTitle1.dat", "TavrelTitle1.txt"}));
    EXPECT_EQ(Sections().size(), 7);
    EXPECT_EQ(store.Read().Value(Gbk("1号屏参数"), Gbk("第一区域")), QByteArray(""));
    EXPECT_EQ(table[1].MainHeight, 32) << "the band's 16 rows go back to the main area's height";
}

TEST_F(AreaOperationsTest, RemovingWhatIsNotThereTouchesNothing)
{
    const QByteArray file = ReadFile("SysConfig.ini");
    EXPECT_FALSE(operations.Remove(0, AreaKind::FixedClock, 3).removed) << "screen 0's clock is a picture one";
    EXPECT_FALSE(operations.Remove(1, AreaKind::SmallTitle, 3).removed);
    EXPECT_EQ(Present(), kAllFiles);
    EXPECT_EQ(ReadFile("SysConfig.ini"), file);
}

// What a change deletes is known before it is made (the station asks about it) and reported after
// it (the tool says it): the screen-level reset takes every stored page, and those beyond the
// removed area's own are the ones the operator did not ask to lose.
TEST_F(AreaOperationsTest, PreviewSaysWhichPagesTheResetWouldDelete)
{
    const auto pages = [](int count) {
        QByteArray bytes(13, '\0');
        bytes[12] = char(count);
        return bytes;
    };
    WriteFile("Tavrel1.dat", pages(3));
    WriteFile("TavrelTitle1.dat", pages(2));
    const QByteArray file = ReadFile("SysConfig.ini");
    struct Case {
        const char *what;
        AreaChangeEffect effect;
        bool proceeds;
        ScreenPageCounts all, unasked;
    };
    const Case cases[] = {
        {"add a subtitle", operations.PreviewAdd(0, AreaKind::BigTitle), true, {3, 2}, {3, 2}},
        {"add a second clock", operations.PreviewAdd(0, AreaKind::FixedClock), false, {}, {}},
        {"add a main area where it does not fit", operations.PreviewAdd(1, AreaKind::Main), false, {}, {}},
        {"remove the main area", operations.PreviewRemove(0, AreaKind::Main), true, {3, 2}, {0, 2}},
        {"remove the clock", operations.PreviewRemove(0, AreaKind::PictureClock), true, {3, 2}, {3, 2}},
        {"remove a subtitle that is not there", operations.PreviewRemove(0, AreaKind::SmallTitle), false, {}, {}},
        {"remove a clock from a screen without pages", operations.PreviewRemove(1, AreaKind::FixedClock), true, {},
         {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.effect.proceeds, c.proceeds) << c.what;
        EXPECT_EQ(c.effect.pages.main, c.all.main) << c.what;
        EXPECT_EQ(c.effect.pages.subtitle, c.all.subtitle) << c.what;
        EXPECT_EQ(c.effect.unasked.main, c.unasked.main) << c.what;
        EXPECT_EQ(c.effect.unasked.subtitle, c.unasked.subtitle) << c.what;
    }
    EXPECT_EQ(Present(), kAllFiles) << "a preview deletes nothing";
    EXPECT_EQ(ReadFile("SysConfig.ini"), file);

    const AreaOperationResult added = operations.Add(0, AreaKind::BigTitle);
    EXPECT_EQ(added.deleted.main, 3);
    EXPECT_EQ(added.deleted.subtitle, 2);
    WriteFile("Tavrel1.dat", pages(4));
    const AreaChangeEffect subtitleGone = operations.PreviewRemove(0, AreaKind::BigTitle);
    EXPECT_EQ(subtitleGone.unasked.main, 4) << "the main area's pages go with a removed subtitle";
    EXPECT_EQ(subtitleGone.unasked.subtitle, 0);
    EXPECT_EQ(operations.Remove(0, AreaKind::BigTitle, 4).deleted.main, 4);
}

TEST_F(AreaOperationsTest, StoredPageCountReadsTheHeader)
{
    QByteArray header(13, '\0');
    header[12] = char(200);
    struct Case {
        QByteArray bytes;
        int count;
    };
    const Case cases[] = {{header + QByteArray(4 * 200 + 1, '\0'), 200}, {header, 200}, {header.left(12), 0}, {{}, 0}};
    for (const Case &c : cases) {
        WriteFile("Tavrel1.dat", c.bytes);
        EXPECT_EQ(StoredPageCount(0), c.count) << c.bytes.size() << " bytes";
    }
    QFile::remove(Path("Tavrel1.dat"));
    EXPECT_EQ(StoredPageCount(0), 0) << "no file";
}

TEST(DataFileNamesTest, NamesCarryTheScreenNumber)
{
    EXPECT_EQ(PageFileName(0), QStringLiteral("Tavrel1.dat"));
    EXPECT_EQ(SubtitleFileName(63), QStringLiteral("TavrelTitle64.dat"));
    EXPECT_EQ(SubtitleTextFileName(9), QStringLiteral("TavrelTitle10.txt"));
    EXPECT_EQ(ScheduleSectionName(0, 1), QStringLiteral("0号屏1页定时参数"));
    EXPECT_EQ(ScheduleSectionName(12, 255), QStringLiteral("12号屏255页定时参数"));
}

} // namespace
} // namespace pelvoro::test
