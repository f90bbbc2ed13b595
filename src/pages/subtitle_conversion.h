#pragma once

#include "config/screen_info.h"
#include "pages/subtitle_store.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>

// The subtitle text becomes the pages of the subtitle file: it is cut into pieces that fill the
// screen's width, each piece is drawn at the top-left corner of an image of the strip's size in one
// font, size and colour, and every drawn image is packed as a page.
namespace pelvoro {

// How many pieces of the text are converted at most.
inline constexpr int kSubtitlePieces = 256;

// A strip 32 dots high is drawn in 24 points with a line height of 32, any other in 12 points with a
// line height of 16. A piece is as many bytes as one line of a fixed-pitch Chinese font holds across
// the screen: W / 8 bytes in 12 points, W / 16 in 24 points.
struct SubtitleMetrics {
    int points = 12;
    int lineHeight = 16;
    int pieceBytes = 0;
};
SubtitleMetrics SubtitleMetricsOf(const ScreenInfo &screen);

// Cuts GBK text into `count` pieces of at most `pieceBytes` bytes each, in order: a piece is one byte
// shorter when its last byte would be the first byte of a two-byte character, so a character is
// never split. Once the text is used up the remaining pieces are empty; text beyond `count` pieces
// is dropped.
QList<QByteArray> CutSubtitlePieces(QByteArrayView gbk, int pieceBytes, int count = kSubtitlePieces);

// Widens a piece one byte short of a full line so that it fills the width: the image's columns
// 0 .. W-9 (12 points) or 0 .. W-16 (24 points) are stretched dot for dot onto the whole width when W
// is more than 256, otherwise onto columns 2 .. W-1 with columns 0 and 1 black.
void WidenShortPiece(QImage *image, int points);

// "红" red, "黄" yellow, "绿" green; anything else red.
QRgb SubtitleColour(const QString &name);

// The faces offered for subtitles (see FontChoices).
QStringList SubtitleFontFaces();

struct SubtitleDrawing {
    QString face = QStringLiteral("宋体");
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QRgb colour = 0xFFFF0000;
};

struct SubtitleConversion : PageResult {
    int pageCount = 0;         // pages in the file afterwards
    int appended = 0;          // pages this conversion added
    bool limitReached = false; // the capacity stopped it: adding and converting are blocked
    QString limitMessage;      // "最多可编辑" + capacity + "页内容"
    bool emptyText = false;    // "转换字幕" on an empty text removed the files instead
};

// Draws the pieces of `gbk` into pages and appends them to the screen's subtitle file (started anew
// when there is none), writing the file once. The entry gets the current style and reserved byte and
// speed and dwell 1. Stops after the page that reaches the capacity. A damaged file is reported
// and left alone; when no page results nothing is written.
SubtitleConversion ConvertSubtitle(const ScreenTable &table, int screenIndex, QByteArrayView gbk,
                                   const SubtitleDrawing &drawing, const SubtitleEntry &current);

// "转换字幕": saves `text` as the subtitle text (or, when it is blank, deletes both files and refuses
// with "编辑框没有信息,不能转换字幕页!"), deletes the subtitle file and converts the whole text.
SubtitleConversion ConvertSubtitleText(const ScreenTable &table, int screenIndex, const QString &text,
                                       const SubtitleDrawing &drawing, const SubtitleEntry &current);

// The add-from-file dialog's filters: text files (read line by line) and rich text.
enum class SubtitleSource { Text = 0, RichText = 1 };
QStringList SubtitleSourceFilters();
// A file named .rtf is rich text and one named .txt a text file (whatever filter was chosen);
// any other name is read as the chosen filter says.
SubtitleSource SubtitleSourceOf(const QString &path, int filterIndex);

// The text a file adds to the subtitle: a text file's lines (GBK or UTF-8, as DecodeTextFile tells),
// or the display lines of a rich-text document laid out at `wrapWidth`, joined without separators.
// Nothing when the file cannot be read.
std::optional<QString> ReadSubtitleSource(const QString &path, SubtitleSource kind, int wrapWidth);

} // namespace pelvoro
