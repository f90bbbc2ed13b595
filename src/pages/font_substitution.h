#pragma once

#include "pages/rich_document.h"

#include <QString>
#include <QStringList>

namespace pelvoro {

// Operators and documents name Windows faces ("宋体", "黑体", "Arial"...). These map them onto
// installed faces of the same style, so that Qt finds a Song face for 宋体 and a Hei face for 黑体.
void InstallFontSubstitutions();

// The installed faces tried for a Windows face name, best first (empty for a name we do not map).
// The common Western names go through their Windows face first (Helvetica → Arial).
QStringList SubstitutesFor(const QString &windowsFace);

// The installed face a run is drawn with, chosen as a Chinese Windows chooses: a Windows or common
// Western name through the table above, an installed face as it is, and any other face by the run's
// character set and family (a Chinese set → 宋体, swiss → Arial, roman → Times New Roman, modern →
// Courier New, anything else → 宋体). An empty face is 宋体.
QString DrawingFace(const QString &face, int charset, FontFamily family);

// The installed face of 宋体: it draws the characters a run's face lacks, as font linking does.
QString LinkedFace();

} // namespace pelvoro
