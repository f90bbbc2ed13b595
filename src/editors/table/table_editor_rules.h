#pragma once

#include "editors/table/grid_types.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

// The table editor window's rules that need no widget: the page height it starts from, how the
// window follows the page size, the equal share of rows and columns, pasted text cut into cells,
// the size boxes and the file name.
namespace pelvoro {

// The page height the editor lays a table out on: 64 when the main area or the screen is lower,
// the main area's height otherwise.
int TableEditorPageHeight(int screenHeight, int mainHeight);

// The window size after a page-area change. `previous` is the page size of the call before (0 × 0
// at the first), `barsHeight` the heights of the tool bar rows, the lower tool bar and the status
// bar together. Height: bars + page + 75 unless the room left for the page is already page + 53;
// width: page + 64 when it is not page + 23 and the page is at least 352 wide.
QSize TableEditorWindowSize(const QSize &window, int barsHeight, const QSize &previous);

// What every client column (row) gets when `extent` pixels, less the two margins and one line per
// column (row), are shared equally among `count` - 1 client columns (rows). May be negative.
int TableFitShare(int extent, int marginBefore, int marginAfter, int count);

// The height of one line of text of `points` as the pages draw it: at 96 dots per inch.
int TableTextLineHeight(int points);
// The height rows are fitted to: their equal share (TableFitShare), but never less than one line of
// the cells' font, so that a low main area (16 rows) keeps its text readable; a table taller than
// the page then continues on the next pages.
int TableFitRowHeight(int extent, int marginBefore, int marginAfter, int count, int fontPoints);

// A new table's size when the screen has no height: a column per 61 dots, four rows.
struct TableStartSize {
    int cols = 5;
    int rows = 5;
};
TableStartSize TableStartSizeFor(int screenWidth, int screenHeight);

// One cell written by a text paste.
struct PastedCell {
    int col = 0;
    int row = 0;
    QString text;

    friend bool operator==(const PastedCell &, const PastedCell &) = default;
};

// Clipboard text in tab-separated rows, each ended by CR LF, laid onto the grid. A single-cell
// selection takes the block from its top-left to the grid's end; a larger one cuts the block.
// The text after the last CR LF is ignored; the last line's field count is the block's width.
std::vector<PastedCell> PlacePastedText(const QString &text, const GridRect &selection, int colCount,
                                        int rowCount);

// The font size box: a whole number as typed (trimmed), "12" for anything else.
QString TableFontSizeText(const QString &typed);
// Whether the font size box takes a typed character (Backspace and Enter count as typed) while it
// holds `length` characters: nothing at 3 or more, otherwise digits, ".", Backspace and Enter.
bool TableFontSizeKeyAccepted(int length, int key, const QString &text);

// The row height and column width spin buttons: up adds 1, down takes 1 away only above 10.
int TableSizeSpinUp(int value);
int TableSizeSpinDown(int value);

// "Tavrel" + screen number + "-1.bls" for the 0-based screen index.
QString TableSuggestedName(int screenIndex);
// The name to write: ".bls" appended unless it already ends so in any letter case.
QString TableSaveName(const QString &chosen);
inline const QStringList kTableFileFilters = {QStringLiteral("Tavrel Cell(*.bls)")};

} // namespace pelvoro
