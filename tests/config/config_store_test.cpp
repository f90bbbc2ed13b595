#include "config/config_store.h"

#include "base/gbk.h"
#include "config/identity.h"
#include "config/screen_fields.h"
#include "support/file_size_limit.h"
#include "support/gbk_lines.h"

#include <QFile>

#include <unistd.h>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class ConfigStoreTest : public AppDirTest {
protected:
    // Loads the table the way the station starts.
    ScreenTable Load()
    {
        ScreenTable table;
        table.LastIndex = store.LoadLastIndex();
        store.LoadScreens(table, table.LastIndex);
        return table;
    }

    ConfigStore store{ConfigPath()}; // the fixture's directory exists before SetUp
};

TEST_F(ConfigStoreTest, StoreWorksOnTheApplicationDirectory)
{
    EXPECT_EQ(ConfigStore().Path(), ConfigPath());
}

TEST_F(ConfigStoreTest, DefaultsWithoutFileSectionOrKey)
{
    const ScreenInfo defaults = DefaultScreenInfo();
    // The documented start of a station without a file.
    EXPECT_EQ(defaults.CardType, QStringLiteral("Normal"));
    EXPECT_EQ(defaults.CommMode, 1);
    EXPECT_EQ(defaults.ComPort, 1);
    EXPECT_EQ(defaults.BaudIndex, 3);
    EXPECT_EQ(defaults.IpAddress, QStringLiteral("192.168.0.7"));
    EXPECT_EQ(defaults.IpPort, 1024);
    EXPECT_EQ(defaults.ColorMode, 1);
    EXPECT_EQ(defaults.Width, 256);
    EXPECT_EQ(defaults.Height, 128);
    EXPECT_EQ(defaults.ScreenName, QStringLiteral("显示屏"));
    EXPECT_EQ(defaults.Areas, (std::array<QString, 4>{}));
    EXPECT_EQ(defaults.MainHeight, 16);
    EXPECT_EQ(defaults.ClockHeight, 16);
    EXPECT_EQ(defaults.TitleHeight, 16);
    EXPECT_EQ(defaults.ClockParts, (std::array<bool, 7>{true, true, true, true, true, true, true}));
    EXPECT_EQ(defaults.ClockAlign, 2);
    EXPECT_EQ(defaults.ClockColor, 2);
    EXPECT_EQ(defaults.TempColor, 2);
    EXPECT_EQ(defaults.MaxEditPages, 1);
    EXPECT_FALSE(defaults.SettingsChanged || defaults.TimerSwitch || defaults.SendSelected);

    ScreenTable table = Load(); // no file at all
    EXPECT_EQ(table.LastIndex, 0);
    EXPECT_EQ(table[0], defaults);
    EXPECT_EQ(table[1], ScreenInfo{}) << "records above LastIndex are not loaded";

    // A file with another section only, and one whose screen section lacks most keys.
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[版本信息]", "软件名称=X"}));
    table = Load();
    EXPECT_EQ(table[0], defaults);
    EXPECT_EQ(table[1], defaults);

    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64", "时钟秒=0"}));
    table = Load();
    ScreenInfo expected = defaults;
    expected.Width = 64;
    expected.ClockParts[6] = false;
    EXPECT_EQ(table[0], expected);
}

TEST_F(ConfigStoreTest, ScreenCountIsClamped)
{
    struct Case {
        const char *stored;
        int lastIndex;
    };
    const Case cases[] = {{"5", 5}, {"99", 63}, {"-3", 0}, {"63", 63}, {"64", 63}, {"0", 0}, {"zwei", 0}, {"", 0}};
    for (const Case &c : cases) {
        WriteFile("SysConfig.ini", Gbk("[全局参数]\r\n显示屏数目=") + c.stored + "\r\n");
        const ScreenTable table = Load();
        EXPECT_EQ(table.LastIndex, c.lastIndex) << c.stored;
        EXPECT_EQ(table.Count(), c.lastIndex + 1) << c.stored;
        EXPECT_EQ(table[c.lastIndex], DefaultScreenInfo()) << "every screen up to the last is loaded";
    }
}

