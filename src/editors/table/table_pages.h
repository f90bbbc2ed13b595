#pragma once

#include "editors/table/grid_types.h"

#include <QColor>
#include <QPen>
#include <QRect>
#include <QString>

#include <array>
#include <exception>
#include <vector>

class QPainter;

// A grid cut into pages of a page frame, and one page drawn onto a canvas. The display conversion
// draws every page into a black image of the display area; the table editor's preview draws the
// same pages. Nothing here needs a widget: the canvas is any QPainter.
namespace pelvoro {

class TCustomEasyGrid;

inline const QString kTitleTooLarge = QStringLiteral("标题区过大,请重新调整参数后再次尝试。");
// Fixed rows (columns) repeated on every page that leave no room for a scrolling one; %1 is how many
// rows (columns) a page holds.
inline const QString kFixedRowsFillThePage =
    QStringLiteral("固定行占满了页面,没有位置显示数据行(每页只放得下%1行),请重新调整参数后再次尝试。");
inline const QString kFixedColsFillThePage =
    QStringLiteral("固定列占满了页面,没有位置显示数据列(每页只放得下%1列),请重新调整参数后再次尝试。");

// Pagination found no room for the table: the title, or the fixed rows or columns, shown on every page
// fill the page.
class ETablePageError : public std::exception {
public:
    explicit ETablePageError(QString message) : message_(std::move(message)), what_(message_.toUtf8()) {}
    const QString &Message() const { return message_; }
    const char *what() const noexcept override { return what_.constData(); }

private:
    QString message_;
    QByteArray what_;
};

// The column (row) parts of a page, left to right (top to bottom).
enum PagePart { kTitlePart = 0, kFixedPart = 1, kBandPart = 2 };

// One of a page's nine regions: where its cells go on the page (unscaled pixels) and which cells.
struct PageRegion {
    bool Visible = false;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    GridRect Cells;

    friend bool operator==(const PageRegion &, const PageRegion &) = default;
};

// The room for "承前页" above and "过次页" below the table part of a page.
struct ConjunctionBox {
    bool Visible = false;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;

    friend bool operator==(const ConjunctionBox &, const ConjunctionBox &) = default;
};

struct PageLayout {
    int Page = 0;                      // 0-based page number
    int ColBand = 0;                   // t
    int RowBand = 0;                   // o
    std::array<PageRegion, 9> Regions; // row part × 3 + column part
    ConjunctionBox Top;
    ConjunctionBox Bottom;

    PageRegion &Region(PagePart colPart, PagePart rowPart) { return Regions[rowPart * 3 + colPart]; }
    const PageRegion &Region(PagePart colPart, PagePart rowPart) const { return Regions[rowPart * 3 + colPart]; }
};

// Left, top, right and bottom margins in pixels.
struct PageMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    friend bool operator==(const PageMargins &, const PageMargins &) = default;
};

// A table colour as drawn: RGB colours as stored, the default-colour value by its low 24 bits, the
// few system colours a table file carries by their usual values.
QColor TableColor(TColor color);
// The black pen of a cell's border lines: the dash pattern of `style` at width 1, solid when wider.
QPen CellBorderPen(int width, TPenStyle style);

// The pagination and page drawing of one grid. The pager keeps the grid's margin rectangle; every
// pagination copies it into the page options' margins first.
class TablePager {
public:
    explicit TablePager(TCustomEasyGrid &grid) : grid_(grid) {}

    void SetPageFrame(int width, int height, const PageMargins &margins);
    const PageMargins &MarginRect() const { return margins_; }
    void SetMarginRect(const PageMargins &margins) { margins_ = margins; }

    // Paginates and returns the number of pages. ETablePageError when the title does not fit.
    int GetPageCount();
    // The layouts of the last GetPageCount, in the order the pages were laid out.
    const std::vector<PageLayout> &Layouts() const { return layouts_; }
    // The last bands of the scrolling columns and rows of the last pagination.
    const std::vector<int> &ColBands() const { return colBands_; }
    const std::vector<int> &RowBands() const { return rowBands_; }

    // Page `page` (1-based) with its top-left corner at the rectangle's: turns MonoColored off,
    // paginates and paints. ETablePageError (and nothing painted) when pagination fails.
    void DrawPage(QPainter &painter, const QRect &rect, int page);
    // Paints the page numbered `index` (0-based) of the last pagination; an index without a layout
    // gets the black background only.
    void PaintPage(QPainter &painter, const QRect &rect, int index);

private:
    struct Axis;
    void PaginateBands();
    PageLayout LayoutPage(int u) const;
    // What the bands of a row band (of every column band) may fill.
    int RowRoom(int rowBand) const;
    int ColRoom() const;
    // Whether a row band ending at `lastRow` would cut a text line of a merged block in two.
    bool EndCutsBlockText(int lastRow) const;
    int PageNumberOf(int u) const;
    void PaintLayout(QPainter &painter, const QRect &rect, const PageLayout &layout);

    TCustomEasyGrid &grid_;
    PageMargins margins_;
    std::vector<int> colBands_;
    std::vector<int> rowBands_;
    int fixedCols_ = 0; // the fixed columns and rows as the last pagination placed them
    int fixedRows_ = 0;
    std::vector<PageLayout> layouts_;
};

} // namespace pelvoro
