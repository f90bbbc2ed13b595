#pragma once

#include <QString>
#include <QStringList>

// Every message box, question and file dialog of the station goes through a Prompt. The station
// shows real dialogs (app/qt_prompt.h); tests and the command-line tool script or print them, so
// nothing ever blocks on a modal window there.
namespace pelvoro {

enum class PromptIcon { None, Information, Warning, Question, Error };

enum class PromptButton { Ok = 1, Cancel = 2, Yes = 4, No = 8 };
using PromptButtons = int; // or-ed PromptButton values

struct FileDialogRequest {
    QString caption;
    QString directory;
    QStringList filters; // e.g. "RTF文件 (*.rtf)"
    int filterIndex = 0; // selected filter on input and on output
};

class Prompt {
public:
    virtual ~Prompt() = default;

    // A message box with a single OK button.
    virtual void Message(const QString &text, const QString &caption = QStringLiteral("提示"),
                         PromptIcon icon = PromptIcon::Information) = 0;
    // A question; returns the button chosen (Cancel when the box is closed otherwise).
    virtual PromptButton Ask(const QString &text, const QString &caption, PromptButtons buttons,
                             PromptIcon icon = PromptIcon::Question) = 0;
    // File dialogs; an empty result means the operator cancelled.
    virtual QStringList OpenFiles(FileDialogRequest &request) = 0;
    virtual QString OpenFile(FileDialogRequest &request) = 0;
    virtual QString SaveFile(FileDialogRequest &request) = 0;
};

} // namespace pelvoro
