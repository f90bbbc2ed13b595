// The full send's order: which part each transfer's end starts, on the serial link (in a fixed
// order, gated by the screen's selection and the full-send mark) and on the network link (by the
// kind of the acknowledged request).
#include "comm/send_sequence.h"
#include "config/screen_info.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelvoro {
namespace {

ScreenInfo AllAreas()
{
    ScreenInfo s = DefaultScreenInfo();
    s.Areas = {QStringLiteral("主区"), QStringLiteral("固定时钟"), QStringLiteral("固定温度"),
               QStringLiteral("小字幕")};
    return s;
}

// A sequence whose pending parts are `pending`: the full send of a screen with just those areas.
SendSequence Pending(const PendingParts &pending)
{
    ScreenInfo s = DefaultScreenInfo();
    s.Areas = {pending.main ? QStringLiteral("主区") : QString(),
               pending.clock ? QStringLiteral("固定时钟") : QString(),
               pending.temperature ? QStringLiteral("固定温度") : QString(),
               pending.subtitle ? QStringLiteral("小字幕") : QString()};
    SendSequence sequence;
    sequence.BeginFullSend(s, true, true);
    return sequence;
}

ReplyKind KindOf(SendPart part)
{
    switch (part) {
    case SendPart::Clock:
        return ReplyKind::Clock;
    case SendPart::Temperature:
        return ReplyKind::Temperature;
    case SendPart::Main:
        return ReplyKind::MainArea;
    case SendPart::Subtitle:
        return ReplyKind::Subtitle;
    }
    return ReplyKind::Params;
}

TEST(SendSequence, FullSendPendsTheAreasTheScreenHasAndThePagesItsListsHold)
{
    SendSequence sequence;
    sequence.BeginFullSend(AllAreas(), false, true);
    EXPECT_TRUE(sequence.SendAllMark());
    const PendingParts &pending = sequence.Pending();
    EXPECT_TRUE(pending.clock && pending.temperature && pending.subtitle);
    EXPECT_FALSE(pending.main); // a main area without pages

    ScreenInfo mainOnly = DefaultScreenInfo();
    mainOnly.Areas = {QStringLiteral("主区"), {}, {}, {}};
    sequence.BeginFullSend(mainOnly, true, true);
    EXPECT_TRUE(pending.main);
    EXPECT_FALSE(pending.clock || pending.temperature || pending.subtitle);

    // "发送" of the clock and temperature panel leaves only the temperature to follow.
    sequence.PendOnly(SendPart::Temperature);
    EXPECT_TRUE(pending.temperature);
    EXPECT_FALSE(pending.clock || pending.main || pending.subtitle);
    EXPECT_TRUE(sequence.SendAllMark());
}

TEST(SendSequence, SerialOrderIsClockTemperatureSubtitleMain)
{
    SendSequence sequence;
    sequence.BeginFullSend(AllAreas(), true, true);
    std::vector<SendPart> order;
    while (const auto part = sequence.ContinueSequence(false))
        order.push_back(*part);
    EXPECT_EQ(order, (std::vector{SendPart::Clock, SendPart::Temperature, SendPart::Subtitle, SendPart::Main}));
    EXPECT_FALSE(sequence.Pending().Any());
}

TEST(SendSequence, SerialContinuationNeedsTheMarkOrTheScreensSelection)
{
    SendSequence sequence;
    sequence.BeginFullSend(AllAreas(), true, true);
    sequence.DropSendAllMark();
    EXPECT_EQ(sequence.ContinueSequence(true), SendPart::Clock); // selected for sending
    EXPECT_EQ(sequence.ContinueSequence(false), std::nullopt);
    EXPECT_FALSE(sequence.Pending().Any()); // dropped, not kept for later
}

TEST(SendSequence, NetworkFollowUpsGoByTheAcknowledgedKind)
{
    // The whole chain: each acknowledgement is of the part the previous one started.
    SendSequence sequence;
    sequence.BeginFullSend(AllAreas(), true, true);
    std::vector<SendPart> order;
    ReplyKind acknowledged = ReplyKind::TimeSync;
    while (const auto part = sequence.FollowUp(acknowledged)) {
        order.push_back(*part);
        acknowledged = KindOf(*part);
    }
    EXPECT_EQ(order, (std::vector{SendPart::Clock, SendPart::Temperature, SendPart::Main, SendPart::Subtitle}));

    struct Case {
        ReplyKind kind;
        PendingParts pending;
        std::optional<SendPart> next;
    };
    const Case cases[] = {
        {ReplyKind::MainArea, {.main = true, .subtitle = true}, SendPart::Subtitle},
        {ReplyKind::MainArea, {.main = true}, std::nullopt}, // main is not in its own order
        {ReplyKind::Clock, {.clock = true, .subtitle = true}, SendPart::Subtitle},
        {ReplyKind::Subtitle, {.temperature = true, .main = true}, SendPart::Temperature},
        {ReplyKind::Temperature, {.temperature = true}, std::nullopt}, // its own flag is cleared
        {ReplyKind::Params, {.clock = true}, std::nullopt},
        {ReplyKind::PowerOn, {.clock = true}, std::nullopt},
    };
    for (const Case &c : cases) {
        SendSequence s = Pending(c.pending);
        EXPECT_EQ(s.FollowUp(c.kind), c.next) << int(c.kind);
        if (c.kind == ReplyKind::Temperature) {
            EXPECT_FALSE(s.Pending().temperature);
        }
    }
}

} // namespace
} // namespace pelvoro
