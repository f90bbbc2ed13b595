#include "base/gbk.h"
#include "editors/table/grid_model.h"
#include "editors/table/table_pages.h"
#include "pages/document_kind.h"
#include "pages/font_substitution.h"
#include "pages/page_conversion.h"
#include "pages/page_store.h"
#include "pages/rich_layout.h"
#include "pages/rtf_writer.h"
#include "pages/subtitle_conversion.h"
#include "pages/subtitle_store.h"
#include "pages/text_editor_pages.h"
#include "support/app_dir_fixture.h"
#include "support/led_colours.h"
#include "support/scripted_prompt.h"

#include <QPainter>

#include <functional>

namespace pelvoro::test {
namespace {

std::pair<int, int> LitDots(const QImage &page);
QString SaveTable(const QString &name, int cols, int width, int rows, int height);

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
    } cases[] = {{12, 15, 16, 16}, {12, 30, 31, 16}, {12, 40, 42, 16},
                 {13, 15, 17, 17}, {9, 15, 12, 12},  {72, 15, 94, 96}};
    for (const auto &c : cases) {
        EXPECT_EQ(LineHeight(c.points, c.factor), c.line) << c.points << "pt factor " << c.factor;
        EXPECT_EQ(GlyphHeight(c.points), c.glyph) << c.points;
    }
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::Single, 0}), 15);
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::OneAndHalf, 0}), 30);
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::Double, 0}), 30);
    EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::AtLeast, 0}), 40);
    // Multiples in twentieths of a line: word processors' 1.08 and 1.15 lay out as single spacing.
    const std::pair<int, int> multiples[] = {{15, 15}, {22, 15}, {23, 15}, {29, 15}, {30, 30}, {40, 30}};
    for (const auto &[twentieths, factor] : multiples)
        EXPECT_EQ(SpacingFactor({Alignment::Left, LineSpacingRule::Multiple, twentieths}), factor) << twentieths;
}

// Paragraphs as LibreOffice writes them by default: 1.15 lines, Liberation Serif, the language words.
QByteArray LibreOfficeRtf(const QByteArray &spacing, int lines)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff4\\adeflang1025{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}"
                     "{\\f4\\froman\\fprq2\\fcharset0 Liberation Serif{\\*\\falt Times New Roman};}}"
                     "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64}"
                     "\\pgwsxn11906\\pghsxn16838{\\*\\ftnsep\\chftnsep}\\pgndec";
    for (int i = 1; i <= lines; ++i) {
        rtf += "\\pard\\plain \\s0" + spacing + "\\rtlch\\af6\\afs24\\alang1081 \\ltrch\\lang2057\\loch\\f4\\fs24"
               "{\\rtlch \\ltrch\\loch Line " + QByteArray::number(i) + "}\\par ";
    }
    return rtf + "}";
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

// 12-point text at 1.15 and 1.08 lines: one line per page on 16 rows, two on 32 rows.
TEST_F(PageConversionTest, WordProcessorSpacingFitsSixteenRowSigns)
{
    const struct {
        const char *spacing;
        int width, height, pages;
    } cases[] = {{"\\sl276\\slmult1", 256, 16, 4},
                 {"\\sl276\\slmult1", 128, 32, 2},
                 {"\\sl259\\slmult1", 256, 16, 4},
                 {"\\sl360\\slmult1", 128, 32, 4}};
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 on %2x%3").arg(c.spacing).arg(c.width).arg(c.height).toStdString());
        QFile::remove(Path("Tavrel1.dat"));
        observer.messages.clear();
        Screen(c.width, c.height);
        WriteFile("office.rtf", LibreOfficeRtf(c.spacing, 4));
        const ConversionResult result = Convert(Path("office.rtf"));
        EXPECT_TRUE(observer.messages.isEmpty());
        EXPECT_TRUE(result.written.Ok()) << result.written.message.toStdString();
        EXPECT_EQ(Pages(), c.pages);
    }
}

