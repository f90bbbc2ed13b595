// Table files: the bytes of a new grid, round trips of many grids, and damaged files.
#include "grid_fixture.h"

#include "base/gbk.h"
#include "support/app_dir_fixture.h"

#include <QBuffer>
#include <QtEndian>

namespace pelvoro::test {
namespace {

qint32 I32(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

void PutI32(QByteArray &bytes, int offset, qint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

// Where the parts of a new 5 x 5 grid's file begin (nothing in it changed).
constexpr int kArraysAt = 15681;
constexpr int kPageAt = kArraysAt + 5 * (5 * 4 + 1);
constexpr int kHeadersAt = kPageAt + 288 + 88 + 256 + 1;
constexpr int kCellsAt = kHeadersAt + 6 * 22 + 13 * 26;
constexpr int kEmptyCellRecord = 92; // 88 + "宋体" in GBK
constexpr int kDefaultFileSize = kCellsAt + 25 * (kEmptyCellRecord + 1);

class TableFileTest : public GridTest {
protected:
    // Saves, reads into a fresh grid, compares the models and saves again.
    void ExpectRoundTrip(const TCustomEasyGrid &source, const char *what)
    {
        const QByteArray first = source.SaveToBytes();
        ScriptedPrompt p;
        TEasyGrid loaded(p, ScreenResolution{120, 120}); // other page defaults, all replaced
        const TableFileResult result = loaded.LoadFromBytes(first);
        ASSERT_TRUE(result.Ok()) << what << ": " << result.message.toStdString();
        EXPECT_TRUE(loaded.Content() == source.Content()) << what;
        EXPECT_TRUE(loaded.SaveToBytes() == first) << what;
    }
};

TEST_F(TableFileTest, ANewGridSavesTheDocumentedBytes)
{
    const QByteArray bytes = grid.SaveToBytes();
    ASSERT_EQ(bytes.size(), kDefaultFileSize);
    const QByteArray signature = QByteArray("Vantorlex EasyGrid Version 1.1") + '\x1A';
    EXPECT_EQ(bytes.left(31), signature);
    EXPECT_EQ(bytes.mid(31, 15296 - 31), QByteArray(15296 - 31, '\0'));
    EXPECT_EQ(bytes.mid(15296, 31), signature);
    EXPECT_EQ(bytes.mid(15327, 225), QByteArray(225, '\0'));
    // Margins of 19 and 25 mm at 4 pixels per millimetre, then the marker.
    EXPECT_EQ(bytes.mid(15552, 17), QByteArray::fromHex("4c000000640000004c00000064000000ff"));
    const QList<std::pair<int, qint32>> ints = {
        {15569, 5}, {15573, 5},        {15577, 80},       {15581, 30},       {15585, 0},
        {15589, 0}, {15593, 1},        {15605, 0},        {15609, 0xC0C0C0}, {15613, int(0xFF00000F)},
        {15617, 0}, {15621, 0xFFFFFF}, {15625, 0},        {15638, 1},        {15647, 255},
        {15651, 3}, {15655, 2},        {15659, 0xFFFFFF}, {15663, 9},        {15667, 0},
        {15672, 4},
    };
    for (const auto &[offset, value] : ints)
        EXPECT_EQ(I32(bytes, offset), value) << offset;
    EXPECT_EQ(bytes.mid(15597, 8), QByteArray::fromHex("0101010101010000"));
    EXPECT_EQ(bytes.mid(15629, 4), QByteArray::fromHex("01031f00")); // single border, both scroll bars, options
    EXPECT_EQ(bytes.mid(15633, 5), QByteArray::fromHex("0004010001"));
    EXPECT_EQ(bytes.mid(15642, 5), QByteArray::fromHex("0001000101"));
    EXPECT_EQ(bytes.at(15671), '\0');
    EXPECT_EQ(bytes.mid(15676, 5), ToGbk(QStringLiteral("宋体")) + '\xFF');

    // Arrays: widths, tab stops, sizable columns, heights, sizable rows.
    EXPECT_EQ(I32(bytes, kArraysAt), 80);
    EXPECT_EQ(bytes.at(kArraysAt + 20), '\xFF');
    EXPECT_EQ(I32(bytes, kArraysAt + 21), 1);
    EXPECT_EQ(I32(bytes, kArraysAt + 3 * 21), 30);

    // Page options, conjunctions, common page fields.
    EXPECT_EQ(bytes.mid(kPageAt, 10), QByteArray::fromHex("01010001010000000100"));
    EXPECT_EQ(bytes.mid(kPageAt + 10, 11), '\x0A' + ToGbk(QStringLiteral("  承前页  ")));
    EXPECT_EQ(bytes.mid(kPageAt + 21, 11), '\x0A' + ToGbk(QStringLiteral("  过次页  ")));
    const int common = kPageAt + 288;
    EXPECT_EQ(bytes.at(common), '\0');        // portrait
    EXPECT_EQ(I32(bytes, common + 1), 1);     // StartPageNo
    EXPECT_EQ(bytes.at(common + 5), '\x01');  // PrintAll
    EXPECT_EQ(I32(bytes, common + 10), 9999); // ToPage
    EXPECT_EQ(I32(bytes, common + 18), 794);  // A4 at 180 dpi, shown at 96
    EXPECT_EQ(I32(bytes, common + 22), 1122);
    EXPECT_EQ(I32(bytes, common + 26), 76);
    EXPECT_EQ(I32(bytes, common + 42), 100); // Scale
    EXPECT_EQ(I32(bytes, common + 66), 20);  // HeaderGap: 5 mm
    EXPECT_EQ(bytes.mid(common + 84, 4), QByteArray::fromHex("01010101"));
    EXPECT_EQ(bytes.at(kHeadersAt - 1), '\xFF');
    // First header: size 9, style 0, colour 0, "宋体", no text, marker.
    EXPECT_EQ(bytes.mid(kHeadersAt, 22),
              QByteArray(QByteArray::fromHex("09000000000000000004000000") + ToGbk(QStringLiteral("宋体"))
                         + QByteArray::fromHex("00000000ff")));
    // First title: offset 0, size 24.
    EXPECT_EQ(I32(bytes, kHeadersAt + 6 * 22 + 4), 24);

    // Cell (0, 0): title colour; cell (1, 1): client colour, merge rectangle (1, 1, 1, 1).
    EXPECT_EQ(I32(bytes, kCellsAt), kEmptyCellRecord);
    EXPECT_EQ(I32(bytes, kCellsAt + 4 + 56), int(0xFF00000F));
    const int cell11 = kCellsAt + 6 * (kEmptyCellRecord + 1);
    EXPECT_EQ(bytes.mid(cell11 + 4 + 2, 16), QByteArray::fromHex("01000000010000000100000001000000"));
    EXPECT_EQ(I32(bytes, cell11 + 4 + 56), 0xFFFFFF);
    EXPECT_EQ(bytes.mid(cell11 + 4 + 18, 11), QByteArray::fromHex("0001010000000001000000")); // flags
    EXPECT_EQ(bytes.at(cell11 + kEmptyCellRecord), '\xFF');
}

TEST_F(TableFileTest, AMergedBlockIsStoredInEveryCellAndComesBack)
{
    ASSERT_TRUE(grid.MergeCells({1, 1, 2, 2}, false));
    const QByteArray bytes = grid.SaveToBytes();
    for (const auto &[col, row] : QList<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
        const int record = kCellsAt + (col * 5 + row) * (kEmptyCellRecord + 1);
        EXPECT_EQ(bytes.mid(record + 6, 16), QByteArray::fromHex("01000000010000000200000002000000"));
    }
    TEasyGrid loaded(prompt, ScreenResolution{96, 96});
    ASSERT_TRUE(loaded.LoadFromBytes(bytes).Ok());
    EXPECT_EQ(loaded.MergeRect(2, 2), GridRect(1, 1, 2, 2));
}

TEST_F(TableFileTest, EveryGridTheWriterMakesReadsBackAndSavesTheSameBytes)
{
    ExpectRoundTrip(grid, "new grid");

    TEasyGrid blocks(prompt, ScreenResolution{96, 96});
    blocks.SetColCount(12);
    blocks.SetRowCount(12);
    blocks.SetFixedCols(1);
    blocks.SetFixedRows(2);
    ASSERT_TRUE(blocks.MergeCells({1, 1, 3, 2}, false));
    ASSERT_TRUE(blocks.MergeCells({4, 4, 11, 11}, false));
    ASSERT_TRUE(blocks.MergeCells({2, 5, 2, 9}, false));
    blocks.SetForeText(0, 0, QStringLiteral("corner"));
    blocks.SetForeText(3, 0, QStringLiteral("title"));
    blocks.SetBackText(0, 7, QStringLiteral("row title"));
    ExpectRoundTrip(blocks, "merged blocks and titles");

    TEasyGrid styles(prompt, ScreenResolution{96, 96});
    styles.SetColCount(7);
    const QList<std::pair<TDataStyle, const char *>> texts = {
        {dsText, "text"}, {dsNumber, "-1234567.125"}, {dsDate, "2024/2/29"}, {dsTime, "23:5"}, {dsFormula, "=A1+B2"}};
    for (int i = 0; i < texts.size(); ++i) {
        const int col = i + 1;
        styles.SetCellProp({col, 1, col, 4}, CellProp::DataStyle, int(texts[i].first));
        styles.SetCellProp({col, 1, col, 4}, CellProp::ThousandSep, true);
        styles.SetCellProp({col, 1, col, 4}, CellProp::ForeText, QString::fromUtf8(texts[i].second));
    }
    // Every field of the fixed part differs from a new cell somewhere.
    int value = 2;
    for (int prop = int(CellProp::AlignMode); prop < int(CellProp::FontName); ++prop)
        styles.SetCellProp({6, 1, 6, 4}, CellProp(prop), value++);
    styles.SetCellProp({6, 1, 6, 4}, CellProp::FontName, QStringLiteral("Arial"));
    styles.SetCellProp({6, 2, 6, 2}, CellProp::Color, int(0x20000000));
    ExpectRoundTrip(styles, "data styles and formats");

    TEasyGrid chinese(prompt, ScreenResolution{96, 96});
    chinese.SetForeText(1, 1, QStringLiteral("中文字符"));
    chinese.SetBackText(1, 1, QStringLiteral("背景文字"));
    chinese.SetCellProp({2, 2, 4, 4}, CellProp::FontName, QStringLiteral("黑体"));
    chinese.SetCellFontName(QStringLiteral("楷体"));
    chinese.PageInfo().SetTopConjunction(QStringLiteral("上页"));
    chinese.PageInfo().Common.Headers[1].Text = QStringLiteral("页眉居中");
    chinese.PageInfo().Common.Titles[0].Text = QStringLiteral("主标题");
    chinese.PageInfo().Common.Titles[12].FontName = QStringLiteral("隶书");
    ExpectRoundTrip(chinese, "Chinese texts");

    TEasyGrid wide(prompt, ScreenResolution{96, 96});
    wide.SetColCount(256);
    wide.SetForeText(255, 4, QStringLiteral("IV4"));
    wide.SetColWidth(255, 3);
    ExpectRoundTrip(wide, "256 columns");

    TEasyGrid tall(prompt, ScreenResolution{96, 96});
    tall.SetRowCount(10000);
    for (int row = 1; row < 10000; row += 7)
        tall.SetForeText(row % 4 + 1, row, QString::number(row));
    tall.SetRowHeight(9999, 5);
    ASSERT_TRUE(tall.MergeCells({1, 9990, 4, 9999}, false));
    ExpectRoundTrip(tall, "10,000 rows");

    TEasyGrid settings(prompt, ScreenResolution{96, 96});
    settings.SetDefaultColWidth(40);
    settings.SetDefaultRowHeight(17);
    settings.SetGridLineWidth(2);
    settings.SetOptions(GridOptionBit(goEditing) | GridOptionBit(goThumbTracking));
    settings.SetFixedLineColor(1);
    settings.SetClientLineColor(kColorRed);
    settings.SetTitleColor(3);
    settings.SetHighLightColor(4);
    settings.SetHighLightTextColor(5);
    settings.SetFocusedTitleColor(6);
    settings.SetShowColTitle(false);
    settings.SetShowRowTitle(false);
    settings.SetBorderStyle(bsNone);
    settings.SetScrollBars(ssVertical);
    settings.SetDefaultDrawing(false);
    settings.SetAlwaysDrawFocus(true);
    settings.SetClientSizeable(true);
    settings.SetGridCanCopyMove(false);
    settings.SetGridCanFill(false);
    settings.SetShowPopup(false);
    settings.SetCellDataStyle(dsNumber);
    settings.SetCellAlignMode(taBottom);
    settings.SetCellShowForeText(false);
    settings.SetCellReadOnly(true);
    settings.SetCellAutoWordBreak(false);
    settings.SetCellLineWidth(3);
    settings.SetCellPenStyle(psDot);
    settings.SetCellAllowNegative(false);
    settings.SetCellTrailingZero(true);
    settings.SetCellZeroNull(false);
    settings.SetCellThousandSep(false);
    settings.SetCellMaxLength(10);
    settings.SetCellIntLength(4);
    settings.SetCellDecLength(1);
    settings.SetCellColor(kColorDefault);
    settings.SetCellFontSize(10);
    settings.SetCellFontColor(kColorRed);
    settings.SetCellFontStyle(kFontBold | kFontStrikeOut);
    settings.SetColTabStop(2, false);
    settings.SetColSizable(3, false);
    settings.SetRowSizable(1, false);
    TEasyGridPageInfo &page = settings.PageInfo();
    page.MonoColored = false;
    page.VertCenter = true;
    page.PrintConjunction = true;
    page.Common.Orientation = 1;
    page.Common.PaperSize = 256;
    page.Common.Scale = 75;
    page.Common.LeftMargin = 0;
    page.Common.FooterLineStyle = psDash;
    page.Common.HeaderOnFirstPage = false;
    page.Common.Headers[5].FontStyle = kFontItalic;
    page.Common.Titles[6].Offset = -3;
    ExpectRoundTrip(settings, "grid-level values and page layout");
}

TEST_F(TableFileTest, ConjunctionsKeepAtMostTenBytes)
{
    TEasyGridPageInfo &page = grid.PageInfo();
    page.SetTopConjunction(QStringLiteral("承前页承前页")); // 12 bytes
    EXPECT_EQ(page.TopConjunctionBytes().size(), 10);
    page.SetBottomConjunction(QStringLiteral("a承前页承前")); // 11 bytes: the cut never halves a character
    EXPECT_EQ(page.BottomConjunction(), QStringLiteral("a承前页承"));
    const QByteArray bytes = grid.SaveToBytes();
    EXPECT_EQ(bytes.at(kPageAt + 10), '\x0A');
    EXPECT_EQ(bytes.at(kPageAt + 21), '\x09');
}

// Damaged files. Each leaves the grid as it was and says why.
struct Damage {
    const char *what;
    std::function<void(QByteArray &)> apply;
    QString message;
};

const QString kNotATable = QStringLiteral("该文件不是一个合法的报表文件。");
const QString kDamaged = QStringLiteral("无法打开文件, 该文件可能已经损坏。");
const QString kBadPage = QStringLiteral("错误的页面信息, 该文件头可能已经损坏。");
const QString kOutOfRange = QStringLiteral("Grid index out of range");

QList<Damage> Damages()
{
    auto truncate = [](int size) { return [size](QByteArray &b) { b.truncate(size); }; };
    auto byte = [](int offset, char value) { return [offset, value](QByteArray &b) { b[offset] = value; }; };
    auto i32 = [](int offset, qint32 value) { return [offset, value](QByteArray &b) { PutI32(b, offset, value); }; };
    const int cell11 = kCellsAt + 6 * (kEmptyCellRecord + 1);
    QList<Damage> damages = {
        {"zero-length file", truncate(0), kNotATable},
        {"part of the signature", truncate(20), kNotATable},
        {"signature without 0x1A", byte(30, 0x1B), kNotATable},
        {"signature changed", byte(0, 'v'), kNotATable},
        {"cut in the header block", truncate(15000), kDamaged},
        {"cut in the grid values", truncate(15600), kDamaged},
        {"cut in CellFontName", truncate(15678), kDamaged},
        {"cut in the arrays", truncate(kArraysAt + 50), kDamaged},
        {"cut in the page options", truncate(kPageAt + 100), kBadPage},
        {"cut in the titles", truncate(kHeadersAt + 200), kBadPage},
        {"cut in a cell record", truncate(cell11 + 40), kDamaged},
        {"last marker missing", truncate(kDefaultFileSize - 1), kDamaged},
        {"negative ColCount", i32(15569, -1), kDamaged},
        {"negative RowCount", i32(15573, -5), kDamaged},
        {"RowCount far beyond the file", i32(15573, 0x7FFFFFFF), kDamaged},
        {"RowCount a little beyond the file", i32(15573, 6), kDamaged},
        {"ColCount above 256", i32(15569, 300), kOutOfRange},
        {"negative FixedCols", i32(15585, -1), kOutOfRange},
        {"CellFontName past the end", i32(15672, 0x40000000), kDamaged},
        {"CellFontName negative", i32(15672, -4), kDamaged},
        {"header font name past the end", i32(kHeadersAt + 9, 100000), kBadPage},
        {"size prefix below the smallest record", i32(cell11, 87), kDamaged},
        {"size prefix one too large", i32(cell11, kEmptyCellRecord + 1), kDamaged},
        {"size prefix one too small", i32(cell11, kEmptyCellRecord - 1), kDamaged},
        {"size prefix past the end", i32(cell11, 0x7FFFFFFF), kDamaged},
        {"font name past the record", i32(cell11 + 76, 5), kDamaged},
        {"text count negative", i32(cell11 + 84, -1), kDamaged},
        {"merge rectangle not around its cell", i32(cell11 + 6, 3), kDamaged},
        {"merge rectangle far away", i32(cell11 + 6 + 8, 0x7FFFFFFF), kDamaged},
        {"merged title cell", i32(kCellsAt + 5 * (kEmptyCellRecord + 1) + 6 + 12, 1), kDamaged},
        {"block not named by all its cells", i32(cell11 + 6 + 8, 2), kDamaged},
    };
    // Every marker set to 0x00: grid part, arrays and cells, or page layout.
    damages.append({"margins marker", byte(15568, 0), kDamaged});
    damages.append({"grid values marker", byte(15680, 0), kDamaged});
    for (int k = 1; k <= 5; ++k)
        damages.append({"array marker", byte(kArraysAt + k * 21 - 1, 0), kDamaged});
    damages.append({"page layout marker", byte(kHeadersAt - 1, 0), kBadPage});
    for (int k = 1; k <= 6; ++k)
        damages.append({"header marker", byte(kHeadersAt + k * 22 - 1, 0), kBadPage});
    for (int k = 1; k <= 13; ++k)
        damages.append({"title marker", byte(kHeadersAt + 6 * 22 + k * 26 - 1, 0), kBadPage});
    for (int k = 1; k <= 25; ++k)
        damages.append({"cell marker", byte(kCellsAt + k * (kEmptyCellRecord + 1) - 1, 0), kDamaged});
    return damages;
}

// A cell record longer than its strings is sound: the spare bytes are skipped.
TEST_F(TableFileTest, SpareBytesAfterACellRecordsStringsAreSkipped)
{
    grid.SetForeText(1, 1, QStringLiteral("kept"));
    grid.SetForeText(2, 1, QStringLiteral("next"));
    const QByteArray sound = grid.SaveToBytes();
    const GridContent before = grid.Content();
    const int cell11 = kCellsAt + 6 * (kEmptyCellRecord + 1);
    const int size = I32(sound, cell11);
    QByteArray bytes = sound;
    bytes.insert(cell11 + size, QByteArray("\x01\x02\x03", 3));
    PutI32(bytes, cell11, size + 3);
    ASSERT_TRUE(grid.LoadFromBytes(bytes).Ok());
    EXPECT_TRUE(grid.Content() == before);
}

TEST_F(TableFileTest, DamagedFilesFailWithTheirPartsMessageAndChangeNothing)
{
    const QByteArray sound = grid.SaveToBytes();
    ASSERT_TRUE(grid.LoadFromBytes(sound).Ok()); // the layout the offsets describe
    grid.SetRowCount(9);
    grid.SetForeText(2, 8, QStringLiteral("kept"));
    ASSERT_TRUE(grid.MergeCells({1, 1, 3, 3}, false));
    const GridContent before = grid.Content();
    for (const Damage &damage : Damages()) {
        QByteArray bytes = sound;
        damage.apply(bytes);
        ASSERT_NE(bytes, sound) << damage.what;
        const TableFileResult result = grid.LoadFromBytes(bytes);
        EXPECT_FALSE(result.Ok()) << damage.what;
        EXPECT_EQ(result.message, damage.message) << damage.what;
        EXPECT_TRUE(grid.Content() == before) << damage.what;
    }
}

class TableFileOnDiskTest : public AppDirTest {
protected:
    ScriptedPrompt prompt;
    TEasyGrid grid{prompt, ScreenResolution{96, 96}};
};

TEST_F(TableFileOnDiskTest, FilesAndStreamsCarryTheSameBytes)
{
    grid.SetForeText(1, 1, QStringLiteral("文件"));
    ASSERT_TRUE(grid.SaveToFile(Path(QStringLiteral("Tavrel1-1.bls"))).Ok());
    EXPECT_EQ(ReadFile(QStringLiteral("Tavrel1-1.bls")), grid.SaveToBytes());

    TEasyGrid loaded(prompt, ScreenResolution{96, 96});
    int repaints = 0;
    loaded.SetRepaintHandler([&](const GridRect &) { ++repaints; });
    loaded.SetAutoUpdate(false);
    ASSERT_TRUE(loaded.LoadFromFile(QStringLiteral("Tavrel1-1.bls")).Ok());
    EXPECT_EQ(loaded.ForeText(1, 1), QStringLiteral("文件"));
    EXPECT_FALSE(loaded.AutoUpdate()); // restored after the repaint of the load
    EXPECT_EQ(repaints, 1);

    WriteFile(QStringLiteral("bad.bls"), QByteArray("not a table"));
    const TableFileResult bad = loaded.LoadFromFile(QStringLiteral("bad.bls"));
    EXPECT_EQ(bad.message, QStringLiteral("该文件不是一个合法的报表文件。"));
    EXPECT_FALSE(loaded.AutoUpdate());
    EXPECT_FALSE(loaded.LoadFromFile(QStringLiteral("missing.bls")).Ok());
    EXPECT_FALSE(grid.SaveToFile(Path(QStringLiteral("no/such/dir/t.bls"))).Ok());

    // A stream is read from its position, and left right after the table.
    QByteArray framed = "prefix" + grid.SaveToBytes() + "suffix";
    QBuffer buffer(&framed);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(6);
    ASSERT_TRUE(loaded.LoadFromStream(buffer).Ok());
    EXPECT_EQ(buffer.read(6), QByteArray("suffix"));
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_TRUE(loaded.SaveToStream(out).Ok());
    EXPECT_EQ(out.data(), grid.SaveToBytes());
}

} // namespace
} // namespace pelvoro::test
