// The station starts only on a SysConfig.ini it can read, and says why otherwise.
#include "app/startup_checks.h"

#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"
#include "support/scripted_prompt.h"

#include <QDir>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class StartupChecksTest : public AppDirTest {
protected:
    ScriptedPrompt prompt;
};

TEST_F(StartupChecksTest, UnreadableConfigurationStopsTheStartWithItsNameAndReason)
{
    // A directory where the file should be: it exists, and no one (not even root) can read it.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("SysConfig.ini")));
    EXPECT_FALSE(ConfigReadableForStart(prompt));
    ASSERT_EQ(prompt.messages.size(), 1);
    const QString text = prompt.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("无法读取配置文件“%1”：").arg(QDir::toNativeSeparators(ConfigPath()))))
        << text.toStdString();
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Error);
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("SysConfig.ini")}) << "nothing written beside it";
}

TEST_F(StartupChecksTest, ReadableOrMissingConfigurationStartsSilently)
{
    EXPECT_TRUE(ConfigReadableForStart(prompt)); // missing: the defaults
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1"}));
    EXPECT_TRUE(ConfigReadableForStart(prompt));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

} // namespace
} // namespace pelvoro::test
