#include "pages/rich_layout.h"

#include "base/gbk.h"
#include "pages/font_substitution.h"
#include "pages/line_wrap.h"
#include "pages/rtf_reader.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace pelvoro {
namespace {

// Characters the text engine would treat as breaks or tab stops are laid out as spaces: breaks are
// the document's business, and a tab measures as one space when runs are measured alone too.
QString ForLayout(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x2028 || u == 0x2029)
            c = u' ';
    }
    return out;
}

QFont DrawingFont(const QString &family, const CharFormat &format)
{
    QFont font;
    font.setFamilies({family});
    font.setPixelSize(RichLayout::PixelSize(format.PointSize()));
    font.setBold(format.bold);
    font.setItalic(format.italic);
    font.setUnderline(format.underline);
    font.setStrikeOut(format.strike);
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A run's text cut where its face lacks characters: those pieces are drawn in the 宋体 face, each
// piece from the top of the line as a run of that face would be, so that Chinese text comes out the
// same whatever Western face the document gave it.
struct Piece {
    QString text;
    QFont font;
};

std::vector<Piece> Pieces(const QString &text, const CharFormat &format)
{
    const QFont own = RichLayout::FontFor(format);
    std::vector<Piece> pieces;
    const QString linkedFace = LinkedFace();
    if (own.families().value(0) == linkedFace || text.isEmpty()) {
        pieces.push_back({text, own});
        return pieces;
    }
    // The faces themselves, without the font matcher's fallbacks.
    const QRawFont ownFace = QRawFont::fromFont(own);
    const QFont linked = DrawingFont(linkedFace, format);
    const QRawFont linkedFont = QRawFont::fromFont(linked);
    bool linkedPiece = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size();) {
        char32_t code = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        // Breaks and tabs are laid out as spaces, which every face has.
        const bool lacking = code >= 0x20 && !ownFace.supportsCharacter(code) && linkedFont.supportsCharacter(code);
        if (i > 0 && lacking != linkedPiece) {
            pieces.push_back({text.mid(start, i - start), linkedPiece ? linked : own});
            start = i;
        }
        linkedPiece = lacking;
        i += width;
    }
    pieces.push_back({text.mid(start), linkedPiece ? linked : own});
    return pieces;
}

// The sans-serif face's outlines lose thin strokes when they are hinted and drawn without
// smoothing at LED sizes (measured with tools/glyph_strokes: two characters in five at 12 pixels,
// none this way). Its text is drawn with coverage instead and every pixel at least a quarter
// covered lights. The other faces keep their hand-tuned bitmap strikes.
constexpr int kCoverageLit = 64;

bool DrawnWithCoverage(const QFont &font)
{
    static const QString hei = DrawingFace(QStringLiteral("黑体"), kGb2312Charset, FontFamily::Nil);
    return font.families().value(0) == hei;
}

// Draws `text` character by character at the hinted advances the layout measured, so that lines
// keep their widths, and lights the pixels whose coverage reaches kCoverageLit.
void DrawWithCoverage(QPainter &painter, int x, int y, const QString &text, const QFont &font, const QColor &color)
{
    const QFontMetrics metrics(font);
    QFont smooth = font;
    smooth.setStyleStrategy(QFont::PreferAntialias);
    smooth.setHintingPreference(QFont::PreferNoHinting);
    const int pad = metrics.height();
    QImage mask(metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + 2 * pad, QImage::Format_Alpha8);
    mask.fill(0);
    QPainter maskPainter(&mask);
    maskPainter.setRenderHint(QPainter::TextAntialiasing, true);
    maskPainter.setFont(smooth);
    maskPainter.setPen(Qt::black);
    int cursor = pad;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, width);
        maskPainter.drawText(QPoint(cursor, pad + metrics.ascent()), character);
        cursor += metrics.horizontalAdvance(character);
        i += width;
    }
    maskPainter.end();
    QImage lit(mask.size(), QImage::Format_ARGB32_Premultiplied);
    lit.fill(Qt::transparent);
    const QRgb ink = color.rgba();
    for (int row = 0; row < mask.height(); ++row) {
        const uchar *coverage = mask.constScanLine(row);
        auto *out = reinterpret_cast<QRgb *>(lit.scanLine(row));
        for (int col = 0; col < mask.width(); ++col) {
            if (coverage[col] >= kCoverageLit)
                out[col] = ink;
        }
    }
    painter.drawImage(x - pad, y - pad, lit);
}

} // namespace

RichLayout::RichLayout(int wrapWidth) : wrapWidth_(wrapWidth) {}

void RichLayout::SetWrapWidth(int pixels)
{
    if (pixels == wrapWidth_)
        return;
    wrapWidth_ = pixels;
    Relayout();
}

void RichLayout::SetDocument(RichDocument document)
{
    document_ = std::move(document);
    Relayout();
}

void RichLayout::LoadRichText(QByteArrayView bytes)
{
    SetDocument(ReadRichText(bytes));
}

