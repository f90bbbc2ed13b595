#include "editors/table/table_pages.h"

#include "grid_fixture.h"

#include <QPainter>

#include <functional>
#include <vector>

namespace pelvoro::test {
namespace {

// One page's layout in a line: the page, its bands, each visible region as "CR x,y wxh cells"
// (C and R the column and row part: T title, F fixed, B band) and the conjunction boxes.
QString Describe(const PageLayout &layout)
{
    static const char kParts[] = "TFB";
    QStringList parts{QStringLiteral("p%1 t%2 o%3").arg(layout.Page).arg(layout.ColBand).arg(layout.RowBand)};
    if (layout.Top.Visible)
        parts << QStringLiteral("top %1,%2 %3x%4")
                     .arg(layout.Top.X)
                     .arg(layout.Top.Y)
                     .arg(layout.Top.Width)
                     .arg(layout.Top.Height);
    for (int i = 0; i < 9; ++i) {
        const PageRegion &r = layout.Regions[i];
        if (!r.Visible)
            continue;
        parts << QStringLiteral("%1%2 %3,%4 %5x%6 %7,%8-%9,%10")
                     .arg(QChar(kParts[i % 3]))
                     .arg(QChar(kParts[i / 3]))
                     .arg(r.X)
                     .arg(r.Y)
                     .arg(r.Width)
                     .arg(r.Height)
                     .arg(r.Cells.Left)
                     .arg(r.Cells.Top)
                     .arg(r.Cells.Right)
                     .arg(r.Cells.Bottom);
    }
    if (layout.Bottom.Visible)
        parts << QStringLiteral("bottom %1,%2 %3x%4")
                     .arg(layout.Bottom.X)
                     .arg(layout.Bottom.Y)
                     .arg(layout.Bottom.Width)
                     .arg(layout.Bottom.Height);
    return parts.join(QStringLiteral(" | "));
}

class TablePagesTest : public GridTest {
protected:
    // Sizes of the title column (row) first, then the others; page options reset to a plain page.
    void Shape(const std::vector<int> &widths, const std::vector<int> &heights, int fixedCols = 0, int fixedRows = 0)
    {
        grid.SetColCount(int(widths.size()));
        grid.SetRowCount(int(heights.size()));
        grid.SetDefaultRowHeight(5); // the conjunction boxes' height

        for (int i = 0; i < int(widths.size()); ++i)
            grid.SetColWidth(i, widths[i]);
        for (int i = 0; i < int(heights.size()); ++i)
            grid.SetRowHeight(i, heights[i]);
        grid.SetFixedCols(fixedCols);
        grid.SetFixedRows(fixedRows);
        TEasyGridPageInfo &info = grid.PageInfo();
        info.HorzCenter = info.VertCenter = info.PrintColTitle = info.PrintRowTitle = false;
        info.PrintFixedCols = info.PrintConjunction = false;
        info.HorzSplit = info.PrintGridLine = info.PrintFixedRows = true;
        info.Common.Scale = 100;
        info.Common.TitleExtent = info.Common.TitleOffset = 0;
    }
    QStringList Layouts(int width, int height)
    {
        pager.SetPageFrame(width, height, {});
        const int count = pager.GetPageCount();
        QStringList described;
        for (const PageLayout &layout : pager.Layouts())
            described << Describe(layout);
        EXPECT_EQ(count, described.size());
        return described;
    }
    QImage Draw(int page, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        pager.SetPageFrame(width, height, {});
        pager.DrawPage(painter, QRect(0, 0, width, height), page);
        return image;
    }

