#pragma once

#include "editors/table/grid_content.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace pelvoro {

struct TableReadResult {
    std::optional<GridContent> content; // the table, when the bytes hold a sound one
    QString message;                    // why not, for the operator
    qsizetype consumed = 0;             // bytes the table took
};

// Reads a table file. A damaged file gives the message of the part where reading stopped; nothing
// is read outside `bytes`, and no more is allocated than the bytes can describe.
TableReadResult ReadTableFile(QByteArrayView bytes);

} // namespace pelvoro
