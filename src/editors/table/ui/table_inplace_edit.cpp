#include "editors/table/ui/table_inplace_edit.h"

#include "editors/table/cell_info.h"
#include "editors/table/number_input_rules.h"
#include "editors/table/table_pages.h"
#include "editors/table/ui/table_grid_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace pelvoro {

namespace {

// The line edit's mask character for a table mask character; a null character for a literal.
QChar InputMaskChar(QChar ch)
{
    switch (ch.unicode()) {
    case '0': return u'9';
    case '9': return u'0';
    case '#': return u'#';
    case 'L': return u'A';
    case 'l': return u'a';
    case 'A': return u'N';
    case 'a': return u'n';
    case 'C': return u'X';
    case 'c': return u'x';
    default: return {};
    }
}

} // namespace

EditMask ParseEditMask(const QString &mask)
{
    // The fields are separated by ';' not escaped with '\'.
    QStringList fields(QString{});
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask[i] == u'\\' && i + 1 < mask.size()) {
            fields.last() += mask.mid(i, 2);
            ++i;
        } else if (mask[i] == u';') {
            fields.append(QString());
        } else {
            fields.last() += mask[i];
        }
    }
    EditMask result;
    if (fields.size() > 1 && fields[1].startsWith(u'0'))
        result.SaveLiterals = false;
    if (fields.size() > 2 && !fields[2].isEmpty())
        result.Blank = fields[2][0];
    const QString &source = fields[0];
    auto literal = [&result](QChar ch) {
        result.InputMask += u'\\';
        result.InputMask += ch;
        result.Literal.push_back(true);
    };
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar ch = source[i];
        if (ch == u'\\') {
            if (i + 1 < source.size())
                literal(source[++i]);
        } else if (ch == u'<' && i + 1 < source.size() && source[i + 1] == u'>') {
            result.InputMask += u'!';
            ++i;
        } else if (ch == u'<' || ch == u'>') {
            result.InputMask += ch;
        } else if (ch == u'!') {
            // Leading blanks: the line edit has no such switch.
        } else if (ch == u'/') {
            literal(u'-'); // dates are shown as yyyy-mm-dd
        } else if (ch == u'_') {
            literal(u' ');
        } else if (const QChar typed = InputMaskChar(ch); !typed.isNull()) {
            result.InputMask += typed;
            result.Literal.push_back(false);
        } else {
            literal(ch);
        }
    }
    if (result.Literal.empty())
        return {};
    result.InputMask += u';';
    result.InputMask += result.Blank;
    return result;
}

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
    mask_ = ParseEditMask(mask);
    // A drop would bypass the number-typing rules.
    setAcceptDrops(!numberCell_);

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

    setInputMask(mask_.InputMask);
    setMaxLength(cell.ShowForeText ? std::max(1, int(cell.MaxLength)) : 32767);
    setText(text);
    startText_ = text;
    CaretToEnd();
}

void TInplaceEdit::CaretToEnd()
{
    if (mask_.InputMask.isEmpty()) {
        end(false);
        return;
    }
    // After the last typed character: the blanks after it are still to be typed.
    const QString shown = displayText();
    qsizetype end = std::min(shown.size(), qsizetype(mask_.Literal.size()));
    while (end > 0 && (mask_.Literal[end - 1] || shown[end - 1] == mask_.Blank))
        --end;
    setCursorPosition(int(end));
}

QString TInplaceEdit::EditText() const
{
    if (mask_.InputMask.isEmpty())
        return text();
    // The positions not typed hold the blank; literals count only when the mask saves them. An
    // untouched mask then reads as its separators only, which stands for no text.
    const QString shown = displayText();
    QString value;
    bool typed = false;
    for (qsizetype i = 0; i < shown.size() && i < qsizetype(mask_.Literal.size()); ++i) {
        if (mask_.Literal[i]) {
            if (mask_.SaveLiterals)
                value += shown[i];
        } else if (shown[i] != mask_.Blank) {
            value += shown[i];
            typed = typed || !shown[i].isSpace();
        }
    }
    return typed ? value.trimmed() : QString();
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
    return !text.isEmpty() && TypeText(text);
}

void TInplaceEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The line edit's paste item, named as the line edit names it (in whatever language).
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QStringLiteral("edit-paste") || action->text().startsWith(pasteText)) {
            action->disconnect();
            connect(action, &QAction::triggered, this, [this] {
                if (modifiable_)
                    PasteText(QApplication::clipboard()->text());
            });
        }
    }
    menu->popup(event->globalPos());
    event->accept();
}

void TInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    // A mask's blanks count as text here: its end is the end of the mask.
    const bool atEnd = cursorPosition() == displayText().size() && !hasSelectedText();
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
        CaretToEnd();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The grid commits and hides the editor; an editor that is always shown stays, and Enter
        // alternates between the whole text selected and the caret at its end.
        if (!view_.Grid().HasOption(goAlwaysShowEditor)) {
            view_.HandleGridKey(event);
            return;
        }
        if (hasSelectedText() && selectionStart() == 0 && selectionLength() == displayText().size())
            CaretToEnd();
        else
            selectAll();
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

void TInplaceEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (modifiable_ && !numberCell_) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // A read-only cell takes nothing; a number cell takes only a committed text it can hold, and no
    // composition is shown in it.
    if (modifiable_ && !event->commitString().isEmpty())
        TypeText(event->commitString());
    event->accept();
}

void TInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Leaving the grid altogether hides the editor; moving focus back to the grid keeps it, and so
    // does a menu opening over it (its own, with 粘贴).
    QWidget *next = QApplication::focusWidget();
    if (event->reason() == Qt::PopupFocusReason)
        return;
    if (next != &view_ && next != this && !view_.Grid().HasOption(goAlwaysShowEditor) && isVisible())
        view_.HideEditor();
}

} // namespace pelvoro
