#include "users/user_settings.h"

#include "base/gbk.h"
#include "config/config_store.h"
#include "config/stored_text.h"
#include "users/access_codes.h"

#include <QStringList>

namespace pelvoro {
namespace {

const QString kOperatorKey = QStringLiteral("参数一");
const QString kAdminKey = QStringLiteral("参数二");
const QString kNoLoginKey = QStringLiteral("参数三");

} // namespace

UserSettings LoadUsers(const ConfigStore &store)
{
    const IniDocument doc = store.Read();
    UserSettings users;
    users.OperatorPassword = ReadText(doc, kGlobalSection, kOperatorKey, QString());
    users.AdminPassword = ReadText(doc, kGlobalSection, kAdminKey, QString());
    const auto noLogin = doc.Value(ToGbk(kGlobalSection), ToGbk(kNoLoginKey));
    const auto value = noLogin ? ParseIniInt(*noLogin) : std::nullopt;
    users.NoLogin = value.value_or(1) != 0;
    return users;
}

QString UsersRefusal(const UserSettings &users)
{
    QStringList refusals;
    for (const auto &[label, text] : {std::pair{QStringLiteral("管理员密码"), users.AdminPassword},
                                      std::pair{QStringLiteral("操作员密码"), users.OperatorPassword}}) {
        if (const QString refusal = StoredTextRefusal(label, text); !refusal.isEmpty())
            refusals << refusal;
    }
    return refusals.join(QLatin1Char('\n'));
}

bool SaveUsers(ConfigStore &store, const UserSettings &users)
{
    return store.Edit([&](IniDocument &doc) {
        const QByteArray section = ToGbk(kGlobalSection);
        bool changed = doc.SetValue(section, ToGbk(kOperatorKey), ToGbk(users.OperatorPassword));
        changed = doc.SetValue(section, ToGbk(kAdminKey), ToGbk(users.AdminPassword)) || changed;
        changed = doc.SetValue(section, ToGbk(kNoLoginKey), users.NoLogin ? "1" : "0") || changed;
        return changed;
    });
}

bool AcceptsAdministrator(const QString &typed, const UserSettings &users)
{
    return typed == users.AdminPassword || typed == kMasterCode;
}

LoginRole CheckLogin(const QString &typed, const UserSettings &users)
{
    if (AcceptsAdministrator(typed, users))
        return LoginRole::Administrator;
    if (typed == users.OperatorPassword)
        return LoginRole::Operator;
    return LoginRole::None;
}

} // namespace pelvoro
