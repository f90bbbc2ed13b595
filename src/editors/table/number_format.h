#pragma once

#include <QString>

#include <optional>

// How a number cell rewrites what is typed into it. The separators are fixed ("," groups thousands,
// "." starts the decimals) and never come from the process locale, so that a table reads and shows
// the same on every station.
namespace pelvoro {

inline constexpr QChar kThousandsSeparator = u',';
inline constexpr QChar kDecimalPoint = u'.';

struct NumberFormat {
    int intLength = 3; // minimum width; blanks it adds are trimmed again, so it shows nowhere
    int decLength = 2; // decimals
    bool thousandSep = false;
    bool zeroNull = false;     // a zero value becomes an empty text
    bool trailingZero = false; // keep the zeros at the end of the decimals
};

// The text as a number cell stores it, or nullopt when it is not a number. Thousands separators in
// the input are ignored; "", "-", "0" and "0." give an empty text.
std::optional<QString> FormatNumberText(const QString &text, const NumberFormat &format);

} // namespace pelvoro
