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

} // namespace

void Tfrmmain::SaveProject()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("保存项目文件");
    request.directory = QDir::home().filePath(QStringLiteral("未命名"));
    request.filters = {kProjectFilter};
    const QString path = prompt_.SaveFile(request);
    if (path.isEmpty())
        return;
    EnterAppDir();
    const ProjectResult result = SaveProjectFiles(QFileInfo(path).absoluteFilePath(), table_.LastIndex);
    if (!result.Ok())
        prompt_.Message(result.error, QStringLiteral("提示"), PromptIcon::Error);
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
