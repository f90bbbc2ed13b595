#pragma once

#include "editors/table/grid_model.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPoint>
#include <QRect>
#include <QTimer>

class QMenu;

// The interactive grid: paints the cells of a TCustomEasyGrid, moves its current cell and selection
// with keys and the mouse, sizes rows and columns, drags blocks to move, copy or fill them, and
// edits cells through the in-place editor. It holds no cell data: every change goes through the
// grid, and the grid's repaint handler brings the view up to date. The view fires the grid's
// OnSelectCell, OnDrawCell, OnGetEditMask, OnGetEditText, OnSetEditText, OnHideEdit and
// OnTopLeftChanged events (grid.events).
namespace pelvoro {

class TInplaceEdit;

class TableGridView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // What a drag with the left button is doing.
    enum class DragState { None, Selecting, SizingCol, SizingRow, Moving, Copying, Filling };

    // The grid must outlive the view.
    explicit TableGridView(TCustomEasyGrid &grid, QWidget *parent = nullptr);
    ~TableGridView() override;

    TCustomEasyGrid &Grid() { return grid_; }
    const TCustomEasyGrid &Grid() const { return grid_; }

    // --- Current cell and selection (kept by the grid) ----------------------------------------

    QPoint CurrentCell() const { return grid_.CurrentCell(); }
    // The far corner of a Shift-stretched selection; the current cell otherwise.
    QPoint AnchorCell() const { return anchor_; }
    GridRect Selection() const { return grid_.Selection(); }
    // Moves the current cell to the owner of the block at (col, row), committing the editor first;
    // the view scrolls to keep it in sight. False when OnSelectCell refuses or the cell cannot be
    // selected.
    bool MoveCurrentCell(int col, int row);
    // The selection from the current cell to (col, row), expanded to blocks; the anchor moves there.
    void ExtendSelectionTo(int col, int row);

    // --- In-place editor ----------------------------------------------------------------------

    // Brings the current cell into view and shows the editor over it (when the cell may be edited).
    void ShowEditor();
    // Commits the editor's text and hides it.
    void HideEditor();
    bool EditorShown() const;
    // The editor widget; exists for the view's whole life, hidden when not editing.
    TInplaceEdit *InplaceEditor() const { return editor_; }

    // --- Geometry -----------------------------------------------------------------------------

    // The cell's rectangle in viewport coordinates (a merged block's owner: the whole block);
    // empty when the cell is scrolled out of sight.
    QRect CellRect(int col, int row) const;
    // The cell under a viewport point, (-1, -1) outside the cells.
    QPoint CellAt(const QPoint &pos) const;
    // Scrolling columns (rows) wholly in view right of (below) the fixed ones; at least 1.
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // Scrolls so that the cell's block is in view.
    void ScrollToCell(int col, int row);
    // Scrolls so that (col, row) is the top-left scrolling cell (clamped); fires OnTopLeftChanged
    // when it changed.
    void SetTopLeft(int col, int row);

    DragState CurrentDrag() const { return drag_; }
    // The pointer's shape over a place where a drag of that kind would start, and during it.
    QCursor DragCursor(DragState drag) const;
    // Paints the visible grid into `painter`, as paintEvent does (for images of the view).
    void PaintGrid(QPainter &painter, const QRect &clip);

Q_SIGNALS:
    // "设置单元格格式(&F)..." of the context menu: the owner opens the cell-format dialog.
    void CellFormatRequested();
    // The current cell or the selection changed.
    void SelectionChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // An input method's composition opens the editor on the current cell, as a typed character does.
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class TInplaceEdit;

    struct Hit;
    // Keys the editor hands back to the grid.
    void HandleGridKey(QKeyEvent *event);
    void CommitEditor();
    void PlaceEditor();
    void OnGridRepaint(const GridRect &rect);
    void UpdateScrollBars();
    void SyncFromScrollBars();
    int FixedWidth() const;
    int FixedHeight() const;
    int LastTopCol() const;
    int LastTopRow() const;
    // Scrolling columns wholly in view with `left` as the first one.
    int VisibleColsFrom(int left) const;
    Hit HitTest(const QPoint &pos) const;
    void UpdateCursor(const QPoint &pos);
    void AutoScroll();
    void FinishDrag(const QPoint &pos);
    QRect SelectionFrameRect() const;
    void BuildMenu(QMenu &menu);
    bool CanShowEditor() const;
    void PaintCell(QPainter &painter, int col, int row, const QRect &rect, TEasyGridDrawState state);
    void PaintBorders(QPainter &painter, const TCellInfo &cell, const QRect &rect);
    void PaintLines(QPainter &painter, const GridRect &cols);
    void PaintFocus(QPainter &painter);
    int ColX(int col) const;
    int RowY(int row) const;
    int ColW(int col) const;
    int RowH(int row) const;
    QRect BlockRect(const GridRect &block) const;
    void MoveBy(int dCol, int dRow, bool extend);
    void MoveTo(int col, int row, bool extend);
    void SpanRows();

    TCustomEasyGrid &grid_;
    TInplaceEdit *editor_ = nullptr;
    bool editorMode_ = false;
    bool syncing_ = false;
    DragState drag_ = DragState::None;
    QPoint dragStart_;        // viewport point of the press
    QPoint dragCell_;         // cell under the pointer at the press
    QPoint dragOffset_;       // cells moved so far (move, copy, fill)
    int sizingIndex_ = -1;    // column or row being sized
    int sizingOrigin_ = 0;    // its width or height at the press
    QCursor moveCursor_;
    QCursor copyCursor_;
    QCursor fillCursor_;
    QTimer autoScroll_;
    QPoint lastMousePos_;
    QPoint anchor_{1, 1};
};

} // namespace pelvoro
