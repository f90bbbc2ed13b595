#pragma once

#include "pages/page_conversion.h"

class QProgressBar;

namespace pelvoro {

class Prompt;
class Tfrmmain;

// Shows a running conversion in the main window: the progress bar, the status text, the pages as
// they are made, and its messages. The window keeps painting while the conversion runs.
class WindowConversionObserver : public ConversionObserver {
public:
    WindowConversionObserver(Tfrmmain &window, QProgressBar &bar, Prompt &prompt)
        : window_(window), bar_(bar), prompt_(prompt)
    {
    }
    void ProgressRange(int maximum) override;
    void Progress(int position) override;
    void HideProgress() override;
    void Message(const QString &text, bool warning) override;
    void Status(const QString &text) override;
    void PageAppended(int page, const QImage &image) override;

private:
    Tfrmmain &window_;
    QProgressBar &bar_;
    Prompt &prompt_;
};

} // namespace pelvoro
