#include "config/identity.h"

#include "config/config_store.h"

namespace pelvoro {

Identity ReadIdentity(const ConfigStore &store)
{
    const QString section = QStringLiteral("版本信息");
    const IniDocument doc = store.Read();
    const QString name = ReadText(doc, section, QStringLiteral("软件名称"), kSoftwareDisplayName);
    const QString version = ReadText(doc, section, QStringLiteral("软件版本号"), QStringLiteral("V1.0"));
    const QString date = ReadText(doc, section, QStringLiteral("软件日期"), QStringLiteral("2005/11/18"));
    const QString lineBreaks = QStringLiteral("\r\r");
    return {name + lineBreaks + QStringLiteral("版本号：") + version + lineBreaks + QStringLiteral("版本日期：") + date,
            name};
}

} // namespace pelvoro
