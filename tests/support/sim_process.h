#pragma once

#include <QProcess>
#include <QRegularExpressionMatch>
#include <QStringList>
#include <QTemporaryDir>

// The controller simulator run as the built binary; stopped when the object goes.
namespace pelvoro::test {

class SimProcess {
public:
    static constexpr int kStartMs = 20000;
    static constexpr int kAnswerMs = 10000;

    explicit SimProcess(const QStringList &args);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // The first line matching `pattern` (from the start of the output), waiting up to `ms`.
    QRegularExpressionMatch WaitForLine(const QString &pattern, int ms = kAnswerMs);
    // What it prints when it has started: the TCP port (-1 when it did not say) and the
    // pseudo-terminal (empty when it did not say).
    int Port();
    QString Device();
    // The exchanges reported so far, without the link's name: "screen 1: clock (0xc2), 29 bytes,
    // acknowledged".
    QStringList Exchanges();

    QString Output() const { return output_; }
    QProcess &Process() { return process_; }

private:
    void Read();

    QTemporaryDir runtime_;
    QProcess process_;
    QString output_;
};

} // namespace pelvoro::test
