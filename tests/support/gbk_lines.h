#pragma once

#include "base/gbk.h"
#include "support/app_dir_fixture.h"

#include <QByteArray>
#include <QStringList>

#include <initializer_list>
#include <sys/stat.h>

namespace pelvoro::test {

// A file as the station's files are: each UTF-8 line turned into GBK and ended by CR LF.
inline QByteArray GbkLines(std::initializer_list<const char *> lines)
{
    QByteArray out;
    for (const char *line : lines)
        out += Gbk(line) + "\r\n";
    return out;
}

// The other way: a station file's bytes as its lines of text, without their CR LF (a last line
// without one counts as a line; the end of the file makes none).
inline QStringList ReadGbkLines(const QByteArray &bytes)
{
    QStringList lines = FromGbk(bytes).split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// What tells whether a file was rewritten: its inode (a replacement is a new file), its
// modification time to the nanosecond and its bytes.
struct FileIdentity {
    ino_t inode = 0;
    timespec mtime{};
    bool operator==(const FileIdentity &o) const
    {
        return inode == o.inode && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

inline FileIdentity IdentityOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, st.st_mtim};
}

} // namespace pelvoro::test
