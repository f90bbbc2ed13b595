#include "pages/decorations.h"

namespace pelvoro {
namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kYellow = 0xFFFFFF00;

// The eight neighbours in the order the decorations visit them.
constexpr int kNeighbours[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 1}, {0, 1}, {1, 1}, {-1, 0}, {1, 0}};

// A 32-bit view of an image with writes outside it ignored.
class Pixels {
public:
    explicit Pixels(QImage image) : image_(std::move(image)) {}
    static Pixels Black(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(kBlack);
        return Pixels(std::move(image));
    }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    QRgb At(int x, int y) const { return reinterpret_cast<const QRgb *>(image_.constScanLine(y))[x] | 0xFF000000; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
    void Set(int x, int y, QRgb colour)
    {
        if (Inside(x, y))
            reinterpret_cast<QRgb *>(image_.scanLine(y))[x] = colour;
    }
    bool Lit(int x, int y) const { return At(x, y) != kBlack; }
    QImage Take() { return std::move(image_); }

private:
    QImage image_;
};

Pixels Shown(const QImage &image)
{
    return Pixels(image.convertToFormat(QImage::Format_RGB32));
}

} // namespace

QImage DecorateHollow(const QImage &image)
{
    const Pixels shown = Shown(image);
    Pixels result = Pixels::Black(shown.Width(), shown.Height());
    for (int x = 0; x < shown.Width(); ++x) {
        for (int y = 0; y < shown.Height(); ++y) {
            if (!shown.Lit(x, y))
                continue;
            for (const auto &d : kNeighbours) {
                const int nx = x + d[0];
                const int ny = y + d[1];
                if (!shown.Inside(nx, ny))
                    continue;
                result.Set(nx, ny, shown.Lit(nx, ny) ? kBlack : shown.At(x, y));
            }
        }
    }
    return result.Take();
}

QImage DecorateOutline(const QImage &image)
{
    Pixels pixels = Shown(image);
    for (int x = 0; x < pixels.Width(); ++x) {
        for (int y = 0; y < pixels.Height(); ++y) {
            const QRgb colour = pixels.At(x, y);
            if (colour == kBlack || colour == kYellow)
                continue;
            for (const auto &d : kNeighbours) {
                const int nx = x + d[0];
                const int ny = y + d[1];
                if (pixels.Inside(nx, ny) && !pixels.Lit(nx, ny))
                    pixels.Set(nx, ny, kYellow);
            }
        }
    }
    return pixels.Take();
}

QImage DecorateShadow(const QImage &image)
{
    const Pixels shown = Shown(image);
    Pixels result = Pixels::Black(shown.Width(), shown.Height());
    // Offsets of the shadow's four steps; the fifth scan copies the shape itself over them.
    constexpr int kSteps[4][2] = {{3, -2}, {2, -1}, {1, 0}, {0, -1}};
    for (int scan = 0; scan < 5; ++scan) {
        for (int x = 0; x < shown.Width(); ++x) {
            for (int y = 0; y < shown.Height(); ++y) {
                const QRgb colour = shown.At(x, y);
                if (colour == kYellow) {
                    result.Set(x, y, colour);
                } else if (colour != kBlack) {
                    if (scan < 4)
                        result.Set(x + kSteps[scan][0], y + kSteps[scan][1], kYellow);
                    else
                        result.Set(x, y, colour);
                }
            }
        }
    }
    return result.Take();
}

} // namespace pelvoro
