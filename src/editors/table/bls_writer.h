#pragma once

#include "editors/table/grid_content.h"

#include <QByteArray>

namespace pelvoro {

// The table file of `content`, front to back.
QByteArray WriteTableFile(const GridContent &content);

} // namespace pelvoro
