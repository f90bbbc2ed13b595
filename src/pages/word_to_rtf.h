#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QProcess;
class QTemporaryDir;
class QTimer;

namespace pelvoro {

// Word documents become rich text in the station's own temporary folder, never beside the document,
// where a file of the operator's of the same name may lie. The conversion runs the installed office
// suite headless and is stopped when it takes longer than `timeoutMs`.
struct WordConversion {
    enum class Outcome { Converted, NotInstalled, Failed, TimedOut };
    Outcome outcome = Outcome::Failed;
    QString rtfPath; // inside `folder`: valid while this result (or a copy of it) lives
    QString message; // for the operator when not converted
    std::shared_ptr<QTemporaryDir> folder;
};

inline constexpr int kWordConversionTimeoutMs = 120000;

// The office profile every conversion of the station and the tool shares, in the user's cache
// folder: the office suite sets a new profile up in several seconds, a used one starts at once. One
// conversion at a time holds it (through the lock file beside it); another one meanwhile gets a
// profile of its own.
QString SharedOfficeProfileDir();

// One conversion at a time, run without blocking the caller's event loop: Finished follows Start,
// also when the converter cannot be started. Dropping the converter stops a conversion in progress.
class WordConverter : public QObject {
    Q_OBJECT

public:
    explicit WordConverter(QObject *parent = nullptr);
    ~WordConverter() override;

    void Start(const QString &docPath, int timeoutMs = kWordConversionTimeoutMs);
    bool IsRunning() const { return running_; }
    // Whether the running (or last) conversion has the shared profile.
    bool UsesSharedProfile() const { return sharedProfile_ != nullptr; }

Q_SIGNALS:
    void Finished(const pelvoro::WordConversion &result);

private:
    void OnProcessEnded();
    void OnTimeout();
    void Finish(WordConversion result);
    void Stop();

    QString docPath_;
    bool running_ = false;
    QProcess *process_ = nullptr;
    QTimer *deadline_ = nullptr;
    std::unique_ptr<QLockFile> sharedProfile_;
    std::unique_ptr<QTemporaryDir> privateProfile_;
    std::shared_ptr<QTemporaryDir> output_;
};

// The same conversion for callers that need the result before they go on: it waits in a local event
// loop in which windows keep painting and user input waits.
WordConversion WordToRtf(const QString &docPath, int timeoutMs = kWordConversionTimeoutMs);

// The system's message when no converter is installed.
inline const QString kWordNotInstalledMessage = QStringLiteral("没有安装Microsoft Office Word 2000,请先安装再使用！");

} // namespace pelvoro
