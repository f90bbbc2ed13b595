#pragma once

#include <QtGlobal>

// The layout of a table file (.bls): a fixed prefix with the signature, the grid-level values, the
// column and row arrays, the page layout and one record per cell, each section closed by a marker
// byte. All integers are little-endian; texts are counted GBK strings (int32 byte count, bytes).
namespace pelvoro::bls {

// The signature, its last byte 0x1A included.
inline constexpr char kSignature[] = "Vantorlex EasyGrid Version 1.1\x1A";
inline constexpr int kSignatureSize = int(sizeof(kSignature)) - 1;
static_assert(kSignatureSize == 31);

inline constexpr quint8 kSectionMarker = 0xFF;

// The header block (signature, then zeros) and the title block (its first bytes again).
inline constexpr int kHeaderBlockSize = 15296;
inline constexpr int kTitleBlockSize = 256;
// LeftMargin, TopMargin, RightMargin, BottomMargin of the page layout.
inline constexpr int kMarginsOffset = kHeaderBlockSize + kTitleBlockSize;
inline constexpr int kMarginsSize = 16;
// ColCount, the first grid-level value, right after the margins' marker.
inline constexpr int kGridValuesOffset = kMarginsOffset + kMarginsSize + 1;
// The grid-level values up to CellFontName, which follows them as a counted string.
inline constexpr int kGridValuesSize = 103;

// Page layout: the option block, read and written whole.
inline constexpr int kPageOptionFlagCount = 10;
inline constexpr int kConjunctionFieldSize = 11; // length byte + text bytes
inline constexpr int kPageOptionReservedSize = 256;
inline constexpr int kPageOptionBlockSize = kPageOptionFlagCount + 2 * kConjunctionFieldSize + kPageOptionReservedSize;
static_assert(kPageOptionBlockSize == 288);
// The common page fields, written field by field, then reserved zeros.
inline constexpr int kCommonPageInfoSize = 88;
inline constexpr int kCommonPageReservedSize = 256;

// A cell record: size (this field included), fixed part, FontName, ForeText, BackText.
inline constexpr int kCellSizeFieldSize = 4;
inline constexpr int kCellFixedSize = 72;
inline constexpr int kCellRecordBaseSize = kCellSizeFieldSize + kCellFixedSize + 3 * 4;
static_assert(kCellRecordBaseSize == 88);
// The smallest record with its marker.
inline constexpr int kMinCellRecordWithMarker = kCellRecordBaseSize + 1;

// Offsets of the fields within a cell's fixed part; the gaps (29-31, 49-51, 69-71) are padding.
namespace cell {
inline constexpr int kDataStyle = 0;
inline constexpr int kAlignMode = 1;
inline constexpr int kMergeRect = 2; // Left, Top, Right, Bottom
inline constexpr int kReadOnly = 18;
inline constexpr int kAutoWordBreak = 19;
inline constexpr int kShowForeText = 20;
inline constexpr int kDrawTop = 21;
inline constexpr int kDrawLeft = 22;
inline constexpr int kDrawBottom = 23;
inline constexpr int kDrawRight = 24;
inline constexpr int kAllowNegative = 25;
inline constexpr int kTrailingZero = 26;
inline constexpr int kZeroNull = 27;
inline constexpr int kThousandSep = 28;
inline constexpr int kMaxLength = 32;
inline constexpr int kIntLength = 36;
inline constexpr int kDecLength = 40;
inline constexpr int kLineWidth = 44;
inline constexpr int kPenStyle = 48;
inline constexpr int kCellReserved = 52;
inline constexpr int kColor = 56;
inline constexpr int kFontSize = 60;
inline constexpr int kFontColor = 64;
inline constexpr int kFontStyle = 68;
} // namespace cell

// A block of cells for moving, copying and filling: source Left, Top, width, height (int32 each),
// then width × height cell records column by column, without markers.
inline constexpr int kBlockHeaderSize = 16;

} // namespace pelvoro::bls
