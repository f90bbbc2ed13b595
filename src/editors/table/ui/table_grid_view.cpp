#include "editors/table/ui/table_grid_view.h"

#include "editors/table/column_names.h"
#include "editors/table/number_format.h"
#include "editors/table/table_pages.h"
#include "editors/table/ui/table_inplace_edit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QSet>

#include <algorithm>

namespace pelvoro {

namespace {

constexpr int kSizingSlop = 3;
// The selection's frame (a black band with a white line inside it) and its fill handle.
constexpr int kFrameWidth = 3;
constexpr int kFillHandleSize = 5;

int AlignFlagsOf(TAlignMode mode)
{
    switch (mode) {
    case taTopLeft: return Qt::AlignTop | Qt::AlignLeft;
    case taTop: return Qt::AlignTop | Qt::AlignHCenter;
    case taTopRight: return Qt::AlignTop | Qt::AlignRight;
    case taLeft: return Qt::AlignVCenter | Qt::AlignLeft;
    case taCenter: return Qt::AlignCenter;
    case taRight: return Qt::AlignVCenter | Qt::AlignRight;
    case taBottomLeft: return Qt::AlignBottom | Qt::AlignLeft;
    case taBottom: return Qt::AlignBottom | Qt::AlignHCenter;
    case taBottomRight: return Qt::AlignBottom | Qt::AlignRight;
    }
    return Qt::AlignTop | Qt::AlignLeft;
}

// The grid's own drag cursors: an arrow with a four-way mark for moving, with a plus for copying,
// and a thin cross for filling.
QCursor MakeDragCursor(TableGridView::DragState drag)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    auto cross = [&painter](QPoint at, int arm, int thick) {
        painter.fillRect(QRect(at.x() - arm - 1, at.y() - thick / 2 - 1, 2 * arm + 3, thick + 2), Qt::white);
        painter.fillRect(QRect(at.x() - thick / 2 - 1, at.y() - arm - 1, thick + 2, 2 * arm + 3), Qt::white);
        painter.fillRect(QRect(at.x() - arm, at.y() - thick / 2, 2 * arm + 1, thick), Qt::black);
        painter.fillRect(QRect(at.x() - thick / 2, at.y() - arm, thick, 2 * arm + 1), Qt::black);
    };
    if (drag == TableGridView::DragState::Filling) {
        cross({15, 15}, 7, 1);
        painter.end();
        return QCursor(pixmap, 15, 15);
    }
    const QPolygon arrow({{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}});
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow);
    if (drag == TableGridView::DragState::Copying) {
        cross({20, 20}, 4, 2);
    } else {
        cross({20, 20}, 6, 1);
        for (const QPoint tip : {QPoint(20, 14), QPoint(20, 26), QPoint(14, 20), QPoint(26, 20)})
            painter.fillRect(QRect(tip.x() - 1, tip.y() - 1, 3, 3), Qt::black);
    }
    painter.end();
    return QCursor(pixmap, 0, 0);
}

QFont CellFont(const QString &family, int points, TFontStyles style)
{
    QFont font(family.isEmpty() ? QStringLiteral("宋体") : family);
    font.setPointSize(std::max(1, points));
    font.setBold(style & kFontBold);
    font.setItalic(style & kFontItalic);
    font.setUnderline(style & kFontUnderline);
    font.setStrikeOut(style & kFontStrikeOut);
    return font;
}

} // namespace

struct TableGridView::Hit {
    QPoint cell{-1, -1};
    DragState drag = DragState::None;
    int sizing = -1;
};

TableGridView::TableGridView(TCustomEasyGrid &grid, QWidget *parent) : QAbstractScrollArea(parent), grid_(grid)
{
    editor_ = new TInplaceEdit(*this);
    editor_->hide();
    moveCursor_ = MakeDragCursor(DragState::Moving);
    copyCursor_ = MakeDragCursor(DragState::Copying);
    fillCursor_ = MakeDragCursor(DragState::Filling);
    setFocusPolicy(Qt::StrongFocus);
    // Chinese is typed through an input method: the grid takes its text as it takes typed keys.
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    anchor_ = grid_.AnchorCell();
    grid_.SetRepaintHandler([this](const GridRect &rect) { OnGridRepaint(rect); });
    autoScroll_.setInterval(60);
    connect(&autoScroll_, &QTimer::timeout, this, &TableGridView::AutoScroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { SyncFromScrollBars(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { SyncFromScrollBars(); });
    UpdateScrollBars();
}

TableGridView::~TableGridView()
{
    grid_.SetRepaintHandler({});
    // The editor goes first: closing the window later moves focus out of it, and its handler
    // must not call into a view that is half destroyed.
    delete editor_;
    editor_ = nullptr;
}

// --- Geometry ---------------------------------------------------------------------------------

int TableGridView::ColW(int col) const
{
    if (col == 0 && !grid_.Props().ShowRowTitle)
        return 0;
    return std::max(0, grid_.ColWidth(col));
}

int TableGridView::RowH(int row) const
{
    if (row == 0 && !grid_.Props().ShowColTitle)
        return 0;
    return std::max(0, grid_.RowHeight(row));
}

// Each column is followed by its line; a hidden title column takes no line either.
int TableGridView::FixedWidth() const
{
    const int line = grid_.Props().GridLineWidth;
    int x = 0;
    for (int col = 0; col <= grid_.FixedCols() && col < grid_.ColCount(); ++col)
        x += ColW(col) + (ColW(col) > 0 ? line : 0);
    return x;
}

int TableGridView::FixedHeight() const
{
    const int line = grid_.Props().GridLineWidth;
    int y = 0;
    for (int row = 0; row <= grid_.FixedRows() && row < grid_.RowCount(); ++row)
        y += RowH(row) + (RowH(row) > 0 ? line : 0);
    return y;
}

int TableGridView::ColX(int col) const
{
    const int line = grid_.Props().GridLineWidth;
    auto span = [&](int from, int to) {
        int x = 0;
        for (int c = from; c < to; ++c)
            x += ColW(c) + (ColW(c) > 0 ? line : 0);
        return x;
    };
    if (col <= grid_.FixedCols())
        return span(0, col);
    const int left = grid_.TopLeft().x();
    return col >= left ? FixedWidth() + span(left, col) : FixedWidth() - span(col, left);
}

int TableGridView::RowY(int row) const
{
    const int line = grid_.Props().GridLineWidth;
    auto span = [&](int from, int to) {
        int y = 0;
        for (int r = from; r < to; ++r)
            y += RowH(r) + (RowH(r) > 0 ? line : 0);
        return y;
    };
    if (row <= grid_.FixedRows())
        return span(0, row);
    const int top = grid_.TopLeft().y();
    return row >= top ? FixedHeight() + span(top, row) : FixedHeight() - span(row, top);
}

QRect TableGridView::BlockRect(const GridRect &block) const
{
    const int x = ColX(block.Left);
    const int y = RowY(block.Top);
    const int right = ColX(block.Right) + ColW(block.Right);
    const int bottom = RowY(block.Bottom) + RowH(block.Bottom);
    return QRect(QPoint(x, y), QPoint(right - 1, bottom - 1));
}

QRect TableGridView::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= grid_.ColCount() || row >= grid_.RowCount())
        return {};
    const QPoint topLeft = grid_.TopLeft();
    const GridRect block = grid_.MergeRect(col, row);
    const bool colVisible = block.Left <= grid_.FixedCols() || block.Right >= topLeft.x();
    const bool rowVisible = block.Top <= grid_.FixedRows() || block.Bottom >= topLeft.y();
    if (!colVisible || !rowVisible)
        return {};
    const QRect rect = BlockRect(block);
    if (rect.left() >= viewport()->width() || rect.top() >= viewport()->height())
        return {};
    return rect;
}

