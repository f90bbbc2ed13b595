#include "app/window_placement.h"

#include "app/main_window.h"

#include <QScreen>
#include <QWidget>

namespace pelvoro {
namespace {

// How often and how long the start-up placement looks at the frames: a window manager decorates a
// newly mapped window within a few tenths of a second.
constexpr int kFrameCheckMs = 50;
constexpr int kFrameWatchMs = 3000;

QRect ClientFor(const QPoint &frameTopLeft, const QSize &client, const QMargins &frame)
{
    return QRect(frameTopLeft + QPoint(frame.left(), frame.top()), client);
}

} // namespace

StartupGeometry PlaceStartupWindows(const QRect &desktop, const QSize &previewClient, const QMargins &previewFrame,
                                    const QSize &mainClient, const QMargins &mainFrame)
{
    StartupGeometry placed;
    placed.preview = ClientFor(desktop.topLeft(), previewClient, previewFrame);
    const QRect previewOuter = placed.preview.marginsAdded(previewFrame);
    const QSize mainOuter = QRect(QPoint(), mainClient).marginsAdded(mainFrame).size();
    placed.main = ClientFor(MainWindowPosition(desktop, previewOuter, mainOuter), mainClient, mainFrame);
    return placed;
}

QMargins FrameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

StartupPlacer::StartupPlacer(QWidget &preview, QWidget &main, QObject *parent)
    : QObject(parent), preview_(preview), main_(main), ticksLeft_(kFrameWatchMs / kFrameCheckMs)
{
    timer_.setInterval(kFrameCheckMs);
    connect(&timer_, &QTimer::timeout, this, &StartupPlacer::Place);
    Place();
    timer_.start();
}

void StartupPlacer::Place()
{
    if (--ticksLeft_ < 0) {
        timer_.stop();
        return;
    }
    const QMargins previewFrame = FrameMargins(preview_);
    const QMargins mainFrame = FrameMargins(main_);
    if (placed_ && previewFrame == previewFrame_ && mainFrame == mainFrame_)
        return;
    placed_ = true;
    previewFrame_ = previewFrame;
    mainFrame_ = mainFrame;
    const QRect desktop = preview_.screen()->availableGeometry();
    const StartupGeometry at =
        PlaceStartupWindows(desktop, preview_.size(), previewFrame, main_.size(), mainFrame);
    // Client geometry: the frame the window manager adds goes around it.
    preview_.setGeometry(at.preview);
    main_.setGeometry(at.main);
}

} // namespace pelvoro
