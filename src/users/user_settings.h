#pragma once

#include <QString>

namespace pelvoro {

class ConfigStore;

// The login switch and the two passwords, kept in "全局参数". The passwords are plain text in the
// file: stored configurations and older stations read them so.
struct UserSettings {
    QString OperatorPassword; // "参数一"
    QString AdminPassword;    // "参数二"
    bool NoLogin = true;      // "参数三": true means nobody logs in
};

UserSettings LoadUsers(const ConfigStore &store);
// Why the passwords cannot be saved as they are, naming the password and the characters the file
// cannot hold (a line break included), one line per password; empty when they can. A password stored
// changed would no longer log in as typed. User management and the tool check this before SaveUsers.
QString UsersRefusal(const UserSettings &users);
// Writes the three keys with one replacement of the file. Returns false when it could not be written.
bool SaveUsers(ConfigStore &store, const UserSettings &users);

// Who a login makes of the person at the station; nothing keeps it after the window is unlocked.
enum class LoginRole { None, Operator, Administrator };

// The role a typed text logs in as: the administrator's password (or the master code) first, so an
// empty field logs in as administrator while that password is empty, then the operator's.
LoginRole CheckLogin(const QString &typed, const UserSettings &users);
// User management's first page: the administrator's password or the master code.
bool AcceptsAdministrator(const QString &typed, const UserSettings &users);

} // namespace pelvoro