// Faces the station does not have are replaced as a Chinese Windows replaces them, and characters a
// face lacks are drawn in the 宋体 face: the same text gives the same dots whatever face it names.
TEST_F(PageConversionTest, MissingFacesAndCharactersAreSubstituted)
{
    Screen(64, 16);
    const auto dots = [this](const QByteArray &font, const QByteArray &text) {
        QFile::remove(Path("Tavrel1.dat"));
        WriteFile("face.rtf", "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0" + font + ";}}\\f0\\fs24 " + text + "\\par}");
        const ConversionResult result = Convert(Path("face.rtf"));
        EXPECT_TRUE(result.written.Ok()) << font.toStdString() << ": " << result.written.message.toStdString();
        return Page(1);
    };
    const QByteArray chinese = "\\uc1\\u21333?\\u20301?\\u36890?\\u30693?"; // 单位通知
    const QImage song = dots("\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5", chinese);
    EXPECT_GT(LitDots(song).first, 40);
    for (const char *font : {"\\froman\\fcharset0 Liberation Serif", "\\fswiss\\fcharset0 Helvetica",
                             "\\fnil\\fcharset134 PingFangSC-Regular", "\\fnil Unknown Face"})
        EXPECT_EQ(dots(font, chinese), song) << font;

    const struct {
        const char *alias;
        const char *windowsFace;
    } western[] = {{"\\fswiss Helvetica", "\\fswiss Arial"},
                   {"\\froman Times", "\\froman Times New Roman"},
                   {"\\fmodern Courier", "\\fmodern Courier New"},
                   {"\\fswiss Unknown Grotesk", "\\fswiss Arial"},
                   {"\\froman Unknown Antiqua", "\\froman Times New Roman"}};
    for (const auto &c : western) {
        const QImage expected = dots(c.windowsFace, "EXIT");
        EXPECT_GT(LitDots(expected).first, 20) << c.windowsFace;
        EXPECT_EQ(dots(c.alias, "EXIT"), expected) << c.alias;
    }
    // Latin text of a Western face stays in that face; only what it lacks is linked.
    EXPECT_NE(dots("\\fswiss Arial", "EXIT"), dots("\\froman Times New Roman", "EXIT"));
}

// A numbered notice keeps its numbers.
TEST_F(PageConversionTest, ListNumbersAreDrawnAsLineText)
{
    Screen(64, 16);
    Convert(Rtf("list.rtf", "\\pard\\ls1{\\listtext\\pard\\plain \\f0\\fs24 1.\\tab}AB\\par"));
    CharFormat format;
    format.face = QStringLiteral("宋体");
    QImage expected(64, 16, QImage::Format_RGB32);
    expected.fill(Qt::black);
    RichLayout::DrawText(&expected, 0, 0, QStringLiteral("1.\tAB"), format, Qt::red);
    EXPECT_EQ(Page(1), expected);
}

// A damaged file that lists no pages goes, so the screen can take pages again; one that still lists
// pages stays for the operator to see.
TEST_F(PageConversionTest, DamagedFileWithoutPagesIsDeleted)
{
    Screen(64, 16);
    WriteFile("Tavrel1.dat", QByteArray());
    EXPECT_EQ(Convert(Rtf("a.rtf", "AB\\par")).written.status, PageStatus::Damaged);
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    ASSERT_TRUE(Convert(Path("a.rtf")).written.Ok());
    EXPECT_EQ(Pages(), 1);

    const QByteArray cut = ReadFile("Tavrel1.dat").chopped(1);
    WriteFile("Tavrel1.dat", cut);
    EXPECT_EQ(Convert(Path("a.rtf")).written.status, PageStatus::Damaged);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), cut);
}

TEST_F(PageConversionTest, TooTallTextStopsWithTheSystemsMessages)
{
    Screen(64, 16);
    const ConversionResult tall = Convert(Rtf("tall.rtf", "AB\\par \\fs24 CD \\fs26 EF 0123456789%1\\par GH\\par"));
    ASSERT_EQ(observer.messages.size(), 1);
    // The paragraph, by its number and first characters, and the size that does not fit.
    EXPECT_EQ(observer.messages[0].first, "欲添加文件中有字体高度大于显示主区域高度！\n"
                                          "第2段“CD EF 012345…”：13磅的文字行高17点，主区域只有16点高。");
    EXPECT_TRUE(observer.messages[0].second);
    EXPECT_TRUE(tall.stopped);
    // The first line was still on the page being drawn, which is dropped.
    EXPECT_FALSE(QFile::exists(Path("Tavrel1.dat")));

    observer.messages.clear();
    QFile::remove(Path("Tavrel1.dat"));
    Convert(Rtf("empty-line.rtf", "\\fs26\\par AB\\par"));
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first,
              "添加文件中有字体高度大于显示主区域高度！\n第1段（空行）：13磅的文字行高17点，主区域只有16点高。");
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

