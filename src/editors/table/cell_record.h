#pragma once

#include "editors/table/cell_info.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// One cell as a table file and the block buffer store it: the record size, the 72-byte fixed
// part and the counted strings FontName, ForeText and BackText.
namespace pelvoro {

class GbkTextCodec;

// Appends the record of `cell`, whose merged block is `mergeRect`; no marker.
void AppendCellRecord(QByteArray &out, const TCellInfo &cell, const GridRect &mergeRect, GbkTextCodec &codec);

struct DecodedCell {
    TCellInfo cell;     // merge distances unset
    GridRect mergeRect; // as stored
    qsizetype size = 0; // bytes the record took
};

// The record at the start of `bytes`; nullopt when it does not fit in `bytes`, its size is below
// the smallest record or disagrees with its strings.
std::optional<DecodedCell> DecodeCellRecord(QByteArrayView bytes, GbkTextCodec &codec);

} // namespace pelvoro
