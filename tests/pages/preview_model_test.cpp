// Area stacking, the clock sample and its placement, decorations and cut-and-move on the shown page.
#include "config/screen_info.h"
#include "pages/area_stacking.h"
#include "pages/clock_text.h"
#include "pages/decorations.h"
#include "pages/page_edit.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

ScreenInfo Screen(std::array<QString, 4> areas, int mainHeight = 96, int titleHeight = 16)
{
    ScreenInfo s = DefaultScreenInfo();
    s.Areas = areas;
    s.MainHeight = mainHeight;
    s.TitleHeight = titleHeight;
    return s;
}

TEST(AreaStacking, StacksSlotsFromTheTopAndCountsTheBandOnce)
{
    const struct {
        std::array<QString, 4> areas;
        AreaPlacement expected;
    } cases[] = {
        {{"固定时钟", "主区", "小字幕", "固定温度"}, {true, 16, true, 112, 0}},
        {{"主区", "贴图时钟", "", ""}, {true, 0, false, 0, 0}},
        {{"小字幕", "贴图温度", "", ""}, {false, 0, true, 0, 0}},
        {{"大字幕", "主区", "贴图时钟", ""}, {true, 32, true, 0, 32}},
        {{"主区", "固定温度", "", ""}, {true, 0, false, 0, 96}},
        {{"", "", "", ""}, {false, 0, false, 0, 0}},
    };
    for (const auto &c : cases) {
        const AreaPlacement p = AreaStacking(Screen(c.areas, 96, c.areas[0] == "大字幕" ? 32 : 16));
        SCOPED_TRACE(c.areas[0].toStdString() + "/" + c.areas[1].toStdString());
        EXPECT_EQ(p.hasMain, c.expected.hasMain);
        EXPECT_EQ(p.mainTop, c.expected.mainTop);
        EXPECT_EQ(p.hasTitle, c.expected.hasTitle);
        EXPECT_EQ(p.titleTop, c.expected.titleTop);
        EXPECT_EQ(p.clockTop, c.expected.clockTop);
    }
}

TEST(ClockText, BuildsBothFormsWithTheirWidths)
{
    const QDateTime at(QDate(2006, 7, 20), QTime(0, 0, 0)); // a Thursday
    using Parts = std::array<bool, 7>;
    const Parts all = {true, true, true, true, true, true, true};
    const struct {
        int format;
        Parts parts;
        QString text;
        int width;
    } cases[] = {
        {0, all, "2006年07月20日 星期四 00时00分00秒", 272},
        {0, {true, true, true, true, false, true, true}, "2006年07月20日 星期四 00分 00秒", 248},
        {0, {false, false, false, true, false, false, false}, "星期四", 48},
        {1, all, "2006-07-20 Thu 00:00:00", 184},
        {1, {false, false, false, false, true, true, true}, "00:00:00", 64},
        {1, {true, true, true, true, true, false, true}, "2006-07-20 Thu 00:00", 160},
        {1, {false, false, false, false, true, false, false}, "00:", 24},
        {1, {true, false, false, false, false, false, true}, "2006:00", 56},
    };
    for (const auto &c : cases) {
        ScreenInfo s = DefaultScreenInfo();
        s.ClockFormat = c.format;
        s.ClockParts = c.parts;
        const ClockSample sample = ClockText(s, at);
        EXPECT_EQ(sample.text, c.text);
        EXPECT_EQ(sample.width, c.width) << c.text.toStdString();
    }
}

TEST(ClockText, PlacesClockAndTemperature)
{
    const struct {
        int align;
        bool clock;
        bool temperature;
        int width;
        int clockWidth;
        int clockLeft;
        int temperatureLeft;
    } cases[] = {
        {0, true, true, 256, 272, 0, 216}, {1, true, true, 256, 184, 16, 200}, {2, true, false, 256, 184, 72, -1},
        {1, false, true, 128, 0, 44, 44},  {2, false, true, 128, 0, 88, 88},   {2, true, true, 256, 184, 32, 216},
    };
    for (const auto &c : cases) {
        ScreenInfo s = DefaultScreenInfo();
        s.Width = c.width;
        s.ClockAlign = c.align;
        s.Areas = {c.clock ? "固定时钟" : "", c.temperature ? "固定温度" : "", "", ""};
        const ClockPlacement p = PlaceClockAndTemperature(s, c.clockWidth);
        EXPECT_EQ(p.clockLeft, c.clockLeft) << "case align " << c.align << " width " << c.width;
        if (c.temperature) {
            EXPECT_EQ(p.temperatureLeft, c.temperatureLeft) << "case align " << c.align << " width " << c.width;
        }
    }
}

