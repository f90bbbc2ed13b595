#include "pages/led_sheet.h"

#include <QString>

#include <algorithm>
#include <array>

namespace pelvoro {
namespace {

constexpr QRgb kSheetBackground = 0xFF000000;
constexpr QRgb kUnlitDot = 0xFF2A2A2A; // a dark LED still shows on a sign
constexpr QRgb kNumberColour = 0xFFB0B0B0;

// Page numbers come from a built-in 3 x 5 digit font, not from the system's fonts, so that a sheet
// changes only when a page does.
constexpr int kDigitWidth = 3;
constexpr int kDigitHeight = 5;
constexpr int kDigitScale = 2;
constexpr int kNumberRowHeight = (kDigitHeight + 2) * kDigitScale; // digits and a little room below
// Each digit's five rows, the leftmost column in bit 2.
constexpr std::array<std::array<quint8, kDigitHeight>, 10> kDigits = {{
    {7, 5, 5, 5, 7}, // 0
    {2, 6, 2, 2, 7}, // 1
    {7, 1, 7, 4, 7}, // 2
    {7, 1, 7, 1, 7}, // 3
    {5, 5, 7, 1, 1}, // 4
    {7, 4, 7, 1, 7}, // 5
    {7, 4, 7, 5, 7}, // 6
    {7, 1, 1, 1, 1}, // 7
    {7, 5, 7, 5, 7}, // 8
    {7, 5, 7, 1, 7}, // 9
}};

void FillBlock(QImage &sheet, int left, int top, int size, QRgb colour)
{
    for (int y = top; y < top + size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(sheet.scanLine(y));
        std::fill(line + left, line + left + size, colour);
    }
}

void DrawNumber(QImage &sheet, int left, int top, int number)
{
    const QString digits = QString::number(number);
    for (int i = 0; i < digits.size(); ++i) {
        const auto &rows = kDigits[digits[i].digitValue()];
        const int digitLeft = left + i * (kDigitWidth + 1) * kDigitScale;
        for (int row = 0; row < kDigitHeight; ++row) {
            for (int col = 0; col < kDigitWidth; ++col) {
                if (rows[row] & (4 >> col))
                    FillBlock(sheet, digitLeft + col * kDigitScale, top + row * kDigitScale, kDigitScale,
                              kNumberColour);
            }
        }
    }
}

// Which pixels of a pitch x pitch cell a dot covers: a disc one pixel narrower than the pitch, so
// that neighbouring dots stay apart.
std::vector<bool> DotStamp(int pitch)
{
    const int diameter = pitch - 1;
    std::vector<bool> stamp(std::size_t(pitch * pitch), false);
    // Distances in half pixels keep the test in integers: the centre lies at diameter / 2.
    const int radius2 = diameter * diameter;
    for (int y = 0; y < diameter; ++y) {
        for (int x = 0; x < diameter; ++x) {
            const int dx = 2 * x + 1 - diameter;
            const int dy = 2 * y + 1 - diameter;
            stamp[std::size_t(y * pitch + x)] = dx * dx + dy * dy <= radius2 + diameter / 2;
        }
    }
    return stamp;
}

void DrawPage(QImage &sheet, int left, int top, const QImage &page, int pitch, const std::vector<bool> &stamp)
{
    const QImage dots = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < dots.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(dots.constScanLine(y));
        for (int x = 0; x < dots.width(); ++x) {
            const QRgb colour = (source[x] & 0xFFFFFF) == 0 ? kUnlitDot : (source[x] | 0xFF000000);
            for (int sy = 0; sy < pitch; ++sy) {
                auto *line = reinterpret_cast<QRgb *>(sheet.scanLine(top + y * pitch + sy)) + left + x * pitch;
                for (int sx = 0; sx < pitch; ++sx) {
                    if (stamp[std::size_t(sy * pitch + sx)])
                        line[sx] = colour;
                }
            }
        }
    }
}

} // namespace

int LedSheetDotPitch(int pageWidth, const LedSheetLayout &layout)
{
    const int fitting = (layout.maxWidth - 2 * layout.pageGap) / std::max(1, pageWidth);
    return std::clamp(fitting, layout.minDotPitch, layout.maxDotPitch);
}

QImage DrawLedSheet(const QList<QImage> &pages, const LedSheetLayout &layout)
{
    if (pages.isEmpty())
        return {};
    const QSize page = pages.first().size();
    const int pitch = LedSheetDotPitch(page.width(), layout);
    const int gap = layout.pageGap;
    const int cellWidth = page.width() * pitch;
    const int cellHeight = kNumberRowHeight + page.height() * pitch;
    const int columns = std::clamp((layout.maxWidth - gap) / (cellWidth + gap), 1, int(pages.size()));
    const int rows = (int(pages.size()) + columns - 1) / columns;
    QImage sheet(gap + columns * (cellWidth + gap), gap + rows * (cellHeight + gap), QImage::Format_RGB32);
    sheet.fill(kSheetBackground);
    const std::vector<bool> stamp = DotStamp(pitch);
    for (int i = 0; i < pages.size(); ++i) {
        const int left = gap + (i % columns) * (cellWidth + gap);
        const int top = gap + (i / columns) * (cellHeight + gap);
        DrawNumber(sheet, left, top, i + 1);
        DrawPage(sheet, left, top + kNumberRowHeight, pages[i].copy(QRect(QPoint(0, 0), page)), pitch, stamp);
    }
    return sheet;
}

} // namespace pelvoro
