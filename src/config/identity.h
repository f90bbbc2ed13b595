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

} // namespace pelvoro
