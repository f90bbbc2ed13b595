#pragma once

#include "comm/command_registry.h"
#include "comm/exchange.h"
#include "comm/mailbox.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QThread>

#include <memory>
#include <mutex>
#include <vector>

// The serial link: one command frame per transfer over a screen's serial port. The preamble goes
// out with the parity bit set, the frame with it clear, in 128-byte chunks, each step waiting for
// the controller's answer. Transfers run strictly one at a time.
//
// Threads: SerialLink lives on the user-interface thread and never waits there. The port lives on
// a worker thread owned by the link; it writes the preamble and the chunks, waits for answers and
// hands every received burst back to the user-interface thread, where the burst is judged; an
// acknowledging burst sets the transfer's acknowledgement event, which the worker waits on.
// Status texts, progress, settings-label texts and the completion notice come back to the
// user-interface thread as queued calls, in the order the worker made them.
namespace pelvoro {

class Prompt;
struct ScreenInfo;
struct SerialTransferShared;

// The link's waits, in milliseconds. Tests shorten them; the defaults are the controllers' own.
struct SerialTimings {
    int normalAnswerMs = 1000; // answer to the preamble, "Normal" cards
    int zpKqAnswerMs = 2000;   // answer to the preamble, "ZP-KQ/TQ" cards ...
    int zpKqPerBlockMs = 200;  // ... plus this per 4096 raster bytes of a main-area frame (at least once)
    int finalAnswerMs = 4000;  // answer to the whole frame
    int phasePauseMs = 3000;   // after every 131072 bytes of the second phase of a large "Normal" frame
    int settleMs = 20;         // after switching to space parity; again before the port is closed
    int successWaitMs = 500;   // before and after the success report
    // A chunk the port has not taken in this time ends the transfer as a port failure.
    int chunkWriteMs = 10000;
    // Writes complete on the line, 11 bits a byte at the baud rate: a chunk goes once the line has
    // carried the one before, and the waits for an answer and the pauses of a large frame start
    // once it has carried the last. The port's driver takes kilobytes ahead of the line, seconds of
    // it at 9600 baud. Tests whose pseudo-terminal carries bytes at once may leave it out.
    bool waitForLine = true;
};

inline constexpr qint64 kSerialChunkBytes = 128;
// "Normal" frames of this size and more go in two phases with pauses.
inline constexpr qint64 kSerialTwoPhaseBytes = 0x20000;
inline constexpr qint64 kSerialChunksPerPause = 1024;

// Status texts of a transfer (status bar panel 1).
enum class SerialPhase {
    Connecting = 0,
    Sending = 1,
    NoAnswer = 2, // no answer to the preamble
    Succeeded = 3,
    NoFinalAnswer = 4, // no answer to the frame, or the port failed while sending it
};
// The file download (0xCC) speaks of the controller; every other command of screen n.
QString SerialStatusText(SerialPhase phase, const SendRequest &request);

// What the transfer needs of the screen it sends to, copied when it starts.
struct SerialTarget {
    int comPort = 1;
    int baudIndex = 0;
    CardFamily family = CardFamily::Normal;
    int width = 0; // for the preamble wait of main-area frames on "ZP-KQ/TQ" cards
    int mainHeight = 0;
    int colorMode = 0;
    bool broadcast = false; // the main window's "广播" toggle

    static SerialTarget Of(const ScreenInfo &screen, bool broadcast);
};

// T1: how long the writer waits for the answer to the preamble.
int PreambleWaitMs(const SerialTarget &target, const SendRequest &request, const SerialTimings &timings);

// One write of the chunk loop.
struct SerialChunk {
    qint64 bytes = 0;
    bool pauseAfter = false; // pause phasePauseMs after this chunk
};
// The chunks of a frame of `length` bytes: one phase, or for a "Normal" frame of 0x20000 bytes
// and more a first phase of 13 + 4 * pageCount bytes (the page file's header and entries) and a
// second of the rest, which pauses after every 1024th full chunk unless exactly one byte remains.
std::vector<SerialChunk> PlanSerialChunks(CardFamily family, qint64 length, quint8 pageCount);

enum class SerialOutcome {
    Succeeded,     // both answers came (always, when broadcasting)
    NoAnswer,      // no answer to the preamble in time
    NoFinalAnswer, // no answer to the frame in time
    PortFailed,    // the port failed during the transfer (write refused, device gone)
    OpenFailed,    // the port could not be opened; nothing was sent
};

class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(Prompt &prompt, SerialTimings timings = {}, QObject *parent = nullptr);
    // Stops a running transfer and waits for the worker to let go of the port.
    ~SerialLink() override;

