#include "editors/table/grid_content.h"

namespace pelvoro {

namespace {
constexpr qint32 kFlagOn = 1;
} // namespace

TCellInfo GridContent::NewCell(int col, int row) const
{
    const CellDefaults &d = Props.Cell;
    TCellInfo cell;
    cell.DataStyle = d.DataStyle;
    cell.AlignMode = d.AlignMode;
    cell.ReadOnly = d.ReadOnly;
    cell.AutoWordBreak = d.AutoWordBreak;
    cell.ShowForeText = d.ShowForeText;
    cell.LineWidth = d.LineWidth;
    cell.PenStyle = d.PenStyle;
    cell.MaxLength = d.MaxLength;
    cell.IntLength = d.IntLength;
    cell.DecLength = d.DecLength;
    cell.FontName = d.FontName;
    cell.FontSize = d.FontSize;
    cell.FontColor = d.FontColor;
    cell.Color = col >= 1 && row >= 1 ? d.Color : Props.TitleColor;
    cell.AllowNegative = true;
    cell.TrailingZero = false;
    cell.ZeroNull = false;
    cell.ThousandSep = false;
    cell.FontStyle = 0;
    return cell;
}

CellStore::CellFactory GridContent::CellFactory() const
{
    return [this](int col, int row) { return NewCell(col, row); };
}

void GridContent::Build(int cols, int rows)
{
    Cells = CellStore();
    Cells.Resize(cols, rows, CellFactory());
    Arrays = GridArrays();
    FitArrays();
}

void GridContent::FitArrays()
{
    const size_t cols = size_t(ColCount());
    const size_t rows = size_t(RowCount());
    Arrays.ColWidths.resize(cols, Props.DefaultColWidth);
    Arrays.ColTabStops.resize(cols, kFlagOn);
    Arrays.ColSizable.resize(cols, kFlagOn);
    Arrays.RowHeights.resize(rows, Props.DefaultRowHeight);
    Arrays.RowSizable.resize(rows, kFlagOn);
}

} // namespace pelvoro
