#pragma once

#include "base/prompt.h"

#include <QList>
#include <QQueue>

namespace pelvoro::test {

// A Prompt whose answers are queued by the test and whose messages are recorded. An unscripted
// question or file dialog fails the test and answers Cancel, so nothing ever waits for a person.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        QString text;
        QString caption;
        PromptIcon icon;
    };

    void Message(const QString &text, const QString &caption, PromptIcon icon) override;
    PromptButton Ask(const QString &text, const QString &caption, PromptButtons buttons, PromptIcon icon) override;
    QStringList OpenFiles(FileDialogRequest &request) override;
    QString OpenFile(FileDialogRequest &request) override;
    QString SaveFile(FileDialogRequest &request) override;

    QQueue<PromptButton> answers;
    QQueue<QStringList> files;
    QQueue<int> filterIndexes; // the filter the operator picks in the next file dialog
    QList<Shown> messages;     // message boxes in order
    QList<Shown> questions;    // questions in order
    QList<FileDialogRequest> fileDialogs;

    // The texts of the message boxes, each checked to carry `caption`.
    QStringList MessageTexts(const QString &caption) const;
};

} // namespace pelvoro::test
