#include "editors/table/bls_writer.h"

#include "editors/table/bls_fields.h"
#include "editors/table/bls_format.h"
#include "editors/table/byte_io.h"
#include "editors/table/cell_record.h"
#include "editors/table/gbk_text.h"

#include <cstring>

namespace pelvoro {

namespace {

// Writes each field it is shown.
class WriteArchive {
public:
    WriteArchive(ByteWriter &out, GbkTextCodec &codec) : out_(out), codec_(codec) {}
    void U8(quint8 &v) { out_.U8(v); }
    void Bool(bool &v) { out_.Bool(v); }
    void U16(quint16 &v) { out_.U16(v); }
    void I32(qint32 &v) { out_.I32(v); }
    void Text(QString &v) { out_.Counted(codec_.EncodeRepeated(v)); }

private:
    ByteWriter &out_;
    GbkTextCodec &codec_;
};

void WriteArray(ByteWriter &out, const std::vector<qint32> &values)
{
    for (qint32 value : values)
        out.I32(value);
    out.U8(bls::kSectionMarker);
}

void WriteConjunction(ByteWriter &out, const QByteArray &text)
{
    out.U8(quint8(text.size()));
    out.Bytes(text);
    out.Zeros(bls::kConjunctionFieldSize - 1 - text.size());
}

// A rough size, so that the buffer grows a few times at most.
qsizetype EstimatedSize(const GridContent &content)
{
    constexpr qsizetype kTypicalRecord = bls::kMinCellRecordWithMarker + 8;
    return bls::kGridValuesOffset + 4096 + 20 * qsizetype(content.ColCount() + content.RowCount())
           + kTypicalRecord * content.ColCount() * content.RowCount();
}

} // namespace

QByteArray WriteTableFile(const GridContent &content)
{
    QByteArray bytes;
    bytes.reserve(EstimatedSize(content));
    ByteWriter out(bytes);
    GbkTextCodec codec;
    WriteArchive archive(out, codec);

    QByteArray header(bls::kHeaderBlockSize, '\0');
    std::memcpy(header.data(), bls::kSignature, bls::kSignatureSize);
    out.Bytes(header);
    out.Bytes(header.constData(), bls::kTitleBlockSize);

    TEasyGridPageInfo page = content.PageInfo;
    TCommonPageInfo &common = page.Common;
    out.I32(common.LeftMargin);
    out.I32(common.TopMargin);
    out.I32(common.RightMargin);
    out.I32(common.BottomMargin);
    out.U8(bls::kSectionMarker);

    qint32 cols = content.ColCount();
    qint32 rows = content.RowCount();
    GridProperties props = content.Props;
    Q_ASSERT(out.Size() == bls::kGridValuesOffset);
    bls::VisitGridValues(archive, cols, rows, props);
    out.U8(bls::kSectionMarker);

    const GridArrays &arrays = content.Arrays;
    WriteArray(out, arrays.ColWidths);
    WriteArray(out, arrays.ColTabStops);
    WriteArray(out, arrays.ColSizable);
    WriteArray(out, arrays.RowHeights);
    WriteArray(out, arrays.RowSizable);

    bls::VisitPageOptionFlags(archive, page);
    WriteConjunction(out, page.TopConjunctionBytes());
    WriteConjunction(out, page.BottomConjunctionBytes());
    out.Zeros(bls::kPageOptionReservedSize);
    bls::VisitCommonPageInfo(archive, common);
    out.Zeros(bls::kCommonPageReservedSize);
    out.U8(bls::kSectionMarker);
    for (THeader &h : common.Headers) {
        bls::VisitHeader(archive, h);
        out.U8(bls::kSectionMarker);
    }
    for (TTitle &t : common.Titles) {
        bls::VisitTitle(archive, t);
        out.U8(bls::kSectionMarker);
    }

    const CellStore &cells = content.Cells;
    for (int col = 0; col < cells.ColCount(); ++col) {
        for (int row = 0; row < cells.RowCount(); ++row) {
            const TCellInfo &cell = cells.At(col, row);
            AppendCellRecord(bytes, cell, cell.MergeRectAt(col, row), codec);
            out.U8(bls::kSectionMarker);
        }
    }
    return bytes;
}

} // namespace pelvoro
