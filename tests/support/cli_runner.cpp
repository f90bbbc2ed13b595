#include "support/cli_runner.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvoro::test {

CliResult RunCli(const QStringList &args, const QString &dir, const QProcessEnvironment &extra, int timeoutMs,
                 const QString &workingDir)
{
    // One runtime directory for every run of the test executable, so that the tool's Qt finds its
    // own instead of warning on stderr about a missing or shared one.
    static const QTemporaryDir runtime;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    // The office profile the tool keeps for Word documents goes here, not into the user's cache.
    static const QTemporaryDir cache;
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    process.setProcessEnvironment(env);
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    const QStringList all = dir.isEmpty() ? args : QStringList{QStringLiteral("--dir"), dir} + args;
    process.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro-cli"), all);
    CliResult result;
    if (!process.waitForFinished(timeoutMs)) {
        ADD_FAILURE() << "pelvoro-cli " << args.join(QLatin1Char(' ')).toStdString()
                      << " did not finish: " << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.outBytes = process.readAllStandardOutput();
    result.out = QString::fromUtf8(result.outBytes).trimmed();
    result.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

} // namespace pelvoro::test
