#include "pages/page_conversion.h"

#include "base/input_file_limits.h"
#include "base/prompt.h"
#include "editors/table/table_engine.h"
#include "pages/rich_layout.h"
#include "pages/word_to_rtf.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace pelvoro {
namespace {

constexpr QRgb kPureRed = 0xFFFF0000;
// How much of a paragraph a message quotes to name it.
constexpr int kOpeningCharacters = 12;

// Draws the pages of a text document line by line.
class LineLoop {
public:
    LineLoop(const ScreenInfo &screen, RichLayout &layout, PageAppender &appender, ConversionObserver &observer,
             const PageEntry &attributes, ConversionResult &result)
        : w_(screen.Width), h_(screen.MainHeight), layout_(layout), appender_(appender), observer_(observer),
          attributes_(attributes), result_(result), image_(w_, h_, QImage::Format_RGB32)
    {
        image_.fill(Qt::black);
    }

    void Run();

private:
    // A display line drawn alone on a transparent strip that reaches `margin` dots past the page on
    // every side; `ink` holds its dots, relative to the line's top-left corner on the page.
    struct LineInk {
        QImage image;
        int margin = 0;
        QRect ink;
    };
    LineInk DrawLine(int start, const QByteArray &text, int x, int lineHeight, int glyphHeight) const;
    // Appends the drawn page; returns true when the page store is now full.
    bool AppendPage();
    // Which paragraph holds the line that does not fit, and the size that makes it too tall, so that
    // the operator knows what to change.
    QString TooTallDetail(int line, int points, int lineHeight) const;
    void Stop(const QString &message)
    {
        observer_.Message(message, true);
        result_.stopped = true;
    }

