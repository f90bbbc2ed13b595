#include "comm/send_sequence.h"

#include "config/area_layout.h"

namespace pelvoro {

bool &PendingParts::Flag(SendPart part)
{
    switch (part) {
    case SendPart::Clock:
        return clock;
    case SendPart::Temperature:
        return temperature;
    case SendPart::Main:
        return main;
    case SendPart::Subtitle:
        return subtitle;
    }
    return clock;
}

void SendSequence::BeginFullSend(const ScreenInfo &screen, bool hasMainPages, bool hasSubtitlePages)
{
    pending_.clock = HasClock(screen);
    pending_.temperature = HasTemperature(screen);
    pending_.main = HasMain(screen) && hasMainPages;
    pending_.subtitle = HasTitle(screen) && hasSubtitlePages;
    sendAllMark_ = true;
}

void SendSequence::PendOnly(SendPart part)
{
    pending_.Clear();
    pending_.Flag(part) = true;
    sendAllMark_ = true;
}

void SendSequence::WalkTo(int screen)
{
    multiScreenWalk_ = true;
    walkCursor_ = screen;
}

void SendSequence::Reset()
{
    pending_.Clear();
    multiScreenWalk_ = false;
}

std::optional<SendPart> SendSequence::TakeFirst(std::initializer_list<SendPart> order)
{
    for (SendPart part : order) {
        if (pending_.Flag(part)) {
            pending_.Flag(part) = false;
            return part;
        }
    }
    return std::nullopt;
}

std::optional<SendPart> SendSequence::ContinueSequence(bool sendSelected)
{
    if (!sendSelected && !sendAllMark_) {
        pending_.Clear();
        return std::nullopt;
    }
    return TakeFirst({SendPart::Clock, SendPart::Temperature, SendPart::Subtitle, SendPart::Main});
}

std::optional<SendPart> SendSequence::FollowUp(ReplyKind kind)
{
    switch (kind) {
    case ReplyKind::MainArea:
        return TakeFirst({SendPart::Clock, SendPart::Temperature, SendPart::Subtitle});
    case ReplyKind::Clock:
        return TakeFirst({SendPart::Temperature, SendPart::Main, SendPart::Subtitle});
    case ReplyKind::Temperature:
        pending_.temperature = false;
        return TakeFirst({SendPart::Clock, SendPart::Main, SendPart::Subtitle});
    case ReplyKind::Subtitle:
        return TakeFirst({SendPart::Clock, SendPart::Temperature, SendPart::Main});
    case ReplyKind::TimeSync:
        return TakeFirst({SendPart::Clock, SendPart::Temperature, SendPart::Main, SendPart::Subtitle});
    default:
        return std::nullopt;
    }
}

} // namespace pelvoro
