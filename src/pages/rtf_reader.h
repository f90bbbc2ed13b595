#pragma once

#include "pages/rich_document.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Reading rich-text documents into a RichDocument.
//
// The reader takes what the page conversion needs from RTF written by word processors, WordPad and
// LibreOffice: fonts with their character sets, colours, bold, italic, underline, strike-out, size,
// alignment and line spacing, and the text, list numbers and bullets included (the "\pntext" and
// "\listtext" a writer gives for readers without lists). Everything else (styles, pictures, headers,
// fields' instructions, list tables, document information) is skipped. It never fails: malformed input yields
// whatever text could be recovered, and it reads only inside the given bytes.
//
// Text after "\line" starts a new paragraph with the same formats, so that every break in the text
// is a paragraph break. A "\par" that ends the document adds no empty paragraph after it.
namespace pelvoro {

// RTF when the bytes begin with "{\rtf" (leading white space allowed); anything else is read as plain
// text, as the rich-text control loads a file that is not RTF.
RichDocument ReadRichText(QByteArrayView bytes);

// Reads the bytes as RTF whatever they begin with.
RichDocument ReadRtf(QByteArrayView bytes);

// Plain text, GBK or UTF-8 as DecodeTextFile tells: one paragraph per line (CR LF, LF or CR), 宋体 12
// points, automatic colour. A final line break adds no empty paragraph.
RichDocument ReadPlainText(QByteArrayView bytes);

// ReadRichText of a file's bytes; nothing when the file cannot be read.
std::optional<RichDocument> ReadRichTextFile(const QString &path);

} // namespace pelvoro
