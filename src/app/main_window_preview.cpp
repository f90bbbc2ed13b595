// How the main window drives the preview window.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/title_panel.h"
#include "base/app_dir.h"
#include "base/prompt.h"
#include "pages/clock_text.h"
#include "pages/data_files.h"
#include "pages/page_store.h"
#include "pages/subtitle_store.h"
#include "pages/ui/preview_window.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>

namespace pelvoro {

void Tfrmmain::SetPreview(TFrmdisplay *preview)
{
    preview_ = preview;
    preview->SetMainPageSource([this](int screen) { return ReadPage(table_, screen, 1).image; });
    preview->SetTitlePageSource([this](int screen) { return ReadSubtitlePage(table_, screen, 1).image; });
    connect(titlePanel_, &TitlePanel::SubtitleChanged, this, &Tfrmmain::PreviewRedrawRequested);
    connect(titlePanel_, &TitlePanel::SubtitlePageShown, preview, [this](int screen, int, const QImage &image) {
        if (screen == preview_->ShownScreen() && !image.isNull())
            preview_->ImgTitle()->setPixmap(QPixmap::fromImage(image));
    });
    connect(mainPanel_, &MainAreaPanel::PageShown, preview, [this](int screen, int, const QImage &image) {
        if (screen == preview_->ShownScreen() && !effectRunning_)
            preview_->ShowPage(image);
    });
    connect(mainPanel_, &MainAreaPanel::PagesChanged, this, &Tfrmmain::PreviewRedrawRequested);
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
        connect(action, &QAction::triggered, preview,
                [this, decoration = decoration] { preview_->Decorate(decoration); });
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
    const int current = mainPanel_->ListedScreen() == screen ? mainPanel_->CurrentPage() : 0;
    const bool fileExists = QFile::exists(AppFile(PageFileName(screen)));
    if (!fileExists
        || prompt_.Ask(QStringLiteral("是否保存对信息的修改？"), QStringLiteral("保存信息"),
                       int(PromptButton::Yes) | int(PromptButton::No), PromptIcon::Question)
               != PromptButton::Yes) {
        // Discard the edit: the page is read again from the file.
        preview_->ClearModified();
        if (current > 0)
            mainPanel_->SelectPage(current);
        else
            preview_->RedrawPreview(screen);
        return;
    }
    const PageResult saved = SavePageImage(table_, screen, current, page);
    if (saved.IsError())
        prompt_.Message(saved.message, QStringLiteral("提示"), PromptIcon::Error);
}

} // namespace pelvoro
