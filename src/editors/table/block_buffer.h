#pragma once

#include "editors/table/cell_record.h"

#include <QByteArrayView>

#include <optional>
#include <vector>

// The grid's block buffer: a rectangle of cells serialized for moving, copying, filling and the
// clipboard.
namespace pelvoro {

struct DecodedBlock {
    GridRect source;                // where the cells came from
    std::vector<DecodedCell> cells; // column by column

    int Width() const { return source.Width(); }
    int Height() const { return source.Height(); }
    const DecodedCell &At(int dCol, int dRow) const { return cells[size_t(dCol) * size_t(Height()) + size_t(dRow)]; }
};

// nullopt when the bytes are no whole block: a bad header, a damaged record or bytes left over.
std::optional<DecodedBlock> DecodeBlock(QByteArrayView bytes);

} // namespace pelvoro
