#include "pages/ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pelvoro {

QRect KeepOnDesktop(const QRect &frame, const QRect &desktop)
{
    QRect kept(frame.topLeft(), frame.size().boundedTo(desktop.size()));
    kept.moveLeft(std::clamp(kept.left(), desktop.left(), desktop.right() + 1 - kept.width()));
    kept.moveTop(std::clamp(kept.top(), desktop.top(), desktop.bottom() + 1 - kept.height()));
    return kept;
}

void KeepWindowOnDesktop(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const QMargins decoration(client.left() - frame.left(), client.top() - frame.top(),
                              frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect kept = KeepOnDesktop(frame, screen->availableGeometry());
    if (kept.size() != frame.size())
        window.resize(kept.size().shrunkBy(decoration));
    window.move(kept.topLeft()); // a top-level window's position is its frame's
}

} // namespace pelvoro
