#include "pages/effect_player.h"

#include "pages/effect_lists.h"

namespace pelvoro {

EffectPlayer::EffectPlayer(const ScreenTable &table, int screenIndex, unsigned seed)
    : table_(table), screen_(screenIndex),
      timing_(EffectTimingFor(table[screenIndex].Width, table[screenIndex].MainHeight)), stepper_(timing_.stepBonus),
      rng_(seed), random_(RandomEffect(rng_))
{
}

EffectPlayer::Tick EffectPlayer::Step(int page, int storedEffect, QImage &shown)
{
    Tick tick;
    tick.read = ReadPage(table_, screen_, page, &entry_, &page_);
    if (!tick.read.Ok())
        return tick;
    if (const auto stored = StoredEffect(table_[screen_].CardType, storedEffect)) {
        tick.finished = stepper_.Step(PlayedEffect(*stored, random_), page_, shown);
    } else {
        stepper_.Reset();
        tick.finished = true;
    }
    if (tick.finished)
        random_ = RandomEffect(rng_);
    return tick;
}

} // namespace pelvoro
