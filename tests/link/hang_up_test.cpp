// A device that goes away under an open port: the master side of the radio's pseudo-terminal
// closes, as when an adapter is pulled or the radio's program dies.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "byte_trace.h"
#include "exchanges.h"
#include "link_fixture.h"

namespace orvel::testing {
namespace {

void RunEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

class HangUpTest : public LinkTest {
protected:
    void StartWatchedRadio(sim::RadioBehaviour behaviour = {}) {
        StartRadio(behaviour);
        device = radio->DevicePath();
        port.SetLostHandler([this](const std::string& name, const std::string& why) {
            lostDevices.push_back(name);
            reason = why;
        });
    }

    // Every byte sent goes to a trace, so that what left after the pull shows.
    void TraceSentBytes() {
        tracePath = ScratchPath("hangup");
        std::string error;
        ASSERT_TRUE(trace.Open(tracePath, error)) << error;
        port.SetTrace(&trace);
    }

    int FramesSent() {
        port.SetTrace(nullptr);
        trace.Flush();
        const auto lines = TraceLines(tracePath);
        std::remove(tracePath.c_str());
        return std::ranges::count_if(lines,
                                     [](const auto& line) { return line.starts_with("TX "); });
    }

    // Pauses count once the cable is out; pause(0), which only lets a window paint, waits for
    // nothing. They are real, so that a loaded machine's radio still answers in time; the
    // settling pause is cut short.
    void Pause(int ms) {
        pauses.push_back(ms);
        if (pulled && ms > 0)
            ++pausesAfterPull;
        SleepPause(std::min(ms, kPollPauseMs));
    }

    void Pull() {
        radio->Stop();
        pulled = true;
    }

    void ExpectClosedAndReportedOnce() {
        EXPECT_EQ(port.IsOpen(), 0);
        EXPECT_EQ(lostDevices, std::vector<std::string>{device});
        // The terminal's own word (EIO) belongs to the reason too.
        EXPECT_EQ(reason, "hung up (Input/output error)");
        EXPECT_EQ(port.LostReason(), reason);
        // From now on the port behaves as a closed one, at once and without a second report.
        std::uint8_t byte = 0x55;
        EXPECT_EQ(port.ReadByte(byte), -1);
        EXPECT_EQ(port.WriteByte(0xCC), -1);
        port.DiscardInput();
        port.PurgeOutput();
        EXPECT_FALSE(port.CheckConnection());
        EXPECT_EQ(port.Close(), 1);
        EXPECT_EQ(lostDevices.size(), 1u);
    }

