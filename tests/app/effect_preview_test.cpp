// "预览" plays the pages with their entry effects in the preview window until "停止".
#include "main_window_fixture.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "pages/page_store.h"
#include "pages/ui/preview_window.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>

namespace pelvoro::test {
namespace {

QImage Filled(QRgb colour)
{
    QImage page(64, 16, QImage::Format_RGB32);
    page.fill(colour);
    return page;
}

class EffectPreviewTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // Page 1 wipes in from the left ("4.右覆盖", 6 dots a tick), page 2 turns ("2.翻页").
        WriteMainAreaScreen({{Filled(0xFFFF0000u), 3}, {Filled(0xFF00FF00u), 1}});
        Start();
        window->SetPreview(&preview);
        Click(AreaNode(0, 0));
        window->Panelmain()->SelectPage(1);
        preview.MainAreaImage().fill(Qt::black);
    }

    TFrmdisplay preview{table};
};

TEST_F(EffectPreviewTest, PlaysPageAfterPageAndStopsWithTheWindowRestored)
{
    const QPoint before = window->pos();
    ASSERT_TRUE(window->Command("预览")->isEnabled());
    window->Command("预览")->trigger();
    ASSERT_TRUE(window->EffectPreviewRunning());
    EXPECT_FALSE(window->TitleTimerActive());
    EXPECT_EQ(window->pos(), before + QPoint(0, 385));
    EXPECT_FALSE(window->Command("打开")->isEnabled());
    EXPECT_FALSE(window->Menu("文件")->isEnabled());
    EXPECT_FALSE(window->TreePanel()->isVisible());
    EXPECT_FALSE(window->statusBar()->isVisible());
    EXPECT_FALSE(window->Panelmain()->isVisible());

    window->OnEffectTimer();
    EXPECT_EQ(window->Command("预览")->text(), "停止");
    EXPECT_EQ(preview.Edit().Page().pixel(5, 8), 0xFFFF0000u);
    EXPECT_EQ(preview.Edit().Page().pixel(6, 8), 0xFF000000u); // wiping from the left edge
    for (int tick = 2; tick <= 11; ++tick)
        window->OnEffectTimer(); // p = 66 ≥ 64: page 1 is in
    EXPECT_EQ(window->Panelmain()->CurrentPage(), 2);
    EXPECT_EQ(preview.Edit().Page().pixel(63, 8), 0xFFFF0000u); // selecting does not show page 2 at once
    window->OnEffectTimer();
    EXPECT_EQ(preview.Edit().Page().pixel(63, 8), 0xFF00FF00u);

    window->Command("预览")->trigger(); // "停止"
    EXPECT_FALSE(window->EffectPreviewRunning());
    EXPECT_EQ(window->Command("预览")->text(), "预览");
    EXPECT_EQ(window->pos(), before);
    EXPECT_EQ(window->size(), QSize(540, 478));
    EXPECT_TRUE(window->Command("打开")->isEnabled());
    EXPECT_TRUE(window->Menu("文件")->isEnabled());
    EXPECT_TRUE(window->TreePanel()->isVisible());
    EXPECT_TRUE(window->Panelface()->isVisible());
    EXPECT_EQ(Tree()->currentItem(), ScreenNode(0));
    EXPECT_TRUE(window->TitleTimerActive());
    EXPECT_FALSE(window->Command("预览")->isEnabled()); // the screen node's click handling ran
}

TEST_F(EffectPreviewTest, StoppingMidEffectShowsTheCurrentPageWhole)
{
    window->Command("预览")->trigger();
    window->OnEffectTimer();
    window->Command("预览")->trigger();
    EXPECT_EQ(preview.Edit().Page().pixel(63, 8), 0xFFFF0000u);
}

TEST_F(EffectPreviewTest, DoesNotStartWithoutASelectedPage)
{
    Click(ScreenNode(0));
    Click(AreaNode(0, 0));
    window->Panelmain()->RefreshPageList(-1);
    window->Panelmain()->RefreshPageList(0); // another screen listed in between: no page selected
    ASSERT_EQ(window->Panelmain()->CurrentPage(), 0);
    window->Command("预览")->trigger();
    EXPECT_FALSE(window->EffectPreviewRunning());
}

} // namespace
} // namespace pelvoro::test