bool RichLayout::LoadFile(const QString &path)
{
    std::optional<RichDocument> document = ReadRichTextFile(path);
    if (!document)
        return false;
    SetDocument(std::move(*document));
    return true;
}

void RichLayout::Clear()
{
    SetDocument(RichDocument{});
}

void RichLayout::Encode(ParagraphLayout *layout, const QString &text)
{
    layout->text = text;
    layout->unitPos.assign(size_t(text.size()) + 1, 0);
    QByteArray &bytes = layout->bytes;
    bytes.clear();
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        layout->unitPos[size_t(i)] = int(bytes.size());
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            bytes.append(char(c.unicode()));
            ++i;
            continue;
        }
        qsizetype width = 1;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            width = 2;
            layout->unitPos[size_t(i + 1)] = int(bytes.size());
        }
        auto cached = gbkCache_.constFind(code);
        if (cached == gbkCache_.constEnd()) {
            QByteArray encoded = ToGbk(text.mid(i, width));
            // Only a real double-byte pair or a plain ASCII byte keeps bytes and positions in step.
            const bool pair = encoded.size() == 2 && static_cast<unsigned char>(encoded[0]) >= 0x81;
            const bool ascii = encoded.size() == 1 && static_cast<unsigned char>(encoded[0]) < 0x80;
            if (!pair && !ascii)
                encoded = QByteArray(1, '?');
            cached = gbkCache_.insert(code, encoded);
        }
        bytes.append(cached.value());
        i += width;
    }
    layout->unitPos[size_t(text.size())] = int(bytes.size());
}

void RichLayout::Relayout()
{
    paragraphs_.clear();
    lines_.clear();
    paragraphs_.resize(size_t(document_.paragraphs.size()));
    int position = 0;
    for (qsizetype p = 0; p < document_.paragraphs.size(); ++p) {
        const Paragraph &paragraph = document_.paragraphs[p];
        ParagraphLayout &layout = paragraphs_[size_t(p)];
        layout.start = position;
        QString text;
        QList<QTextLayout::FormatRange> ranges;
        for (const TextRun &run : paragraph.runs) {
            layout.runStart.push_back(int(text.size()));
            for (const Piece &piece : Pieces(run.text, run.format)) {
                QTextLayout::FormatRange range;
                range.start = int(text.size());
                range.length = int(piece.text.size());
                range.format.setFont(piece.font);
                ranges.append(range);
                text += piece.text;
            }
        }
        Encode(&layout, text);
        position += int(layout.bytes.size()) + 2;

        if (text.isEmpty()) {
            lines_.push_back(Line{int(p), 0, 0});
            continue;
        }
        if (wrapWidth_ <= 0) {
            lines_.push_back(Line{int(p), 0, int(text.size())});
            continue;
        }
        for (const WrappedLine &line : WrapParagraph(ForLayout(text), ranges, FontFor(paragraph.markFormat), wrapWidth_))
            lines_.push_back(Line{int(p), line.first, line.count});
    }
    positionCount_ = position;
    if (!lines_.empty() && lines_.back().unitCount == 0)
        lines_.pop_back();
}

const RichLayout::Line *RichLayout::LineAt(int line) const
{
    return line >= 0 && size_t(line) < lines_.size() ? &lines_[size_t(line)] : nullptr;
}

QByteArray RichLayout::LineText(int line) const
{
    const Line *l = LineAt(line);
    if (!l)
        return {};
    const ParagraphLayout &p = paragraphs_[size_t(l->paragraph)];
    const int from = p.unitPos[size_t(l->firstUnit)];
    const int to = p.unitPos[size_t(l->firstUnit + l->unitCount)];
    return p.bytes.mid(from, to - from);
}

QString RichLayout::LineString(int line) const
{
    const Line *l = LineAt(line);
    if (!l)
        return {};
    return paragraphs_[size_t(l->paragraph)].text.mid(l->firstUnit, l->unitCount);
}

int RichLayout::LineStart(int line) const
{
    const Line *l = LineAt(line);
    if (!l)
        return 0;
    const ParagraphLayout &p = paragraphs_[size_t(l->paragraph)];
    return p.start + p.unitPos[size_t(l->firstUnit)];
}

int RichLayout::LineLength(int line) const
{
    const Line *l = LineAt(line);
    if (!l)
        return 0;
    const ParagraphLayout &p = paragraphs_[size_t(l->paragraph)];
    return p.unitPos[size_t(l->firstUnit + l->unitCount)] - p.unitPos[size_t(l->firstUnit)];
}

int RichLayout::LineParagraph(int line) const
{
    const Line *l = LineAt(line);
    return l ? l->paragraph : -1;
}

ParagraphFormat RichLayout::LineParagraphFormat(int line) const
{
    const Line *l = LineAt(line);
    return l ? document_.paragraphs[l->paragraph].format : ParagraphFormat{};
}

CharFormat RichLayout::LineMarkFormat(int line) const
{
    const Line *l = LineAt(line);
    return l ? document_.paragraphs[l->paragraph].markFormat : CharFormat{};
}

