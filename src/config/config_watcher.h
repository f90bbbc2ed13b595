#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace pelvoro {

// Tells when a file is changed, also when a writer replaces it by renaming a new file over it (as
// every writer of the station's files does): the watch then moves on to the new file. Bursts of
// changes are reported once, after they settle; a change that left the file as this process last
// wrote it is the process's own and is not reported.
class ConfigWatcher : public QObject {
    Q_OBJECT
public:
    explicit ConfigWatcher(QString path, QObject *parent = nullptr);

Q_SIGNALS:
    // Another writer changed the file.
    void Changed();
    // After every settled change, reported or not: for tests that wait for the watch to look.
    void Checked(bool reported);

private:
    void Settled();
    void Rewatch();

    QString path_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

} // namespace pelvoro