QPoint TableGridView::CellAt(const QPoint &pos) const
{
    if (pos.x() < 0 || pos.y() < 0)
        return {-1, -1};
    const int line = grid_.Props().GridLineWidth;
    auto find = [&](int coord, int fixed, int fixedEnd, int first, int count, auto size) {
        int at = 0;
        for (int i = 0; i <= fixed && i < count; ++i) {
            const int s = size(i);
            if (s > 0 && coord < at + s + line)
                return i;
            at += s + (s > 0 ? line : 0);
        }
        at = fixedEnd;
        for (int i = first; i < count; ++i) {
            const int s = size(i);
            if (coord < at + s + line)
                return i;
            at += s + line;
        }
        return -1;
    };
    const int col = find(pos.x(), grid_.FixedCols(), FixedWidth(), grid_.TopLeft().x(), grid_.ColCount(),
                         [this](int c) { return ColW(c); });
    const int row = find(pos.y(), grid_.FixedRows(), FixedHeight(), grid_.TopLeft().y(), grid_.RowCount(),
                         [this](int r) { return RowH(r); });
    if (col < 0 || row < 0)
        return {-1, -1};
    return {col, row};
}

int TableGridView::VisibleColCount() const
{
    return VisibleColsFrom(grid_.TopLeft().x());
}

int TableGridView::VisibleColsFrom(int left) const
{
    const int line = grid_.Props().GridLineWidth;
    int x = FixedWidth();
    int count = 0;
    for (int col = left; col < grid_.ColCount(); ++col) {
        x += ColW(col) + line;
        if (x > viewport()->width() + line)
            break;
        ++count;
    }
    return std::max(1, count);
}

int TableGridView::VisibleRowCount() const
{
    const int line = grid_.Props().GridLineWidth;
    int y = FixedHeight();
    int count = 0;
    for (int row = grid_.TopLeft().y(); row < grid_.RowCount(); ++row) {
        y += RowH(row) + line;
        if (y > viewport()->height() + line)
            break;
        ++count;
    }
    return std::max(1, count);
}

// The last top-left column (row) that still fills the view: scrolling further would only show the
// empty area past the grid.
int TableGridView::LastTopCol() const
{
    const int line = grid_.Props().GridLineWidth;
    const int room = viewport()->width() - FixedWidth();
    int used = 0;
    int col = grid_.ColCount() - 1;
    while (col > grid_.FixedCols() + 1 && used + ColW(col) + line <= room) {
        used += ColW(col) + line;
        --col;
    }
    if (used + ColW(col) + line > room && col < grid_.ColCount() - 1)
        ++col;
    return std::max(grid_.FixedCols() + 1, col);
}

int TableGridView::LastTopRow() const
{
    const int line = grid_.Props().GridLineWidth;
    const int room = viewport()->height() - FixedHeight();
    int used = 0;
    int row = grid_.RowCount() - 1;
    while (row > grid_.FixedRows() + 1 && used + RowH(row) + line <= room) {
        used += RowH(row) + line;
        --row;
    }
    if (used + RowH(row) + line > room && row < grid_.RowCount() - 1)
        ++row;
    return std::max(grid_.FixedRows() + 1, row);
}

