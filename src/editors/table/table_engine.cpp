#include "editors/table/table_engine.h"

#include "editors/table/table_editor_rules.h"

namespace pelvoro {

TableEngine::TableEngine(Prompt &prompt) : grid_(prompt)
{
    // The table editor's new grid: 5 × 5 with red text and lines on the default cell colour.
    grid_.SetColCount(5);
    grid_.SetRowCount(5);
    grid_.SetDefaultColWidth(40);
    grid_.SetDefaultRowHeight(17);
    grid_.SetCellAlignMode(taCenter);
    grid_.SetCellColor(kColorDefault);
    grid_.SetCellFontSize(10);
    grid_.SetCellFontColor(kColorRed);
    grid_.SetClientLineColor(kColorRed);
    grid_.SetOptions(GridOptionBit(goFixedVertLine) | GridOptionBit(goFixedHorzLine) | GridOptionBit(goVertLine)
                     | GridOptionBit(goHorzLine) | GridOptionBit(goRangeSelect) | GridOptionBit(goRowSizing)
                     | GridOptionBit(goColSizing) | GridOptionBit(goEditing));
    grid_.SetShowPopup(false);
    grid_.SetCellReadOnly(false);
    grid_.SetColWidth(0, 20);
    for (int row = 0; row < grid_.RowCount(); ++row)
        grid_.SetRowHeight(row, 20);
}

void TableEngine::StartForScreen(int screenWidth, int screenHeight, int mainHeight, std::optional<int> cols,
                                 std::optional<int> rows)
{
    const TableStartSize start = TableStartSizeFor(screenWidth, screenHeight);
    grid_.SetColCount(cols.value_or(start.cols));
    grid_.SetRowCount(rows.value_or(start.rows));
    SetPageArea(screenWidth, TableEditorPageHeight(screenHeight, mainHeight), PageMargins{}, 1);
}

void TableEngine::SetPageArea(int width, int height, const PageMargins &margins, int colourModel)
{
    area_.width = width;
    area_.height = height;
    margins_ = margins;
    pager_.SetPageFrame(width, height, margins);
    if (colourModel != area_.colourModel)
        area_.colourModel = colourModel;
    FitRows();
    FitColumns();
}

TableFileResult TableEngine::LoadTable(const QString &path)
{
    return grid_.LoadFromFile(path);
}

int TableEngine::TablePageCount()
{
    pager_.SetPageFrame(area_.width, area_.height, PageMargins{});
    return pager_.GetPageCount();
}

void TableEngine::DrawTablePage(QPainter &painter, const QRect &rect, int page)
{
    pager_.DrawPage(painter, rect, page);
}

void TableEngine::FitColumns()
{
    const int share = TableFitShare(area_.width, margins_.Left, margins_.Right, grid_.ColCount());
    if (share < 0)
        return;
    for (int col = 1; col < grid_.ColCount(); ++col)
        grid_.SetColWidth(col, share);
}

void TableEngine::FitRows()
{
    const int share = TableFitShare(area_.height, margins_.Top, margins_.Bottom, grid_.RowCount());
    if (share < 0)
        return;
    for (int row = 1; row < grid_.RowCount(); ++row)
        grid_.SetRowHeight(row, share);
}

} // namespace pelvoro
