#include "support/sim_process.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <algorithm>

namespace pelvoro::test {

SimProcess::SimProcess(const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    process_.setProcessEnvironment(env);
    process_.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro-sim"), args);
}

SimProcess::~SimProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

void SimProcess::Read()
{
    output_ += QString::fromUtf8(process_.readAllStandardOutput());
}

QRegularExpressionMatch SimProcess::WaitForLine(const QString &pattern, int ms)
{
    const QRegularExpression re(QLatin1Char('^') + pattern + QLatin1Char('$'), QRegularExpression::MultilineOption);
    QDeadlineTimer deadline(ms);
    for (;;) {
        Read();
        const auto match = re.match(output_);
        if (match.hasMatch() || deadline.hasExpired() || process_.state() == QProcess::NotRunning)
            return match;
        process_.waitForReadyRead(int(std::min<qint64>(100, std::max<qint64>(1, deadline.remainingTime()))));
    }
}

int SimProcess::Port()
{
    const auto match = WaitForLine(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"), kStartMs);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString SimProcess::Device()
{
    const auto match = WaitForLine(QStringLiteral("serial device (\\S+)"), kStartMs);
    return match.hasMatch() ? match.captured(1) : QString();
}

QStringList SimProcess::Exchanges()
{
    process_.waitForReadyRead(200);
    Read();
    QStringList lines;
    static const QRegularExpression exchange(QStringLiteral("^(?:tcp#\\d+|serial): (screen .*)$"),
                                             QRegularExpression::MultilineOption);
    for (auto it = exchange.globalMatch(output_); it.hasNext();)
        lines << it.next().captured(1);
    return lines;
}

} // namespace pelvoro::test