TEST_F(ConfigStoreTest, SaveLastIndexClampsTheCallersValue)
{
    struct Case {
        int given;
        int stored;
    };
    for (const Case c : {Case{5, 5}, Case{99, 63}, Case{-3, 0}}) {
        int value = c.given;
        ASSERT_TRUE(store.SaveLastIndex(value));
        EXPECT_EQ(value, c.stored);
        EXPECT_EQ(ReadFile("SysConfig.ini"), Gbk("[全局参数]\r\n显示屏数目=") + QByteArray::number(c.stored) + "\r\n");
    }
}

TEST_F(ConfigStoreTest, ZpKqScreenWithoutBaudLoadsTheHighestItOffers)
{
    const QByteArray file = GbkLines({"[全局参数]", "显示屏数目=2", "[0号屏参数]", "控制卡类型=ZP-KQ/TQ", "[1号屏参数]",
                                      "控制卡类型=ZP-KQ/TQ", "波特率=3", "[2号屏参数]", "控制卡类型=ZP-KQ/TQ",
                                      "波特率=1"});
    WriteFile("SysConfig.ini", file);
    ScreenTable table = Load();
    EXPECT_EQ(table[0].BaudIndex, 2);
    EXPECT_EQ(table[1].BaudIndex, 2);
    EXPECT_EQ(table[2].BaudIndex, 1);

    // The file keeps its value (or its missing key) through a save...
    table[0].ClockY = 5;
    ASSERT_TRUE(store.SaveScreens(table, table.LastIndex));
    EXPECT_EQ(store.Read().Value(Gbk("1号屏参数"), Gbk("波特率")), QByteArray("3"));
    EXPECT_FALSE(store.Read().Value(Gbk("0号屏参数"), Gbk("波特率")));
    // ...until the operator picks another rate.
    table[1].BaudIndex = 0;
    ASSERT_TRUE(store.SaveScreens(table, table.LastIndex));
    EXPECT_EQ(store.Read().Value(Gbk("1号屏参数"), Gbk("波特率")), QByteArray("0"));
}

TEST_F(ConfigStoreTest, IpAddressIsCutToFifteenCharacters)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "IP地址=192.168.100.1234"})); // 17 characters
    ScreenTable table = Load();
    EXPECT_EQ(table[0].IpAddress, QStringLiteral("192.168.100.123"));
    // Cutting is a load rule: a save that changes nothing else leaves the stored text alone.
    ASSERT_TRUE(store.SaveScreens(table, 0));
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[0号屏参数]", "IP地址=192.168.100.1234"}));
}

TEST_F(ConfigStoreTest, ValuesThatAreNotWholeNumbersCountAsMissing)
{
    WriteFile("SysConfig.ini",
              GbkLines({"[0号屏参数]", "横向点数=abc", "纵向点数=64px", "单双色=", "时钟年=yes", "时钟月=0", "时钟日=7",
                        "通讯方式= 2 ", "COM口=0x3", "IP端口=99999999999", "屏选择标志=-1"}));
    const ScreenInfo s = Load()[0];
    EXPECT_EQ(s.Width, 256);
    EXPECT_EQ(s.Height, 128);
    EXPECT_EQ(s.ColorMode, 1);
    EXPECT_TRUE(s.ClockParts[0]) << "not a number: the default";
    EXPECT_FALSE(s.ClockParts[1]);
    EXPECT_TRUE(s.ClockParts[2]) << "any number but 0 is true";
    EXPECT_EQ(s.CommMode, 2) << "blanks around the value are not part of it";
    EXPECT_EQ(s.ComPort, 1);
    EXPECT_EQ(s.IpPort, 1024) << "too big for 32 bits";
    EXPECT_TRUE(s.SendSelected);
}

