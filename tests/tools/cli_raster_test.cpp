// pelvoro-cli pack and unpack, run as the built binary.
#include "pages/raster.h"

#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/led_colours.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliRasterTest : public AppDirTest {
protected:
    CliResult Run(const QStringList &args) const { return RunCli(args, {}, {}, 30000); }

    // 12 x 2: row 0 the group red, green, yellow, black, red, red, black, green and four yellow dots
    // past the last whole group; row 1 yellow, then four red dots.
    QString WriteExampleImage() const
    {
        const QRgb row0[12] = {kRed,   kGreen, kYellow, kBlack,  kRed,    kRed,
                               kBlack, kGreen, kYellow, kYellow, kYellow, kYellow};
        QImage image(12, 2, QImage::Format_RGB32);
        for (int x = 0; x < 12; ++x) {
            image.setPixel(x, 0, row0[x]);
            image.setPixel(x, 1, x < 8 ? kYellow : kRed);
        }
        const QString path = Path(QStringLiteral("example.png"));
        EXPECT_TRUE(image.save(path));
        return path;
    }
};

TEST_F(CliRasterTest, PackWritesTheRasterOfTheWholeImage)
{
    const QString image = WriteExampleImage();
    struct Case {
        QStringList options;
        QByteArray hex;
    };
    const Case cases[] = {
        {{"--colour", "single"}, "1200"}, // one colour lights every pixel but the black ones
        {{"--colour", "dual"}, "539e0000"},
        {{"--colour", "dual", "--module", "1"}, "9e530000"},
        {{"--colour=dual", "--module=7"}, "539e0000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const CliResult result = Run(QStringList{"pack"} + c.options + QStringList{image});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.outBytes.toHex(), c.hex);
    }
}

TEST_F(CliRasterTest, UnpackDecodesWhatPackProduced)
{
    const QString image = WriteExampleImage();
    for (const char *module : {"0", "1"}) {
        SCOPED_TRACE(module);
        const CliResult packed = Run({"pack", "--colour", "dual", "--module", module, image});
        ASSERT_EQ(packed.exitCode, 0) << packed.err.toStdString();
        WriteFile("raster.bin", packed.outBytes);
        const CliResult unpacked = Run({"unpack", "--colour", "dual", "--module", module, "--width", "12", "--height",
                                        "2", Path("raster.bin"), Path("out.png")});
        ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err.toStdString();
        const QImage out(Path("out.png"));
        ASSERT_EQ(out.size(), QSize(12, 2));
        const QImage source(image);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 12; ++x)
                EXPECT_EQ(out.pixel(x, y), x < 8 ? source.pixel(x, y) : kBlack) << x << "," << y;
        }
    }
    // Single colour: the red plane only, so yellow comes back red and green black.
    WriteFile("single.bin", QByteArray::fromHex("53"));
    ASSERT_EQ(Run({"unpack", "--colour", "single", "--width", "8", "--height", "1", Path("single.bin"),
                   Path("single.png")})
                  .exitCode,
              0);
    EXPECT_EQ(QImage(Path("single.png")).convertToFormat(QImage::Format_RGB32),
              UnpackRaster(QByteArray::fromHex("53"), 8, 1, RasterFormat{0, 0}));
}

TEST_F(CliRasterTest, RefusesBadUsageAndDamagedInput)
{
    const QString image = WriteExampleImage();
    WriteFile("short.bin", QByteArray(5, '\0')); // 12 x 2 dual needs 4 bytes, 16 x 2 needs 8
    WriteFile("garbage.png", "not an image");
    struct Case {
        const char *name;
        QStringList args;
        int exitCode;
        const char *message; // part of what stderr must say
    };
    const Case cases[] = {
        {"pack without --colour", {"pack", image}, 64, "--colour single|dual is required"},
        {"pack with an unknown colour", {"pack", "--colour", "triple", image}, 64, "triple"},
        {"pack with a module that is no number", {"pack", "--colour", "dual", "--module", "x", image}, 64, "--module"},
        {"pack without an image", {"pack", "--colour", "dual"}, 64, "IMAGE"},
        {"pack with a missing image", {"pack", "--colour", "dual", Path("missing.png")}, 1, "missing.png"},
        {"pack with a file that is no image", {"pack", "--colour", "dual", Path("garbage.png")}, 1, "garbage.png"},
        {"unpack without --height",
         {"unpack", "--colour", "dual", "--width", "16", Path("short.bin"), Path("out.png")},
         64,
         "--height"},
        {"unpack with a zero width",
         {"unpack", "--colour", "dual", "--width", "0", "--height", "2", Path("short.bin"), Path("out.png")},
         64,
         "--width"},
        {"unpack with a missing raster",
         {"unpack", "--colour", "dual", "--width", "16", "--height", "2", Path("missing.bin"), Path("out.png")},
         1,
         "missing.bin"},
        {"unpack with a short raster",
         {"unpack", "--colour", "dual", "--width", "16", "--height", "2", Path("short.bin"), Path("out.png")},
         1,
         "too short"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
        EXPECT_TRUE(result.outBytes.isEmpty());
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    }
    EXPECT_FALSE(Exists("out.png"));
    // A raster longer than the size needs is read from its start.
    EXPECT_EQ(Run({"unpack", "--colour", "dual", "--width", "12", "--height", "2", Path("short.bin"), Path("out.png")})
                  .exitCode,
              0);
    EXPECT_EQ(QImage(Path("out.png")).pixel(0, 0), kYellow);
}

TEST_F(CliRasterTest, EachCommandHasHelp)
{
    for (const char *command : {"pack", "unpack"}) {
        SCOPED_TRACE(command);
        const CliResult result = Run({command, "--help"});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.out.startsWith(QStringLiteral("usage: pelvoro-cli ") + QLatin1String(command)))
            << result.out.toStdString();
    }
}

} // namespace
} // namespace pelvoro::test
