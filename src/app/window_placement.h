#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

class QWidget;

namespace pelvoro {

// Where the start-up windows go, by their frames: the preview's frame at the desktop's top-left
// corner, the main window's frame beside it (MainWindowPosition). Both results are client areas
// (QWidget::geometry), so that the title bars the window manager adds stay on the desktop.
struct StartupGeometry {
    QRect preview;
    QRect main;
};
StartupGeometry PlaceStartupWindows(const QRect &desktop, const QSize &previewClient, const QMargins &previewFrame,
                                    const QSize &mainClient, const QMargins &mainFrame);

// The frame a window manager drew around `window`, as margins around its client area; none before
// it decorated the window, or without a window manager.
QMargins FrameMargins(const QWidget &window);

// Places the preview and the main window once they are shown, and again whenever the window
// manager's frames turn out other than those last placed by: a window is decorated only after it
// was mapped, so the first placement cannot know its title bar. Watches for a short while only;
// later the operator's own moves are left alone.
class StartupPlacer : public QObject {
    Q_OBJECT
public:
    StartupPlacer(QWidget &preview, QWidget &main, QObject *parent = nullptr);

private:
    void Place();

    QWidget &preview_;
    QWidget &main_;
    QMargins previewFrame_;
    QMargins mainFrame_;
    bool placed_ = false;
    int ticksLeft_;
    QTimer timer_;
};

} // namespace pelvoro
