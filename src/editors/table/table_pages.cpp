#include "editors/table/table_pages.h"

#include "editors/table/column_names.h"
#include "editors/table/grid_model.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>

namespace pelvoro {
namespace {

constexpr std::array<std::pair<PagePart, PagePart>, 9> kPaintOrder = {{
    {kTitlePart, kTitlePart},
    {kFixedPart, kTitlePart},
    {kTitlePart, kFixedPart},
    {kBandPart, kTitlePart},
    {kTitlePart, kBandPart},
    {kFixedPart, kFixedPart},
    {kBandPart, kFixedPart},
    {kFixedPart, kBandPart},
    {kBandPart, kBandPart},
}};

// Where pages are drawn, relative to their margins: one dot further down than the margin on later row
// bands, two on the first page (PaintLayout).
constexpr int kFirstPageDown = 2;
constexpr int kLaterRowBandDown = 1;

// Rounded half to even, as the page options have always been scaled.
int RoundScaled(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

int ScaleOf(const TCommonPageInfo &common)
{
    return common.Scale > 0 ? common.Scale : 100;
}

// The shift that centres `total` pixels (shown at the page's scale) in `available`.
int CentringOffset(int available, int total, int scale)
{
    return RoundScaled((available - total * scale / 100.0) * 100.0 / scale) / 2;
}

QFont PageFont(const QString &family, int points, TFontStyles style)
{
    QFont font(family.isEmpty() ? QStringLiteral("宋体") : family);
    // Points at 96 pixels per inch, whatever the canvas claims.
    font.setPixelSize(std::max(1, RoundScaled(points * 96.0 / 72.0)));
    font.setBold((style & kFontBold) != 0);
    font.setItalic((style & kFontItalic) != 0);
    font.setUnderline((style & kFontUnderline) != 0);
    font.setStrikeOut((style & kFontStrikeOut) != 0);
    // LED dots are on or off: no smoothing.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Pens of one pixel keep their dash patterns; wider pens draw solid, as the station's pens always have.
QPen BorderPen(int width, TPenStyle style)
{
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, width));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (style == psClear) {
        pen.setStyle(Qt::NoPen);
    } else if (width <= 1) {
        switch (style) {
        case psDash:
            pen.setDashPattern({18, 6});
            break;
        case psDot:
            pen.setDashPattern({3, 3});
            break;
        case psDashDot:
            pen.setDashPattern({9, 6, 3, 6});
            break;
        case psDashDotDot:
            pen.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        default:
            break;
        }
    }
    return pen;
}

// A line from `from` up to, but not including, `to`.
void LineTo(QPainter &painter, QPoint from, QPoint to)
{
    const QPoint step((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
    if (step.isNull())
        return;
    painter.drawLine(from, to - step);
}

// The outline of the rectangle whose right and bottom edges lie outside it, the pen centred on it.
void FrameRect(QPainter &painter, int x1, int y1, int x2, int y2, int width, const QColor &color)
{
    const int in = width / 2;
    const int left = x1 - in;
    const int top = y1 - in;
    const int right = x2 - 1 - in;
    const int bottom = y2 - 1 - in;
    painter.fillRect(QRect(left, top, right - left + width, width), color);
    painter.fillRect(QRect(left, bottom, right - left + width, width), color);
    painter.fillRect(QRect(left, top, width, bottom - top + width), color);
    painter.fillRect(QRect(right, top, width, bottom - top + width), color);
}

int AlignFlags(TAlignMode mode)
{
    switch (mode) {
    case taTopLeft:
    case taLeft:
    case taBottomLeft:
        return Qt::AlignLeft;
    case taTop:
    case taCenter:
    case taBottom:
        return Qt::AlignHCenter;
    case taTopRight:
    case taRight:
    case taBottomRight:
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

// A cell's text as drawn in the rectangle `inner` (the cell less its inset): its lines, their height
// and where the first one starts. Only whole lines are drawn: lines below the last that fits the
// cell's height are left out rather than sliced, the first always stays.
struct CellText {
    QFont font;
    QStringList lines;
    int lineHeight = 0;
    int top = 0;
};

CellText LayOutCellText(const TCellInfo &cell, const QString &text, const QRect &inner)
{
    CellText laid;
    laid.font = PageFont(cell.FontName, cell.FontSize, cell.FontStyle);
    const QFontMetrics metrics(laid.font);
    laid.lineHeight = std::max(1, metrics.height());
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!cell.AutoWordBreak) {
        laid.lines << shown.replace(u'\n', u' ');
    } else {
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        for (const QString &paragraph : shown.split(u'\n')) {
            QTextLayout layout(paragraph, laid.font);
            layout.setTextOption(option);
            layout.beginLayout();
            const qsizetype before = laid.lines.size();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(inner.width());
                laid.lines << paragraph.mid(line.textStart(), line.textLength());
            }
            layout.endLayout();
            if (laid.lines.size() == before)
                laid.lines << QString();
        }
    }
    const qsizetype fitting = std::clamp<qsizetype>(inner.height() / laid.lineHeight, 1, laid.lines.size());
    laid.lines = laid.lines.mid(0, fitting);
    const int textHeight = int(laid.lines.size()) * laid.lineHeight;
    laid.top = inner.top();
    switch (cell.AlignMode) {
    case taLeft:
    case taCenter:
    case taRight:
        laid.top += (inner.height() - textHeight) / 2;
        break;
    case taBottomLeft:
    case taBottom:
    case taBottomRight:
        laid.top = inner.top() + inner.height() - textHeight;
        break;
    default:
        break;
    }
    return laid;
}

// Pixel positions of the indices of one axis of a region, counted from the region's first index.
class AxisPositions {
public:
    AxisPositions(const std::function<int(int)> &size, int first, int start, int lineWidth)
        : size_(size), first_(first), start_(start), lineWidth_(lineWidth)
    {
    }
    // Where index i begins; indices before the first lie left of (above) the region's start.
    int Begin(int i) const
    {
        int pos = start_;
        for (int k = first_; k < i; ++k)
            pos += size_(k) + lineWidth_;
        for (int k = i; k < first_; ++k)
            pos -= size_(k) + lineWidth_;
        return pos;
    }
    int Size(int i) const { return size_(i); }

private:
    const std::function<int(int)> &size_;
    int first_;
    int start_;
    int lineWidth_;
};

} // namespace

QColor TableColor(TColor color)
{
    if ((quint32(color) & 0xFF000000u) == 0xFF000000u) {
        switch (color & 0xFF) {
        case 5:
            return Qt::white; // window
        case 15:
            return QColor(0xC0, 0xC0, 0xC0); // button face
        case 20:
            return Qt::white; // button highlight
        default:
            return Qt::black;
        }
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QPen CellBorderPen(int width, TPenStyle style)
{
    return BorderPen(width, style);
}

struct TablePager::Axis {
    int count = 0;
    int fixed = 0;
    const std::vector<qint32> &sizes; // one entry per index

    int size(int i) const { return sizes[size_t(i)]; }

    // The pixel extent of the fixed indices with the line that follows them, 0 without fixed indices.
    // Unscaled, as the band sizes are counted.
    int FixedExtent(int lineWidth) const
    {
        if (fixed == 0)
            return 0;
        int extent = 0;
        for (int i = 1; i <= fixed; ++i)
            extent += size(i) + lineWidth;
        return extent;
    }

    // How many indices fit one after the other in `room`, the title (`titleSize`, 0 when it is not
    // shown) and the fixed indices first: what a page can hold at most.
    int IndicesFitting(int room, int titleSize, int lineWidth) const
    {
        int used = titleSize;
        int fitting = titleSize > 0 ? 1 : 0;
        for (int i = 1; i <= count - 1 && used + size(i) + lineWidth <= room; ++i) {
            used += size(i) + lineWidth;
            ++fitting;
        }
        return fitting;
    }

    // The last index of every band of the scrolling indices. Every index counts with the line that
    // follows it, so that a band's last index ends on the page; `firstRoom` and `laterRoom` are what
    // the first and the later bands may fill. The fixed indices take room on the first
    // band, and on every later one when they are repeated.
    // `cutsText`, when given, tells whether a band ending at an index would cut a text line of a
    // merged block in two: the band then ends earlier, where it does not.
    std::vector<int> Bands(int firstRoom, int laterRoom, int title, int lineWidth, int fixedExtent, bool fixedRepeated,
                           const QString &noRoomMessage, const std::function<bool(int)> &cutsText = {}) const
    {
        std::vector<int> bands;
        for (int a = fixed + 1; a <= count - 1;) {
            const bool first = bands.empty();
            const int room = first ? firstRoom : laterRoom;
            // The room counts the closing line, which may fall off the page; the title may not.
            if (title >= room - lineWidth)
                throw ETablePageError(kTitleTooLarge);
            const bool fixedShown = (first || fixedRepeated) && fixedExtent > 0;
            const int taken = title + (fixedShown ? fixedExtent : 0);
            if (taken + size(a) + lineWidth > room && fixedShown) {
                // Repeated fixed indices that leave no room for a scrolling one would make pages
                // that show no data at all.
                if (fixedRepeated)
                    throw ETablePageError(noRoomMessage.arg(IndicesFitting(room, title, lineWidth)));
                if (title + size(a) + lineWidth <= laterRoom) {
                    // The fixed indices fill the first page: they go alone, and the scrolling
                    // indices start on the next band, where they are not repeated.
                    bands.push_back(a - 1);
                    continue;
                }
            }
            // An index too large for any page is a band of its own, cut at the page's edge.
            int last = a;
            int sum = taken + size(a) + lineWidth;
            for (int i = a + 1; i <= count - 1 && sum + size(i) + lineWidth <= room; ++i) {
                sum += size(i) + lineWidth;
                last = i;
            }
            const int fitted = last;
            while (cutsText && last > a && cutsText(last))
                --last;
            if (cutsText && last == a && cutsText(a))
                last = fitted; // no end between its lines: the fullest band, as before
            bands.push_back(last);
            a = last + 1;
        }
        return bands;
    }
};

void TablePager::SetPageFrame(int width, int height, const PageMargins &margins)
{
    TCommonPageInfo &common = grid_.PageInfo().Common;
    common.PageWidth = width;
    common.PageHeight = height;
    margins_ = margins;
}

void TablePager::PaginateBands()
{
    TEasyGridPageInfo &info = grid_.PageInfo();
    TCommonPageInfo &common = info.Common;
    common.LeftMargin = margins_.Left;
    common.TopMargin = margins_.Top;
    common.RightMargin = margins_.Right;
    common.BottomMargin = margins_.Bottom;
    const int lw = grid_.Props().GridLineWidth;
    const int scale = ScaleOf(common);

    const GridArrays &arrays = grid_.Content().Arrays;
    const int colTitle = info.PrintRowTitle ? RoundScaled(grid_.ColWidth(0) * scale / 100.0) + lw : 0;
    const int rowTitle = info.PrintColTitle ? RoundScaled(grid_.RowHeight(0) * scale / 100.0) + lw : 0;
    const int reserve = info.PrintConjunction ? RoundScaled((grid_.Props().DefaultRowHeight + lw) * scale / 100.0) : 0;
    // Fixed rows (columns) shown on the first page only that do not fit it whole flow on as
    // ordinary ones, so that none of them is cut at the first page's edge.
    fixedCols_ = grid_.FixedCols();
    fixedRows_ = grid_.FixedRows();
    if (!info.PrintFixedCols
        && colTitle + Axis{grid_.ColCount(), fixedCols_, arrays.ColWidths}.FixedExtent(lw) > ColRoom())
        fixedCols_ = 0;
    if (!info.PrintFixedRows
        && rowTitle + Axis{grid_.RowCount(), fixedRows_, arrays.RowHeights}.FixedExtent(lw) > RowRoom(0) - reserve)
        fixedRows_ = 0;
    const Axis cols{grid_.ColCount(), fixedCols_, arrays.ColWidths};
    const Axis rows{grid_.RowCount(), fixedRows_, arrays.RowHeights};
    colBands_ = cols.Bands(ColRoom(), ColRoom(), colTitle, lw, cols.FixedExtent(lw), info.PrintFixedCols,
                           kFixedColsFillThePage);
    rowBands_ = rows.Bands(RowRoom(0) - reserve, RowRoom(1) - 2 * reserve, rowTitle, lw, rows.FixedExtent(lw),
                           info.PrintFixedRows, kFixedRowsFillThePage,
                           [this](int lastRow) { return EndCutsBlockText(lastRow); });
}

bool TablePager::EndCutsBlockText(int lastRow) const
{
    if (lastRow + 1 >= grid_.RowCount())
        return false;
    const int lw = grid_.Props().GridLineWidth;
    for (int col = 1; col < grid_.ColCount(); ++col) {
        const GridRect block = grid_.MergeRect(col, lastRow);
        if (block.Left != col || block.Top < 1 || block.Top > lastRow || block.Bottom <= lastRow)
            continue;
        const TCellInfo &cell = grid_.Cell(block.Left, block.Top);
        const QString text = cell.ShowForeText ? cell.ForeText : cell.BackText;
        if (text.isEmpty())
            continue;
        // The block as painted, from its top-left corner; the line after `lastRow` begins at `end`.
        int width = -lw;
        for (int c = block.Left; c <= block.Right; ++c)
            width += grid_.ColWidth(c) + lw;
        int height = -lw;
        int end = 0;
        for (int r = block.Top; r <= block.Bottom; ++r) {
            height += grid_.RowHeight(r) + lw;
            if (r == lastRow)
                end = height;
        }
        // A page shows the block above the line, the next one below it: a text line whose dots reach
        // into both, or under the line, is cut.
        const CellText laid = LayOutCellText(cell, text, QRect(0, 0, width, height).adjusted(2, 2, -2, -2));
        const QFontMetrics metrics(laid.font);
        for (int i = 0; i < laid.lines.size(); ++i) {
            const QRect ink = metrics.tightBoundingRect(laid.lines[i]);
            if (ink.isEmpty())
                continue;
            const int baseline = laid.top + i * laid.lineHeight + metrics.ascent();
            if (baseline + ink.top() < end + lw && baseline + ink.bottom() >= end)
                return true;
        }
    }
    return false;
}

// A page is drawn from one dot left of and above its margins, the first page from one dot right and
// three lower, pages of later row bands from one lower; so the outer lines fall just off the page.
// A band's cells must lie below (right of) that origin on the page; its closing line, counted with
// its last index, may fall past the page's edge like the opening one.
int TablePager::RowRoom(int rowBand) const
{
    const TCommonPageInfo &common = grid_.PageInfo().Common;
    const int ah = common.PageHeight - common.TopMargin - common.BottomMargin;
    return ah - (rowBand == 0 ? kFirstPageDown : kLaterRowBandDown) + grid_.Props().GridLineWidth;
}

int TablePager::ColRoom() const
{
    const TCommonPageInfo &common = grid_.PageInfo().Common;
    const int aw = common.PageWidth - common.LeftMargin - common.RightMargin;
    return aw + grid_.Props().GridLineWidth;
}

int TablePager::PageNumberOf(int u) const
{
    const int nc = int(colBands_.size());
    const int nr = int(rowBands_.size());
    const int t = u % nc;
    const int o = u / nc;
    return grid_.PageInfo().HorzSplit ? u : t * nr + o;
}

PageLayout TablePager::LayoutPage(int u) const
{
    const TEasyGridPageInfo &info = grid_.PageInfo();
    const TCommonPageInfo &common = info.Common;
    const int lw = grid_.Props().GridLineWidth;
    const int rowHeight = grid_.Props().DefaultRowHeight;
    const int scale = ScaleOf(common);
    const int aw = common.PageWidth - common.LeftMargin - common.RightMargin;
    const int ah = common.PageHeight - common.TopMargin - common.BottomMargin;
    const int nc = int(colBands_.size());
    const int nr = int(rowBands_.size());

    PageLayout layout;
    layout.ColBand = u % nc;
    layout.RowBand = u / nc;
    layout.Page = PageNumberOf(u);
    const int t = layout.ColBand;
    const int o = layout.RowBand;

    // Each part: whether it shows and its first and last index.
    struct Part {
        bool shown;
        int first;
        int last;
    };
    const int fc = fixedCols_;
    const int fr = fixedRows_;
    std::array<Part, 3> colParts = {{
        {info.PrintRowTitle, 0, 0},
        {(t == 0 || info.PrintFixedCols) && fc > 0, 1, fc},
        {true, t == 0 ? fc + 1 : colBands_[t - 1] + 1, colBands_[t]},
    }};
    std::array<Part, 3> rowParts = {{
        {info.PrintColTitle, 0, 0},
        {(o == 0 || info.PrintFixedRows) && fr > 0, 1, fr},
        {true, o == 0 ? fr + 1 : rowBands_[o - 1] + 1, rowBands_[o]},
    }};

    // A first band left empty because the fixed part fills the page has no region.
    for (Part *part : {&colParts[kBandPart], &rowParts[kBandPart]})
        part->shown = part->first <= part->last;

    int y = 0;
    if (info.PrintConjunction && o > 0) {
        layout.Top = {true, 0, 0, aw, rowHeight};
        y += rowHeight + lw;
    }
    std::array<int, 3> xs{};
    std::array<int, 3> widths{};
    int x = 0;
    for (int c = 0; c < 3; ++c) {
        if (!colParts[c].shown)
            continue;
        xs[c] = x;
        int sum = 0;
        for (int i = colParts[c].first; i <= colParts[c].last; ++i)
            sum += grid_.ColWidth(i) + lw;
        widths[c] = sum - lw;
        x += widths[c] + lw;
    }
    std::array<int, 3> ys{};
    std::array<int, 3> heights{};
    for (int r = 0; r < 3; ++r) {
        if (!rowParts[r].shown)
            continue;
        ys[r] = y;
        int sum = 0;
        for (int i = rowParts[r].first; i <= rowParts[r].last; ++i)
            sum += grid_.RowHeight(i) + lw;
        heights[r] = sum - lw;
        y += heights[r] + lw;
    }
    const int tableWidth = x - lw;
    const int bandBottom = y - lw;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (!colParts[c].shown || !rowParts[r].shown)
                continue;
            layout.Regions[r * 3 + c] = {
                true,      xs[c],      ys[r],
                widths[c], heights[r], {colParts[c].first, rowParts[r].first, colParts[c].last, rowParts[r].last}};
        }
    }
    if (info.PrintConjunction && !(t == nc - 1 && o == nr - 1))
        layout.Bottom = {true, 0, bandBottom + lw, tableWidth, rowHeight};
    const int totalHeight = layout.Bottom.Visible ? layout.Bottom.Y + layout.Bottom.Height : bandBottom;

    // Centring never pushes the table past the room its bands were cut for.
    const int dx = info.HorzCenter ? std::min(CentringOffset(aw, tableWidth, scale), std::max(0, ColRoom() - x)) : 0;
    const int dy = info.VertCenter
                       ? std::min(CentringOffset(ah, totalHeight, scale), std::max(0, RowRoom(o) - (totalHeight + lw)))
                       : 0;
    for (PageRegion &region : layout.Regions) {
        if (region.Visible) {
            region.X += dx;
            region.Y += dy;
        }
    }
    for (ConjunctionBox *box : {&layout.Top, &layout.Bottom}) {
        if (box->Visible) {
            box->X += dx;
            box->Y += dy;
        }
    }
    return layout;
}

int TablePager::GetPageCount()
{
    layouts_.clear();
    PaginateBands();
    const int pages = int(colBands_.size() * rowBands_.size());
    layouts_.reserve(pages + 1);
    for (int u = 0; u < pages; ++u)
        layouts_.push_back(LayoutPage(u));
    return int(layouts_.size());
}

void TablePager::DrawPage(QPainter &painter, const QRect &rect, int page)
{
    grid_.PageInfo().MonoColored = false;
    // Only the bands are needed to find one page; the page's layout is made alone, so that drawing
    // every page of a long table stays linear.
    PaginateBands();
    const int nc = int(colBands_.size());
    const int nr = int(rowBands_.size());
    const int pages = nc * nr;
    const int index = page - 1;
    if (index >= 0 && index < pages) {
        // Across first the number is the position; down first it is t × NR + o.
        const int u = grid_.PageInfo().HorzSplit ? index : (index % nr) * nc + index / nr;
        PaintLayout(painter, rect, LayoutPage(u));
        return;
    }
    PaintLayout(painter, rect, PageLayout{-1, 0, 0, {}, {}, {}});
}

void TablePager::PaintPage(QPainter &painter, const QRect &rect, int index)
{
    for (const PageLayout &layout : layouts_) {
        if (layout.Page == index) {
            PaintLayout(painter, rect, layout);
            return;
        }
    }
    PaintLayout(painter, rect, PageLayout{-1, 0, 0, {}, {}, {}});
}

void TablePager::PaintLayout(QPainter &painter, const QRect &rect, const PageLayout &layout)
{
    const TEasyGridPageInfo &info = grid_.PageInfo();
    const TCommonPageInfo &common = info.Common;
    const GridProperties &props = grid_.Props();
    const int lw = props.GridLineWidth;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipping(false);
    painter.fillRect(QRect(rect.left(), rect.top(), common.PageWidth, common.PageHeight), Qt::black);
    if (layout.Page < 0) {
        painter.restore();
        return;
    }
    // The first table page sits one dot further right and three lower than the others.
    int x0 = common.LeftMargin + rect.left() - 1;
    int y0 = common.TopMargin + rect.top() + (layout.RowBand == 0 ? -1 : 1);
    if (layout.Page == 0) {
        x0 += 1;
        y0 += 3;
    }
    painter.translate(x0, y0);

    const std::function<int(int)> colSize = [this](int i) { return grid_.ColWidth(i); };
    const std::function<int(int)> rowSize = [this](int i) { return grid_.RowHeight(i); };

    // Cells, region by region, each block once through its first cell inside the region.
    for (const auto &[colPart, rowPart] : kPaintOrder) {
        const PageRegion &region = layout.Region(colPart, rowPart);
        if (!region.Visible)
            continue;
        const QRect clip(region.X, region.Y, region.Width + lw, region.Height + lw);
        const AxisPositions xs(colSize, region.Cells.Left, region.X, lw);
        const AxisPositions ys(rowSize, region.Cells.Top, region.Y, lw);
        for (int row = region.Cells.Top; row <= region.Cells.Bottom; ++row) {
            for (int col = region.Cells.Left; col <= region.Cells.Right; ++col) {
                const GridRect block = grid_.MergeRect(col, row);
                if (col != std::max(block.Left, region.Cells.Left) || row != std::max(block.Top, region.Cells.Top))
                    continue;
                const int left = xs.Begin(block.Left);
                const int top = ys.Begin(block.Top);
                const QRect r(left, top, xs.Begin(block.Right) + xs.Size(block.Right) - left,
                              ys.Begin(block.Bottom) + ys.Size(block.Bottom) - top);
                const TCellInfo &cell = grid_.Cell(block.Left, block.Top);
                const bool title = block.Left == 0 || block.Top == 0;

                painter.setClipRect(clip);
                painter.fillRect(r, TableColor(title ? props.TitleColor : cell.Color));

                if (cell.DrawTop || cell.DrawLeft || cell.DrawBottom || cell.DrawRight) {
                    painter.setClipRect(clip.adjusted(-5, -5, 5, 5));
                    painter.setPen(BorderPen(cell.LineWidth, cell.PenStyle));
                    const int h = cell.LineWidth / 2;
                    const int x1 = r.left() + h - 1;
                    const int y1 = r.top() + h - 1;
                    const int x2 = r.left() + r.width() - h;
                    const int y2 = r.top() + r.height() - h;
                    if (cell.DrawTop)
                        LineTo(painter, {x1, y1}, {x2, y1});
                    if (cell.DrawLeft)
                        LineTo(painter, {x1, y2}, {x1, y1});
                    if (cell.DrawBottom)
                        LineTo(painter, {x1, y2}, {x2, y2});
                    if (cell.DrawRight)
                        LineTo(painter, {x2, y2}, {x2, y1});
                }

                if (title && !(block.Left == 0 && block.Top == 0)) {
                    painter.setClipRect(clip);
                    painter.setFont(PageFont(QStringLiteral("宋体"), 10, 0));
                    painter.setPen(Qt::black);
                    const QString text = block.Top == 0 ? ColumnName(block.Left) : QString::number(block.Top);
                    painter.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
                    continue;
                }
                const QString text = cell.ShowForeText ? cell.ForeText : cell.BackText;
                if (text.isEmpty())
                    continue;
                const QRect inner = r.adjusted(2, 2, -2, -2);
                painter.setClipRect(clip);
                painter.setClipRect(inner, Qt::IntersectClip);
                const CellText laid = LayOutCellText(cell, text, inner);
                painter.setFont(laid.font);
                painter.setPen(TableColor(cell.FontColor));
                const int flags = AlignFlags(cell.AlignMode) | Qt::AlignTop | Qt::TextSingleLine;
                for (int i = 0; i < laid.lines.size(); ++i) {
                    const QRect line(inner.left(), laid.top + i * laid.lineHeight, inner.width(), laid.lineHeight);
                    painter.drawText(line, flags, laid.lines[i]);
                }
            }
        }
    }
    painter.setClipping(false);

    // Conjunction texts.
    for (const auto &[box, text] :
         {std::pair{&layout.Top, info.TopConjunction()}, std::pair{&layout.Bottom, info.BottomConjunction()}}) {
        if (!box->Visible || text.isEmpty())
            continue;
        const QRect inner(box->X + 1, box->Y + 1, box->Width - 2, box->Height - 2);
        painter.setClipRect(inner);
        painter.setFont(PageFont(QStringLiteral("宋体"), 9, kFontBold));
        painter.setPen(Qt::black);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(Qt::white);
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.setClipping(false);
    }

    // Grid lines, none inside a merged block; the band's closing line is left to the frame.
    const QColor lineColor = TableColor(props.ClientLineColor);
    if (info.PrintGridLine) {
        for (int rowPart = 0; rowPart < 3; ++rowPart) {
            for (int colPart = 0; colPart < 3; ++colPart) {
                const PageRegion &region = layout.Regions[rowPart * 3 + colPart];
                if (!region.Visible)
                    continue;
                painter.setClipRect(QRect(region.X, region.Y, region.Width + lw, region.Height + lw));
                const AxisPositions xs(colSize, region.Cells.Left, region.X, lw);
                const AxisPositions ys(rowSize, region.Cells.Top, region.Y, lw);
                const GridRect &cells = region.Cells;
                const int lastCol = colPart == kBandPart ? cells.Right - 1 : cells.Right;
                const int lastRow = rowPart == kBandPart ? cells.Bottom - 1 : cells.Bottom;
                for (int col = cells.Left; col <= lastCol; ++col) {
                    const int x = xs.Begin(col) + xs.Size(col);
                    // Where the open stretch of the line begins; a centred band may begin left of or
                    // above the page, so no coordinate can mark "none".
                    std::optional<int> from;
                    for (int row = cells.Top; row <= cells.Bottom + 1; ++row) {
                        const bool open = row <= cells.Bottom && grid_.MergeRect(col, row).Right == col;
                        if (open && !from)
                            from = ys.Begin(row);
                        if (!open && from) {
                            painter.fillRect(QRect(x, *from, lw, ys.Begin(row - 1) + ys.Size(row - 1) + lw - *from),
                                             lineColor);
                            from.reset();
                        }
                    }
                }
                for (int row = cells.Top; row <= lastRow; ++row) {
                    const int y = ys.Begin(row) + ys.Size(row);
                    std::optional<int> from;
                    for (int col = cells.Left; col <= cells.Right + 1; ++col) {
                        const bool open = col <= cells.Right && grid_.MergeRect(col, row).Bottom == row;
                        if (open && !from)
                            from = xs.Begin(col);
                        if (!open && from) {
                            painter.fillRect(QRect(*from, y, xs.Begin(col - 1) + xs.Size(col - 1) + lw - *from, lw),
                                             lineColor);
                            from.reset();
                        }
                    }
                }
            }
        }
        painter.setClipping(false);
    }

    // Frames: the boxes, and the whole table part when grid lines are printed.
    if (layout.Top.Visible) {
        const ConjunctionBox &box = layout.Top;
        FrameRect(painter, box.X, box.Y, box.X + box.Width, box.Y + box.Height, lw, lineColor);
    }
    // The frame runs round every present region; its far corner is the band's, or the fixed part's
    // on a page that shows the fixed part alone.
    const auto visible = [](const PageRegion &region) { return region.Visible; };
    if (info.PrintGridLine && std::any_of(layout.Regions.begin(), layout.Regions.end(), visible)) {
        int left = INT_MAX;
        int top = INT_MAX;
        int right = INT_MIN;
        int bottom = INT_MIN;
        for (const PageRegion &region : layout.Regions) {
            if (region.Visible) {
                left = std::min(left, region.X);
                top = std::min(top, region.Y);
                right = std::max(right, region.X + region.Width);
                bottom = std::max(bottom, region.Y + region.Height);
            }
        }
        FrameRect(painter, left, top - lw, right + lw, bottom + lw, lw, lineColor);
    }
    if (layout.Bottom.Visible) {
        const ConjunctionBox &box = layout.Bottom;
        FrameRect(painter, box.X, box.Y, box.X + box.Width, box.Y + box.Height, lw, lineColor);
    }
    painter.restore();
}

} // namespace pelvoro
