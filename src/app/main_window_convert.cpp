// "添加数据页": documents become main-area pages of the current screen.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/window_conversion_observer.h"
#include "base/app_dir.h"
#include "base/prompt.h"
#include "pages/document_kind.h"
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
    const int screen = table_.CurrentScreen;

    const auto convert = [this, screen](const QStringList &paths) {
        return ConvertOntoScreen(screen, [&](ConversionObserver &observer) {
            return AddDocuments(table_, screen, paths, *layout_, observer);
        });
    };
    // Each file is converted as what its content is, whichever filter was chosen. The Word documents
    // before the first file the command will stop at are made rich text first.
    QStringList words;
    for (const QString &file : files) {
        const DocumentKindResult kind = DocumentKindOf(file);
        if (!kind.kind)
            break;
        if (*kind.kind == DocumentKind::Word)
            words << file;
    }
    if (words.isEmpty()) {
        convert(files);
        return;
    }

    // The office suite takes seconds for each Word document: it runs beside the window's event loop,
    // one document after another, while the controls that could change the page list wait.
    struct WordBatch {
        QStringList files;                     // all chosen files
        QStringList words;                     // the Word documents among them, in order
        std::vector<WordConversion> converted; // each keeps its rich-text file until the batch ends
    };
    auto batch = std::make_shared<WordBatch>();
    batch->files = files;
    batch->words = words;
    auto *converter = new WordConverter(this);
    const std::vector<QWidget *> locked = {menuBar(), toolbar_, treePanel_, mainPanel_};
    for (QWidget *widget : locked)
        widget->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto startNext = [this, batch, converter] {
        const QString path = batch->words[qsizetype(batch->converted.size())];
        ShowCommStatus(QStringLiteral("状态：正在转换 ") + QFileInfo(path).fileName() + QStringLiteral("…"));
        converter->Start(path);
    };
    connect(converter, &WordConverter::Finished, this,
            [this, batch, converter, locked, startNext, convert](const WordConversion &result) {
                if (result.outcome == WordConversion::Outcome::Converted) {
                    batch->converted.push_back(result);
                    if (batch->converted.size() < size_t(batch->words.size())) {
                        startNext();
                        return;
                    }
                }
                QApplication::restoreOverrideCursor();
                ShowCommStatus(QString());
                for (QWidget *widget : locked)
                    widget->setEnabled(true);
                converter->deleteLater();
                // The files before a Word document that failed still become pages, each Word
                // document as its rich text; then the message says which one stopped the command.
                QStringList paths;
                qsizetype word = 0;
                for (const QString &file : batch->files) {
                    if (word < batch->words.size() && file == batch->words[word]) {
                        if (size_t(word) >= batch->converted.size())
                            break;
                        paths << batch->converted[size_t(word++)].rtfPath;
                    } else {
                        paths << file;
                    }
                }
                AddDocumentsResult added;
                if (!paths.isEmpty())
                    added = convert(paths);
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