void TableGridView::UpdateScrollBars()
{
    syncing_ = true;
    const TScrollStyle bars = grid_.Props().ScrollBars;
    setHorizontalScrollBarPolicy(bars == ssHorizontal || bars == ssBoth ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(bars == ssVertical || bars == ssBoth ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setRange(grid_.FixedCols() + 1, LastTopCol());
    horizontalScrollBar()->setPageStep(VisibleColCount());
    horizontalScrollBar()->setValue(grid_.TopLeft().x());
    verticalScrollBar()->setRange(grid_.FixedRows() + 1, LastTopRow());
    verticalScrollBar()->setPageStep(VisibleRowCount());
    verticalScrollBar()->setValue(grid_.TopLeft().y());
    syncing_ = false;
}

void TableGridView::SyncFromScrollBars()
{
    if (syncing_)
        return;
    SetTopLeft(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TableGridView::SetTopLeft(int col, int row)
{
    col = std::clamp(col, grid_.FixedCols() + 1, std::max(grid_.FixedCols() + 1, LastTopCol()));
    row = std::clamp(row, grid_.FixedRows() + 1, std::max(grid_.FixedRows() + 1, LastTopRow()));
    if (QPoint(col, row) == grid_.TopLeft())
        return;
    grid_.SetTopLeft(col, row); // fires OnTopLeftChanged
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TableGridView::ScrollToCell(int col, int row)
{
    const GridRect block = grid_.MergeRect(col, row);
    QPoint topLeft = grid_.TopLeft();
    if (block.Left > grid_.FixedCols()) {
        if (block.Left < topLeft.x())
            topLeft.setX(block.Left);
        else
            while (topLeft.x() < block.Left && topLeft.x() + VisibleColsFrom(topLeft.x()) <= block.Right)
                topLeft.rx()++;
    }
    if (block.Top > grid_.FixedRows()) {
        if (block.Top < topLeft.y())
            topLeft.setY(block.Top);
        else {
            const int visible = VisibleRowCount();
            if (block.Bottom >= topLeft.y() + visible)
                topLeft.setY(std::min(block.Top, block.Bottom - visible + 1));
        }
    }
    SetTopLeft(topLeft.x(), topLeft.y());
}

// --- Current cell and selection ---------------------------------------------------------------

bool TableGridView::MoveCurrentCell(int col, int row)
{
    if (col < 0 || row < 0 || col >= grid_.ColCount() || row >= grid_.RowCount())
        return false;
    const QPoint owner = grid_.BlockOwner(col, row);
    if (EditorShown())
        CommitEditor();
    if (!grid_.SelectCell(owner.x(), owner.y()))
        return false;
    anchor_ = owner;
    SpanRows();
    ScrollToCell(owner.x(), owner.y());
    if ((editorMode_ || grid_.HasOption(goAlwaysShowEditor)) && CanShowEditor())
        ShowEditor();
    else
        editor_->hide();
    Q_EMIT SelectionChanged();
    return true;
}

void TableGridView::ExtendSelectionTo(int col, int row)
{
    const GridRect scrolling{grid_.FixedCols() + 1, grid_.FixedRows() + 1, grid_.ColCount() - 1,
                             grid_.RowCount() - 1};
    col = std::clamp(col, scrolling.Left, scrolling.Right);
    row = std::clamp(row, scrolling.Top, scrolling.Bottom);
    const QPoint current = grid_.CurrentCell();
    grid_.SetSelection(GridRect{current.x(), current.y(), col, row}.Normalized());
    anchor_ = {col, row};
    SpanRows();
    ScrollToCell(col, row);
    Q_EMIT SelectionChanged();
}

// Under goRowSelect the selection takes in the whole rows it touches.
void TableGridView::SpanRows()
{
    if (!grid_.HasOption(goRowSelect))
        return;
    const GridRect sel = grid_.Selection();
    grid_.SetSelection({grid_.FixedCols() + 1, sel.Top, grid_.ColCount() - 1, sel.Bottom});
}

void TableGridView::MoveTo(int col, int row, bool extend)
{
    col = std::clamp(col, grid_.FixedCols() + 1, grid_.ColCount() - 1);
    row = std::clamp(row, grid_.FixedRows() + 1, grid_.RowCount() - 1);
    if (extend && grid_.HasOption(goRangeSelect))
        ExtendSelectionTo(col, row);
    else
        MoveCurrentCell(col, row);
}

// Left and Up step to the previous column (row); Right and Down leave the current block.
void TableGridView::MoveBy(int dCol, int dRow, bool extend)
{
    const QPoint from = extend ? anchor_ : grid_.CurrentCell();
    const GridRect block = grid_.MergeRect(from.x(), from.y());
    int col = from.x();
    int row = from.y();
    if (dCol < 0)
        col = block.Left - 1;
    else if (dCol > 0)
        col = block.Right + 1;
    if (dRow < 0)
        row = block.Top - 1;
    else if (dRow > 0)
        row = block.Bottom + 1;
    if (col >= grid_.ColCount() || row >= grid_.RowCount())
        return;
    MoveTo(col, row, extend);
}

// --- Painting ---------------------------------------------------------------------------------

void TableGridView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    PaintGrid(painter, viewport()->rect());
}

void TableGridView::PaintGrid(QPainter &painter, const QRect &clip)
{
    const GridProperties &props = grid_.Props();
    const QRect area = clip.isEmpty() ? viewport()->rect() : clip;
    painter.fillRect(area, palette().color(QPalette::Base));

    // Columns and rows in view, by part: title, fixed, scrolling.
    std::vector<int> cols[3];
    std::vector<int> rows[3];
    for (int col = 0; col <= grid_.FixedCols() && col < grid_.ColCount(); ++col)
        cols[col == 0 ? 0 : 1].push_back(col);
    for (int col = grid_.TopLeft().x(); col < grid_.ColCount() && ColX(col) < area.right() + 1; ++col)
        cols[2].push_back(col);
    for (int row = 0; row <= grid_.FixedRows() && row < grid_.RowCount(); ++row)
        rows[row == 0 ? 0 : 1].push_back(row);
    for (int row = grid_.TopLeft().y(); row < grid_.RowCount() && RowY(row) < area.bottom() + 1; ++row)
        rows[2].push_back(row);

    const int gridRight = cols[2].empty() ? FixedWidth() : ColX(cols[2].back()) + ColW(cols[2].back())
                                                                  + props.GridLineWidth;
    const int gridBottom = rows[2].empty() ? FixedHeight() : RowY(rows[2].back()) + RowH(rows[2].back())
                                                                    + props.GridLineWidth;

    const bool focused = hasFocus() || (editor_ && editor_->hasFocus());
    for (int rp = 0; rp < 3; ++rp) {
        for (int cp = 0; cp < 3; ++cp) {
            if (cols[cp].empty() || rows[rp].empty())
                continue;
            const int x0 = cp == 2 ? FixedWidth() : ColX(cols[cp].front());
            const int y0 = rp == 2 ? FixedHeight() : RowY(rows[rp].front());
            const int x1 = cp == 2 ? gridRight : ColX(cols[cp].back()) + ColW(cols[cp].back()) + props.GridLineWidth;
            const int y1 = rp == 2 ? gridBottom : RowY(rows[rp].back()) + RowH(rows[rp].back()) + props.GridLineWidth;
            const QRect areaRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
            if (!areaRect.intersects(area))
                continue;
            painter.save();
            painter.setClipRect(areaRect.intersected(area));
            QSet<quint64> painted;
            std::vector<std::pair<QPoint, QRect>> bordered;
            for (int row : rows[rp]) {
                for (int col : cols[cp]) {
                    const GridRect block = grid_.MergeRect(col, row);
                    const quint64 key = (quint64(block.Left) << 32) | quint32(block.Top);
                    if (painted.contains(key))
                        continue;
                    painted.insert(key);
                    TEasyGridDrawState state = 0;
                    if (cp == 0 || rp == 0)
                        state |= gdTitled;
                    else if (cp == 1 || rp == 1)
                        state |= gdFixed;
                    if (state == 0 && grid_.Selection().Intersects(block))
                        state |= gdSelected;
                    if (focused && block.Contains(grid_.CurrentCell().x(), grid_.CurrentCell().y()))
                        state |= gdFocused;
                    const QRect rect = BlockRect(block);
                    PaintCell(painter, block.Left, block.Top, rect, state);
                    const TCellInfo &owner = grid_.Cell(block.Left, block.Top);
                    if (owner.DrawTop || owner.DrawLeft || owner.DrawBottom || owner.DrawRight)
                        bordered.emplace_back(QPoint(block.Left, block.Top), rect);

                    // The lines after the block: title lines in black, the others by area and options.
                    QColor color;
                    bool vert = true;
                    bool horz = true;
                    if (state & gdTitled) {
                        color = Qt::black;
                    } else if (state & gdFixed) {
                        color = TableColor(props.FixedLineColor);
                        vert = grid_.HasOption(goFixedVertLine);
                        horz = grid_.HasOption(goFixedHorzLine);
                    } else {
                        color = TableColor(props.ClientLineColor);
                        vert = grid_.HasOption(goVertLine);
                        horz = grid_.HasOption(goHorzLine);
                    }
                    const int line = props.GridLineWidth;
                    if (line > 0 && vert && rect.width() > 0)
                        painter.fillRect(QRect(rect.right() + 1, rect.top(), line, rect.height() + line), color);
                    if (line > 0 && horz && rect.height() > 0)
                        painter.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + line, line), color);
                }
            }
            // Borders lie on the grid lines around the cell, so they come after them.
            painter.setClipRect(areaRect.adjusted(-5, -5, 5, 5).intersected(area));
            for (const auto &[owner, rect] : bordered)
                PaintBorders(painter, grid_.Cell(owner.x(), owner.y()), rect);
            painter.restore();
        }
    }
    PaintFocus(painter);
    // While a boundary is dragged, a dotted line shows where it will go.
    if (drag_ == DragState::SizingCol || drag_ == DragState::SizingRow) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        if (drag_ == DragState::SizingCol) {
            const int x = ColX(sizingIndex_) + std::max(0, sizingOrigin_ + lastMousePos_.x() - dragStart_.x());
            painter.drawLine(x, 0, x, viewport()->height());
        } else {
            const int y = RowY(sizingIndex_) + std::max(0, sizingOrigin_ + lastMousePos_.y() - dragStart_.y());
            painter.drawLine(0, y, viewport()->width(), y);
        }
    }
}

void TableGridView::PaintCell(QPainter &painter, int col, int row, const QRect &rect, TEasyGridDrawState state)
{
    const GridProperties &props = grid_.Props();
    const TCellInfo &cell = grid_.Cell(col, row);
    const QPoint current = grid_.CurrentCell();
    const bool isCurrent = grid_.MergeRect(current.x(), current.y()).Contains(col, row);
    const bool highlightAll = grid_.HasOption(goDrawFocusSelected) || grid_.HasOption(goRowSelect);
    QColor text = TableColor(cell.FontColor);
    if (props.DefaultDrawing) {
        QColor back;
        if (state & gdTitled)
            back = TableColor(props.TitleColor);
        else if ((state & gdSelected) && (highlightAll || !isCurrent))
            back = TableColor(props.HighLightColor);
        else
            back = TableColor(cell.Color);
        painter.fillRect(rect, back);
        if ((state & gdFixed) && rect.width() > 1 && rect.height() > 1) {
            // Fixed cells stand out with a raised edge.
            painter.setPen(Qt::white);
            painter.drawLine(rect.topLeft(), rect.topRight());
            painter.drawLine(rect.topLeft(), rect.bottomLeft());
            painter.setPen(Qt::gray);
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
            painter.drawLine(rect.topRight(), rect.bottomRight());
        }
        if ((state & gdSelected) && (highlightAll || !isCurrent))
            text = TableColor(props.HighLightTextColor);
    }

    QFont font;
    if (state & gdTitled) {
        font = CellFont(QStringLiteral("宋体"), 10, 0);
        const GridRect sel = grid_.Selection();
        const bool covered = (row == 0 && col >= sel.Left && col <= sel.Right)
                             || (col == 0 && row >= sel.Top && row <= sel.Bottom);
        text = TableColor(kColorBlack);
        if (covered && col + row > 0) {
            font.setBold(true);
            text = TableColor(props.FocusedTitleColor);
        }
    } else {
        font = CellFont(cell.FontName, cell.FontSize, cell.FontStyle);
    }
    // Titles name their column ("A", "B", …) or number their row, centred on one line.
    const bool title = state & gdTitled;
    QString shown;
    if (title)
        shown = row == 0 ? ColumnName(col) : col == 0 ? QString::number(row) : QString();
    else
        shown = cell.ShowForeText ? cell.ForeText : cell.BackText;
    if (!shown.isEmpty() && rect.width() > 8 && rect.height() > 8) {
        painter.setFont(font);
        painter.setPen(text);
        int flags = title ? int(Qt::AlignCenter | Qt::TextSingleLine) : AlignFlagsOf(cell.AlignMode);
        if (!title && cell.AutoWordBreak)
            flags |= Qt::TextWordWrap;
        // A title has the whole cell: the editor fits rows of 14 pixels to a 64-dot screen, and
        // the usual 4-pixel inset would cut their numbers in half.
        painter.drawText(title ? rect : rect.adjusted(4, 4, -4, -4), flags, shown);
    }
    if (grid_.events.OnDrawCell)
        grid_.events.OnDrawCell(grid_, col, row, rect, state);
}

// As on a page: a black pen of the cell's width and style, the lines on the grid lines around the
// block for width 1 and moved inwards by half of a wider pen.
void TableGridView::PaintBorders(QPainter &painter, const TCellInfo &cell, const QRect &rect)
{
    painter.setPen(CellBorderPen(cell.LineWidth, cell.PenStyle));
    const int h = cell.LineWidth / 2;
    const int x1 = rect.left() + h - 1;
    const int y1 = rect.top() + h - 1;
    const int x2 = rect.left() + rect.width() - h;
    const int y2 = rect.top() + rect.height() - h;
    // Each line stops one pixel short of its end point.
    auto line = [&painter](QPoint from, QPoint to) {
        const QPoint step((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
        if (!step.isNull())
            painter.drawLine(from, to - step);
    };
    if (cell.DrawTop)
        line({x1, y1}, {x2, y1});
    if (cell.DrawLeft)
        line({x1, y2}, {x1, y1});
    if (cell.DrawBottom)
        line({x1, y2}, {x2, y2});
    if (cell.DrawRight)
        line({x2, y2}, {x2, y1});
}

QRect TableGridView::SelectionFrameRect() const
{
    return BlockRect(grid_.Selection());
}

void TableGridView::PaintFocus(QPainter &painter)
{
    const GridProperties &props = grid_.Props();
    if (!props.DefaultDrawing || grid_.HasOption(goRowSelect)
        || (grid_.HasOption(goEditing) && grid_.HasOption(goAlwaysShowEditor)))
        return;
    const bool wholeBlocks = !grid_.CutsBlock(grid_.Selection());
    const bool focused = hasFocus() || props.AlwaysDrawFocus || (editor_ && editor_->hasFocus());
    painter.save();
    painter.setClipRect(QRect(QPoint(FixedWidth(), FixedHeight()), viewport()->rect().bottomRight()));
    if (focused && (props.GridCanCopyMove || props.GridCanFill)) {
        if (wholeBlocks) {
            // The frame and the fill handle lie inside the selection: drawn across its edges they
            // blacked out the neighbours' grid lines and, at the grid's end, the background.
            const QRect frame = SelectionFrameRect();
            painter.save();
            painter.setClipRect(frame, Qt::IntersectClip); // a block too small for the band keeps it inside
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(Qt::black, kFrameWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawRect(frame.adjusted(kFrameWidth / 2, kFrameWidth / 2, -kFrameWidth / 2, -kFrameWidth / 2));
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(frame.adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth));
            painter.fillRect(QRect(frame.right() - kFillHandleSize + 1, frame.bottom() - kFillHandleSize + 1,
                                   kFillHandleSize, kFillHandleSize),
                             Qt::black);
            painter.restore();
        } else {
            const QPoint current = grid_.CurrentCell();
            painter.setPen(QPen(Qt::black, 1));
            painter.drawRect(BlockRect(grid_.MergeRect(current.x(), current.y())));
        }
    } else if (wholeBlocks) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(BlockRect(grid_.Selection()));
    }
    // Where a dragged block would land.
    if ((drag_ == DragState::Moving || drag_ == DragState::Copying) && dragOffset_ != QPoint(0, 0)) {
        painter.setPen(QPen(Qt::darkGray, 3, Qt::DashLine));
        painter.drawRect(BlockRect(grid_.Selection().Translated(dragOffset_.x(), dragOffset_.y())));
    }
    painter.restore();
}

void TableGridView::OnGridRepaint(const GridRect &)
{
    anchor_ = grid_.Selection().Contains(anchor_.x(), anchor_.y()) ? anchor_ : grid_.CurrentCell();
    if (!syncing_)
        UpdateScrollBars();
    viewport()->update();
}

void TableGridView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    PlaceEditor();
}

void TableGridView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TableGridView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (grid_.HasOption(goAlwaysShowEditor) && !EditorShown() && CanShowEditor())
        ShowEditor();
    viewport()->update();
}

