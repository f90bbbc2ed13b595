#pragma once

#include <QDialog>
#include <QTextDocument>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextEdit;

// The editor's search: one non-modal dialog for find and replace over the text box, as the
// system's find and replace dialogs act on a text control.
namespace pelvoro {

// Looks for `text` from the caret (after the selection), or from the start; selects the match.
bool FindInEdit(QTextEdit *edit, const QString &text, QTextDocument::FindFlags flags, bool fromStart);
// Replaces the selection when it is a match, then finds the next one.
bool ReplaceInEdit(QTextEdit *edit, const QString &text, const QString &replacement, QTextDocument::FindFlags flags);
// Replaces every match, in one undo step; returns how many.
int ReplaceAllInEdit(QTextEdit *edit, const QString &text, const QString &replacement,
                     QTextDocument::FindFlags flags);

class TabletFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TabletFindDialog(QWidget *parent = nullptr);

    // Shows the dialog with or without the replace row.
    void ShowFor(bool replace);
    QString Text() const;
    QString Replacement() const;
    QTextDocument::FindFlags Flags() const;

    QLineEdit *FindEdit() const { return find_; }
    QLineEdit *ReplaceEdit() const { return replace_; }

Q_SIGNALS:
    void FindNextRequested();
    void ReplaceRequested();
    void ReplaceAllRequested();

private:
    QLineEdit *find_ = nullptr;
    QLineEdit *replace_ = nullptr;
    QCheckBox *matchCase_ = nullptr;
    QCheckBox *wholeWords_ = nullptr;
    QList<QWidget *> replaceRow_;
};

} // namespace pelvoro