    std::string device;
    std::vector<std::string> lostDevices;
    std::string reason;
    bool pulled = false;
    int pausesAfterPull = 0;
    ByteTrace trace;
    std::string tracePath;
};

TEST_F(HangUpTest, AnIdlePortClosesItselfInTheEventLoopAndStopsPolling) {
    StartWatchedRadio();
    radio->Stop();
    const double before = ProcessCpuSeconds();
    RunEventLoop(2000);
    const double used = ProcessCpuSeconds() - before;
    // A port that kept polling the dead terminal would burn the whole two seconds.
    EXPECT_LT(used, 0.1);
    ExpectClosedAndReportedOnce();
}

TEST_F(HangUpTest, AThreadWithoutEventLoopFindsTheHangUpByLooking) {
    StartWatchedRadio();
    EXPECT_TRUE(port.CheckConnection());
    EXPECT_TRUE(lostDevices.empty());
    radio->Stop();
    EXPECT_FALSE(port.CheckConnection());
    ExpectClosedAndReportedOnce();
}

TEST_F(HangUpTest, AReadByteMeetsTheHangUpAndReportsNoPort) {
    StartWatchedRadio();
    radio->Stop();
    std::uint8_t byte = 0x55;
    EXPECT_EQ(port.ReadByte(byte), -1);
    EXPECT_EQ(byte, 0);
    ExpectClosedAndReportedOnce();
}

TEST_F(HangUpTest, AReadEndsAtOnceWhenTheCableGoesDuringTheImage) {
    StartWatchedRadio(sim::RadioBehaviour{.pace = true});
    TraceSentBytes();
    ExchangeHooks hooks = Hooks();
    hooks.pause = [&](int ms) { Pause(ms); };
    // The cable goes once the first tenth of the image is in, whichever rhythm takes the bytes.
    hooks.progress = [&](int percent) {
        if (percent == 10 && !pulled)
            Pull();
    };
    const ReadOutcome outcome = ReadRadio(port, hooks);
    EXPECT_EQ(outcome.status, ReadStatus::Timeout);
    EXPECT_LT(outcome.received, kImageSize);
    EXPECT_EQ(log.back(), "接收数据超时\r\n");
    EXPECT_EQ(pausesAfterPull, 0);  // the rest of the image wait is not waited out
    ExpectClosedAndReportedOnce();
    EXPECT_EQ(FramesSent(), 2);
}

TEST_F(HangUpTest, AWriteEndsAtTheNextFrameWithItsFailureLine) {
    StartWatchedRadio();
    TraceSentBytes();
    ExchangeHooks hooks = Hooks();
    hooks.pause = [&](int ms) { Pause(ms); };
    // The cable goes once frame 7 is acknowledged: frame 8 is the first that cannot go out.
    hooks.progress = [&](int percent) {
        if (percent == 10)
            Pull();
    };
    const WriteOutcome outcome = WriteRadio(port, WriteRequest{}, hooks);
    EXPECT_EQ(outcome.status, WriteStatus::Rejected);
    EXPECT_EQ(outcome.failedFrame, 8);
    EXPECT_EQ(log.back(), WriteProgressLine(10, false));
    EXPECT_LE(pausesAfterPull, 1);  // frame 7's own pause; no acknowledgement is waited for
    ExpectClosedAndReportedOnce();
    EXPECT_EQ(FramesSent(), 7);
}

TEST_F(HangUpTest, ACurrentChannelReadEndsBeforeItsSecondFrame) {
    StartWatchedRadio();
    radio->SetCurrentChannel(4);
    TraceSentBytes();
    int seen = -1;
    ExchangeHooks hooks = Hooks();
    hooks.pause = [&](int ms) {
        Pause(ms);
        if (ms == 500)  // the settling pause between the two questions
            Pull();
    };
    const CurrentChannelOutcome outcome = ReadCurrentChannel(port, hooks, [&](int c) { seen = c; });
    EXPECT_EQ(outcome.status, ChannelStatus::Timeout);
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(pausesAfterPull, 0);
    ExpectClosedAndReportedOnce();
    EXPECT_EQ(FramesSent(), 1);  // the squelch question never went out
}

TEST_F(HangUpTest, AHangUpMetJustBeforeACloseIsReportedOnce) {
    StartWatchedRadio();
    radio->Stop();
    EXPECT_FALSE(port.WaitForData(100));
    EXPECT_EQ(port.Close(), 1);
    RunEventLoop(100);
    EXPECT_EQ(lostDevices, std::vector<std::string>{device});
    EXPECT_EQ(reason, "hung up (Input/output error)");
}

TEST_F(HangUpTest, OpeningAgainStartsAfreshWithoutTheOldReason) {
    StartWatchedRadio();
    radio->Stop();
    EXPECT_FALSE(port.CheckConnection());
    ASSERT_EQ(radio->Start(), true);
    ASSERT_EQ(port.OpenDevice(radio->DevicePath()), 1);
    EXPECT_TRUE(port.LostReason().empty());
    EXPECT_EQ(LinkCheck(port, Hooks()), LinkStatus::Ok);
    // A release queued for the lost port must not close the new one.
    RunEventLoop(50);
    EXPECT_EQ(port.IsOpen(), 1);
    EXPECT_EQ(lostDevices.size(), 1u);
}

}  // namespace
}  // namespace orvel::testing
