// Feeds arbitrary bytes to the table file reader. Besides the sanitizers' checks it traps when a
// file is accepted that breaks what the grid relies on (counts within limits, arrays as long as the
// counts, merged blocks whole and inside the client area), when a refusal has no message, or when
// what the writer makes of an accepted file does not read back to the same bytes.
//
// Seed it with files the writer made, e.g. with the command-line tool:
//   pelvoro-cli --dir CORPUS table new --cols 4 --rows 3 a.bls
//   pelvoro-cli --dir CORPUS table set a.bls B1=12 C2=中文 && pelvoro-cli --dir CORPUS table merge a.bls B2:C3
//   bls_reader_fuzzer -max_len=65536 -timeout=10 CORPUS
#include "editors/table/bls_reader.h"
#include "editors/table/bls_writer.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckSound(const pelvoro::GridContent &content)
{
    const int cols = content.ColCount();
    const int rows = content.RowCount();
    Check(cols >= pelvoro::kMinColCount && cols <= pelvoro::kMaxColCount && rows >= pelvoro::kMinRowCount);
    Check(content.Props.FixedCols >= 0 && content.Props.FixedCols <= cols - 2);
    Check(content.Props.FixedRows >= 0 && content.Props.FixedRows <= rows - 2);
    const pelvoro::GridArrays &a = content.Arrays;
    Check(a.ColWidths.size() == size_t(cols) && a.ColTabStops.size() == size_t(cols)
          && a.ColSizable.size() == size_t(cols));
    Check(a.RowHeights.size() == size_t(rows) && a.RowSizable.size() == size_t(rows));
    Check(content.PageInfo.TopConjunctionBytes().size() <= pelvoro::kConjunctionMaxBytes);
    for (int col = 0; col < cols; ++col) {
        for (int row = 0; row < rows; ++row) {
            const pelvoro::TCellInfo &cell = content.Cells.At(col, row);
            if (!cell.IsMerged())
                continue;
            const pelvoro::GridRect block = cell.MergeRectAt(col, row);
            Check(block.Left >= 1 && block.Top >= 1 && block.Right < cols && block.Bottom < rows);
            Check(block.Contains(col, row));
            const pelvoro::TCellInfo &owner = content.Cells.At(block.Left, block.Top);
            Check(owner.MergeRectAt(block.Left, block.Top) == block);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const pelvoro::TableReadResult read = pelvoro::ReadTableFile(bytes);
    if (!read.content) {
        Check(!read.message.isEmpty());
        return 0;
    }
    Check(read.consumed > 0 && read.consumed <= qsizetype(size));
    CheckSound(*read.content);
    // The first write settles what had several spellings (booleans, undecodable texts); from then on
    // writing and reading change nothing.
    const QByteArray written = pelvoro::WriteTableFile(*read.content);
    const pelvoro::TableReadResult again = pelvoro::ReadTableFile(written);
    Check(again.content.has_value() && again.consumed == written.size());
    Check(pelvoro::WriteTableFile(*again.content) == written);
    return 0;
}
