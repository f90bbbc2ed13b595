#pragma once

#include <QImage>
#include <QRgb>

// The colours a dot of a dual-colour screen shows, and a picture made of them.
namespace pelvoro::test {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kYellow = 0xFFFFFF00; // red and green together
constexpr QRgb kBlack = 0xFF000000;

// A picture that uses every colour and that another `seed` (modulo 4) tells apart: diagonal
// stripes three dots wide, shifted by `seed`.
inline QImage StripedPicture(int width, int height, int seed = 0)
{
    static const QRgb colours[] = {kRed, kGreen, kYellow, kBlack};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x / 3 + y + seed) % 4]);
    }
    return image;
}

} // namespace pelvoro::test
