// The card state machine: what it answers, where it finds the end of each frame and what it keeps.
#include "comm/frames.h"
#include "config/screen_info.h"
#include "sim/controller_card.h"

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

using Outcome = CardExchange::Outcome;

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// A page file of `pages` pages for a 16 x 8 dual-colour main area whose rasters are full of bytes
// that look like preambles, frame ends and command codes.
QByteArray PageFile(int address, int pages)
{
    QByteArray f = Hex("00d10400"
                       "0000"
                       "0000"
                       "0f00"
                       "0700");
    f[0] = char(address);
    f.append(char(pages));
    for (int k = 0; k < pages; ++k)
        f.append(Hex("00000101"));
    const QByteArray noise = Hex("0101aabbbbc1d10202");
    for (int i = 0; i < pages * 32; ++i)
        f.append(noise[i % noise.size()]);
    f.append(char(0xAA));
    return f;
}

struct Fed {
    std::vector<QByteArray> answers;
    std::vector<CardExchange> exchanges;
    bool dropped = false;
};

// Feeds `bytes` in pieces of `step` bytes (0: all at once) and collects what came out.
Fed FeedInSteps(ControllerCard &card, const QByteArray &bytes, int step = 0)
{
    Fed fed;
    const int size = step > 0 ? step : int(bytes.size());
    for (qsizetype at = 0; at < bytes.size(); at += size) {
        const ControllerCard::Output out = card.Feed(
            QByteArrayView(bytes).sliced(at, std::min<qsizetype>(size, bytes.size() - at)));
        fed.answers.insert(fed.answers.end(), out.answers.begin(), out.answers.end());
        fed.exchanges.insert(fed.exchanges.end(), out.exchanges.begin(), out.exchanges.end());
        fed.dropped |= out.dropped;
    }
    return fed;
}

TEST(ControllerCard, AnswersThePreambleAndTheCompleteFrameWithItsAddress)
{
    ControllerCard card(CardOptions{});
    const QByteArray frame = BuildParamFrame(4, DefaultScreenInfo());

    ControllerCard::Output out = card.Feed(Hex("0505"));
    ASSERT_EQ(out.answers.size(), 1u);
    EXPECT_EQ(out.answers[0], Hex("05"));
    EXPECT_TRUE(out.exchanges.empty());

    out = card.Feed(frame.chopped(1));
    EXPECT_TRUE(out.answers.empty()) << "answered before the last byte";
    out = card.Feed(frame.last(1));
    ASSERT_EQ(out.answers.size(), 1u);
    EXPECT_EQ(out.answers[0], Hex("05"));
    ASSERT_EQ(out.exchanges.size(), 1u);
    EXPECT_EQ(out.exchanges[0].outcome, Outcome::Acknowledged);
    EXPECT_EQ(out.exchanges[0].frameBytes, 12);
    EXPECT_EQ(out.changed, std::vector<int>{5});
    EXPECT_EQ(card.Memory().Screen(5)[CardSlot::Params], frame);
    EXPECT_EQ(out.exchanges[0].Describe(),
              QStringLiteral("screen 5: screen parameters (0xc1), 12 bytes, acknowledged"));
}

TEST(ControllerCard, FindsEveryFrameEndByItsLayoutHoweverTheBytesArrive)
{
    const ScreenInfo screen = DefaultScreenInfo();
    const QDateTime now(QDate(2024, 3, 5), QTime(8, 0, 9));
    const QByteArray glyphs(1296, char(0x01));
    const QByteArray file = Hex("0101aa05001225120105bb"); // nearly the tail, and preamble-like bytes
    const struct {
        const char *name;
        QByteArray frame;
    } frames[] = {
        {"parameters", BuildParamFrame(0, screen)},
        {"clock", BuildClockFrame(0, screen, {300, 16}, now)},
        {"temperature", BuildTempFrame(0, screen, {216, 0})},
        {"time sync", BuildTimeSyncFrame(0, now)},
        {"power", BuildPowerFrame(0, false)},
        {"test", BuildTestFrame(0, 5)},
        {"cancel", BuildCancelScheduleFrame(0)},
        {"schedule", BuildScheduleFrame(0, std::vector<ScheduleRecord>(3)).frame},
        {"file download", BuildImageFrame(0, 1, file).frame},
        {"pages", PageFile(1, 3)},
        {"glyphs", BuildGlyphFrame(0, 8, 16, glyphs).frame},
    };
    QByteArray stream;
    for (const auto &f : frames)
        stream += Hex("0101") + f.frame;
    for (int step : {0, 1, 7, 128}) {
        ControllerCard card(CardOptions{});
        const Fed fed = FeedInSteps(card, stream, step);
        ASSERT_EQ(fed.exchanges.size(), std::size(frames)) << "step " << step;
        for (size_t i = 0; i < std::size(frames); ++i) {
            EXPECT_EQ(fed.exchanges[i].outcome, Outcome::Acknowledged) << frames[i].name << ", step " << step;
            EXPECT_EQ(fed.exchanges[i].frameBytes, frames[i].frame.size()) << frames[i].name << ", step " << step;
        }
        EXPECT_EQ(fed.answers.size(), 2 * std::size(frames));
        const CardScreenMemory &m = card.Memory().Screen(1);
        EXPECT_EQ(m[CardSlot::Outdoor], frames[8].frame);
        EXPECT_EQ(m[CardSlot::Pages], frames[9].frame);
        EXPECT_EQ(m[CardSlot::Glyphs], frames[10].frame);
        EXPECT_EQ(m[CardSlot::Schedule], frames[7].frame); // the cancel came before it
    }
}

