#pragma once

#include "comm/command_registry.h"
#include "config/screen_info.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// What the send operations share: reading the main-area and subtitle files into requests, handing
// a request to the link of the screen's CommMode, and the wait that follows the serial link's
// completion notice.
namespace pelvoro {

class NetLink;
class SerialLink;

// RS232 and RS485 screens go through the serial link, network screens through the network link.
inline bool IsNetworkScreen(const ScreenInfo &screen)
{
    return screen.CommMode == kCommModeNetwork;
}

// A main-area or subtitle send read from the screen's file. Without a request, `status` (status
// panel 1) says why, or is empty when the file is empty (nothing is said then).
struct FileSend {
    std::optional<SendRequest> request;
    QString status;
    qint64 fileSize = 0; // the progress bar's maximum
};
// "发送主区": "Tavrel<n>.dat" in the application's directory; refused ("没有找到Tavrel<n>.dat文件！")
// when the screen's main area and the file's existence disagree, when it cannot be read or is
// shorter than 13 bytes; a file that does not match its own layout (in either colour mode: a size
// that disagrees only with the screen's current mode is sent as it is) is refused as damaged.
FileSend PrepareMainAreaSend(int screenIndex, const ScreenInfo &screen);
// "发送字幕": the same with "TavrelTitle<n>.dat", the subtitle area and 14 bytes; the move style
// byte is sent as the controller wants it (LoadSubtitleFrame).
FileSend PrepareSubtitleSend(int screenIndex, const ScreenInfo &screen);

// "状态:正在向" + n + "号显示屏发送数据...": the network send of a main area shows it first.
QString NetSendingText(int screenIndex);

enum class DispatchRoute {
    Network, // handed to NetLink::NetSend
    Serial,  // a serial transfer was started
    Dropped, // a serial transfer exists: nothing was done
};
// Every send operation's last step: network screens (CommMode 2) go to the network link, the
// others to the serial link with the screen's port, baud rate and card type.
DispatchRoute Dispatch(const ScreenInfo &screen, const SendRequest &request, SerialLink &serial, NetLink &net,
                       bool broadcast);

struct CompletionTimings {
    int closeDelayMs = 5;
    int continueDelayMs = 1500;
};

// The owner's side of the serial completion notice: closeDelayMs after it closes the transfer
// (when one still exists), continueDelayMs later asks for the send continuation.
class SerialCompletion : public QObject {
    Q_OBJECT
public:
    explicit SerialCompletion(SerialLink &link, CompletionTimings timings = {}, QObject *parent = nullptr);

    // Between a completion notice and ContinuationDue.
    bool Pending() const { return closeTimer_.isActive() || continueTimer_.isActive(); }

Q_SIGNALS:
    // Run the continuation now (the full send's next part, the walk's next screen).
    void ContinuationDue();

private:
    SerialLink &link_;
    QTimer closeTimer_;
    QTimer continueTimer_;
};

} // namespace pelvoro
