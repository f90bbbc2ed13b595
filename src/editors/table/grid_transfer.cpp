// The block buffer and what goes through it: the clipboard, filling and moving blocks.
#include "editors/table/grid_model.h"

#include "editors/table/block_buffer.h"
#include "editors/table/block_check.h"
#include "editors/table/bls_format.h"
#include "editors/table/byte_io.h"
#include "editors/table/gbk_text.h"
#include "editors/table/grid_messages.h"

#include <climits>
#include <cstdlib>

namespace pelvoro {

QByteArray TCustomEasyGrid::SerializeBlock(const GridRect &rect) const
{
    if (rect.IsEmpty() || !GridBounds().Contains(rect))
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    QByteArray out;
    ByteWriter writer(out);
    writer.I32(rect.Left);
    writer.I32(rect.Top);
    writer.I32(rect.Width());
    writer.I32(rect.Height());
    GbkTextCodec codec;
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row)
            AppendCellRecord(out, Cell(col, row), MergeRect(col, row), codec);
    }
    return out;
}

bool TCustomEasyGrid::WriteDecodedBlock(const DecodedBlock &block, int col, int row, const GridRect &clip)
{
    const int dCol = col - block.source.Left;
    const int dRow = row - block.source.Top;
    const GridRect target = GridRect{col, row, col + block.Width() - 1, row + block.Height() - 1}.Intersected(clip);
    if (target.IsEmpty() || !GridBounds().Contains(target))
        return false;
    // The blocks the cells name, moved with them, have to fit the target and agree with each other.
    auto blockAt = [&](int c, int r) { return block.At(c - col, r - row).mergeRect.Translated(dCol, dRow); };
    for (int c = target.Left; c <= target.Right; ++c) {
        for (int r = target.Top; r <= target.Bottom; ++r) {
            const GridRect named = block.At(c - col, r - row).mergeRect;
            // Shifting must not overflow: a sane block names rectangles within the grid's reach.
            if (qint64(named.Left) + dCol < INT_MIN || qint64(named.Right) + dCol > INT_MAX
                || qint64(named.Top) + dRow < INT_MIN || qint64(named.Bottom) + dRow > INT_MAX)
                return false;
        }
    }
    if (!BlocksAreConsistent(target, blockAt))
        return false;
    for (int c = target.Left; c <= target.Right; ++c) {
        for (int r = target.Top; r <= target.Bottom; ++r) {
            TCellInfo &cell = CellRef(c, r);
            cell.CopyContentFrom(block.At(c - col, r - row).cell);
            cell.SetMergeRectAt(c, r, blockAt(c, r));
        }
    }
    return true;
}

bool TCustomEasyGrid::WriteBlock(const QByteArray &bytes, int col, int row)
{
    const auto block = DecodeBlock(bytes);
    if (!block)
        return false;
    const GridRect target{col, row, col + block->Width() - 1, row + block->Height() - 1};
    if (!GridBounds().Contains(target) || !WriteDecodedBlock(*block, col, row, target))
        return false;
    Repaint(target);
    return true;
}

// --- Clipboard --------------------------------------------------------------------------------

void TCustomEasyGrid::CopyCells(const GridRect &rect)
{
    const GridRect clipped = rect.Normalized().Intersected(ClientRect());
    if (clipped.IsEmpty())
        return;
    clipboard_->PutBlock(SerializeBlock(clipped));
}

bool TCustomEasyGrid::CutCells(const GridRect &rect)
{
    const GridRect clipped = rect.Normalized().Intersected(ClientRect());
    if (clipped.IsEmpty())
        return false;
    if (AnyReadOnly(clipped)) {
        ShowInfo(grid_text::kCutReadOnly);
        return false;
    }
    if (CutsBlock(clipped)) {
        ShowInfo(grid_text::kPartOfMergedBlock);
        return false;
    }
    CopyCells(clipped);
    ResetRect(clipped);
    Repaint(clipped);
    if (events.OnCutCells)
        events.OnCutCells(*this, rect);
    return true;
}

bool TCustomEasyGrid::CanPaste() const
{
    return clipboard_->Block().has_value();
}

