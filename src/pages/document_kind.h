#pragma once

#include <QString>

#include <optional>

// What a document chosen for the main area is, told by its content: a file named .rtf that holds a
// Word document, or one chosen under another filter, is still converted as what it is.
namespace pelvoro {

enum class DocumentKind { RichText = 1, Word = 2, Bitmap = 3, Table = 4 };

struct DocumentKindResult {
    std::optional<DocumentKind> kind;
    QString message; // for the operator when there is no kind: the file cannot be read or is unknown
};

// RTF ("{\rtf", white space before it allowed), a Word document (a compound file, or a zip with
// entries under "word/"), a bitmap ("BM" and a known header size), a table file (its signature);
// anything else that reads as text (no NUL or other control bytes) is plain text, which the
// rich-text kind loads as one paragraph per line. An empty file is plain text. A file that must not
// be read (DocumentFileRefusal) has no kind and that refusal as its message.
DocumentKindResult DocumentKindOf(const QString &path);

} // namespace pelvoro
