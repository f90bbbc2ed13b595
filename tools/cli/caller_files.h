#pragma once

#include <QString>
#include <QStringList>

// File arguments name files relative to the directory the tool was started in, although the
// station's code enters the application's directory; main() remembers that directory first.
namespace pelvoro::cli {

// Remembers the working directory and the arguments as the system gave them: a file name whose
// bytes are not UTF-8 (GBK from an older system) cannot be held in a QString, so such a file is
// later reached through a link with a name Qt can hold.
void RememberCaller(int argc, char **argv);

// The absolute path to use for a file argument.
QString CallerFile(const QString &argument);
QStringList CallerFiles(const QStringList &arguments);

} // namespace pelvoro::cli
