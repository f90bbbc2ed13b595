#include "editors/table/ui/table_grid_view.h"

#include "editors/table/ui/table_inplace_edit.h"

#include <QPainter>
#include <QScrollBar>

namespace pelvoro {

struct TableGridView::Hit {
    QPoint cell{-1, -1};
};

TableGridView::TableGridView(TCustomEasyGrid &grid, QWidget *parent) : QAbstractScrollArea(parent), grid_(grid)
{
    editor_ = new TInplaceEdit(*this);
    editor_->hide();
    setFocusPolicy(Qt::StrongFocus);
    grid_.SetRepaintHandler([this](const GridRect &rect) { OnGridRepaint(rect); });
}

TableGridView::~TableGridView()
{
    grid_.SetRepaintHandler({});
}

bool TableGridView::MoveCurrentCell(int col, int row) { return grid_.SelectCell(col, row); }
void TableGridView::ExtendSelectionTo(int col, int row)
{
    const QPoint current = grid_.CurrentCell();
    grid_.SetSelection(GridRect{current.x(), current.y(), col, row}.Normalized());
}
void TableGridView::ShowEditor() {}
void TableGridView::HideEditor() {}
bool TableGridView::EditorShown() const { return editor_->isVisible(); }
QRect TableGridView::CellRect(int, int) const { return {}; }
QPoint TableGridView::CellAt(const QPoint &) const { return {-1, -1}; }
int TableGridView::VisibleColCount() const { return 1; }
int TableGridView::VisibleRowCount() const { return 1; }
void TableGridView::ScrollToCell(int, int) {}
void TableGridView::SetTopLeft(int col, int row) { grid_.SetTopLeft(col, row); }
void TableGridView::PaintGrid(QPainter &, const QRect &) {}
void TableGridView::paintEvent(QPaintEvent *) {}
void TableGridView::resizeEvent(QResizeEvent *event) { QAbstractScrollArea::resizeEvent(event); }
void TableGridView::keyPressEvent(QKeyEvent *event) { QAbstractScrollArea::keyPressEvent(event); }
void TableGridView::mousePressEvent(QMouseEvent *event) { QAbstractScrollArea::mousePressEvent(event); }
void TableGridView::mouseMoveEvent(QMouseEvent *event) { QAbstractScrollArea::mouseMoveEvent(event); }
void TableGridView::mouseReleaseEvent(QMouseEvent *event) { QAbstractScrollArea::mouseReleaseEvent(event); }
void TableGridView::mouseDoubleClickEvent(QMouseEvent *event) { QAbstractScrollArea::mouseDoubleClickEvent(event); }
void TableGridView::focusInEvent(QFocusEvent *event) { QAbstractScrollArea::focusInEvent(event); }
void TableGridView::focusOutEvent(QFocusEvent *event) { QAbstractScrollArea::focusOutEvent(event); }
void TableGridView::scrollContentsBy(int, int) { viewport()->update(); }
bool TableGridView::focusNextPrevChild(bool) { return false; }
void TableGridView::contextMenuEvent(QContextMenuEvent *) {}
void TableGridView::OnGridRepaint(const GridRect &) { viewport()->update(); }

} // namespace pelvoro
