#pragma once

#include <QString>

// "The application's directory": where SysConfig.ini, page and subtitle files live. It is the
// executable's directory unless a front end overrides it (--dir).
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

} // namespace pelvoro
