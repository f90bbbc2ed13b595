#include "pages/word_to_rtf.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace pelvoro {
namespace {

constexpr int kStartWaitMs = 10000;
constexpr int kKillWaitMs = 5000;

QString OfficeProgram()
{
    QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    return office;
}

} // namespace

QString SharedOfficeProfileDir()
{
    // The generic cache folder, so that the station and the tool (programs of other names) share it.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("pelvoro/office-profile"));
}

WordConverter::WordConverter(QObject *parent) : QObject(parent) {}

WordConverter::~WordConverter()
{
    Stop();
}

void WordConverter::Stop()
{
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(kKillWaitMs);
        delete process_;
        process_ = nullptr;
    }
    delete deadline_;
    deadline_ = nullptr;
    sharedProfile_.reset();
    privateProfile_.reset();
}

void WordConverter::Start(const QString &docPath, int timeoutMs)
{
    Stop();
    docPath_ = docPath;
    running_ = true;
    output_.reset();
    WordConversion failed;
    const QString office = OfficeProgram();
    if (office.isEmpty()) {
        failed.outcome = WordConversion::Outcome::NotInstalled;
        failed.message = kWordNotInstalledMessage;
        QTimer::singleShot(0, this, [this, failed] { Finish(failed); });
        return;
    }
    // The shared profile when no other conversion holds it, a private one otherwise: two office
    // instances on one profile would stop each other.
    QString profile = SharedOfficeProfileDir();
    if (QDir().mkpath(QFileInfo(profile).absolutePath())) {
        auto lock = std::make_unique<QLockFile>(profile + QStringLiteral(".lock"));
        lock->setStaleLockTime(0); // a long conversion is not stale; a dead holder's lock is
        if (lock->tryLock(0))
            sharedProfile_ = std::move(lock);
    }
    if (!sharedProfile_) {
        privateProfile_ = std::make_unique<QTemporaryDir>();
        profile = privateProfile_->filePath(QStringLiteral("profile"));
    }
    output_ = std::make_shared<QTemporaryDir>();
    if ((privateProfile_ && !privateProfile_->isValid()) || !output_->isValid()) {
        const QTemporaryDir &bad = output_->isValid() ? *privateProfile_ : *output_;
        failed.message = QStringLiteral("无法建立临时文件夹：") + bad.errorString();
        QTimer::singleShot(0, this, [this, failed] { Finish(failed); });
        return;
    }
    const QStringList arguments = {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
                                   QStringLiteral("--headless"),
                                   QStringLiteral("--norestore"),
                                   QStringLiteral("--convert-to"),
                                   QStringLiteral("rtf"),
                                   QStringLiteral("--outdir"),
                                   output_->path(),
                                   QFileInfo(docPath).absoluteFilePath()};
    process_ = new QProcess(this);
    deadline_ = new QTimer(this);
    deadline_->setSingleShot(true);
    connect(process_, &QProcess::finished, this, &WordConverter::OnProcessEnded);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            WordConversion result;
            result.message = QStringLiteral("无法启动文档转换程序：") + process_->program();
            Finish(result);
        }
    });
    connect(deadline_, &QTimer::timeout, this, &WordConverter::OnTimeout);
    deadline_->start(timeoutMs);
    process_->start(office, arguments);
}

void WordConverter::OnTimeout()
{
    // A profile left by a killed office instance may be half written: the next conversion makes it
    // again.
    const bool shared = sharedProfile_ != nullptr;
    Stop();
    if (shared)
        QDir(SharedOfficeProfileDir()).removeRecursively();
    WordConversion result;
    result.outcome = WordConversion::Outcome::TimedOut;
    result.message = QStringLiteral("Word文档转换超时，已停止转换：") + docPath_;
    Finish(result);
}

void WordConverter::OnProcessEnded()
{
    WordConversion result;
    const QString produced = output_->filePath(QFileInfo(docPath_).completeBaseName() + QStringLiteral(".rtf"));
    if (process_->exitStatus() != QProcess::NormalExit || process_->exitCode() != 0 || !QFile::exists(produced)) {
        result.message = QStringLiteral("Word文档转换失败：") + docPath_;
    } else {
        result.outcome = WordConversion::Outcome::Converted;
        result.rtfPath = produced;
        result.folder = output_;
    }
    Finish(result);
}

void WordConverter::Finish(WordConversion result)
{
    if (!running_)
        return;
    running_ = false;
    if (process_) {
        process_->disconnect(this);
        process_->deleteLater();
        process_ = nullptr;
    }
    delete deadline_;
    deadline_ = nullptr;
    // The lock goes with the finished office instance; the result keeps its own folder.
    sharedProfile_.reset();
    privateProfile_.reset();
    output_.reset();
    Q_EMIT Finished(result);
}

WordConversion WordToRtf(const QString &docPath, int timeoutMs)
{
    WordConverter converter;
    WordConversion result;
    QEventLoop loop;
    QObject::connect(&converter, &WordConverter::Finished, &loop, [&](const WordConversion &finished) {
        result = finished;
        loop.quit();
    });
    converter.Start(docPath, timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

} // namespace pelvoro
