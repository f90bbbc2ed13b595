// "文本": the rich-text page editor, and its text becoming main-area pages when it closes.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "base/prompt.h"
#include "pages/rich_layout.h"
#include "pages/text_editor_pages.h"
#include "pages/ui/preview_window.h"
#include "pages/ui/text_editor_window.h"

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
    ConvertOntoScreen(screen, [&](ConversionObserver &observer) {
        return ConvertEditorDocument(table_, screen, document, *layout_, observer);
    });
}

} // namespace pelvoro
