#include "editors/table/cell_record.h"

#include "editors/table/bls_format.h"
#include "editors/table/byte_io.h"
#include "editors/table/gbk_text.h"

namespace pelvoro {

namespace {

using namespace bls::cell;

constexpr int kFixedStart = bls::kCellSizeFieldSize;

void PutFixedPart(char *fixed, const TCellInfo &cell, const GridRect &mergeRect)
{
    fixed[kDataStyle] = char(cell.DataStyle);
    fixed[kAlignMode] = char(cell.AlignMode);
    PutI32At(fixed, kMergeRect, mergeRect.Left);
    PutI32At(fixed, kMergeRect + 4, mergeRect.Top);
    PutI32At(fixed, kMergeRect + 8, mergeRect.Right);
    PutI32At(fixed, kMergeRect + 12, mergeRect.Bottom);
    fixed[kReadOnly] = cell.ReadOnly;
    fixed[kAutoWordBreak] = cell.AutoWordBreak;
    fixed[kShowForeText] = cell.ShowForeText;
    fixed[kDrawTop] = cell.DrawTop;
    fixed[kDrawLeft] = cell.DrawLeft;
    fixed[kDrawBottom] = cell.DrawBottom;
    fixed[kDrawRight] = cell.DrawRight;
    fixed[kAllowNegative] = cell.AllowNegative;
    fixed[kTrailingZero] = cell.TrailingZero;
    fixed[kZeroNull] = cell.ZeroNull;
    fixed[kThousandSep] = cell.ThousandSep;
    PutI32At(fixed, kMaxLength, cell.MaxLength);
    PutI32At(fixed, kIntLength, cell.IntLength);
    PutI32At(fixed, kDecLength, cell.DecLength);
    PutI32At(fixed, kLineWidth, cell.LineWidth);
    fixed[kPenStyle] = char(cell.PenStyle);
    PutI32At(fixed, kCellReserved, cell.CellReserved);
    PutI32At(fixed, kColor, cell.Color);
    PutI32At(fixed, kFontSize, cell.FontSize);
    PutI32At(fixed, kFontColor, cell.FontColor);
    fixed[kFontStyle] = char(cell.FontStyle);
}

void TakeFixedPart(const char *fixed, TCellInfo &cell, GridRect &mergeRect)
{
    cell.DataStyle = TDataStyle(quint8(fixed[kDataStyle]));
    cell.AlignMode = TAlignMode(quint8(fixed[kAlignMode]));
    mergeRect = {I32At(fixed, kMergeRect), I32At(fixed, kMergeRect + 4), I32At(fixed, kMergeRect + 8),
                 I32At(fixed, kMergeRect + 12)};
    cell.ReadOnly = fixed[kReadOnly] != 0;
    cell.AutoWordBreak = fixed[kAutoWordBreak] != 0;
    cell.ShowForeText = fixed[kShowForeText] != 0;
    cell.DrawTop = fixed[kDrawTop] != 0;
    cell.DrawLeft = fixed[kDrawLeft] != 0;
    cell.DrawBottom = fixed[kDrawBottom] != 0;
    cell.DrawRight = fixed[kDrawRight] != 0;
    cell.AllowNegative = fixed[kAllowNegative] != 0;
    cell.TrailingZero = fixed[kTrailingZero] != 0;
    cell.ZeroNull = fixed[kZeroNull] != 0;
    cell.ThousandSep = fixed[kThousandSep] != 0;
    cell.MaxLength = I32At(fixed, kMaxLength);
    cell.IntLength = I32At(fixed, kIntLength);
    cell.DecLength = I32At(fixed, kDecLength);
    cell.LineWidth = I32At(fixed, kLineWidth);
    cell.PenStyle = TPenStyle(quint8(fixed[kPenStyle]));
    cell.CellReserved = I32At(fixed, kCellReserved);
    cell.Color = I32At(fixed, kColor);
    cell.FontSize = I32At(fixed, kFontSize);
    cell.FontColor = I32At(fixed, kFontColor);
    cell.FontStyle = TFontStyles(quint8(fixed[kFontStyle]));
}

// The counted string at `at` within a record of `size` bytes; nullopt when it passes the end.
std::optional<QByteArrayView> CountedIn(const char *record, qsizetype size, qsizetype &at)
{
    if (size - at < 4)
        return std::nullopt;
    const qint32 length = I32At(record, int(at));
    at += 4;
    if (length < 0 || length > size - at)
        return std::nullopt;
    const QByteArrayView text(record + at, length);
    at += length;
    return text;
}

} // namespace

void AppendCellRecord(QByteArray &out, const TCellInfo &cell, const GridRect &mergeRect, GbkTextCodec &codec)
{
    const QByteArray fontName = codec.EncodeRepeated(cell.FontName);
    const QByteArray foreText = codec.Encode(cell.ForeText);
    const QByteArray backText = codec.Encode(cell.BackText);
    char head[bls::kCellSizeFieldSize + bls::kCellFixedSize] = {};
    PutI32At(head, 0, qint32(bls::kCellRecordBaseSize + fontName.size() + foreText.size() + backText.size()));
    PutFixedPart(head + kFixedStart, cell, mergeRect);
    ByteWriter writer(out);
    writer.Bytes(head, sizeof head);
    writer.Counted(fontName);
    writer.Counted(foreText);
    writer.Counted(backText);
}

std::optional<DecodedCell> DecodeCellRecord(QByteArrayView bytes, GbkTextCodec &codec)
{
    if (bytes.size() < bls::kCellRecordBaseSize)
        return std::nullopt;
    const char *record = bytes.data();
    const qint32 size = I32At(record, 0);
    if (size < bls::kCellRecordBaseSize || size > bytes.size())
        return std::nullopt;
    qsizetype at = bls::kCellSizeFieldSize + bls::kCellFixedSize;
    const auto fontName = CountedIn(record, size, at);
    const auto foreText = fontName ? CountedIn(record, size, at) : std::nullopt;
    const auto backText = foreText ? CountedIn(record, size, at) : std::nullopt;
    // A record may hold spare bytes after its strings (a later writer's fields): they are skipped.
    if (!backText)
        return std::nullopt;
    DecodedCell decoded;
    decoded.size = size;
    TakeFixedPart(record + kFixedStart, decoded.cell, decoded.mergeRect);
    decoded.cell.FontName = codec.DecodeRepeated(*fontName);
    decoded.cell.ForeText = codec.Decode(*foreText);
    decoded.cell.BackText = codec.Decode(*backText);
    return decoded;
}

} // namespace pelvoro
