// "保存" and "打开": the programme as a ".save" project file with its companions.
#include "app/main_window.h"

#include "base/app_dir.h"
#include "base/prompt.h"
#include "pages/project_files.h"

#include <QDir>
#include <QFileInfo>

namespace pelvoro {
namespace {

const QString kProjectFilter = QStringLiteral("Tavrel Save Format(*.save)");

bool AnsweredYes(Prompt &prompt, const QString &text)
{
    return prompt.Ask(text, QStringLiteral("提示"), int(PromptButton::Yes) | int(PromptButton::No)) ==
           PromptButton::Yes;
}

// Opening replaces every page of the working set and may lock the station: one question when it
// does either. Empty when there is nothing to ask.
QString OpenQuestion(const ProjectOpenEffect &effect)
{
    QStringList lines;
    if (effect.loginRequired)
        lines << QStringLiteral("该节目文件要求登录：打开后工作站将立即锁定，须用该节目文件中的密码登录。");
    if (!effect.replaced.isEmpty()) {
        QStringList screens;
        for (const ScreenPages &screen : effect.replaced) {
            QStringList parts;
            if (screen.pages.main > 0)
                parts << QStringLiteral("主区 %1 页").arg(screen.pages.main);
            if (screen.pages.subtitle > 0)
                parts << QStringLiteral("字幕 %1 页").arg(screen.pages.subtitle);
            screens << QStringLiteral("%1号屏%2").arg(screen.screen + 1).arg(parts.join(QStringLiteral("、")));
        }
        lines << QStringLiteral("当前的数据页将被该节目文件替换：%1。").arg(screens.join(QStringLiteral("，")));
    }
    if (lines.isEmpty())
        return {};
    return lines.join(QLatin1Char('\n')) + QStringLiteral("\n继续吗？");
}

} // namespace

void Tfrmmain::SaveProject()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("保存项目文件");
    request.directory = QDir::home().filePath(QStringLiteral("未命名"));
    request.filters = {kProjectFilter};
    const QString chosen = prompt_.SaveFile(request);
    if (chosen.isEmpty())
        return;
    const QString path = ProjectSavePath(QFileInfo(chosen).absoluteFilePath());
    // The dialog asked about the name typed; the name with the extension is asked about here.
    if (path != QFileInfo(chosen).absoluteFilePath() && QFileInfo::exists(path)
        && !AnsweredYes(prompt_, QStringLiteral("%1 已存在。\n要替换它吗？").arg(QDir::toNativeSeparators(path))))
        return;
    EnterAppDir();
    const ProjectResult result = SaveProjectFiles(path, table_.LastIndex);
    if (!result.Ok()) {
        prompt_.Message(result.error, QStringLiteral("提示"), PromptIcon::Error);
        return;
    }
    ShowCommStatus(QStringLiteral("状态：项目已保存到 %1").arg(QDir::toNativeSeparators(result.project)));
}

void Tfrmmain::OpenProject()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("打开项目文件");
    request.directory = QDir::homePath();
    request.filters = {kProjectFilter};
    const QString path = prompt_.OpenFile(request);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    EnterAppDir();
    const QString question = OpenQuestion(PreviewOpenProject(QFileInfo(path).absoluteFilePath()));
    if (!question.isEmpty() && !AnsweredYes(prompt_, question))
        return;
    const ProjectResult result = OpenProjectFiles(QFileInfo(path).absoluteFilePath());
    if (!result.Ok())
        prompt_.Message(result.error, QStringLiteral("提示"), PromptIcon::Error);
    // A failed copy left the working files as they were; anything replaced is loaded.
    if (!result.changed)
        return;
    Initialise();
    Q_EMIT PreviewRedrawRequested(table_.CurrentScreen);
}

} // namespace pelvoro
