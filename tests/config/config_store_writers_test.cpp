// Two writers of one SysConfig.ini: a save keeps what another writer changed meanwhile, and a
// file that cannot be read is reported, not taken for defaults.
#include "config/config_store.h"

#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"

#include <QDir>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class ConfigStoreWritersTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "横向点数=64", "[1号屏参数]",
                                             "横向点数=128"}));
    }
    static ScreenTable Load(const ConfigStore &store)
    {
        ScreenTable table;
        LoadScreenTable(store, table);
        return table;
    }
};

TEST_F(ConfigStoreWritersTest, SaveWritesOnlyWhatThisProcessChangedSinceItLoaded)
{
    ConfigStore station(ConfigPath());
    ScreenTable table = Load(station);

    // Another writer changes both screens meanwhile.
    ConfigStore tool(ConfigPath());
    ScreenTable other = Load(tool);
    other[0].Height = 48;
    other[1].ScreenName = QStringLiteral("门厅");
    ASSERT_TRUE(tool.SaveScreens(other, other.LastIndex));

    table[0].Width = 96;
    ASSERT_TRUE(station.SaveScreens(table, table.LastIndex));
    ScreenTable after = Load(ConfigStore(ConfigPath()));
    EXPECT_EQ(after[0].Width, 96);
    EXPECT_EQ(after[0].Height, 48) << "a field the station did not touch was written back stale";
    EXPECT_EQ(after[1].ScreenName, QStringLiteral("门厅"));

    // Saved fields count as loaded: saving again writes nothing, and changing back is a change.
    const QByteArray saved = ReadFile("SysConfig.ini");
    ASSERT_TRUE(station.SaveScreens(table, table.LastIndex));
    EXPECT_EQ(ReadFile("SysConfig.ini"), saved);
    table[0].Width = 64;
    ASSERT_TRUE(station.SaveScreens(table, table.LastIndex));
    EXPECT_EQ(Load(ConfigStore(ConfigPath()))[0].Width, 64);
}

TEST_F(ConfigStoreWritersTest, OutsideChangesAreTakenExceptWhereThisProcessChangedAField)
{
    ConfigStore station(ConfigPath());
    ScreenTable table = Load(station);
    table[0].ScreenName = QStringLiteral("大厅"); // changed here, not saved yet
    EXPECT_TRUE(station.TakeOutsideChanges(table).isEmpty()) << "the file still holds what was loaded";

    ConfigStore tool(ConfigPath());
    ScreenTable other = Load(tool);
    other[0].Height = 48;
    other[0].ScreenName = QStringLiteral("门厅");
    other[1].Width = 256;
    other.LastIndex = 2;
    ASSERT_TRUE(tool.SaveScreens(other, 2) && tool.SaveLastIndex(other.LastIndex));

    EXPECT_EQ(station.TakeOutsideChanges(table), (QList<int>{0, 1, 2}));
    EXPECT_EQ(table.LastIndex, 2);
    EXPECT_EQ(table[0].Height, 48);
    EXPECT_EQ(table[0].ScreenName, QStringLiteral("大厅")) << "this process's own change stands";
    EXPECT_EQ(table[1].Width, 256);
    EXPECT_TRUE(station.TakeOutsideChanges(table).isEmpty()) << "taken once";

    // A save now writes the own change and undoes none of the other writer's.
    ASSERT_TRUE(station.SaveScreens(table, table.LastIndex));
    const ScreenTable after = Load(ConfigStore(ConfigPath()));
    EXPECT_EQ(after[0].ScreenName, QStringLiteral("大厅"));
    EXPECT_EQ(after[0].Height, 48);
    EXPECT_EQ(after[1].Width, 256);

    // Fewer screens in the file: the removed one counts as changed.
    other.LastIndex = 0;
    ASSERT_TRUE(tool.SaveLastIndex(other.LastIndex));
    EXPECT_EQ(station.TakeOutsideChanges(table), (QList<int>{1, 2}));
    EXPECT_EQ(table.LastIndex, 0);
}

TEST_F(ConfigStoreWritersTest, TableNotLoadedByTheStoreIsSavedWhole)
{
    ScreenTable table = Load(ConfigStore(ConfigPath()));
    table[0].Height = 80;
    ConfigStore fresh(ConfigPath());
    ASSERT_TRUE(fresh.SaveScreens(table, table.LastIndex));
    EXPECT_EQ(Load(ConfigStore(ConfigPath()))[0].Height, 80);
}

TEST_F(ConfigStoreWritersTest, UnreadableFileIsAnErrorWithItsNameAndNoEditWritesIt)
{
    ASSERT_TRUE(QFile::rename(ConfigPath(), Path("saved.ini")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("SysConfig.ini"));
    ConfigStore store(ConfigPath());
    const QString error = store.ReadError();
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(ConfigPath()))) << error.toStdString();
    EXPECT_FALSE(store.WriteInt(QStringLiteral("全局参数"), QStringLiteral("显示屏数目"), 2));
    EXPECT_EQ(store.LastError(), error);
    EXPECT_TRUE(ConfigStore(Path("saved.ini")).ReadError().isEmpty());
    EXPECT_TRUE(ConfigStore(Path("missing.ini")).ReadError().isEmpty()) << "a missing file holds the defaults";
}

} // namespace
} // namespace pelvoro::test
