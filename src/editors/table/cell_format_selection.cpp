#include "editors/table/cell_format_selection.h"

#include "editors/table/date_time_format.h"
#include "editors/table/number_format.h"

namespace pelvoro {

HorzAlign HorzAlignOf(TAlignMode mode)
{
    return mode <= taBottomRight ? HorzAlign(mode % 3) : HorzAlign::Left;
}

VertAlign VertAlignOf(TAlignMode mode)
{
    return mode <= taBottomRight ? VertAlign(mode / 3) : VertAlign::Top;
}

TAlignMode AlignModeOf(HorzAlign horz, VertAlign vert)
{
    return TAlignMode(int(vert) * 3 + int(horz));
}

namespace {

// The value every cell added gives, or undecided once two differ.
template <typename T>
class Common {
public:
    void Add(const T &value)
    {
        if (!any_) {
            value_ = value;
            any_ = true;
        } else if (value_ != value) {
            mixed_ = true;
        }
    }
    std::optional<T> Value() const { return any_ && !mixed_ ? std::optional<T>(value_) : std::nullopt; }

private:
    T value_{};
    bool any_ = false;
    bool mixed_ = false;
};

// The text as a cell of `style` with `cell`'s number settings would store it; nullopt when the
// style cannot read it.
std::optional<QString> FormattedFor(const TCellInfo &cell, const QString &text)
{
    switch (cell.DataStyle) {
    case dsNumber:
        return FormatNumberText(text, {cell.IntLength, cell.DecLength, cell.ThousandSep, cell.ZeroNull,
                                       cell.TrailingZero});
    case dsDate:
        return text.isEmpty() ? std::optional<QString>(text) : FormatDateText(text);
    case dsTime:
        return text.isEmpty() ? std::optional<QString>(text) : FormatTimeText(text);
    default:
        return text;
    }
}

} // namespace

CellFormat CollectCellFormat(const TCustomEasyGrid &grid, const GridRect &selection)
{
    const GridRect rect = selection.Normalized().Intersected(grid.ClientRect());
    CellFormat format;
    if (rect.IsEmpty())
        return format;

    Common<TDataStyle> dataStyle;
    Common<int> maxLength, intLength, decLength, fontSize, lineWidth;
    Common<bool> allowNegative, thousandSep, trailingZero, zeroNull, autoWordBreak, underline;
    Common<bool> drawLeft, drawRight, drawTop, drawBottom, readOnly;
    Common<HorzAlign> horz;
    Common<VertAlign> vert;
    Common<QString> fontName;
    Common<TFontStyles> fontStyle;
    Common<TColor> fontColor, color;
    Common<TPenStyle> penStyle;
    bool anyMerged = false;
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row) {
            const TCellInfo &cell = grid.Cell(col, row);
            dataStyle.Add(cell.DataStyle);
            maxLength.Add(cell.MaxLength);
            intLength.Add(cell.IntLength);
            decLength.Add(cell.DecLength);
            allowNegative.Add(cell.AllowNegative);
            thousandSep.Add(cell.ThousandSep);
            trailingZero.Add(cell.TrailingZero);
            zeroNull.Add(cell.ZeroNull);
            horz.Add(HorzAlignOf(cell.AlignMode));
            vert.Add(VertAlignOf(cell.AlignMode));
            autoWordBreak.Add(cell.AutoWordBreak);
            fontName.Add(cell.FontName);
            fontStyle.Add(cell.FontStyle & (kFontBold | kFontItalic));
            underline.Add((cell.FontStyle & kFontUnderline) != 0);
            fontSize.Add(cell.FontSize);
            fontColor.Add(cell.FontColor);
            drawLeft.Add(cell.DrawLeft);
            drawRight.Add(cell.DrawRight);
            drawTop.Add(cell.DrawTop);
            drawBottom.Add(cell.DrawBottom);
            lineWidth.Add(cell.LineWidth);
            penStyle.Add(cell.PenStyle);
            color.Add(cell.Color);
            readOnly.Add(cell.ReadOnly);
            anyMerged = anyMerged || cell.IsMerged();
        }
    }
    format.dataStyle = dataStyle.Value();
    format.maxLength = maxLength.Value();
    format.intLength = intLength.Value();
    format.decLength = decLength.Value();
    format.allowNegative = allowNegative.Value();
    format.thousandSep = thousandSep.Value();
    format.trailingZero = trailingZero.Value();
    format.zeroNull = zeroNull.Value();
    format.horzAlign = horz.Value();
    format.vertAlign = vert.Value();
    format.autoWordBreak = autoWordBreak.Value();
    if (!anyMerged)
        format.merged = false;
    else if (grid.MergeRect(rect.Left, rect.Top) == rect)
        format.merged = true;
    format.fontName = fontName.Value();
    format.fontStyle = fontStyle.Value();
    format.underline = underline.Value();
    format.fontSize = fontSize.Value();
    format.fontColor = fontColor.Value();
    format.drawLeft = drawLeft.Value();
    format.drawRight = drawRight.Value();
    format.drawTop = drawTop.Value();
    format.drawBottom = drawBottom.Value();
    format.lineWidth = lineWidth.Value();
    format.penStyle = penStyle.Value();
    format.color = color.Value();
    format.readOnly = readOnly.Value();
    return format;
}

