#include "pages/ui/preview_window.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

class PreviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table[0] = DefaultScreenInfo();
        table[0].Areas = {"固定时钟", "主区", "小字幕", "固定温度"};
        table[0].MainHeight = 96;
        preview.SetMainPageSource([this](int) { return firstPage; });
        firstPage = QImage(256, 96, QImage::Format_RGB32);
        firstPage.fill(Qt::black);
        for (int x = 10; x < 40; ++x)
            firstPage.setPixel(x, 5, 0xFFFF0000);
    }

    ScreenTable table;
    QImage firstPage;
    TFrmdisplay preview{table};
};

TEST_F(PreviewWindowTest, SizesTheWindowAndStacksTheAreas)
{
    preview.RedrawPreview(0);
    EXPECT_EQ(preview.size(), QSize(256 + 13, 128 + 25));
    EXPECT_EQ(preview.Panel1()->geometry(), QRect(6, 20, 256, 128));
    EXPECT_EQ(preview.ImgScreen()->geometry(), QRect(0, 16, 256, 96));
    EXPECT_EQ(preview.ImgTitle()->geometry(), QRect(0, 112, 256, 16));
    EXPECT_FALSE(preview.ImgScreen()->isHidden());
    EXPECT_FALSE(preview.ImgTitle()->isHidden());
    EXPECT_FALSE(preview.EditTimer()->isHidden());
    EXPECT_FALSE(preview.EditTemp()->isHidden());
    EXPECT_EQ(preview.EditTimer()->y(), 0);
    EXPECT_EQ(preview.EditTemp()->y(), 0);
    EXPECT_EQ(preview.EditTemp()->text(), " 25℃");
    EXPECT_EQ(preview.Edit().Page().pixel(10, 5), 0xFFFF0000u); // page 1 decoded into the main area

    table[0].Areas = {"小字幕", "贴图温度", "", ""};
    preview.RedrawPreview(0);
    EXPECT_TRUE(preview.ImgScreen()->isHidden());
    EXPECT_TRUE(preview.EditTimer()->isHidden());
    EXPECT_FALSE(preview.EditTemp()->isHidden());
    EXPECT_EQ(preview.EditTemp()->y(), preview.ImgTitle()->y());
}

TEST_F(PreviewWindowTest, DragCutsTheBlockAndTheSelectionMovesWithinTheArea)
{
    preview.RedrawPreview(0);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    QSignalSpy status(&preview, &TFrmdisplay::PointerStatus);
    QWidget *canvas = preview.ImgScreen();
    QTest::mousePress(canvas, Qt::LeftButton, {}, {10, 5});
    QTest::mouseMove(canvas, {40, 20});
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, {40, 20});
    ASSERT_FALSE(preview.ImgSelect()->isHidden());
    EXPECT_EQ(preview.ImgSelect()->geometry(), QRect(10, 5 + 16, 30, 15));
    EXPECT_TRUE(preview.Edit().Modified());
    EXPECT_EQ(status.first().first().toString(), "10,5");

    // Right past the edge: the block stops at W − 30.
    QWidget *selection = preview.ImgSelect();
    QTest::mousePress(selection, Qt::LeftButton, {}, {5, 5});
    QTest::mouseMove(selection, {400, 5});
    QTest::mouseRelease(selection, Qt::LeftButton, {}, {400, 5});
    EXPECT_EQ(preview.ImgSelect()->geometry(), QRect(226, 21, 30, 15));

    // The next press on the page pastes the block where it is.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, {100, 60});
    EXPECT_TRUE(preview.ImgSelect()->isHidden());
    EXPECT_EQ(preview.Edit().Page().pixel(226, 5), 0xFFFF0000u);
}

TEST_F(PreviewWindowTest, LeavingWithAnEditAsksToSaveOnceAndDecorationsAskAtOnce)
{
    preview.RedrawPreview(0);
    QSignalSpy save(&preview, &TFrmdisplay::SaveRequested);
    preview.FocusLeft();
    EXPECT_EQ(save.count(), 0); // nothing edited

    QWidget *canvas = preview.ImgScreen();
    QTest::mousePress(canvas, Qt::LeftButton, {}, {10, 5});
    QTest::mouseMove(canvas, {40, 20});
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, {40, 20});
    preview.FocusLeft();
    ASSERT_EQ(save.count(), 1);
    EXPECT_FALSE(preview.Edit().Modified());
    EXPECT_FALSE(preview.Edit().Floating());
    EXPECT_EQ(save.first().at(1).value<QImage>().pixel(10, 5), 0xFFFF0000u); // pasted back before saving
    preview.FocusLeft();
    EXPECT_EQ(save.count(), 1);

    preview.Decorate(TFrmdisplay::Decoration::Outline);
    ASSERT_EQ(save.count(), 2);
    EXPECT_EQ(preview.Edit().Page().pixel(10, 4), 0xFFFFFF00u);
}

} // namespace
} // namespace pelvoro
