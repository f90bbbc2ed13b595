#pragma once

#include "editors/table/cell_store.h"
#include "editors/table/page_info.h"

#include <vector>

// Everything a table file holds: the grid-level values, the column and row arrays, the page layout
// and the cells. The grid (grid_model.h) owns one and adds the behaviour; a file is read into a
// fresh one, so that a damaged file leaves the grid as it was.
namespace pelvoro {

inline constexpr int kMinColCount = 2;
inline constexpr int kMaxColCount = 256;
inline constexpr int kMinRowCount = 2;

// The values a new cell takes from the grid (the grid-level "Cell…" properties).
struct CellDefaults {
    TDataStyle DataStyle = dsText;
    TAlignMode AlignMode = taCenter;
    bool ShowForeText = true;
    bool ReadOnly = false;
    bool AutoWordBreak = true;
    qint32 LineWidth = 1;
    TPenStyle PenStyle = psSolid;
    bool AllowNegative = true;
    bool TrailingZero = false;
    bool ZeroNull = true;
    bool ThousandSep = true;
    qint32 MaxLength = 255;
    qint32 IntLength = 3;
    qint32 DecLength = 2;
    TColor Color = kColorWhite;
    qint32 FontSize = 9;
    TColor FontColor = kColorBlack;
    TFontStyles FontStyle = 0;
    QString FontName = QStringLiteral("宋体");

    friend bool operator==(const CellDefaults &, const CellDefaults &) = default;
};

inline constexpr TEasyGridOptions kDefaultGridOptions = GridOptionBit(goFixedVertLine) | GridOptionBit(goFixedHorzLine)
                                                        | GridOptionBit(goVertLine) | GridOptionBit(goHorzLine)
                                                        | GridOptionBit(goRangeSelect);

struct GridProperties {
    qint32 DefaultColWidth = 80;
    qint32 DefaultRowHeight = 30;
    qint32 FixedCols = 0;
    qint32 FixedRows = 0;
    qint32 GridLineWidth = 1;
    bool GridCanCopyMove = true;
    bool GridCanFill = true;
    bool ShowPopup = true;
    bool ShowColTitle = true;
    bool ShowRowTitle = true;
    bool DefaultDrawing = true;
    bool AlwaysDrawFocus = false;
    bool ClientSizeable = false;
    TColor FixedLineColor = kColorBlack;
    TColor ClientLineColor = kColorSilver;
    TColor TitleColor = kColorButtonFace;
    TColor HighLightColor = kColorBlack;
    TColor HighLightTextColor = kColorWhite;
    TColor FocusedTitleColor = kColorBlack;
    TBorderStyle BorderStyle = bsSingle;
    TScrollStyle ScrollBars = ssBoth;
    TEasyGridOptions Options = kDefaultGridOptions;
    CellDefaults Cell;

    friend bool operator==(const GridProperties &, const GridProperties &) = default;
};

// Per-column and per-row values; each follows every change of the column or row count, new
// entries taking the default, and is as long as the count.
struct GridArrays {
    std::vector<qint32> ColWidths;
    std::vector<qint32> ColTabStops; // 1 = Tab stops at the column
    std::vector<qint32> ColSizable;  // 1 = the operator may drag the width
    std::vector<qint32> RowHeights;
    std::vector<qint32> RowSizable;

    friend bool operator==(const GridArrays &, const GridArrays &) = default;
};

struct GridContent {
    GridProperties Props;
    GridArrays Arrays;
    TEasyGridPageInfo PageInfo;
    CellStore Cells;

    int ColCount() const { return Cells.ColCount(); }
    int RowCount() const { return Cells.RowCount(); }

    // The cell a new position starts with: the grid-level defaults, the title colour outside the
    // client area, no borders, no texts, not merged. AllowNegative, TrailingZero, ZeroNull,
    // ThousandSep and FontStyle take fixed values whatever the grid-level ones say.
    TCellInfo NewCell(int col, int row) const;
    CellStore::CellFactory CellFactory() const;

    // `cols` × `rows` new cells and default arrays.
    void Build(int cols, int rows);
    // Arrays resized to the current counts, new entries taking their defaults.
    void FitArrays();

    friend bool operator==(const GridContent &, const GridContent &) = default;
};

} // namespace pelvoro
