#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>

#include <vector>

namespace pelvoro {

struct WrappedLine {
    int first = 0; // first UTF-16 unit of the line
    int count = 0; // its units, trailing blanks included
};

enum class WrapStrategy {
    Whole,    // the text engine lays out the whole paragraph at once
    Windowed, // one line at a time from a window a little longer than a line
    Automatic // Windowed for long paragraphs, Whole otherwise
};

// Cuts a paragraph into lines of at most `width` pixels, at word boundaries, or anywhere in a word
// wider than a line (the word then starts on a line of its own). The text engine measures the rest
// of an unbreakable word again for every line it cuts from it, which makes a long run of letters
// cost time in the square of its length; laying out one line at a time from a window bounds that
// work by the window, with the same lines as a layout of the whole paragraph.
std::vector<WrappedLine> WrapParagraph(const QString &text, const QList<QTextLayout::FormatRange> &formats,
                                       const QFont &font, int width, WrapStrategy strategy = WrapStrategy::Automatic);

} // namespace pelvoro
