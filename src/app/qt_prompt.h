#pragma once

#include "base/prompt.h"

class QWidget;

namespace pelvoro {

// Loads Qt's own Simplified Chinese translation (qtbase_zh_CN.qm), so that the buttons of message
// boxes, the file dialogs and the text boxes' menus speak the station's language. False when the
// file is not installed; the dialogs then stay in English.
bool InstallQtTranslation();

// The station speaks Simplified Chinese whatever the system's language: calendars, numbers and
// dates in the dialogs follow this locale.
void UseStationLocale();

// The station's prompts as real message boxes and file dialogs.
class QtPrompt : public Prompt {
public:
    explicit QtPrompt(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }

    void Message(const QString &text, const QString &caption, PromptIcon icon) override;
    PromptButton Ask(const QString &text, const QString &caption, PromptButtons buttons, PromptIcon icon) override;
    QStringList OpenFiles(FileDialogRequest &request) override;
    QString OpenFile(FileDialogRequest &request) override;
    QString SaveFile(FileDialogRequest &request) override;

private:
    // The window the dialogs belong to: the modal dialog in front, else the given parent.
    QWidget *Owner() const;

    QWidget *parent_;
};

} // namespace pelvoro