void TableGridView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// Tab and Shift+Tab move along the row (the key handler) and the focus stays in the grid, so that
// what is typed next lands in a cell; Ctrl+Tab is the way out by keyboard.
bool TableGridView::focusNextPrevChild(bool)
{
    return false;
}

// --- In-place editor --------------------------------------------------------------------------

bool TableGridView::CanShowEditor() const
{
    if (!grid_.HasOption(goEditing) || grid_.HasOption(goRowSelect))
        return false;
    const QPoint current = grid_.CurrentCell();
    const QPoint owner = grid_.BlockOwner(current.x(), current.y());
    return !grid_.Cell(owner.x(), owner.y()).ReadOnly;
}

void TableGridView::ShowEditor()
{
    editorMode_ = true;
    if (!CanShowEditor())
        return;
    const QPoint current = grid_.CurrentCell();
    const QPoint owner = grid_.BlockOwner(current.x(), current.y());
    ScrollToCell(owner.x(), owner.y());
    if (EditorShown() && editor_->EditedCell() == owner)
        return;
    const TCellInfo &cell = grid_.Cell(owner.x(), owner.y());
    QString mask;
    QString text;
    if (cell.ShowForeText) {
        switch (cell.DataStyle) {
        case dsText:
            if (grid_.events.OnGetEditMask)
                grid_.events.OnGetEditMask(grid_, owner.x(), owner.y(), mask);
            break;
        case dsDate: mask = QStringLiteral("9999/99/99;1; "); break;
        case dsTime: mask = QStringLiteral("00:00:00;1; "); break;
        default: break;
        }
        text = cell.ForeText;
        if (grid_.events.OnGetEditText)
            grid_.events.OnGetEditText(grid_, owner.x(), owner.y(), text);
        if (cell.DataStyle == dsNumber && cell.ThousandSep)
            text.remove(kThousandsSeparator);
    } else {
        text = cell.BackText;
    }
    editor_->Start(owner.x(), owner.y(), cell, mask, text);
    PlaceEditor();
    editor_->show();
    editor_->setFocus();
}

