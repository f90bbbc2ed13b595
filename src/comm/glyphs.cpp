#include "comm/glyphs.h"

#include "comm/frame_layout.h"
#include "comm/frames.h"
#include "pages/raster.h"

#include <QPainter>

#include <array>

namespace pelvoro {
namespace {

constexpr std::array<GlyphString, 46> kGlyphSet = {{
    {u"-", 1},   {u":", 1},  {u".", 1},   {u"*", 1},   {u"/", 1},   {u"%", 1},   {u"R", 1},   {u"H", 1},
    {u"0", 1},   {u"1", 1},  {u"2", 1},   {u"3", 1},   {u"4", 1},   {u"5", 1},   {u"6", 1},   {u"7", 1},
    {u"8", 1},   {u"9", 1},  {u"Mon", 3}, {u"Tue", 3}, {u"Wed", 3}, {u"Thu", 3}, {u"Fri", 3}, {u"Sat", 3},
    {u"Sun", 3}, {u"一", 2}, {u"二", 2},  {u"三", 2},  {u"四", 2},  {u"五", 2},  {u"六", 2},  {u"日", 2},
    {u"年", 2},  {u"月", 2}, {u"日", 2},  {u"星", 2},  {u"期", 2},  {u"时", 2},  {u"分", 2},  {u"秒", 2},
    {u"天", 2},  {u"周", 2}, {u"温", 2},  {u"湿", 2},  {u"度", 2},  {u"℃", 2},
}};

constexpr bool SameText(const char16_t *a, const char16_t *b)
{
    for (; *a && *a == *b; ++a, ++b) {}
    return *a == *b;
}

constexpr int CellsOfSet()
{
    int cells = 0;
    for (const GlyphString &g : kGlyphSet)
        cells += g.cells;
    return cells;
}

// The glyph frame announces the set's cells; the readers find these strings by position.
static_assert(CellsOfSet() == kGlyphCells);
static_assert(SameText(kGlyphSet[kGlyphEnglishWeekdays].text, u"Mon")
              && SameText(kGlyphSet[kGlyphEnglishWeekdays + 6].text, u"Sun"));
static_assert(SameText(kGlyphSet[kGlyphDayOfMonth].text, u"日")
              && SameText(kGlyphSet[kGlyphDayOfMonth - 1].text, u"月"));

constexpr std::array<int, 16> kPointSizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 50};

} // namespace

std::optional<GlyphCell> GlyphCellFor(int p)
{
    if (p < 1 || p > 50)
        return std::nullopt;
    if (p <= 12)
        return GlyphCell{8, 16};
    if (p <= 18)
        return GlyphCell{16, 24};
    if (p <= 24)
        return GlyphCell{16, 32};
    return GlyphCell{32, 64};
}

std::span<const int> GlyphPointSizes()
{
    return kPointSizes;
}

std::span<const GlyphString> GlyphSet()
{
    return kGlyphSet;
}

qsizetype GlyphSetBytes(GlyphCell cell)
{
    qsizetype total = 0;
    for (const GlyphString &g : kGlyphSet)
        total += qsizetype(g.cells) * cell.width * cell.height / 8;
    return total;
}

int GlyphPixelSize(int pointSize)
{
    return (pointSize * 96 + 36) / 72;
}

QImage RenderGlyph(const QString &text, int width, int height, const QString &family, int pixelSize)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    painter.end();
    return image;
}

QByteArray RenderGlyphSet(const QString &family, int pointSize, GlyphCell cell)
{
    QByteArray packed;
    packed.reserve(GlyphSetBytes(cell));
    const int pixelSize = GlyphPixelSize(pointSize);
    for (const GlyphString &g : kGlyphSet) {
        const int width = g.cells * cell.width;
        packed.append(PackMonoRaster(RenderGlyph(g.Text(), width, cell.height, family, pixelSize), width, cell.height));
    }
    return packed;
}

std::optional<SendRequest> GlyphDownloadRequest(int screenIndex, const QString &family, int pointSize)
{
    const std::optional<GlyphCell> cell = GlyphCellFor(pointSize);
    if (!cell)
        return std::nullopt;
    const FrameResult frame =
        BuildGlyphFrame(screenIndex, cell->width, cell->height, RenderGlyphSet(family, pointSize, *cell));
    if (!frame)
        return std::nullopt;
    return MakeSendRequest(screenIndex, frame.frame);
}

} // namespace pelvoro
