#include "editors/table/page_info.h"

#include "base/gbk.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace pelvoro {

namespace {

constexpr double kMillimetresPerInch = 25.4;
// Without a printer the page is A4 as a 180 dpi printer has it.
constexpr double kFallbackPrinterDpi = 180;
constexpr int kA4WidthAt180Dpi = 1488;
constexpr int kA4HeightAt180Dpi = 2104;
constexpr int kSideMarginMm = 19;
constexpr int kTopBottomMarginMm = 25;
constexpr int kHeaderFooterGapMm = 5;

QByteArray CutConjunction(const QString &text)
{
    const QByteArray bytes = ToGbk(text);
    qsizetype keep = 0;
    while (keep < bytes.size()) {
        const qsizetype next = keep + (IsGbkLeadByte(static_cast<unsigned char>(bytes[keep])) ? 2 : 1);
        if (next > kConjunctionMaxBytes)
            break;
        keep = next;
    }
    return bytes.left(keep);
}

} // namespace

ScreenResolution ScreenResolution::Current()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) == nullptr)
        return {};
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

QString TEasyGridPageInfo::TopConjunction() const
{
    return FromGbk(topConjunction_);
}

QString TEasyGridPageInfo::BottomConjunction() const
{
    return FromGbk(bottomConjunction_);
}

void TEasyGridPageInfo::SetTopConjunction(const QString &text)
{
    topConjunction_ = CutConjunction(text);
}

void TEasyGridPageInfo::SetBottomConjunction(const QString &text)
{
    bottomConjunction_ = CutConjunction(text);
}

void TEasyGridPageInfo::SetConjunctionBytes(const QByteArray &top, const QByteArray &bottom)
{
    topConjunction_ = top.left(kConjunctionMaxBytes);
    bottomConjunction_ = bottom.left(kConjunctionMaxBytes);
}

TEasyGridPageInfo DefaultPageInfo(const ScreenResolution &resolution)
{
    const int perMmX = int(std::lround(resolution.dpiX / kMillimetresPerInch));
    const int perMmY = int(std::lround(resolution.dpiY / kMillimetresPerInch));
    TEasyGridPageInfo info;
    info.SetTopConjunction(QStringLiteral("  承前页  "));
    info.SetBottomConjunction(QStringLiteral("  过次页  "));
    TCommonPageInfo &common = info.Common;
    common.PageWidth = int(std::lround(kA4WidthAt180Dpi * resolution.dpiX / kFallbackPrinterDpi));
    common.PageHeight = int(std::lround(kA4HeightAt180Dpi * resolution.dpiY / kFallbackPrinterDpi));
    common.LeftMargin = kSideMarginMm * perMmX;
    common.RightMargin = kSideMarginMm * perMmX;
    common.TopMargin = kTopBottomMarginMm * perMmY;
    common.BottomMargin = kTopBottomMarginMm * perMmY;
    common.HeaderGap = kHeaderFooterGapMm * perMmY;
    common.FooterGap = kHeaderFooterGapMm * perMmY;
    return info;
}

} // namespace pelvoro