TEST_F(ConfigStoreTest, SaveThatChangesNothingLeavesTheFileAlone)
{
    const QByteArray file = GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "横向点数=abc", "[1号屏参数]",
                                      "控制卡类型=ZP-KQ/TQ", "波特率=3", "IP地址=192.168.100.1234"});
    WriteFile("SysConfig.ini", file);
    const FileIdentity before = IdentityOf(ConfigPath());
    ::usleep(20000); // a rewrite now would show in the modification time

    ScreenTable table = Load();
    ASSERT_TRUE(store.SaveScreens(table, table.LastIndex));
    int lastIndex = table.LastIndex;
    ASSERT_TRUE(store.SaveLastIndex(lastIndex));
    EXPECT_EQ(ReadFile("SysConfig.ini"), file);
    EXPECT_TRUE(IdentityOf(ConfigPath()) == before) << "the file was replaced";

    // Without a file, a table of defaults needs no file either.
    QFile::remove(ConfigPath());
    ScreenTable fresh = Load();
    ASSERT_TRUE(store.SaveScreens(fresh, 0));
    EXPECT_FALSE(Exists("SysConfig.ini"));
}

TEST_F(ConfigStoreTest, ChangingOneFieldWritesOnlyItsKey)
{
    const QByteArray file = GbkLines({"[0号屏参数]", "时钟X坐标=3", "时钟Y坐标=4", "横向点数=64"});
    WriteFile("SysConfig.ini", file);
    ScreenTable table = Load();
    table[0].ClockY = 9;
    ASSERT_TRUE(store.SaveScreens(table, 0));
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[0号屏参数]", "时钟X坐标=3", "时钟Y坐标=9", "横向点数=64"}));

    // A key that is missing is added, and only that one.
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64"}));
    table = Load();
    table[0].ClockY = 1;
    ASSERT_TRUE(store.SaveScreens(table, 0));
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[0号屏参数]", "横向点数=64", "时钟Y坐标=1"}));
}

TEST_F(ConfigStoreTest, WritesEveryFieldInTheStoresOrderAndReadsItBack)
{
    ScreenTable table;
    table[0] = DefaultScreenInfo();
    ScreenInfo &s = table[0];
    s.CardType = kCardZpKq;
    s.CommMode = 2;
    s.ComPort = 4;
    s.BaudIndex = 1;
    s.IpAddress = QStringLiteral("10.1.2.3");
    s.IpPort = 2000;
    s.ColorMode = 0;
    s.ModuleType = 1;
    s.Width = 64;
    s.Height = 32;
    s.LineOrder = 2;
    s.DataFlow = 1;
    s.ScreenName = QStringLiteral("大厅");
    s.MainHeight = 8;
    s.ClockFormat = 1;
    s.ClockColor = 0;
    s.ClockX = -1;
    s.ClockY = 7;
    s.ClockHeight = 15;
    s.ClockAlign = 1;
    s.ClockParts = {false, false, false, false, false, false, false};
    s.TempFormat = 1;
    s.TempColor = 1;
    s.TempX = 5;
    s.TempY = 6;
    s.TitleHeight = 32;
    s.MaxEditPages = 9;
    s.SettingsChanged = true;
    s.TimerSwitch = true;
    s.Areas = {QStringLiteral("主区"), QStringLiteral("固定时钟"), QStringLiteral("固定温度"),
               QStringLiteral("大字幕")};
    s.SendSelected = true;
    s.DataMirror = 1; // run-only fields are never written
    s.DataPolarity = 3;
    s.OePolarity = 1;
    ASSERT_TRUE(store.SaveScreens(table, 0));
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[0号屏参数]",       "控制卡类型=ZP-KQ/TQ",
                                                   "通讯方式=2",        "COM口=4",
                                                   "波特率=1",          "IP地址=10.1.2.3",
                                                   "IP端口=2000",       "单双色=0",
                                                   "模块类型=1",        "横向点数=64",
                                                   "纵向点数=32",       "行序调整=2",
                                                   "数据流向=1",        "显示屏名称=大厅",
                                                   "主区域高=8",        "时钟格式=1",
                                                   "时钟颜色=0",        "时钟X坐标=-1",
                                                   "时钟Y坐标=7",       "时钟区域高=15",
                                                   "时钟对齐方式=1",    "时钟年=0",
                                                   "时钟月=0",          "时钟日=0",
                                                   "时钟星期=0",        "时钟时=0",
                                                   "时钟分=0",          "时钟秒=0",
                                                   "温度格式=1",        "温度颜色=1",
                                                   "温度X坐标=5",       "温度Y坐标=6",
                                                   "字幕区域高=32",     "最多可编辑页数=9",
                                                   "屏设置改变标志=1",  "定时开关=1",
                                                   "第一区域=主区",     "第二区域=固定时钟",
                                                   "第三区域=固定温度", "第四区域=大字幕",
                                                   "屏选择标志=1"}));

    ScreenTable loaded;
    store.LoadScreens(loaded, 0);
    ScreenInfo expected = s;
    expected.DataMirror = expected.DataPolarity = expected.OePolarity = 0;
    EXPECT_EQ(loaded[0], expected);
}

