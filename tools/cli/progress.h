#pragma once

#include "pages/page_conversion.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdio>
#include <functional>

// Progress of long commands on stderr: a bar when stderr is a terminal, one JSON line per step
// with --progress json, nothing otherwise. The figures come from the work itself (the links'
// written bytes, the conversion's own steps), never from an estimate of it.
namespace pelvoro {
class SendRunner;
}

namespace pelvoro::cli {

class CliArgs;

enum class ProgressStyle { None, Bar, Json };

// Takes "--progress bar|json|none"; without it a bar when stderr is a terminal, else nothing.
ProgressStyle TakeProgressOption(CliArgs &args);
// The option's lines for a command's --help.
QString ProgressOptionHelp();

// Where a piece of work stands.
struct ProgressFigures {
    qint64 done = 0;
    qint64 total = 0;       // 0: not known
    double fraction = -1;   // of the whole work, when `done` and `total` do not say it (0..1)
    double elapsedS = 0;
};
// Units per second and seconds left (negative when not known yet).
double ProgressRate(const ProgressFigures &figures);
double ProgressSecondsLeft(const ProgressFigures &figures);
// "send  45% [##########--------------]  207.4/460.8 kB  10.2 kB/s  25 s left" for a `unit` of
// bytes; for another unit `label` stands for the counts: "convert  50% [...]  file 1/2, 5 pages  2.0 pages/s".
QString ProgressBarLine(const ProgressFigures &figures, const QString &verb, const QString &label,
                        const QString &unit);

// Draws the progress of one command: Begin, Step as the work reports, End. Steps are drawn at most
// ten times a second, the last one always.
class ProgressReport {
public:
    ProgressReport(ProgressStyle style, QString verb, std::FILE *stream = stderr);
    ~ProgressReport();
    ProgressReport(const ProgressReport &) = delete;
    ProgressReport &operator=(const ProgressReport &) = delete;

    ProgressStyle Style() const { return style_; }
    // A new piece of work of `total` units (0: not known).
    void Begin(qint64 total);
    // `jsonFields` are the work's own fields of a JSON line ("\"file\": 1, ..."); the time is the
    // report's. `force` draws even within a tenth of a second of the last drawing.
    void Step(ProgressFigures figures, const QString &label, const QString &jsonFields, const QString &unit,
              bool force = false);
    // `done` bytes of the total given to Begin.
    void Step(qint64 done);
    // Closes the bar's line.
    void End();
    // Prints a line of other output (`print`) without tearing the bar: clears it first, draws it again after.
    void Around(const std::function<void()> &print);

private:
    void Draw(const QString &line);

    ProgressStyle style_;
    QString verb_;
    std::FILE *stream_;
    QElapsedTimer clock_;
    qint64 lastDrawMs_ = -1;
    qint64 total_ = 0;
    QString shown_; // the bar on the terminal now
};

// Wires a send: the runner's progress (a part's size, the bytes written after every chunk or
// block) becomes the report; `expect` gives the size of a single request the runner sends as it is.
class SendProgress : public QObject {
public:
    SendProgress(ProgressStyle style, SendRunner &runner);
    void Expect(qint64 frameBytes) { report_.Begin(frameBytes); }
    // A status text for stdout.
    void Line(const QString &text);

private:
    ProgressReport report_;
};

// A conversion observer that reports the files converted and the pages made, and hands
// everything else to `inner`.
class ConversionProgress : public ConversionObserver {
public:
    ConversionProgress(ProgressStyle style, ConversionObserver &inner, int files);
    void ProgressRange(int maximum) override;
    void Progress(int position) override;
    void HideProgress() override;
    void Message(const QString &text, bool warning) override;
    void Status(const QString &text) override;
    void PageAppended(int page, const QImage &image) override;

private:
    // `fileEnded`: a file's conversion is over; the last file's end is the whole work's end.
    void Report(bool fileEnded);

    ConversionObserver &inner_;
    ProgressReport report_;
    int files_;
    int file_ = 0; // the file being converted, from 1
    int range_ = 0;
    int position_ = 0;
    int pages_ = 0;
};

} // namespace pelvoro::cli
