#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <span>

// The controllers' raster format and the conversions between it and images.
//
// A raster holds rows from top to bottom with no padding; each row is cut into W/8 groups of eight
// pixels (pixels right of the last whole group are not stored). A group is one byte on a
// single-colour screen and two bytes on a dual-colour screen (first plane, then second plane). In
// every byte bit 7 is the group's leftmost pixel, and a lit LED is a 0 bit.
//
// A pixel is read as RGB. On a dual-colour screen it lights the red plane when R >= 128 and the
// green plane when G >= 128; blue is ignored. A single-colour screen has one plane, shown in its one
// colour: a pixel lights it when any of R, G and B is 128 or more, so that text or a table in a colour
// the screen cannot show still reaches it. Every colour of the drawing palette other than black has
// such a channel; a luminance threshold would leave pure red and blue dark.
namespace pelvoro {

struct ScreenInfo;

// What decides the byte layout: ColorMode 0 single colour, 1 dual colour (any other value gives no
// bytes); ModuleType 1 puts the green plane first, every other type the red plane.
struct RasterFormat {
    int ColorMode = 0;
    int ModuleType = 0;

    bool operator==(const RasterFormat &) const = default;
};

RasterFormat RasterFormatOf(const ScreenInfo &screen);

// Bytes of a width x height raster: (width/8)*height for single colour, twice that for dual colour,
// 0 for any other colour mode or a non-positive size.
qsizetype RasterBytes(int width, int height, RasterFormat format);

// Packs the top-left width x height pixels of `image` (any format; converted once when it is not
// 32-bit RGB). Pixels outside the image count as black, so a small image never reads out of bounds.
QByteArray PackRaster(const QImage &image, int width, int height, RasterFormat format);
// Packs the whole image.
QByteArray PackRaster(const QImage &image, RasterFormat format);
// Writes the raster into the first RasterBytes() bytes of `dest` (e.g. a page inside a page file's
// buffer). Returns false and writes nothing when `dest` is shorter than that.
bool PackRaster(const QImage &image, int width, int height, RasterFormat format, std::span<char> dest);

// Single plane as a single-colour screen packs it, whatever the screen's settings (character glyphs).
QByteArray PackMonoRaster(const QImage &image, int width, int height);
bool PackMonoRaster(const QImage &image, int width, int height, std::span<char> dest);

// Decodes a raster into a width x height Format_RGB32 image of pure red, green, yellow and black
// pixels. Columns right of the last whole group stay black; on a dual-colour screen whose module type
// is neither 0 nor 1, and for any colour mode other than 0 and 1, the whole image stays black.
// A raster shorter than RasterBytes() is never read past its end: the groups it holds are decoded
// and the rest stays black. Returns a null image for a non-positive size.
QImage UnpackRaster(QByteArrayView raster, int width, int height, RasterFormat format);
// The same into `*image`, whose buffer is reused when it already is a width x height RGB32 image
// (decoding on every tick of a preview without allocating). Returns false when the raster was
// shorter than RasterBytes() (the image is still fully written) or the image could not be allocated.
bool UnpackRaster(QByteArrayView raster, int width, int height, RasterFormat format, QImage *image);

} // namespace pelvoro
