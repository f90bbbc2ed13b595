// The simulated card's state files and the picture of its screen.
#include "comm/frames.h"
#include "config/screen_info.h"
#include "pages/raster.h"
#include "sim/card_state.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kBlack = 0xFF000000;

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

ScreenInfo Screen(int width, int height, int colourMode)
{
    ScreenInfo s = DefaultScreenInfo();
    s.Width = width;
    s.Height = height;
    s.ColorMode = colourMode;
    return s;
}

// A page file with one page of `page` at row `top`, packed for `format`.
QByteArray PageFileOf(const QImage &page, int top, RasterFormat format)
{
    const int w = page.width();
    const int h = page.height();
    QByteArray f = Hex("01d10400");
    for (int v : {0, top, w - 1, top + h - 1}) {
        f.append(char(v & 0xFF));
        f.append(char(v >> 8));
    }
    f.append(char(1));
    f.append(Hex("00000101"));
    f.append(PackRaster(page, format));
    f.append(char(0xAA));
    return f;
}

QImage Colourful(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    const QRgb colours[] = {kRed, kGreen, kYellow, kBlack};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, colours[(x / 3 + y) % 4]);
    return image;
}

TEST(CardState, KeepsEveryFrameAsReceivedAndReadsItBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CardMemory memory;
    const QByteArray params = BuildParamFrame(2, Screen(16, 16, 1));
    const QByteArray pages = PageFileOf(Colourful(16, 8), 8, {1, 0});
    const QByteArray schedule = BuildScheduleFrame(2, std::vector<ScheduleRecord>(1)).frame;
    ASSERT_TRUE(memory.Apply(3, params));
    ASSERT_TRUE(memory.Apply(3, pages));
    ASSERT_TRUE(memory.Apply(3, schedule));
    ASSERT_TRUE(memory.Apply(3, BuildTimeSyncFrame(2, QDateTime(QDate(2024, 3, 5), QTime(8, 0, 9)))));
    EXPECT_FALSE(memory.Apply(3, pages.chopped(1))) << "only whole frames are kept";
    ASSERT_TRUE(SaveCardScreen(dir.path(), 3, memory.Screen(3)));

    const QDir folder(CardScreenFolder(dir.path(), 3));
    QFile paramsFile(folder.filePath(QStringLiteral("params.bin")));
    ASSERT_TRUE(paramsFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(paramsFile.readAll(), params);
    QFile json(folder.filePath(QStringLiteral("state.json")));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject state = QJsonDocument::fromJson(json.readAll()).object();
    EXPECT_EQ(state[QStringLiteral("params")][QStringLiteral("width")].toInt(), 16);
    EXPECT_EQ(state[QStringLiteral("pages")][QStringLiteral("pages")].toInt(), 1);
    EXPECT_EQ(state[QStringLiteral("clockTime")].toString(), QStringLiteral("2024-03-05T08:00:09"));

    CardMemory loaded;
    QStringList warnings;
    LoadCardMemory(dir.path(), loaded, &warnings);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(loaded.Screen(3).slots, memory.Screen(3).slots);
    EXPECT_EQ(loaded.Screen(3).time, memory.Screen(3).time);

    // A cancel removes the kept play list.
    memory.Apply(3, BuildCancelScheduleFrame(2));
    ASSERT_TRUE(SaveCardScreen(dir.path(), 3, memory.Screen(3)));
    EXPECT_FALSE(folder.exists(QStringLiteral("schedule.bin")));
}

TEST(CardState, DamagedStateFilesAreSkippedWithAWarning)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CardMemory memory;
    memory.Apply(1, BuildParamFrame(0, Screen(16, 16, 1)));
    memory.Apply(1, PageFileOf(Colourful(16, 8), 0, {1, 0}));
    ASSERT_TRUE(SaveCardScreen(dir.path(), 1, memory.Screen(1)));
    const QString pagesPath = QDir(CardScreenFolder(dir.path(), 1)).filePath(QStringLiteral("pages.dat"));
    QFile pages(pagesPath);
    ASSERT_TRUE(pages.open(QIODevice::ReadWrite));
    ASSERT_TRUE(pages.resize(20));
    pages.close();
    QFile wrongKind(QDir(CardScreenFolder(dir.path(), 1)).filePath(QStringLiteral("clock.bin")));
    ASSERT_TRUE(wrongKind.open(QIODevice::WriteOnly));
    wrongKind.write(BuildPowerFrame(0, true));
    wrongKind.close();

    CardMemory loaded;
    QStringList warnings;
    LoadCardMemory(dir.path(), loaded, &warnings);
    EXPECT_EQ(warnings.size(), 2);
    EXPECT_TRUE(loaded.Screen(1)[CardSlot::Pages].isEmpty());
    EXPECT_TRUE(loaded.Screen(1)[CardSlot::Clock].isEmpty());
    EXPECT_EQ(loaded.Screen(1)[CardSlot::Params], memory.Screen(1)[CardSlot::Params]);
}

