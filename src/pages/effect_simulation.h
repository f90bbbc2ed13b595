#pragma once

#include "pages/effects.h"

#include <QImage>

#include <random>

// The entry effects as the station's preview plays them: each tick advances the running effect and
// copies parts of the incoming page onto the shown main area.
namespace pelvoro {

struct EffectTiming {
    int tickMs = 40;
    int stepBonus = 0;
};

// Tick interval and step bonus from the main area's size (W × H dots).
EffectTiming EffectTimingFor(int width, int height);

// The effect played for a page whose effect is Random: one of PageTurn..CrossOut, PageTurn twice as
// likely as the others (the draw's Random counts as PageTurn).
Effect RandomEffect(std::mt19937 &random);

// The effect a page's stored effect plays as: Random plays the random choice, the fly-ins play as
// PageTurn.
Effect PlayedEffect(Effect stored, Effect randomEffect);

// Runs one effect on one page. The caller decodes the incoming page into `page` before every step
// and owns the shown image.
class EffectStepper {
public:
    explicit EffectStepper(int stepBonus = 0) : bonus_(stepBonus) {}

    // Advances effect `e` by one step, copying from `page` onto `shown` (both W × H, 32-bit).
    // Returns true when the effect has finished; the offset then starts over at 0. A step that
    // shows the whole page swaps the two images instead of copying, so `page` may come back with
    // other content: the caller decodes the page again before every step. The effects the stepper
    // does not play (Random and the fly-ins, which PlayedEffect resolves) end at once.
    bool Step(Effect e, QImage &page, QImage &shown);
    int Offset() const { return p_; }
    void Reset() { p_ = 0; }

private:
    int bonus_;
    int p_ = 0;
};

} // namespace pelvoro
