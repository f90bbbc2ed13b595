#pragma once

// What the fuzzers that go through the application's directory share: a private directory (on
// /dev/shm when there is one, so that the writers' syncs cost nothing), whole-file helpers and the
// trap that turns a broken invariant into a crash libFuzzer reports.
#include "base/app_dir.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <string>

namespace pelvoro::fuzz {

inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// A fresh directory, removed when the process ends normally (a crash leaves it for inspection).
inline QString MakeScratchDir()
{
    std::string pattern = QDir(QStringLiteral("/dev/shm")).exists() ? "/dev/shm/pelvoro-fuzz-XXXXXX"
                                                                     : "/tmp/pelvoro-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()))
        std::abort();
    static QStringList made;
    if (made.isEmpty()) {
        std::atexit([] {
            for (const QString &dir : made)
                QDir(dir).removeRecursively();
        });
    }
    made << QString::fromStdString(pattern);
    return made.last();
}

// A scratch directory set as the application's directory, once per process.
inline QString UseScratchAppDir()
{
    static const QString dir = [] {
        const QString made = MakeScratchDir();
        SetAppDir(made);
        return made;
    }();
    return dir;
}

// Empties the directory, hidden files (journal, staged copies, lock) included.
inline void ClearDir(const QString &dir)
{
    QDir d(dir);
    for (const QString &name : d.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        d.remove(name);
}

// The screen geometries the data-file fuzzers choose from by their first byte; the seeds are
// written for the same list, so it lives here once. Small pages keep files short; 12 dots wide
// leaves unpacked bytes at the end of each page.
struct Geometry {
    int width;
    int height;
    int colour;
};
inline constexpr Geometry kGeometries[] = {{16, 8, 0}, {12, 4, 1}, {32, 16, 1}, {8, 2, 0}, {24, 3, 0}};

inline void Put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

inline QByteArray Get(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace pelvoro::fuzz
