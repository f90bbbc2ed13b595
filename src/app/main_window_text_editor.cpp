// "文本": the rich-text page editor, and its text becoming main-area pages when it closes.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
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
namespace {

// The editor's conversion shows itself as the add command's does: progress bar, status text, each
// page in the preview and the messages of a stop.
class EditorConversionObserver : public ConversionObserver {
public:
    EditorConversionObserver(Tfrmmain &window, QProgressBar &bar, Prompt &prompt)
        : window_(window), bar_(bar), prompt_(prompt)
    {
    }
    void ProgressRange(int maximum) override
    {
        bar_.setRange(0, std::max(maximum, 1));
        bar_.setValue(0);
        bar_.show();
    }
    void Progress(int position) override
    {
        bar_.setValue(position);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void HideProgress() override { bar_.hide(); }
    void Message(const QString &text, bool warning) override
    {
        prompt_.Message(text, QStringLiteral("提示"), warning ? PromptIcon::Warning : PromptIcon::Information);
    }
    void Status(const QString &text) override { window_.ShowCommStatus(text); }
    void PageAppended(int, const QImage &image) override
    {
        if (window_.Preview())
            window_.Preview()->ShowPage(image);
    }

private:
    Tfrmmain &window_;
    QProgressBar &bar_;
    Prompt &prompt_;
};

} // namespace

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
    EditorConversionObserver observer(*this, *screenPanel_->ProgressBar(), prompt_);
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
