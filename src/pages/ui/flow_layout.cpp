#include "pages/ui/flow_layout.h"

#include <QWidget>

#include <algorithm>

namespace pelvoro {

FlowLayout::FlowLayout(QWidget *parent, int spacing) : QLayout(parent)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem *item)
{
    items_.append(item);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

QSize FlowLayout::sizeHint() const
{
    // One row of everything.
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : items_) {
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
        height = std::max(height, item->sizeHint().height());
    }
    return {width, height};
}

QSize FlowLayout::minimumSize() const
{
    // The widest item, each in a row of its own.
    QSize size;
    for (const QLayoutItem *item : items_) {
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    }
    return size;
}

int FlowLayout::Arrange(const QRect &rect, bool apply) const
{
    int x = rect.x();
    int y = rect.y();
    int rowHeight = 0;
    for (QLayoutItem *item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (x > rect.x() && x + size.width() > rect.right() + 1) {
            x = rect.x();
            y += rowHeight + spacing();
            rowHeight = 0;
        }
        if (apply)
            item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + spacing();
        rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight - rect.y();
}

} // namespace pelvoro