void TableGridView::PlaceEditor()
{
    if (!editor_ || editor_->EditedCell().x() < 0)
        return;
    const QPoint cell = editor_->EditedCell();
    const QRect rect = CellRect(cell.x(), cell.y());
    if (rect.isEmpty())
        editor_->move(-10000, -10000);
    else
        editor_->setGeometry(rect.adjusted(2, 2, -2, -2));
}

bool TableGridView::EditorShown() const
{
    return editor_->isVisible();
}

void TableGridView::CommitEditor()
{
    if (!editor_->isVisible())
        return;
    const QPoint cell = editor_->EditedCell();
    const QString value = editor_->EditText();
    const TCellInfo &info = grid_.Cell(cell.x(), cell.y());
    if (editor_->Modifiable()) {
        if (info.ShowForeText) {
            if (value != info.ForeText && editor_->TextChanged())
                grid_.SetForeText(cell.x(), cell.y(), value);
        } else if (value != info.BackText) {
            grid_.SetBackText(cell.x(), cell.y(), value);
        }
    }
    if (grid_.events.OnSetEditText)
        grid_.events.OnSetEditText(grid_, cell.x(), cell.y(), value);
    editor_->hide();
    if (grid_.events.OnHideEdit)
        grid_.events.OnHideEdit(grid_, cell.x(), cell.y(), value);
}