// Lit dots of `text` drawn alone on one line, with room on every side.
int InkDots(const QString &text, const CharFormat &format)
{
    const int height = 4 * RichLayout::PixelSize(format.PointSize());
    QImage canvas(RichLayout::TextWidth(text, format) + height, 3 * height, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    RichLayout::DrawText(&canvas, height / 2, height, text, format, Qt::red);
    return LitDots(canvas).first;
}

// Whatever the author wrote reaches a page whole: the pages of a document hold as many lit dots as
// its paragraphs drawn alone on unbounded lines, so no glyph loses dots at the page's right edge or
// bottom and no line is drawn over another.
TEST_F(PageConversionTest, EveryGlyphReachesAPageWhole)
{
    const struct {
        const char *name;
        int width, height;
        const char *face;
        int points;
        QStringList paragraphs;
    } cases[] = {
        {"last character of a line", 64, 16, "宋体", 11, {u"温馨提示1"_qs, u"多多多多"_qs}},
        {"digits of a narrow page", 32, 16, "宋体", 9, {u"123456 78"_qs}},
        {"descenders of a page's last line", 64, 16, "Arial", 12, {u"biog_ref"_qs}},
        {"underscores above the next line", 64, 32, "Arial", 12, {u"a_b_c_d"_qs, u"温馨提示"_qs}},
        {"a face taller than its size", 128, 16, "黑体", 12, {u"gjpqy 请勿吸烟"_qs}},
        {"a hook left of its cell", 64, 16, "黑体", 12, {u"jet"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Screen(c.width, c.height);
        QFile::remove(Path("Tavrel1.dat"));
        EditorStyle style;
        style.face = QString::fromUtf8(c.face);
        style.points = c.points;
        ASSERT_TRUE(WriteRtfFile(Path("notice.rtf"), EditorDocument(c.paragraphs, style)));
        const ConversionResult result = Convert(Path("notice.rtf"));
        ASSERT_TRUE(result.written.Ok()) << result.written.message.toStdString();
        EXPECT_TRUE(observer.messages.isEmpty());
        int expected = 0;
        for (const QString &paragraph : c.paragraphs)
            expected += InkDots(paragraph, EditorCharFormat(style.face, style.points, qRgb(255, 0, 0)));
        int lit = 0;
        for (int page = 1; page <= Pages(); ++page)
            lit += LitDots(Page(page)).first;
        EXPECT_EQ(lit, expected) << Pages() << " pages";
    }
}

// The dots that show anything, whatever their colour.
QImage LitMask(const QImage &page)
{
    QImage mask(page.size(), QImage::Format_Mono);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x)
            mask.setPixel(x, y, (page.pixel(x, y) & 0xFFFFFF) != 0);
    }
    return mask;
}

// A single-colour screen shows in its one colour every dot that a dual-colour screen shows in any:
// green text, a green table and a green subtitle light it as red ones do.
TEST_F(PageConversionTest, SingleColourScreensShowEveryColour)
{
    EditorStyle green;
    green.rgb = qRgb(0, 255, 0);
    ASSERT_TRUE(WriteRtfFile(Path("green.rtf"), EditorDocument({u"绿色 Green"_qs}, green)));
    const QString tablePath = SaveTable(Path("green.bls"), 2, 20, 1, 10); // green cells, red lines
    const auto mainPage = [this](int colourMode, const QString &path, DocumentKind kind) {
        Screen(64, 16, colourMode);
        QFile::remove(Path("Tavrel1.dat"));
        EXPECT_TRUE(Convert(path, kind).written.Ok());
        return LitMask(Page(1));
    };
    const auto subtitlePage = [this](int colourMode) {
        Screen(64, 16, colourMode);
        table[0].TitleHeight = 16;
        table[0].Areas = {u"小字幕"_qs, "", "", ""};
        SubtitleDrawing drawing;
        drawing.colour = 0xFF00FF00;
        EXPECT_TRUE(ConvertSubtitleText(table, 0, u"字幕 Go"_qs, drawing, {}).Ok());
        return LitMask(ReadSubtitlePage(table, 0, 1).image);
    };
    const struct {
        const char *name;
        std::function<QImage(int)> page;
    } documents[] = {
        {"text", [&](int mode) { return mainPage(mode, Path("green.rtf"), DocumentKind::RichText); }},
        {"table", [&](int mode) { return mainPage(mode, tablePath, DocumentKind::Table); }},
        {"subtitle", subtitlePage},
    };
    for (const auto &document : documents) {
        SCOPED_TRACE(document.name);
        const QImage dual = document.page(1);
        EXPECT_GT(LitDots(dual).second, 20);
        EXPECT_EQ(document.page(0), dual);
    }
}

TEST_F(PageConversionTest, BitmapFillsTheWholeArea)
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
}

