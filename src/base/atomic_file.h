#pragma once

#include <QByteArray>
#include <QString>

namespace pelvoro {

// Replaces the file at `path` with `bytes` so that a crash or a power cut at any moment leaves either
// the old file or the new one: the bytes go to a temporary file in the same directory, are synced to
// disk and then renamed over the target, and the directory is synced after the rename. The new file
// keeps the permissions of the old one; through a symbolic link the file it points to is replaced.
// Returns false (and leaves the old file, and no temporary one) on any failure, an existing file
// without write permission included.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Reads a whole file. A missing file gives an empty array and false.
bool ReadWholeFile(const QString &path, QByteArray *bytes);

} // namespace pelvoro