    int w_;
    int h_;
    RichLayout &layout_;
    PageAppender &appender_;
    ConversionObserver &observer_;
    PageEntry attributes_;
    ConversionResult &result_;
    QImage image_;
};

QString LineLoop::TooTallDetail(int line, int points, int lineHeight) const
{
    const int paragraph = layout_.LineParagraph(line);
    const QList<Paragraph> &paragraphs = layout_.Document().paragraphs;
    const QString text = paragraph >= 0 && paragraph < paragraphs.size() ? paragraphs[paragraph].Text() : QString();
    const QString opening = text.size() > kOpeningCharacters ? text.left(kOpeningCharacters) + QStringLiteral("…")
                                                             : text;
    // Joined, not filled in with arg(): the paragraph's own text may hold "%1".
    const QString named = text.isEmpty() ? QStringLiteral("（空行）")
                                         : QStringLiteral("“") + opening + QStringLiteral("”");
    return QStringLiteral("\n第") + QString::number(paragraph + 1) + QStringLiteral("段") + named + QStringLiteral("：")
           + QString::number(points) + QStringLiteral("磅的文字行高") + QString::number(lineHeight)
           + QStringLiteral("点，主区域只有") + QString::number(h_) + QStringLiteral("点高。");
}

bool LineLoop::AppendPage()
{
    ReduceToPalette(image_);
    const bool full = appender_.Append(image_, attributes_);
    if (appender_.Appended() > result_.appended) {
        result_.appended = appender_.Appended();
        observer_.PageAppended(appender_.PageCount(), image_);
    }
    image_.fill(Qt::black);
    if (full)
        result_.limitReached = true;
    return full;
}

LineLoop::LineInk LineLoop::DrawLine(int start, const QByteArray &text, int x, int lineHeight, int glyphHeight) const
{
    // Room for any face: a few times the line on each side of it.
    const int band = std::max({lineHeight, glyphHeight, 1});
    LineInk line;
    line.margin = 2 * band;
    line.image = QImage(w_ + 2 * line.margin, 5 * band, QImage::Format_ARGB32_Premultiplied);
    line.image.fill(Qt::transparent);
    x += line.margin;
    // Runs of one format; black and automatic text is drawn in pure red.
    const int end = start + int(text.size());
    for (int s = start; s < end;) {
        const CharFormat format = layout_.FormatAt(s);
        int runEnd = s;
        while (runEnd < end) {
            const int step = static_cast<unsigned char>(text[runEnd - start]) >= 0x80 ? 2 : 1;
            if (!layout_.IsUniform(s, runEnd + step))
                break;
            runEnd += step;
        }
        const QString runText = layout_.Text(s, runEnd);
        const bool black = format.autoColor || (format.color & 0xFFFFFF) == 0;
        RichLayout::DrawText(&line.image, x, line.margin, runText, format,
                             QColor::fromRgb(black ? kPureRed : format.color));
        x += RichLayout::TextWidth(runText, format);
        s = runEnd;
    }
    const int width = line.image.width();
    int left = width;
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (int row = 0; row < line.image.height(); ++row) {
        const auto *pixels = reinterpret_cast<const QRgb *>(line.image.constScanLine(row));
        const auto lit = [](QRgb pixel) { return qAlpha(pixel) != 0; };
        const auto first = std::find_if(pixels, pixels + width, lit);
        if (first == pixels + width)
            continue;
        const auto last =
            std::find_if(std::make_reverse_iterator(pixels + width), std::make_reverse_iterator(first), lit);
        left = std::min(left, int(first - pixels));
        right = std::max(right, int(last.base() - pixels) - 1);
        if (top < 0)
            top = row;
        bottom = row;
    }
    if (top >= 0)
        line.ink = QRect(QPoint(left, top), QPoint(right, bottom)).translated(-line.margin, -line.margin);
    return line;
}

void LineLoop::Run()
{
    const int n = layout_.LineCount();
    observer_.ProgressRange(n);
    int y = 0;
    int t = 0;
    for (int i = 0; i < n; ++i) {
        observer_.Progress(i + 1);
        // The running position: where the previous line and its paragraph break ended.
        const int s = layout_.LineStart(i);
        const QByteArray text = layout_.LineText(i);
        const int len = int(text.size());
        const ParagraphFormat paragraph = layout_.LineParagraphFormat(i);
        int w = 0;
        if (paragraph.alignment == Alignment::Center || paragraph.alignment == Alignment::Right)
            w = std::min(w_, RichLayout::TextWidth(layout_.LineString(i), layout_.FormatAt(layout_.LineStart(i))));
        const int factor = SpacingFactor(paragraph);
        int l = len == 0 ? LineHeight(layout_.LineMarkFormat(i).PointSize(), factor) : 0;
        if (l > h_) {
            Stop(QStringLiteral("添加文件中有字体高度大于显示主区域高度！")
                 + TooTallDetail(i, layout_.LineMarkFormat(i).PointSize(), l));
            return;
        }
        for (int k = 0; k < len;) {
            const int size = layout_.FormatAt(s + k).PointSize();
            const int height = LineHeight(size, factor);
            if (height > l) {
                l = height;
                t = GlyphHeight(size);
                if (l > h_) {
                    Stop(QStringLiteral("欲添加文件中有字体高度大于显示主区域高度！") + TooTallDetail(i, size, l));
                    return;
                }
            }
            k += static_cast<unsigned char>(text[k]) >= 0x80 ? 2 : 1;
        }
        int x = 0;
        if (paragraph.alignment == Alignment::Center)
            x = (w_ - w) / 2;
        else if (paragraph.alignment == Alignment::Right)
            x = w_ - w;
        if (len > 0) {
            // Drawn alone first, so that the band given to the line holds every dot it lights.
            const LineInk line = DrawLine(s, text, x, l, t);
            // Rows the line needs below its top: its glyph cell, or further down to its lowest dot
            // (descenders and underlines of faces taller than their size).
            const QRect &ink = line.ink;
            const int need = std::max(t, ink.isNull() ? 0 : ink.bottom() + 1);
            if (h_ - y < need && y > 0) {
                if (AppendPage())
                    return;
                y = 0;
            }
            // Taller than a whole page: the line rises by its blank top rows as far as it needs.
            const int lift = need > h_ - y ? std::clamp(need - (h_ - y), 0, std::max(0, ink.top())) : 0;
            // A glyph that leans out of the page (an italic's last, a hook left of its cell) moves
            // in, as far as the blank columns on the other side allow.
            int shift = 0;
            if (!ink.isNull() && ink.right() >= w_)
                shift = -std::min(ink.right() - w_ + 1, std::max(0, ink.left()));
            else if (!ink.isNull() && ink.left() < 0)
                shift = std::min(-ink.left(), std::max(0, w_ - 1 - ink.right()));
            QPainter painter(&image_);
            painter.drawImage(shift - line.margin, y - lift - line.margin, line.image);
            painter.end();
            y += std::max(l, ink.isNull() ? 0 : ink.bottom() + 1 - lift);
        } else {
            y += l;
        }
        if (i == n - 1 && AppendPage())
            return;
        if (appender_.PageCount() >= appender_.Limit()) {
            result_.limitReached = true;
            return;
        }
    }
}

// The table engine's messages (a damaged table file) go to the conversion's message boxes; it asks
// nothing while it loads and draws.
class ObserverPrompt : public Prompt {
public:
    explicit ObserverPrompt(ConversionObserver &observer) : observer_(observer) {}
    void Message(const QString &text, const QString &, PromptIcon icon) override
    {
        observer_.Message(text, icon == PromptIcon::Warning);
    }
    PromptButton Ask(const QString &, const QString &, PromptButtons, PromptIcon) override
    {
        return PromptButton::Cancel;
    }
    QStringList OpenFiles(FileDialogRequest &) override { return {}; }
    QString OpenFile(FileDialogRequest &) override { return {}; }
    QString SaveFile(FileDialogRequest &) override { return {}; }

private:
    ConversionObserver &observer_;
};

ConversionResult Fail(PageResult result)
{
    ConversionResult failed;
    failed.written = std::move(result);
    return failed;
}

} // namespace