// A zip archive of empty stored entries, as office documents are packed.
QByteArray Zip(const QList<QByteArray> &names)
{
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char((value >> (8 * i)) & 0xFF);
        return out;
    };
    QByteArray local;
    QByteArray directory;
    for (const QByteArray &name : names) {
        const quint32 offset = quint32(local.size());
        local += "PK\x03\x04" + QByteArray(22, '\0') + le(quint32(name.size()), 2) + le(0, 2) + name;
        directory += "PK\x01\x02" + QByteArray(24, '\0') + le(quint32(name.size()), 2) + le(0, 2) + le(0, 2)
                     + QByteArray(8, '\0') + le(offset, 4) + name;
    }
    return local + directory + "PK\x05\x06" + QByteArray(4, '\0') + le(quint32(names.size()), 2)
           + le(quint32(names.size()), 2) + le(quint32(directory.size()), 4) + le(quint32(local.size()), 4) + le(0, 2);
}

// The kind comes from the content: names and extensions that say otherwise do not count.
TEST_F(PageConversionTest, DocumentKindIsToldByContent)
{
    QImage(4, 4, QImage::Format_RGB32).save(Path("picture.bmp"));
    const QByteArray bitmap = ReadFile("picture.bmp");
    const QByteArray compound = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
    const QByteArray png = QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const struct {
        const char *name;
        QByteArray bytes;
        std::optional<DocumentKind> kind;
    } cases[] = {
        {"rich.doc", "{\\rtf1\\ansi AB}", DocumentKind::RichText},
        {"spaced.rtf", " \r\n{\\rtf1 AB}", DocumentKind::RichText},
        {"word.rtf", compound, DocumentKind::Word},
        {"word.bmp", Zip({"[Content_Types].xml", "_rels/.rels", "word/document.xml"}), DocumentKind::Word},
        {"sheet.docx", Zip({"[Content_Types].xml", "xl/workbook.xml"}), std::nullopt},
        {"broken.docx", Zip({"word/document.xml"}).left(40), std::nullopt},
        {"picture.rtf", bitmap, DocumentKind::Bitmap},
        {"table.bmp", QByteArray("Vantorlex EasyGrid Version 1.1\x1A", 31) + QByteArray(64, '\0'), DocumentKind::Table},
        {"plain.bmp", "BMW and Audi\r\n" + Gbk("站名") + "\r\n", DocumentKind::RichText},
        {"empty.doc", "", DocumentKind::RichText},
        {"image.rtf", png, std::nullopt},
    };
    for (const auto &c : cases) {
        WriteFile(c.name, c.bytes);
        const DocumentKindResult result = DocumentKindOf(Path(c.name));
        EXPECT_EQ(result.kind, c.kind) << c.name;
        if (!c.kind)
            EXPECT_TRUE(result.message.startsWith("无法识别文件的内容：" + Path(c.name)))
                << result.message.toStdString();
    }
    EXPECT_EQ(DocumentKindOf(Path("missing.rtf")).message, "读写文件出错：" + Path("missing.rtf"));
}