TEST(ControllerCard, PageFileLengthFollowsTheColourDepthOfTheReceivedParameters)
{
    ScreenInfo single = DefaultScreenInfo();
    single.ColorMode = 0;
    ControllerCard card(CardOptions{}); // dual colour until told otherwise
    FeedInSteps(card, Hex("0101") + BuildParamFrame(0, single));
    // Single colour: 16 bytes per 16 x 8 page.
    QByteArray file = Hex("01d10400"
                          "0000"
                          "0000"
                          "0f00"
                          "0700"
                          "01"
                          "00000101");
    file += QByteArray(16, char(0xFF));
    file += char(0xAA);
    const Fed fed = FeedInSteps(card, Hex("0101") + file);
    ASSERT_EQ(fed.exchanges.size(), 1u);
    EXPECT_EQ(fed.exchanges[0].outcome, Outcome::Acknowledged);
    EXPECT_EQ(card.Memory().Screen(1)[CardSlot::Pages], file);
}

TEST(ControllerCard, ZpKqCardsAnswerOnlyAfterTheSixthPreambleByte)
{
    CardOptions options;
    options.family = CardFamily::ZpKq;
    ControllerCard card(options);
    const QByteArray frame = PageFile(2, 2);
    const auto request = MakeSendRequest(1, frame);
    ASSERT_TRUE(request);
    const QByteArray preamble = SerialPreamble(CardFamily::ZpKq, *request, false);
    EXPECT_TRUE(card.Feed(preamble.first(5)).answers.empty());
    const ControllerCard::Output out = card.Feed(preamble.last(1));
    ASSERT_EQ(out.answers.size(), 1u);
    EXPECT_EQ(out.answers[0], Hex("02"));
    const Fed fed = FeedInSteps(card, frame, 128);
    ASSERT_EQ(fed.answers.size(), 1u);
    EXPECT_EQ(fed.exchanges.at(0).outcome, Outcome::Acknowledged);
}

TEST(ControllerCard, BroadcastsAreKeptUnderTheFramesScreenNumberAndNotAnswered)
{
    ControllerCard card(CardOptions{});
    const Fed fed = FeedInSteps(card, Hex("bbbb") + BuildPowerFrame(6, false));
    EXPECT_TRUE(fed.answers.empty());
    ASSERT_EQ(fed.exchanges.size(), 1u);
    EXPECT_EQ(fed.exchanges[0].outcome, Outcome::NotAnswered);
    EXPECT_TRUE(fed.exchanges[0].broadcast);
    EXPECT_TRUE(card.Memory().Screen(7).PoweredOff());
}

TEST(ControllerCard, ACardWithAnAddressSkipsOtherScreensFramesByTheirLength)
{
    CardOptions options;
    options.address = 2;
    ControllerCard card(options);
    // The skipped page file is full of "02 02" pairs; none may be taken for a preamble.
    const Fed skipped = FeedInSteps(card, Hex("0101") + PageFile(1, 2));
    EXPECT_TRUE(skipped.answers.empty());
    ASSERT_EQ(skipped.exchanges.size(), 1u);
    EXPECT_EQ(skipped.exchanges[0].outcome, Outcome::Skipped);
    EXPECT_EQ(card.Memory().Find(1), nullptr);

    const Fed mine = FeedInSteps(card, Hex("0202") + BuildTestFrame(1, 3));
    EXPECT_EQ(mine.answers, (std::vector<QByteArray>{Hex("02"), Hex("02")}));
    EXPECT_EQ(card.Memory().Screen(2).TestPattern(), 3);
}

