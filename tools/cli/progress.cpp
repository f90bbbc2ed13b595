#include "progress.h"

#include "cli_command.h"

#include "comm/send_runner.h"

#include <algorithm>
#include <cmath>

#include <unistd.h>

namespace pelvoro::cli {
namespace {

constexpr qint64 kDrawEveryMs = 100;
constexpr int kBarWidth = 24;

QString Number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString Kilobytes(double bytes)
{
    return Number(bytes / 1000, 1);
}

QString TimeLeft(double seconds)
{
    if (seconds < 0)
        return QString();
    const qint64 s = qint64(std::ceil(seconds));
    if (s < 60)
        return QStringLiteral("%1 s left").arg(s);
    return QStringLiteral("%1:%2 left").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

double Fraction(const ProgressFigures &figures)
{
    if (figures.total > 0)
        return std::clamp(double(figures.done) / double(figures.total), 0.0, 1.0);
    return figures.fraction;
}

} // namespace

ProgressStyle TakeProgressOption(CliArgs &args)
{
    const std::optional<QString> value = args.TakeOption(QStringLiteral("--progress"));
    if (!value)
        return ::isatty(STDERR_FILENO) ? ProgressStyle::Bar : ProgressStyle::None;
    if (*value == QLatin1String("json"))
        return ProgressStyle::Json;
    if (*value == QLatin1String("bar"))
        return ProgressStyle::Bar;
    if (*value == QLatin1String("none"))
        return ProgressStyle::None;
    throw UsageError{QStringLiteral("--progress takes bar, json or none")};
}

QString ProgressOptionHelp()
{
    return QStringLiteral(
        "  --progress STYLE         progress on stderr: bar (the default when stderr is a terminal),\n"
        "                           json (one JSON object a line, at most ten a second and always the\n"
        "                           last: fraction done, rate, seconds left) or none (the default\n"
        "                           otherwise)\n");
}

double ProgressRate(const ProgressFigures &figures)
{
    return figures.elapsedS > 0 ? double(figures.done) / figures.elapsedS : 0;
}

double ProgressSecondsLeft(const ProgressFigures &figures)
{
    const double fraction = Fraction(figures);
    if (fraction >= 1)
        return 0;
    if (fraction <= 0 || figures.elapsedS <= 0)
        return -1;
    return figures.elapsedS * (1 - fraction) / fraction;
}

QString ProgressBarLine(const ProgressFigures &figures, const QString &verb, const QString &label,
                        const QString &unit)
{
    const double fraction = Fraction(figures);
    QString line = verb;
    if (fraction >= 0) {
        const int filled = int(fraction * kBarWidth);
        line += QStringLiteral(" %1% [").arg(int(fraction * 100), 3) + QString(filled, QLatin1Char('#'))
                + QString(kBarWidth - filled, QLatin1Char('-')) + QLatin1Char(']');
    }
    if (unit == QLatin1String("bytes")) {
        line += QLatin1String("  ") + Kilobytes(double(figures.done));
        if (figures.total > 0)
            line += QLatin1Char('/') + Kilobytes(double(figures.total));
        line += QStringLiteral(" kB  %1 kB/s").arg(Kilobytes(ProgressRate(figures)));
    } else {
        line += QStringLiteral("  %1  %2 %3/s").arg(label, Number(ProgressRate(figures), 1), unit);
    }
    const QString left = TimeLeft(ProgressSecondsLeft(figures));
    if (!left.isEmpty())
        line += QLatin1String("  ") + left;
    return line;
}

ProgressReport::ProgressReport(ProgressStyle style, QString verb, std::FILE *stream)
    : style_(style), verb_(std::move(verb)), stream_(stream)
{
    clock_.start();
}

ProgressReport::~ProgressReport()
{
    End();
}

void ProgressReport::Begin(qint64 total)
{
    End();
    total_ = total;
    clock_.restart();
    lastDrawMs_ = -1;
}

void ProgressReport::Step(qint64 done)
{
    ProgressFigures figures;
    figures.done = done;
    figures.total = total_;
    const QString fields = QStringLiteral("\"done\": %1, \"total\": %2").arg(done).arg(total_);
    Step(figures, QString(), fields, QStringLiteral("bytes"));
}

void ProgressReport::Step(ProgressFigures figures, const QString &label, const QString &jsonFields,
                          const QString &unit, bool force)
{
    if (style_ == ProgressStyle::None)
        return;
    const qint64 now = clock_.elapsed();
    figures.elapsedS = double(now) / 1000;
    const double fraction = Fraction(figures);
    if (!force && fraction < 1 && lastDrawMs_ >= 0 && now - lastDrawMs_ < kDrawEveryMs)
        return;
    lastDrawMs_ = now;
    if (style_ == ProgressStyle::Bar) {
        Draw(ProgressBarLine(figures, verb_, label, unit));
        return;
    }
    const double left = ProgressSecondsLeft(figures);
    const QString line = QStringLiteral("{\"step\": \"%1\", %2, \"unit\": \"%7\", \"fraction\": %3, \"rate\": %4, "
                                        "\"elapsed_s\": %5, \"left_s\": %6}\n")
                             .arg(verb_, jsonFields, fraction >= 0 ? Number(fraction, 4) : QStringLiteral("null"),
                                  Number(ProgressRate(figures), 1), Number(figures.elapsedS, 3),
                                  left >= 0 ? Number(left, 1) : QStringLiteral("null"), unit);
    const QByteArray bytesOut = line.toUtf8();
    std::fwrite(bytesOut.constData(), 1, size_t(bytesOut.size()), stream_);
    std::fflush(stream_);
}

void ProgressReport::Draw(const QString &line)
{
    shown_ = line;
    const QByteArray bytes = (QLatin1Char('\r') + line + QStringLiteral("\x1b[K")).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream_);
    std::fflush(stream_);
}

void ProgressReport::End()
{
    if (shown_.isEmpty())
        return;
    shown_.clear();
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void ProgressReport::Around(const std::function<void()> &print)
{
    if (shown_.isEmpty()) {
        print();
        return;
    }
    std::fputs("\r\x1b[K", stream_);
    std::fflush(stream_);
    print();
    Draw(shown_);
}

SendProgress::SendProgress(ProgressStyle style, SendRunner &runner) : report_(style, QStringLiteral("send"))
{
    connect(&runner, &SendRunner::ProgressStarted, this, [this](qint64 maximum) { report_.Begin(maximum); });
    connect(&runner, &SendRunner::Progress, this, [this](qint64 value) { report_.Step(value); });
    connect(&runner, &SendRunner::ProgressHidden, this, [this] { report_.End(); });
}

void SendProgress::Line(const QString &text)
{
    report_.Around([&] { Out(text); });
}

ConversionProgress::ConversionProgress(ProgressStyle style, ConversionObserver &inner, int files)
    : inner_(inner), report_(style, QStringLiteral("convert")), files_(std::max(1, files))
{
}

void ConversionProgress::ProgressRange(int maximum)
{
    range_ = maximum;
    inner_.ProgressRange(maximum);
}

void ConversionProgress::Progress(int position)
{
    position_ = position;
    inner_.Progress(position);
    Report(false);
}

void ConversionProgress::HideProgress()
{
    position_ = range_;
    inner_.HideProgress();
    Report(true);
}

void ConversionProgress::Message(const QString &text, bool warning)
{
    report_.Around([&] { inner_.Message(text, warning); });
}

// The conversion announces each file with its status text before converting it.
void ConversionProgress::Status(const QString &text)
{
    if (!text.isEmpty()) {
        ++file_;
        range_ = 0;
        position_ = 0;
    }
    report_.Around([&] { inner_.Status(text); });
}

void ConversionProgress::PageAppended(int page, const QImage &image)
{
    ++pages_;
    inner_.PageAppended(page, image);
    Report(false);
}

void ConversionProgress::Report(bool fileEnded)
{
    const int file = std::clamp(file_, 1, files_);
    ProgressFigures figures;
    figures.done = pages_;
    const double inFile = fileEnded ? 1.0 : range_ > 0 ? std::clamp(double(position_) / range_, 0.0, 1.0) : 0;
    figures.fraction = (file - 1 + inFile) / files_;
    // Only the end of the last file is the end of the work.
    if (!(fileEnded && file_ >= files_))
        figures.fraction = std::min(figures.fraction, 0.9999);
    const QString label = QStringLiteral("file %1/%2, %3 pages").arg(file).arg(files_).arg(pages_);
    const QString fields = QStringLiteral("\"file\": %1, \"files\": %2, \"pages\": %3").arg(file).arg(files_).arg(pages_);
    report_.Step(figures, label, fields, QStringLiteral("pages"), fileEnded);
}

} // namespace pelvoro::cli
