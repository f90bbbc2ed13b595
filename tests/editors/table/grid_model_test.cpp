// The grid's dimensions, grid-level values, arrays, new cells, column names and cell properties.
#include "grid_fixture.h"

#include "editors/table/column_names.h"

namespace pelvoro::test {
namespace {

using GridModelTest = GridTest;

TEST_F(GridModelTest, NewGridHasTheDocumentedDefaults)
{
    const GridProperties &p = grid.Props();
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(p.FixedCols, 0);
    EXPECT_EQ(p.FixedRows, 0);
    EXPECT_EQ(p.DefaultColWidth, 80);
    EXPECT_EQ(p.DefaultRowHeight, 30);
    EXPECT_EQ(p.GridLineWidth, 1);
    EXPECT_EQ(p.Options, 0x1F); // fixed vert/horz lines, vert/horz lines, range select
    EXPECT_EQ(p.FixedLineColor, 0);
    EXPECT_EQ(p.ClientLineColor, 0xC0C0C0);
    EXPECT_EQ(p.TitleColor, TColor(0xFF00000F));
    EXPECT_EQ(p.HighLightColor, 0);
    EXPECT_EQ(p.HighLightTextColor, 0xFFFFFF);
    EXPECT_EQ(p.FocusedTitleColor, 0);
    EXPECT_TRUE(p.ShowColTitle && p.ShowRowTitle && p.DefaultDrawing);
    EXPECT_FALSE(p.AlwaysDrawFocus || p.ClientSizeable);
    EXPECT_TRUE(p.GridCanCopyMove && p.GridCanFill && p.ShowPopup);
    EXPECT_EQ(p.BorderStyle, bsSingle);
    EXPECT_EQ(p.ScrollBars, ssBoth);
    EXPECT_TRUE(grid.AutoUpdate());
    const CellDefaults &c = p.Cell;
    EXPECT_EQ(c.DataStyle, dsText);
    EXPECT_EQ(c.AlignMode, taCenter);
    EXPECT_TRUE(c.ShowForeText && c.AutoWordBreak && c.AllowNegative && c.ZeroNull && c.ThousandSep);
    EXPECT_FALSE(c.ReadOnly || c.TrailingZero);
    EXPECT_EQ(c.LineWidth, 1);
    EXPECT_EQ(c.PenStyle, psSolid);
    EXPECT_EQ(c.MaxLength, 255);
    EXPECT_EQ(c.IntLength, 3);
    EXPECT_EQ(c.DecLength, 2);
    EXPECT_EQ(c.Color, 0xFFFFFF);
    EXPECT_EQ(c.FontName, QStringLiteral("宋体"));
    EXPECT_EQ(c.FontSize, 9);
    EXPECT_EQ(c.FontColor, 0);
    EXPECT_EQ(c.FontStyle, 0);
    EXPECT_EQ(grid.CurrentCell(), QPoint(1, 1));
    EXPECT_EQ(grid.Selection(), GridRect::Cell(1, 1));
}

TEST_F(GridModelTest, NewCellsTakeTheGridDefaultsButFixedNumberFlags)
{
    grid.SetCellAlignMode(taRight);
    grid.SetCellFontSize(14);
    grid.SetCellFontStyle(kFontBold);
    grid.SetCellFontName(QStringLiteral("黑体"));
    grid.SetColCount(6);
    for (int row = 0; row < grid.RowCount(); ++row) {
        const TCellInfo &cell = grid.Cell(5, row);
        EXPECT_EQ(cell.Color, row == 0 ? grid.Props().TitleColor : grid.Props().Cell.Color) << row;
        EXPECT_EQ(cell.AlignMode, taRight);
        EXPECT_EQ(cell.FontSize, 14);
        EXPECT_EQ(cell.FontName, QStringLiteral("黑体"));
        // Whatever the grid-level values say:
        EXPECT_EQ(cell.FontStyle, 0);
        EXPECT_TRUE(cell.AllowNegative);
        EXPECT_FALSE(cell.ZeroNull || cell.ThousandSep || cell.TrailingZero);
        EXPECT_FALSE(cell.DrawTop || cell.DrawLeft || cell.DrawBottom || cell.DrawRight);
        EXPECT_EQ(grid.MergeRect(5, row), GridRect::Cell(5, row));
    }
    // The corner and the titles of a new grid carry the title colour, client cells the cell colour.
    TEasyGrid fresh(prompt, ScreenResolution{96, 96});
    EXPECT_EQ(fresh.Cell(0, 0).Color, TColor(0xFF00000F));
    EXPECT_EQ(fresh.Cell(3, 0).Color, TColor(0xFF00000F));
    EXPECT_EQ(fresh.Cell(0, 3).Color, TColor(0xFF00000F));
    EXPECT_EQ(fresh.Cell(2, 2).Color, 0xFFFFFF);
    EXPECT_FALSE(fresh.Cell(2, 2).ZeroNull);
}

TEST_F(GridModelTest, CountsAreClampedAndShrinkingOverAMergedBlockIsRefused)
{
    struct Case {
        int set;
        int cols;
    };
    for (const Case &c : {Case{300, 256}, Case{1, 2}, Case{0, 2}, Case{-7, 2}, Case{256, 256}, Case{9, 9}}) {
        grid.SetColCount(c.set);
        EXPECT_EQ(grid.ColCount(), c.cols) << c.set;
    }
    for (const Case &c : {Case{1, 2}, Case{-1, 2}, Case{100000, 100000}, Case{7, 7}}) {
        grid.SetRowCount(c.set);
        EXPECT_EQ(grid.RowCount(), c.cols) << c.set;
    }
    ASSERT_TRUE(grid.MergeCells({5, 2, 6, 3}, false));
    grid.SetColCount(6);
    EXPECT_EQ(grid.ColCount(), 9);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.RowCount(), 7);
    grid.SetColCount(7);
    EXPECT_EQ(grid.ColCount(), 7);
    grid.SetRowCount(4);
    EXPECT_EQ(grid.RowCount(), 4);
    ExpectSoundBlocks();
}

TEST_F(GridModelTest, FixedCountsStayInsideTheGridAndTheSelectionFollows)
{
    EXPECT_THROW(grid.SetFixedCols(-1), EInvalidGridOperation);
    EXPECT_THROW(grid.SetFixedRows(-1), EInvalidGridOperation);
    grid.SetFixedCols(10);
    EXPECT_EQ(grid.FixedCols(), 3);
    EXPECT_EQ(grid.CurrentCell(), QPoint(4, 1));
    grid.SetFixedCols(2);
    grid.SetFixedRows(1);
    EXPECT_TRUE(grid.SelectCell(4, 4));
    EXPECT_FALSE(grid.SelectCell(2, 4)); // fixed column
    grid.SetColCount(3);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.CurrentCell(), QPoint(2, 4));
    EXPECT_EQ(grid.Selection(), GridRect::Cell(2, 4));
    grid.SetRowCount(2);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.CurrentCell(), QPoint(2, 1));
}

