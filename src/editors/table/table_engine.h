#pragma once

#include "editors/table/grid_model.h"
#include "editors/table/table_pages.h"

#include <QRect>

#include <optional>

// The table editor's page operations without its window: a grid sized to a display area, a table
// file loaded into it, its page count and its pages drawn. The page conversion makes one per table
// document; the editor window keeps one for its grid and preview.
namespace pelvoro {

class Prompt;

struct PageArea {
    int width = 0;
    int height = 0;
    int colourModel = 1; // 1 two colours, 2 four colours
};

class TableEngine {
public:
    // Grid messages (a damaged file, a refused size) go to `prompt`.
    explicit TableEngine(Prompt &prompt);

    TEasyGrid &Grid() { return grid_; }
    TablePager &Pager() { return pager_; }

    // The table the editor starts with for a screen of `screenWidth` x `screenHeight` dots whose
    // main area is `mainHeight` high: the editor's start size (or `cols` x `rows` when given) on the
    // page the editor shows for that screen, every client row and column an equal share of it.
    void StartForScreen(int screenWidth, int screenHeight, int mainHeight, std::optional<int> cols = {},
                        std::optional<int> rows = {});

    // Stores the area and margins, sets the grid's page frame and fits rows and columns to it.
    void SetPageArea(int width, int height, const PageMargins &margins, int colourModel);
    PageArea GetPageArea() const { return area_; }
    const PageMargins &Margins() const { return margins_; }
    TableFileResult LoadTable(const QString &path);
    // Pages of the loaded table in the whole area: the margins are cleared first.
    // ETablePageError when the titles do not fit.
    int TablePageCount();
    // Page p (1-based) onto the canvas at the rectangle's top-left corner.
    void DrawTablePage(QPainter &painter, const QRect &rect, int page);

    // Every client column (row) gets an equal share of the area inside the margins after one line
    // per column (row); a share below 0 leaves the sizes alone.
    void FitColumns();
    void FitRows();

private:
    TEasyGrid grid_;
    TablePager pager_{grid_};
    PageArea area_{0, 0, 0};
    PageMargins margins_;
};

} // namespace pelvoro
