// The main window, its main-area panel and the preview window together: pages shown, edited and
// saved back into the page file.
#include "main_window_fixture.h"

#include "app/main_area_panel.h"
#include "app/title_panel.h"
#include "pages/page_store.h"
#include "pages/ui/preview_window.h"
#include "support/subtitle_fixtures.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pelvoro::test {
namespace {

class PreviewIntegrationTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        std::vector<std::pair<QImage, int>> pages;
        for (QRgb colour : {0xFFFF0000u, 0xFF00FF00u}) {
            QImage page(64, 16, QImage::Format_RGB32);
            page.fill(Qt::black);
            page.setPixel(10, 5, colour);
            pages.push_back({page, 0});
        }
        WriteMainAreaScreen(pages);
        Start();
        window->SetPreview(&preview);
    }
    void SelectPage(int page)
    {
        Click(AreaNode(0, 0));
        window->Panelmain()->SelectPage(page);
    }
    void CutBlock()
    {
        QWidget *canvas = preview.ImgScreen();
        QTest::mousePress(canvas, Qt::LeftButton, {}, {8, 3});
        QTest::mouseMove(canvas, {14, 9});
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, {14, 9});
    }
    QRgb StoredPixel(int page, int x, int y) { return ReadPage(table, 0, page).image.pixel(x, y); }

    TFrmdisplay preview{table};
};

TEST_F(PreviewIntegrationTest, SelectedPageIsShownAndAnEditIsSavedWhenTheOperatorAgrees)
{
    EXPECT_EQ(preview.Edit().Page().pixel(10, 5), 0xFFFF0000u); // page 1 at start
    SelectPage(2);
    EXPECT_EQ(preview.Edit().Page().pixel(10, 5), 0xFF00FF00u);

    CutBlock();
    QTest::mousePress(preview.ImgSelect(), Qt::LeftButton, {}, {1, 1});
    QTest::mouseMove(preview.ImgSelect(), {31, 1});
    QTest::mouseRelease(preview.ImgSelect(), Qt::LeftButton, {}, {31, 1});
    prompt.answers.enqueue(PromptButton::Yes);
    preview.FocusLeft();
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(prompt.questions[0].text, "是否保存对信息的修改？");
    EXPECT_EQ(prompt.questions[0].caption, "保存信息");
    EXPECT_EQ(StoredPixel(2, 10, 5), 0xFF000000u);
    EXPECT_EQ(StoredPixel(2, 40, 5), 0xFF00FF00u);
    EXPECT_EQ(StoredPixel(1, 10, 5), 0xFFFF0000u); // the other page is untouched
}

TEST_F(PreviewIntegrationTest, DeclinedEditIsDiscardedAndThePageReadAgain)
{
    SelectPage(1);
    const QByteArray before = ReadFile("Tavrel1.dat");
    CutBlock();
    QTest::mouseClick(preview.ImgScreen(), Qt::LeftButton, {}, {50, 12}); // paste in place
    preview.ImgScreen()->update();
    QTest::mousePress(preview.ImgScreen(), Qt::LeftButton, {}, {8, 3});
    QTest::mouseMove(preview.ImgScreen(), {14, 9});
    QTest::mouseRelease(preview.ImgScreen(), Qt::LeftButton, {}, {14, 9}); // cut again, left floating
    prompt.answers.enqueue(PromptButton::No);
    preview.FocusLeft();
    EXPECT_EQ(ReadFile("Tavrel1.dat"), before);
    EXPECT_FALSE(preview.Edit().Modified());
    EXPECT_EQ(preview.Edit().Page().pixel(10, 5), 0xFFFF0000u); // shown again from the file
}

TEST_F(PreviewIntegrationTest, DecorationsAskAtOnceAndStoreThePage)
{
    SelectPage(1);
    prompt.answers.enqueue(PromptButton::Yes);
    window->Command("修饰/轮廓")->trigger();
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(StoredPixel(1, 9, 4), 0xFFFFFF00u);
    EXPECT_EQ(StoredPixel(1, 10, 5), 0xFFFF0000u);
}

TEST_F(PreviewIntegrationTest, AreaChangesRedrawThePreview)
{
    Click(ScreenNode(0));
    prompt.answers.enqueue(PromptButton::Yes); // the pages go with the screen's files
    window->AddArea(AreaKind::PictureClock); // resets the screen's files
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(preview.Edit().Page().pixel(10, 5), 0xFF000000u);
    EXPECT_FALSE(preview.EditTimer()->isHidden());
    EXPECT_EQ(preview.EditTimer()->y(), 0);
}

// The subtitle strip of the preview shows the subtitle's first page and follows the panel.
class SubtitlePreviewTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64", "纵向点数=32", "单双色=1", "第一区域=主区",
                                             "主区域高=16", "第二区域=小字幕", "字幕区域高=16"}));
        Start();
        window->SetPreview(&preview);
    }
    int LitPixels() const { return LitDots(preview.ImgTitle()->pixmap().toImage()); }

    TFrmdisplay preview{table};
};

TEST_F(SubtitlePreviewTest, StripShowsTheConvertedSubtitleAndGoesDarkWhenItIsDeleted)
{
    ASSERT_FALSE(preview.ImgTitle()->isHidden());
    EXPECT_EQ(LitPixels(), 0);
    Click(AreaNode(0, 1));
    window->Title()->TextEdit()->setText(QStringLiteral("欢迎光临"));
    window->Title()->ConvertButton()->click();
    ASSERT_EQ(window->Title()->PageCount(), 1);
    EXPECT_GT(LitPixels(), 20);
    EXPECT_EQ(preview.ImgTitle()->pixmap().size(), QSize(64, 16));

    // A new start reads it from the file.
    window.reset();
    Start();
    window->SetPreview(&preview);
    EXPECT_GT(LitPixels(), 20);

    window->Title()->DeleteAll();
    EXPECT_EQ(LitPixels(), 0);
}

} // namespace
} // namespace pelvoro::test
