#include "app/qt_prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

namespace pelvoro {

bool InstallQtTranslation()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void UseStationLocale()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
}

namespace {

QMessageBox::Icon BoxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::None:
        return QMessageBox::NoIcon;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

struct ButtonPair {
    PromptButton ours;
    QMessageBox::StandardButton theirs;
};
const ButtonPair kButtons[] = {
    {PromptButton::Ok, QMessageBox::Ok},
    {PromptButton::Cancel, QMessageBox::Cancel},
    {PromptButton::Yes, QMessageBox::Yes},
    {PromptButton::No, QMessageBox::No},
};

int ExecWithFilters(QFileDialog &dialog, const FileDialogRequest &request)
{
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters[request.filterIndex]);
    return dialog.exec();
}

QStringList RunFileDialog(QWidget *parent, FileDialogRequest &request, QFileDialog::FileMode mode,
                          QFileDialog::AcceptMode accept)
{
    QFileDialog dialog(parent, request.caption, request.directory);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    if (ExecWithFilters(dialog, request) != QDialog::Accepted)
        return {};
    request.filterIndex = int(request.filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles();
}

} // namespace

QWidget *QtPrompt::Owner() const
{
    // A box raised from a dialog belongs to that dialog: dismissing it gives the dialog back the
    // keyboard instead of the main window.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return parent_;
}

void QtPrompt::Message(const QString &text, const QString &caption, PromptIcon icon)
{
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, Owner());
    box.exec();
}

PromptButton QtPrompt::Ask(const QString &text, const QString &caption, PromptButtons buttons, PromptIcon icon)
{
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::NoButton, Owner());
    for (const ButtonPair &pair : kButtons) {
        if (buttons & int(pair.ours))
            box.addButton(pair.theirs);
    }
    const int chosen = box.exec();
    for (const ButtonPair &pair : kButtons) {
        if (chosen == pair.theirs)
            return pair.ours;
    }
    return PromptButton::Cancel;
}

QStringList QtPrompt::OpenFiles(FileDialogRequest &request)
{
    return RunFileDialog(Owner(), request, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
}

QString QtPrompt::OpenFile(FileDialogRequest &request)
{
    return RunFileDialog(Owner(), request, QFileDialog::ExistingFile, QFileDialog::AcceptOpen).value(0);
}

QString QtPrompt::SaveFile(FileDialogRequest &request)
{
    return RunFileDialog(Owner(), request, QFileDialog::AnyFile, QFileDialog::AcceptSave).value(0);
}

} // namespace pelvoro
