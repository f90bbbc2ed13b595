#pragma once

#include <QString>

namespace pelvoro {

class ConfigStore;

// The login switch and the two passwords, kept in "全局参数".
struct UserSettings {
    QString OperatorPassword; // "参数一"
    QString AdminPassword;    // "参数二"
    bool NoLogin = true;      // "参数三": true means nobody logs in
};

UserSettings LoadUsers(const ConfigStore &store);

} // namespace pelvoro