TEST_F(ConfigStoreTest, EveryByteTheStoreDoesNotOwnSurvives)
{
    const QByteArray head = GbkLines({"; 本文件由系统维护", "[全局参数]", "显示屏数目=1", "参数一=abc", "参数三=0", "",
                                      "[版本信息]", "软件名称=某公司", "软件版本号=V2.0", "", "[0号屏参数]",
                                      "; 屏幕尺寸", "横向点数=64", "自定义键=保留", "时钟Y坐标=0"});
    // A lead byte before a byte that cannot follow it, bytes outside GBK, a lead byte at the end.
    const QByteArray badName = QByteArray("\x81\x30\xFF\x80\x81") + "\r\n";
    const QByteArray tail = GbkLines({"", "[0号屏1页定时参数]", "定时开始=1", "", "[揮参数]", "a=1", "[1号屏参数]",
                                      "纵向点数=32"})
                            + Gbk("未知=值"); // a last line without its end
    WriteFile("SysConfig.ini", head + Gbk("显示屏名称=") + badName + tail);

    ScreenTable table = Load();
    EXPECT_EQ(table.LastIndex, 1);
    EXPECT_TRUE(table[0].ScreenName.contains(QChar(0xFFFD))) << "undecodable bytes read as replacement characters";
    table[0].ClockY = 2;
    table[0].Height = 48;                         // a new key in screen 0's section
    table[1].ScreenName = QStringLiteral("二号"); // a new key in the last section
    ASSERT_TRUE(store.SaveScreens(table, table.LastIndex));

    const QByteArray expectedHead = GbkLines({"; 本文件由系统维护", "[全局参数]", "显示屏数目=1", "参数一=abc",
                                              "参数三=0", "", "[版本信息]", "软件名称=某公司", "软件版本号=V2.0", "",
                                              "[0号屏参数]", "; 屏幕尺寸", "横向点数=64", "自定义键=保留",
                                              "时钟Y坐标=2"});
    const QByteArray expectedTail = GbkLines({"纵向点数=48", "", "[0号屏1页定时参数]", "定时开始=1", "", "[揮参数]",
                                              "a=1", "[1号屏参数]", "纵向点数=32"})
                                    + GbkLines({"未知=值", "显示屏名称=二号"});
    EXPECT_EQ(ReadFile("SysConfig.ini"), expectedHead + Gbk("显示屏名称=") + badName + expectedTail);
}

TEST_F(ConfigStoreTest, NewScreenSectionGoesAtTheEndOfTheFile)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64", "", "[版本信息]", "软件名称=X"}));
    ScreenTable table = Load();
    table[1] = DefaultScreenInfo();
    table[1].ComPort = 2;
    table.LastIndex = 1;
    ASSERT_TRUE(store.SaveScreens(table, 1));
    EXPECT_EQ(ReadFile("SysConfig.ini"),
              GbkLines({"[0号屏参数]", "横向点数=64", "", "[版本信息]", "软件名称=X", "[1号屏参数]", "COM口=2"}));
}

