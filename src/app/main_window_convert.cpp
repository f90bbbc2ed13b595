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
#include "pages/word_to_rtf.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <vector>

namespace pelvoro {

void Tfrmmain::AddDataPages()
{
    // A shortcut may reach here while Word documents are being converted.
    if (const auto *running = findChild<WordConverter *>(); running && running->IsRunning())
        return;
    FileDialogRequest request;
    request.caption = QStringLiteral("添加数据页");
    request.directory = AppDir();
    request.filters = DocumentFilters();
    const QStringList files = prompt_.OpenFiles(request);
    if (files.isEmpty())
        return;
    const auto kind = static_cast<DocumentKind>(std::clamp(request.filterIndex, 0, 3) + 1);
    const int screen = table_.CurrentScreen;

    const auto convert = [this, screen](DocumentKind documents, const QStringList &paths) {
        return ConvertOntoScreen(screen, [&](ConversionObserver &observer) {
            return AddDocuments(table_, screen, documents, paths, *layout_, observer);
        });
    };
    if (kind != DocumentKind::Word) {
        convert(kind, files);
        return;
    }

    // The office suite takes seconds for each Word document: it runs beside the window's event loop,
    // one document after another, while the controls that could change the page list wait.
    struct WordBatch {
        QStringList files;
        std::vector<WordConversion> converted; // each keeps its rich-text file until the batch ends
    };
    auto batch = std::make_shared<WordBatch>();
    batch->files = files;
    auto *converter = new WordConverter(this);
    const std::vector<QWidget *> locked = {menuBar(), toolbar_, treePanel_, mainPanel_};
    for (QWidget *widget : locked)
        widget->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto startNext = [this, batch, converter] {
        const QString path = batch->files[qsizetype(batch->converted.size())];
        ShowCommStatus(QStringLiteral("状态：正在转换 ") + QFileInfo(path).fileName() + QStringLiteral("…"));
        converter->Start(path);
    };
    connect(converter, &WordConverter::Finished, this,
            [this, batch, converter, locked, startNext, convert](const WordConversion &result) {
                if (result.outcome == WordConversion::Outcome::Converted) {
                    batch->converted.push_back(result);
                    if (batch->converted.size() < size_t(batch->files.size())) {
                        startNext();
                        return;
                    }
                }
                QApplication::restoreOverrideCursor();
                ShowCommStatus(QString());
                for (QWidget *widget : locked)
                    widget->setEnabled(true);
                converter->deleteLater();
                // The documents converted before one that failed still become pages, then the
                // message says which one stopped the command.
                QStringList texts;
                for (const WordConversion &converted : batch->converted)
                    texts << converted.rtfPath;
                AddDocumentsResult added;
                if (!texts.isEmpty())
                    added = convert(DocumentKind::RichText, texts);
                if (result.outcome != WordConversion::Outcome::Converted && !added.stopped) {
                    WindowConversionObserver observer(*this, *screenPanel_->ProgressBar(), prompt_);
                    observer.Message(result.message, false);
                }
            });
    startNext();
}

AddDocumentsResult Tfrmmain::ConvertOntoScreen(int screen,
                                               const std::function<AddDocumentsResult(ConversionObserver &)> &convert)
{
    WindowConversionObserver observer(*this, *screenPanel_->ProgressBar(), prompt_);
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const AddDocumentsResult added = convert(observer);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    screenPanel_->ProgressBar()->hide();

    mainPanel_->RefreshPageList(screen);
    Q_EMIT mainPanel_->PagesChanged(screen);
    if (mainPanel_->PageCount() > 0)
        mainPanel_->SelectPage(mainPanel_->PageCount());
    if (added.limitReached)
        mainPanel_->AddButton()->setEnabled(false);
    return added;
}

} // namespace pelvoro
