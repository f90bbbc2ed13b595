#include "pages/glyph_pieces.h"

#include "pages/rich_document.h"
#include "pages/rich_layout.h"

#include <QFontMetrics>
#include <QPainter>

#include <vector>

namespace pelvoro {
namespace {

constexpr int kReferenceScale = 4;

bool Lit(const QImage &image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return image.hasAlphaChannel() ? qAlpha(pixel) != 0 : (pixel & 0xFFFFFF) != 0;
}

// `led`: as page text is drawn; otherwise plainly, for the large reference.
QImage DrawAlone(const QString &character, const QString &face, int pixelSize, bool led)
{
    CharFormat format;
    format.face = face;
    format.charset = kGb2312Charset;
    QFont font = RichLayout::FontFor(format);
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    // Room around the cell for glyphs that reach out of it.
    const int margin = pixelSize;
    QImage image(metrics.horizontalAdvance(character) + 2 * margin, metrics.height() + 2 * margin,
                 QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(Qt::white);
    painter.setFont(font);
    if (led)
        RichLayout::DrawRun(painter, margin, margin, character, font, Qt::white);
    else
        painter.drawText(QPoint(margin, margin + metrics.ascent()), character);
    return image;
}

} // namespace

int CountPieces(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<bool> seen(std::size_t(w) * std::size_t(h), false);
    std::vector<std::pair<int, int>> stack;
    int pieces = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (seen[std::size_t(y) * w + x] || !Lit(image, x, y))
                continue;
            ++pieces;
            seen[std::size_t(y) * w + x] = true;
            stack.push_back({x, y});
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx;
                        const int ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[std::size_t(ny) * w + nx])
                            continue;
                        if (!Lit(image, nx, ny))
                            continue;
                        seen[std::size_t(ny) * w + nx] = true;
                        stack.push_back({nx, ny});
                    }
                }
            }
        }
    }
    return pieces;
}

StrokeCheck CheckStrokes(const QString &character, const QString &face, int pixelSize)
{
    return {CountPieces(DrawAlone(character, face, pixelSize, true)),
            CountPieces(DrawAlone(character, face, pixelSize * kReferenceScale, false))};
}

} // namespace pelvoro
