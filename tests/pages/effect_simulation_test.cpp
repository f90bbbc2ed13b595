#include "pages/effect_simulation.h"

#include <gtest/gtest.h>

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

int StepsUntilDone(int e, int w, int h, int bonus, QImage *shown = nullptr)
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
        {256, 16, 40, 0}, {90, 100, 2, 22}, {100, 90, 2, 22}, {100, 91, 30, 0},  {200, 200, 2, 22},
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
        int e, w, h, bonus, steps;
    } cases[] = {
        {2, 256, 16, 0, 43},  // p = 6, 12, ..., 258
        {1, 256, 16, 0, 43},  // page turn: p ≥ cx = 128
        {5, 64, 32, 0, 6},    // p ≥ H
        {18, 40, 16, 0, 16},  // blinds: p ≥ 16
        {26, 64, 32, 0, 10},  // move up ends when the next advance would reach H: p = 30, 30 + 3 ≥ 32
        {28, 64, 32, 0, 22},  // move left ends once p ≥ W
        {22, 64, 32, 22, 2},  // the bonus speeds everything up
        {99, 64, 32, 0, 1},   // any other index ends at once
    };
    for (const auto &c : cases)
        EXPECT_EQ(StepsUntilDone(c.e, c.w, c.h, c.bonus), c.steps) << "effect " << c.e;
}

TEST(EffectSimulation, FinishedEffectsShowTheWholePageExceptWhereTheyShouldNot)
{
    for (int e = 1; e <= 39; ++e) {
        if (e >= 18 && e <= 21)
            continue;
        QImage shown;
        StepsUntilDone(e, 64, 32, 0, &shown);
        if (e == 26 || e == 27 || e == 30 || e == 31) {
            // The up and down moves stop a few rows short of their place.
            EXPECT_EQ(shown.pixel(0, e % 2 == 0 ? 0 : 31), 0xFF000000u) << "effect " << e;
            continue;
        }
        EXPECT_EQ(shown, Filled(64, 32, kNew)) << "effect " << e;
    }
    // Blinds on a 40-dot area open two bands of 16 columns; columns 32..39 keep the old content.
    QImage blinds;
    StepsUntilDone(18, 40, 16, 0, &blinds);
    EXPECT_EQ(blinds.pixel(31, 0), kNew);
    EXPECT_EQ(blinds.pixel(32, 0), kOld);
}

TEST(EffectSimulation, RandomAndStoredEffects)
{
    std::mt19937 random(7);
    int ones = 0;
    for (int i = 0; i < 3900; ++i) {
        const int r = RandomEffect(random);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 38);
        ones += r == 1;
    }
    EXPECT_GT(ones, 150); // twice the weight of the others (about 200 of 3900)
    EXPECT_EQ(PlayedEffect(0, 17), 17);
    EXPECT_EQ(PlayedEffect(40, 17), 1);
    EXPECT_EQ(PlayedEffect(41, 17), 1);
    EXPECT_EQ(PlayedEffect(5, 17), 5);
}

} // namespace
} // namespace pelvoro
