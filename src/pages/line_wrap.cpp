#include "pages/line_wrap.h"

#include <QTextOption>

#include <algorithm>

namespace pelvoro {
namespace {

// Paragraphs up to this many units are laid out whole: the window would gain nothing.
constexpr int kWindowedFromUnits = 4096;
// A window holds at least this many units, and twice the width in pixels: every character that
// shows is at least a pixel wide, so a window holds more than a line.
constexpr int kMinWindowUnits = 512;

QTextOption WrapOption()
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

std::vector<WrappedLine> WrapWhole(const QString &text, const QList<QTextLayout::FormatRange> &formats,
                                   const QFont &font, int width)
{
    std::vector<WrappedLine> lines;
    const int size = int(text.size());
    QTextLayout engine(text, font);
    engine.setTextOption(WrapOption());
    engine.setFormats(formats);
    engine.beginLayout();
    for (QTextLine line = engine.createLine(); line.isValid(); line = engine.createLine()) {
        line.setLineWidth(width);
        const int first = std::clamp(line.textStart(), 0, size);
        lines.push_back({first, std::clamp(line.textLength(), 0, size - first)});
    }
    engine.endLayout();
    return lines;
}

// The formats of units [from, to), counted from `from`.
QList<QTextLayout::FormatRange> FormatsWithin(const QList<QTextLayout::FormatRange> &formats, int from, int to)
{
    QList<QTextLayout::FormatRange> within;
    for (const QTextLayout::FormatRange &range : formats) {
        const int start = std::max(range.start, from);
        const int end = std::min(range.start + range.length, to);
        if (start >= end)
            continue;
        QTextLayout::FormatRange shifted = range;
        shifted.start = start - from;
        shifted.length = end - start;
        within.append(shifted);
    }
    return within;
}

// The first line of the units [from, to): its length.
int FirstLineLength(const QString &text, const QList<QTextLayout::FormatRange> &formats, const QFont &font,
                    int width, int from, int to)
{
    QTextLayout engine(text.mid(from, to - from), font);
    engine.setTextOption(WrapOption());
    engine.setFormats(FormatsWithin(formats, from, to));
    engine.beginLayout();
    QTextLine line = engine.createLine();
    int length = 0;
    if (line.isValid()) {
        line.setLineWidth(width);
        length = std::clamp(line.textLength(), 0, to - from);
    }
    engine.endLayout();
    return length;
}

std::vector<WrappedLine> WrapWindowed(const QString &text, const QList<QTextLayout::FormatRange> &formats,
                                      const QFont &font, int width)
{
    std::vector<WrappedLine> lines;
    const int size = int(text.size());
    const int window = std::max(2 * width, kMinWindowUnits);
    int start = 0;
    while (start < size) {
        int end = std::min(size, start + window);
        int length = FirstLineLength(text, formats, font, width, start, end);
        // A line that reaches the window's end may go on past it (or end at a break that only the
        // cut made): widen the window until the line ends inside it.
        while (end < size && start + length >= end) {
            end = std::min(size, start + 2 * (end - start));
            length = FirstLineLength(text, formats, font, width, start, end);
        }
        length = std::max(length, 1); // the engine puts a character on every line; never loop
        lines.push_back({start, length});
        start += length;
    }
    return lines;
}

} // namespace

std::vector<WrappedLine> WrapParagraph(const QString &text, const QList<QTextLayout::FormatRange> &formats,
                                       const QFont &font, int width, WrapStrategy strategy)
{
    if (strategy == WrapStrategy::Automatic)
        strategy = text.size() > kWindowedFromUnits ? WrapStrategy::Windowed : WrapStrategy::Whole;
    return strategy == WrapStrategy::Windowed ? WrapWindowed(text, formats, font, width)
                                              : WrapWhole(text, formats, font, width);
}

} // namespace pelvoro
