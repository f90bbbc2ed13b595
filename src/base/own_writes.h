#pragma once

#include <QByteArray>
#include <QString>

// What this process last wrote to each file, by content, so that a watcher can tell the station's
// own writes from another program's: a file that holds exactly what we last put there changed
// because of us.
namespace pelvoro {

// Called by the writers once `bytes` replaced the file at `path`.
void RememberOwnWrite(const QString &path, const QByteArray &bytes);
// Whether the file at `path` holding `bytes` is this process's last write to it.
bool IsOwnLastWrite(const QString &path, const QByteArray &bytes);
// A writer about to replace a file that holds `current`: when another program changed the file since
// this process last wrote it, the next write carries that change and must not pass for our own.
void NoteContentBeforeWrite(const QString &path, const QByteArray &current);

} // namespace pelvoro
