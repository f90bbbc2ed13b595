#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Editor windows sized for a screen of many dots may be larger than the desktop, or placed where
// part of them is off it: they are kept on the available desktop, frame included.
namespace pelvoro {

// The window's frame rectangle made no larger than `desktop` and moved the least distance that puts
// it wholly inside.
QRect KeepOnDesktop(const QRect &frame, const QRect &desktop);

// Applies that to a top-level window on its screen's available area, with the window manager's
// decoration once it is known (before the window is shown there is none).
void KeepWindowOnDesktop(QWidget &window);

} // namespace pelvoro
