#pragma once

#include "editors/table/grid_content.h"

// The order of the table file's fixed-size fields, written once for both directions: the writer
// and the reader walk the same functions with an archive that writes or reads each field.
// An archive has U8, Bool, U16, I32 and Text (a counted string) taking references.
namespace pelvoro::bls {

template <typename Archive, typename Enum>
void Enum8(Archive &a, Enum &value)
{
    quint8 byte = quint8(value);
    a.U8(byte);
    value = Enum(byte);
}

// From ColCount up to CellFontName, which closes the grid-level values.
template <typename Archive>
void VisitGridValues(Archive &a, qint32 &colCount, qint32 &rowCount, GridProperties &p)
{
    a.I32(colCount);
    a.I32(rowCount);
    a.I32(p.DefaultColWidth);
    a.I32(p.DefaultRowHeight);
    a.I32(p.FixedCols);
    a.I32(p.FixedRows);
    a.I32(p.GridLineWidth);
    a.Bool(p.GridCanCopyMove);
    a.Bool(p.GridCanFill);
    a.Bool(p.ShowPopup);
    a.Bool(p.ShowColTitle);
    a.Bool(p.ShowRowTitle);
    a.Bool(p.DefaultDrawing);
    a.Bool(p.AlwaysDrawFocus);
    a.Bool(p.ClientSizeable);
    a.I32(p.FixedLineColor);
    a.I32(p.ClientLineColor);
    a.I32(p.TitleColor);
    a.I32(p.HighLightColor);
    a.I32(p.HighLightTextColor);
    a.I32(p.FocusedTitleColor);
    Enum8(a, p.BorderStyle);
    Enum8(a, p.ScrollBars);
    a.U16(p.Options);
    CellDefaults &c = p.Cell;
    Enum8(a, c.DataStyle);
    Enum8(a, c.AlignMode);
    a.Bool(c.ShowForeText);
    a.Bool(c.ReadOnly);
    a.Bool(c.AutoWordBreak);
    a.I32(c.LineWidth);
    Enum8(a, c.PenStyle);
    a.Bool(c.AllowNegative);
    a.Bool(c.TrailingZero);
    a.Bool(c.ZeroNull);
    a.Bool(c.ThousandSep);
    a.I32(c.MaxLength);
    a.I32(c.IntLength);
    a.I32(c.DecLength);
    a.I32(c.Color);
    a.I32(c.FontSize);
    a.I32(c.FontColor);
    a.U8(c.FontStyle);
    a.Text(c.FontName);
}

// The ten switches at the start of the page option block.
template <typename Archive>
void VisitPageOptionFlags(Archive &a, TEasyGridPageInfo &p)
{
    a.Bool(p.MonoColored);
    a.Bool(p.HorzCenter);
    a.Bool(p.VertCenter);
    a.Bool(p.HorzSplit);
    a.Bool(p.PrintGridLine);
    a.Bool(p.PrintColTitle);
    a.Bool(p.PrintRowTitle);
    a.Bool(p.PrintFixedCols);
    a.Bool(p.PrintFixedRows);
    a.Bool(p.PrintConjunction);
}

// The common page fields (kCommonPageInfoSize bytes).
template <typename Archive>
void VisitCommonPageInfo(Archive &a, TCommonPageInfo &p)
{
    a.U8(p.Orientation);
    a.I32(p.StartPageNo);
    a.Bool(p.PrintAll);
    a.I32(p.FromPage);
    a.I32(p.ToPage);
    a.I32(p.PaperSize);
    a.I32(p.PageWidth);
    a.I32(p.PageHeight);
    a.I32(p.LeftMargin);
    a.I32(p.TopMargin);
    a.I32(p.RightMargin);
    a.I32(p.BottomMargin);
    a.I32(p.Scale);
    a.I32(p.TitleExtent);
    a.I32(p.TitleOffset);
    a.I32(p.TailExtent);
    a.I32(p.HeaderSize);
    a.I32(p.FooterSize);
    a.I32(p.HeaderGap);
    a.I32(p.FooterGap);
    Enum8(a, p.HeaderLineStyle);
    Enum8(a, p.FooterLineStyle);
    a.I32(p.HeaderLineWidth);
    a.I32(p.FooterLineWidth);
    a.Bool(p.HeaderDoubleLine);
    a.Bool(p.FooterDoubleLine);
    a.Bool(p.HeaderOnFirstPage);
    a.Bool(p.FooterOnFirstPage);
}

template <typename Archive>
void VisitHeader(Archive &a, THeader &h)
{
    a.I32(h.FontSize);
    a.U8(h.FontStyle);
    a.I32(h.FontColor);
    a.Text(h.FontName);
    a.Text(h.Text);
}

template <typename Archive>
void VisitTitle(Archive &a, TTitle &t)
{
    a.I32(t.Offset);
    a.I32(t.FontSize);
    a.U8(t.FontStyle);
    a.I32(t.FontColor);
    a.Text(t.FontName);
    a.Text(t.Text);
}

} // namespace pelvoro::bls