TEST_F(GridModelTest, ArraysFollowTheCountsAndTheDefaults)
{
    EXPECT_EQ(grid.ColWidth(3), 80);
    EXPECT_EQ(grid.ColWidth(99), 80); // outside: the default
    EXPECT_THROW(grid.SetColWidth(5, 10), EInvalidGridOperation);
    EXPECT_THROW(grid.SetRowHeight(-1, 10), EInvalidGridOperation);
    grid.SetColWidth(2, 33);
    grid.SetRowHeight(4, 44);
    grid.SetColCount(7);
    grid.SetRowCount(6);
    EXPECT_EQ(grid.ColWidth(2), 33);
    EXPECT_EQ(grid.ColWidth(6), 80);
    EXPECT_EQ(grid.RowHeight(5), 30);
    grid.SetRowCount(3);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.RowHeight(4), 30); // the removed entry went, the new one is a default
    grid.SetDefaultColWidth(50);
    EXPECT_EQ(grid.ColWidth(2), 50); // every entry rewritten
    EXPECT_EQ(grid.ColWidth(40), 50);
    grid.SetDefaultRowHeight(17);
    EXPECT_EQ(grid.RowHeight(1), 17);

    EXPECT_TRUE(grid.ColTabStop(0));
    grid.SetColTabStop(3, false);
    EXPECT_FALSE(grid.ColTabStop(3));
    EXPECT_FALSE(grid.ColSizable(0)); // index 0 reads 0 whatever is stored
    EXPECT_FALSE(grid.RowSizable(0));
    EXPECT_TRUE(grid.ColSizable(1));
    grid.SetRowSizable(2, false);
    EXPECT_FALSE(grid.RowSizable(2));
    EXPECT_THROW(grid.SetColSizable(7, true), EInvalidGridOperation);
}

TEST(ColumnNameTest, LettersThenPairsThenNothing)
{
    const QList<std::pair<int, const char *>> cases = {{0, ""},    {1, "A"},   {26, "Z"},   {27, "AA"},
                                                       {52, "AZ"}, {53, "BA"}, {256, "IV"}, {257, ""}};
    for (const auto &[col, name] : cases) {
        EXPECT_EQ(ColumnName(col), QLatin1String(name)) << col;
        if (*name) {
            EXPECT_EQ(ColumnFromName(QString::fromLatin1(name).toLower()), col);
        }
    }
    EXPECT_EQ(ColumnFromName(QStringLiteral("IW")), 0);
}

