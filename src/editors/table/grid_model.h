#pragma once

#include "editors/table/grid_clipboard.h"
#include "editors/table/grid_content.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QIODevice;

// The table grid without its view: cells with their formatting and merged blocks, the column and
// row arrays, the selection, and every operation that changes cells. The view (drawing, keys,
// mouse, in-place editor) observes it through SetRepaintHandler and the events.
namespace pelvoro {

class Prompt;
class TCustomEasyGrid;
struct DecodedBlock;

// SetCellProp's property codes.
enum class CellProp {
    DataStyle = 0,
    AlignMode = 1,
    ReadOnly = 2,
    AutoWordBreak = 3,
    ShowForeText = 4,
    DrawTop = 5,
    DrawLeft = 6,
    DrawRight = 7,
    DrawBottom = 8,
    AllowNegative = 9,
    TrailingZero = 10,
    ZeroNull = 11,
    ThousandSep = 12,
    MaxLength = 13,
    IntLength = 14,
    DecLength = 15,
    LineWidth = 16,
    PenStyle = 17,
    CellReserved = 18,
    Color = 19,
    FontSize = 20,
    FontColor = 21,
    FontStyle = 22,
    FontName = 23,
    ForeText = 24,
    BackText = 25,
};

// The draw state the view passes to OnDrawCell.
using TEasyGridDrawState = quint8;
inline constexpr TEasyGridDrawState gdSelected = 0x01;
inline constexpr TEasyGridDrawState gdFocused = 0x02;
inline constexpr TEasyGridDrawState gdFixed = 0x04;
inline constexpr TEasyGridDrawState gdTitled = 0x08;

enum class FillDirection { Horizontal, Vertical };

// The grid's events. A structural operation fires its event after it has finished, with the
// rectangle it was called with. OnDrawCell, the edit events and OnTopLeftChanged are fired by the
// view; the grid fires the others.
struct GridEvents {
    using CellValueEvent = std::function<void(TCustomEasyGrid &, int col, int row, QString &value)>;
    using RectEvent = std::function<void(TCustomEasyGrid &, const GridRect &)>;
    using SourceDestEvent = std::function<void(TCustomEasyGrid &, const GridRect &source, const GridRect &dest)>;

    std::function<void(TCustomEasyGrid &, int col, int row, bool &canSelect)> OnSelectCell;
    std::function<void(TCustomEasyGrid &, int col, int row, const QRect &rect, TEasyGridDrawState state)> OnDrawCell;
    CellValueEvent OnGetEditMask;
    CellValueEvent OnGetEditText;
    std::function<void(TCustomEasyGrid &, int col, int row, const QString &value)> OnSetEditText;
    std::function<void(TCustomEasyGrid &, int col, int row, const QString &value)> OnHideEdit;
    // The value is the text just stored; changing it changes nothing.
    CellValueEvent OnSetForeText;
    CellValueEvent OnSetBackText;
    std::function<void(TCustomEasyGrid &, const GridRect &range, bool &canSetCellProp)> BeforeSetCellProp;
    RectEvent AfterSetCellProp;
    std::function<void(TCustomEasyGrid &)> OnTopLeftChanged;
    RectEvent OnInsertCol;
    RectEvent OnInsertRow;
    RectEvent OnInsertCellRight;
    RectEvent OnInsertCellDown;
    RectEvent OnDeleteCol;
    RectEvent OnDeleteRow;
    RectEvent OnDeleteCellRight; // after DeleteCellsLeft
    RectEvent OnDeleteCellDown;  // after DeleteCellsUp
    std::function<void(TCustomEasyGrid &, QPoint sourceTopLeft, QSize sourceSize, const GridRect &dest)> OnPasteCells;
    RectEvent OnCutCells;
    SourceDestEvent OnCopyMoveCells;
    SourceDestEvent OnFillCells;
};

// The outcome of reading or writing a table file; `message` is for the operator.
struct TableFileResult {
    bool ok = true;
    QString message;

    bool Ok() const { return ok; }
    static TableFileResult Failure(const QString &message) { return {false, message}; }
};

class TCustomEasyGrid {
public:
    // Messages and questions go to `prompt`; the page layout's defaults come from `resolution`.
    explicit TCustomEasyGrid(Prompt &prompt, ScreenResolution resolution = ScreenResolution::Current());
    virtual ~TCustomEasyGrid();
    TCustomEasyGrid(const TCustomEasyGrid &) = delete;
    TCustomEasyGrid &operator=(const TCustomEasyGrid &) = delete;

