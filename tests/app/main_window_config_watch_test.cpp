// Another writer changes SysConfig.ini while the station runs: the window takes the change and
// says so, its own saves pass unremarked, and its next save undoes nothing of the other's.
#include "main_window_fixture.h"

#include "app/clock_panel.h"

#include <QComboBox>
#include <QSaveFile>
#include <QTest>

namespace pelvoro::test {
namespace {

class MainWindowConfigWatchTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "横向点数=64", "第一区域=主区",
                                             "第二区域=固定时钟", "[1号屏参数]", "横向点数=128"}));
        Start();
    }
    // As pelvoro-cli set writes it: another store, loaded and saved on its own, in another process
    // (so the file is replaced by a write this process did not make).
    void ChangeFromOutside(const std::function<void(ScreenTable &)> &change)
    {
        const QString copy = Path(QStringLiteral("other.ini"));
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(ConfigPath(), copy));
        ConfigStore other(copy);
        ScreenTable table;
        LoadScreenTable(other, table);
        change(table);
        ASSERT_TRUE(other.SaveScreens(table, table.LastIndex));
        QSaveFile file(ConfigPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ReadFile(QStringLiteral("other.ini")));
        ASSERT_TRUE(file.commit());
    }
};

const QString kReloaded = QStringLiteral("状态：SysConfig.ini已被其他程序修改，已重新载入");

TEST_F(MainWindowConfigWatchTest, OutsideChangeIsTakenAndReported)
{
    ChangeFromOutside([](ScreenTable &t) { t[1].Width = 256; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return table[1].Width == 256; }, 5000));
    EXPECT_EQ(window->CommStatus(), kReloaded);

    // Twice: the watch follows the file that replaced the watched one.
    ChangeFromOutside([](ScreenTable &t) { t[1].Width = 512; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return table[1].Width == 512; }, 5000));

    // The window's own save afterwards keeps the outside value.
    window->ShowCommStatus(QStringLiteral("状态："));
    Click(AreaNode(0, 1));
    auto *colour = window->Panelother()->findChild<QComboBox *>(QStringLiteral("CombTimerColor"));
    ASSERT_NE(colour, nullptr);
    colour->setCurrentIndex((colour->currentIndex() + 1) % colour->count());
    QTest::qWait(600); // longer than the watch's settling time
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态：")) << "its own save is no outside change";
    ScreenTable after;
    LoadScreenTable(ConfigStore(ConfigPath()), after);
    EXPECT_EQ(after[1].Width, 512);
    EXPECT_EQ(after[0].ClockColor, table[0].ClockColor);
}

} // namespace
} // namespace pelvoro::test
