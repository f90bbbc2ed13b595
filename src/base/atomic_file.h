#pragma once

#include <QByteArray>
#include <QString>

namespace pelvoro {

// Replaces the file at `path` with `bytes` so that a crash at any moment leaves either the old file
// or the new one: the bytes go to a temporary file in the same directory, are flushed to disk and
// then renamed over the target. Returns false (and leaves the old file) on any failure.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Reads a whole file. A missing file gives an empty array and false.
bool ReadWholeFile(const QString &path, QByteArray *bytes);

} // namespace pelvoro
