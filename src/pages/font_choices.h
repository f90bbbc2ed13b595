#pragma once

#include <QStringList>

#include <functional>

namespace pelvoro {

// The faces an operator picks from: the Chinese Windows names the station draws through
// substitution ("宋体", "黑体", "楷体") first, then the installed families that draw Chinese, then
// the rest. Each typeface appears once: foundry-qualified duplicates, regional cuts of one face
// ("… CN", "… TW", "… HK") and fontconfig's generic aliases ("Sans Serif"...) are folded away.
QStringList FontChoices(const QStringList &installedFamilies, const std::function<bool(const QString &)> &drawsChinese);

// The same over the fonts installed on this machine.
QStringList InstalledFontChoices();

} // namespace pelvoro
