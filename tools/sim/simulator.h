#pragma once

#include "sim/controller_card.h"
#include "sim/pseudo_terminal.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QTcpServer;
class QTimer;
class QSocketNotifier;

// pelvoro-sim: one simulated controller card behind a TCP port and/or a pseudo-terminal. Every
// link has its own ControllerCard (its own place in the exchange) over one shared memory.
namespace pelvoro::sim {

struct SimOptions {
    CardOptions card;
    int tcpPort = -1; // -1: no TCP; 0: any free port
    bool serial = false;
    QString stateDir;
    bool snapshot = false;
    int moduleType = 0;
    int delayMs = 0;
    // A serial exchange that gets no byte for this long is over (the station gave up on it).
    int serialGapMs = 2000;
    // > 0: the serial link carries bytes both ways at the pace of this baud rate, 11 bits a byte
    // (start, 8 data, parity, stop), as a real line does; 0: as fast as the pseudo-terminal goes.
    int baud = 0;
};

class Simulator {
public:
    explicit Simulator(SimOptions options);
    ~Simulator();

    // Loads the state directory; false (with *error) when it cannot be used.
    bool Start(QString *error);

private:
    bool StartTcp(QString *error);
    bool StartSerial(QString *error);
    void OnSerialReadable();
    // The paced line: reads one slice of bytes, hands it to the card once it has crossed the line,
    // and goes on while the station keeps bytes waiting.
    void ReadSlice(bool continuing);
    void DeliverSlice(const QByteArray &bytes);
    // Writes an answer once it has crossed the line back to the station.
    void WritePaced(const QByteArray &answer);
    void FeedSerial(const QByteArray &bytes);
    // Prints the exchanges, keeps what changed and sends the answers through `write`.
    void Handle(const QString &link, const ControllerCard::Output &out,
                const std::function<void(const QByteArray &)> &write);
    void Keep(int address);

    SimOptions options_;
    CardMemory memory_;
    QTcpServer *server_ = nullptr;
    int connections_ = 0;
    PseudoTerminal pty_;
    QSocketNotifier *notifier_ = nullptr;
    QTimer *serialGap_ = nullptr;
    std::unique_ptr<ControllerCard> serialCard_;
    // When the line towards the card and the one back are free again.
    std::chrono::steady_clock::time_point inboundFree_{};
    std::chrono::steady_clock::time_point outboundFree_{};
};

} // namespace pelvoro::sim