// Pixel art helpers: '.' black, 'r' red, 'g' green, 'y' yellow.
QImage Art(std::initializer_list<const char *> rows)
{
    const int h = int(rows.size());
    const int w = int(strlen(*rows.begin()));
    QImage image(w, h, QImage::Format_RGB32);
    int y = 0;
    for (const char *row : rows) {
        for (int x = 0; x < w; ++x) {
            const QRgb colours[] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00};
            image.setPixel(x, y, colours[QByteArray(".rgy").indexOf(row[x])]);
        }
        ++y;
    }
    return image;
}

std::vector<std::string> Rows(const QImage &image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            switch (image.pixel(x, y) & 0xFFFFFF) {
            case 0x000000:
                row += '.';
                break;
            case 0xFF0000:
                row += 'r';
                break;
            case 0x00FF00:
                row += 'g';
                break;
            case 0xFFFF00:
                row += 'y';
                break;
            default:
                row += '?';
            }
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Decorations, HollowOutlineAndShadow)
{
    EXPECT_EQ(Rows(DecorateHollow(Art({".....", ".....", "..r..", ".....", "....."}))),
              (std::vector<std::string>{".....", ".rrr.", ".r.r.", ".rrr.", "....."}));
    // A filled block keeps a one-pixel rim; later writes win, so the colour of the last lit visitor stays.
    EXPECT_EQ(Rows(DecorateHollow(Art({"......", ".rrrr.", ".rrrr.", ".rrrr.", "......"}))),
              (std::vector<std::string>{"rrrrrr", "r....r", "r....r", "r....r", "rrrrrr"}));
    const QImage outlined = DecorateOutline(Art({".....", ".....", "..g..", ".....", "....y"}));
    EXPECT_EQ(Rows(outlined), (std::vector<std::string>{".....", ".yyy.", ".ygy.", ".yyy.", "....y"}));
    EXPECT_EQ(Rows(DecorateOutline(outlined)), Rows(outlined)); // no second border
    EXPECT_EQ(Rows(DecorateShadow(Art({"......", "......", "......", "r....y"}))),
              (std::vector<std::string>{"......", "...y..", "y.y...", "ry...y"}));
}

TEST(PageEdit, CutsMovesAndPastesABlock)
{
    QImage page(256, 96, QImage::Format_RGB32);
    page.fill(Qt::black);
    for (int x = 10; x < 40; ++x)
        page.setPixel(x, 5, 0xFFFF0000);
    PageEdit edit;
    edit.Reset(page);

    EXPECT_EQ(edit.Press({10, 5}), "10,5");
    EXPECT_EQ(edit.Move({40, 20}), QString("40") + QChar(0xD7) + "20");
    edit.Release();
    EXPECT_TRUE(edit.Floating());
    EXPECT_TRUE(edit.Modified());
    EXPECT_EQ(edit.Selection().size(), QSize(30, 15));
    EXPECT_EQ(edit.Page().pixel(10, 5), 0xFF000000u); // cut out

    edit.PressSelection({15, 10});
    EXPECT_EQ(edit.MoveSelection({400, 10}), "226,5"); // stops at W − 30
    edit.ReleaseSelection();
    EXPECT_EQ(edit.Band(), QRect(226, 5, 30, 15));

    edit.Press({0, 0}); // pastes, then starts a new band
    EXPECT_FALSE(edit.HasSelectionImage());
    EXPECT_EQ(edit.Page().pixel(226, 5), 0xFFFF0000u);
    EXPECT_EQ(edit.Page().pixel(255, 5), 0xFFFF0000u);
    EXPECT_EQ(edit.Page().pixel(10, 5), 0xFF000000u);
}

TEST(PageEdit, PressAndReleaseWithoutMovingChangesNothing)
{
    QImage page(32, 16, QImage::Format_RGB32);
    page.fill(Qt::red);
    PageEdit edit;
    edit.Reset(page);
    edit.Press({4, 4});
    edit.Move({2, 8}); // left of the anchor: no band
    edit.Release();
    EXPECT_FALSE(edit.Floating());
    EXPECT_FALSE(edit.Modified());
    EXPECT_EQ(edit.Page(), page);
    // Beyond the right and bottom edges the pointer is clamped to the width and height.
    EXPECT_EQ(edit.Press({500, 500}), "32,16");
}

} // namespace
} // namespace pelvoro
