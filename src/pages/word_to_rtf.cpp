#include "pages/word_to_rtf.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace pelvoro {

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
    // A private profile: a running office instance or a stale lock never blocks the conversion. The
    // output goes to a folder of the station's own, which the result keeps until it is dropped.
    QTemporaryDir profile;
    auto output = std::make_shared<QTemporaryDir>();
    if (!profile.isValid() || !output->isValid()) {
        const QTemporaryDir &failed = profile.isValid() ? *output : profile;
        result.message = QStringLiteral("无法建立临时文件夹：") + failed.errorString();
        return result;
    }
    const QStringList arguments = {QStringLiteral("-env:UserInstallation=file://")
                                       + profile.filePath(QStringLiteral("profile")),
                                   QStringLiteral("--headless"),
                                   QStringLiteral("--norestore"),
                                   QStringLiteral("--convert-to"),
                                   QStringLiteral("rtf"),
                                   QStringLiteral("--outdir"),
                                   output->path(),
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
    const QString produced = output->filePath(QFileInfo(docPath).completeBaseName() + QStringLiteral(".rtf"));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || !QFile::exists(produced)) {
        result.message = QStringLiteral("Word文档转换失败：") + docPath;
        return result;
    }
    result.outcome = WordConversion::Outcome::Converted;
    result.rtfPath = produced;
    result.folder = std::move(output);
    return result;
}

} // namespace pelvoro