void TableGridView::HideEditor()
{
    const bool hadFocus = editor_->hasFocus();
    editorMode_ = false;
    CommitEditor();
    if (hadFocus)
        setFocus();
    viewport()->update();
}

// --- Keys -------------------------------------------------------------------------------------

void TableGridView::keyPressEvent(QKeyEvent *event)
{
    HandleGridKey(event);
}

void TableGridView::HandleGridKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const QPoint current = grid_.CurrentCell();
    const QPoint from = shift ? anchor_ : current;
    const QPoint topLeft = grid_.TopLeft();
    const bool rowSelect = grid_.HasOption(goRowSelect);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int dCol = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
        const int dRow = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
        if (ctrl)
            SetTopLeft(topLeft.x() + dCol, topLeft.y() + dRow);
        else
            MoveBy(dCol, dRow, shift);
        break;
    }
    case Qt::Key_Home:
        if (ctrl)
            MoveTo(grid_.FixedCols() + 1, grid_.FixedRows() + 1, shift);
        else if (rowSelect)
            MoveTo(from.x(), grid_.FixedRows() + 1, shift);
        else
            MoveTo(grid_.FixedCols() + 1, from.y(), shift);
        break;
    case Qt::Key_End:
        if (ctrl)
            MoveTo(grid_.ColCount() - 1, grid_.RowCount() - 1, shift);
        else if (rowSelect)
            MoveTo(from.x(), grid_.RowCount() - 1, shift);
        else
            MoveTo(grid_.ColCount() - 1, from.y(), shift);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int page = VisibleRowCount();
        const int sign = event->key() == Qt::Key_PageDown ? 1 : -1;
        if (ctrl) {
            MoveTo(from.x(), sign > 0 ? topLeft.y() + page - 1 : topLeft.y(), shift);
        } else {
            SetTopLeft(topLeft.x(), topLeft.y() + sign * page);
            MoveTo(from.x(), from.y() + sign * page, shift);
        }
        break;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (mods & Qt::AltModifier)
            break;
        const bool back = event->key() == Qt::Key_Backtab || shift;
        if (ctrl) {
            QAbstractScrollArea::focusNextPrevChild(!back);
            break;
        }
        int col = current.x();
        const GridRect block = grid_.MergeRect(current.x(), current.y());
        col = back ? block.Left - 1 : block.Right + 1;
        while (col > grid_.FixedCols() && col < grid_.ColCount() && !grid_.ColTabStop(col))
            col += back ? -1 : 1;
        if (col > grid_.FixedCols() && col < grid_.ColCount())
            MoveCurrentCell(col, current.y());
        break;
    }
    case Qt::Key_Escape:
        if (EditorShown()) {
            editor_->setText(editor_->StartText());
            HideEditor();
        }
        break;
    case Qt::Key_Delete:
        if (grid_.HasOption(goEditing))
            grid_.ClearCells(grid_.Selection());
        break;
    case Qt::Key_F2:
        ShowEditor();
        if (EditorShown())
            editor_->CaretToEnd();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (grid_.HasOption(goAlwaysShowEditor))
            break;
        if (EditorShown())
            HideEditor();
        else
            ShowEditor();
        break;
    default: {
        const QString text = event->text();
        const bool printable =
            !text.isEmpty() && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier));
        if (grid_.HasOption(goEditing) && (printable || event->key() == Qt::Key_Backspace)) {
            ShowEditor();
            if (EditorShown()) {
                editor_->selectAll();
                if (printable)
                    editor_->TypeText(text);
                else
                    editor_->backspace();
            }
            break;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    }
    event->accept();
}

void TableGridView::inputMethodEvent(QInputMethodEvent *event)
{
    const bool composing = !event->commitString().isEmpty() || !event->preeditString().isEmpty();
    if (!composing || !grid_.HasOption(goEditing)) {
        QAbstractScrollArea::inputMethodEvent(event);
        return;
    }
    ShowEditor();
    if (!EditorShown()) {
        event->ignore();
        return;
    }
    // The editor takes over the composition in progress and the input method's later events.
    editor_->selectAll();
    QApplication::sendEvent(editor_, event);
    event->accept();
}

