#include "app/startup_checks.h"

#include "base/prompt.h"
#include "config/config_store.h"

namespace pelvoro {

bool ConfigReadableForStart(Prompt &prompt)
{
    const QString unreadable = ConfigStore().ReadError();
    if (unreadable.isEmpty())
        return true;
    prompt.Message(unreadable + QStringLiteral("\n程序没有启动，也没有改动任何文件。请恢复该文件后重新启动。"),
                   QStringLiteral("错误"), PromptIcon::Error);
    return false;
}

} // namespace pelvoro
