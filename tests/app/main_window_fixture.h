#pragma once

#include "app/main_window.h"
#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"
#include "support/scripted_prompt.h"

#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace pelvoro::test {

// The links' waits cut short for tests that send to cards: answers within half a second, barely a
// pause between phases and blocks.
inline LinkTimings ShortLinkTimings()
{
    LinkTimings timings;
    timings.serial = SerialTimings{.normalAnswerMs = 500,
                                   .zpKqAnswerMs = 500,
                                   .zpKqPerBlockMs = 0,
                                   .finalAnswerMs = 800,
                                   .phasePauseMs = 10,
                                   .settleMs = 1,
                                   .successWaitMs = 1,
                                   .chunkWriteMs = 2000};
    timings.net = NetTimings{.watchMs = 50, .blockPauseMs = 10, .followUpMs = 40};
    timings.completion = CompletionTimings{.closeDelayMs = 1, .continueDelayMs = 40};
    return timings;
}

// A shown main window on a fresh application directory; write SysConfig.ini before Start().
class MainWindowTest : public AppDirTest {
protected:
    void Start()
    {
        window = std::make_unique<Tfrmmain>(table, prompt, nullptr, timings);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        window.reset(); // destroying the window asks nothing; only closing does
        AppDirTest::TearDown();
    }

    QTreeWidget *Tree() const { return window->Treemain(); }
    QTreeWidgetItem *ScreenNode(int i) const { return Tree()->topLevelItem(i); }
    QTreeWidgetItem *AreaNode(int screen, int slot) const { return ScreenNode(screen)->child(slot); }
    // Clicks a node as the operator does.
    void Click(QTreeWidgetItem *item)
    {
        const QRect rect = Tree()->visualItemRect(item);
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // A 64 × 16 screen whose whole face is the main area, with one page per image in its page file.
    void WriteMainAreaScreen(const std::vector<std::pair<QImage, int>> &pagesWithEffects);
    QStringList ConfigLines() const { return ReadGbkLines(ReadFile(QStringLiteral("SysConfig.ini"))); }

    ScreenTable table;
    ScriptedPrompt prompt;
    LinkTimings timings;
    std::unique_ptr<Tfrmmain> window;
};

} // namespace pelvoro::test