TEST_F(GridModelTest, GridLevelCellSettersWriteEveryClientCellButNotTheTitles)
{
    grid.SetCellDataStyle(dsNumber);
    grid.SetCellReadOnly(true);
    grid.SetCellColor(kColorRed);
    grid.SetCellZeroNull(false);
    for (int col = 0; col < grid.ColCount(); ++col) {
        for (int row = 0; row < grid.RowCount(); ++row) {
            const bool client = col >= 1 && row >= 1;
            const TCellInfo &cell = grid.Cell(col, row);
            EXPECT_EQ(cell.DataStyle, client ? dsNumber : dsText) << col << "," << row;
            EXPECT_EQ(cell.ReadOnly, client);
            EXPECT_EQ(cell.Color, client ? kColorRed : kColorButtonFace);
        }
    }
    EXPECT_EQ(grid.Props().Cell.DataStyle, dsNumber);
    grid.SetCellFontName(QStringLiteral("Arial"));
    EXPECT_EQ(grid.Cell(1, 1).FontName, QStringLiteral("宋体"));
}

TEST_F(GridModelTest, SetCellPropWritesEachCodeIntoTheClippedRectangle)
{
    struct Case {
        CellProp prop;
        QVariant value;
        std::function<bool(const TCellInfo &)> holds;
    };
    const QList<Case> cases = {
        {CellProp::DataStyle, int(dsTime), [](auto &c) { return c.DataStyle == dsTime; }},
        {CellProp::AlignMode, int(taBottomRight), [](auto &c) { return c.AlignMode == taBottomRight; }},
        {CellProp::ReadOnly, true, [](auto &c) { return c.ReadOnly; }},
        {CellProp::AutoWordBreak, false, [](auto &c) { return !c.AutoWordBreak; }},
        {CellProp::ShowForeText, false, [](auto &c) { return !c.ShowForeText; }},
        {CellProp::DrawTop, true, [](auto &c) { return c.DrawTop && !c.DrawBottom; }},
        {CellProp::DrawLeft, true, [](auto &c) { return c.DrawLeft && !c.DrawRight; }},
        {CellProp::DrawRight, true, [](auto &c) { return c.DrawRight; }},
        {CellProp::DrawBottom, true, [](auto &c) { return c.DrawBottom; }},
        {CellProp::AllowNegative, false, [](auto &c) { return !c.AllowNegative; }},
        {CellProp::TrailingZero, true, [](auto &c) { return c.TrailingZero; }},
        {CellProp::ZeroNull, true, [](auto &c) { return c.ZeroNull; }},
        {CellProp::ThousandSep, true, [](auto &c) { return c.ThousandSep; }},
        {CellProp::MaxLength, 12, [](auto &c) { return c.MaxLength == 12; }},
        {CellProp::IntLength, 5, [](auto &c) { return c.IntLength == 5; }},
        {CellProp::DecLength, 4, [](auto &c) { return c.DecLength == 4; }},
        {CellProp::LineWidth, 3, [](auto &c) { return c.LineWidth == 3; }},
        {CellProp::PenStyle, int(psDashDot), [](auto &c) { return c.PenStyle == psDashDot; }},
        {CellProp::CellReserved, 7, [](auto &c) { return c.CellReserved == 7; }},
        {CellProp::Color, 0x00FF00, [](auto &c) { return c.Color == 0x00FF00; }},
        {CellProp::FontSize, 16, [](auto &c) { return c.FontSize == 16; }},
        {CellProp::FontColor, 0x00FFFF, [](auto &c) { return c.FontColor == 0x00FFFF; }},
        {CellProp::FontStyle, int(kFontItalic | kFontUnderline),
         [](auto &c) { return c.FontStyle == (kFontItalic | kFontUnderline); }},
        {CellProp::FontName, QStringLiteral("楷体"), [](auto &c) { return c.FontName == QStringLiteral("楷体"); }},
        {CellProp::BackText, QStringLiteral("背"), [](auto &c) { return c.BackText == QStringLiteral("背"); }},
    };
    for (const Case &c : cases) {
        TEasyGrid g(prompt, ScreenResolution{96, 96});
        g.SetCellProp({0, 3, 2, 9}, c.prop, c.value);
        EXPECT_TRUE(c.holds(g.Cell(1, 3)) && c.holds(g.Cell(2, 4))) << int(c.prop);
        EXPECT_FALSE(c.holds(g.Cell(0, 3)) || c.holds(g.Cell(3, 3)) || c.holds(g.Cell(1, 2))) << int(c.prop);
    }
    // ForeText goes through the formatting of each cell.
    grid.SetCellProp({1, 1, 1, 1}, CellProp::DataStyle, int(dsNumber));
    grid.SetCellProp({1, 1, 2, 1}, CellProp::ForeText, QStringLiteral("1234.5"));
    EXPECT_EQ(grid.ForeText(1, 1), QStringLiteral("1234.5"));
    grid.SetCellProp({1, 1, 1, 1}, CellProp::ThousandSep, true);
    grid.SetCellProp({1, 1, 1, 1}, CellProp::ForeText, QStringLiteral("4321"));
    EXPECT_EQ(grid.ForeText(1, 1), QStringLiteral("4,321"));
    EXPECT_EQ(grid.ForeText(2, 1), QStringLiteral("1234.5"));
}