    TablePager pager{grid};
};

struct LayoutCase {
    const char *name;
    std::vector<int> widths;
    std::vector<int> heights;
    int fixedCols;
    int fixedRows;
    std::function<void(TEasyGridPageInfo &)> options;
    int width;
    int height;
    QStringList expected;
};

TEST_F(TablePagesTest, LayoutsOfSmallGrids)
{
    const auto none = [](TEasyGridPageInfo &) {};
    const std::vector<LayoutCase> cases = {
        {"client columns and the lines between them filling the width fit one band",
         {20, 10, 20, 30},
         {20, 10},
         0,
         0,
         none,
         62,
         20,
         {"p0 t0 o0 | BB 0,0 62x10 1,1-3,1"}},
        {"one pixel less gives two bands",
         {20, 10, 20, 30},
         {20, 10},
         0,
         0,
         none,
         61,
         20,
         {"p0 t0 o0 | BB 0,0 31x10 1,1-2,1", "p1 t1 o0 | BB 0,0 30x10 3,1-3,1"}},
        {"a column wider than the page is a band of its own",
         {20, 10, 100, 10},
         {20, 10},
         0,
         0,
         none,
         50,
         20,
         {"p0 t0 o0 | BB 0,0 10x10 1,1-1,1", "p1 t1 o0 | BB 0,0 100x10 2,1-2,1", "p2 t2 o0 | BB 0,0 10x10 3,1-3,1"}},
        {"down first: page 1 is column band 0, row band 1",
         {20, 30, 30},
         {20, 10, 10, 10},
         0,
         0,
         [](TEasyGridPageInfo &info) { info.HorzSplit = false; },
         30,
         10,
         {"p0 t0 o0 | BB 0,0 30x10 1,1-1,1", "p3 t1 o0 | BB 0,0 30x10 2,1-2,1", "p1 t0 o1 | BB 0,0 30x10 1,2-1,2",
          "p4 t1 o1 | BB 0,0 30x10 2,2-2,2", "p2 t0 o2 | BB 0,0 30x10 1,3-1,3", "p5 t1 o2 | BB 0,0 30x10 2,3-2,3"}},
        // Title, line, fixed row, line, row: 30 rows below the first page's origin 2 rows down.
        {"titles and fixed parts",
         {15, 12, 20, 20},
         {8, 9, 10, 10},
         1,
         1,
         [](TEasyGridPageInfo &info) { info.PrintColTitle = info.PrintRowTitle = true; },
         40,
         32,
         // The title and fixed column leave no room for column 2: they make a page alone (the
         // fixed column is not repeated). The fixed row takes room on every row band.
         {"p0 t0 o0 | TT 0,0 15x8 0,0-0,0 | FT 16,0 12x8 1,0-1,0 | TF 0,9 15x9 0,1-0,1 | FF 16,9 12x9 1,1-1,1"
          " | TB 0,19 15x10 0,2-0,2 | FB 16,19 12x10 1,2-1,2",
          "p1 t1 o0 | TT 0,0 15x8 0,0-0,0 | BT 16,0 20x8 2,0-2,0 | TF 0,9 15x9 0,1-0,1 | BF 16,9 20x9 2,1-2,1"
          " | TB 0,19 15x10 0,2-0,2 | BB 16,19 20x10 2,2-2,2",
          "p2 t2 o0 | TT 0,0 15x8 0,0-0,0 | BT 16,0 20x8 3,0-3,0 | TF 0,9 15x9 0,1-0,1 | BF 16,9 20x9 3,1-3,1"
          " | TB 0,19 15x10 0,2-0,2 | BB 16,19 20x10 3,2-3,2",
          "p3 t0 o1 | TT 0,0 15x8 0,0-0,0 | FT 16,0 12x8 1,0-1,0 | TF 0,9 15x9 0,1-0,1 | FF 16,9 12x9 1,1-1,1"
          " | TB 0,19 15x10 0,3-0,3 | FB 16,19 12x10 1,3-1,3",
          "p4 t1 o1 | TT 0,0 15x8 0,0-0,0 | BT 16,0 20x8 2,0-2,0 | TF 0,9 15x9 0,1-0,1 | BF 16,9 20x9 2,1-2,1"
          " | TB 0,19 15x10 0,3-0,3 | BB 16,19 20x10 2,3-2,3",
          "p5 t2 o1 | TT 0,0 15x8 0,0-0,0 | BT 16,0 20x8 3,0-3,0 | TF 0,9 15x9 0,1-0,1 | BF 16,9 20x9 3,1-3,1"
          " | TB 0,19 15x10 0,3-0,3 | BB 16,19 20x10 3,3-3,3"}},
        {"repeated fixed rows take room on every row band",
         {5, 20},
         {5, 4, 5, 5, 5},
         0,
         1,
         [](TEasyGridPageInfo &info) { info.PrintFixedRows = true; },
         20,
         18,
         {"p0 t0 o0 | BF 0,0 20x4 1,1-1,1 | BB 0,5 20x11 1,2-1,3", "p1 t0 o1 | BF 0,0 20x4 1,1-1,1 | BB 0,5 20x5 1,4-1,4"}},
        {"fixed rows only on the first row band unless printed",
         {5, 20},
         {5, 4, 10, 10},
         0,
         1,
         [](TEasyGridPageInfo &info) { info.PrintFixedRows = false; },
         20,
         17,
         {"p0 t0 o0 | BF 0,0 20x4 1,1-1,1 | BB 0,5 20x10 1,2-1,2", "p1 t0 o1 | BB 0,0 20x10 1,3-1,3"}},
        {"fixed rows shown once and taller than the first page flow on as rows",
         {5, 20},
         {5, 10, 10, 10},
         0,
         2,
         [](TEasyGridPageInfo &info) { info.PrintFixedRows = false; },
         20,
         20,
         {"p0 t0 o0 | BB 0,0 20x10 1,1-1,1", "p1 t0 o1 | BB 0,0 20x10 1,2-1,2", "p2 t0 o2 | BB 0,0 20x10 1,3-1,3"}},
        {"conjunction boxes: none above the first band, none below the last page",
         {5, 20},
         {5, 10, 10, 10},
         0,
         0,
         [](TEasyGridPageInfo &info) { info.PrintConjunction = true; },
         20,
         29,
         {"p0 t0 o0 | BB 0,0 20x21 1,1-1,2 | bottom 0,22 20x5", "p1 t0 o1 | top 0,0 20x5 | BB 0,6 20x10 1,3-1,3"}},
        {"centred both ways",
         {5, 20},
         {5, 10},
         0,
         0,
         [](TEasyGridPageInfo &info) { info.HorzCenter = info.VertCenter = true; },
         40,
         30,
         {"p0 t0 o0 | BB 10,10 20x10 1,1-1,1"}},
        // The page is drawn unscaled: centring stops where the table would leave the page.
        {"centring at half scale",
         {5, 20},
         {5, 10},
         0,
         0,
         [](TEasyGridPageInfo &info) {
             info.HorzCenter = true;
             info.Common.Scale = 50;
         },
         40,
         30,
         {"p0 t0 o0 | BB 20,0 20x10 1,1-1,1"}},
        {"no empty page follows, whatever the end of the page keeps",
         {5, 20},
         {5, 10, 10},
         0,
         0,
         [](TEasyGridPageInfo &info) { info.Common.TitleExtent = 10; },
         20,
         25,
         {"p0 t0 o0 | BB 0,0 20x21 1,1-1,2"}},
    };
    for (const LayoutCase &c : cases) {
        SCOPED_TRACE(c.name);
        Shape(c.widths, c.heights, c.fixedCols, c.fixedRows);
        c.options(grid.PageInfo());
        const QStringList layouts = Layouts(c.width, c.height);
        EXPECT_EQ(layouts, c.expected) << layouts.join(QLatin1Char('\n')).toStdString();
    }
}

TEST_F(TablePagesTest, ATitleThatFillsThePageIsAnError)
{
    struct Case {
        const char *name;
        std::function<void(TEasyGridPageInfo &)> options;
    };
    for (const Case &c : {Case{"row title", [](TEasyGridPageInfo &info) { info.PrintColTitle = true; }},
                          Case{"column title", [](TEasyGridPageInfo &info) { info.PrintRowTitle = true; }}}) {
        SCOPED_TRACE(c.name);
        Shape({19, 10}, {19, 10});
        c.options(grid.PageInfo());
        pager.SetPageFrame(20, 20, {});
        try {
            pager.GetPageCount();
            ADD_FAILURE() << "no error";
        } catch (const ETablePageError &error) {
            EXPECT_EQ(error.Message(), kTitleTooLarge);
        }
        // Nothing is painted when the page cannot be made.
        QImage image(20, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        EXPECT_THROW(pager.DrawPage(painter, image.rect(), 1), ETablePageError);
        painter.end();
        EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
    }
    // Room for the title with the first page's origin two rows down.
    Shape({16, 10}, {16, 10});
    grid.PageInfo().PrintColTitle = grid.PageInfo().PrintRowTitle = true;
    pager.SetPageFrame(20, 20, {});
    EXPECT_EQ(pager.GetPageCount(), 1);
}

TEST_F(TablePagesTest, FixedPartsThatLeaveNoRoomForDataAreAnError)
{
    const struct {
        const char *name;
        std::vector<int> widths;
        std::vector<int> heights;
        int fixedCols, fixedRows;
        QString message;
        int pagesShownOnce;
    } cases[] = {
        // 17 + 16 rows of fixed part with their lines, 30 rows below the first page's origin.
        {"rows", {5, 60}, {5, 16, 15, 10, 10}, 0, 2, kFixedRowsFillThePage.arg(1), 3},
        {"columns", {5, 20, 20, 25, 10}, {5, 10}, 3, 0, kFixedColsFillThePage.arg(2), 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Shape(c.widths, c.heights, c.fixedCols, c.fixedRows);
        grid.PageInfo().PrintFixedRows = grid.PageInfo().PrintFixedCols = true;
        pager.SetPageFrame(60, 32, {});
        try {
            pager.GetPageCount();
            ADD_FAILURE() << "no error";
        } catch (const ETablePageError &error) {
            EXPECT_EQ(error.Message(), c.message);
        }
        // Shown on the first page only, the fixed part flows on as ordinary rows (columns).
        grid.PageInfo().PrintFixedRows = grid.PageInfo().PrintFixedCols = false;
        EXPECT_EQ(pager.GetPageCount(), c.pagesShownOnce);
    }
}

TEST_F(TablePagesTest, MarginsComeFromTheFramesRectangle)
{
    Shape({5, 10, 10, 10}, {5, 10});
    pager.SetPageFrame(40, 20, {5, 1, 10, 2});
    EXPECT_EQ(pager.GetPageCount(), 2); // 25 dots wide: columns 1-2, then 3
    EXPECT_EQ(grid.PageInfo().Common.LeftMargin, 5);
    EXPECT_EQ(grid.PageInfo().Common.BottomMargin, 2);
}

// Pixels of `image` in `colour` within the rectangle.
int Count(const QImage &image, const QRect &rect, QRgb colour)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += image.pixel(x, y) == colour;
    }
    return count;
}

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;

TEST_F(TablePagesTest, TheFirstPageSitsOneDotRightAndThreeLower)
{
    // Three column bands in the first row band.
    Shape({5, 10, 10, 10}, {5, 10});
    grid.SetClientLineColor(kColorRed);
    grid.SetCellColor(0x00FF00); // green cells
    const std::array<QImage, 3> pages = {Draw(1, 12, 20), Draw(2, 12, 20), Draw(3, 12, 20)};
    // Page 1: the cell covers x 0..9, y 2..11, its frame line lies above it at y 1, and the frame's
    // left line covers the cell's first column.
    EXPECT_EQ(Count(pages[0], QRect(1, 2, 9, 10), kGreen), 90);
    EXPECT_EQ(pages[0].pixel(0, 5), kRed);
    EXPECT_EQ(pages[0].pixel(0, 1), kRed);
    EXPECT_EQ(pages[0].pixel(0, 12), kRed); // closing frame line below the band
    EXPECT_EQ(pages[0].pixel(10, 5), kRed); // and right of it
    // Pages 2 and 3: the same cell one dot left and three up: x -1..8, y -1..8.
    for (int p = 1; p < 3; ++p) {
        SCOPED_TRACE(p + 1);
        EXPECT_EQ(Count(pages[p], QRect(0, 0, 9, 9), kGreen), 81);
        EXPECT_EQ(pages[p].pixel(9, 4), kRed);
        EXPECT_EQ(pages[p].pixel(4, 9), kRed);
        EXPECT_EQ(pages[p].pixel(11, 15), kBlack); // the page's background
    }
}

TEST_F(TablePagesTest, DrawnPagesFollowThePageOrder)
{
    // Two column bands (green, red) × three row bands.
    Shape({5, 30, 30}, {5, 10, 10, 10});
    grid.SetCellProp({1, 1, 1, 3}, CellProp::Color, 0x00FF00);
    grid.SetCellProp({2, 1, 2, 3}, CellProp::Color, int(kColorRed));
    const struct {
        bool across;
        int page;
        QRgb colour;
    } cases[] = {{false, 2, kGreen}, {false, 3, kGreen}, {false, 4, kRed}, {true, 2, kRed}, {true, 3, kGreen}};
    for (const auto &c : cases) {
        grid.PageInfo().HorzSplit = c.across;
        EXPECT_EQ(Draw(c.page, 30, 10).pixel(10, 5), c.colour) << (c.across ? "across " : "down ") << c.page;
    }
    EXPECT_EQ(Count(Draw(7, 30, 10), QRect(0, 0, 30, 10), kBlack), 300); // no such page: background only
}

TEST_F(TablePagesTest, MergedBlockAcrossBandsIsDrawnOnBothPagesWithoutLinesInside)
{
    Shape({5, 10, 10, 10, 10}, {5, 10, 10});
    grid.SetClientLineColor(kColorRed);
    grid.SetCellColor(kColorBlack);
    grid.SetCellProp({2, 1, 3, 2}, CellProp::Color, 0x00FF00);
    ASSERT_TRUE(grid.MergeCells({2, 1, 3, 2}, false));
    pager.SetPageFrame(21, 30, {});
    ASSERT_EQ(pager.GetPageCount(), 2); // columns 1-2 and 3-4
    const QImage first = Draw(1, 21, 30);
    const QImage second = Draw(2, 21, 30);
    // Page 1, origin (0, 2): the block from x 11 to the region's edge at 21, rows y 2..22, no line
    // between its rows (y 12).
    EXPECT_EQ(Count(first, QRect(11, 2, 10, 21), kGreen), 210);
    EXPECT_EQ(first.pixel(5, 12), kRed); // a line between rows left of the block
    // Page 2, origin (-1, -1): the block's last column at x -1..8, still green across y 9.
    EXPECT_EQ(Count(second, QRect(0, 0, 9, 20), kGreen), 180);
    EXPECT_EQ(second.pixel(9, 5), kRed);  // the line after the block
    EXPECT_EQ(second.pixel(15, 9), kRed); // a line between rows right of it
}

// A band wider (taller) than the page and centred begins left of (above) the page; its lines
// between rows (columns) are drawn all the same.
TEST_F(TablePagesTest, GridLinesOfABandCentredPastThePageEdge)
{
    const struct {
        const char *name;
        std::vector<int> widths;
        std::vector<int> heights;
        bool horizontal;
        QSize page;
        QPoint onLine; // page 1 is drawn from (0, 2)
    } cases[] = {
        {"wide band centred across", {5, 100}, {5, 10, 10}, true, {60, 40}, {30, 12}},
        {"tall band centred down", {5, 10, 10}, {5, 100}, false, {40, 60}, {10, 30}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Shape(c.widths, c.heights);
        grid.SetClientLineColor(kColorRed);
        grid.SetCellColor(kColorBlack);
        grid.PageInfo().HorzCenter = c.horizontal;
        grid.PageInfo().VertCenter = !c.horizontal;
        const QImage page = Draw(1, c.page.width(), c.page.height());
        EXPECT_EQ(page.pixel(c.onLine), kRed);
    }
}

// Every page shows its last row whole, and no page is empty: band sizes count the lines between
// rows and the first page's lower origin.
TEST_F(TablePagesTest, EveryPageShowsItsLastRowWhole)
{
    const struct {
        const char *name;
        int rows, rowHeight;
        QSize page;
        int pages;
    } cases[] = {
        {"three rows filling a page but for the lines", 3, 10, {60, 32}, 2},
        {"a long table", 60, 7, {60, 32}, 16},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> heights(size_t(c.rows) + 1, c.rowHeight);
        Shape({5, 50}, heights);
        grid.SetClientLineColor(kColorRed);
        grid.SetCellColor(0x00FF00);
        pager.SetPageFrame(c.page.width(), c.page.height(), {});
        ASSERT_EQ(pager.GetPageCount(), c.pages);
        for (int p = 1; p <= c.pages; ++p) {
            SCOPED_TRACE(p);
            const QImage page = Draw(p, c.page.width(), c.page.height());
            int lowestGreen = -1;
            for (int y = 0; y < page.height(); ++y) {
                if (page.pixel(20, y) == kGreen)
                    lowestGreen = y;
            }
            ASSERT_GE(lowestGreen, c.rowHeight - 1);
            EXPECT_EQ(Count(page, QRect(20, lowestGreen - c.rowHeight + 1, 1, c.rowHeight), kGreen), c.rowHeight);
            EXPECT_NE(page.pixel(20, lowestGreen - c.rowHeight), kGreen);
        }
    }
}

TEST_F(TablePagesTest, TextsAlignInTheirCellsAndBordersAreBlack)
{
    Shape({5, 60, 60, 60}, {5, 30});
    grid.PageInfo().PrintGridLine = false;
    grid.SetCellColor(kColorBlack);
    grid.SetCellFontColor(kColorRed);
    grid.SetCellFontSize(9);
    grid.SetCellProp({1, 1, 1, 1}, CellProp::AlignMode, int(taTopLeft));
    grid.SetCellProp({2, 1, 2, 1}, CellProp::AlignMode, int(taCenter));
    grid.SetCellProp({3, 1, 3, 1}, CellProp::AlignMode, int(taBottomRight));
    for (int col = 1; col <= 3; ++col)
        grid.SetForeText(col, 1, QStringLiteral("88"));
    const QImage page = Draw(1, 200, 40);
    // Cells at x 0, 61, 122 and y 2, each 60 × 30; text inside the 2-dot inset.
    const auto litBox = [&](int left) {
        QRect box;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = left; x < left + 60; ++x) {
                if (page.pixel(x, y) == kRed)
                    box = box.united(QRect(x, y, 1, 1));
            }
        }
        return box;
    };
    const QRect topLeft = litBox(0);
    const QRect centre = litBox(61);
    const QRect bottomRight = litBox(122);
    ASSERT_FALSE(topLeft.isEmpty());
    EXPECT_LE(topLeft.left(), 4);
    EXPECT_LE(topLeft.top(), 8);
    EXPECT_NEAR(centre.center().x(), 61 + 30, 2);
    EXPECT_NEAR(centre.center().y(), 2 + 15, 3);
    EXPECT_GE(bottomRight.right(), 122 + 55);
    EXPECT_GE(bottomRight.bottom(), 2 + 24);
    // Only pure red and black: no smoothing.
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x)
            ASSERT_TRUE(page.pixel(x, y) == kRed || page.pixel(x, y) == kBlack) << x << "," << y;
    }

    // A 3-dot top border runs black over the first two rows of a white cell.
    grid.SetCellProp({1, 1, 1, 1}, CellProp::Color, int(kColorWhite));
    grid.SetCellProp({1, 1, 1, 1}, CellProp::LineWidth, 3);
    grid.SetCellProp({1, 1, 1, 1}, CellProp::DrawTop, true);
    const QImage bordered = Draw(1, 200, 40);
    EXPECT_EQ(bordered.pixel(30, 2), kBlack);
    EXPECT_EQ(bordered.pixel(30, 3), kBlack);
    EXPECT_EQ(bordered.pixel(30, 4), kWhite);
}

