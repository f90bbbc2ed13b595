#include "editors/table/bls_reader.h"

#include "editors/table/block_check.h"
#include "editors/table/bls_fields.h"
#include "editors/table/bls_format.h"
#include "editors/table/byte_io.h"
#include "editors/table/cell_record.h"
#include "editors/table/gbk_text.h"
#include "editors/table/grid_messages.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace pelvoro {

namespace {

struct ReadFailure {
    QString message;
};

// Reads each field it is shown.
class ReadArchive {
public:
    ReadArchive(ByteReader &in, GbkTextCodec &codec) : in_(in), codec_(codec) {}
    void U8(quint8 &v) { v = in_.U8(); }
    void Bool(bool &v) { v = in_.Bool(); }
    void U16(quint16 &v) { v = in_.U16(); }
    void I32(qint32 &v) { v = in_.I32(); }
    void Text(QString &v)
    {
        const qint32 length = in_.I32();
        if (length < 0)
            throw ByteReader::ShortRead{};
        v = codec_.DecodeRepeated(in_.Bytes(length));
    }

private:
    ByteReader &in_;
    GbkTextCodec &codec_;
};

// A column of cells being read; frees them unless handed over.
struct ColumnInProgress {
    std::vector<TCellInfo *> cells;
    ~ColumnInProgress()
    {
        for (TCellInfo *cell : cells)
            delete cell;
    }
    std::vector<TCellInfo *> Release() { return std::exchange(cells, {}); }
};

class TableReader {
public:
    explicit TableReader(QByteArrayView bytes) : bytes_(bytes), in_(bytes), archive_(in_, codec_) {}

    GridContent Read()
    {
        CheckSignature();
        InPart(grid_text::kDamagedTableFile, [&] { ReadGridValues(); });
        InPart(grid_text::kDamagedTableFile, [&] { ReadArrays(); });
        InPart(grid_text::kDamagedPageInfo, [&] { ReadPageLayout(); });
        InPart(grid_text::kDamagedTableFile, [&] { ReadCells(); });
        return std::move(content_);
    }
    qsizetype Consumed() const { return in_.Position(); }

private:
    // A read that runs out of bytes fails with the message of the part it is in.
    template <typename F>
    void InPart(const QString &message, F read)
    {
        try {
            read();
        } catch (const ByteReader::ShortRead &) {
            throw ReadFailure{message};
        }
    }

    void Marker(const QString &message)
    {
        if (in_.U8() != bls::kSectionMarker)
            throw ReadFailure{message};
    }

    void CheckSignature()
    {
        if (bytes_.size() < bls::kSignatureSize
            || std::memcmp(bytes_.data(), bls::kSignature, bls::kSignatureSize) != 0)
            throw ReadFailure{grid_text::kNotATableFile};
    }

    void ReadGridValues()
    {
        in_.Skip(bls::kHeaderBlockSize + bls::kTitleBlockSize);
        TCommonPageInfo &common = content_.PageInfo.Common;
        common.LeftMargin = in_.I32();
        common.TopMargin = in_.I32();
        common.RightMargin = in_.I32();
        common.BottomMargin = in_.I32();
        Marker(grid_text::kDamagedTableFile);

        GridProperties &props = content_.Props;
        bls::VisitGridValues(archive_, fileCols_, fileRows_, props);
        if (fileCols_ < 0 || fileRows_ < 0)
            throw ReadFailure{grid_text::kDamagedTableFile};
        // The grid's own limits, as setting the counts applies them.
        cols_ = std::clamp(fileCols_, kMinColCount, kMaxColCount);
        rows_ = std::max(fileRows_, kMinRowCount);
        if (props.FixedCols < 0 || props.FixedRows < 0)
            throw ReadFailure{grid_text::kIndexOutOfRange};
        props.FixedCols = std::min(props.FixedCols, cols_ - 2);
        props.FixedRows = std::min(props.FixedRows, rows_ - 2);
        props.Options &= kAllGridOptions;
        Marker(grid_text::kDamagedTableFile);
    }

    // `fileCount` entries into an array of `size` entries that starts with `fallback` everywhere.
    void ReadArray(std::vector<qint32> &array, qint32 fileCount, int size, qint32 fallback)
    {
        const qint32 inGrid = std::min(fileCount, size);
        in_.Need(qsizetype(inGrid) * 4);
        array.assign(size_t(size), fallback);
        for (qint32 i = 0; i < inGrid; ++i)
            array[size_t(i)] = in_.I32();
        if (fileCount > size) {
            // The next entry names a column the grid cannot have.
            in_.Need(4);
            throw ReadFailure{grid_text::kIndexOutOfRange};
        }
        Marker(grid_text::kDamagedTableFile);
    }

