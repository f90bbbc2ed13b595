#pragma once

#include <QString>

namespace pelvoro {

// Documents larger than this are refused before they are read: no sign needs more, and reading
// one would only exhaust memory.
constexpr qint64 kMaxDocumentBytes = 64LL * 1024 * 1024;

// Why `path` must not be read as a document: not a regular file (a device such as /dev/zero, a
// FIFO, a directory: reading would never end or block), or larger than kMaxDocumentBytes. Empty
// when it may be read, and for a missing file, which its reader reports itself.
QString DocumentFileRefusal(const QString &path);

// Why one of the station's own files must not be read, for the operator after the file's name: not
// a regular file, or larger than `maxBytes`, the largest valid file of its kind (a larger one is
// damaged, and reading it would only exhaust memory). Empty when it may be read, and for a missing
// file.
QString StoredFileRefusal(const QString &path, qint64 maxBytes);

} // namespace pelvoro
