#include "editors/table/cell_format_selection.h"

#include "editors/table/grid_fixture.h"


namespace pelvoro::test {
namespace {

using CellFormatSelectionTest = GridTest;

TEST(CellAlignment, SidesSplitAndJoinForEveryMode)
{
    for (int mode = taTopLeft; mode <= taBottomRight; ++mode) {
        const auto align = TAlignMode(mode);
        EXPECT_EQ(AlignModeOf(HorzAlignOf(align), VertAlignOf(align)), align) << mode;
    }
    EXPECT_EQ(HorzAlignOf(taRight), HorzAlign::Right);
    EXPECT_EQ(VertAlignOf(taRight), VertAlign::Centre);
    EXPECT_EQ(AlignModeOf(HorzAlign::Left, VertAlign::Bottom), taBottomLeft);
    EXPECT_EQ(AlignModeOf(HorzAlign::Centre, VertAlign::Top), taTop);
    // A stored byte that names no alignment behaves as top left.
    EXPECT_EQ(HorzAlignOf(TAlignMode(200)), HorzAlign::Left);
    EXPECT_EQ(VertAlignOf(TAlignMode(200)), VertAlign::Top);
}

TEST_F(CellFormatSelectionTest, SharedValuesAreDecided)
{
    const GridRect sel{1, 1, 2, 3};
    grid.SetCellProp(sel, CellProp::DataStyle, int(dsNumber));
    grid.SetCellProp(sel, CellProp::AlignMode, int(taBottomRight));
    grid.SetCellProp(sel, CellProp::FontStyle, int(kFontBold | kFontUnderline));
    grid.SetCellProp(sel, CellProp::FontName, QStringLiteral("黑体"));
    grid.SetCellProp(sel, CellProp::Color, 0x00FF00);
    grid.SetCellProp(sel, CellProp::PenStyle, int(psDashDot));
    grid.SetCellProp(sel, CellProp::DrawTop, true);
    grid.SetCellProp(sel, CellProp::MaxLength, 12);
    // A cell outside the selection does not count.
    grid.SetCellProp(GridRect::Cell(3, 1), CellProp::FontSize, 40);

    const CellFormat f = CollectCellFormat(grid, sel);
    EXPECT_EQ(f.dataStyle, dsNumber);
    EXPECT_EQ(f.horzAlign, HorzAlign::Right);
    EXPECT_EQ(f.vertAlign, VertAlign::Bottom);
    EXPECT_EQ(f.fontStyle, kFontBold);
    EXPECT_EQ(f.underline, true);
    EXPECT_EQ(f.fontName, QStringLiteral("黑体"));
    EXPECT_EQ(f.fontSize, 9);
    EXPECT_EQ(f.color, 0x00FF00);
    EXPECT_EQ(f.penStyle, psDashDot);
    EXPECT_EQ(f.drawTop, true);
    EXPECT_EQ(f.drawLeft, false);
    EXPECT_EQ(f.maxLength, 12);
    EXPECT_EQ(f.intLength, 3);
    EXPECT_EQ(f.readOnly, false);
    EXPECT_EQ(f.merged, false);
}

// The names of the values a format leaves undecided.
QStringList Undecided(const CellFormat &f)
{
    QStringList names;
    const auto check = [&](const char *name, bool decided) {
        if (!decided)
            names << QString::fromLatin1(name);
    };
    check("dataStyle", f.dataStyle.has_value());
    check("maxLength", f.maxLength.has_value());
    check("intLength", f.intLength.has_value());
    check("decLength", f.decLength.has_value());
    check("allowNegative", f.allowNegative.has_value());
    check("thousandSep", f.thousandSep.has_value());
    check("trailingZero", f.trailingZero.has_value());
    check("zeroNull", f.zeroNull.has_value());
    check("horzAlign", f.horzAlign.has_value());
    check("vertAlign", f.vertAlign.has_value());
    check("autoWordBreak", f.autoWordBreak.has_value());
    check("merged", f.merged.has_value());
    check("fontName", f.fontName.has_value());
    check("fontStyle", f.fontStyle.has_value());
    check("underline", f.underline.has_value());
    check("fontSize", f.fontSize.has_value());
    check("fontColor", f.fontColor.has_value());
    check("drawLeft", f.drawLeft.has_value());
    check("drawRight", f.drawRight.has_value());
    check("drawTop", f.drawTop.has_value());
    check("drawBottom", f.drawBottom.has_value());
    check("lineWidth", f.lineWidth.has_value());
    check("penStyle", f.penStyle.has_value());
    check("color", f.color.has_value());
    check("readOnly", f.readOnly.has_value());
    return names;
}

// One cell of a 2 x 2 selection changed in one way leaves exactly the matching value undecided.
TEST_F(CellFormatSelectionTest, DifferingValueIsUndecidedAndOnlyThatOne)
{
    struct Case {
        CellProp prop;
        QVariant value;
        QStringList undecided;
    };
    const Case cases[] = {
        {CellProp::DataStyle, int(dsDate), {"dataStyle"}},
        {CellProp::AlignMode, int(taLeft), {"horzAlign"}},
        {CellProp::AlignMode, int(taTop), {"vertAlign"}},
        {CellProp::AlignMode, int(taBottomRight), {"horzAlign", "vertAlign"}},
        {CellProp::FontStyle, int(kFontBold), {"fontStyle"}},
        {CellProp::FontStyle, int(kFontUnderline), {"underline"}},
        {CellProp::FontStyle, int(kFontStrikeOut), {}}, // the dialog does not offer it
        {CellProp::FontName, QStringLiteral("黑体"), {"fontName"}},
        {CellProp::FontSize, 12, {"fontSize"}},
        {CellProp::FontColor, 0x0000FF, {"fontColor"}},
        {CellProp::Color, 0, {"color"}},
        {CellProp::ReadOnly, true, {"readOnly"}},
        {CellProp::AutoWordBreak, false, {"autoWordBreak"}},
        {CellProp::DrawLeft, true, {"drawLeft"}},
        {CellProp::DrawRight, true, {"drawRight"}},
        {CellProp::DrawTop, true, {"drawTop"}},
        {CellProp::DrawBottom, true, {"drawBottom"}},
        {CellProp::AllowNegative, false, {"allowNegative"}},
        {CellProp::ThousandSep, true, {"thousandSep"}},
        {CellProp::TrailingZero, true, {"trailingZero"}},
        {CellProp::ZeroNull, true, {"zeroNull"}},
        {CellProp::MaxLength, 10, {"maxLength"}},
        {CellProp::IntLength, 5, {"intLength"}},
        {CellProp::DecLength, 4, {"decLength"}},
        {CellProp::LineWidth, 3, {"lineWidth"}},
        {CellProp::PenStyle, int(psDot), {"penStyle"}},
        {CellProp::ForeText, QStringLiteral("text"), {}},
    };
    const GridRect sel{2, 2, 3, 3};
    EXPECT_EQ(Undecided(CollectCellFormat(grid, sel)), QStringList());
    for (const Case &c : cases) {
        TEasyGrid g{prompt, ScreenResolution{96, 96}};
        g.SetCellProp(GridRect::Cell(3, 3), c.prop, c.value);
        EXPECT_EQ(Undecided(CollectCellFormat(g, sel)), c.undecided)
            << int(c.prop) << " " << c.value.toString().toStdString();
    }
}

TEST_F(CellFormatSelectionTest, MergedStateOfTheSelection)
{
    grid.MergeCells({1, 1, 2, 2}, false);
    EXPECT_EQ(CollectCellFormat(grid, {1, 1, 2, 2}).merged, true);
    EXPECT_EQ(CollectCellFormat(grid, {3, 1, 4, 2}).merged, false);
    // A block and cells beside it: neither one block nor unmerged.
    EXPECT_EQ(CollectCellFormat(grid, {1, 1, 3, 2}).merged, std::nullopt);
}

TEST_F(CellFormatSelectionTest, DecidedValuesGoIntoEveryCellUndecidedOnesStay)
{
    grid.SetCellProp(GridRect::Cell(1, 1), CellProp::FontColor, 0x0000FF);
    grid.SetCellProp(GridRect::Cell(2, 2), CellProp::FontColor, 0x00FF00);
    const GridRect sel{1, 1, 2, 2};
    CellFormat f = CollectCellFormat(grid, sel);
    ASSERT_FALSE(f.fontColor);
    f.color = 0x00FFFF;
    f.readOnly = true;
    f.lineWidth = 4;
    f.horzAlign = HorzAlign::Left;
    f.vertAlign = VertAlign::Bottom;
    f.penStyle = psDash;
    f.fontName = QStringLiteral("楷体");
    ApplyCellFormat(grid, sel, f);

    for (int col = 1; col <= 2; ++col) {
        for (int row = 1; row <= 2; ++row) {
            const TCellInfo &cell = grid.Cell(col, row);
            EXPECT_EQ(cell.Color, 0x00FFFF) << col << "," << row;
            EXPECT_TRUE(cell.ReadOnly);
            EXPECT_EQ(cell.LineWidth, 4);
            EXPECT_EQ(cell.AlignMode, taBottomLeft);
            EXPECT_EQ(cell.PenStyle, psDash);
            EXPECT_EQ(cell.FontName, QStringLiteral("楷体"));
        }
    }
    EXPECT_EQ(grid.Cell(1, 1).FontColor, 0x0000FF);
    EXPECT_EQ(grid.Cell(2, 2).FontColor, 0x00FF00);
    EXPECT_EQ(grid.Cell(1, 2).FontColor, kColorBlack);
    // Outside the selection nothing changed.
    EXPECT_EQ(grid.Cell(3, 1), TEasyGrid(prompt, ScreenResolution{96, 96}).Cell(3, 1));
    EXPECT_FALSE(grid.Cell(1, 3).ReadOnly);
}

TEST_F(CellFormatSelectionTest, OnlyOneSideOfTheAlignmentChangesNothing)
{
    CellFormat f;
    f.horzAlign = HorzAlign::Right;
    ApplyCellFormat(grid, {1, 1, 2, 2}, f);
    EXPECT_EQ(grid.Cell(1, 1).AlignMode, taCenter);
}

TEST_F(CellFormatSelectionTest, TitleCellsAreNeverWritten)
{
    const TCellInfo title = grid.Cell(0, 1);
    CellFormat f;
    f.color = 0;
    ApplyCellFormat(grid, {0, 0, 1, 1}, f);
    EXPECT_EQ(grid.Cell(0, 1), title);
    EXPECT_EQ(grid.Cell(1, 1).Color, 0);
}

TEST_F(CellFormatSelectionTest, NewDataStyleFormatsTheTextsAgain)
{
    struct Case {
        TDataStyle style;
        QString typed;
        QString stored;
    };
    const Case cases[] = {
        {dsNumber, QStringLiteral("1234.5"), QStringLiteral("1,234.5")},
        {dsNumber, QStringLiteral("0"), QString()},
        {dsNumber, QStringLiteral("12a"), QStringLiteral("12a")}, // unreadable: kept
        {dsDate, QStringLiteral("2024/3/5"), QStringLiteral("2024-03-05")},
        {dsDate, QStringLiteral("tomorrow"), QStringLiteral("tomorrow")},
        {dsTime, QStringLiteral("8:30"), QStringLiteral("08:30:00")},
        {dsText, QStringLiteral("8:30"), QStringLiteral("8:30")},
    };
    for (const Case &c : cases) {
        TEasyGrid g{prompt, ScreenResolution{96, 96}};
        g.SetForeText(2, 2, c.typed);
        CellFormat f;
        f.dataStyle = c.style;
        f.thousandSep = true; // written before the texts are formatted
        ApplyCellFormat(g, {1, 1, 3, 3}, f);
        EXPECT_EQ(g.Cell(2, 2).DataStyle, c.style) << c.typed.toStdString();
        EXPECT_EQ(g.ForeText(2, 2), c.stored) << c.typed.toStdString();
    }
    // A text the new style cannot read is kept without troubling the operator.
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(CellFormatSelectionTest, StyleReplacesBoldAndItalicUnderlineGoesCellByCell)
{
    grid.SetCellProp(GridRect::Cell(1, 1), CellProp::FontStyle, int(kFontBold));
    grid.SetCellProp(GridRect::Cell(2, 1), CellProp::FontStyle, int(kFontItalic | kFontUnderline));

    CellFormat underlineOnly;
    underlineOnly.underline = true;
    ApplyCellFormat(grid, {1, 1, 2, 1}, underlineOnly);
    EXPECT_EQ(grid.Cell(1, 1).FontStyle, kFontBold | kFontUnderline);
    EXPECT_EQ(grid.Cell(2, 1).FontStyle, kFontItalic | kFontUnderline);

    // A chosen style leaves an undecided underline, and strike-out, as each cell has it.
    grid.SetCellProp(GridRect::Cell(2, 1), CellProp::FontStyle, int(kFontItalic | kFontStrikeOut));
    CellFormat styleOnly;
    styleOnly.fontStyle = kFontBold;
    ApplyCellFormat(grid, {1, 1, 2, 1}, styleOnly);
    EXPECT_EQ(grid.Cell(1, 1).FontStyle, kFontBold | kFontUnderline);
    EXPECT_EQ(grid.Cell(2, 1).FontStyle, kFontBold | kFontStrikeOut);

    CellFormat styleAndNoUnderline;
    styleAndNoUnderline.fontStyle = kFontBold | kFontItalic;
    styleAndNoUnderline.underline = false;
    ApplyCellFormat(grid, {1, 1, 2, 1}, styleAndNoUnderline);
    EXPECT_EQ(grid.Cell(1, 1).FontStyle, kFontBold | kFontItalic);
    EXPECT_EQ(grid.Cell(2, 1).FontStyle, kFontBold | kFontItalic | kFontStrikeOut);
}

TEST_F(CellFormatSelectionTest, MergeAsksAboutSeveralTextsAndSplitDissolves)
{
    grid.SetForeText(2, 1, QStringLiteral("x"));
    grid.SetForeText(1, 2, QStringLiteral("y"));
    CellFormat merge;
    merge.merged = true;

    prompt.answers.enqueue(PromptButton::Cancel);
    ApplyCellFormat(grid, {1, 1, 2, 2}, merge);
    EXPECT_FALSE(grid.IsMerged(1, 1));

    prompt.answers.enqueue(PromptButton::Ok);
    ApplyCellFormat(grid, {1, 1, 2, 2}, merge);
    EXPECT_EQ(grid.MergeRect(2, 2), (GridRect{1, 1, 2, 2}));
    EXPECT_EQ(Texts({1, 1, 2, 2}), QStringLiteral("x|/|"));
    EXPECT_EQ(Questions().size(), 2);

    CellFormat split;
    split.merged = false;
    ApplyCellFormat(grid, {1, 1, 2, 2}, split);
    EXPECT_FALSE(grid.IsMerged(2, 2));
    ExpectSoundBlocks();
}

TEST_F(CellFormatSelectionTest, RepaintingIsHeldUntilTheEnd)
{
    QList<GridRect> repainted;
    grid.SetRepaintHandler([&](const GridRect &rect) { repainted << rect; });
    CellFormat f = CollectCellFormat(grid, {1, 1, 3, 3});
    f.color = 0;
    f.fontSize = 20;
    ApplyCellFormat(grid, {1, 1, 3, 3}, f);
    ASSERT_FALSE(repainted.isEmpty());
    EXPECT_EQ(repainted, QList<GridRect>{grid.GridBounds()});
    EXPECT_TRUE(grid.AutoUpdate());
}

} // namespace
} // namespace pelvoro::test
