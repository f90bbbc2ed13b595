#include "users/user_settings.h"

#include "base/gbk.h"
#include "config/config_store.h"

namespace pelvoro {

UserSettings LoadUsers(const ConfigStore &store)
{
    const IniDocument doc = store.Read();
    UserSettings users;
    users.OperatorPassword = ReadText(doc, kGlobalSection, QStringLiteral("参数一"), QString());
    users.AdminPassword = ReadText(doc, kGlobalSection, QStringLiteral("参数二"), QString());
    const auto noLogin = doc.Value(ToGbk(kGlobalSection), ToGbk(QStringLiteral("参数三")));
    const auto value = noLogin ? ParseIniInt(*noLogin) : std::nullopt;
    users.NoLogin = value.value_or(1) != 0;
    return users;
}

} // namespace pelvoro