    GridEvents events;

    // Called with the cells to draw again whenever AutoUpdate is on.
    void SetRepaintHandler(std::function<void(const GridRect &)> handler) { repaint_ = std::move(handler); }
    // Where copy, cut and paste go; the platform clipboard unless set. The grid does not own it.
    void SetClipboard(GridClipboard *clipboard) { clipboard_ = clipboard; }

    // --- Dimensions and grid-level values -----------------------------------------------------

    int ColCount() const { return content_.ColCount(); }
    int RowCount() const { return content_.RowCount(); }
    // Clamped to 2 … 256 (rows: at least 2). Shrinking over a merged client cell is refused
    // silently; FixedCols follows a shrink; the selection is clipped into the new bounds.
    void SetColCount(int count);
    void SetRowCount(int count);
    int FixedCols() const { return content_.Props.FixedCols; }
    int FixedRows() const { return content_.Props.FixedRows; }
    // Negative: EInvalidGridOperation; above the count minus 2: lowered to it.
    void SetFixedCols(int count);
    void SetFixedRows(int count);

    const GridProperties &Props() const { return content_.Props; }
    const GridContent &Content() const { return content_; }
    bool HasOption(TEasyGridOption option) const { return (content_.Props.Options & GridOptionBit(option)) != 0; }

    // Rewrites every entry of the width (height) array.
    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);
    void SetGridLineWidth(int width);
    void SetOptions(TEasyGridOptions options);
    void SetFixedLineColor(TColor color);
    void SetClientLineColor(TColor color);
    void SetTitleColor(TColor color);
    void SetHighLightColor(TColor color);
    void SetHighLightTextColor(TColor color);
    void SetFocusedTitleColor(TColor color);
    void SetShowColTitle(bool show);
    void SetShowRowTitle(bool show);
    void SetBorderStyle(TBorderStyle style);
    void SetScrollBars(TScrollStyle bars);
    void SetDefaultDrawing(bool on);
    void SetAlwaysDrawFocus(bool on);
    void SetClientSizeable(bool on);
    void SetGridCanCopyMove(bool on);
    void SetGridCanFill(bool on);
    void SetShowPopup(bool on);
    bool AutoUpdate() const { return autoUpdate_; }
    // Turning it on repaints the whole grid.
    void SetAutoUpdate(bool on);

    // The defaults of new cells. Each setter also writes the value into every client cell; title
    // cells keep theirs. CellFontName is only stored.
    void SetCellDataStyle(TDataStyle style);
    void SetCellAlignMode(TAlignMode mode);
    void SetCellShowForeText(bool show);
    void SetCellReadOnly(bool readOnly);
    void SetCellAutoWordBreak(bool on);
    void SetCellLineWidth(int width);
    void SetCellPenStyle(TPenStyle style);
    void SetCellAllowNegative(bool on);
    void SetCellTrailingZero(bool on);
    void SetCellZeroNull(bool on);
    void SetCellThousandSep(bool on);
    void SetCellMaxLength(int length);
    void SetCellIntLength(int length);
    void SetCellDecLength(int length);
    void SetCellColor(TColor color);
    void SetCellFontSize(int size);
    void SetCellFontColor(TColor color);
    void SetCellFontStyle(TFontStyles style);
    void SetCellFontName(const QString &name);

    TEasyGridPageInfo &PageInfo() { return content_.PageInfo; }
    const TEasyGridPageInfo &PageInfo() const { return content_.PageInfo; }

    // --- Column and row arrays ----------------------------------------------------------------

    // Reading outside the grid gives the default; writing outside throws EInvalidGridOperation.
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    bool ColTabStop(int col) const;
    void SetColTabStop(int col, bool stop);
    // Column (row) 0 is never sizable, whatever is stored.
    bool ColSizable(int col) const;
    void SetColSizable(int col, bool sizable);
    bool RowSizable(int row) const;
    void SetRowSizable(int row, bool sizable);

    // --- Cells --------------------------------------------------------------------------------