// A file of no known kind stops the add command where it stands, naming it, as a damaged one does.
TEST_F(PageConversionTest, AddCommandConvertsByContentAndStopsAtAnUnknownFile)
{
    Screen(64, 16);
    QImage green(4, 4, QImage::Format_RGB32);
    green.fill(Qt::green);
    green.save(Path("green.bmp"));
    QFile::rename(Path("green.bmp"), Path("green.rtf"));
    WriteFile("image.rtf", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const QStringList files = {Rtf("1.rtf", "AB\\par"), Path("green.rtf"), Path("image.rtf"), Path("1.rtf")};
    const AddDocumentsResult added = AddDocuments(table, 0, files, layout, observer);
    EXPECT_TRUE(added.stopped);
    EXPECT_EQ(added.filesConverted, 2);
    ASSERT_EQ(Pages(), 2);
    EXPECT_EQ(Page(2).pixel(63, 15), 0xFF00FF00u) << "the bitmap named .rtf is a bitmap page";
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_TRUE(observer.messages[0].first.startsWith("无法识别文件的内容：" + Path("image.rtf")));
}

// A table of `cols` client columns of `width` dots and `rows` client rows of `height` dots, every
// client cell green, red grid lines, saved under `name`.
QString SaveTable(const QString &name, int cols, int width, int rows, int height)
{
    ScriptedPrompt prompt;
    TEasyGrid grid(prompt, ScreenResolution{96, 96});
    grid.SetColCount(cols + 1);
    grid.SetRowCount(rows + 1);
    for (int col = 1; col <= cols; ++col)
        grid.SetColWidth(col, width);
    for (int row = 1; row <= rows; ++row)
        grid.SetRowHeight(row, height);
    grid.SetCellColor(0x00FF00);
    grid.SetClientLineColor(kColorRed);
    grid.PageInfo().HorzCenter = false;
    EXPECT_TRUE(grid.SaveToFile(name).Ok());
    return name;
}

TEST_F(PageConversionTest, TablePagesAreAddedWithTheFirstPageOffset)
{
    Screen(16, 16);
    // Three 10-dot columns on a 16-dot area: three pages in the first row band.
    const QString path = SaveTable(Path("t.bls"), 3, 10, 1, 10);
    const AddDocumentsResult added = AddDocuments(table, 0, DocumentKind::Table, {path}, layout, observer);
    EXPECT_EQ(added.pagesAdded, 3);
    EXPECT_TRUE(observer.messages.isEmpty());
    ASSERT_EQ(Pages(), 3);
    EXPECT_EQ(observer.range, 3);
    // Page 1: the cell's dots x 1..9, y 2..11 (its first column under the frame); pages 2 and 3 one
    // dot left and three up.
    const struct {
        int page;
        QPoint green;
        QPoint red;
        QPoint black;
    } cases[] = {{1, {1, 2}, {10, 5}, {5, 0}}, {2, {0, 0}, {9, 4}, {12, 12}}, {3, {8, 8}, {4, 9}, {15, 15}}};
    for (const auto &c : cases) {
        const QImage page = Page(c.page);
        EXPECT_EQ(page.pixel(c.green), kGreen) << "page " << c.page;
        EXPECT_EQ(page.pixel(c.red), kRed) << "page " << c.page;
        EXPECT_EQ(page.pixel(c.black), kBlack) << "page " << c.page;
    }
    EXPECT_EQ(Page(1).pixel(1, 1), kRed); // the frame's top line
}

TEST_F(PageConversionTest, TableErrorsAndTheCapacityStop)
{
    Screen(16, 16);
    WriteFile("bad.bls", "not a table");
    const ConversionResult damaged = Convert(Path("bad.bls"), DocumentKind::Table);
    EXPECT_TRUE(damaged.written.IsError());
    EXPECT_FALSE(damaged.written.message.isEmpty());
    EXPECT_FALSE(QFile::exists(Path("Tavrel1.dat")));
    observer.messages.clear();

    // A title row shown on every page that is as high as the area.
    {
        ScriptedPrompt prompt;
        TEasyGrid grid(prompt, ScreenResolution{96, 96});
        grid.SetRowHeight(0, 16);
        grid.PageInfo().PrintColTitle = true;
        ASSERT_TRUE(grid.SaveToFile(Path("title.bls")).Ok());
    }
    const ConversionResult title = Convert(Path("title.bls"), DocumentKind::Table);
    EXPECT_TRUE(title.stopped);
    EXPECT_EQ(title.appended, 0);
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, kTitleTooLarge);
    EXPECT_FALSE(QFile::exists(Path("Tavrel1.dat")));

    // It stops the add command as a damaged file does: the third file is not converted.
    observer.messages.clear();
    const QString fits = SaveTable(Path("fits.bls"), 1, 10, 1, 10);
    const AddDocumentsResult added =
        AddDocuments(table, 0, DocumentKind::Table, {fits, Path("title.bls"), fits}, layout, observer);
    EXPECT_TRUE(added.stopped);
    EXPECT_EQ(added.filesConverted, 1);
    EXPECT_EQ(added.pagesAdded, 1);
    EXPECT_EQ(Pages(), 1);
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, kTitleTooLarge);

    // 1024 × 352 dual colour holds 16 pages: a table of 20 column bands stops after the 16th.
    observer.messages.clear();
    QFile::remove(Path("Tavrel1.dat"));
    Screen(1024, 352);
    const ConversionResult full = Convert(SaveTable(Path("wide.bls"), 20, 1000, 1, 20), DocumentKind::Table);
    EXPECT_TRUE(full.limitReached);
    EXPECT_EQ(full.appended, 16);
    EXPECT_EQ(Pages(), 16);
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, PageLimitMessage(table[0]));
}