TEST(CardScreen, ShowsPageOneAtItsRectangleInTheLedColours)
{
    const QImage page = Colourful(16, 8);
    for (int module : {0, 1}) {
        CardScreenMemory m;
        m[CardSlot::Params] = BuildParamFrame(0, Screen(16, 16, 1));
        m[CardSlot::Pages] = PageFileOf(page, 8, {1, module});
        const QImage shown = RenderCardScreen(m, module);
        ASSERT_EQ(shown.size(), QSize(16, 16));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb expected = y < 8 ? kBlack : page.pixel(x, y - 8);
                ASSERT_EQ(shown.pixel(x, y), expected) << x << "," << y << " module " << module;
            }
        }
    }
}

TEST(CardScreen, PowerTestPatternsAndSingleColour)
{
    CardScreenMemory m;
    m[CardSlot::Params] = BuildParamFrame(0, Screen(32, 16, 1));
    m[CardSlot::Test] = BuildTestFrame(0, 3);
    QImage shown = RenderCardScreen(m, 0);
    EXPECT_EQ(shown.pixel(0, 0), kRed);
    EXPECT_EQ(shown.pixel(31, 15), kRed);

    m[CardSlot::Test] = BuildTestFrame(0, 7); // grid every 8 dots
    shown = RenderCardScreen(m, 0);
    EXPECT_EQ(shown.pixel(8, 3), kRed);
    EXPECT_EQ(shown.pixel(3, 8), kRed);
    EXPECT_EQ(shown.pixel(3, 3), kBlack);

    m[CardSlot::Test] = BuildTestFrame(0, 2);
    m[CardSlot::Power] = BuildPowerFrame(0, false);
    EXPECT_EQ(RenderCardScreen(m, 0).pixel(5, 5), kBlack);

    m[CardSlot::Power] = BuildPowerFrame(0, true);
    EXPECT_EQ(RenderCardScreen(m, 0).pixel(5, 5), kYellow);
    m[CardSlot::Params] = BuildParamFrame(0, Screen(32, 16, 0));
    EXPECT_EQ(RenderCardScreen(m, 0).pixel(5, 5), kRed) << "a single-colour screen has red LEDs only";

    EXPECT_TRUE(RenderCardScreen(CardScreenMemory{}, 0).isNull());
}

// With glyphs whose every dot is lit, each drawn character is a solid block, which shows where the
// card puts the text, how wide each character is and in which colour.
TEST(CardScreen, ClockAndTemperatureDrawnWithTheDownloadedGlyphs)
{
    ScreenInfo s = Screen(96, 32, 1);
    s.Areas = {QStringLiteral("固定时钟"), QStringLiteral("固定温度"), QString(), QString()};
    s.ClockFormat = 1;
    s.ClockParts = {false, false, false, false, true, false, false}; // the hour alone: "08:"
    s.ClockColor = 1;                                                // green
    s.TempColor = 0;                                                 // red
    s.ModuleType = 1;                                                // codes swapped on the wire
    CardScreenMemory m;
    m[CardSlot::Params] = BuildParamFrame(0, s);
    m[CardSlot::Glyphs] = BuildGlyphFrame(0, 8, 16, QByteArray(1296, char(0x00))).frame;
    m[CardSlot::Clock] = BuildClockFrame(0, s, {4, 0}, QDateTime(QDate(2024, 3, 5), QTime(8, 0, 9)));
    m[CardSlot::Temperature] = BuildTempFrame(0, s, {40, 16});
    m.time = m[CardSlot::Clock].mid(15, 7);
    const QImage shown = RenderCardScreen(m, 1);
    ASSERT_FALSE(shown.isNull());
    // "08:" three 8-dot glyphs from x = 4.
    EXPECT_EQ(shown.pixel(3, 0), kBlack);
    EXPECT_EQ(shown.pixel(4, 0), kGreen);
    EXPECT_EQ(shown.pixel(27, 15), kGreen);
    EXPECT_EQ(shown.pixel(28, 0), kBlack);
    // " 25℃": a gap for the space, two digits and the 16-dot degree sign from x = 48.
    EXPECT_EQ(shown.pixel(47, 16), kBlack);
    EXPECT_EQ(shown.pixel(48, 16), kRed);
    EXPECT_EQ(shown.pixel(79, 31), kRed);
    EXPECT_EQ(shown.pixel(80, 20), kBlack);
}

} // namespace
} // namespace pelvoro
