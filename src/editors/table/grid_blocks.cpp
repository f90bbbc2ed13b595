// Merged blocks: expanding a rectangle to whole blocks, merging, splitting, clearing and resetting.
#include "editors/table/grid_model.h"

#include "editors/table/grid_messages.h"

#include <set>
#include <utility>

namespace pelvoro {

GridRect TCustomEasyGrid::ExpandToBlocks(const GridRect &rect) const
{
    const GridRect start = rect.Normalized().Intersected(GridBounds());
    if (start.IsEmpty())
        return start;
    const CellStore &cells = content_.Cells;
    auto blockAt = [&cells](int col, int row) { return cells.At(col, row).MergeRectAt(col, row); };
    GridRect grown = blockAt(start.Left, start.Top).United(blockAt(start.Right, start.Bottom));
    // Only the edge cells can belong to a block that reaches outside. The rectangle only grows, so an
    // edge cell that lay inside the previous rectangle was an edge cell of it and has been looked at.
    GridRect seen{1, 1, 0, 0};
    for (;;) {
        GridRect next = grown;
        auto visit = [&](int col, int row) {
            if (!seen.Contains(col, row))
                next = next.United(blockAt(col, row));
        };
        for (int col = grown.Left; col <= grown.Right; ++col) {
            visit(col, grown.Top);
            visit(col, grown.Bottom);
        }
        for (int row = grown.Top + 1; row < grown.Bottom; ++row) {
            visit(grown.Left, row);
            visit(grown.Right, row);
        }
        if (next == grown)
            return grown;
        seen = grown;
        grown = next;
    }
}

bool TCustomEasyGrid::MergeCells(const GridRect &rect, bool confirm)
{
    if (rect.Left == 0 || rect.Top == 0 || rect.Right == 0 || rect.Bottom == 0)
        return false;
    if (rect.IsEmpty() || rect.IsSingleCell() || !ClientRect().Contains(rect) || CutsBlock(rect))
        return false;
    const int fixedCols = FixedCols();
    const int fixedRows = FixedRows();
    if (rect.Left <= fixedCols && fixedCols < rect.Right && rect.Top > fixedRows)
        return false;
    if (rect.Top <= fixedRows && fixedRows < rect.Bottom && rect.Left > fixedCols)
        return false;

    QPoint source(rect.Left, rect.Top);
    int filled = 0;
    for (int row = rect.Top; row <= rect.Bottom; ++row) {
        for (int col = rect.Left; col <= rect.Right; ++col) {
            if (Cell(col, row).HasText() && filled++ == 0)
                source = {col, row};
        }
    }
    if (confirm && filled > 1 && !AskOk(grid_text::kMergeMultipleValues))
        return false;

    const TCellInfo kept = Cell(source.x(), source.y());
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row) {
            TCellInfo &cell = CellRef(col, row);
            cell.CopyContentFrom(kept);
            cell.SetMergeRectAt(col, row, rect);
            if (col != rect.Left || row != rect.Top) {
                cell.ForeText.clear();
                cell.BackText.clear();
            }
        }
    }
    if (rect.Contains(current_.x(), current_.y()) && !HasOption(goRowSelect))
        selection_ = rect;
    Repaint(rect);
    return true;
}

void TCustomEasyGrid::SplitBlocksInside(const GridRect &rect)
{
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row)
            CellRef(col, row).Unmerge();
    }
}

bool TCustomEasyGrid::SplitCells(const GridRect &rect)
{
    if (rect.IsEmpty())
        return false;
    const GridRect clipped = rect.Intersected(ClientRect());
    if (clipped.IsEmpty() || clipped.IsSingleCell() || CutsBlock(clipped))
        return false;
    SplitBlocksInside(clipped);
    Repaint(clipped);
    return true;
}

void TCustomEasyGrid::ClearCells(const GridRect &rect)
{
    const GridRect clipped = rect.Normalized().Intersected(ClientRect());
    if (clipped.IsEmpty())
        return;
    const bool autoUpdate = autoUpdate_;
    autoUpdate_ = false;
    std::set<std::pair<int, int>> cleared;
    for (int row = clipped.Top; row <= clipped.Bottom; ++row) {
        for (int col = clipped.Left; col <= clipped.Right; ++col) {
            const QPoint owner = BlockOwner(col, row);
            if (Cell(owner.x(), owner.y()).ReadOnly || !cleared.insert({owner.x(), owner.y()}).second)
                continue;
            SetForeText(owner.x(), owner.y(), QString());
            SetBackText(owner.x(), owner.y(), QString());
        }
    }
    autoUpdate_ = autoUpdate;
    Repaint(ExpandToBlocks(clipped));
}

void TCustomEasyGrid::ResetRect(const GridRect &rect)
{
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row)
            CellRef(col, row) = content_.NewCell(col, row);
    }
}

bool TCustomEasyGrid::ResetCells(const GridRect &rect)
{
    const GridRect clipped = rect.Normalized().Intersected(ClientRect());
    if (clipped.IsEmpty() || CutsBlock(clipped))
        return false;
    ResetRect(clipped);
    Repaint(clipped);
    return true;
}

} // namespace pelvoro
