#pragma once

#include "config/screen_info.h"
#include "pages/document_kind.h"
#include "pages/page_store.h"

#include <QImage>
#include <QString>

#include <functional>

// Documents become main-area pages: rich text laid out line by line, Word documents through rich
// text, bitmaps scaled to the area, tables cut into pages by the table editor's engine. The pages
// are appended to the screen's page file in one write.
namespace pelvoro {

class Prompt;
class RichLayout;

// The add command's dialog filters, in the order of their kinds.
QStringList DocumentFilters();

// What the conversion shows while it runs: the progress bar and the messages of a stop.
struct ConversionObserver {
    virtual ~ConversionObserver() = default;
    virtual void ProgressRange(int maximum) { Q_UNUSED(maximum); }
    virtual void Progress(int position) { Q_UNUSED(position); }
    virtual void HideProgress() {}
    // A message box; `warning` selects the warning icon.
    virtual void Message(const QString &text, bool warning) = 0;
    // Status panel text while a file is converted.
    virtual void Status(const QString &text) { Q_UNUSED(text); }
    // A page was appended (its number in the file and its image).
    virtual void PageAppended(int page, const QImage &image)
    {
        Q_UNUSED(page);
        Q_UNUSED(image);
    }
};

struct ConversionResult {
    PageResult written;        // the page file's write, or why nothing could be appended
    int appended = 0;          // pages appended by this conversion
    bool limitReached = false; // the page store is full: the add command is disabled
    bool stopped = false;      // a message ended the conversion early
    bool refused = false;      // the document cannot be made into pages at all: the add command stops
};

// Converts one document of `kind` (a rich-text file for kinds 1 and 2) into pages of the screen's
// main area with the given attributes. `layout` plays the hidden rich-text control; it keeps the
// document afterwards.
ConversionResult ConvertPages(const ScreenTable &table, int screenIndex, const PageEntry &attributes, DocumentKind kind,
                              const QString &path, RichLayout &layout, ConversionObserver &observer);

// The add command: converts `files` in order, each as the kind its content shows (DocumentKindOf),
// as pages with effect 0, speed 1 and dwell 1 (or the given attributes). A file of no known kind,
// an empty rich-text file, a missing converter for Word documents, a table that cannot be
// paginated, a full page store or a file error stop the remaining files.
struct AddDocumentsResult {
    int filesConverted = 0;
    int pagesAdded = 0;
    bool limitReached = false;
    bool stopped = false; // a message stopped a conversion or the whole command
};
AddDocumentsResult AddDocuments(const ScreenTable &table, int screenIndex, const QStringList &files, RichLayout &layout,
                                ConversionObserver &observer, const PageEntry &attributes = {0, 0, 1, 1});
// The same for files whose kind the caller made itself (the text editor's rich text).
AddDocumentsResult AddDocuments(const ScreenTable &table, int screenIndex, DocumentKind kind, const QStringList &files,
                                RichLayout &layout, ConversionObserver &observer,
                                const PageEntry &attributes = {0, 0, 1, 1});

// A table file's pages on the screen's main area, drawn by the table editor's engine as the
// conversion draws them and reduced to the drawing palette. `onPage` gets each page (1-based) with
// the page count and returns false to stop. Messages of the engine go to `prompt`.
struct TableDrawing {
    enum Status { Drawn, NotLoaded, NoRoom };
    Status status = Drawn;
    QString message; // why the file could not be loaded, or the pagination's refusal
    int pages = 0;
};
TableDrawing DrawTablePages(const ScreenInfo &screen, const QString &path, Prompt &prompt,
                            const std::function<bool(int page, int pages, const QImage &image)> &onPage);

// A bitmap document's page: the image over the whole main area, stretched or shrunk in each
// direction independently, dot for dot without smoothing.
QImage BitmapPage(const QImage &bitmap, int width, int height);

// The width text is wrapped at for a main area `areaWidth` dots wide: the area itself, so that every
// glyph of a line lies on the page (only a glyph wider than the whole area is cut, at its right).
int MainAreaWrapWidth(int areaWidth);

// Line heights of the layout: s × 1.74 × factor / 20 and s × 96 / 72, to the nearest integer.
int SpacingFactor(const struct ParagraphFormat &format);
int LineHeight(int points, int factor);
int GlyphHeight(int points);

// The station's 16-colour drawing palette and the reduction of a drawn page to it.
const QList<QRgb> &DrawingPalette();
void ReduceToPalette(QImage &image);

} // namespace pelvoro