TEST(ControllerCard, FaultOptions)
{
    const QByteArray exchange = Hex("0303") + BuildPowerFrame(2, true);
    {
        CardOptions options;
        options.silent = true;
        ControllerCard card(options);
        const Fed fed = FeedInSteps(card, Hex("0303"));
        EXPECT_TRUE(fed.answers.empty());
        ASSERT_EQ(fed.exchanges.size(), 1u);
        EXPECT_EQ(fed.exchanges[0].outcome, Outcome::PreambleOnly);
    }
    {
        CardOptions options;
        options.noFinal = true;
        ControllerCard card(options);
        const Fed fed = FeedInSteps(card, exchange);
        EXPECT_EQ(fed.answers, std::vector<QByteArray>{Hex("03")});
        EXPECT_EQ(fed.exchanges.at(0).outcome, Outcome::NotAnswered);
    }
    {
        CardOptions options;
        options.garbage = true;
        ControllerCard card(options);
        for (int round = 0; round < 50; ++round) {
            const Fed fed = FeedInSteps(card, exchange);
            ASSERT_EQ(fed.answers.size(), 2u);
            for (const QByteArray &answer : fed.answers) {
                EXPECT_FALSE(IsSerialAcknowledgement(answer, 3, 0)) << answer.toHex().toStdString();
                EXPECT_FALSE(IsNetworkAcknowledgement(answer, 3)) << answer.toHex().toStdString();
            }
        }
    }
    {
        CardOptions options;
        options.dropAfter = 3;
        ControllerCard card(options);
        const Fed fed = FeedInSteps(card, exchange);
        EXPECT_TRUE(fed.dropped);
        EXPECT_EQ(fed.answers, std::vector<QByteArray>{Hex("03")}) << "only the preamble is answered";
        ASSERT_EQ(fed.exchanges.size(), 1u);
        EXPECT_EQ(fed.exchanges[0].outcome, Outcome::Dropped);
        EXPECT_EQ(fed.exchanges[0].frameBytes, 3);
        EXPECT_EQ(card.Memory().Find(3), nullptr);
        // The rest of the frame was read past; the next exchange starts clean (and drops again).
        const Fed next = FeedInSteps(card, Hex("0303"));
        EXPECT_EQ(next.answers, std::vector<QByteArray>{Hex("03")});
    }
    {
        CardOptions options;
        options.dropAfter = 5; // the whole frame: nothing to drop
        ControllerCard card(options);
        const Fed fed = FeedInSteps(card, exchange);
        EXPECT_FALSE(fed.dropped);
        EXPECT_EQ(fed.answers.size(), 2u);
    }
}

TEST(ControllerCard, ResynchronisesOnStrayBytesAbandonedExchangesAndUnknownCodes)
{
    ControllerCard card(CardOptions{});
    // Stray bytes, a preamble without a frame, a new preamble, an unknown command, a frame.
    const QByteArray stream = Hex("5566"
                                  "0404"
                                  "0404"
                                  "04c5"
                                  "0404")
                              + BuildTestFrame(3, 1);
    const Fed fed = FeedInSteps(card, stream, 1);
    ASSERT_EQ(fed.exchanges.size(), 4u);
    EXPECT_EQ(fed.exchanges[0].outcome, Outcome::Discarded);
    EXPECT_EQ(fed.exchanges[0].frameBytes, 2);
    EXPECT_EQ(fed.exchanges[1].outcome, Outcome::PreambleOnly);
    EXPECT_EQ(fed.exchanges[2].outcome, Outcome::Rejected);
    EXPECT_EQ(fed.exchanges[3].outcome, Outcome::Acknowledged);
    EXPECT_EQ(fed.answers.size(), 4u); // three preambles and the frame
    EXPECT_EQ(card.Memory().Screen(4).TestPattern(), 1);
}

TEST(ControllerCard, AFrameNotEndingIn0xAAIsNeitherKeptNorAnswered)
{
    ControllerCard card(CardOptions{});
    QByteArray frame = BuildPowerFrame(0, false);
    frame.back() = char(0x00);
    const Fed fed = FeedInSteps(card, Hex("0101") + frame);
    EXPECT_EQ(fed.answers, std::vector<QByteArray>{Hex("01")}) << "only the preamble is answered";
    ASSERT_EQ(fed.exchanges.size(), 1u);
    EXPECT_EQ(fed.exchanges[0].outcome, Outcome::Rejected);
    EXPECT_FALSE(card.Memory().Screen(1).PoweredOff());
}

