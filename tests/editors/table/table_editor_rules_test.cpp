// The table editor's rules without its window: page height, window size, the equal share of rows
// and columns, text paste, the size and font-size boxes and the file name.
#include "editors/table/table_editor_rules.h"

#include <gtest/gtest.h>

#include <QKeySequence>

namespace pelvoro::test {
namespace {

TEST(TableEditorRules, PageHeightIs64UnlessScreenAndMainAreaAreBoth64OrHigher)
{
    struct Case {
        int screenHeight;
        int mainHeight;
        int expected;
    };
    for (const Case c : {Case{32, 32, 64}, Case{128, 32, 64}, Case{32, 128, 64}, Case{64, 64, 64},
                         Case{128, 96, 96}, Case{0, 0, 64}}) {
        EXPECT_EQ(TableEditorPageHeight(c.screenHeight, c.mainHeight), c.expected)
            << c.screenHeight << " " << c.mainHeight;
    }
}

TEST(TableEditorRules, WindowFollowsThePreviousPageSize)
{
    struct Case {
        QSize window;
        int bars;
        QSize previous;
        QSize expected;
    };
    const Case cases[] = {
        // First call: no page yet, the height makes room for a 0-high page, the width stays.
        {{500, 300}, 100, {0, 0}, {500, 175}},
        // The room left is already page + 53: the height stays.
        {{500, 217}, 100, {256, 64}, {500, 217}},
        {{500, 300}, 100, {256, 64}, {500, 239}},
        // Width: page + 64 from 352 dots on, unless it is page + 23 already.
        {{500, 300}, 100, {352, 64}, {416, 239}},
        {{375, 300}, 100, {352, 64}, {375, 239}},
        {{500, 300}, 100, {351, 64}, {500, 239}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TableEditorWindowSize(c.window, c.bars, c.previous), c.expected) << c.previous.width();
}

TEST(TableEditorRules, FitShareSplitsTheAreaInsideTheMarginsAfterOneLineEach)
{
    struct Case {
        int extent;
        int before;
        int after;
        int count;
        int expected;
    };
    const Case cases[] = {
        {256, 0, 0, 5, 62}, // (256 - 5) div 4
        {128, 0, 0, 5, 30}, // (128 - 5) div 4
        {128, 10, 6, 5, 26},
        {64, 0, 0, 2, 62},
        {256, 0, 256, 5, -1}, // the conversion's margins: no room, truncated towards zero
        {0, 0, 0, 5, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TableFitShare(c.extent, c.before, c.after, c.count), c.expected) << c.extent << "/" << c.count;
}

TEST(TableEditorRules, FittedRowsKeepOneTextLine)
{
    const struct {
        int extent, before, after, count, points, expected;
    } cases[] = {
        {128, 0, 0, 5, 10, 30}, // the share is taller than a line
        {16, 1, 1, 5, 10, 13},  // a 16-row area: 2 dots a row, a line of 10 points is 13
        {16, 1, 1, 5, 16, 21},
        {0, 0, 0, 5, 9, 12}, // no room at all
    };
    for (const auto &c : cases)
        EXPECT_EQ(TableFitRowHeight(c.extent, c.before, c.after, c.count, c.points), c.expected)
            << c.extent << "/" << c.count << " at " << c.points << " points";
}

TEST(TableEditorRules, StartSizeFollowsTheWidthOnlyWithoutAScreenHeight)
{
    EXPECT_EQ(TableStartSizeFor(256, 64).cols, 5);
    EXPECT_EQ(TableStartSizeFor(256, 64).rows, 5);
    EXPECT_EQ(TableStartSizeFor(256, 0).cols, 5); // (256 - 1) div 61 + 1
    EXPECT_EQ(TableStartSizeFor(256, 0).rows, 4);
    EXPECT_EQ(TableStartSizeFor(62, 0).cols, 2);
}

TEST(TableEditorRules, PastedTextIsLaidOntoTheGrid)
{
    using Cells = std::vector<PastedCell>;
    struct Case {
        const char *name;
        QString text;
        GridRect selection;
        Cells expected;
    };
    const Case cases[] = {
        {"two lines of two fields at a single cell",
         "a\tb\r\nc\td\r\n",
         GridRect::Cell(1, 1),
         {{1, 1, "a"}, {2, 1, "b"}, {1, 2, "c"}, {2, 2, "d"}}},
        {"one field and a line break fills one cell", "x\r\n", GridRect::Cell(2, 3), {{2, 3, "x"}}},
        {"no line break changes nothing", "a\tb", GridRect::Cell(1, 1), {}},
        {"the text after the last line break is ignored", "a\r\nb", GridRect::Cell(1, 1), {{1, 1, "a"}}},
        {"empty text", "", GridRect::Cell(1, 1), {}},
        {"cut at the grid's last column and row",
         "a\tb\tc\r\nd\te\tf\r\n",
         GridRect::Cell(3, 4),
         {{3, 4, "a"}, {4, 4, "b"}}},
        {"cut to a larger selection",
         "a\tb\tc\r\nd\te\tf\r\ng\th\ti\r\n",
         GridRect{1, 1, 2, 2},
         {{1, 1, "a"}, {2, 1, "b"}, {1, 2, "d"}, {2, 2, "e"}}},
        {"a selection larger than the block takes the block only",
         "a\r\n",
         GridRect{1, 1, 3, 3},
         {{1, 1, "a"}}},
        {"the last line sets the width; fields run on in order",
         "a\tb\tc\r\nd\te\r\n",
         GridRect::Cell(1, 1),
         {{1, 1, "a"}, {2, 1, "b"}, {1, 2, "c"}, {2, 2, "d"}, {1, 3, "e"}}},
        {"fields keep blanks and empty fields", " 1 \t\r\n", GridRect::Cell(1, 1), {{1, 1, " 1 "}, {2, 1, ""}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlacePastedText(c.text, c.selection, 5, 5), c.expected) << c.name;
}

TEST(TableEditorRules, FontSizeBox)
{
    const std::pair<QString, QString> texts[] = {
        {"14", "14"}, {" 9 ", "9"}, {"", "12"}, {"abc", "12"}, {"10.5", "12"}, {"1e2", "12"}};
    for (const auto &[typed, expected] : texts)
        EXPECT_EQ(TableFontSizeText(typed), expected) << typed.toStdString();

    struct Key {
        int length;
        int key;
        QString text;
        bool accepted;
    };
    const Key keys[] = {
        {0, Qt::Key_1, "1", true},        {2, Qt::Key_Period, ".", true},  {2, Qt::Key_Backspace, "\b", true},
        {1, Qt::Key_Return, "\r", true},  {1, Qt::Key_A, "a", false},      {1, Qt::Key_Minus, "-", false},
        {3, Qt::Key_1, "1", false},       {3, Qt::Key_Backspace, "\b", false}, {4, Qt::Key_Return, "\r", false},
    };
    for (const Key &k : keys)
        EXPECT_EQ(TableFontSizeKeyAccepted(k.length, k.key, k.text), k.accepted) << k.length << " " << k.key;
}

TEST(TableEditorRules, SizeSpinsStopGoingDownAt10)
{
    EXPECT_EQ(TableSizeSpinUp(20), 21);
    EXPECT_EQ(TableSizeSpinUp(10), 11);
    EXPECT_EQ(TableSizeSpinDown(20), 19);
    EXPECT_EQ(TableSizeSpinDown(11), 10);
    EXPECT_EQ(TableSizeSpinDown(10), 10);
    EXPECT_EQ(TableSizeSpinDown(3), 3);
}

TEST(TableEditorRules, FileNames)
{
    EXPECT_EQ(TableSuggestedName(0), "Tavrel1-1.bls");
    EXPECT_EQ(TableSuggestedName(11), "Tavrel12-1.bls");
    const std::pair<QString, QString> names[] = {
        {"/d/plan", "/d/plan.bls"},       {"/d/plan.bls", "/d/plan.bls"}, {"/d/plan.BLS", "/d/plan.BLS"},
        {"/d/plan.Bls", "/d/plan.Bls"},   {"/d/plan.txt", "/d/plan.txt.bls"}, {"/d/bls", "/d/bls.bls"},
    };
    for (const auto &[chosen, expected] : names)
        EXPECT_EQ(TableSaveName(chosen), expected) << chosen.toStdString();
}

} // namespace
} // namespace pelvoro::test
