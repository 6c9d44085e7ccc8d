// The in-process radio against the one on a pseudo-terminal: the tool must not be able to tell
// them apart, neither by the bytes nor by the pace they come at.
#include "in_process_radio.h"

#include <gtest/gtest.h>

#include <chrono>

#include "radio_client.h"
#include "virtual_radio.h"

namespace orvel::sim {
namespace {

using namespace probe;

// What the in-process port delivers, read the way RadioClient::Answer reads a terminal.
Bytes Exchange(BytePort& port, const RadioFrame& frame) {
    for (std::uint8_t byte : frame)
        port.WriteByte(byte);
    Bytes bytes;
    while (port.WaitForData(bytes.empty() ? 1000 : 50)) {
        std::uint8_t byte = 0;
        EXPECT_EQ(port.ReadByte(byte), 1);
        bytes.push_back(byte);
    }
    return bytes;
}

TEST(InProcessRadio, AnswersByteForByteAsTheRadioOnATerminal) {
    RadioBehaviour echoing;
    echoing.echo = true;
    for (const RadioBehaviour& behaviour : {RadioBehaviour{}, echoing}) {
        VirtualRadio terminal(VirtualRadio::DefaultImage(), behaviour);
        std::string error;
        ASSERT_TRUE(terminal.Start(&error)) << error;
        RadioClient client(terminal.DevicePath());
        ASSERT_TRUE(client.IsOpen());
        InProcessRadio inProcess(RadioEngine::DefaultImage(), behaviour);
        // In order: what a write changes must show in the read-backs that follow.
        const RadioFrame frames[] = {
            MakeFrame(CmdIdentify),
            MakeFrame(CmdReadImage),
            MakeFrame(CmdWriteWord, 0x05, 0x12, 0x34),
            MakeFrame(CmdReadWord, 0x05),
            MakeFrame(CmdSetChannel, 3, 2),
            MakeFrame(CmdReadWord, layout::kWordCurrentChannel),
            MakeFrame(CmdReadImage),
        };
        for (const RadioFrame& frame : frames) {
            const Bytes expected = client.Exchange(frame);
            EXPECT_FALSE(expected.empty()) << int{frame[1]};
            EXPECT_EQ(Exchange(inProcess, frame), expected) << "command " << int{frame[1]};
        }
        EXPECT_EQ(inProcess.Engine().Frames(), terminal.Frames());
    }
}

TEST(InProcessRadio, PacedAnswersTakeTheLineTimeAndWaitsEndAtTheirBound) {
    using Clock = std::chrono::steady_clock;
    RadioBehaviour paced;
    paced.pace = true;
    InProcessRadio radio(RadioEngine::DefaultImage(), paced);
    // Nothing is due: a wait lasts its bound.
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(radio.WaitForData(30));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));

    start = Clock::now();
    for (std::uint8_t byte : MakeFrame(CmdReadImage))
        radio.WriteByte(byte);
    std::uint8_t byte = 0;
    EXPECT_EQ(radio.ReadByte(byte), 0);  // the first byte is still on the line
    std::size_t count = 0;
    while (count < kImageSize && radio.WaitForData(100) && radio.ReadByte(byte) == 1)
        ++count;
    const auto took = Clock::now() - start;
    EXPECT_EQ(count, kImageSize);
    // 260 bytes of 11 bits at 9600 baud: 0.298 s.
    EXPECT_GE(took, std::chrono::milliseconds(290));
    EXPECT_LT(took, std::chrono::milliseconds(600));
}

// On a paced line the radio takes a frame when its last byte has come, so an acknowledgement
// comes no sooner than eleven byte times (eight out, three back) after the frame was written.
TEST(InProcessRadio, PacedRadiosTakeTheFramesAtTheLineRateToo) {
    using Clock = std::chrono::steady_clock;
    RadioBehaviour paced;
    paced.pace = true;
    const RadioFrame frame = MakeFrame(CmdWriteWord, 0x05, 0x12, 0x34);
    const auto least = std::chrono::nanoseconds(11 * kPacedByteNanoseconds);

    InProcessRadio inProcess(RadioEngine::DefaultImage(), paced);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(Exchange(inProcess, frame), Bytes(kAck.begin(), kAck.end()));
    // The exchange ends 50 ms after the last byte, with nothing more coming.
    EXPECT_GE(Clock::now() - start - std::chrono::milliseconds(50), least);

    VirtualRadio terminal(VirtualRadio::DefaultImage(), paced);
    std::string error;
    ASSERT_TRUE(terminal.Start(&error)) << error;
    RadioClient client(terminal.DevicePath());
    start = Clock::now();
    EXPECT_EQ(client.Exchange(frame), Bytes(kAck.begin(), kAck.end()));
    EXPECT_GE(Clock::now() - start - std::chrono::milliseconds(50), least);
}

}  // namespace
}  // namespace orvel::sim
