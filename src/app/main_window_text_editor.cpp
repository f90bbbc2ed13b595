// "文本": the rich-text page editor, and its text becoming main-area pages when it closes.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/window_conversion_observer.h"
#include "base/prompt.h"
#include "pages/rich_layout.h"
#include "pages/text_editor_pages.h"
#include "pages/ui/preview_window.h"
#include "pages/ui/text_editor_window.h"

#include <QApplication>
#include <QProgressBar>
#include <QToolButton>
#include <QTreeWidget>

namespace pelvoro {

TFrmTablet *Tfrmmain::OpenTextEditor()
{
    auto *editor = new TFrmTablet(prompt_, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setWindowModality(Qt::ApplicationModal);
    const int screen = table_.CurrentScreen;
    editor->SizeForScreen(table_[screen], screen);
    editor->SetSelectedNode([this] {
        const QTreeWidgetItem *item = tree_->currentItem();
        return item ? item->text(0) : QString();
    });
    editor->SetConvert([this](const RichDocument &document) { ConvertEditorText(document); });
    editor->show();
    return editor;
}

void Tfrmmain::ConvertEditorText(const RichDocument &document)
{
    const int screen = table_.CurrentScreen;
    WindowConversionObserver observer(*this, *screenPanel_->ProgressBar(), prompt_);
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const AddDocumentsResult added = ConvertEditorDocument(table_, screen, document, *layout_, observer);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    screenPanel_->ProgressBar()->hide();

    mainPanel_->RefreshPageList(screen);
    Q_EMIT mainPanel_->PagesChanged(screen);
    if (mainPanel_->PageCount() > 0)
        mainPanel_->SelectPage(mainPanel_->PageCount());
    if (added.limitReached)
        mainPanel_->AddButton()->setEnabled(false);
}

} // namespace pelvoro
