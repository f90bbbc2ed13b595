#pragma once

#include "comm/command_registry.h"
#include "config/screen_info.h"

#include <optional>

// The order in which a full send ("全部发送") brings a screen's parts to its controller, after the
// time synchronisation that opens it. Each end of a transfer starts at most one next part: on the
// serial link the completion notice, on the network link the controller's acknowledgement.
namespace pelvoro {

enum class SendPart { Clock, Temperature, Main, Subtitle };

struct PendingParts {
    bool clock = false;
    bool temperature = false;
    bool main = false;
    bool subtitle = false;

    bool Any() const { return clock || temperature || main || subtitle; }
    bool &Flag(SendPart part);
    void Clear() { clock = temperature = main = subtitle = false; }
};

class SendSequence {
public:
    // Starts a full send of `screen`: a part is pending when the screen has that area and, for the
    // main area and the subtitle, when its list holds pages. The caller then sends the time
    // synchronisation.
    void BeginFullSend(const ScreenInfo &screen, bool hasMainPages, bool hasSubtitlePages);
    // "发送" of the clock and temperature panel: only `part` is left to follow the first transfer.
    void PendOnly(SendPart part);

    // Serial: after a transfer was closed. Without `sendSelected` and without the full-send mark
    // the pending parts are dropped. Takes the first pending part in the order clock,
    // temperature, subtitle, main.
    std::optional<SendPart> ContinueSequence(bool sendSelected);

    // Network: after the controller acknowledged a request of `kind`. Takes the first pending part
    // in that kind's order; the caller waits 3500 ms before sending it.
    std::optional<SendPart> FollowUp(ReplyKind kind);

    const PendingParts &Pending() const { return pending_; }
    void ClearPending() { pending_.Clear(); }

    bool SendAllMark() const { return sendAllMark_; }
    // "选择发送": until the next full send only the screens selected for sending continue.
    void DropSendAllMark() { sendAllMark_ = false; }

    // The serial walk over several screens: the screen it is at, from the first one until EndWalk.
    bool MultiScreenWalk() const { return multiScreenWalk_; }
    int WalkCursor() const { return walkCursor_; }
    void WalkTo(int screen);
    void EndWalk() { multiScreenWalk_ = false; }

    // The window was shown again: nothing is pending and no walk runs.
    void Reset();

private:
    std::optional<SendPart> TakeFirst(std::initializer_list<SendPart> order);

    PendingParts pending_;
    bool sendAllMark_ = false;
    bool multiScreenWalk_ = false;
    int walkCursor_ = 0;
};

} // namespace pelvoro