// A cell's 9-point font, as pages draw it.
QFont CellFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Red dots of `text` drawn alone in the cell font.
int TextDots(const QString &text)
{
    QImage canvas(200, 60, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setFont(CellFont());
    painter.setPen(Qt::red);
    painter.drawText(QPoint(10, 30), text);
    painter.end();
    return Count(canvas, canvas.rect(), kRed);
}

// Text wrapped in a narrow cell shows whole lines: those the cell cannot hold are left out, not cut
// in halves; and a row band ends between the lines of a merged block it divides.
TEST_F(TablePagesTest, CellTextLinesAreDrawnWhole)
{
    // One character a line, in the font's line pitch; the ink of a line lies `inkTop` to
    // `inkBottom` rows below its top.
    const QFontMetrics metrics(CellFont());
    const int pitch = metrics.height();
    const QRect ink = metrics.tightBoundingRect(u"人民公园"_qs);
    const int inkBottom = metrics.ascent() + ink.bottom();
    ASSERT_LE(ink.height(), pitch - 2); // room between lines for a grid line
    // Top-aligned lines begin 2 dots into the cell: the first row ends just under the second line.
    const int firstRow = 2 + pitch + inkBottom + 1;
    const struct {
        const char *name;
        std::vector<int> heights;
        int pageHeight, pages;
        TAlignMode align;
        QString shown;
    } cases[] = {
        {"four lines in a cell one line high", {5, pitch + 4}, 40, 1, taCenter, u"人"_qs},
        // Rows 1 and 2 would fill the first page, ending inside the third line.
        {"a merged block across two row bands",
         {5, firstRow, pitch / 2, 2 * pitch},
         firstRow + pitch / 2 + 3,
         2,
         taTopLeft,
         u"人民公园"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Shape({5, 20}, c.heights);
        const int rows = int(c.heights.size()) - 1;
        grid.PageInfo().PrintGridLine = false;
        grid.SetCellColor(kColorBlack);
        grid.SetCellFontColor(kColorRed);
        grid.SetCellFontSize(9);
        grid.SetCellAutoWordBreak(true);
        grid.SetCellProp({1, 1, 1, rows}, CellProp::AlignMode, int(c.align));
        if (rows > 1) {
            ASSERT_TRUE(grid.MergeCells({1, 1, 1, rows}, false));
        }
        grid.SetForeText(1, 1, u"人民公园"_qs);
        pager.SetPageFrame(60, c.pageHeight, {});
        ASSERT_EQ(pager.GetPageCount(), c.pages);
        int lit = 0;
        for (int p = 1; p <= c.pages; ++p) {
            const QImage page = Draw(p, 60, c.pageHeight);
            lit += Count(page, page.rect(), kRed);
        }
        int expected = 0;
        for (QChar character : c.shown)
            expected += TextDots(character);
        EXPECT_EQ(lit, expected);
    }
}

TEST_F(TablePagesTest, ConjunctionTextsOnWhite)
{
    Shape({5, 60}, {5, 20, 20, 20});
    grid.SetDefaultRowHeight(14);
    for (int row = 1; row <= 3; ++row)
        grid.SetRowHeight(row, 20);
    grid.SetCellColor(kColorBlack);
    grid.PageInfo().PrintConjunction = true;
    pager.SetPageFrame(60, 40, {});
    ASSERT_EQ(pager.GetPageCount(), 3);
    const QImage middle = Draw(2, 60, 40);
    // Top box at y 0..13 of the page (origin -1, +1): white text background somewhere inside.
    EXPECT_GT(Count(middle, QRect(0, 1, 60, 13), kWhite), 0);
    const QImage last = Draw(3, 60, 40);
    EXPECT_EQ(Count(last, QRect(0, 37, 60, 3), kWhite), 0); // no bottom box on the last page
}

} // namespace
} // namespace pelvoro::test