TEST_F(ConfigStoreTest, EraseScreenSectionTakesOnlyThatSection)
{
    WriteFile("SysConfig.ini",
              GbkLines({"[0号屏参数]", "a=1", "[1号屏参数]", "b=2", "c=3", "[1号屏1页定时参数]", "d=4"}));
    ASSERT_TRUE(store.EraseScreenSection(ScreenSectionName(1)));
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[0号屏参数]", "a=1", "[1号屏1页定时参数]", "d=4"}));
    const FileIdentity before = IdentityOf(ConfigPath());
    EXPECT_TRUE(store.EraseScreenSection(ScreenSectionName(5))) << "erasing what is not there is no failure";
    EXPECT_TRUE(IdentityOf(ConfigPath()) == before);
}

TEST_F(ConfigStoreTest, SaveReplacesTheFileWithoutLeavingATemporaryOne)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64"}));
    const FileIdentity before = IdentityOf(ConfigPath());
    ScreenTable table = Load();
    table[0].Width = 80;
    ASSERT_TRUE(store.SaveScreens(table, 0)) << store.LastError().toStdString();
    EXPECT_TRUE(store.LastError().isEmpty());
    EXPECT_NE(IdentityOf(ConfigPath()).inode, before.inode) << "written beside and renamed over the old file";
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("SysConfig.ini")});
}

TEST_F(ConfigStoreTest, FailedWriteInReadOnlyDirectoryKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into a read-only directory, so the failure cannot be provoked this way";
    const QByteArray file = GbkLines({"[0号屏参数]", "横向点数=64"});
    WriteFile("SysConfig.ini", file);
    ScreenTable table = Load();
    table[0].Width = 80;
    ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool saved = store.SaveScreens(table, 0);
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(ReadFile("SysConfig.ini"), file);
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("SysConfig.ini")});
}

// The same failure for any user, root included: a file-size limit makes writing the new bytes fail.
TEST_F(ConfigStoreTest, FailedWriteOfTheNewBytesKeepsTheOldFile)
{
    const QByteArray file = GbkLines({"[0号屏参数]", "横向点数=64"});
    WriteFile("SysConfig.ini", file);
    ScreenTable table = Load();
    table[0].ScreenName = QString(200, QLatin1Char('x'));
    {
        const FileSizeLimit limit(64);
        EXPECT_FALSE(store.SaveScreens(table, 0));
    }
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(ReadFile("SysConfig.ini"), file);
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("SysConfig.ini")});
}

TEST_F(ConfigStoreTest, FileThatCannotBeReadIsNotOverwritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads a file without read permission, so it cannot be made unreadable";
    const QByteArray file = GbkLines({"[全局参数]", "显示屏数目=3", "[0号屏参数]", "横向点数=64"});
    WriteFile("SysConfig.ini", file);
    ASSERT_TRUE(QFile::setPermissions(ConfigPath(), QFileDevice::WriteOwner));
    ScreenTable table;
    table[0] = DefaultScreenInfo();
    table[0].ClockY = 3;
    const bool saved = store.SaveScreens(table, 0);
    QFile::setPermissions(ConfigPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile("SysConfig.ini"), file) << "the other settings would have been lost";
}

TEST(CapacityTest, MaxPagesAndMaxTitlePages)
{
    struct Case {
        const char *card;
        int width, height, colorMode, titleHeight;
        int maxPages, maxTitlePages;
    };
    const Case cases[] = {
        {"Normal", 256, 128, 1, 16, 176, 127},   // 1441792 / (4096·2); 131072 / 1024 = 128 → 127
        {"Normal", 64, 32, 0, 16, 254, 254},     // 5632 is capped; 1024 → capped
        {"ZP-KQ/TQ", 256, 128, 0, 16, 112, 254}, // 458752 / 4096; 131072 / 512 = 256 > 254
        {"Normal", 256, 128, 1, 32, 176, 63},    // 131072 / 2048 = 64 → 63
        {"ZP-KQ/TQ", 1024, 128, 1, 32, 14, 15},  // 458752 / 32768; 131072 / 8192 = 16 → 15
        {"Normal", 256, 0, 1, 0, 254, 254},      // no height: nothing limits
        {"Normal", 0, 128, 1, 16, 254, 254},     // no width: no bytes per page
        {"Normal", 8192, 512, 1, 128, 1, 0},     // a subtitle page bigger than the store holds
        {"Unknown", 256, 128, 1, 16, 0, 127},    // a damaged card type blocks adding pages
        {"", 256, 128, 1, 16, 0, 127},           {"normal", 256, 128, 1, 16, 0, 127}, // card types compare exactly
    };
    for (const Case &c : cases) {
        ScreenInfo s = DefaultScreenInfo();
        s.CardType = QString::fromUtf8(c.card);
        s.Width = c.width;
        s.Height = c.height;
        s.ColorMode = c.colorMode;
        s.TitleHeight = c.titleHeight;
        EXPECT_EQ(MaxPages(s), c.maxPages) << c.card << ' ' << c.width << 'x' << c.height << " colour " << c.colorMode;
        EXPECT_EQ(MaxTitlePages(s), c.maxTitlePages)
            << c.card << ' ' << c.width << " wide, strip " << c.titleHeight << " colour " << c.colorMode;
    }
}

