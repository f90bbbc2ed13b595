#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace pelvoro::test {

struct CliResult {
    int exitCode = -1;   // -1 when the tool crashed or did not finish
    QString out;         // stdout, UTF-8, trimmed
    QByteArray outBytes; // stdout as it came
    QString err;         // stderr, UTF-8, trimmed
};

// Runs the built pelvoro-cli (offscreen) with `args`, after "--dir DIR" when a directory is given;
// `extra` adds to or overrides the environment; `workingDir` is where the tool starts (the test's own
// directory when empty).
CliResult RunCli(const QStringList &args, const QString &dir = {}, const QProcessEnvironment &extra = {},
                 int timeoutMs = 60000, const QString &workingDir = {});

} // namespace pelvoro::test
