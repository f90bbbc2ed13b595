#include "pages/raster.h"

#include "config/screen_info.h"
#include "support/led_colours.h"

#include <QByteArray>
#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace pelvoro::test {
namespace {

constexpr RasterFormat kSingle{0, 0};
constexpr RasterFormat kDual0{1, 0};
constexpr RasterFormat kDual1{1, 1};
constexpr RasterFormat kDualOther{1, 2};

QImage MakeImage(int width, int height, const std::function<QRgb(int, int)> &colour,
                 QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour(x, y));
    }
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

QImage Row(const std::vector<QRgb> &pixels)
{
    return MakeImage(int(pixels.size()), 1, [&](int x, int) { return pixels[size_t(x)]; });
}

QImage Filled(int width, int height, QRgb colour)
{
    return MakeImage(width, height, [=](int, int) { return colour; });
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

// red, green, yellow, black, red, red, black, green: red plane 0xAC, green plane 0x61.
const std::vector<QRgb> kExampleGroup = {kRed, kGreen, kYellow, kBlack, kRed, kRed, kBlack, kGreen};

struct PackCase {
    const char *name;
    std::vector<QRgb> pixels;
    RasterFormat format;
    QByteArray expected;
};

TEST(PackRaster, PacksGroupsByColourModeAndModuleType)
{
    const std::vector<QRgb> allBlack(8, kBlack);
    const std::vector<QRgb> allYellow(8, kYellow);
    const PackCase cases[] = {
        // One colour: every pixel but the black ones lights.
        {"example single", kExampleGroup, kSingle, Bytes({0x12})},
        {"example dual, module 0", kExampleGroup, kDual0, Bytes({0x53, 0x9E})},
        {"example dual, module 1", kExampleGroup, kDual1, Bytes({0x9E, 0x53})},
        {"example dual, other module", kExampleGroup, kDualOther, Bytes({0x53, 0x9E})},
        {"example dual, negative module", kExampleGroup, RasterFormat{1, -1}, Bytes({0x53, 0x9E})},
        {"black single", allBlack, kSingle, Bytes({0xFF})},
        {"black dual", allBlack, kDual0, Bytes({0xFF, 0xFF})},
        {"yellow single", allYellow, kSingle, Bytes({0x00})},
        {"yellow dual", allYellow, kDual1, Bytes({0x00, 0x00})},
        {"leftmost pixel is bit 7",
         {kRed, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack},
         kSingle,
         Bytes({0x7F})},
        {"groups left to right",
         {kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kGreen, kRed, kBlack, kBlack, kBlack, kBlack, kBlack,
          kBlack, kBlack},
         kDual0,
         Bytes({0xFF, 0xFE, 0x7F, 0xFF})},
        {"other colour mode gives no bytes", kExampleGroup, RasterFormat{2, 0}, QByteArray()},
    };
    for (const PackCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PackRaster(Row(c.pixels), c.format).toHex(' '), c.expected.toHex(' '));
    }
}

TEST(PackRaster, ClassifiesRedAndGreenAtOneHundredTwentyEight)
{
    struct Case {
        QRgb colour;
        bool red;
        bool green;
        bool lit; // on a single-colour screen: any channel at 128 or more
    };
    const Case cases[] = {
        {qRgb(200, 100, 255), true, false, true}, {qRgb(127, 128, 0), false, true, true},
        {qRgb(128, 128, 128), true, true, true},  {qRgb(127, 127, 255), false, false, true},
        {qRgb(128, 127, 0), true, false, true},   {qRgb(255, 255, 255), true, true, true},
        {qRgb(0, 0, 255), false, false, true},    {qRgb(0, 0, 128), false, false, true},
        {qRgb(0, 255, 0), false, true, true},     {qRgb(127, 127, 127), false, false, false},
        {qRgb(0, 0, 127), false, false, false},   {qRgb(0, 0, 0), false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::number(c.colour, 16).toStdString());
        const QImage image = Filled(8, 1, c.colour);
        const int redByte = c.red ? 0x00 : 0xFF;
        const int greenByte = c.green ? 0x00 : 0xFF;
        const int litByte = c.lit ? 0x00 : 0xFF;
        EXPECT_EQ(PackRaster(image, kDual0), Bytes({redByte, greenByte}));
        EXPECT_EQ(PackRaster(image, kDual1), Bytes({greenByte, redByte}));
        // A single-colour screen shows green, blue and grey text too, in its own colour.
        EXPECT_EQ(PackRaster(image, kSingle), Bytes({litByte}));
        EXPECT_EQ(PackMonoRaster(image, 8, 1), Bytes({litByte}));
    }
}