void ApplyCellFormat(TCustomEasyGrid &grid, const GridRect &selection, const CellFormat &format)
{
    const GridRect rect = selection.Normalized().Intersected(grid.ClientRect());
    if (rect.IsEmpty())
        return;
    const bool autoUpdate = grid.AutoUpdate();
    grid.SetAutoUpdate(false);

    const auto set = [&](CellProp prop, const auto &value) {
        if (value)
            grid.SetCellProp(rect, prop, QVariant::fromValue(*value));
    };
    set(CellProp::MaxLength, format.maxLength);
    set(CellProp::IntLength, format.intLength);
    set(CellProp::DecLength, format.decLength);
    set(CellProp::FontSize, format.fontSize);
    set(CellProp::LineWidth, format.lineWidth);
    set(CellProp::AllowNegative, format.allowNegative);
    set(CellProp::ThousandSep, format.thousandSep);
    set(CellProp::TrailingZero, format.trailingZero);
    set(CellProp::ZeroNull, format.zeroNull);
    set(CellProp::AutoWordBreak, format.autoWordBreak);
    set(CellProp::DrawLeft, format.drawLeft);
    set(CellProp::DrawTop, format.drawTop);
    set(CellProp::DrawRight, format.drawRight);
    set(CellProp::DrawBottom, format.drawBottom);
    set(CellProp::ReadOnly, format.readOnly);

    if (format.dataStyle) {
        grid.SetCellProp(rect, CellProp::DataStyle, int(*format.dataStyle));
        // Storing the same text again would change nothing, so each text is formatted for the
        // new style first and stored in that form.
        for (int col = rect.Left; col <= rect.Right; ++col) {
            for (int row = rect.Top; row <= rect.Bottom; ++row) {
                const TCellInfo &cell = grid.Cell(col, row);
                grid.SetForeText(col, row, FormattedFor(cell, cell.ForeText).value_or(cell.ForeText));
            }
        }
    }
    if (format.horzAlign && format.vertAlign)
        grid.SetCellProp(rect, CellProp::AlignMode, int(AlignModeOf(*format.horzAlign, *format.vertAlign)));
    if (format.merged) {
        if (*format.merged)
            grid.MergeCells(rect, true);
        else
            grid.SplitCells(rect);
    }
    if (format.fontName)
        grid.SetCellProp(rect, CellProp::FontName, *format.fontName);
    if (format.fontStyle || format.underline) {
        // Cell by cell, so that what the format leaves open (an undecided underline, a struck-out
        // text the dialog does not offer) stays as each cell has it.
        constexpr TFontStyles kStyleBits = kFontBold | kFontItalic;
        for (int col = rect.Left; col <= rect.Right; ++col) {
            for (int row = rect.Top; row <= rect.Bottom; ++row) {
                TFontStyles style = grid.Cell(col, row).FontStyle;
                if (format.fontStyle)
                    style = TFontStyles((style & ~kStyleBits) | (*format.fontStyle & kStyleBits));
                if (format.underline)
                    style = *format.underline ? style | kFontUnderline : style & ~kFontUnderline;
                grid.SetCellProp(GridRect::Cell(col, row), CellProp::FontStyle, int(style));
            }
        }
    }
    set(CellProp::FontColor, format.fontColor);
    set(CellProp::Color, format.color);
    if (format.penStyle)
        grid.SetCellProp(rect, CellProp::PenStyle, int(*format.penStyle));

    grid.SetAutoUpdate(autoUpdate);
}

} // namespace pelvoro
