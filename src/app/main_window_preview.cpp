// How the main window drives the preview window.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "base/prompt.h"
#include "pages/clock_text.h"
#include "pages/ui/preview_window.h"

#include <QDateTime>

namespace pelvoro {

void Tfrmmain::SetPreview(TFrmdisplay *preview)
{
    preview_ = preview;
    connect(this, &Tfrmmain::PreviewRedrawRequested, preview, [this](int screen) {
        preview_->RedrawPreview(screen);
        ShowClockText();
    });
    connect(this, &Tfrmmain::ClockTick, this, &Tfrmmain::ShowClockText);
    connect(preview, &TFrmdisplay::PointerStatus, this, &Tfrmmain::ShowCommStatus);
    connect(preview, &TFrmdisplay::SaveRequested, this, &Tfrmmain::SaveShownPage);
    const std::pair<const char16_t *, TFrmdisplay::Decoration> decorations[] = {
        {u"修饰/空心", TFrmdisplay::Decoration::Hollow},
        {u"修饰/轮廓", TFrmdisplay::Decoration::Outline},
        {u"修饰/阴影", TFrmdisplay::Decoration::Shadow},
    };
    for (const auto &[name, decoration] : decorations) {
        QAction *action = commands_.value(QString::fromUtf16(name));
        action->disconnect(this);
        connect(action, &QAction::triggered, preview, [this, decoration = decoration] { preview_->Decorate(decoration); });
    }
    preview_->RedrawPreview(table_.CurrentScreen);
    ShowClockText();
}

void Tfrmmain::ShowClockText()
{
    if (!preview_)
        return;
    const ClockSample sample = ClockText(table_[table_.CurrentScreen], QDateTime::currentDateTime());
    preview_->SetClockText(sample.text, sample.width);
}

void Tfrmmain::SaveShownPage(int screen, const QImage &page)
{
    Q_UNUSED(screen);
    Q_UNUSED(page);
}

} // namespace pelvoro