// A new connection, or a gap on the serial line, ends what was half received: the card reports it
// and reads the next bytes as a new preamble instead of as the rest of the frame.
TEST(ControllerCard, ResetAndAGapForgetAHalfReceivedExchange)
{
    const QByteArray frame = PageFile(1, 2);
    // A single-colour page file that a card still at its dual-colour default waits on for ever.
    QByteArray single = frame.first(21 + 32);
    single.append(char(0xAA));
    struct Case {
        const char *name;
        QByteArray sent;
        bool gap; // else Reset
        Outcome outcome;
        qint64 frameBytes;
    };
    const Case cases[] = {
        {"reset, frame cut off", Hex("0101") + frame.first(40), false, Outcome::Rejected, 40},
        {"gap, frame cut off", Hex("0101") + frame.first(40), true, Outcome::Rejected, 40},
        {"gap, frame of another colour depth", Hex("0101") + single, true, Outcome::Rejected, single.size()},
        {"gap, preamble answered only", Hex("0101"), true, Outcome::PreambleOnly, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ControllerCard card(CardOptions{});
        FeedInSteps(card, c.sent);
        EXPECT_FALSE(card.ExpectsSendPauses()) << "a small frame";
        const ControllerCard::Output ended = c.gap ? card.EndAfterGap(2000) : card.Reset();
        ASSERT_EQ(ended.exchanges.size(), 1u);
        EXPECT_EQ(ended.exchanges[0].outcome, c.outcome);
        EXPECT_EQ(ended.exchanges[0].frameBytes, c.frameBytes);
        EXPECT_TRUE(ended.answers.empty());
        const Fed fed = FeedInSteps(card, Hex("0101") + frame);
        ASSERT_EQ(fed.exchanges.size(), 1u);
        EXPECT_EQ(fed.exchanges[0].outcome, Outcome::Acknowledged);
        EXPECT_EQ(card.Memory().Screen(1)[CardSlot::Pages], frame);
        EXPECT_TRUE(card.EndAfterGap(2000).exchanges.empty()) << "nothing was in progress";
    }
}

TEST(ControllerCard, KeepsTheClockAndDropsTimedPlayListsOnCancel)
{
    ControllerCard card(CardOptions{});
    const ScreenInfo screen = DefaultScreenInfo();
    FeedInSteps(card, Hex("0101") + BuildClockFrame(0, screen, {}, QDateTime(QDate(2024, 3, 5), QTime(8, 0, 9))));
    EXPECT_EQ(card.Memory().Screen(1).ClockTime(), QDateTime(QDate(2024, 3, 5), QTime(8, 0, 9)));
    FeedInSteps(card, Hex("0101") + BuildTimeSyncFrame(0, QDateTime(QDate(2006, 12, 31), QTime(23, 59, 7))));
    EXPECT_EQ(card.Memory().Screen(1).ClockTime(), QDateTime(QDate(2006, 12, 31), QTime(23, 59, 7)));

    FeedInSteps(card, Hex("0101") + BuildScheduleFrame(0, std::vector<ScheduleRecord>(2)).frame);
    EXPECT_FALSE(card.Memory().Screen(1)[CardSlot::Schedule].isEmpty());
    FeedInSteps(card, Hex("0101") + BuildCancelScheduleFrame(0));
    EXPECT_TRUE(card.Memory().Screen(1)[CardSlot::Schedule].isEmpty());
}

TEST(ControllerCard, CardsOfSeveralLinksShareOneMemory)
{
    CardMemory memory;
    ControllerCard tcp(CardOptions{}, &memory);
    ControllerCard serial(CardOptions{}, &memory);
    FeedInSteps(tcp, Hex("0101") + BuildPowerFrame(0, false));
    FeedInSteps(serial, Hex("01"));
    FeedInSteps(tcp, Hex("01")); // the other link's half preamble is its own
    EXPECT_TRUE(memory.Screen(1).PoweredOff());
    const Fed fed = FeedInSteps(serial, Hex("01") + BuildPowerFrame(0, true));
    EXPECT_EQ(fed.answers.size(), 2u);
    EXPECT_FALSE(memory.Screen(1).PoweredOff());
}

} // namespace
} // namespace pelvoro