bool TCustomEasyGrid::PasteCells(int col, int row)
{
    const std::optional<QByteArray> bytes = clipboard_->Block();
    if (!bytes)
        return false;
    const auto block = DecodeBlock(*bytes);
    const GridRect target = block ? GridRect{col, row, col + block->Width() - 1, row + block->Height() - 1}
                                  : GridRect{};
    const bool fits = block && qint64(col) + block->Width() <= ColCount() && qint64(row) + block->Height() <= RowCount()
                      && ScrollingRect().Contains(target);
    if (!fits || CutsBlock(target) || AnyReadOnly(target) || !WriteDecodedBlock(*block, col, row, target)) {
        ShowInfo(grid_text::kCannotPaste);
        return false;
    }
    SetSelection(target);
    Repaint(target);
    if (events.OnPasteCells)
        events.OnPasteCells(*this, QPoint(block->source.Left, block->source.Top),
                            QSize(block->Width(), block->Height()), target);
    return true;
}

// --- Fill and move ----------------------------------------------------------------------------

bool TCustomEasyGrid::FillCells(const GridRect &source, int count, FillDirection direction)
{
    const GridRect src = source.Normalized();
    if (count == 0 || src.IsEmpty() || !ClientRect().Contains(src) || CutsBlock(src))
        return false;
    const bool horizontal = direction == FillDirection::Horizontal;
    const int size = horizontal ? src.Width() : src.Height();
    const int amount = std::abs(count);
    bool merged = false;
    for (int col = src.Left; col <= src.Right && !merged; ++col) {
        for (int row = src.Top; row <= src.Bottom && !merged; ++row)
            merged = IsMerged(col, row);
    }
    if (merged && amount % size != 0)
        return false;
    GridRect strip = src;
    if (horizontal) {
        strip.Left = count > 0 ? src.Right + 1 : src.Left - amount;
        strip.Right = count > 0 ? src.Right + amount : src.Left - 1;
    } else {
        strip.Top = count > 0 ? src.Bottom + 1 : src.Top - amount;
        strip.Bottom = count > 0 ? src.Bottom + amount : src.Top - 1;
    }
    if (!ClientRect().Contains(strip))
        return false;
    if (CutsBlock(strip)) {
        ShowInfo(grid_text::kFillNeedsEqualBlocks);
        return false;
    }
    if (AnyReadOnly(strip)) {
        ShowInfo(grid_text::kTargetReadOnly);
        return false;
    }

    const auto block = DecodeBlock(SerializeBlock(src));
    const int copies = amount / size;
    const int remainder = amount % size;
    // Copies laid side by side away from the source; the remainder at the far end takes the source's
    // first lines going forwards and its last lines going backwards, so the pattern runs on.
    for (int k = 1; k <= copies + (remainder > 0 ? 1 : 0); ++k) {
        const int offset = (count > 0 ? k : -k) * size;
        const int col = horizontal ? src.Left + offset : src.Left;
        const int row = horizontal ? src.Top : src.Top + offset;
        WriteDecodedBlock(*block, col, row, strip);
    }
    const GridRect filled = src.United(strip);
    SetSelection(filled);
    Repaint(filled);
    if (events.OnFillCells)
        events.OnFillCells(*this, src, strip);
    return true;
}

bool TCustomEasyGrid::MoveCells(const GridRect &source, int dCol, int dRow, bool copy)
{
    const GridRect src = source.Normalized();
    if ((dCol == 0 && dRow == 0) || src.IsEmpty() || !ClientRect().Contains(src) || CutsBlock(src))
        return false;
    const GridRect target = src.Translated(dCol, dRow);
    if (!ClientRect().Contains(target))
        return false;
    // A block partly in the target is cut, unless it goes with the source when moving.
    for (int col = target.Left; col <= target.Right; ++col) {
        for (int row = target.Top; row <= target.Bottom; ++row) {
            const GridRect block = MergeRect(col, row);
            if (!target.Contains(block) && (copy || !src.Contains(block))) {
                ShowInfo(grid_text::kPartOfMergedBlock);
                return false;
            }
        }
    }
    if (AnyReadOnly(target)) {
        ShowInfo(grid_text::kTargetReadOnly);
        return false;
    }
    bool overwrites = false;
    for (int col = target.Left; col <= target.Right && !overwrites; ++col) {
        for (int row = target.Top; row <= target.Bottom && !overwrites; ++row)
            overwrites = !src.Contains(col, row) && Cell(col, row).HasText();
    }
    if (overwrites && !AskOk(grid_text::kReplaceTargetQuestion))
        return false;

    const auto block = DecodeBlock(SerializeBlock(src));
    if (!copy)
        ResetRect(src);
    WriteDecodedBlock(*block, target.Left, target.Top, target);
    SetSelection(target);
    Repaint(src.United(target));
    if (events.OnCopyMoveCells)
        events.OnCopyMoveCells(*this, src, target);
    return true;
}

} // namespace pelvoro