    // EInvalidGridOperation outside the grid.
    const TCellInfo &Cell(int col, int row) const;
    QString ForeText(int col, int row) const { return Cell(col, row).ForeText; }
    QString BackText(int col, int row) const { return Cell(col, row).BackText; }
    // The merged block of the cell; the cell itself when it is not merged.
    GridRect MergeRect(int col, int row) const { return Cell(col, row).MergeRectAt(col, row); }
    bool IsMerged(int col, int row) const { return Cell(col, row).IsMerged(); }
    // The cell whose texts and formatting stand for the block (its top-left cell).
    QPoint BlockOwner(int col, int row) const;
    // Columns 1 … ColCount-1, rows 1 … RowCount-1.
    GridRect ClientRect() const { return {1, 1, ColCount() - 1, RowCount() - 1}; }
    // The whole grid, titles included.
    GridRect GridBounds() const { return {0, 0, ColCount() - 1, RowCount() - 1}; }

    // Formats `text` by the cell's data style and stores it; a text that is no valid number,
    // date or time is reported to the operator and nothing is stored. Returns whether the cell now
    // holds the formatted text. Fires OnSetForeText unless the text was refused.
    bool SetForeText(int col, int row, const QString &text);
    // Stores `text` as it is; fires OnSetBackText.
    void SetBackText(int col, int row, const QString &text);
    // Writes one property into every cell of `rect` clipped to the client area. ForeText and
    // BackText go through SetForeText and SetBackText. `value` holds an int, a bool or a text.
    void SetCellProp(const GridRect &rect, CellProp prop, const QVariant &value);
    // BeforeSetCellProp's answer for the cell-format dialog (true when nobody refuses), and
    // AfterSetCellProp once the dialog has written its properties.
    bool ConfirmSetCellProp(const GridRect &range);
    void FinishSetCellProp(const GridRect &range);

    // --- Selection ----------------------------------------------------------------------------

    QPoint CurrentCell() const { return current_; }
    QPoint AnchorCell() const { return anchor_; }
    GridRect Selection() const { return selection_; }
    // Column and row of the top-left scrolling cell in view.
    QPoint TopLeft() const { return topLeft_; }
    void SetTopLeft(int col, int row);
    // Makes (col, row) the current cell and its block the selection unless OnSelectCell refuses or
    // the cell lies outside the scrolling client area. Returns whether it moved.
    bool SelectCell(int col, int row);
    // The selection becomes `rect` clipped to the scrolling client area and expanded to whole
    // blocks; the current cell and the anchor become its corners unless the current cell lies in it.
    void SetSelection(const GridRect &rect);

    // --- Merged blocks ------------------------------------------------------------------------

    // The smallest rectangle that holds `rect` and every merged block it touches.
    GridRect ExpandToBlocks(const GridRect &rect) const;
    // Whether `rect` cuts a merged block (the expansion is larger).
    bool CutsBlock(const GridRect &rect) const { return ExpandToBlocks(rect) != rect; }
    // Merges `rect` into one block keeping the first non-empty cell's texts and formatting; with
    // `confirm` the operator is asked when more than one cell holds a text. Returns whether it
    // merged (nothing happens for titles, a single cell, a rectangle that cuts a block or one that
    // straddles the fixed boundary).
    bool MergeCells(const GridRect &rect, bool confirm);
    // Dissolves the blocks inside `rect` (clipped to the client area); the cells keep their
    // formatting. Returns whether it split (nothing happens for a single cell or a cut block).
    bool SplitCells(const GridRect &rect);
    // Empties the texts of the blocks in `rect` whose owner is not read-only.
    void ClearCells(const GridRect &rect);
    // Replaces every client cell of `rect` by a new cell; nothing happens when `rect` cuts a block.
    bool ResetCells(const GridRect &rect);

    // --- Whole columns and rows ---------------------------------------------------------------

    // As many columns (rows) as `rect` is wide (high), before column Left (above row Top). Past
    // 256 columns the last ones must be empty, else the operator is told and nothing changes.
    bool InsertCols(const GridRect &rect);
    bool InsertRows(const GridRect &rect);
    // Columns Left … Right (rows Top … Bottom). At least one client column (row) stays, else
    // EInvalidGridOperation("Too many rows or columns deleted").
    void DeleteCols(const GridRect &rect);
    void DeleteRows(const GridRect &rect);

    // --- Cells shifted inside the grid --------------------------------------------------------

    // The cells of the rectangle's rows from Left on move right by its width; the rectangle gets
    // new cells. Refused when the cells pushed out at the right hold data; blocks that would be torn
    // are split after the operator agrees.
    bool InsertCellsRight(const GridRect &rect);
    bool InsertCellsDown(const GridRect &rect);
    // The cells right of (below) the rectangle move left (up) over it; new cells fill the far end.
    bool DeleteCellsLeft(const GridRect &rect);
    bool DeleteCellsUp(const GridRect &rect);

