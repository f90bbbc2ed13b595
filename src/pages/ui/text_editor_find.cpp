#include "pages/ui/text_editor_find.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace pelvoro {

bool FindInEdit(QTextEdit *edit, const QString &text, QTextDocument::FindFlags flags, bool fromStart)
{
    if (text.isEmpty())
        return false;
    QTextCursor from = edit->textCursor();
    if (fromStart)
        from.movePosition(QTextCursor::Start);
    const QTextCursor found = edit->document()->find(text, from, flags);
    if (found.isNull())
        return false;
    edit->setTextCursor(found);
    return true;
}

namespace {
bool SelectionMatches(const QTextCursor &cursor, const QString &text, QTextDocument::FindFlags flags)
{
    const Qt::CaseSensitivity sensitivity =
        flags.testFlag(QTextDocument::FindCaseSensitively) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return cursor.hasSelection() && cursor.selectedText().compare(text, sensitivity) == 0;
}
} // namespace

bool ReplaceInEdit(QTextEdit *edit, const QString &text, const QString &replacement, QTextDocument::FindFlags flags)
{
    QTextCursor cursor = edit->textCursor();
    if (SelectionMatches(cursor, text, flags)) {
        cursor.insertText(replacement);
        edit->setTextCursor(cursor);
    }
    return FindInEdit(edit, text, flags, false);
}

int ReplaceAllInEdit(QTextEdit *edit, const QString &text, const QString &replacement,
                     QTextDocument::FindFlags flags)
{
    if (text.isEmpty())
        return 0;
    int count = 0;
    QTextCursor batch(edit->document());
    batch.beginEditBlock();
    QTextCursor found = edit->document()->find(text, 0, flags);
    while (!found.isNull()) {
        found.insertText(replacement);
        ++count;
        found = edit->document()->find(text, found, flags);
    }
    batch.endEditBlock();
    return count;
}

TabletFindDialog::TabletFindDialog(QWidget *parent) : QDialog(parent)
{
    setModal(false);
    auto *grid = new QGridLayout(this);
    find_ = new QLineEdit(this);
    replace_ = new QLineEdit(this);
    matchCase_ = new QCheckBox(QStringLiteral("区分大小写"), this);
    wholeWords_ = new QCheckBox(QStringLiteral("全字匹配"), this);
    auto *next = new QPushButton(QStringLiteral("查找下一个"), this);
    auto *one = new QPushButton(QStringLiteral("替换"), this);
    auto *all = new QPushButton(QStringLiteral("全部替换"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    auto *replaceLabel = new QLabel(QStringLiteral("替换为:"), this);
    grid->addWidget(new QLabel(QStringLiteral("查找内容:"), this), 0, 0);
    grid->addWidget(find_, 0, 1);
    grid->addWidget(next, 0, 2);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replace_, 1, 1);
    grid->addWidget(one, 1, 2);
    grid->addWidget(all, 2, 2);
    grid->addWidget(matchCase_, 2, 0, 1, 2);
    grid->addWidget(wholeWords_, 3, 0, 1, 2);
    grid->addWidget(cancel, 3, 2);
    replaceRow_ = {replaceLabel, replace_, one, all};
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TabletFindDialog::FindNextRequested);
    connect(one, &QPushButton::clicked, this, &TabletFindDialog::ReplaceRequested);
    connect(all, &QPushButton::clicked, this, &TabletFindDialog::ReplaceAllRequested);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void TabletFindDialog::ShowFor(bool replace)
{
    setWindowTitle(replace ? QStringLiteral("替换") : QStringLiteral("查找"));
    for (QWidget *widget : replaceRow_)
        widget->setVisible(replace);
    show();
    raise();
    activateWindow();
    find_->setFocus();
    find_->selectAll();
}

QString TabletFindDialog::Text() const
{
    return find_->text();
}

QString TabletFindDialog::Replacement() const
{
    return replace_->text();
}

QTextDocument::FindFlags TabletFindDialog::Flags() const
{
    QTextDocument::FindFlags flags;
    if (matchCase_->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWords_->isChecked())
        flags |= QTextDocument::FindWholeWords;
    return flags;
}

} // namespace pelvoro
