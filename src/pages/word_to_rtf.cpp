#include "pages/word_to_rtf.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace pelvoro {

QString RtfPathFor(const QString &docPath)
{
    const QFileInfo info(docPath);
    return info.dir().filePath(info.fileName().chopped(std::min<qsizetype>(4, info.fileName().size()))
                               + QStringLiteral(".rtf"));
}

WordConversion WordToRtf(const QString &docPath, int timeoutMs)
{
    WordConversion result;
    QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty()) {
        result.outcome = WordConversion::Outcome::NotInstalled;
        result.message = kWordNotInstalledMessage;
        return result;
    }
    // A private profile and output folder: a running office instance or a stale lock never blocks
    // the conversion, and the result is moved to its place only when complete.
    QTemporaryDir work;
    const QStringList arguments = {QStringLiteral("-env:UserInstallation=file://")
                                       + work.filePath(QStringLiteral("profile")),
                                   QStringLiteral("--headless"),
                                   QStringLiteral("--norestore"),
                                   QStringLiteral("--convert-to"),
                                   QStringLiteral("rtf"),
                                   QStringLiteral("--outdir"),
                                   work.filePath(QStringLiteral("out")),
                                   QFileInfo(docPath).absoluteFilePath()};
    QProcess process;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    process.start(office, arguments);
    if (!process.waitForStarted(10000)) {
        result.message = QStringLiteral("无法启动文档转换程序：") + office;
        return result;
    }
    deadline.start(timeoutMs);
    // Windows keep painting while the converter runs; input is excluded so that nothing else starts.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        result.outcome = WordConversion::Outcome::TimedOut;
        result.message = QStringLiteral("Word文档转换超时，已停止转换：") + docPath;
        return result;
    }
    const QString produced = QDir(work.filePath(QStringLiteral("out")))
                                 .filePath(QFileInfo(docPath).completeBaseName() + QStringLiteral(".rtf"));
    const QString target = RtfPathFor(docPath);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || !QFile::exists(produced)) {
        result.message = QStringLiteral("Word文档转换失败：") + docPath;
        return result;
    }
    QFile::remove(target);
    if (!QFile::copy(produced, target)) {
        result.message = QStringLiteral("无法写入转换后的文件：") + target;
        return result;
    }
    result.outcome = WordConversion::Outcome::Converted;
    result.rtfPath = target;
    return result;
}

} // namespace pelvoro