int RichLayout::ParagraphAt(int position) const
{
    if (position < 0 || position >= positionCount_)
        return -1;
    const auto after = std::upper_bound(paragraphs_.begin(), paragraphs_.end(), position,
                                        [](int pos, const ParagraphLayout &p) { return pos < p.start; });
    return int(after - paragraphs_.begin()) - 1;
}

RichLayout::Segment RichLayout::SegmentAt(int position) const
{
    const int index = ParagraphAt(position);
    if (index < 0)
        return {};
    const ParagraphLayout &p = paragraphs_[size_t(index)];
    const Paragraph &paragraph = document_.paragraphs[index];
    const int offset = position - p.start;
    const int length = int(p.bytes.size());
    if (offset >= length)
        return {&paragraph.markFormat, p.start + length + 2};
    // The UTF-16 unit holding this position, then the run holding that unit.
    const auto unitAfter = std::upper_bound(p.unitPos.begin(), p.unitPos.end(), offset);
    const int unit = int(unitAfter - p.unitPos.begin()) - 1;
    const auto runAfter = std::upper_bound(p.runStart.begin(), p.runStart.end(), unit);
    const int run = int(runAfter - p.runStart.begin()) - 1;
    const int runEndUnit = size_t(run + 1) < p.runStart.size() ? p.runStart[size_t(run + 1)] : int(p.text.size());
    return {&paragraph.runs[run].format, p.start + p.unitPos[size_t(runEndUnit)]};
}

bool RichLayout::IsParagraphBreak(int position) const
{
    const int index = ParagraphAt(position);
    if (index < 0)
        return false;
    const ParagraphLayout &p = paragraphs_[size_t(index)];
    return position - p.start >= int(p.bytes.size());
}

CharFormat RichLayout::FormatAt(int position) const
{
    const Segment segment = SegmentAt(position);
    return segment.format ? *segment.format : CharFormat{};
}

bool RichLayout::IsUniform(int from, int to) const
{
    from = std::max(from, 0);
    to = std::min(to, positionCount_);
    if (from >= to)
        return true;
    const Segment first = SegmentAt(from);
    for (int position = first.end; position < to;) {
        const Segment next = SegmentAt(position);
        if (!next.format || !SameRunFormat(*first.format, *next.format))
            return false;
        position = next.end;
    }
    return true;
}

QString RichLayout::Text(int from, int to) const
{
    from = std::max(from, 0);
    to = std::min(to, positionCount_);
    QString text;
    int index = ParagraphAt(from);
    if (index < 0)
        return text;
    for (; size_t(index) < paragraphs_.size(); ++index) {
        const ParagraphLayout &p = paragraphs_[size_t(index)];
        if (p.start >= to)
            break;
        // Units from the first one at or after `from`; the last entry of unitPos is the text's end.
        const auto first = std::lower_bound(p.unitPos.begin(), p.unitPos.end() - 1, from - p.start);
        for (auto unit = first; unit != p.unitPos.end() - 1 && p.start + *unit < to; ++unit)
            text += p.text[unit - p.unitPos.begin()];
        const int breakAt = p.start + int(p.bytes.size());
        if (breakAt >= from && breakAt < to)
            text += u'\r';
        if (breakAt + 1 >= from && breakAt + 1 < to)
            text += u'\n';
    }
    return text;
}

int RichLayout::PixelSize(int points)
{
    return std::max(1, int(std::lround(points * 96.0 / 72.0)));
}

QFont RichLayout::FontFor(const CharFormat &format)
{
    return DrawingFont(DrawingFace(format.face, format.charset, format.family), format);
}

int RichLayout::TextWidth(const QString &text, const CharFormat &format)
{
    int width = 0;
    for (const Piece &piece : Pieces(text, format))
        width += QFontMetrics(piece.font).horizontalAdvance(ForLayout(piece.text));
    return width;
}

void RichLayout::DrawRun(QPainter &painter, int x, int y, const QString &text, const QFont &font, const QColor &color)
{
    if (DrawnWithCoverage(font)) {
        DrawWithCoverage(painter, x, y, text, font, color);
        return;
    }
    painter.setPen(color);
    painter.setFont(font);
    painter.drawText(QPoint(x, y + QFontMetrics(font).ascent()), text);
}

bool RichLayout::DrawText(QImage *image, int x, int y, const QString &text, const CharFormat &format,
                          const QColor &color)
{
    if (!image || image->isNull() || image->format() == QImage::Format_Indexed8
        || image->format() == QImage::Format_Mono || image->format() == QImage::Format_MonoLSB)
        return false; // QPainter cannot draw on these
    QPainter painter;
    if (!painter.begin(image))
        return false;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(color);
    for (const Piece &piece : Pieces(text, format)) {
        const QFontMetrics metrics(piece.font);
        const QString shown = ForLayout(piece.text);
        DrawRun(painter, x, y, shown, piece.font, color);
        x += metrics.horizontalAdvance(shown);
    }
    return true;
}

} // namespace pelvoro
