#pragma once

#include <QString>
#include <QStringList>

// Data files that ship with the program (the outdoor wirings' pictures and configuration files).
// A folder chosen with --dir starts without them, so they are looked up in the application's
// directory first (an operator's own copy wins), then beside the program (a build or portable
// copy), then in the installed data folder.
namespace pelvoro {

// The application's directory, the executable's directory, and share/pelvoro beside its bin folder.
QStringList ShippedFileDirs();
// The path of `name` in the first of `dirs` that holds it; empty when none does.
QString FindShippedFile(const QString &name, const QStringList &dirs = ShippedFileDirs());

} // namespace pelvoro
