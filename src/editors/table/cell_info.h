#pragma once

#include "editors/table/grid_types.h"

#include <QString>

namespace pelvoro {

// One cell of the grid. Every position, titles included, has its own record.
//
// The merged block a cell belongs to is kept as the distances from the cell to the block's four
// edges rather than as the block's rectangle: whole rows and columns can then be inserted or
// deleted without touching the cells that merely move. TCustomEasyGrid::MergeRect gives the
// rectangle; a cell that is not merged has all four distances 0.
struct TCellInfo {
    TDataStyle DataStyle = dsText;
    TAlignMode AlignMode = taCenter;
    bool ReadOnly = false;
    bool AutoWordBreak = true;
    bool ShowForeText = true;
    bool DrawTop = false;
    bool DrawLeft = false;
    bool DrawBottom = false;
    bool DrawRight = false;
    bool AllowNegative = true;
    bool TrailingZero = false;
    bool ZeroNull = false;
    bool ThousandSep = false;
    TPenStyle PenStyle = psSolid;
    TFontStyles FontStyle = 0;
    qint32 MaxLength = 255;
    qint32 IntLength = 3;
    qint32 DecLength = 2;
    qint32 LineWidth = 1;
    qint32 CellReserved = 0;
    TColor Color = kColorWhite;
    qint32 FontSize = 9;
    TColor FontColor = kColorBlack;
    // Distances to the merged block's left, top, right and bottom edges (all >= 0).
    qint32 MergeToLeft = 0;
    qint32 MergeToTop = 0;
    qint32 MergeToRight = 0;
    qint32 MergeToBottom = 0;
    QString FontName;
    QString ForeText;
    QString BackText;

    bool IsMerged() const { return (MergeToLeft | MergeToTop | MergeToRight | MergeToBottom) != 0; }
    bool HasText() const { return !ForeText.isEmpty() || !BackText.isEmpty(); }
    // The block's rectangle for this cell standing at (col, row).
    GridRect MergeRectAt(int col, int row) const
    {
        return {col - MergeToLeft, row - MergeToTop, col + MergeToRight, row + MergeToBottom};
    }
    // Makes `block` the merged block of this cell standing at (col, row); `block` contains it.
    void SetMergeRectAt(int col, int row, const GridRect &block)
    {
        MergeToLeft = col - block.Left;
        MergeToTop = row - block.Top;
        MergeToRight = block.Right - col;
        MergeToBottom = block.Bottom - row;
    }
    void Unmerge() { MergeToLeft = MergeToTop = MergeToRight = MergeToBottom = 0; }
    // Every field but the merged block (what merging and block writes copy).
    void CopyContentFrom(const TCellInfo &other);

    friend bool operator==(const TCellInfo &, const TCellInfo &) = default;
};

} // namespace pelvoro
