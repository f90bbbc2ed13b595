#pragma once

#include "config/screen_info.h"
#include "pages/page_store.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one check of a stored page file or subtitle file, shared by every reader (lists, exports,
// edits, appending, opening a project): the file must be exactly what its header declares for the
// screen it belongs to. Header damage, a short file and trailing bytes are all refused, so no reader
// ever works on offsets it cannot trust.
namespace pelvoro {

enum class AreaFileKind { Pages, Subtitle };

// The largest valid file of a kind on a screen: its header and kMaxStoredPages pages.
qint64 MaxAreaFileBytes(AreaFileKind kind, const ScreenInfo &screen);

// A subtitle text longer than this is damaged: 254 pages of the widest strip (4096 dots, 8 dots to a
// byte of text at the least) hold about 130,000 bytes.
inline constexpr qint64 kMaxSubtitleTextBytes = 1024 * 1024;

// What a reader needs of a file before reading it whole: its first bytes, its size and last byte.
struct AreaFileProbe {
    QByteArray head; // up to kPageHeaderBytes
    qsizetype size = 0;
    char last = 0;
};

// Checks a file against the layout its kind has on `screen`: the command code, an area of the
// screen's width and the area's height, a size of exactly header + pages + trailer, and the trailer.
// Damaged with `name` and the reason otherwise; Refused when the screen has no usable area.
PageResult CheckAreaFile(AreaFileKind kind, const QString &name, const ScreenInfo &screen, const AreaFileProbe &probe);
// The same for bytes already read.
PageResult CheckAreaFileBytes(AreaFileKind kind, const QString &name, const ScreenInfo &screen, QByteArrayView bytes);

// Reads the head, size and last byte of the file at `path` without reading the rest; a path that is
// not a regular file (a pipe or a device would block or never end) is refused.
PageResult ProbeAreaFile(const QString &name, const QString &path, AreaFileProbe *probe);

// Probes, checks and then reads the whole file: a file larger than its kind can be is never read.
PageResult ReadCheckedAreaFile(AreaFileKind kind, const QString &name, const QString &path, const ScreenInfo &screen,
                               QByteArray *bytes);

} // namespace pelvoro
