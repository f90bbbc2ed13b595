#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace pelvoro {

// The subtitle panel: the strip's text and conversion, and the list of its pages.
class TitlePanel : public QWidget {
    Q_OBJECT
public:
    explicit TitlePanel(QWidget *parent = nullptr);

    // Captions by strip height: 16 rows is the small subtitle, otherwise the big one.
    void SetScreenCaptions(int screenIndex, int titleHeight);
    void SetCapacity(int maxTitlePages);
    int PageCount() const;
    // Blocks the add and convert buttons once the list is full.
    void SetAddingEnabled(bool enabled);

    QGroupBox *EditBox() const { return editBox_; }
    QGroupBox *ListBox() const { return listBox_; }
    QLabel *CapacityLabel() const { return capacity_; }
    QLineEdit *TextEdit() const { return text_; }
    QPushButton *ConvertButton() const { return convert_; }
    QToolButton *AddButton() const { return add_; }

private:
    QGroupBox *editBox_;
    QGroupBox *listBox_;
    QLabel *capacity_;
    QLineEdit *text_;
    QPushButton *convert_;
    QToolButton *add_;
    QToolButton *deleteAll_;
    QTreeWidget *pages_;
};

} // namespace pelvoro
