#include "editors/table/ui/table_inplace_edit.h"

#include "editors/table/cell_info.h"
#include "editors/table/ui/table_grid_view.h"

namespace pelvoro {

TInplaceEdit::TInplaceEdit(TableGridView &view) : QLineEdit(view.viewport()), view_(view) {}

void TInplaceEdit::Start(int col, int row, const TCellInfo &, const QString &mask, const QString &text)
{
    cell_ = {col, row};
    setInputMask(mask);
    setText(text);
    startText_ = text;
}
bool TInplaceEdit::TextChanged() const { return EditText() != startText_; }
QString TInplaceEdit::EditText() const { return text(); }
bool TInplaceEdit::TypeText(const QString &typed)
{
    insert(typed);
    return true;
}
void TInplaceEdit::keyPressEvent(QKeyEvent *event) { QLineEdit::keyPressEvent(event); }
void TInplaceEdit::focusOutEvent(QFocusEvent *event) { QLineEdit::focusOutEvent(event); }
void TInplaceEdit::insertFromMimeData(const QString &text) { PasteText(text); }
bool TInplaceEdit::PasteText(const QString &text)
{
    insert(text);
    return true;
}

} // namespace pelvoro
