#pragma once

#include "pages/rich_document.h"

#include <QByteArray>
#include <QString>

// Writing a RichDocument as RTF, the counterpart of the reader: what the reader takes from a file is
// what the writer puts in, so ReadRtf(WriteRtf(d)) gives d back.
//
// The file declares code page 936. Text in a font of the Chinese or the default character set is
// written as GBK bytes (\'hh), anything GBK cannot hold as \uN with '?' for readers that do not know
// \u; text in a font of another character set has all of its non-ASCII characters as \uN. Each
// (face, character set, family) gets one font table entry and each explicit colour one colour table
// entry (entry 0 is the automatic colour). Line spacing: Multiple as \sl(12 × twentieths)\slmult1,
// AtLeast as \slN, Exactly as \sl-N, the three fixed rules as 240, 360 and 480 multiples.
//
// Multiple 20, 30 and 40 read back as single, one-and-a-half and double spacing, which they are.
namespace pelvoro {

QByteArray WriteRtf(const RichDocument &document);

// Writes the RTF to `path` atomically (the old file stays on failure); false and *error on failure.
bool WriteRtfFile(const QString &path, const RichDocument &document, QString *error = nullptr);

} // namespace pelvoro