TEST(PackRaster, SizeFollowsWholeGroupsAndRows)
{
    struct Case {
        int width;
        int height;
        RasterFormat format;
        qsizetype bytes;
    };
    const Case cases[] = {
        {36, 2, kSingle, 8},
        {36, 2, kDual0, 16},
        {7, 5, kDual0, 0},
        {16, 0, kSingle, 0},
        {16, -1, kDual0, 0},
        {4096, 512, kDual1, 524288},
        {16, 3, RasterFormat{2, 0}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " mode " << c.format.ColorMode);
        EXPECT_EQ(RasterBytes(c.width, c.height, c.format), c.bytes);
        EXPECT_EQ(
            PackRaster(Filled(std::max(c.width, 1), std::max(c.height, 1), kRed), c.width, c.height, c.format).size(),
            c.bytes);
    }
}

TEST(PackRaster, WidthNotMultipleOfEightDropsTheRightmostPixelsOfEachRow)
{
    // 36 x 2: row 0 all black but its last four pixels lit; row 1 all yellow.
    const QImage image = MakeImage(36, 2, [](int x, int y) { return y == 1 ? kYellow : (x >= 32 ? kRed : kBlack); });
    EXPECT_EQ(PackRaster(image, kSingle), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(PackRaster(image, kDual0).toHex(), QByteArray("ffffffffffffffff0000000000000000"));
}

TEST(PackRaster, ReadsAnyImageFormatAsRgb)
{
    const QImage source = MakeImage(16, 2, [](int x, int y) { return kExampleGroup[size_t((x + y) % 8)]; });
    const QByteArray expected = PackRaster(source, kDual0);
    const QImage::Format formats[] = {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888,
                                      QImage::Format_Indexed8, QImage::Format_RGB16};
    for (QImage::Format format : formats) {
        SCOPED_TRACE(int(format));
        EXPECT_EQ(PackRaster(source.convertToFormat(format), kDual0), expected);
    }
}

TEST(PackRaster, PixelsOutsideTheImageAreDark)
{
    // A 12 x 1 yellow image packed as 24 x 2: group 1 has four image pixels, group 2 and row 1 none.
    const QImage image = Filled(12, 1, kYellow);
    EXPECT_EQ(PackRaster(image, 24, 2, kDual0).toHex(' '), QByteArray("00 00 0f 0f ff ff ff ff ff ff ff ff"));
    EXPECT_EQ(PackRaster(QImage(), 16, 1, kSingle), Bytes({0xFF, 0xFF}));
}

TEST(PackRaster, WritesIntoADestinationOnlyWhenItIsLargeEnough)
{
    const QImage image = Row(kExampleGroup);
    QByteArray buffer(4, 'x');
    EXPECT_FALSE(PackRaster(image, 8, 1, kDual0, std::span<char>(buffer.data(), 1)));
    EXPECT_EQ(buffer, QByteArray("xxxx"));
    EXPECT_TRUE(PackRaster(image, 8, 1, kDual0, std::span<char>(buffer.data() + 1, 3)));
    EXPECT_EQ(buffer.toHex(' '), QByteArray("78 53 9e 78"));
    EXPECT_TRUE(PackMonoRaster(image, 8, 1, std::span<char>(buffer.data(), 1)));
    EXPECT_EQ(buffer.toHex(' '), QByteArray("12 53 9e 78"));
}

TEST(PackRaster, FormatComesFromTheScreen)
{
    ScreenInfo screen;
    screen.ColorMode = 1;
    screen.ModuleType = 1;
    EXPECT_EQ(RasterFormatOf(screen), kDual1);
}

TEST(UnpackRaster, DecodesTheWorkedExample)
{
    struct Case {
        const char *name;
        QByteArray raster;
        RasterFormat format;
        std::vector<QRgb> expected;
    };
    const std::vector<QRgb> single = {kRed, kBlack, kRed, kBlack, kRed, kRed, kBlack, kBlack};
    const std::vector<QRgb> black(8, kBlack);
    const Case cases[] = {
        {"single", Bytes({0x53}), kSingle, single},
        {"dual, module 0", Bytes({0x53, 0x9E}), kDual0, kExampleGroup},
        {"dual, module 1", Bytes({0x9E, 0x53}), kDual1, kExampleGroup},
        {"dual, other module stays black", Bytes({0x53, 0x9E}), kDualOther, black},
        {"other colour mode stays black", Bytes({0x00, 0x00}), RasterFormat{3, 0}, black},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = UnpackRaster(c.raster, 8, 1, c.format);
        ASSERT_EQ(image.size(), QSize(8, 1));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(image.pixel(x, 0), c.expected[size_t(x)]) << "x = " << x;
    }
}

TEST(UnpackRaster, ColumnsPastTheLastGroupAreBlack)
{
    const QImage image = UnpackRaster(QByteArray(16, '\0'), 36, 2, kDual0);
    ASSERT_EQ(image.size(), QSize(36, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 36; ++x)
            EXPECT_EQ(image.pixel(x, y), x < 32 ? kYellow : kBlack) << x << "," << y;
    }
    EXPECT_TRUE(UnpackRaster(QByteArray(), 0, 4, kSingle).isNull());
}

TEST(UnpackRaster, RoundTripGivesBackTheClassifiedColours)
{
    // Arbitrary colours: each comes back as the pure colour of its class.
    // One colour lights red wherever any channel is 128 or more.
    auto classify = [](QRgb c, RasterFormat format) -> QRgb {
        const bool single = format.ColorMode == 0;
        const bool red = qRed(c) >= 128 || (single && (qGreen(c) >= 128 || qBlue(c) >= 128));
        const bool green = !single && qGreen(c) >= 128;
        return 0xFF000000 | (red ? 0xFF0000 : 0) | (green ? 0x00FF00 : 0);
    };
    QRandomGenerator random(7);
    const QImage noisy = MakeImage(40, 9, [&](int, int) { return random.generate() | 0xFF000000; });
    const QImage pure = MakeImage(24, 5, [&](int, int) {
        const QRgb colours[] = {kRed, kGreen, kYellow, kBlack};
        return colours[random.bounded(4)];
    });
    for (RasterFormat format : {kSingle, kDual0, kDual1}) {
        SCOPED_TRACE(testing::Message() << "mode " << format.ColorMode << " module " << format.ModuleType);
        for (const QImage &source : {noisy, pure}) {
            const QImage back = UnpackRaster(PackRaster(source, format), source.width(), source.height(), format);
            ASSERT_EQ(back.size(), source.size());
            for (int y = 0; y < source.height(); ++y) {
                for (int x = 0; x < source.width(); ++x)
                    ASSERT_EQ(back.pixel(x, y), classify(source.pixel(x, y), format)) << x << "," << y;
            }
        }
    }
    // On a dual-colour screen an image of the four pure colours survives unchanged.
    EXPECT_EQ(UnpackRaster(PackRaster(pure, kDual1), 24, 5, kDual1), pure);
}

TEST(UnpackRaster, ShortRasterDecodesOnlyTheGroupsItHolds)
{
    // The view ends early inside a buffer of lit bytes: anything read past its end would show up
    // as yellow (or red) pixels.
    const QByteArray buffer(64, '\0');
    struct Case {
        const char *name;
        qsizetype size;
        RasterFormat format;
        int litGroups; // of the 16 x 2 image's 4 groups, in raster order
    };
    const Case cases[] = {
        {"empty dual", 0, kDual0, 0},
        {"half a pair", 1, kDual0, 0},
        {"one pair and a half", 3, kDual1, 1},
        {"first row and a half", 6, kDual0, 3},
        {"single colour, three bytes", 3, kSingle, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QImage image;
        EXPECT_FALSE(UnpackRaster(QByteArrayView(buffer.constData(), c.size), 16, 2, c.format, &image));
        ASSERT_EQ(image.size(), QSize(16, 2));
        const QRgb lit = c.format.ColorMode == 1 ? kYellow : kRed;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int group = y * 2 + x / 8;
                EXPECT_EQ(image.pixel(x, y), group < c.litGroups ? lit : kBlack) << x << "," << y;
            }
        }
    }
}

TEST(UnpackRaster, ReusesTheImageItIsGiven)
{
    QImage image;
    EXPECT_TRUE(UnpackRaster(QByteArray(4, '\0'), 16, 1, kDual0, &image));
    const uchar *bits = image.constBits();
    EXPECT_TRUE(UnpackRaster(QByteArray(4, char(0xFF)), 16, 1, kDual0, &image));
    EXPECT_EQ(image.constBits(), bits);
    EXPECT_EQ(image, Filled(16, 1, kBlack));
    // A different size gets a new image.
    EXPECT_TRUE(UnpackRaster(QByteArray(2, '\0'), 8, 1, kDual0, &image));
    EXPECT_EQ(image, Filled(8, 1, kYellow));
}

} // namespace
} // namespace pelvoro::test
