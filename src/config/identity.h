#pragma once

#include <QString>

namespace pelvoro {

class ConfigStore;

inline const QString kSoftwareDisplayName = QStringLiteral("Pelvoro");
// What the identity editor and the about box's write-back take when "软件名称" is missing.
inline const QString kDefaultOwnerText = QStringLiteral("Pelvoro 显示系统");

struct Identity {
    QString aboutText;    // name, two line breaks, version, two line breaks, date
    QString softwareName; // the main window's title
};

// The software identity from "版本信息", with the display defaults.
Identity ReadIdentity(const ConfigStore &store);

// The three stored texts of "版本信息".
struct IdentityFields {
    QString name;    // "软件名称"
    QString version; // "软件版本号"
    QString date;    // "软件日期"
};

// The three texts as the identity editor shows them: a missing name is the default owner text.
IdentityFields ReadIdentityFields(const ConfigStore &store);
// Why the three texts cannot be written as they are, naming the field and the characters the file
// cannot hold (a line break included), one line per field; empty when they can. Editors check this
// before WriteIdentityFields.
QString IdentityRefusal(const IdentityFields &fields);
// Writes the three keys, each only where it differs. Returns false when the file could not be written.
bool WriteIdentityFields(ConfigStore &store, const IdentityFields &fields);
// Writes back what ReadIdentityFields gives, so that afterwards the section holds all three keys.
bool WriteBackIdentity(ConfigStore &store);

} // namespace pelvoro
