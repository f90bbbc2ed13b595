#include "config/area_layout.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace pelvoro::test {
namespace {

using Slots = std::array<QString, kAreaSlots>;

Slots MakeSlots(std::initializer_list<const char *> kinds)
{
    Slots slots;
    int i = 0;
    for (const char *kind : kinds)
        slots[size_t(i++)] = QString::fromUtf8(kind);
    return slots;
}

ScreenInfo Screen(int height, std::initializer_list<const char *> kinds = {})
{
    ScreenInfo s = DefaultScreenInfo();
    s.Height = height;
    s.Areas = MakeSlots(kinds);
    return s;
}

AreaKind Kind(const char *text)
{
    const auto kind = AreaKindFromText(QString::fromUtf8(text));
    EXPECT_TRUE(kind) << text;
    return kind.value_or(AreaKind::Main);
}

std::string Describe(const Slots &slots)
{
    QStringList texts(slots.begin(), slots.end());
    return texts.join(QLatin1Char('|')).toStdString();
}

// One step of a screen's life in the programme tree.
struct Step {
    bool add;
    const char *kind;
    int mainHeight, clockHeight, titleHeight;
    Slots slots;
};

void RunSteps(ScreenInfo &s, const std::vector<Step> &steps)
{
    for (const Step &step : steps) {
        const std::string what = std::string(step.add ? "add " : "remove ") + step.kind;
        if (step.add)
            EXPECT_EQ(AddAreaToScreen(s, Kind(step.kind)), AddAreaOutcome::Added) << what;
        else
            EXPECT_TRUE(RemoveAreaFromScreen(s, Kind(step.kind))) << what;
        EXPECT_EQ(s.MainHeight, step.mainHeight) << what;
        EXPECT_EQ(s.ClockHeight, step.clockHeight) << what;
        EXPECT_EQ(s.TitleHeight, step.titleHeight) << what;
        EXPECT_EQ(s.Areas, step.slots) << what << ": " << Describe(s.Areas);
    }
}

TEST(AreaLayoutTest, AreasOfA128RowScreenComeAndGo)
{
    ScreenInfo s = Screen(128);
    RunSteps(s, {
                    {true, "主区", 128, 16, 16, MakeSlots({"主区"})},
                    {true, "固定时钟", 112, 16, 16, MakeSlots({"主区", "固定时钟"})},
                    {true, "固定温度", 112, 16, 16, MakeSlots({"主区", "固定时钟", "固定温度"})}, // band shared
                    {true, "大字幕", 80, 16, 32, MakeSlots({"主区", "固定时钟", "固定温度", "大字幕"})},
                    {false, "固定时钟", 80, 16, 32, MakeSlots({"主区", "固定温度", "大字幕"})}, // band still held
                    {false, "固定温度", 96, 16, 32, MakeSlots({"主区", "大字幕"})},
                    {false, "大字幕", 128, 16, 32, MakeSlots({"主区"})},
                    {false, "主区", 128, 16, 32, MakeSlots({})}, // the main area keeps its height
                });
}

TEST(AreaLayoutTest, HeightsFollowTheOrderOfAdding)
{
    // Rows taken before the main area exists come off the main area's height when it is added.
    ScreenInfo s = Screen(64);
    RunSteps(s, {
                    {true, "小字幕", 0, 16, 16, MakeSlots({"小字幕"})}, // 16 − 16 on a record without main area
                    {true, "固定温度", -16, 16, 16, MakeSlots({"小字幕", "固定温度"})},
                    {true, "主区", 32, 16, 16, MakeSlots({"小字幕", "固定温度", "主区"})},
                    {true, "固定时钟", 32, 16, 16, MakeSlots({"小字幕", "固定温度", "主区", "固定时钟"})},
                    {false, "小字幕", 48, 16, 16, MakeSlots({"固定温度", "主区", "固定时钟"})},
                    {false, "固定温度", 48, 16, 16, MakeSlots({"主区", "固定时钟"})},
                    {false, "固定时钟", 64, 16, 16, MakeSlots({"主区"})},
                });
}

TEST(AreaLayoutTest, HeightCheck)
{
    struct Case {
        const char *name;
        ScreenInfo screen;
        const char *kind;
        bool refused;
    };
    ScreenInfo bigTitle = Screen(47, {"主区", "大字幕"});
    bigTitle.TitleHeight = 32;
    ScreenInfo bandAndBigTitle = Screen(63, {"固定时钟", "大字幕"});
    bandAndBigTitle.TitleHeight = 32;
    ScreenInfo bandAndBigTitle64 = bandAndBigTitle;
    bandAndBigTitle64.Height = 64;
    const Case cases[] = {
        {"32 rows with main area take a small subtitle", Screen(32, {"主区"}), "小字幕", false},
        {"then a fixed clock would leave the main area 0 rows", Screen(32, {"主区", "小字幕"}), "固定时钟", true},
        {"16 rows without main area take a small subtitle", Screen(16), "小字幕", false},
        {"16 rows without main area refuse a big subtitle", Screen(16), "大字幕", true},
        {"16 rows with a fixed clock refuse the main area", Screen(16, {"固定时钟"}), "主区", true},
        {"16 rows with a picture clock take the main area", Screen(16, {"贴图时钟"}), "主区", false},
        {"main area needs 16 rows", Screen(15), "主区", true},
        {"63 rows: band and big subtitle leave 15 for the main area", bandAndBigTitle, "主区", true},
        {"64 rows leave 16", bandAndBigTitle64, "主区", false},
        {"big subtitle with main area needs 48 rows", Screen(47, {"主区"}), "大字幕", true},
        {"48 are enough", Screen(48, {"主区"}), "大字幕", false},
        {"a band takes from the subtitle's rows", Screen(48, {"主区", "固定温度"}), "小字幕", false},
        {"band plus small subtitle with main area need 48", Screen(47, {"主区", "固定温度"}), "小字幕", true},
        {"fixed clock without main area needs 16 rows", Screen(15), "固定时钟", true},
        {"fixed clock with main area needs 32 rows", Screen(31, {"主区"}), "固定时钟", true},
        {"fixed clock minus subtitle rows", bigTitle, "固定时钟", true},
        {"a fixed temperature joins an existing clock without a check", Screen(16, {"主区", "固定时钟"}), "固定温度",
         false},
        {"a fixed clock joins an existing temperature without a check", Screen(0, {"贴图温度"}), "固定时钟", false},
        {"a picture clock always fits", Screen(0, {"主区"}), "贴图时钟", false},
        {"a picture temperature always fits", Screen(0), "贴图温度", false},
    };
    for (const Case &c : cases) {
        const auto refusal = CheckAreaHeight(c.screen, Kind(c.kind));
        EXPECT_EQ(refusal.has_value(), c.refused) << c.name;

        ScreenInfo s = c.screen;
        AreaRefusal shown;
        const AddAreaOutcome outcome = AddAreaToScreen(s, Kind(c.kind), &shown);
        if (!c.refused)
            continue;
        EXPECT_EQ(outcome, AddAreaOutcome::Refused) << c.name;
        EXPECT_EQ(s, c.screen) << c.name << ": a refusal changes nothing";
        EXPECT_EQ(shown.message, QStringLiteral("显示屏高度不够添加") + QString::fromUtf8(c.kind)
                                     + QStringLiteral(",请删除其他区域或加大显示屏高度设置后重新添加!"))
            << c.name;
        EXPECT_EQ(shown.warningBox, Kind(c.kind) == AreaKind::Main) << c.name;
    }
}

TEST(AreaLayoutTest, SecondAreaOfACategoryIsIgnored)
{
    struct Case {
        std::initializer_list<const char *> present;
        const char *kind;
    };
    const Case cases[] = {
        {{"贴图时钟"}, "固定时钟"}, {{"贴图时钟"}, "贴图时钟"}, {{"主区", "固定时钟"}, "贴图时钟"},
        {{"固定温度"}, "贴图温度"}, {{"主区"}, "主区"},         {{"小字幕"}, "大字幕"},
    };
    for (const Case &c : cases) {
        const ScreenInfo before = Screen(128, c.present);
        ScreenInfo s = before;
        EXPECT_EQ(AddAreaToScreen(s, Kind(c.kind)), AddAreaOutcome::AlreadyPresent) << c.kind;
        EXPECT_EQ(s, before) << c.kind;
    }
}

TEST(AreaLayoutTest, RemovingAnAreaTheScreenDoesNotShowChangesNothing)
{
    for (const char *kind : {"固定时钟", "主区", "小字幕", "固定温度"}) {
        ScreenInfo s = Screen(128, {"贴图时钟", "大字幕", "贴图温度"});
        s.MainHeight = 96;
        const ScreenInfo before = s;
        EXPECT_FALSE(RemoveAreaFromScreen(s, Kind(kind))) << kind;
        EXPECT_EQ(s, before) << kind;
    }
}

TEST(AreaLayoutTest, SlotsCloseUpInOnePass)
{
    struct Case {
        Slots before;
        std::initializer_list<AreaKind> kinds;
        Slots after;
    };
#define CLOCKS                                       \
    {                                                \
        AreaKind::FixedClock, AreaKind::PictureClock \
    }
    const Case cases[] = {
        {MakeSlots({"固定时钟", "主区", "固定温度", "大字幕"}), CLOCKS, MakeSlots({"主区", "固定温度", "大字幕"})},
        {MakeSlots({"主区", "固定温度", "大字幕", "贴图时钟"}), CLOCKS, MakeSlots({"主区", "固定温度", "大字幕"})},
        {MakeSlots({"主区", "大字幕"}), CLOCKS, MakeSlots({"主区", "大字幕"})},
        // A damaged file with two clocks: the slot that moved up into the emptied one is not looked at
        // again, so one clock stays.
        {MakeSlots({"固定时钟", "贴图时钟", "主区"}), CLOCKS, MakeSlots({"贴图时钟", "主区"})},
        {MakeSlots({"固定时钟", "主区", "贴图时钟"}), CLOCKS, MakeSlots({"主区"})},
        // A gap left in a damaged file stays where it is.
        {MakeSlots({"主区", "", "小字幕", "固定时钟"}), {AreaKind::Main}, MakeSlots({"", "小字幕", "固定时钟"})},
    };
#undef CLOCKS
    for (const Case &c : cases) {
        ScreenInfo s = DefaultScreenInfo();
        s.Areas = c.before;
        RemoveKindsFromSlots(s, c.kinds);
        EXPECT_EQ(s.Areas, c.after) << Describe(c.before) << " → " << Describe(s.Areas);
    }
}

TEST(AreaLayoutTest, PresenceQueriesAndFlags)
{
    struct Case {
        std::initializer_list<const char *> slots;
        bool clock, temperature, main, title, band;
        int flags;
    };
    const Case cases[] = {
        {{}, false, false, false, false, false, 0},
        {{"固定时钟"}, true, false, false, false, true, 1},
        {{"贴图时钟"}, true, false, false, false, false, 1},
        {{"贴图温度"}, false, true, false, false, false, 2},
        {{"固定温度", "主区"}, false, true, true, false, true, 6},
        {{"大字幕", "主区", "贴图温度", "固定时钟"}, true, true, true, true, true, 15},
        {{"小字幕"}, false, false, false, true, false, 8},
        {{"主 区", "时钟"}, false, false, false, false, false, 0}, // kinds compare exactly
    };
    for (const Case &c : cases) {
        const ScreenInfo s = Screen(128, c.slots);
        const std::string what = Describe(s.Areas);
        EXPECT_EQ(HasClock(s), c.clock) << what;
        EXPECT_EQ(HasTemperature(s), c.temperature) << what;
        EXPECT_EQ(HasMain(s), c.main) << what;
        EXPECT_EQ(HasTitle(s), c.title) << what;
        EXPECT_EQ(HasFixedBand(s), c.band) << what;
        EXPECT_EQ(AreaFlags(s), c.flags) << what;
    }
}

TEST(AreaLayoutTest, MenuStatesFollowTheScreenAndTheChoices)
{
    struct Enabled {
        bool fixed, picture, small, big;
    };
    auto expect = [](const AddAreaMenuState &m, Enabled e, const char *what) {
        EXPECT_EQ(m.fixedEnabled, e.fixed) << what;
        EXPECT_EQ(m.pictureEnabled, e.picture) << what;
        EXPECT_EQ(m.smallTitleEnabled, e.small) << what;
        EXPECT_EQ(m.bigTitleEnabled, e.big) << what;
        EXPECT_EQ(m.Enabled(AreaKind::FixedClock), e.fixed) << what;
        EXPECT_EQ(m.Enabled(AreaKind::FixedTemperature), e.fixed) << what;
        EXPECT_EQ(m.Enabled(AreaKind::PictureClock), e.picture) << what;
        EXPECT_EQ(m.Enabled(AreaKind::PictureTemperature), e.picture) << what;
        EXPECT_EQ(m.Enabled(AreaKind::SmallTitle), e.small) << what;
        EXPECT_EQ(m.Enabled(AreaKind::BigTitle), e.big) << what;
        EXPECT_TRUE(m.Enabled(AreaKind::Main)) << what;
    };

    AddAreaMenuState m;
    expect(m, {true, true, true, true}, "at start");

    m.OnClockOrTemperatureMenu(Screen(128, {"主区", "固定温度"}));
    expect(m, {true, false, true, true}, "a fixed temperature allows only fixed kinds");
    m.OnMenuOf(AreaKind::PictureClock, Screen(128, {"贴图时钟"}));
    expect(m, {false, true, true, true}, "a picture clock allows only picture kinds");
    m.OnClockOrTemperatureMenu(Screen(128, {"主区"}));
    expect(m, {true, true, true, true}, "neither clock nor temperature: all four");

    ScreenInfo small = Screen(128, {"小字幕"});
    m.OnTitleMenu(small);
    expect(m, {true, true, true, false}, "a small subtitle keeps only its own item");
    ScreenInfo big = Screen(128, {"大字幕"});
    big.TitleHeight = 32;
    m.OnMenuOf(AreaKind::SmallTitle, big);
    expect(m, {true, true, false, true}, "a big subtitle keeps only its own item");
    m.OnTitleMenu(Screen(128));
    expect(m, {true, true, true, true}, "no subtitle: both");
    m.OnMenuOf(AreaKind::Main, big);
    expect(m, {true, true, true, true}, "the main area has no sub-menu");

    m.OnChosen(AreaKind::PictureTemperature);
    expect(m, {false, true, true, true}, "picture chosen");
    m.OnChosen(AreaKind::FixedClock);
    expect(m, {true, false, true, true}, "fixed chosen");
    m.OnChosen(AreaKind::BigTitle);
    expect(m, {true, false, false, true}, "big subtitle chosen");
    m.OnChosen(AreaKind::SmallTitle);
    expect(m, {true, false, true, false}, "small subtitle chosen");
    m.OnChosen(AreaKind::Main);
    expect(m, {true, false, true, false}, "the main area changes no item");
    m.OnClockAndTemperatureGone();
    expect(m, {true, true, true, false}, "last clock or temperature removed");
}

TEST(AreaLayoutTest, KindTextsAndTreeImages)
{
    struct Case {
        const char *text;
        AreaKind kind;
        AreaCategory category;
        int image;
    };
    const Case cases[] = {
        {"主区", AreaKind::Main, AreaCategory::Main, 1},
        {"固定时钟", AreaKind::FixedClock, AreaCategory::Clock, 3},
        {"贴图时钟", AreaKind::PictureClock, AreaCategory::Clock, 3},
        {"固定温度", AreaKind::FixedTemperature, AreaCategory::Temperature, 2},
        {"贴图温度", AreaKind::PictureTemperature, AreaCategory::Temperature, 2},
        {"小字幕", AreaKind::SmallTitle, AreaCategory::Title, 4},
        {"大字幕", AreaKind::BigTitle, AreaCategory::Title, 4},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(AreaKindFromText(QString::fromUtf8(c.text)), c.kind) << c.text;
        EXPECT_EQ(AreaKindText(c.kind), QString::fromUtf8(c.text));
        EXPECT_EQ(CategoryOf(c.kind), c.category) << c.text;
        EXPECT_EQ(AreaTreeImage(c.kind), c.image) << c.text;
    }
    EXPECT_FALSE(AreaKindFromText(QStringLiteral("时钟")));
    EXPECT_FALSE(AreaKindFromText(QString()));
}

} // namespace
} // namespace pelvoro::test
