#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace pelvoro::test {

void ScriptedPrompt::Message(const QString &text, const QString &caption, PromptIcon icon)
{
    messages.append({text, caption, icon});
}

PromptButton ScriptedPrompt::Ask(const QString &text, const QString &caption, PromptButtons, PromptIcon icon)
{
    questions.append({text, caption, icon});
    if (answers.isEmpty()) {
        ADD_FAILURE() << "unscripted question: " << text.toStdString();
        return PromptButton::Cancel;
    }
    return answers.dequeue();
}

QStringList ScriptedPrompt::OpenFiles(FileDialogRequest &request)
{
    fileDialogs.append(request);
    if (!filterIndexes.isEmpty())
        request.filterIndex = filterIndexes.dequeue();
    if (files.isEmpty()) {
        ADD_FAILURE() << "unscripted file dialog: " << request.caption.toStdString();
        return {};
    }
    return files.dequeue();
}

QString ScriptedPrompt::OpenFile(FileDialogRequest &request)
{
    const QStringList chosen = OpenFiles(request);
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString ScriptedPrompt::SaveFile(FileDialogRequest &request)
{
    return OpenFile(request);
}

QStringList ScriptedPrompt::MessageTexts(const QString &caption) const
{
    QStringList texts;
    for (const Shown &shown : messages) {
        EXPECT_EQ(shown.caption, caption) << shown.text.toStdString();
        texts.append(shown.text);
    }
    return texts;
}

} // namespace pelvoro::test
