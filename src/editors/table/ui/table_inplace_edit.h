#pragma once

#include <QLineEdit>
#include <QPoint>

// The single-line editor the grid view shows over the current cell. It edits one cell at a time:
// it knows the cell, the text it started with and the cell's formatting, applies the edit mask of
// the cell's data style, and for number cells lets through only what the number-typing rules
// accept.
namespace pelvoro {

class TableGridView;
struct TCellInfo;

class TInplaceEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TInplaceEdit(TableGridView &view);

    // Starts editing (col, row): formatting, mask, text and length limit from the cell.
    void Start(int col, int row, const TCellInfo &cell, const QString &mask, const QString &text);
    QPoint EditedCell() const { return cell_; }
    const QString &StartText() const { return startText_; }
    // Whether the cell may be changed (not read-only).
    bool Modifiable() const { return modifiable_; }
    // Whether the text as shown counts as changed (the mask's blanks are not text).
    bool TextChanged() const;
    // The text to store: the edit's text without the mask's blanks.
    QString EditText() const;
    // Inserts `typed` at the caret (over the selection) as the keyboard would, through the
    // number-typing rules of a number cell. Returns whether it was accepted.
    bool TypeText(const QString &typed);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void insertFromMimeData(const QString &text);

private:
    bool PasteText(const QString &text);

    TableGridView &view_;
    QPoint cell_{-1, -1};
    QString startText_;
    bool modifiable_ = true;
    bool numberCell_ = false;
    bool allowNegative_ = true;
    int maxLength_ = 255;
    int intLength_ = 3;
    int decLength_ = 2;
    bool wholeSelectedOnEnter_ = false;
};

} // namespace pelvoro