QStringList DocumentFilters()
{
    return {QStringLiteral("Rich Text Format(*.rtf)"), QStringLiteral("Word文档(*.doc)"),
            QStringLiteral("Bitmap(*.bmp)"), QStringLiteral("Tavrel Cell(*.bls)")};
}

QImage BitmapPage(const QImage &bitmap, int width, int height)
{
    return bitmap.convertToFormat(QImage::Format_RGB32)
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

int MainAreaWrapWidth(int areaWidth)
{
    return std::max(1, areaWidth);
}

int SpacingFactor(const ParagraphFormat &format)
{
    switch (format.spacingRule) {
    case LineSpacingRule::Single:
        return 15;
    case LineSpacingRule::OneAndHalf:
        return 30;
    case LineSpacingRule::Double:
        return 30;
    case LineSpacingRule::AtLeast:
        return 40;
    // Not one of the control's four rules: exact spacing lays out like single spacing; a multiple
    // below one and a half lines (word processors write 1.08 and 1.15) like single spacing, from one
    // and a half lines on like one-and-a-half and double spacing.
    case LineSpacingRule::Exactly:
        return 15;
    case LineSpacingRule::Multiple:
        return format.spacingValue < 30 ? 15 : 30;
    }
    return 15;
}

int LineHeight(int points, int factor)
{
    // In extended precision and rounded half to even, as the layout has always computed it.
    const long double height = static_cast<long double>(points) * 1.74L * factor / 20.0L;
    return static_cast<int>(std::nearbyint(height));
}

int GlyphHeight(int points)
{
    return static_cast<int>(std::nearbyint(static_cast<long double>(points) * 96.0L / 72.0L));
}

const QList<QRgb> &DrawingPalette()
{
    static const QList<QRgb> palette = {
        0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
        0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
    };
    return palette;
}

void ReduceToPalette(QImage &image)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    const QList<QRgb> &palette = DrawingPalette();
    const auto nearest = [&palette](QRgb in) {
        int best = 0;
        int bestDistance = INT_MAX;
        for (QRgb candidate : palette) {
            const int dr = qRed(in) - qRed(candidate);
            const int dg = qGreen(in) - qGreen(candidate);
            const int db = qBlue(in) - qBlue(candidate);
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = int(candidate);
            }
        }
        return QRgb(best);
    };
    // A drawn page has few colours, alternating along text: the answers are kept in a small table.
    constexpr int kCacheBits = 6;
    std::array<QRgb, 1 << kCacheBits> cacheIn;
    std::array<QRgb, 1 << kCacheBits> cacheOut;
    cacheIn.fill(0); // never a colour asked for: every input has its alpha set
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb in = line[x] | 0xFF000000;
            const size_t slot = (in * 2654435761u) >> (32 - kCacheBits);
            if (cacheIn[slot] != in) {
                cacheIn[slot] = in;
                cacheOut[slot] = nearest(in);
            }
            line[x] = cacheOut[slot];
        }
    }
}

