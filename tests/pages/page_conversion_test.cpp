#include "base/gbk.h"
#include "pages/font_substitution.h"
#include "pages/page_conversion.h"
#include "pages/page_store.h"
#include "pages/rich_layout.h"
#include "support/app_dir_fixture.h"

#include <QPainter>

namespace pelvoro::test {
namespace {

struct RecordingObserver : ConversionObserver {
    void Message(const QString &text, bool warning) override { messages.append({text, warning}); }
    void ProgressRange(int maximum) override { range = maximum; }
    void Progress(int position) override { progress = position; }
    void HideProgress() override { hidden = true; }
    QList<std::pair<QString, bool>> messages;
    int range = -1;
    int progress = -1;
    bool hidden = false;
};

class PageConversionTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        InstallFontSubstitutions();
    }
    void Screen(int width, int mainHeight, int colourMode = 1, const QString &card = kCardNormal)
    {
        table[0] = DefaultScreenInfo();
        table[0].Width = width;
        table[0].Height = mainHeight;
        table[0].MainHeight = mainHeight;
        table[0].ColorMode = colourMode;
        table[0].CardType = card;
        table[0].Areas = {"主区", "", "", ""};
    }
    // An RTF body in GBK: \f0 is 宋体, colour 1 blue, colour 2 black.
    QString Rtf(const char *name, const char *body)
    {
        WriteFile(name, "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 " + Gbk("宋体")
                            + ";}}{\\colortbl ;\\red0\\green0\\blue255;\\red0\\green0\\blue0;}\\f0\\fs24 "
                            + QByteArray(body) + "}");
        return Path(name);
    }
    ConversionResult Convert(const QString &path, DocumentKind kind = DocumentKind::RichText)
    {
        return ConvertPages(table, 0, {0, 0, 1, 1}, kind, path, layout, observer);
    }
    QImage Page(int k) { return ReadPage(table, 0, k).image; }
    int Pages() { return ReadPage(table, 0, 1).pageCount; }

    ScreenTable table;
    RichLayout layout;
    RecordingObserver observer;
};

TEST_F(PageConversionTest, LineAndGlyphHeights)
{
    const struct {
        int points, factor, line, glyph;
    } cases[] = {{12, 15, 16, 16}, {12, 30, 31, 16}, {12, 40, 42, 16}, {13, 15, 17, 17}, {9, 15, 12, 12}, {72, 15, 94, 96}};
    for (const auto &c : cases) {
        EXPECT_EQ(LineHeight(c.points, c.factor), c.line) << c.points << "pt factor " << c.factor;
        EXPECT_EQ(GlyphHeight(c.points), c.glyph) << c.points;
    }
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::Single, 0}), 15);
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::OneAndHalf, 0}), 30);
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::Double, 0}), 30);
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::AtLeast, 0}), 40);
}

TEST_F(PageConversionTest, LinesFillPagesByHeight)
{
    const struct {
        int height;
        int pages;
    } cases[] = {{16, 3}, {32, 2}, {48, 1}};
    for (const auto &c : cases) {
        Screen(64, c.height);
        QFile::remove(Path("Tavrel1.dat"));
        const ConversionResult result = Convert(Rtf("three.rtf", "AB\\par CD\\par EF\\par"));
        EXPECT_TRUE(result.written.Ok()) << result.written.message.toStdString();
        EXPECT_EQ(result.appended, c.pages) << "main area 64x" << c.height;
        EXPECT_EQ(Pages(), c.pages);
        EXPECT_TRUE(observer.messages.isEmpty());
    }
    EXPECT_EQ(observer.range, 3);
    EXPECT_EQ(observer.progress, 3);
    EXPECT_TRUE(observer.hidden);
}

