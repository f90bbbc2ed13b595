#pragma once

#include "config/screen_info.h"
#include "pages/effect_simulation.h"
#include "pages/page_store.h"

#include <QImage>

#include <random>

namespace pelvoro {

// Plays a screen's main-area pages with their entry effects into the shown main-area image: every
// tick re-reads the incoming page from the page file, as the controller's card would receive it,
// and advances its effect by one step.
class EffectPlayer {
public:
    EffectPlayer(const ScreenTable &table, int screenIndex, unsigned seed = std::random_device{}());

    const EffectTiming &Timing() const { return timing_; }

    struct Tick {
        PageResult read;       // the page could not be read: the player stops
        bool finished = false; // the page is in; the next one starts with a new random effect
    };
    // One step of page `page` whose stored effect index is `storedEffect` (in the list of the
    // screen's card type). An index that names no effect ends the page at once.
    Tick Step(int page, int storedEffect, QImage &shown);
    Effect RandomChoice() const { return random_; }

private:
    const ScreenTable &table_;
    int screen_;
    EffectTiming timing_;
    EffectStepper stepper_;
    std::mt19937 rng_;
    Effect random_;
    PageEntry entry_;
    QImage page_;
};

} // namespace pelvoro
