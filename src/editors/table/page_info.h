#pragma once

#include "editors/table/grid_types.h"

#include <QByteArray>
#include <QString>

#include <array>

// A table's page layout. It is stored with the table and written back unchanged; the page drawing
// uses the page frame, the margins, the scale and the print switches, nothing draws the headers,
// footers, titles or tails.
namespace pelvoro {

// The screen's resolution, from which the millimetre and paper-size defaults are made.
struct ScreenResolution {
    double dpiX = 96;
    double dpiY = 96;

    // The primary screen's logical resolution; 96 × 96 without a GUI application.
    static ScreenResolution Current();
};

struct THeader {
    qint32 FontSize = 9;
    TFontStyles FontStyle = 0;
    TColor FontColor = kColorBlack;
    QString FontName = QStringLiteral("宋体");
    QString Text;

    friend bool operator==(const THeader &, const THeader &) = default;
};

struct TTitle {
    qint32 Offset = 0; // vertical offset within its band
    qint32 FontSize = 24;
    TFontStyles FontStyle = 0;
    TColor FontColor = kColorBlack;
    QString FontName = QStringLiteral("宋体");
    QString Text;

    friend bool operator==(const TTitle &, const TTitle &) = default;
};

inline constexpr int kPageHeaderCount = 6; // header left, centre, right; footer left, centre, right
inline constexpr int kPageTitleCount = 13; // main title, sub-titles 1-6, tails 1-6

struct TCommonPageInfo {
    quint8 Orientation = 0; // 0 portrait, 1 landscape
    qint32 StartPageNo = 1;
    bool PrintAll = true;
    qint32 FromPage = 0;
    qint32 ToPage = 9999;
    qint32 PaperSize = 0;
    qint32 PageWidth = 0;
    qint32 PageHeight = 0;
    qint32 LeftMargin = 0;
    qint32 TopMargin = 0;
    qint32 RightMargin = 0;
    qint32 BottomMargin = 0;
    qint32 Scale = 100;
    qint32 TitleExtent = 0;
    qint32 TitleOffset = 0;
    qint32 TailExtent = 0;
    qint32 HeaderSize = 0;
    qint32 FooterSize = 0;
    qint32 HeaderGap = 0;
    qint32 FooterGap = 0;
    TPenStyle HeaderLineStyle = psSolid;
    TPenStyle FooterLineStyle = psSolid;
    qint32 HeaderLineWidth = 0;
    qint32 FooterLineWidth = 0;
    bool HeaderDoubleLine = true;
    bool FooterDoubleLine = true;
    bool HeaderOnFirstPage = true;
    bool FooterOnFirstPage = true;
    std::array<THeader, kPageHeaderCount> Headers;
    std::array<TTitle, kPageTitleCount> Titles;

    friend bool operator==(const TCommonPageInfo &, const TCommonPageInfo &) = default;
};

// A conjunction text ("承前页") keeps at most this many GBK bytes.
inline constexpr int kConjunctionMaxBytes = 10;

struct TEasyGridPageInfo {
    bool MonoColored = true;
    bool HorzCenter = true;
    bool VertCenter = false;
    bool HorzSplit = true; // pages run across first
    bool PrintGridLine = true;
    bool PrintColTitle = false;
    bool PrintRowTitle = false;
    bool PrintFixedCols = false;
    bool PrintFixedRows = true;
    bool PrintConjunction = false;
    TCommonPageInfo Common;

    QString TopConjunction() const;
    QString BottomConjunction() const;
    // Cut to kConjunctionMaxBytes bytes of GBK, never inside a character.
    void SetTopConjunction(const QString &text);
    void SetBottomConjunction(const QString &text);
    // The stored GBK bytes (at most kConjunctionMaxBytes).
    const QByteArray &TopConjunctionBytes() const { return topConjunction_; }
    const QByteArray &BottomConjunctionBytes() const { return bottomConjunction_; }
    void SetConjunctionBytes(const QByteArray &top, const QByteArray &bottom);

    friend bool operator==(const TEasyGridPageInfo &, const TEasyGridPageInfo &) = default;

private:
    QByteArray topConjunction_;
    QByteArray bottomConjunction_;
};

// The page layout of a new grid: millimetre values and the A4 page converted at `resolution`.
TEasyGridPageInfo DefaultPageInfo(const ScreenResolution &resolution);

} // namespace pelvoro