    // --- Block buffer, clipboard, fill and move -----------------------------------------------

    // `rect` serialized: Left, Top, width, height and the cell records column by column.
    QByteArray SerializeBlock(const GridRect &rect) const;
    // Writes a serialized block with its top-left at (col, row). Nothing happens (false) when the
    // block is malformed, does not fit in the grid or its merged blocks are inconsistent.
    bool WriteBlock(const QByteArray &block, int col, int row);

    void CopyCells(const GridRect &rect);
    // Refused with a message when the rectangle holds a read-only cell or cuts a block.
    bool CutCells(const GridRect &rect);
    // Whether the clipboard holds a block of the grid.
    bool CanPaste() const;
    // Writes the clipboard's block with its top-left at (col, row); refused with a message when the
    // target leaves the scrolling client area, cuts a block or holds a read-only cell.
    bool PasteCells(int col, int row);

    // Repeats `source` `count` cells to the right (down), or to the left (up) when negative.
    bool FillCells(const GridRect &source, int count, FillDirection direction);
    // Moves (or copies) `source` by the offset; the target becomes the selection.
    bool MoveCells(const GridRect &source, int dCol, int dRow, bool copy);

    // --- Table files --------------------------------------------------------------------------

    QByteArray SaveToBytes() const;
    // Writes at the stream's position; a write error is passed on in the result.
    TableFileResult SaveToStream(QIODevice &stream) const;
    // Written atomically: a failed write leaves the old file.
    TableFileResult SaveToFile(const QString &path) const;
    // A table read from the bytes replaces the grid; a damaged one leaves the grid as it was and
    // the result says why.
    TableFileResult LoadFromBytes(QByteArrayView bytes);
    // Reads from the stream's position to its end.
    TableFileResult LoadFromStream(QIODevice &stream);
    TableFileResult LoadFromFile(const QString &path);

protected:
    TCellInfo &CellRef(int col, int row);
    void CheckCell(int col, int row) const;
    void Repaint(const GridRect &rect);
    void RepaintAll() { Repaint(GridBounds()); }
    // The scrolling client area: right of the fixed columns, below the fixed rows.
    GridRect ScrollingRect() const;
    // After counts or blocks change: the current cell, the anchor, the selection and the top-left
    // cell back inside the grid, the selection over whole blocks.
    void ClipSelection();
    bool AnyReadOnly(const GridRect &rect) const;
    // The cells keep their texts and formatting but are no longer merged.
    void SplitBlocksInside(const GridRect &rect);
    // Makes `block` the merged block of each of its cells.
    void StampBlock(const GridRect &block);
    void ResetRect(const GridRect &rect);
    void ShowError(const QString &text);
    void ShowInfo(const QString &text);
    bool AskOk(const QString &text);
    // A table just read replaces the grid's; the selection goes to the first scrolling cell.
    void AdoptContent(GridContent &&content);

private:
    template <typename T>
    void SetClientCells(T TCellInfo::*field, T value);
    void SetCellField(const GridRect &rect, CellProp prop, const QVariant &value);
    void ApplyCountChange(int cols, int rows);
    bool CanShrinkColumns(int count) const;
    bool CanShrinkRows(int count) const;
    void InsertLines(const GridRect &rect, bool columns);
    void DeleteLines(const GridRect &rect, bool columns);
    bool ShiftCells(const GridRect &rect, bool columns, bool insert);
    // Writes the cells of `block` placed with its top-left at (col, row), only those inside
    // `clip`; false (and nothing written) when a written cell's block would leave `clip`.
    bool WriteDecodedBlock(const DecodedBlock &block, int col, int row, const GridRect &clip);

    Prompt &prompt_;
    GridContent content_;
    bool autoUpdate_ = true;
    QPoint current_{1, 1};
    QPoint anchor_{1, 1};
    GridRect selection_{1, 1, 1, 1};
    QPoint topLeft_{1, 1};
    std::function<void(const GridRect &)> repaint_;
    SystemGridClipboard systemClipboard_;
    GridClipboard *clipboard_ = &systemClipboard_;
};

// The grid as the table editor uses it. All behaviour lives in TCustomEasyGrid.
class TEasyGrid : public TCustomEasyGrid {
public:
    using TCustomEasyGrid::TCustomEasyGrid;
};

} // namespace pelvoro
