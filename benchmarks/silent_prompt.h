#pragma once

#include "base/prompt.h"

// A prompt for benchmarks: messages are dropped and every question is answered OK, so that a
// measured operation never stops for the operator.
class SilentPrompt : public pelvoro::Prompt {
public:
    void Message(const QString &, const QString &, pelvoro::PromptIcon) override {}
    pelvoro::PromptButton Ask(const QString &, const QString &, pelvoro::PromptButtons, pelvoro::PromptIcon) override
    {
        return pelvoro::PromptButton::Ok;
    }
    QStringList OpenFiles(pelvoro::FileDialogRequest &) override { return {}; }
    QString OpenFile(pelvoro::FileDialogRequest &) override { return {}; }
    QString SaveFile(pelvoro::FileDialogRequest &) override { return {}; }
};
