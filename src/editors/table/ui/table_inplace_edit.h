#pragma once

#include <QLineEdit>
#include <QPoint>

#include <vector>

// The single-line editor the grid view shows over the current cell. It edits one cell at a time:
// it knows the cell, the text it started with and the cell's formatting, applies the edit mask of
// the cell's data style, and for number cells lets through only what the number-typing rules
// accept.
namespace pelvoro {

class TableGridView;
struct TCellInfo;

// A cell's edit mask as the table stores it ("mask;save;blank": '0' a digit, '9' an optional digit,
// 'L'/'l' a letter, 'A'/'a' a letter or digit, 'C'/'c' any character, '#' a digit or sign, '/' and
// ':' the date and time separators, '_' a space, '\' a literal next; ";0" leaves the literals out
// of the text) turned into the line edit's input mask.
struct EditMask {
    QString InputMask;         // empty: no mask
    bool SaveLiterals = true;  // the literal characters belong to the edited text
    QChar Blank = u'_';        // shown in positions not yet typed
    std::vector<bool> Literal; // per position of the edit's text: a literal, not typed
};
EditMask ParseEditMask(const QString &mask);

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
    // Puts the caret after the text; in a mask, after the last typed character.
    void CaretToEnd();
    // The text to store: the edit's text without the mask's blanks.
    QString EditText() const;
    // Inserts `typed` at the caret (over the selection) as the keyboard would, through the
    // number-typing rules of a number cell. Returns whether it was accepted.
    bool TypeText(const QString &typed);
    // Inserts `text` over the selection as a paste: through the number-typing rules in a number
    // cell, plain otherwise. Returns whether it was accepted.
    bool PasteText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Text from an input method obeys the same rules as typed text.
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // The line edit's own menu, with 粘贴 going through the number-typing rules.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    TableGridView &view_;
    QPoint cell_{-1, -1};
    QString startText_;
    bool modifiable_ = true;
    bool numberCell_ = false;
    bool allowNegative_ = true;
    int maxLength_ = 255;
    int intLength_ = 3;
    int decLength_ = 2;
    EditMask mask_;
};

} // namespace pelvoro
