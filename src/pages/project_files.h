#pragma once

#include "base/atomic_file.h"
#include "pages/data_files.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Project files: a ".save" file that is a byte-for-byte copy of SysConfig.ini, with companions
// beside it that copy the screens' page and subtitle files (P + "main1.dat", P + "title1.dat",
// P + "title1.txt", ...). Both directions replace the files they write as one unit, through the
// journal of the folder written to (FileSetUpdate): a crash leaves the whole old set or the whole new
// one, and a save cut short is completed or undone by the next writer in the project's folder. A
// failure while copying leaves every target as it was. Opening first checks the whole project: the
// ".save" must be a configuration and every companion what its screen there reads, or nothing is
// replaced.
namespace pelvoro {

// The name a project is saved under: `chosen`, with ".save" appended unless it ends in it already
// (in any case), so that "打开", which lists *.save files, finds the project again.
QString ProjectSavePath(const QString &chosen);

// The project file P's companion of screen index i: "main", "title" and the extension.
QString ProjectCompanion(const QString &projectPath, const QString &kind, int screenIndex, const QString &extension);

struct ProjectCopy {
    QString from;
    QString to;
};

struct ProjectResult {
    bool Ok() const { return error.isEmpty(); }

    QString error;             // for the operator: the file that failed and why
    QList<ProjectCopy> copied; // in the order they were put in place
    QStringList removed;       // files of the earlier set that the new one lacks
    bool changed = false;      // some target was replaced or removed, even when a later step failed
    int screens = 0;           // opening: the screens the project's configuration names
    QString project;           // the project file written or read
    ScreenPageCounts deleted;  // opening: the working set's pages it replaced or removed, all screens
    bool loginRequired = false; // opening: the project turned login on
};

// A screen's stored pages.
struct ScreenPages {
    int screen = 0; // index
    ScreenPageCounts pages;
};

// What opening a project would do to the station, known before it is done so that the station can
// ask first: every page of the working set goes (replaced by the project's or removed), and a
// project whose configuration turns login on locks the station at once until someone logs in
// with that project's passwords.
struct ProjectOpenEffect {
    bool loginRequired = false;
    QList<ScreenPages> replaced; // the screens that have pages now, in order
};
ProjectOpenEffect PreviewOpenProject(const QString &projectPath);

// The file operations the copies go through; tests replace one to make a chosen file fail.
struct ProjectIo {
    std::function<bool(const QString &path, QByteArray *bytes)> read = ReadWholeFile;
    std::function<bool(const QString &path, const QByteArray &bytes, QString *error)> write = WriteFileAtomically;
};

// Saves the working files of screens 0..lastIndex as the project `projectPath` (the full path, to
// which ProjectSavePath adds the extension when it lacks it) and removes the companions an earlier
// save under the same name left.
ProjectResult SaveProjectFiles(const QString &projectPath, int lastIndex, const ProjectIo &io = {});

// Copies the project back over the working files in the application's directory: SysConfig.ini,
// the page and subtitle files of the screens the project's configuration names, and removes the
// page and subtitle files of every screen the project has none for.
ProjectResult OpenProjectFiles(const QString &projectPath, const ProjectIo &io = {});

} // namespace pelvoro