// A bus timetable as an operator builds it for a small screen: a merged title row and a header row
// (the two fixed rows, on the first page only), twelve routes with right-aligned numbers, 宋体 and
// 黑体 texts, red, green and yellow texts and backgrounds, red grid lines.
QString SaveBusTimetable(const QString &name)
{
    ScriptedPrompt prompt;
    TEasyGrid grid(prompt, ScreenResolution{96, 96});
    grid.SetColCount(5);
    grid.SetRowCount(15);
    grid.SetCellColor(kColorDefault);
    grid.SetCellFontColor(kColorRed);
    grid.SetCellFontSize(9);
    grid.SetCellAutoWordBreak(false);
    grid.SetClientLineColor(kColorRed);
    const int widths[] = {28, 35, 32, 30};
    for (int col = 1; col <= 4; ++col)
        grid.SetColWidth(col, widths[col - 1]);
    grid.SetRowHeight(1, 16);
    for (int row = 2; row <= 14; ++row)
        grid.SetRowHeight(row, 15);
    grid.SetFixedRows(2);
    grid.PageInfo().PrintFixedRows = false;

    constexpr TColor kYellowText = 0x00FFFF;
    constexpr TColor kGreenText = 0x00FF00;
    EXPECT_TRUE(grid.MergeCells({1, 1, 4, 1}, false));
    grid.SetForeText(1, 1, QStringLiteral("公交时刻表"));
    grid.SetCellProp({1, 1, 1, 1}, CellProp::FontName, QStringLiteral("黑体"));
    grid.SetCellProp({1, 1, 1, 1}, CellProp::FontSize, 10);
    grid.SetCellProp({1, 1, 1, 1}, CellProp::FontColor, int(kYellowText));
    const QStringList header = {QStringLiteral("线路"), QStringLiteral("终点"), QStringLiteral("首班"),
                                QStringLiteral("票价")};
    for (int col = 1; col <= 4; ++col)
        grid.SetForeText(col, 2, header[col - 1]);
    grid.SetCellProp({1, 2, 4, 2}, CellProp::FontName, QStringLiteral("黑体"));
    grid.SetCellProp({1, 2, 4, 2}, CellProp::Color, int(kGreenText));
    grid.SetCellProp({1, 2, 4, 2}, CellProp::FontColor, int(kColorBlack));

    const char *routes[] = {"1", "2", "5", "8", "12", "15", "21", "33", "46", "58", "105", "211"};
    const char *stops[] = {"东站", "西站", "南湖", "北门", "机场", "港口",
                           "大学", "医院", "公园", "新区", "码头", "老街"};
    const char *times[] = {"5:30", "6:00", "6:15", "5:45", "6:30", "7:00",
                           "6:10", "5:50", "6:40", "7:15", "6:05", "8:00"};
    const char *fares[] = {"1", "2", "1.5", "2", "10", "3", "2", "1", "1.5", "2", "4", "5"};
    for (int i = 0; i < 12; ++i) {
        const int row = 3 + i;
        grid.SetForeText(1, row, QString::fromUtf8(routes[i]));
        grid.SetForeText(2, row, QString::fromUtf8(stops[i]));
        grid.SetForeText(3, row, QString::fromUtf8(times[i]));
        grid.SetForeText(4, row, QString::fromUtf8(fares[i]));
    }
    grid.SetCellProp({1, 3, 1, 14}, CellProp::AlignMode, int(taRight));
    grid.SetCellProp({4, 3, 4, 14}, CellProp::AlignMode, int(taRight));
    grid.SetCellProp({2, 3, 2, 14}, CellProp::FontColor, int(kYellowText));
    grid.SetCellProp({3, 3, 3, 14}, CellProp::FontColor, int(kGreenText));
    // Route 21 does not run today: red across the row, its texts yellow.
    grid.SetCellProp({1, 9, 4, 9}, CellProp::Color, int(kColorRed));
    grid.SetCellProp({1, 9, 4, 9}, CellProp::FontColor, int(kYellowText));
    EXPECT_TRUE(grid.SaveToFile(name).Ok());
    return name;
}

