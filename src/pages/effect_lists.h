#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pelvoro {

// The entry effects a controller offers, in the order their indexes are stored in page entries.
// The two card families number the same effect differently, so a stored index always refers to
// the list of the screen's current card type. Any other card type has no list (nullopt): the
// selector then keeps whatever it shows.
std::optional<QStringList> EffectList(const QString &cardType);

} // namespace pelvoro
