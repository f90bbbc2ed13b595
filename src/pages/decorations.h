#pragma once

#include <QImage>

// Decorations of a shown main-area page. "Lit" is any colour but black; yellow is exactly
// (255, 255, 0). All three scan columns left to right and, within a column, rows top to bottom;
// the order matters because later writes win.
namespace pelvoro {

// "空心": strokes become one-pixel outlines with empty insides.
QImage DecorateHollow(const QImage &image);
// "轮廓": every shape that is not yellow gets a yellow one-pixel border.
QImage DecorateOutline(const QImage &image);
// "阴影": every shape gets a yellow shadow towards the upper right, drawn under it.
QImage DecorateShadow(const QImage &image);

} // namespace pelvoro
