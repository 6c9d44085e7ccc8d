// Bytes on the line that answer nothing the tool asked: a doubled acknowledgement, noise after an
// answer. A proxy between the port and the virtual radio adds them.
#include <random>

#include "byte_proxy.h"
#include "link_fixture.h"

namespace orvel::testing {
namespace {

WriteRequest Request() {
    WriteRequest request;
    request.table = EmptyChannelTable();
    request.table[2] = {ChannelLabel(3), "226.125", "226.625", "P2", "4800", "开", "L3"};
    return request;
}

class StrayBytes : public LinkTest {
protected:
    void StartBehindProxy(sim::RadioBehaviour behaviour, ByteProxy::Tamper tamper) {
        radio = StartedRadio(behaviour);
        proxy = std::make_unique<ByteProxy>(radio->DevicePath(), std::move(tamper));
        ASSERT_FALSE(proxy->DevicePath().empty());
        ASSERT_EQ(port.OpenDevice(proxy->DevicePath()), 1) << port.LastOpenError();
    }
    void TearDown() override {
        port.Close();
        proxy.reset();
        LinkTest::TearDown();
    }
    std::unique_ptr<ByteProxy> proxy;
};

const std::vector<std::uint8_t> kStrayAck(kAck.begin(), kAck.end());

TEST_F(StrayBytes, AnAcknowledgementLeftOverNeverAnswersTheNextFrame) {
    // A second 33 06 00 after the 65th acknowledgement, and a radio that refuses frame 66: the
    // write once took the stray bytes for frame 66's answer and claimed success.
    StartBehindProxy({.nakWriteFrame = 66}, AddAfter(65 * 3, kStrayAck));
    const WriteOutcome outcome = WriteRadio(port, Request(), Hooks());
    EXPECT_EQ(outcome.status, WriteStatus::Rejected);
    EXPECT_EQ(outcome.failedFrame, 66);
    EXPECT_EQ(outcome.fault, AckFault::Refused);
    EXPECT_NE(log.back(), FormatLine(lines::kWriteDone));
}

TEST_F(StrayBytes, NoiseAfterAnAnswerIsDroppedBeforeTheNextQuestion) {
    // After the identification; after the first acknowledgement of a set-channel frame.
    StartBehindProxy({}, AddAfter(kIdentitySize, {0x33, 0x06, 0x00, 0x5A}));
    const ReadOutcome read = ReadRadio(port, Hooks());
    ASSERT_EQ(read.status, ReadStatus::Ok);
    EXPECT_TRUE(read.checksumOk);
    EXPECT_EQ(read.image, radio->Image());
    port.Close();
    proxy.reset();
    radio->Stop();
    StartBehindProxy({.nakWriteFrame = 1}, AddAfter(kAck.size(), kStrayAck));
    EXPECT_EQ(SetCurrentChannel(port, 2, 3, Hooks()), SetChannelStatus::Accepted);
    EXPECT_EQ(WriteRadio(port, Request(), Hooks()).failedFrame, 1);
}

TEST_F(StrayBytes, NoiseAfterOneExchangeNeverStartsTheNextOnesAnswer) {
    // After a set-channel acknowledgement: the identification a read starts with.
    StartBehindProxy({}, AddAfter(kAck.size(), {0x5A, 0x33}));
    ASSERT_EQ(SetCurrentChannel(port, 2, 3, Hooks()), SetChannelStatus::Accepted);
    EXPECT_EQ(ReadRadio(port, Hooks()).status, ReadStatus::Ok);
    port.Close();
    proxy.reset();
    radio->Stop();
    // After the current channel's answer: the question for its squelch.
    StartBehindProxy({}, AddAfter(kReadWordAnswerSize, {0x5A, 0x33}));
    const CurrentChannelOutcome channel = ReadCurrentChannel(port, Hooks());
    EXPECT_EQ(channel.status, ChannelStatus::Ok);
    EXPECT_EQ(channel.dataError, ChannelDataError::None);
}

// Random stray bursts after random answers, and a refusal at a random frame or none: a write
// ends at the refused frame, and one that says it is done left the radio holding every word.
TEST_F(StrayBytes, StressRandomBurstsNeverMakeAWriteClaimSuccess) {
    std::mt19937 random(30);
    for (int run = 0; run < 8; ++run) {
        const int refused = static_cast<int>(random() % 80);  // beyond 66: none
        std::vector<std::size_t> after;
        for (int k = 0; k < 6; ++k)
            after.push_back(3 * (1 + random() % 66));
        const unsigned seed = random();
        SCOPED_TRACE("run " + std::to_string(run) + ", refused " + std::to_string(refused));
        StartBehindProxy({.nakWriteFrame = refused},
                         [after, burst = std::mt19937(seed)](
                             std::uint8_t byte, std::size_t fromRadio, std::size_t) mutable {
                             std::vector<std::uint8_t> out{byte};
                             if (std::find(after.begin(), after.end(), fromRadio) == after.end())
                                 return out;
                             if (burst() % 2 == 0)
                                 out.insert(out.end(), kAck.begin(), kAck.end());
                             for (unsigned n = burst() % 5; n > 0; --n)
                                 out.push_back(static_cast<std::uint8_t>(burst()));
                             return out;
                         });
        const WriteOutcome outcome = WriteRadio(port, Request(), Hooks());
        if (refused >= 1 && refused <= 66) {
            EXPECT_EQ(outcome.status, WriteStatus::Rejected);
            EXPECT_EQ(outcome.failedFrame, refused);
        } else {
            EXPECT_EQ(outcome.status, WriteStatus::Ok);
            EXPECT_EQ(radio->Frames(), WriteFrames(Request()));
        }
        port.Close();
        proxy.reset();
        radio->Stop();
    }
}

}  // namespace
}  // namespace orvel::testing
