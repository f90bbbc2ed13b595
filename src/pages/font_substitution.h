#pragma once

#include <QString>
#include <QStringList>

namespace pelvoro {

// Operators and documents name Windows faces ("宋体", "黑体", "Arial"...). These map them onto
// installed faces of the same style, so that Qt finds a Song face for 宋体 and a Hei face for 黑体.
void InstallFontSubstitutions();

// The installed faces tried for a Windows face name, best first (empty for a name we do not map).
QStringList SubstitutesFor(const QString &windowsFace);

} // namespace pelvoro
