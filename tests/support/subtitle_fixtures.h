#pragma once

#include "config/screen_info.h"

#include <QImage>

// What the subtitle tests set up and look at.
namespace pelvoro::test {

// A screen with only a subtitle strip (16 rows small, 32 big); at 256 x 16 single colour a piece
// is 32 bytes and a page 512.
inline ScreenInfo TitleScreen(int width, int titleHeight, int colorMode)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CardType = kCardNormal;
    s.Width = width;
    s.Height = titleHeight;
    s.TitleHeight = titleHeight;
    s.ColorMode = colorMode;
    s.Areas = {titleHeight == 32 ? QStringLiteral("大字幕") : QStringLiteral("小字幕"), QString(), QString(),
               QString()};
    return s;
}

// `characters` times 字, two bytes each in GBK.
inline QString Chinese(int characters)
{
    return QString(characters, QChar(0x5B57));
}

// The dots of an image that are not black.
inline int LitDots(const QImage &image)
{
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            lit += (image.pixel(x, y) & 0x00FFFFFFu) != 0 ? 1 : 0;
    }
    return lit;
}

} // namespace pelvoro::test
