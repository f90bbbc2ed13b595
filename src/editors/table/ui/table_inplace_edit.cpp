#include "editors/table/ui/table_inplace_edit.h"

#include "editors/table/cell_info.h"
#include "editors/table/number_input_rules.h"
#include "editors/table/table_pages.h"
#include "editors/table/ui/table_grid_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace pelvoro {

TInplaceEdit::TInplaceEdit(TableGridView &view) : QLineEdit(view.viewport()), view_(view)
{
    setFrame(false);
}

void TInplaceEdit::Start(int col, int row, const TCellInfo &cell, const QString &mask, const QString &text)
{
    cell_ = {col, row};
    modifiable_ = !cell.ReadOnly;
    numberCell_ = cell.ShowForeText && cell.DataStyle == dsNumber;
    allowNegative_ = cell.AllowNegative;
    maxLength_ = cell.MaxLength;
    intLength_ = cell.IntLength;
    decLength_ = cell.DecLength;
    wholeSelectedOnEnter_ = false;

    QFont font(cell.FontName.isEmpty() ? QStringLiteral("宋体") : cell.FontName);
    font.setPointSize(std::max(1, int(cell.FontSize)));
    font.setBold(cell.FontStyle & kFontBold);
    font.setItalic(cell.FontStyle & kFontItalic);
    font.setUnderline(cell.FontStyle & kFontUnderline);
    font.setStrikeOut(cell.FontStyle & kFontStrikeOut);
    setFont(font);
    QPalette colors = palette();
    colors.setColor(QPalette::Base, TableColor(cell.Color));
    colors.setColor(QPalette::Text, TableColor(cell.FontColor));
    setPalette(colors);

    setInputMask(mask);
    setMaxLength(cell.ShowForeText ? std::max(1, int(cell.MaxLength)) : 32767);
    setText(text);
    startText_ = text;
    end(false);
}

QString TInplaceEdit::EditText() const
{
    // With a mask, QLineEdit::text() drops the blank characters already; an untouched date or time
    // mask then reads as its separators only, which stands for no text.
    if (inputMask().isEmpty())
        return text();
    QString value = text();
    bool onlySeparators = true;
    for (const QChar ch : value) {
        if (ch.isLetterOrNumber())
            onlySeparators = false;
    }
    return onlySeparators ? QString() : value.trimmed();
}

bool TInplaceEdit::TextChanged() const
{
    return EditText() != startText_;
}

bool TInplaceEdit::TypeText(const QString &typed)
{
    if (!modifiable_)
        return false;
    if (!numberCell_) {
        insert(typed);
        return true;
    }
    QString candidate = text();
    int start = cursorPosition();
    if (hasSelectedText()) {
        start = selectionStart();
        candidate.remove(start, selectedText().size());
    }
    candidate.insert(start, typed);
    const NumberInputCheck check = CheckNumberInput(candidate, {maxLength_, intLength_, decLength_, allowNegative_});
    if (!check.Accepted)
        return false;
    setText(check.Text);
    setCursorPosition(start + int(typed.size()) + check.CaretShift);
    return true;
}

bool TInplaceEdit::PasteText(const QString &text)
{
    return TypeText(text);
}

void TInplaceEdit::insertFromMimeData(const QString &text)
{
    PasteText(text);
}

void TInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    const bool atEnd = cursorPosition() == text().size() && !hasSelectedText();
    const bool atStart = cursorPosition() == 0 && !hasSelectedText();
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (mods & Qt::AltModifier)
            return;
        view_.HandleGridKey(event);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
        view_.HandleGridKey(event);
        return;
    case Qt::Key_Escape:
        setText(startText_);
        view_.HandleGridKey(event);
        return;
    case Qt::Key_End:
    case Qt::Key_Right:
        if (atEnd && plain) {
            QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, mods);
            view_.HandleGridKey(&right);
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_Left:
        if (atStart && plain) {
            QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, mods);
            view_.HandleGridKey(&left);
            return;
        }
        break;
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier) {
            view_.HandleGridKey(event);
            return;
        }
        break;
    case Qt::Key_F2:
        end(false);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Alternates between the whole text selected and the caret at its end.
        wholeSelectedOnEnter_ = !wholeSelectedOnEnter_;
        if (wholeSelectedOnEnter_)
            selectAll();
        else
            end(false);
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (!modifiable_)
            return;
        break;
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        if (modifiable_)
            PasteText(QApplication::clipboard()->text());
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        TypeText(typed);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Leaving the grid altogether hides the editor; moving focus back to the grid keeps it.
    QWidget *next = QApplication::focusWidget();
    if (next != &view_ && next != this && !view_.Grid().HasOption(goAlwaysShowEditor) && isVisible())
        view_.HideEditor();
}

} // namespace pelvoro
