#include "editors/table/block_buffer.h"

#include "editors/table/bls_format.h"
#include "editors/table/byte_io.h"
#include "editors/table/gbk_text.h"

#include <climits>

namespace pelvoro {

std::optional<DecodedBlock> DecodeBlock(QByteArrayView bytes)
{
    if (bytes.size() < bls::kBlockHeaderSize)
        return std::nullopt;
    const qint32 left = I32At(bytes.data(), 0);
    const qint32 top = I32At(bytes.data(), 4);
    const qint32 width = I32At(bytes.data(), 8);
    const qint32 height = I32At(bytes.data(), 12);
    const qint64 count = qint64(width) * height;
    const qint64 room = (bytes.size() - bls::kBlockHeaderSize) / bls::kCellRecordBaseSize;
    if (width < 1 || height < 1 || count > room || qint64(left) + width - 1 > INT_MAX
        || qint64(top) + height - 1 > INT_MAX)
        return std::nullopt;
    DecodedBlock block;
    block.source = {left, top, left + width - 1, top + height - 1};
    block.cells.reserve(size_t(count));
    GbkTextCodec codec;
    qsizetype at = bls::kBlockHeaderSize;
    for (qint64 i = 0; i < count; ++i) {
        auto cell = DecodeCellRecord(bytes.sliced(at), codec);
        if (!cell)
            return std::nullopt;
        at += cell->size;
        block.cells.push_back(std::move(*cell));
    }
    if (at != bytes.size())
        return std::nullopt;
    return block;
}

} // namespace pelvoro
