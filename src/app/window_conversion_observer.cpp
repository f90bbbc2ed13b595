#include "app/window_conversion_observer.h"

#include "app/main_window.h"
#include "base/prompt.h"
#include "pages/ui/preview_window.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <algorithm>

namespace pelvoro {

void WindowConversionObserver::ProgressRange(int maximum)
{
    bar_.setRange(0, std::max(maximum, 1));
    bar_.setValue(0);
    bar_.show();
    bar_.raise();
}

void WindowConversionObserver::Progress(int position)
{
    bar_.setValue(position);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WindowConversionObserver::HideProgress()
{
    bar_.hide();
}

void WindowConversionObserver::Message(const QString &text, bool warning)
{
    prompt_.Message(text, QStringLiteral("提示"), warning ? PromptIcon::Warning : PromptIcon::Information);
}

void WindowConversionObserver::Status(const QString &text)
{
    window_.ShowCommStatus(text);
    window_.repaint();
}

void WindowConversionObserver::PageAppended(int, const QImage &image)
{
    if (window_.Preview())
        window_.Preview()->ShowPage(image);
}

} // namespace pelvoro
