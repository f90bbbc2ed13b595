#include "pages/effect_player.h"

#include "pages/effect_lists.h"

namespace pelvoro {
namespace {

// "7.水平百叶(左右)" → "水平百叶(左右)"
QString EffectName(const QString &entry)
{
    return entry.mid(entry.indexOf(QLatin1Char('.')) + 1);
}

} // namespace

EffectPlayer::EffectPlayer(const ScreenTable &table, int screenIndex, unsigned seed)
    : table_(table), screen_(screenIndex),
      timing_(EffectTimingFor(table[screenIndex].Width, table[screenIndex].MainHeight)),
      stepper_(timing_.stepBonus), rng_(seed), random_(RandomEffect(rng_))
{
}

EffectPlayer::Tick EffectPlayer::Step(int page, int storedEffect, QImage &shown)
{
    Tick tick;
    tick.read = ReadPage(table_, screen_, page, &entry_, &page_);
    if (!tick.read.Ok())
        return tick;
    const int e = PlayedEffect(NormalEffectIndex(table_[screen_].CardType, storedEffect), random_);
    tick.finished = stepper_.Step(e, page_, shown);
    if (tick.finished)
        random_ = RandomEffect(rng_);
    return tick;
}

int NormalEffectIndex(const QString &cardType, int storedIndex)
{
    if (cardType == kCardNormal)
        return storedIndex;
    const auto own = EffectList(cardType);
    const auto normal = EffectList(kCardNormal);
    if (!own || !normal || storedIndex < 0 || storedIndex >= own->size())
        return storedIndex;
    const QString name = EffectName(own->at(storedIndex));
    for (int i = 0; i < normal->size(); ++i) {
        if (EffectName(normal->at(i)) == name)
            return i;
    }
    return storedIndex;
}

} // namespace pelvoro
