// Feeds arbitrary bytes to project opening: a ".save" file and its companions, over a working set
// that may already hold files. Input: records of one slot byte, a 16-bit little-endian length and
// that many bytes; the slot names the file (see kSlots). Besides the sanitizers' checks it traps when
//   - opening fails, or names a number of screens outside 1..64;
//   - the working set afterwards is not exactly the project's: SysConfig.ini byte for byte, each
//     named screen's page and subtitle files from its companions (the subtitle text only beside
//     its pages), no data file of any other screen, nothing staged or journalled left behind;
//   - opening changes any file of the project;
//   - the working set saved as a project and opened again is not the same working set.
//
// Seeds are projects SaveProjectFiles wrote (fuzz_seeds). Run:
//   project_files_fuzzer -max_len=8192 -timeout=10 CORPUS fuzz/corpus/project_files_fuzzer
#include "fuzz_support.h"

#include "base/atomic_file.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/project_files.h"

#include <QMap>

#include <cstddef>
#include <cstdint>

using namespace pelvoro;
using pelvoro::fuzz::Check;

namespace {

// Screens 1..3 may have files; the rest of the 64 never do, and must not afterwards.
constexpr int kScreens = 3;
// Slot 0 the project file; 1 + 3 * i + k the companion k (main .dat, title .dat, title .txt) of
// screen i; 10 + 3 * i + k the working file k of screen i; 19 the working SysConfig.ini.
constexpr int kSlots = 20;

QString Companion(const QString &project, int screen, int kind)
{
    static const char *kinds[] = {"main", "title", "title"};
    return ProjectCompanion(project, QLatin1String(kinds[kind]), screen,
                            kind == 2 ? QStringLiteral(".txt") : QStringLiteral(".dat"));
}

QString Working(int screen, int kind)
{
    const QString name = kind == 0 ? PageFileName(screen) : kind == 1 ? SubtitleFileName(screen)
                                                                      : SubtitleTextFileName(screen);
    return AppFile(name);
}

// Every file in a directory, hidden ones included, by name.
QMap<QString, QByteArray> Snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    const QDir d(dir);
    for (const QString &name : d.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        files.insert(name, fuzz::Get(d.filePath(name)));
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString projectDir = fuzz::MakeScratchDir();
    static const QString againDir = fuzz::MakeScratchDir();
    const QString appDir = fuzz::UseScratchAppDir();
    for (const QString &dir : {appDir, projectDir, againDir})
        fuzz::ClearDir(dir);

    std::optional<QByteArray> files[kSlots];
    for (size_t at = 0; at + 3 <= size;) {
        const int slot = data[at] % kSlots;
        const size_t length = std::min<size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
        files[slot] = QByteArray(reinterpret_cast<const char *>(data + at + 3), qsizetype(length));
        at += 3 + length;
    }
    if (!files[0])
        return 0;
    const QString project = QDir(projectDir).filePath(QStringLiteral("p.save"));
    fuzz::Put(project, *files[0]);
    for (int i = 0; i < kScreens; ++i) {
        for (int k = 0; k < 3; ++k) {
            if (files[1 + 3 * i + k])
                fuzz::Put(Companion(project, i, k), *files[1 + 3 * i + k]);
            if (files[10 + 3 * i + k])
                fuzz::Put(Working(i, k), *files[10 + 3 * i + k]);
        }
    }
    if (files[19])
        fuzz::Put(AppFile(kConfigFileName), *files[19]);
    const QMap<QString, QByteArray> projectBefore = Snapshot(projectDir);

    const ProjectResult opened = OpenProjectFiles(project);
    Check(opened.Ok() && opened.changed && opened.screens >= 1 && opened.screens <= kMaxScreens);
    Check(Snapshot(projectDir) == projectBefore);
    Check(!HasUnfinishedUpdate(appDir));

    QMap<QString, QByteArray> expected;
    expected.insert(kConfigFileName, *files[0]);
    for (int i = 0; i < std::min(kScreens, opened.screens); ++i) {
        const auto &main = files[1 + 3 * i];
        const auto &title = files[2 + 3 * i];
        const auto &text = files[3 + 3 * i];
        if (main)
            expected.insert(PageFileName(i), *main);
        if (title) {
            expected.insert(SubtitleFileName(i), *title);
            if (text)
                expected.insert(SubtitleTextFileName(i), *text);
        }
    }
    const QMap<QString, QByteArray> working = Snapshot(appDir);
    Check(working == expected);

    // Saved and opened again, the working set comes back as it is.
    const QString again = QDir(againDir).filePath(QStringLiteral("again.save"));
    Check(SaveProjectFiles(again, opened.screens - 1).Ok());
    fuzz::ClearDir(appDir);
    const ProjectResult reopened = OpenProjectFiles(again);
    Check(reopened.Ok() && reopened.screens == opened.screens);
    Check(Snapshot(appDir) == working);
    return 0;
}