TableDrawing DrawTablePages(const ScreenInfo &screen, const QString &path, Prompt &prompt,
                            const std::function<bool(int, int, const QImage &)> &onPage)
{
    // The table editor's engine, set to the whole area: one page per table page.
    const int w = screen.Width;
    const int h = screen.MainHeight;
    TableEngine engine(prompt);
    engine.SetPageArea(w, h, {0, 0, w, h}, screen.ColorMode + 1);
    const TableFileResult loaded = engine.LoadTable(path);
    if (!loaded.Ok())
        return {TableDrawing::NotLoaded, loaded.message};
    TableDrawing drawn;
    try {
        drawn.pages = engine.TablePageCount();
    } catch (const ETablePageError &error) {
        return {TableDrawing::NoRoom, error.Message()};
    }
    QImage image(w, h, QImage::Format_RGB32);
    for (int p = 1; p <= drawn.pages; ++p) {
        image.fill(Qt::black);
        QPainter painter(&image);
        engine.DrawTablePage(painter, QRect(0, 0, w, h), p);
        painter.end();
        ReduceToPalette(image);
        if (!onPage(p, drawn.pages, image))
            break;
    }
    return drawn;
}

ConversionResult ConvertPages(const ScreenTable &table, int screenIndex, const PageEntry &attributes, DocumentKind kind,
                              const QString &path, RichLayout &layout, ConversionObserver &observer)
{
    const ScreenInfo &screen = table[screenIndex];
    PageAppender appender(table, screenIndex);
    if (!appender.OpenResult().Ok()) {
        RemoveEmptyDamagedPageFile(appender.OpenResult(), screenIndex);
        return Fail(appender.OpenResult());
    }
    ConversionResult result;
    observer.ProgressRange(100);
    observer.Progress(0);
    switch (kind) {
    case DocumentKind::RichText:
    case DocumentKind::Word: {
        layout.SetWrapWidth(MainAreaWrapWidth(screen.Width));
        if (!layout.LoadFile(path))
            return Fail({PageStatus::IoError, QStringLiteral("读写文件出错：") + path});
        LineLoop(screen, layout, appender, observer, attributes, result).Run();
        break;
    }
    case DocumentKind::Bitmap: {
        QImage bitmap(path);
        if (bitmap.isNull()) {
            observer.HideProgress();
            return Fail({PageStatus::IoError, QStringLiteral("无法读取图片文件：") + path});
        }
        const QImage page = BitmapPage(bitmap, screen.Width, screen.MainHeight);
        appender.Append(page, attributes);
        result.appended = appender.Appended();
        if (result.appended > 0)
            observer.PageAppended(appender.PageCount(), page);
        result.limitReached = appender.PageCount() >= appender.Limit();
        break;
    }
    case DocumentKind::Table: {
        ObserverPrompt prompt(observer);
        const TableDrawing drawn = DrawTablePages(screen, path, prompt, [&](int page, int pages, const QImage &image) {
            if (page == 1)
                observer.ProgressRange(pages);
            observer.Progress(page);
            const bool full = appender.Append(image, attributes);
            if (appender.Appended() > result.appended) {
                result.appended = appender.Appended();
                observer.PageAppended(appender.PageCount(), image);
            }
            result.limitReached = full;
            return !full;
        });
        if (drawn.status == TableDrawing::NotLoaded) {
            observer.HideProgress();
            return Fail({PageStatus::IoError, drawn.message});
        }
        if (drawn.status == TableDrawing::NoRoom) {
            observer.Message(drawn.message, false);
            result.stopped = true;
            result.refused = true;
        }
        break;
    }
    }
    if (result.limitReached)
        observer.Message(appender.LimitMessage(), false);
    observer.HideProgress();
    result.written = appender.Finish();
    return result;
}

} // namespace pelvoro

