#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <exception>

// The vocabulary of the table grid: cell coordinates and rectangles, colours as the table file
// stores them, the enumerations of a cell's formatting and the grid's switches.
namespace pelvoro {

// A colour as stored in a table file: 0x00BBGGRR for an RGB colour, 0xFF0000nn for a system colour,
// kColorDefault for "the control's default".
using TColor = qint32;
inline constexpr TColor kColorBlack = 0x000000;
inline constexpr TColor kColorWhite = 0xFFFFFF;
inline constexpr TColor kColorRed = 0x0000FF;
inline constexpr TColor kColorSilver = 0xC0C0C0;
inline constexpr TColor kColorDefault = 0x20000000;
// The system's button-face colour (system colour 15).
inline constexpr TColor kColorButtonFace = TColor(0xFF00000F);

// Values keep their stored byte even when it names no enumerator, so that a table file reads back
// as it was written; whatever is not listed behaves like the first value (text, top left, solid).
enum TDataStyle : quint8 { dsText, dsNumber, dsDate, dsTime, dsFormula };
enum TAlignMode : quint8 {
    taTopLeft,
    taTop,
    taTopRight,
    taLeft,
    taCenter,
    taRight,
    taBottomLeft,
    taBottom,
    taBottomRight
};
enum TPenStyle : quint8 { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBorderStyle : quint8 { bsNone, bsSingle };
enum TScrollStyle : quint8 { ssNone, ssHorizontal, ssVertical, ssBoth };

// Font style bits.
using TFontStyles = quint8;
inline constexpr TFontStyles kFontBold = 0x01;
inline constexpr TFontStyles kFontItalic = 0x02;
inline constexpr TFontStyles kFontUnderline = 0x04;
inline constexpr TFontStyles kFontStrikeOut = 0x08;

// The grid's behaviour switches; bit n of TEasyGridOptions is option n.
enum TEasyGridOption : quint8 {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TEasyGridOptions = quint16;
inline constexpr TEasyGridOptions GridOptionBit(TEasyGridOption option)
{
    return TEasyGridOptions(1u << option);
}
inline constexpr TEasyGridOptions kAllGridOptions = (1u << (goThumbTracking + 1)) - 1;

// Left, Top, Right, Bottom in cell coordinates, all inclusive.
struct GridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    static GridRect Cell(int col, int row) { return {col, row, col, row}; }
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
    bool IsEmpty() const { return Right < Left || Bottom < Top; }
    bool IsSingleCell() const { return Left == Right && Top == Bottom; }
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    bool Contains(const GridRect &other) const
    {
        return other.Left >= Left && other.Right <= Right && other.Top >= Top && other.Bottom <= Bottom;
    }
    bool Intersects(const GridRect &other) const
    {
        return other.Left <= Right && other.Right >= Left && other.Top <= Bottom && other.Bottom >= Top;
    }
    GridRect United(const GridRect &other) const
    {
        return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
                std::max(Bottom, other.Bottom)};
    }
    GridRect Intersected(const GridRect &other) const
    {
        return {std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
                std::min(Bottom, other.Bottom)};
    }
    GridRect Translated(int dCol, int dRow) const { return {Left + dCol, Top + dRow, Right + dCol, Bottom + dRow}; }
    // Left <= Right and Top <= Bottom.
    GridRect Normalized() const
    {
        return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
    }

    friend bool operator==(const GridRect &, const GridRect &) = default;
};

// A programming error against the grid: an index outside the grid, too many columns or rows
// deleted. The operator never causes one by what the grid offers.
class EInvalidGridOperation : public std::exception {
public:
    explicit EInvalidGridOperation(QString message) : message_(std::move(message)), what_(message_.toUtf8()) {}
    const QString &Message() const { return message_; }
    const char *what() const noexcept override { return what_.constData(); }

private:
    QString message_;
    QByteArray what_;
};

} // namespace pelvoro
