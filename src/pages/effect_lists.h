#pragma once

#include "pages/effects.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace pelvoro {

// The entry effects a controller offers, in the order their indexes are stored in page entries.
// The two card families number the same effect differently, so a stored index always refers to
// the list of the screen's current card type. Any other card type has no list (nullopt): the
// selector then keeps whatever it shows.
std::optional<QStringList> EffectList(const QString &cardType);

// The effect a stored index names on a screen of `cardType`. An index the card's own list does not
// hold (a page stored before the card type changed), and any index on a card type without a list,
// is read in the "Normal" list; nullopt when it names no effect there either.
std::optional<Effect> StoredEffect(const QString &cardType, int storedIndex);

} // namespace pelvoro
