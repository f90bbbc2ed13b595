#include "pages/raster.h"

#include "config/screen_info.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pelvoro {

namespace {

constexpr int kSingle = 0;
constexpr int kDual = 1;

bool IsDual(RasterFormat format)
{
    return format.ColorMode == kDual;
}

bool HasBytes(RasterFormat format)
{
    return format.ColorMode == kSingle || format.ColorMode == kDual;
}

int BytesPerGroup(RasterFormat format)
{
    return IsDual(format) ? 2 : 1;
}

// Plane bits gathered with pixel i of a group in bit i, turned into an output byte: leftmost pixel
// in bit 7, lit LEDs as 0 bits.
constexpr std::array<uchar, 256> kPlaneByte = [] {
    std::array<uchar, 256> table{};
    for (int bits = 0; bits < 256; ++bits) {
        int out = 0;
        for (int i = 0; i < 8; ++i) {
            if (bits & (1 << i))
                out |= 0x80 >> i;
        }
        table[size_t(bits)] = uchar(~out);
    }
    return table;
}();

// Decoding: for a raster byte, the eight pixels' contribution of one plane (lit where the bit is
// 0). Opaque alpha is carried in the red table, which every decode uses.
using PixelRun = std::array<quint32, 8>;

constexpr std::array<PixelRun, 256> MakeLitTable(quint32 lit, quint32 always)
{
    std::array<PixelRun, 256> table{};
    for (int b = 0; b < 256; ++b) {
        for (int i = 0; i < 8; ++i)
            table[size_t(b)][size_t(i)] = always | ((b & (0x80 >> i)) ? 0u : lit);
    }
    return table;
}

constexpr quint32 kBlack = 0xFF000000u;
constexpr std::array<PixelRun, 256> kRedRun = MakeLitTable(0x00FF0000u, kBlack);

// Dual-colour decoding, four pixels at a time: the index holds a red nibble in its high half and
// the green nibble of the same four pixels in its low half (lit where the bit is 0).
using QuadRun = std::array<quint32, 4>;
constexpr std::array<QuadRun, 256> kDualQuad = [] {
    std::array<QuadRun, 256> table{};
    for (int index = 0; index < 256; ++index) {
        const int red = index >> 4;
        const int green = index & 0x0F;
        for (int i = 0; i < 4; ++i) {
            table[size_t(index)][size_t(i)] = kBlack | ((red & (8 >> i)) ? 0u : 0x00FF0000u)
                                              | ((green & (8 >> i)) ? 0u : 0x0000FF00u);
        }
    }
    return table;
}();

// Plane bits of eight consecutive RGB32 pixels, pixel i in bit i: red (R >= 128), green (G >= 128)
// and lit (any of R, G, B >= 128, the single plane of a one-colour screen).
inline void GatherPlanes(const quint32 *px, unsigned *red, unsigned *green, unsigned *lit)
{
#if defined(__SSE2__)
    // Shifting each 0xAARRGGBB pixel left by 8 (16, 24) brings R's (G's, B's) top bit into the sign
    // bit, which movemask collects for four pixels at once.
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(px));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i *>(px + 4));
    const auto signs = [](__m128i v) { return unsigned(_mm_movemask_ps(_mm_castsi128_ps(v))); };
    const __m128i redLo = _mm_slli_epi32(lo, 8);
    const __m128i redHi = _mm_slli_epi32(hi, 8);
    const __m128i greenLo = _mm_slli_epi32(lo, 16);
    const __m128i greenHi = _mm_slli_epi32(hi, 16);
    const __m128i anyLo = _mm_or_si128(_mm_or_si128(redLo, greenLo), _mm_slli_epi32(lo, 24));
    const __m128i anyHi = _mm_or_si128(_mm_or_si128(redHi, greenHi), _mm_slli_epi32(hi, 24));
    *red = signs(redLo) | signs(redHi) << 4;
    *green = signs(greenLo) | signs(greenHi) << 4;
    *lit = signs(anyLo) | signs(anyHi) << 4;
#else
    unsigned r = 0;
    unsigned g = 0;
    unsigned any = 0;
    for (int i = 0; i < 8; ++i) {
        r |= ((px[i] >> 23) & 1u) << i;
        g |= ((px[i] >> 15) & 1u) << i;
        any |= (((px[i] >> 23) | (px[i] >> 15) | (px[i] >> 7)) & 1u) << i;
    }
    *red = r;
    *green = g;
    *lit = any;
#endif
}

enum class PackMode { Single, RedFirst, GreenFirst };

template <PackMode mode>
void PackRow(const quint32 *line, int groups, uchar *out)
{
    for (int g = 0; g < groups; ++g, line += 8) {
        unsigned red;
        unsigned green;
        unsigned lit;
        GatherPlanes(line, &red, &green, &lit);
        if constexpr (mode == PackMode::Single) {
            out[g] = kPlaneByte[lit];
        } else if constexpr (mode == PackMode::RedFirst) {
            out[2 * g] = kPlaneByte[red];
            out[2 * g + 1] = kPlaneByte[green];
        } else {
            out[2 * g] = kPlaneByte[green];
            out[2 * g + 1] = kPlaneByte[red];
        }
    }
}