namespace pelvoro {

namespace {

// `known`: the kind of every file, or nothing to tell each one's kind by its content.
AddDocumentsResult AddFiles(const ScreenTable &table, int screenIndex, std::optional<DocumentKind> known,
                            const QStringList &files, RichLayout &layout, ConversionObserver &observer,
                            const PageEntry &attributes)
{
    AddDocumentsResult added;
    for (int i = 0; i < files.size(); ++i) {
        QString path = files[i];
        WordConversion word; // keeps a converted document's temporary file while it is converted
        if (const QString refusal = DocumentFileRefusal(path); !refusal.isEmpty()) {
            observer.Message(refusal, false);
            added.stopped = true;
            return added;
        }
        const DocumentKindResult detected = known ? DocumentKindResult{known, {}} : DocumentKindOf(path);
        if (!detected.kind) {
            observer.Message(detected.message, false);
            added.stopped = true;
            return added;
        }
        const DocumentKind kind = *detected.kind;
        if (kind == DocumentKind::RichText) {
            layout.SetWrapWidth(MainAreaWrapWidth(table[screenIndex].Width));
            if (!layout.LoadFile(path)) {
                observer.Message(QStringLiteral("读写文件出错：") + path, false);
                added.stopped = true;
                return added;
            }
            if (layout.LineCount() == 0) {
                observer.Message(QStringLiteral("选择的第") + QString::number(i + 1)
                                     + QStringLiteral("个文件内容为空,结束转换!"),
                                 true);
                added.stopped = true;
                return added;
            }
        } else if (kind == DocumentKind::Word) {
            word = WordToRtf(path);
            if (word.outcome != WordConversion::Outcome::Converted) {
                observer.Message(word.message, false);
                added.stopped = true;
                return added;
            }
            path = word.rtfPath;
        }
        observer.Status(QStringLiteral("状态:正在转换") + QString::number(screenIndex + 1)
                        + QStringLiteral("号显示屏数据..."));
        const ConversionResult converted = ConvertPages(table, screenIndex, attributes, kind, path, layout, observer);
        observer.Status(QString());
        added.pagesAdded += converted.appended;
        added.stopped |= converted.stopped;
        if (converted.written.IsError()) {
            observer.Message(converted.written.message, false);
            added.stopped = true;
            return added;
        }
        if (converted.refused)
            return added;
        ++added.filesConverted;
        if (converted.limitReached) {
            added.limitReached = true;
            added.stopped |= i + 1 < files.size();
            return added;
        }
    }
    return added;
}

} // namespace

AddDocumentsResult AddDocuments(const ScreenTable &table, int screenIndex, const QStringList &files, RichLayout &layout,
                                ConversionObserver &observer, const PageEntry &attributes)
{
    return AddFiles(table, screenIndex, std::nullopt, files, layout, observer, attributes);
}

AddDocumentsResult AddDocuments(const ScreenTable &table, int screenIndex, DocumentKind kind, const QStringList &files,
                                RichLayout &layout, ConversionObserver &observer, const PageEntry &attributes)
{
    return AddFiles(table, screenIndex, kind, files, layout, observer, attributes);
}

} // namespace pelvoro
