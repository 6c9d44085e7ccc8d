#include "poll_receive.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "exchanges.h"
#include "link_fixture.h"

namespace orvel::testing {
namespace {

using PollReceiveTest = LinkTest;

TEST_F(PollReceiveTest, APacedImageWakesTheReaderFarLessThanOnceABytePromptly) {
#ifdef _WIN32
    ORVEL_POSIX_ONLY("Windows keeps no count of a thread's voluntary wake-ups");
#else
    StartRadio({.pace = true});
    const long before = WakeUps();
    const ReadOutcome outcome = ReadRadio(port, Hooks());
    const long wakeUps = WakeUps() - before;
    ASSERT_EQ(outcome.status, ReadStatus::Ok);
    // Woken for each of the 260 bytes as it comes, the reader would cost a core's attention.
    EXPECT_LT(wakeUps, 130);
#endif
}

TEST_F(PollReceiveTest, ASilentRadioEndsThePassShapeAfterItsPasses) {
    StartRadio(sim::RadioBehaviour{.silent = true});
    SendFrame(port, MakeFrame(CmdIdentify));
    const PollResult answer =
        PollReceive(port, kIdentityPoll, Hooks().pause, {}, PollTiming::Classic);
    EXPECT_EQ(answer.count, 0u);
    EXPECT_EQ(answer.bytes, std::vector<std::uint8_t>(8, 0));
    EXPECT_EQ(pauses, std::vector<int>(60, 20));
}

TEST_F(PollReceiveTest, ASilentRadioEndsTheAckShapeAfterThirtyPolls) {
    StartRadio(sim::RadioBehaviour{.silent = true});
    SendFrame(port, MakeFrame(CmdWriteWord, 0, 0, 0));
    const PollResult answer = PollReceive(port, kAckPoll, Hooks().pause, {}, PollTiming::Classic);
    EXPECT_EQ(answer.count, 0u);
    EXPECT_EQ(pauses.size(), 30u);
}

TEST_F(PollReceiveTest, TheAckShapeStopsAtTheThirdByteWithoutAPause) {
    StartRadio();
    SendFrame(port, MakeFrame(CmdWriteWord, 0, 0x23, 0x01));
    const PollResult answer = PollReceive(port, kAckPoll, Hooks().pause, {}, PollTiming::Classic);
    EXPECT_EQ(answer.bytes, (std::vector<std::uint8_t>{0x33, 0x06, 0x00}));
    // Every pause came after a poll that did not complete the answer.
    EXPECT_LT(pauses.size(), 30u);
}

TEST_F(PollReceiveTest, BytesBeyondTheExpectedCountStayQueued) {
    StartRadio(sim::RadioBehaviour{.extraImageBytes = 4});
    SendFrame(port, MakeFrame(CmdReadImage));
    const PollResult image = PollReceive(port, kImagePoll, Hooks().pause);
    ASSERT_TRUE(image.Complete());
    EXPECT_EQ(pauses.back(), 20);  // the pass that completed the answer is followed by a pause
    const PollResult surplus =
        PollReceive(port, PollPlan{4, PollShape::Pass, 10, 512}, Hooks().pause);
    EXPECT_EQ(surplus.bytes, (std::vector<std::uint8_t>{0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST_F(PollReceiveTest, APassTakesAtMostItsPollsWorthOfBytes) {
    StartRadio(sim::RadioBehaviour{.identity = "ABCDEFGH"});
    SendFrame(port, MakeFrame(CmdIdentify));
    SleepPause(100);  // the whole answer is queued before polling starts
    std::vector<int> passes;
    const PollResult answer = PollReceive(
        port, PollPlan{8, PollShape::Pass, 10, 3}, [&](int ms) { passes.push_back(ms); }, {},
        PollTiming::Classic);
    EXPECT_TRUE(answer.Complete());
    EXPECT_EQ(passes.size(), 3u);  // 3 + 3 + 2 bytes
}

// The prompt timing waits on the port: its only pauses are the painting calls of 0 ms while
// nothing arrives and the one pause after a completed pass.
TEST_F(PollReceiveTest, PromptTimingWaitsWithoutFixedPausesAndKeepsTheBounds) {
    StartRadio(sim::RadioBehaviour{.silent = true});
    SendFrame(port, MakeFrame(CmdWriteWord, 0, 0, 0));
    PollResult answer = PollReceive(port, kAckPoll, Hooks().pause);
    EXPECT_EQ(answer.count, 0u);
    EXPECT_FALSE(pauses.empty());  // a window kept painting during the whole bound
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 0), static_cast<long>(pauses.size()));

    radio->SetBehaviour({});
    pauses.clear();
    SendFrame(port, MakeFrame(CmdWriteWord, 0, 0x23, 0x01));
    answer = PollReceive(port, kAckPoll, Hooks().pause);
    EXPECT_EQ(answer.bytes, (std::vector<std::uint8_t>{0x33, 0x06, 0x00}));
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 20), 0);
}

TEST_F(PollReceiveTest, PromptTimingLeavesSurplusQueuedAndPausesAfterAPass) {
    StartRadio(sim::RadioBehaviour{.extraImageBytes = 4});
    SendFrame(port, MakeFrame(CmdReadImage));
    std::vector<std::size_t> counts;
    const PollResult image = PollReceive(port, kImagePoll, Hooks().pause,
                                         [&](std::size_t count) { counts.push_back(count); });
    ASSERT_TRUE(image.Complete());
    EXPECT_EQ(counts.size(), 260u);
    EXPECT_EQ(counts.back(), 260u);
    EXPECT_EQ(pauses.back(), 20);
    const PollResult surplus =
        PollReceive(port, PollPlan{4, PollShape::Pass, 10, 512}, Hooks().pause);
    EXPECT_EQ(surplus.bytes, (std::vector<std::uint8_t>{0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST_F(PollReceiveTest, AClosedPortEndsEitherTimingAtOnce) {
    StartRadio();
    port.Close();
    for (PollTiming timing : {PollTiming::Prompt, PollTiming::Classic}) {
        pauses.clear();
        const PollResult answer = PollReceive(port, kAckPoll, Hooks().pause, {}, timing);
        EXPECT_EQ(answer.count, 0u);
        if (timing == PollTiming::Prompt) {
            EXPECT_TRUE(pauses.empty());
        }
    }
    EXPECT_FALSE(port.WaitForData(1000));
}

}  // namespace
}  // namespace orvel::testing