template <PackMode mode>
void PackRows(const QImage &src, int groups, int height, uchar *out)
{
    const int bytesPerRow = groups * (mode == PackMode::Single ? 1 : 2);
    const int covered = std::min(height, src.height());
    const bool narrow = src.width() < groups * 8;
    // Rows of a too-narrow image are copied into a black row first, so the packer only ever reads
    // whole groups.
    std::vector<quint32> padded(narrow ? size_t(groups) * 8 : 0, kBlack);
    for (int y = 0; y < covered; ++y, out += bytesPerRow) {
        const auto *line = reinterpret_cast<const quint32 *>(src.constScanLine(y));
        if (narrow) {
            std::memcpy(padded.data(), line, size_t(src.width()) * sizeof(quint32));
            line = padded.data();
        }
        PackRow<mode>(line, groups, out);
    }
    // Rows below the image are black: every LED dark.
    std::memset(out, 0xFF, size_t(bytesPerRow) * size_t(height - covered));
}

bool PackInto(const QImage &image, int width, int height, RasterFormat format, std::span<char> dest)
{
    const qsizetype size = RasterBytes(width, height, format);
    if (qsizetype(dest.size()) < size)
        return false;
    if (size == 0)
        return true;
    QImage src = image;
    if (src.format() != QImage::Format_RGB32 && src.format() != QImage::Format_ARGB32)
        src = src.convertToFormat(QImage::Format_RGB32);
    const int groups = width / 8;
    auto *out = reinterpret_cast<uchar *>(dest.data());
    if (!IsDual(format))
        PackRows<PackMode::Single>(src, groups, height, out);
    else if (format.ModuleType == 1)
        PackRows<PackMode::GreenFirst>(src, groups, height, out);
    else
        PackRows<PackMode::RedFirst>(src, groups, height, out);
    return true;
}

} // namespace

RasterFormat RasterFormatOf(const ScreenInfo &screen)
{
    return RasterFormat{screen.ColorMode, screen.ModuleType};
}

qsizetype RasterBytes(int width, int height, RasterFormat format)
{
    if (!HasBytes(format) || width <= 0 || height <= 0)
        return 0;
    return qsizetype(width / 8) * height * BytesPerGroup(format);
}

bool PackRaster(const QImage &image, int width, int height, RasterFormat format, std::span<char> dest)
{
    return PackInto(image, width, height, format, dest);
}

QByteArray PackRaster(const QImage &image, int width, int height, RasterFormat format)
{
    QByteArray bytes(RasterBytes(width, height, format), Qt::Uninitialized);
    PackInto(image, width, height, format, std::span<char>(bytes.data(), size_t(bytes.size())));
    return bytes;
}

QByteArray PackRaster(const QImage &image, RasterFormat format)
{
    return PackRaster(image, image.width(), image.height(), format);
}

QByteArray PackMonoRaster(const QImage &image, int width, int height)
{
    return PackRaster(image, width, height, RasterFormat{kSingle, 0});
}

bool PackMonoRaster(const QImage &image, int width, int height, std::span<char> dest)
{
    return PackInto(image, width, height, RasterFormat{kSingle, 0}, dest);
}

bool UnpackRaster(QByteArrayView raster, int width, int height, RasterFormat format, QImage *image)
{
    if (width <= 0 || height <= 0) {
        *image = QImage();
        return false;
    }
    if (image->width() != width || image->height() != height || image->format() != QImage::Format_RGB32)
        *image = QImage(width, height, QImage::Format_RGB32);
    if (image->isNull())
        return false;

    const qsizetype needed = RasterBytes(width, height, format);
    const bool complete = raster.size() >= needed;
    const bool decodes = format.ColorMode == kSingle
                         || (format.ColorMode == kDual && (format.ModuleType == 0 || format.ModuleType == 1));
    if (!decodes) {
        image->fill(kBlack);
        return complete;
    }

    const int groups = width / 8;
    const int perGroup = BytesPerGroup(format);
    // Whole groups the raster holds; a cut-off trailing pair is not decoded.
    qsizetype available = std::min(raster.size(), needed) / perGroup;
    const auto *in = reinterpret_cast<const uchar *>(raster.data());
    const bool greenFirst = format.ModuleType == 1;

    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image->scanLine(y));
        const int rowGroups = int(std::min<qsizetype>(groups, available));
        available -= rowGroups;
        if (format.ColorMode == kSingle) {
            for (int g = 0; g < rowGroups; ++g, ++in, line += 8)
                std::memcpy(line, kRedRun[*in].data(), sizeof(PixelRun));
        } else {
            const int redAt = greenFirst ? 1 : 0;
            const int greenAt = 1 - redAt;
            for (int g = 0; g < rowGroups; ++g, in += 2, line += 8) {
                const unsigned red = in[redAt];
                const unsigned green = in[greenAt];
                std::memcpy(line, kDualQuad[(red & 0xF0) | (green >> 4)].data(), sizeof(QuadRun));
                std::memcpy(line + 4, kDualQuad[((red & 0x0F) << 4) | (green & 0x0F)].data(), sizeof(QuadRun));
            }
        }
        // Columns past the raster's groups (or past a short raster's end) are black.
        std::fill(line, reinterpret_cast<quint32 *>(image->scanLine(y)) + width, kBlack);
    }
    return complete;
}

QImage UnpackRaster(QByteArrayView raster, int width, int height, RasterFormat format)
{
    QImage image;
    UnpackRaster(raster, width, height, format, &image);
    return image;
}

} // namespace pelvoro