    // The serial half of the dispatch. While a transfer object exists the request is dropped:
    // nothing is sent or shown and the result is false. Otherwise the transfer object is created
    // and the result is true; the worker opens COM `target.comPort` (ComPortDevice) at the baud
    // rate of `target.baudIndex` and runs the exchange. Every transfer so started ends with exactly
    // one TransferEnded, a port that cannot be opened included (after its message box).
    bool Send(const SendRequest &request, const SerialTarget &target);

    // Whether a transfer object exists (from Send until CloseTransfer).
    bool HasTransfer() const { return transfer_ != nullptr; }

    // Run by the owner on the completion notice: stops the transfer, forgets the transfer object
    // and emits TransferClosed. The worker discards the port's pending input and closes the port
    // settleMs later; a following transfer opens its port only after that.
    void CloseTransfer();

    const SerialTimings &Timings() const { return timings_; }

Q_SIGNALS:
    // Status bar panel 1.
    void StatusText(const QString &text);
    // Frame bytes written so far, after every chunk.
    void Progress(qint64 written);
    // The transfer ended by success or timeout: hide the progress bar.
    void ProgressHidden();
    // The screen settings dialog's result label, when the dialog is open: "加载参数成功!" in green,
    // "下位机无应答,请检查连接!" and "加载参数失败,请重试!" in red.
    void SettingsLabel(const QString &text, const QColor &colour);
    // A cancel of all timed play lists (0xC7) was acknowledged for `screenIndex`: the owner erases
    // the stored schedules of the current screen's pages and rebuilds its page list.
    void SchedulesCancelled(int screenIndex);
    // The completion notice, always delivered through the event queue, never from inside Send.
    // The owner waits 5 ms, runs CloseTransfer, waits 1500 ms and continues its sequence. The
    // outcome is for callers that report it (the command-line tool); a sequence goes on whatever it is.
    void TransferEnded(pelvoro::SerialOutcome outcome);
    // CloseTransfer ran: the five send buttons may be enabled again.
    void TransferClosed();
    // The transfer now waits `ms` of its own (the pause between the phases of a large frame, the
    // waits around the success report): time in which nobody waits on the controller.
    void Pausing(int ms);

private:
    friend class SerialPortJob;

    // Reports from the worker, delivered on this thread; stale ones (of a closed transfer) are ignored.
    void OnStatus(quint64 id, SerialPhase phase);
    void OnProgress(quint64 id, qint64 written);
    void OnProgressHidden(quint64 id);
    void OnPausing(quint64 id, int ms);
    void OnSettingsLabel(quint64 id, SerialPhase phase);
    void OnSchedulesCancelled(quint64 id);
    void OnBurst(quint64 id, quint64 sequence, const QByteArray &burst);
    void OnOpenFailed(quint64 id, const QString &device, const QString &reason);
    void OnEnded(quint64 id, SerialOutcome outcome);

    // The transfer object: one at a time, from Send until CloseTransfer.
    struct TFrmsend {
        quint64 id = 0;
        SendRequest request; // what bursts are judged against
        int comPort = 0;
        std::shared_ptr<SerialTransferShared> shared;
    };
    bool IsCurrent(quint64 id) const { return transfer_ && transfer_->id == id; }

    Prompt &prompt_;
    SerialTimings timings_;
    std::unique_ptr<TFrmsend> transfer_;
    quint64 nextId_ = 1;
    QThread worker_;
    Mailbox *workerMailbox_ = nullptr; // lives on worker_; jobs are posted to it
    Mailbox *mailbox_ = nullptr;       // lives here; the worker's reports are posted to it
    // Taken by the worker as it ends and by the destructor after waiting for it, so that the end of
    // the thread is a hand-over a thread checker sees (Qt's own wait is not).
    std::mutex workerEnd_;
};

} // namespace pelvoro

Q_DECLARE_METATYPE(pelvoro::SerialOutcome)
