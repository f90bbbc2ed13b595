#pragma once

#include <QString>

// What may be typed into a number cell, without any widget: the editor asks about the whole text a
// keystroke or a paste would give.
namespace pelvoro {

struct NumberInputLimits {
    int MaxLength = 255;
    int IntLength = 3;
    int DecLength = 2;
    bool AllowNegative = true;
};

struct NumberInputCheck {
    bool Accepted = false;
    // The text the editor should show: a leading "." gets a "0" before it (after a "-").
    QString Text;
    // How far the caret moves beyond the typed text (1 when a "0" was inserted before it).
    int CaretShift = 0;
};

// Whether `text` (the editor's text with the typed characters in place) is accepted.
NumberInputCheck CheckNumberInput(const QString &text, const NumberInputLimits &limits);

} // namespace pelvoro