TEST_F(PageConversionTest, TooTallTextStopsWithTheSystemsMessages)
{
    Screen(64, 16);
    const ConversionResult tall = Convert(Rtf("tall.rtf", "AB\\par \\fs26 CD\\par EF\\par"));
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, "欲添加文件中有字体高度大于显示主区域高度！");
    EXPECT_TRUE(observer.messages[0].second);
    EXPECT_TRUE(tall.stopped);
    // The first line was still on the page being drawn, which is dropped.
    EXPECT_FALSE(QFile::exists(Path("Tavrel1.dat")));

    observer.messages.clear();
    QFile::remove(Path("Tavrel1.dat"));
    Convert(Rtf("empty-line.rtf", "\\fs26\\par AB\\par"));
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, "添加文件中有字体高度大于显示主区域高度！");
    EXPECT_FALSE(QFile::exists(Path("Tavrel1.dat")));
}

TEST_F(PageConversionTest, AlignmentColoursAndPalette)
{
    Screen(64, 16);
    Convert(Rtf("lines.rtf", "\\qc AB\\par \\qr\\cf1 AB\\par \\ql\\cf2 AB\\par"));
    ASSERT_EQ(Pages(), 3);
    CharFormat format;
    format.face = QStringLiteral("宋体");
    const int w = RichLayout::TextWidth(QStringLiteral("AB"), format);
    const struct {
        int page;
        int x;
        QRgb colour;
    } cases[] = {{1, (64 - w) / 2, 0xFFFF0000}, {2, 64 - w, 0xFF0000FF}, {3, 0, 0xFFFF0000}};
    for (const auto &c : cases) {
        QImage expected(64, 16, QImage::Format_RGB32);
        expected.fill(Qt::black);
        RichLayout::DrawText(&expected, c.x, 0, QStringLiteral("AB"), format, QColor::fromRgb(c.colour));
        // Blue packs as dark on the LEDs: compare what the raster keeps.
        if (c.colour == 0xFF0000FF)
            expected.fill(Qt::black);
        EXPECT_EQ(Page(c.page), expected) << "page " << c.page;
    }
}

TEST_F(PageConversionTest, BitmapFillsTheWholeAreaAndTablesAreNotAvailableYet)
{
    Screen(64, 16);
    QImage bitmap(10, 40, QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    QPainter(&bitmap).fillRect(0, 0, 5, 40, Qt::green);
    bitmap.save(Path("b.bmp"));
    const ConversionResult result = Convert(Path("b.bmp"), DocumentKind::Bitmap);
    ASSERT_EQ(result.appended, 1);
    const QImage page = Page(1);
    EXPECT_EQ(page.pixel(31, 15), 0xFF00FF00u);
    EXPECT_EQ(page.pixel(32, 0), 0xFF000000u);

    const ConversionResult table = Convert(Path("x.bls"), DocumentKind::Table);
    EXPECT_TRUE(table.written.IsError());
    EXPECT_EQ(table.written.message, "表格文件的导入功能尚未提供。");
}

TEST_F(PageConversionTest, AddCommandStopsAtAnEmptyFileAndAtTheLimit)
{
    Screen(64, 16);
    const QStringList files = {Rtf("1.rtf", "AB\\par"), Rtf("2.rtf", ""), Rtf("3.rtf", "CD\\par")};
    const AddDocumentsResult added = AddDocuments(table, 0, DocumentKind::RichText, files, layout, observer);
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, "选择的第2个文件内容为空,结束转换!");
    EXPECT_EQ(added.pagesAdded, 1);
    EXPECT_EQ(Pages(), 1);

    // 1024 × 352 dual colour: 1441792 / 90112 = 16 pages of 22 lines each.
    observer.messages.clear();
    QFile::remove(Path("Tavrel1.dat"));
    Screen(1024, 352);
    ASSERT_EQ(PageLimit(table[0]), 16);
    QByteArray body;
    for (int i = 0; i < 16 * 22 + 5; ++i)
        body += "X\\par ";
    const AddDocumentsResult full =
        AddDocuments(table, 0, DocumentKind::RichText, {Rtf("long.rtf", body.constData()), Path("1.rtf")}, layout,
                     observer);
    EXPECT_TRUE(full.limitReached);
    EXPECT_TRUE(full.stopped);
    EXPECT_EQ(Pages(), 16);
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, "最多可编辑16页内容");
}

} // namespace
} // namespace pelvoro::test
