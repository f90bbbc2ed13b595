#pragma once

#include <QString>
#include <QStringList>

// "The application's directory": where SysConfig.ini, page and subtitle files live. It is the
// executable's directory when the program may write there (a build tree, a portable copy);
// an installed program uses the user's data folder instead. A front end's override (--dir) wins.
namespace pelvoro {

void SetAppDir(const QString &dir);
QString AppDir();
// Path of a file in the application's directory.
QString AppFile(const QString &name);
// Makes the application's directory the process's working directory, so that bare file names
// refer to it. Returns false when the directory cannot be entered.
bool EnterAppDir();

// Takes "--dir DIR" or "--dir=DIR" out of the arguments and sets the application's directory from
// it. Returns false (and sets *error) when --dir is given without a directory that exists.
bool TakeDirArgument(QStringList &args, QString *error);

// Where AppDir() comes from.
enum class AppDirSource {
    Override,   // --dir (SetAppDir)
    Executable, // the executable's directory
    UserData,   // the user's data folder (~/.local/share/pelvoro), the executable's not being writable
};
AppDirSource AppDirOrigin();
// The directory and where it comes from, for the about box (`chinese`) and `pelvoro-cli --version`:
// "/home/li/.local/share/pelvoro (the user's data folder: the program's folder is not writable)".
QString DescribeAppDir(bool chinese = false);

// The rule behind AppDir() without an override, for the executable in `exeDir`: that directory
// when the process may write to it and it is not the folder programs are installed into, else
// the user's data folder, created here (when it cannot be, the executable's directory stays, and
// writes fail as they would there). The shipped data files (SharedDataDir) that the user's folder
// lacks are copied into it.
struct AppDirChoice {
    QString dir;
    AppDirSource source = AppDirSource::Executable;
};
AppDirChoice ChooseAppDir(const QString &exeDir);
// The folders programs are installed into (/usr/bin for the package, the configured prefix's bin
// folder): never an application's directory.
QStringList InstalledProgramsDirs();
// The user's data folder: QStandardPaths' AppDataLocation of an application named "pelvoro", the
// same for the station and the tool.
QString UserDataDir();
// Read-only data shipped with an installed program (outdoor pictures and the like): share/pelvoro
// beside the bin folder of the executable in `exeDir`.
QString SharedDataDir(const QString &exeDir);

} // namespace pelvoro