    void ReadArrays()
    {
        GridArrays &arrays = content_.Arrays;
        const GridProperties &props = content_.Props;
        ReadArray(arrays.ColWidths, fileCols_, cols_, props.DefaultColWidth);
        ReadArray(arrays.ColTabStops, fileCols_, cols_, 1);
        ReadArray(arrays.ColSizable, fileCols_, cols_, 1);
        ReadArray(arrays.RowHeights, fileRows_, rows_, props.DefaultRowHeight);
        ReadArray(arrays.RowSizable, fileRows_, rows_, 1);
    }

    void ReadConjunction(QByteArray &text)
    {
        const QByteArrayView field = in_.Bytes(bls::kConjunctionFieldSize);
        const int length = std::min<int>(quint8(field[0]), kConjunctionMaxBytes);
        text = field.sliced(1, length).toByteArray();
    }

    void ReadPageLayout()
    {
        TEasyGridPageInfo &page = content_.PageInfo;
        bls::VisitPageOptionFlags(archive_, page);
        QByteArray top;
        QByteArray bottom;
        ReadConjunction(top);
        ReadConjunction(bottom);
        page.SetConjunctionBytes(top, bottom);
        in_.Skip(bls::kPageOptionReservedSize);
        bls::VisitCommonPageInfo(archive_, page.Common);
        in_.Skip(bls::kCommonPageReservedSize);
        Marker(grid_text::kDamagedPageInfo);
        for (THeader &h : page.Common.Headers) {
            bls::VisitHeader(archive_, h);
            Marker(grid_text::kDamagedPageInfo);
        }
        for (TTitle &t : page.Common.Titles) {
            bls::VisitTitle(archive_, t);
            Marker(grid_text::kDamagedPageInfo);
        }
    }

    void ReadCells()
    {
        const GridRect bounds{0, 0, cols_ - 1, rows_ - 1};
        const GridRect client{1, 1, cols_ - 1, rows_ - 1};
        for (int col = 0; col < cols_; ++col) {
            ColumnInProgress column;
            column.cells.reserve(size_t(rows_));
            const int fromFile = col < fileCols_ ? fileRows_ : 0;
            // Every record takes at least this much: no room, no allocation.
            in_.Need(qsizetype(fromFile) * bls::kMinCellRecordWithMarker);
            for (int row = 0; row < fromFile; ++row) {
                auto decoded = DecodeCellRecord(QByteArrayView(in_.Here(), in_.Remaining()), codec_);
                if (!decoded)
                    throw ReadFailure{grid_text::kDamagedTableFile};
                in_.Skip(decoded->size);
                Marker(grid_text::kDamagedTableFile);
                const GridRect &block = decoded->mergeRect;
                const bool own = block == GridRect::Cell(col, row);
                if (!own && (!block.Contains(col, row) || !client.Contains(block)))
                    throw ReadFailure{grid_text::kDamagedTableFile};
                decoded->cell.SetMergeRectAt(col, row, block);
                column.cells.push_back(new TCellInfo(std::move(decoded->cell)));
            }
            for (int row = fromFile; row < rows_; ++row)
                column.cells.push_back(new TCellInfo(content_.NewCell(col, row)));
            content_.Cells.AppendColumn(column.Release());
        }
        const CellStore &cells = content_.Cells;
        if (!BlocksAreConsistent(bounds, [&](int c, int r) { return cells.At(c, r).MergeRectAt(c, r); }))
            throw ReadFailure{grid_text::kDamagedTableFile};
    }

    QByteArrayView bytes_;
    ByteReader in_;
    GbkTextCodec codec_;
    ReadArchive archive_;
    GridContent content_;
    qint32 fileCols_ = 0;
    qint32 fileRows_ = 0;
    int cols_ = 0;
    int rows_ = 0;
};

} // namespace

TableReadResult ReadTableFile(QByteArrayView bytes)
{
    try {
        TableReader reader(bytes);
        GridContent content = reader.Read();
        return {std::move(content), QString(), reader.Consumed()};
    } catch (const ReadFailure &failure) {
        return {std::nullopt, failure.message};
    }
}

} // namespace pelvoro
