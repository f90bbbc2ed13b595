#include "pages/effect_simulation.h"

#include "config/screen_info.h"
#include "pages/effect_lists.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pelvoro {
namespace {

QImage Filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

constexpr QRgb kOld = 0xFF00FF00;
constexpr QRgb kNew = 0xFFFF0000;

int StepsUntilDone(Effect e, int w, int h, int bonus, QImage *shown = nullptr)
{
    EffectStepper stepper(bonus);
    QImage screen = Filled(w, h, kOld);
    int steps = 1;
    // The incoming page is decoded afresh before every step, as the player does.
    for (QImage page = Filled(w, h, kNew); !stepper.Step(e, page, screen) && steps < 100000; page = Filled(w, h, kNew))
        ++steps;
    if (shown)
        *shown = screen;
    return steps;
}

TEST(EffectSimulation, TimingFollowsTheAreaSize)
{
    const struct {
        int w, h, tick, bonus;
    } cases[] = {
        {256, 16, 40, 0}, {90, 100, 2, 22},  {100, 90, 2, 22},  {100, 91, 30, 0},  {200, 200, 2, 22},
        {201, 200, 5, 2}, {320, 250, 2, 22}, {321, 250, 2, 12}, {400, 400, 2, 22}, {1, 8999, 40, 0},
    };
    for (const auto &c : cases) {
        const EffectTiming t = EffectTimingFor(c.w, c.h);
        EXPECT_EQ(t.tickMs, c.tick) << c.w << "x" << c.h;
        EXPECT_EQ(t.stepBonus, c.bonus) << c.w << "x" << c.h;
    }
}

TEST(EffectSimulation, StepCountsAndEndTests)
{
    const struct {
        Effect e;
        int w, h, bonus, steps;
    } cases[] = {
        {Effect::CoverLeft, 256, 16, 0, 43},      // p = 6, 12, ..., 258
        {Effect::PageTurn, 256, 16, 0, 43},       // page turn: p ≥ cx = 128
        {Effect::CoverDown, 64, 32, 0, 6},        // p ≥ H
        {Effect::BlindsLeftRight, 40, 16, 0, 16}, // blinds: p ≥ 16
        // The move up ends when the next advance would reach H: p = 30, 30 + 3 ≥ 32.
        {Effect::MoveUp, 64, 32, 0, 10},
        {Effect::MoveLeft, 64, 32, 0, 22},      // move left ends once p ≥ W
        {Effect::OpenLeftRight, 64, 32, 22, 2}, // the bonus speeds everything up
        {Effect::FlyInRight, 64, 32, 0, 1},     // an effect the stepper does not play ends at once
        {Effect::Random, 64, 32, 0, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StepsUntilDone(c.e, c.w, c.h, c.bonus), c.steps) << "effect " << int(c.e);
}

TEST(EffectSimulation, FinishedEffectsShowTheWholePageExceptWhereTheyShouldNot)
{
    for (int i = int(Effect::PageTurn); i <= int(Effect::CrossIn); ++i) {
        const Effect e = Effect(i);
        if (e >= Effect::BlindsLeftRight && e <= Effect::BlindsBottomTop)
            continue;
        QImage shown;
        StepsUntilDone(e, 64, 32, 0, &shown);
        if (e == Effect::MoveUp || e == Effect::MoveDown || e == Effect::ScrollUp || e == Effect::ScrollDown) {
            // The up and down moves stop a few rows short of their place.
            const bool up = e == Effect::MoveUp || e == Effect::ScrollUp;
            EXPECT_EQ(shown.pixel(0, up ? 0 : 31), 0xFF000000u) << "effect " << i;
            continue;
        }
        EXPECT_EQ(shown, Filled(64, 32, kNew)) << "effect " << i;
    }
    // Blinds on a 40-dot area open two bands of 16 columns; columns 32..39 keep the old content.
    QImage blinds;
    StepsUntilDone(Effect::BlindsLeftRight, 40, 16, 0, &blinds);
    EXPECT_EQ(blinds.pixel(31, 0), kNew);
    EXPECT_EQ(blinds.pixel(32, 0), kOld);
}

// A page that does not come as 32-bit (an indexed or 24-bit decode) is shown whole, not copied past
// its rows; the screen is shown from a 32-bit image from then on.
TEST(EffectSimulation, PagesOfAnotherDepthAreShownWhole)
{
    const QImage::Format formats[] = {QImage::Format_Indexed8, QImage::Format_RGB888, QImage::Format_Grayscale8};
    for (QImage::Format format : formats) {
        for (Effect e : {Effect::CoverLeft, Effect::CoverDown, Effect::PageTurn}) {
            EffectStepper stepper(0);
            QImage screen = Filled(64, 32, kOld).convertToFormat(format);
            const QRgb want =
                Filled(64, 32, kNew).convertToFormat(format).convertToFormat(QImage::Format_RGB32).pixel(0, 0);
            int steps = 0;
            QImage page;
            do
                page = Filled(64, 32, kNew).convertToFormat(format);
            while (!stepper.Step(e, page, screen) && ++steps < 1000);
            EXPECT_EQ(screen.depth(), 32) << "format " << format << " effect " << int(e);
            EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32), Filled(64, 32, want))
                << "format " << format << " effect " << int(e);
        }
    }
}