TEST_F(GridModelTest, SetForeTextFormatsByDataStyleAndRefusesWhatItCannotRead)
{
    struct Case {
        TDataStyle style;
        const char *input;
        const char *stored; // nullptr: refused with the message
        const char *message;
    };
    const QList<Case> cases = {
        {dsText, " 12a ", " 12a ", nullptr},
        {dsFormula, "=A1", "=A1", nullptr},
        {dsNumber, "12a", nullptr, "单元格[2,3]内容不合法,请写入正确的数值。"},
        {dsNumber, "1234.567", "1234.57", nullptr},
        {dsDate, "2024/3/5", "2024-03-05", nullptr},
        {dsDate, "2023/2/29", nullptr, "单元格[2,3]内容不合法,请写入正确的日期。"},
        {dsDate, "", "", nullptr},
        {dsTime, "8:30", "08:30:00", nullptr},
        {dsTime, "25:00", nullptr, "单元格[2,3]内容不合法,请写入正确的时间。"},
    };
    for (const Case &c : cases) {
        ScriptedPrompt p;
        TEasyGrid g(p, ScreenResolution{96, 96});
        g.SetForeText(2, 3, QStringLiteral("old"));
        g.SetCellProp({2, 3, 2, 3}, CellProp::DataStyle, int(c.style));
        QStringList events;
        g.events.OnSetForeText = [&](TCustomEasyGrid &, int col, int row, QString &value) {
            events << QStringLiteral("%1,%2:%3").arg(col).arg(row).arg(value);
        };
        const bool stored = g.SetForeText(2, 3, QString::fromUtf8(c.input));
        EXPECT_EQ(stored, c.stored != nullptr) << c.input;
        const QString expected = c.stored ? QString::fromUtf8(c.stored) : QStringLiteral("old");
        EXPECT_EQ(g.ForeText(2, 3), expected) << c.input;
        EXPECT_EQ(events, c.stored ? QStringList{QStringLiteral("2,3:") + expected} : QStringList()) << c.input;
        EXPECT_EQ(p.MessageTexts(QStringLiteral("提示")),
                  c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList())
            << c.input;
        if (c.message) {
            EXPECT_EQ(p.messages.first().icon, PromptIcon::Error);
        }
    }
}

TEST_F(GridModelTest, RepaintsAndEventsFollowTheTexts)
{
    QList<GridRect> repainted;
    grid.SetRepaintHandler([&](const GridRect &rect) { repainted << rect; });
    ASSERT_TRUE(grid.MergeCells({1, 1, 2, 2}, false));
    repainted.clear();
    int backEvents = 0;
    grid.events.OnSetBackText = [&](TCustomEasyGrid &, int, int, QString &) { ++backEvents; };
    grid.SetForeText(1, 1, QStringLiteral("x"));
    EXPECT_EQ(repainted, QList<GridRect>{GridRect(1, 1, 2, 2)}); // the whole block
    grid.SetBackText(1, 1, QStringLiteral("y"));                 // ForeText shows: no repaint
    EXPECT_EQ(repainted.size(), 1);
    EXPECT_EQ(backEvents, 1);
    grid.SetAutoUpdate(false);
    grid.SetForeText(1, 1, QStringLiteral("z"));
    EXPECT_EQ(repainted.size(), 1);
    grid.SetAutoUpdate(true); // repaints everything
    EXPECT_EQ(repainted.last(), GridRect(0, 0, 4, 4));
    EXPECT_THROW(grid.SetForeText(5, 1, QStringLiteral("x")), EInvalidGridOperation);
}

} // namespace
} // namespace pelvoro::test
