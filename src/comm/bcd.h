#pragma once

#include <QtGlobal>

// Two-digit BCD as the controllers keep their clock: 59 travels as 0x59, 7 as 0x07.
namespace pelvoro {

// Values outside 0..99 keep their last two decimal digits (a four-digit year becomes its last two);
// a negative value, which no clock field can hold, is sent as 0.
constexpr quint8 Bcd(int value)
{
    if (value < 0)
        return 0;
    value %= 100;
    return quint8(((value / 10) << 4) | (value % 10));
}

// The value of a BCD byte; -1 when a nibble is not a decimal digit.
constexpr int FromBcd(quint8 byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9)
        return -1;
    return high * 10 + low;
}

} // namespace pelvoro
