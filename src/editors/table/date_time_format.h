#pragma once

#include <QString>

#include <optional>

// How date and time cells rewrite what is typed into them.
namespace pelvoro {

// Year, month and day in that order, separated by "/", "-" or "." with blanks allowed around the
// numbers ("2024/3/5", "2024-03-05", "24.3.5"; a year of one or two digits lies in 2000 … 2099).
// Gives "yyyy-mm-dd", an empty text for a text of blanks and separators only (an untouched date
// mask), or nullopt when the text is no valid date.
std::optional<QString> FormatDateText(const QString &text);

// Hours, minutes and optional seconds separated by ":" ("8:30", "23:59:59"). Gives "hh:nn:ss", an
// empty text for blanks and separators only, or nullopt when the text is no valid time.
std::optional<QString> FormatTimeText(const QString &text);

} // namespace pelvoro