QVariant TableGridView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const QPoint current = grid_.CurrentCell();
    switch (query) {
    case Qt::ImEnabled:
        return grid_.HasOption(goEditing);
    case Qt::ImCursorRectangle: {
        // The candidate window opens by the current cell.
        const QPoint owner = grid_.BlockOwner(current.x(), current.y());
        const QRect rect = CellRect(owner.x(), owner.y());
        return rect.isEmpty() ? QRect() : rect.translated(viewport()->pos());
    }
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
        return QString();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return 0;
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// --- Mouse ------------------------------------------------------------------------------------

TableGridView::Hit TableGridView::HitTest(const QPoint &pos) const
{
    Hit hit;
    hit.cell = CellAt(pos);
    const GridProperties &props = grid_.Props();
    const int line = props.GridLineWidth;
    // Column and row boundaries for sizing.
    const bool inTitleRow = pos.y() < RowH(0) + line;
    const bool inTitleCol = pos.x() < ColW(0) + line;
    if (grid_.HasOption(goColSizing) && (inTitleRow || props.ClientSizeable)) {
        for (int col = 1; col < grid_.ColCount(); ++col) {
            if (col > grid_.FixedCols() && col < grid_.TopLeft().x())
                continue;
            const int edge = ColX(col) + ColW(col);
            if (edge > viewport()->width() + kSizingSlop)
                break;
            if (std::abs(pos.x() - edge) <= kSizingSlop && grid_.ColSizable(col)) {
                // A boundary inside a merged block stays put.
                if (hit.cell.y() > 0 && grid_.MergeRect(col, hit.cell.y()).Right > col)
                    continue;
                hit.drag = DragState::SizingCol;
                hit.sizing = col;
                return hit;
            }
        }
    }
    if (grid_.HasOption(goRowSizing) && (inTitleCol || props.ClientSizeable)) {
        for (int row = 1; row < grid_.RowCount(); ++row) {
            if (row > grid_.FixedRows() && row < grid_.TopLeft().y())
                continue;
            const int edge = RowY(row) + RowH(row);
            if (edge > viewport()->height() + kSizingSlop)
                break;
            if (std::abs(pos.y() - edge) <= kSizingSlop && grid_.RowSizable(row)) {
                if (hit.cell.x() > 0 && grid_.MergeRect(hit.cell.x(), row).Bottom > row)
                    continue;
                hit.drag = DragState::SizingRow;
                hit.sizing = row;
                return hit;
            }
        }
    }
    if (!grid_.CutsBlock(grid_.Selection())) {
        const QRect sel = BlockRect(grid_.Selection());
        const QRect outer = sel.adjusted(-3, -3, 4, 4);
        if (props.GridCanFill && std::abs(pos.x() - sel.right()) <= 4 && std::abs(pos.y() - sel.bottom()) <= 5) {
            hit.drag = DragState::Filling;
            return hit;
        }
        const bool onFrame = outer.contains(pos) && !sel.adjusted(3, 3, -4, -4).contains(pos);
        if (props.GridCanCopyMove && onFrame) {
            hit.drag = DragState::Moving;
            return hit;
        }
    }
    if (hit.cell.x() >= 0)
        hit.drag = DragState::Selecting;
    return hit;
}

QCursor TableGridView::DragCursor(DragState drag) const
{
    switch (drag) {
    case DragState::SizingCol: return Qt::SplitHCursor;
    case DragState::SizingRow: return Qt::SplitVCursor;
    case DragState::Moving: return moveCursor_;
    case DragState::Copying: return copyCursor_;
    case DragState::Filling: return fillCursor_;
    default: return Qt::ArrowCursor;
    }
}

void TableGridView::UpdateCursor(const QPoint &pos)
{
    const DragState drag = HitTest(pos).drag;
    if (drag == DragState::None || drag == DragState::Selecting)
        viewport()->unsetCursor();
    else
        viewport()->setCursor(DragCursor(drag));
}

void TableGridView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    lastMousePos_ = pos;
    if (!hasFocus() && !editor_->hasFocus())
        setFocus();
    const Hit hit = HitTest(pos);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool range = grid_.HasOption(goRangeSelect);

    if (event->button() == Qt::RightButton) {
        if (hit.cell.x() >= 0) {
            const GridRect sel = grid_.Selection();
            if (!sel.Contains(hit.cell.x(), hit.cell.y()))
                MoveCurrentCell(hit.cell.x(), hit.cell.y());
        }
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;

    dragStart_ = pos;
    dragCell_ = hit.cell;
    dragOffset_ = {0, 0};
    switch (hit.drag) {
    case DragState::SizingCol:
    case DragState::SizingRow:
        if (EditorShown())
            HideEditor();
        drag_ = hit.drag;
        sizingIndex_ = hit.sizing;
        sizingOrigin_ = hit.drag == DragState::SizingCol ? grid_.ColWidth(hit.sizing) : grid_.RowHeight(hit.sizing);
        return;
    case DragState::Moving:
    case DragState::Filling:
        if (EditorShown())
            HideEditor();
        drag_ = hit.drag == DragState::Moving && (event->modifiers() & Qt::ControlModifier) ? DragState::Copying
                                                                                            : hit.drag;
        viewport()->setCursor(DragCursor(drag_));
        return;
    default: break;
    }
    if (hit.cell.x() < 0)
        return;
    const int col = hit.cell.x();
    const int row = hit.cell.y();
    const int lastCol = grid_.ColCount() - 1;
    const int lastRow = grid_.RowCount() - 1;
    const int firstCol = grid_.FixedCols() + 1;
    const int firstRow = grid_.FixedRows() + 1;
    if (col == 0 && row == 0) {
        if (range) {
            grid_.SetSelection({firstCol, firstRow, lastCol, lastRow});
            Q_EMIT SelectionChanged();
        }
        return;
    }
    if (row == 0 && col >= firstCol) {
        if (!range) {
            MoveCurrentCell(col, firstRow);
        } else {
            const int from = shift ? grid_.CurrentCell().x() : col;
            if (!shift)
                MoveCurrentCell(col, firstRow);
            grid_.SetSelection({std::min(from, col), firstRow, std::max(from, col), lastRow});
            Q_EMIT SelectionChanged();
        }
        return;
    }
    if (col == 0 && row >= firstRow) {
        if (!range) {
            MoveCurrentCell(firstCol, row);
        } else {
            const int from = shift ? grid_.CurrentCell().y() : row;
            if (!shift)
                MoveCurrentCell(firstCol, row);
            grid_.SetSelection({firstCol, std::min(from, row), lastCol, std::max(from, row)});
            Q_EMIT SelectionChanged();
        }
        return;
    }
    if (col < firstCol || row < firstRow)
        return; // fixed cells do nothing
    if (shift && range) {
        ExtendSelectionTo(col, row);
    } else {
        const QPoint current = grid_.CurrentCell();
        if (grid_.MergeRect(current.x(), current.y()).Contains(col, row) && EditorShown())
            return;
        MoveCurrentCell(col, row);
    }
    drag_ = range ? DragState::Selecting : DragState::None;
}

void TableGridView::AutoScroll()
{
    if (drag_ == DragState::None) {
        autoScroll_.stop();
        return;
    }
    const QPoint pos = lastMousePos_;
    const QPoint topLeft = grid_.TopLeft();
    int dCol = 0;
    int dRow = 0;
    if (pos.x() < FixedWidth())
        dCol = -1;
    else if (pos.x() >= viewport()->width())
        dCol = 1;
    if (pos.y() < FixedHeight())
        dRow = -1;
    else if (pos.y() >= viewport()->height())
        dRow = 1;
    if (dCol == 0 && dRow == 0) {
        autoScroll_.stop();
        return;
    }
    SetTopLeft(topLeft.x() + dCol, topLeft.y() + dRow);
    if (drag_ == DragState::Selecting) {
        const QPoint clamped(std::clamp(pos.x(), FixedWidth(), std::max(FixedWidth(), viewport()->width() - 1)),
                             std::clamp(pos.y(), FixedHeight(), std::max(FixedHeight(), viewport()->height() - 1)));
        const QPoint cell = CellAt(clamped);
        if (cell.x() >= 0)
            ExtendSelectionTo(cell.x(), cell.y());
    }
}

void TableGridView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    lastMousePos_ = pos;
    switch (drag_) {
    case DragState::None: UpdateCursor(pos); return;
    case DragState::SizingCol:
    case DragState::SizingRow: viewport()->update(); return;
    case DragState::Selecting: {
        const QPoint cell = CellAt(pos);
        const bool outside = pos.x() < FixedWidth() || pos.y() < FixedHeight() || pos.x() >= viewport()->width()
                             || pos.y() >= viewport()->height();
        if (outside) {
            if (!autoScroll_.isActive())
                autoScroll_.start();
        } else if (cell.x() > grid_.FixedCols() && cell.y() > grid_.FixedRows() && cell != anchor_) {
            ExtendSelectionTo(cell.x(), cell.y());
        }
        return;
    }
    default: {
        const QPoint cell = CellAt(pos);
        if (cell.x() >= 0 && dragCell_.x() >= 0)
            dragOffset_ = cell - dragCell_;
        viewport()->update();
        return;
    }
    }
}

