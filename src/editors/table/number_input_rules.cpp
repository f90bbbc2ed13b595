#include "editors/table/number_input_rules.h"

namespace pelvoro {

NumberInputCheck CheckNumberInput(const QString &text, const NumberInputLimits &limits)
{
    NumberInputCheck refused;
    if (text.size() > limits.MaxLength)
        return refused;
    for (const QChar ch : text) {
        if (ch != u'-' && ch != u'.' && !ch.isDigit())
            return refused;
        if (ch == u'-' && !limits.AllowNegative)
            return refused;
    }

    QString rest = text;
    const bool negative = rest.startsWith(u'-');
    if (limits.DecLength > 0) {
        if (negative)
            rest.remove(0, 1);
        if (rest.isEmpty())
            return {true, text, 0};
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 0) {
            if (rest.size() > limits.IntLength || rest.contains(u'-'))
                return refused;
        } else {
            QString withoutDot = rest;
            withoutDot.remove(dot, 1);
            if (withoutDot.contains(u'-') || withoutDot.contains(u'.'))
                return refused;
            if (rest.size() - dot - 1 > limits.DecLength || dot > limits.IntLength)
                return refused;
        }
        if (rest.startsWith(QStringLiteral("00")))
            return refused;
        if (dot == 0) {
            // ".5" reads as "0.5": the zero goes in front of the point, after any sign.
            const QString shown = (negative ? QStringLiteral("-0") : QStringLiteral("0")) + rest;
            return {true, shown, 1};
        }
        return {true, text, 0};
    }

    if (rest.contains(u'.'))
        return refused;
    if (limits.AllowNegative) {
        if (negative)
            rest.remove(0, 1);
        if (rest.contains(u'-') || rest.size() > limits.IntLength + 1)
            return refused;
    }
    if (rest.startsWith(QStringLiteral("00")))
        return refused;
    return {true, text, 0};
}

} // namespace pelvoro
