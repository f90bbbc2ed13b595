#include "cli_command.h"

#include "base/atomic_file.h"
#include "pages/raster.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

// pack and unpack: an image to the controllers' raster bytes and back, with the station's packer.
namespace pelvoro::cli {

namespace {

// --colour single|dual [--module N]
RasterFormat TakeFormat(CliArgs &args)
{
    const auto colour = args.TakeOption(QStringLiteral("--colour"));
    if (!colour)
        throw UsageError{QStringLiteral("--colour single|dual is required")};
    RasterFormat format;
    if (*colour == QLatin1String("single"))
        format.ColorMode = 0;
    else if (*colour == QLatin1String("dual"))
        format.ColorMode = 1;
    else
        throw UsageError{QStringLiteral("--colour takes single or dual, not \"%1\"").arg(*colour)};
    format.ModuleType = args.TakeIntOption(QStringLiteral("--module")).value_or(0);
    return format;
}

int TakeSize(CliArgs &args, const QString &name)
{
    const auto value = args.TakeIntOption(name);
    if (!value)
        throw UsageError{name + QStringLiteral(" is required")};
    if (*value < 1)
        throw UsageError{name + QStringLiteral(" must be at least 1")};
    return *value;
}

int RunPack(CliArgs &args)
{
    const RasterFormat format = TakeFormat(args);
    const QStringList files = CallerFiles(args.Positional());
    if (files.size() != 1)
        throw UsageError{QStringLiteral("give exactly one IMAGE")};
    QImageReader reader(files.first());
    const QImage image = reader.read();
    if (image.isNull()) {
        Err(QStringLiteral("cannot read image %1: %2").arg(files.first(), reader.errorString()));
        return kRefused;
    }
    OutBytes(PackRaster(image, format));
    return kOk;
}

int RunUnpack(CliArgs &args)
{
    const RasterFormat format = TakeFormat(args);
    const int width = TakeSize(args, QStringLiteral("--width"));
    const int height = TakeSize(args, QStringLiteral("--height"));
    const QStringList files = CallerFiles(args.Positional());
    if (files.size() != 2)
        throw UsageError{QStringLiteral("give RASTER and OUT.png")};

    QByteArray raster;
    if (!ReadWholeFile(files[0], &raster)) {
        Err(QStringLiteral("cannot read raster %1").arg(files[0]));
        return kRefused;
    }
    const qsizetype needed = RasterBytes(width, height, format);
    if (raster.size() < needed) {
        Err(QStringLiteral("raster %1 is too short: %2 bytes, a %3 x %4 %5-colour raster takes %6")
                .arg(files[0])
                .arg(raster.size())
                .arg(width)
                .arg(height)
                .arg(format.ColorMode == 1 ? QStringLiteral("dual") : QStringLiteral("single"))
                .arg(needed));
        return kRefused;
    }
    const QImage image = UnpackRaster(raster, width, height, format);
    if (image.isNull()) {
        Err(QStringLiteral("cannot make a %1 x %2 image").arg(width).arg(height));
        return kRefused;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!image.save(&buffer, "PNG") || !WriteFileAtomically(files[1], png, &error)) {
        Err(QStringLiteral("cannot write %1 %2").arg(files[1], error).trimmed());
        return kRefused;
    }
    return kOk;
}

const QString kFormatHelp = QStringLiteral(
    "  --colour single|dual  single colour: one byte per 8 dots; dual colour: two (first plane, then second)\n"
    "  --module N            the screen's module type (default 0); 1 puts the green plane first\n");

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("pack"),
    QStringLiteral("pack an image into raster bytes on stdout"),
    QStringLiteral("usage: pelvoro-cli pack --colour single|dual [--module N] IMAGE\n\n"
                   "Packs the whole image as pages are packed and writes the raster bytes to stdout:\n"
                   "rows top to bottom, 8 dots per byte (leftmost dot in bit 7), a lit LED as a 0 bit.\n"
                   "A dot is red when its red component is 128 or more, green when its green is;\n"
                   "on a single-colour screen it lights when any of red, green and blue is.\n"
                   "Dots right of the last whole group of 8 are not packed.\n\n")
        + kFormatHelp,
    RunPack,
});

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("unpack"),
    QStringLiteral("decode raster bytes into a PNG image"),
    QStringLiteral("usage: pelvoro-cli unpack --colour single|dual [--module N] --width W --height H RASTER OUT.png\n\n"
                   "Decodes a W x H raster as the preview shows it (red, green, yellow and black).\n"
                   "Bytes past the raster's size are ignored; a shorter file is refused (exit 1).\n\n")
        + kFormatHelp + QStringLiteral("  --width W, --height H the raster's size in dots\n"),
    RunUnpack,
});

} // namespace pelvoro::cli
