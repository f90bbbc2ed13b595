// Cells shifted inside the grid: inserted to the right or below, deleted to the left or upwards.
#include "editors/table/grid_model.h"

#include "editors/table/block_buffer.h"
#include "editors/table/grid_messages.h"

#include <vector>

namespace pelvoro {

namespace {

// The merged blocks that touch `region` without lying wholly inside it.
std::vector<GridRect> BlocksCrossing(const TCustomEasyGrid &grid, const GridRect &region)
{
    std::vector<GridRect> crossing;
    for (int col = region.Left; col <= region.Right; ++col) {
        for (int row = region.Top; row <= region.Bottom; ++row) {
            if (!grid.IsMerged(col, row))
                continue;
            const GridRect block = grid.MergeRect(col, row);
            if (region.Contains(block) || (col != std::max(block.Left, region.Left))
                || (row != std::max(block.Top, region.Top)))
                continue;
            crossing.push_back(block);
        }
    }
    return crossing;
}

} // namespace

// `columns`: the cells move along the rows (right or left); otherwise along the columns.
bool TCustomEasyGrid::ShiftCells(const GridRect &rect, bool columns, bool insert)
{
    if (rect.IsEmpty() || !ClientRect().Contains(rect))
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    const int size = columns ? rect.Width() : rect.Height();
    const int end = columns ? ColCount() - 1 : RowCount() - 1;
    // The cells that move, the rectangle included.
    const GridRect region = columns ? GridRect{rect.Left, rect.Top, end, rect.Bottom}
                                    : GridRect{rect.Left, rect.Top, rect.Right, end};
    // The cells at the far end: pushed out when inserting, emptied when deleting.
    const GridRect farEnd = columns ? GridRect{end - size + 1, rect.Top, end, rect.Bottom}
                                    : GridRect{rect.Left, end - size + 1, rect.Right, end};

    if (insert) {
        for (int col = farEnd.Left; col <= farEnd.Right; ++col) {
            for (int row = farEnd.Top; row <= farEnd.Bottom; ++row) {
                const TCellInfo &cell = Cell(col, row);
                if (cell.HasText() || cell.IsMerged()) {
                    ShowError(columns ? grid_text::kKeepRightmostData : grid_text::kKeepBottomData);
                    return false;
                }
            }
        }
    }
    std::vector<GridRect> torn = BlocksCrossing(*this, region);
    if (!insert) {
        // The rectangle's cells go: a block reaching out of it would lose part of itself.
        for (const GridRect &block : BlocksCrossing(*this, rect))
            torn.push_back(block);
    }
    if (!torn.empty()) {
        if (!AskOk(grid_text::kSplitBlocksQuestion))
            return false;
        for (const GridRect &block : torn)
            SplitBlocksInside(block);
    }

    const int dCol = columns ? size : 0;
    const int dRow = columns ? 0 : size;
    if (insert) {
        const GridRect moving = columns ? GridRect{rect.Left, rect.Top, end - size, rect.Bottom}
                                        : GridRect{rect.Left, rect.Top, rect.Right, end - size};
        if (!moving.IsEmpty()) {
            const auto block = DecodeBlock(SerializeBlock(moving));
            WriteDecodedBlock(*block, moving.Left + dCol, moving.Top + dRow, region);
        }
        ResetRect(columns ? GridRect{rect.Left, rect.Top, rect.Left + size - 1, rect.Bottom}
                          : GridRect{rect.Left, rect.Top, rect.Right, rect.Top + size - 1});
    } else {
        const GridRect moving = columns ? GridRect{rect.Right + 1, rect.Top, end, rect.Bottom}
                                        : GridRect{rect.Left, rect.Bottom + 1, rect.Right, end};
        if (!moving.IsEmpty()) {
            const auto block = DecodeBlock(SerializeBlock(moving));
            WriteDecodedBlock(*block, moving.Left - dCol, moving.Top - dRow, region);
        }
        ResetRect(farEnd);
    }
    ClipSelection();
    Repaint(region);
    return true;
}

bool TCustomEasyGrid::InsertCellsRight(const GridRect &rect)
{
    if (!ShiftCells(rect, true, true))
        return false;
    if (events.OnInsertCellRight)
        events.OnInsertCellRight(*this, rect);
    return true;
}

bool TCustomEasyGrid::InsertCellsDown(const GridRect &rect)
{
    if (!ShiftCells(rect, false, true))
        return false;
    if (events.OnInsertCellDown)
        events.OnInsertCellDown(*this, rect);
    return true;
}

bool TCustomEasyGrid::DeleteCellsLeft(const GridRect &rect)
{
    if (!ShiftCells(rect, true, false))
        return false;
    if (events.OnDeleteCellRight)
        events.OnDeleteCellRight(*this, rect);
    return true;
}

bool TCustomEasyGrid::DeleteCellsUp(const GridRect &rect)
{
    if (!ShiftCells(rect, false, false))
        return false;
    if (events.OnDeleteCellDown)
        events.OnDeleteCellDown(*this, rect);
    return true;
}

} // namespace pelvoro