// Lit dots of a page by colour plane: red where red is 128 or more, green likewise.
std::pair<int, int> LitDots(const QImage &page)
{
    int red = 0;
    int green = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            red += qRed(page.pixel(x, y)) >= 128;
            green += qGreen(page.pixel(x, y)) >= 128;
        }
    }
    return {red, green};
}

// The lit dots of the timetable's pages on two dual-colour screens. The expected counts were taken
// once from the pages exported with `pelvoro-cli table export` and looked at dot by dot (title and
// header on the first page, one dot right and three lower than the others, the rows cut into pages,
// the red row, the alignments); a change in pagination, drawing or fonts moves them.
TEST_F(PageConversionTest, BusTimetableOnTwoScreens)
{
    const struct {
        int width;
        int height;
        QList<std::pair<int, int>> pages; // (red, green) per page
    } screens[] = {
        // Eight pages: title and header do not fit the first page together and flow on as rows:
        // the title alone, the header and the first route, then two routes per page, the red row
        // alone on the fifth; every row is whole.
        {128,
         32,
         {{493, 221}, {488, 1620}, {677, 328}, {624, 273}, {2368, 310}, {685, 310}, {672, 277}, {465, 146}}},
        // Four pages, the table centred, every row whole with its lines: title, header and one
        // route, four routes twice (the red row on the third), the last three routes.
        {256, 64, {{1031, 1841}, {1365, 601}, {3117, 620}, {1186, 423}}},
    };
    for (const auto &screen : screens) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(screen.width).arg(screen.height).toStdString());
        QFile::remove(Path("Tavrel1.dat"));
        Screen(screen.width, screen.height);
        const ConversionResult result = Convert(SaveBusTimetable(Path("bus.bls")), DocumentKind::Table);
        ASSERT_TRUE(result.written.Ok()) << result.written.message.toStdString();
        QList<std::pair<int, int>> lit;
        for (int page = 1; page <= Pages(); ++page)
            lit << LitDots(Page(page));
        QStringList shown;
        for (const auto &[red, green] : lit)
            shown << QStringLiteral("{%1, %2}").arg(red).arg(green);
        EXPECT_EQ(lit, screen.pages) << shown.join(QStringLiteral(", ")).toStdString();
    }
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
    const AddDocumentsResult full = AddDocuments(table, 0, DocumentKind::RichText,
                                                 {Rtf("long.rtf", body.constData()), Path("1.rtf")}, layout, observer);
    EXPECT_TRUE(full.limitReached);
    EXPECT_TRUE(full.stopped);
    EXPECT_EQ(Pages(), 16);
    ASSERT_EQ(observer.messages.size(), 1);
    EXPECT_EQ(observer.messages[0].first, "最多可编辑16页内容");
}

} // namespace
} // namespace pelvoro::test