TEST_F(ConfigStoreTest, IdentityWithDefaultsAndStoredValues)
{
    Identity identity = ReadIdentity(store);
    EXPECT_EQ(identity.softwareName, QStringLiteral("Pelvoro"));
    EXPECT_EQ(identity.aboutText, QStringLiteral("Pelvoro\r\r版本号：V1.0\r\r版本日期：2005/11/18"));

    WriteFile("SysConfig.ini", GbkLines({"[版本信息]", "软件名称=某某公司", "软件日期="}));
    identity = ReadIdentity(store);
    EXPECT_EQ(identity.softwareName, QStringLiteral("某某公司"));
    EXPECT_EQ(identity.aboutText, QStringLiteral("某某公司\r\r版本号：V1.0\r\r版本日期："))
        << "an empty text is a text";
}

TEST(ScreenFieldsTest, FindsScalarFieldsByTheirExactName)
{
    for (const char *name : {"DataMirror", "DataPolarity", "OePolarity"}) {
        const ScreenField *field = FindScalarField(QString::fromLatin1(name));
        ASSERT_NE(field, nullptr) << name;
        EXPECT_FALSE(field->IsStored()) << name;
    }
    EXPECT_EQ(FindScalarField(QStringLiteral("Areas")), nullptr) << "an array is no scalar field";
    EXPECT_EQ(FindScalarField(QStringLiteral("clocky")), nullptr) << "names are exact";
}

TEST(ScreenFieldsTest, ParsesTextsAsAnOperatorTypesThem)
{
    struct Case {
        const char *field;
        const char *text;
        std::optional<ScreenFieldValue> value;
    };
    const Case cases[] = {
        {"ClockY", "-12", -12},
        {"ClockY", "1.5", std::nullopt},
        {"ClockY", "", std::nullopt},
        {"CommMode", "2", 2},
        {"CommMode", "3", std::nullopt},
        {"ComPort", "0", std::nullopt},
        {"Width", "-16", std::nullopt},
        {"SendSelected", "true", true},
        {"SendSelected", "0", false},
        {"SendSelected", "yes", std::nullopt},
        {"CardType", "ZP-KQ/TQ", QStringLiteral("ZP-KQ/TQ")},
        {"CardType", "ZP-KQ", std::nullopt},
        {"IpAddress", "10.0.0.255", QStringLiteral("10.0.0.255")},
        {"IpAddress", "10.0.0.256", std::nullopt},
        {"IpAddress", "10.0.0", std::nullopt},
        {"ScreenName", "大厅 A", QStringLiteral("大厅 A")},
        {"ScreenName", "a\nb", std::nullopt},
        {"ScreenName", "😀", std::nullopt}, // not in GBK
    };
    for (const Case &c : cases) {
        const ScreenField *field = FindScalarField(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr) << c.field;
        QString error;
        const auto value = ParseFieldText(*field, QString::fromUtf8(c.text), &error);
        EXPECT_EQ(value, c.value) << c.field << '=' << c.text;
        EXPECT_EQ(error.isEmpty(), value.has_value()) << c.field << '=' << c.text;
    }
}

} // namespace
} // namespace pelvoro::test
