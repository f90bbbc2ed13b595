// "添加数据页": documents become main-area pages of the current screen.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/window_conversion_observer.h"
#include "base/app_dir.h"
#include "base/prompt.h"
#include "pages/page_conversion.h"
#include "pages/rich_layout.h"
#include "pages/ui/preview_window.h"

#include <QApplication>
#include <QProgressBar>
#include <QToolButton>

namespace pelvoro {

void Tfrmmain::AddDataPages()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("添加数据页");
    request.directory = AppDir();
    request.filters = DocumentFilters();
    const QStringList files = prompt_.OpenFiles(request);
    if (files.isEmpty())
        return;
    const auto kind = static_cast<DocumentKind>(std::clamp(request.filterIndex, 0, 3) + 1);
    const int screen = table_.CurrentScreen;

    WindowConversionObserver observer(*this, *screenPanel_->ProgressBar(), prompt_);
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const AddDocumentsResult added = AddDocuments(table_, screen, kind, files, *layout_, observer);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    screenPanel_->ProgressBar()->hide();

    // The list shows the new pages with the last one selected.
    mainPanel_->RefreshPageList(screen);
    Q_EMIT mainPanel_->PagesChanged(screen);
    if (mainPanel_->PageCount() > 0)
        mainPanel_->SelectPage(mainPanel_->PageCount());
    if (added.limitReached)
        mainPanel_->AddButton()->setEnabled(false);
}

} // namespace pelvoro
