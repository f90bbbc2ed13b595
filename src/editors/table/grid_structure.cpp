// Whole columns and rows inserted and deleted.
#include "editors/table/grid_model.h"

#include "editors/table/grid_messages.h"

#include <vector>

namespace pelvoro {

namespace {

// One axis of the grid: columns (lines are columns, the cross axis rows) or rows.
struct Axis {
    bool columns;

    int Start(const GridRect &r) const { return columns ? r.Left : r.Top; }
    int End(const GridRect &r) const { return columns ? r.Right : r.Bottom; }
    void SetStart(GridRect &r, int value) const { (columns ? r.Left : r.Top) = value; }
    void SetEnd(GridRect &r, int value) const { (columns ? r.Right : r.Bottom) = value; }
    int CrossStart(const GridRect &r) const { return columns ? r.Top : r.Left; }
    int CrossEnd(const GridRect &r) const { return columns ? r.Bottom : r.Right; }
    // (line, cross) as (col, row).
    int Col(int line, int cross) const { return columns ? line : cross; }
    int Row(int line, int cross) const { return columns ? cross : line; }
};

} // namespace

namespace {

// The merged blocks that contain a cell of `line`, each once.
std::vector<GridRect> BlocksOnLine(const TCustomEasyGrid &grid, const Axis &axis, int line, int crossCount)
{
    std::vector<GridRect> blocks;
    for (int cross = 0; cross < crossCount; ++cross) {
        const int col = axis.Col(line, cross);
        const int row = axis.Row(line, cross);
        if (!grid.IsMerged(col, row))
            continue;
        const GridRect block = grid.MergeRect(col, row);
        blocks.push_back(block);
        cross = axis.CrossEnd(block);
    }
    return blocks;
}

} // namespace

void TCustomEasyGrid::StampBlock(const GridRect &block)
{
    for (int col = block.Left; col <= block.Right; ++col) {
        for (int row = block.Top; row <= block.Bottom; ++row)
            CellRef(col, row).SetMergeRectAt(col, row, block);
    }
}

void TCustomEasyGrid::InsertLines(const GridRect &rect, bool columns)
{
    const Axis axis{columns};
    const int at = axis.Start(rect);
    const int n = axis.End(rect) - at + 1;
    const int crossCount = columns ? RowCount() : ColCount();

    // A block that begins before the new lines and reaches them stretches over them.
    std::vector<GridRect> stretched;
    for (GridRect block : BlocksOnLine(*this, axis, at - 1, crossCount)) {
        if (axis.End(block) >= at) {
            axis.SetEnd(block, axis.End(block) + n);
            stretched.push_back(block);
        }
    }
    if (columns)
        content_.Cells.InsertColumns(at, n, content_.CellFactory());
    else
        content_.Cells.InsertRows(at, n, content_.CellFactory());
    for (const GridRect &block : stretched)
        StampBlock(block);

    // Past 256 columns the last ones go; a block in the fixed rows that reached them is shortened.
    if (columns && ColCount() > kMaxColCount) {
        content_.Cells.RemoveColumns(kMaxColCount, ColCount() - kMaxColCount);
        for (GridRect block : BlocksOnLine(*this, axis, kMaxColCount - 1, crossCount)) {
            if (block.Right >= kMaxColCount) {
                block.Right = kMaxColCount - 1;
                StampBlock(block);
            }
        }
    }
    content_.FitArrays();
}

bool TCustomEasyGrid::InsertCols(const GridRect &rect)
{
    if (rect.IsEmpty() || rect.Left < 1 || rect.Left > ColCount() - 1)
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    const int n = rect.Width();
    if (ColCount() + n > kMaxColCount) {
        for (int col = std::max(1, ColCount() - n); col < ColCount(); ++col) {
            for (int row = FixedRows() + 1; row < RowCount(); ++row) {
                const TCellInfo &cell = Cell(col, row);
                if (cell.HasText() || cell.IsMerged()) {
                    ShowError(grid_text::kKeepRightmostData);
                    return false;
                }
            }
        }
    }
    const bool autoUpdate = autoUpdate_;
    autoUpdate_ = false;
    const GridRect selection = selection_;
    InsertLines(rect, true);
    selection_ = selection;
    ClipSelection();
    autoUpdate_ = autoUpdate;
    RepaintAll();
    if (events.OnInsertCol)
        events.OnInsertCol(*this, rect);
    return true;
}

bool TCustomEasyGrid::InsertRows(const GridRect &rect)
{
    if (rect.IsEmpty() || rect.Top < 1 || rect.Top > RowCount() - 1)
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    const bool autoUpdate = autoUpdate_;
    autoUpdate_ = false;
    const GridRect selection = selection_;
    InsertLines(rect, false);
    selection_ = selection;
    ClipSelection();
    autoUpdate_ = autoUpdate;
    RepaintAll();
    if (events.OnInsertRow)
        events.OnInsertRow(*this, rect);
    return true;
}

void TCustomEasyGrid::DeleteLines(const GridRect &rect, bool columns)
{
    const Axis axis{columns};
    const int first = axis.Start(rect);
    const int last = axis.End(rect);
    const int count = columns ? ColCount() : RowCount();
    const int crossCount = columns ? RowCount() : ColCount();
    if (rect.IsEmpty() || first < 1 || last > count - 1)
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    const int n = last - first + 1;
    if (count - n < 2)
        throw EInvalidGridOperation(grid_text::kTooManyDeleted);

    // The blocks that cross either edge of the range, as they will be once the lines are gone.
    std::vector<GridRect> kept;
    auto keep = [&](GridRect block) {
        const int start = axis.Start(block);
        const int end = axis.End(block);
        if (start < first)
            axis.SetEnd(block, end <= last ? first - 1 : end - n);
        else
            axis.SetStart(block, first), axis.SetEnd(block, end - n);
        for (const GridRect &other : kept) {
            if (other == block)
                return;
        }
        kept.push_back(block);
    };
    if (first > 1) {
        for (const GridRect &block : BlocksOnLine(*this, axis, first - 1, crossCount)) {
            if (axis.End(block) >= first)
                keep(block);
        }
    }
    if (last + 1 < count) {
        for (const GridRect &block : BlocksOnLine(*this, axis, last + 1, crossCount)) {
            if (axis.Start(block) <= last)
                keep(block);
        }
    }

    if (columns)
        content_.Cells.RemoveColumns(first, n);
    else
        content_.Cells.RemoveRows(first, n);
    for (const GridRect &block : kept)
        StampBlock(block);
    content_.FitArrays();
    GridProperties &props = content_.Props;
    props.FixedCols = std::min(props.FixedCols, ColCount() - 2);
    props.FixedRows = std::min(props.FixedRows, RowCount() - 2);
}

void TCustomEasyGrid::DeleteCols(const GridRect &rect)
{
    DeleteLines(rect, true);
    ClipSelection();
    RepaintAll();
    if (events.OnDeleteCol)
        events.OnDeleteCol(*this, rect);
}

void TCustomEasyGrid::DeleteRows(const GridRect &rect)
{
    DeleteLines(rect, false);
    ClipSelection();
    RepaintAll();
    if (events.OnDeleteRow)
        events.OnDeleteRow(*this, rect);
}

} // namespace pelvoro