TEST(EffectSimulation, RandomAndStoredEffects)
{
    std::mt19937 random(7);
    int ones = 0;
    for (int i = 0; i < 3900; ++i) {
        const Effect r = RandomEffect(random);
        ASSERT_GE(int(r), int(Effect::PageTurn));
        ASSERT_LE(int(r), int(Effect::CrossOut));
        ones += r == Effect::PageTurn;
    }
    EXPECT_GT(ones, 150); // twice the weight of the others (about 200 of 3900)
    const Effect chosen = Effect::CoverBottomRightEdge;
    EXPECT_EQ(PlayedEffect(Effect::Random, chosen), chosen);
    EXPECT_EQ(PlayedEffect(Effect::FlyInLeft, chosen), Effect::PageTurn);
    EXPECT_EQ(PlayedEffect(Effect::FlyInRight, chosen), Effect::PageTurn);
    EXPECT_EQ(PlayedEffect(Effect::CoverDown, chosen), Effect::CoverDown);
}

TEST(EffectSimulation, StoredIndexesNameTheSameEffectOnBothCardTypes)
{
    const struct {
        QString card;
        int index;
        std::optional<Effect> effect;
    } cases[] = {
        {kCardNormal, 18, Effect::BlindsLeftRight},
        {kCardZpKq, 6, Effect::BlindsLeftRight},
        {kCardNormal, 41, Effect::FlyInRight},
        {kCardZpKq, 21, Effect::ScrollRight},
        {kCardZpKq, 30, Effect::ScrollUp}, // not in that card's list: read in the "Normal" list
        {QStringLiteral("Other"), 5, Effect::CoverDown},
        {kCardNormal, 42, std::nullopt},
        {kCardZpKq, -1, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StoredEffect(c.card, c.index), c.effect) << c.card.toStdString() << " " << c.index;
    // Every entry of the "ZP-KQ/TQ" list names the effect of the same text in the "Normal" list.
    const auto zp = EffectList(kCardZpKq);
    const auto normal = EffectList(kCardNormal);
    ASSERT_TRUE(zp && normal);
    const auto text = [](const QString &entry) { return entry.mid(entry.indexOf(QLatin1Char('.')) + 1); };
    for (int i = 0; i < zp->size(); ++i) {
        const auto same = std::find_if(normal->begin(), normal->end(),
                                       [&](const QString &entry) { return text(entry) == text(zp->at(i)); });
        ASSERT_NE(same, normal->end()) << i;
        EXPECT_EQ(StoredEffect(kCardZpKq, i), StoredEffect(kCardNormal, int(same - normal->begin()))) << i;
    }
}

} // namespace
} // namespace pelvoro
