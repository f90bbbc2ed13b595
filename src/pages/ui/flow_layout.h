#pragma once

#include <QLayout>
#include <QList>

// Lays its widgets out left to right in as many rows as the width needs, each at its preferred
// size: tool bars that would not fit side by side go to the next row instead of hiding their
// controls behind an overflow button.
namespace pelvoro {

class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget *parent = nullptr, int spacing = 0);
    ~FlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(items_.size()); }
    QLayoutItem *itemAt(int index) const override { return items_.value(index); }
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    void setGeometry(const QRect &rect) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;

private:
    // Places the items in `rect` (when `apply`) and returns the height they take.
    int Arrange(const QRect &rect, bool apply) const;

    QList<QLayoutItem *> items_;
};

} // namespace pelvoro