void TableGridView::FinishDrag(const QPoint &pos)
{
    const DragState drag = drag_;
    drag_ = DragState::None;
    autoScroll_.stop();
    switch (drag) {
    case DragState::SizingCol:
        grid_.SetColWidth(sizingIndex_, std::max(0, sizingOrigin_ + pos.x() - dragStart_.x()));
        break;
    case DragState::SizingRow:
        grid_.SetRowHeight(sizingIndex_, std::max(0, sizingOrigin_ + pos.y() - dragStart_.y()));
        break;
    case DragState::Moving:
    case DragState::Copying: {
        const QPoint cell = CellAt(pos);
        if (cell.x() >= 0 && dragCell_.x() >= 0)
            dragOffset_ = cell - dragCell_;
        if (dragOffset_ != QPoint(0, 0))
            grid_.MoveCells(grid_.Selection(), dragOffset_.x(), dragOffset_.y(), drag == DragState::Copying);
        break;
    }
    case DragState::Filling: {
        const GridRect sel = grid_.Selection();
        const QPoint cell = CellAt(pos);
        if (cell.x() < 0)
            break;
        // The direction of the larger movement; the count reaches the cell under the pointer.
        const int dx = cell.x() > sel.Right ? cell.x() - sel.Right : cell.x() < sel.Left ? cell.x() - sel.Left : 0;
        const int dy = cell.y() > sel.Bottom ? cell.y() - sel.Bottom : cell.y() < sel.Top ? cell.y() - sel.Top : 0;
        if (dx == 0 && dy == 0)
            break;
        if (std::abs(dx) >= std::abs(dy))
            grid_.FillCells(sel, dx, FillDirection::Horizontal);
        else
            grid_.FillCells(sel, dy, FillDirection::Vertical);
        break;
    }
    default: break;
    }
    UpdateScrollBars();
    UpdateCursor(pos);
    viewport()->update();
    Q_EMIT SelectionChanged();
}

void TableGridView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && drag_ != DragState::None)
        FinishDrag(event->position().toPoint());
}

void TableGridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint cell = CellAt(event->position().toPoint());
    const QPoint current = grid_.CurrentCell();
    if (event->button() == Qt::LeftButton && cell.x() >= 0
        && grid_.MergeRect(current.x(), current.y()).Contains(cell.x(), cell.y()))
        ShowEditor();
}

// --- Context menu -----------------------------------------------------------------------------

void TableGridView::BuildMenu(QMenu &menu)
{
    const bool editing = grid_.HasOption(goEditing);
    const GridRect sel = grid_.Selection();
    const bool whole = editing && !grid_.CutsBlock(sel);
    const QPoint current = grid_.CurrentCell();
    auto add = [&](QMenu &to, const QString &text, bool enabled, auto action) {
        QAction *item = to.addAction(text);
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this, action);
    };
    add(menu, QStringLiteral("剪切(&T)"), editing, [this] { grid_.CutCells(grid_.Selection()); });
    add(menu, QStringLiteral("复制(&C)"), true, [this] { grid_.CopyCells(grid_.Selection()); });
    add(menu, QStringLiteral("粘贴(&P)"), editing && grid_.CanPaste(),
        [this, current] { grid_.PasteCells(current.x(), current.y()); });
    menu.addSeparator();
    QMenu *insert = menu.addMenu(QStringLiteral("插入(&I)..."));
    insert->setEnabled(whole);
    add(*insert, QStringLiteral("横向插入单元格"), whole, [this] { grid_.InsertCellsRight(grid_.Selection()); });
    add(*insert, QStringLiteral("纵向插入单元格"), whole, [this] { grid_.InsertCellsDown(grid_.Selection()); });
    add(*insert, QStringLiteral("插入整行"), whole, [this] { grid_.InsertRows(grid_.Selection()); });
    add(*insert, QStringLiteral("插入整列"), whole, [this] { grid_.InsertCols(grid_.Selection()); });
    QMenu *remove = menu.addMenu(QStringLiteral("删除(&D)..."));
    remove->setEnabled(whole);
    add(*remove, QStringLiteral("横向删除单元格"), whole, [this] { grid_.DeleteCellsLeft(grid_.Selection()); });
    add(*remove, QStringLiteral("纵向删除单元格"), whole, [this] { grid_.DeleteCellsUp(grid_.Selection()); });
    add(*remove, QStringLiteral("删除整行"), whole, [this] { grid_.DeleteRows(grid_.Selection()); });
    add(*remove, QStringLiteral("删除整列"), whole, [this] { grid_.DeleteCols(grid_.Selection()); });
    add(menu, QStringLiteral("清除单元格内容(&N)"), editing, [this] { grid_.ClearCells(grid_.Selection()); });
    menu.addSeparator();
    add(menu, QStringLiteral("设置单元格格式(&F)..."), editing, [this] { Q_EMIT CellFormatRequested(); });
}

void TableGridView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!grid_.Props().ShowPopup) {
        event->accept();
        return;
    }
    QMenu menu(this);
    BuildMenu(menu);
    menu.exec(event->globalPos());
}

} // namespace pelvoro
