#pragma once

#include "editors/table/grid_model.h"

#include <QString>

#include <optional>

// The cell-format dialog's values without its widgets: what the cells of a selection have in
// common, and writing a format into every cell of a selection. A property the cells do not share
// is undecided (nullopt) and is left alone when the format is written.
namespace pelvoro {

enum class HorzAlign { Left, Centre, Right };
enum class VertAlign { Top, Centre, Bottom };

// An alignment split into its two sides and put together again. A stored value that names no
// alignment reads as top left.
HorzAlign HorzAlignOf(TAlignMode mode);
VertAlign VertAlignOf(TAlignMode mode);
TAlignMode AlignModeOf(HorzAlign horz, VertAlign vert);

struct CellFormat {
    std::optional<TDataStyle> dataStyle;
    std::optional<int> maxLength;
    std::optional<int> intLength;
    std::optional<int> decLength;
    std::optional<bool> allowNegative;
    std::optional<bool> thousandSep;
    std::optional<bool> trailingZero;
    std::optional<bool> zeroNull;

    std::optional<HorzAlign> horzAlign;
    std::optional<VertAlign> vertAlign;
    std::optional<bool> autoWordBreak;
    // Read: true when the selection is one merged block, false when no cell of it is merged.
    // Written: true merges the selection (asking when several cells hold texts), false splits it.
    std::optional<bool> merged;

    std::optional<QString> fontName;
    // Bold and italic only: written, each cell keeps its other style bits. Underline is its own
    // switch, added or removed cell by cell.
    std::optional<TFontStyles> fontStyle;
    std::optional<bool> underline;
    std::optional<int> fontSize;
    std::optional<TColor> fontColor;

    std::optional<bool> drawLeft;
    std::optional<bool> drawRight;
    std::optional<bool> drawTop;
    std::optional<bool> drawBottom;
    std::optional<int> lineWidth;
    std::optional<TPenStyle> penStyle;
    std::optional<TColor> color;
    std::optional<bool> readOnly;

    friend bool operator==(const CellFormat &, const CellFormat &) = default;
};

// The values shared by every cell of `selection` (clipped to the client area).
CellFormat CollectCellFormat(const TCustomEasyGrid &grid, const GridRect &selection);

// Writes the decided values of `format` into every cell of `selection` (clipped to the client
// area) with the grid's repainting held until the end. A new data style re-enters each cell's
// text so that it is formatted for that style; a text the new style cannot read stays as it was.
void ApplyCellFormat(TCustomEasyGrid &grid, const GridRect &selection, const CellFormat &format);

} // namespace pelvoro
