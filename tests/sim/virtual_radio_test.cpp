#include "virtual_radio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "codec.h"
#include "radio_client.h"

namespace orvel::sim {
namespace {

using namespace probe;

const Bytes kAckBytes = {0x33, 0x06, 0x00};
const Bytes kNakBytes = {0x33, 0x15, 0x00};
const Bytes kIdentity = ToBytes("ORVEL-R1");

RadioFrame ReadWord(int word) {
    return MakeFrame(CmdReadWord, static_cast<std::uint8_t>(word));
}
RadioFrame WriteWord(int word, std::uint8_t first, std::uint8_t second) {
    return MakeFrame(CmdWriteWord, static_cast<std::uint8_t>(word), first, second);
}
RadioBehaviour With(void (*change)(RadioBehaviour&)) {
    RadioBehaviour behaviour;
    change(behaviour);
    return behaviour;
}

// A running radio and a client on its terminal.
struct Bench {
    explicit Bench(RadioBehaviour behaviour = {}, MemoryImage image = VirtualRadio::DefaultImage())
        : radio(image, std::move(behaviour)) {
        std::string error;
        EXPECT_TRUE(radio.Start(&error)) << error;
        client = std::make_unique<RadioClient>(radio.DevicePath());
        EXPECT_TRUE(client->IsOpen()) << radio.DevicePath();
    }
    VirtualRadio radio;
    std::unique_ptr<RadioClient> client;
};

TEST(DefaultImage, IsACompleteConfigurationAwayFromTheStartupValues) {
    const MemoryImage image = VirtualRadio::DefaultImage();
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 3), (Bytes{0x33, 0x06, 0x81}));
    const DecodedImage decoded = DecodeImage(image, DecodeSource::FromFile);
    ASSERT_TRUE(decoded.checksumOk);
    for (const ChannelRow& row : decoded.table) {
        for (std::size_t column = kColRx; column <= kColSquelch; ++column) {
            EXPECT_FALSE(row[column].empty()) << row[0] << " column " << column;
        }
        for (std::size_t column : {kColRx, kColTx}) {
            EXPECT_GE(std::stod(row[column]), 223.0) << row[0];
            EXPECT_LE(std::stod(row[column]), 235.0) << row[0];
        }
    }
    EXPECT_EQ(decoded.settings.baudRate, 3);
    EXPECT_EQ(decoded.settings.parity, 2);
    EXPECT_NE(decoded.settings, RadioSettings{});
    EXPECT_GE(std::count_if(image.begin() + layout::kSpareA, image.end() - 1,
                            [](std::uint8_t b) { return b != 0; }),
              6);  // two spare bytes at least, beside the four settings bytes
}

TEST(Identify, SendsTheIdentityBytesUntranslated) {
    Bench bench;
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdIdentify)), kIdentity);
    // Short, with a carriage return, with DEL: a cooked terminal would mangle the last two.
    for (const std::string& identity :
         {std::string("ORVEL-R"), std::string("ORV\rL-R1"), std::string("ORVEL-R\x7F")}) {
        RadioBehaviour behaviour;
        behaviour.identity = identity;
        bench.radio.SetBehaviour(behaviour);
        EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdIdentify)), ToBytes(identity));
    }
}

TEST(ReadImage, SendsTheHeldImageAndItsFaults) {
    MemoryImage image = VirtualRadio::DefaultImage();
    image[0] = 0x12;                  // sent as held, not rebuilt
    image[layout::kChecksum] = 0xFF;  // so that the broken checksum wraps to 00
    Bench bench({}, image);
    const Bytes whole(image.begin(), image.end());
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdReadImage)), whole);

    bench.radio.SetBehaviour(With([](RadioBehaviour& b) { b.badChecksum = true; }));
    Bytes expected = whole;
    expected.back() = 0x00;
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdReadImage)), expected);
    EXPECT_EQ(bench.radio.Image(), image);

    bench.radio.SetBehaviour(With([](RadioBehaviour& b) { b.cutImage = 100; }));
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdReadImage)),
              Bytes(whole.begin(), whole.begin() + 100));
    bench.radio.SetBehaviour(With([](RadioBehaviour& b) { b.cutImage = 0; }));
    EXPECT_TRUE(bench.client->Unanswered(MakeFrame(CmdReadImage)).empty());

    bench.radio.SetBehaviour(With([](RadioBehaviour& b) { b.extraImageBytes = 5; }));
    expected = whole;
    expected.insert(expected.end(), 5, 0xEE);
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdReadImage)), expected);
    // The surplus follows whatever was sent of the image.
    bench.radio.SetBehaviour(With([](RadioBehaviour& b) {
        b.extraImageBytes = 2;
        b.cutImage = 3;
    }));
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdReadImage)),
              (Bytes{0x12, 0x06, 0x81, 0xEE, 0xEE}));
}

TEST(WriteWord, StoresTheWordRenewsTheChecksumAndAcknowledges) {
    Bench bench;
    MemoryImage expected = bench.radio.Image();
    EXPECT_EQ(bench.client->Exchange(WriteWord(0x00, 0x12, 0x34)), kAckBytes);
    EXPECT_EQ(bench.client->Exchange(WriteWord(0x7F, 0xAB, 0xCD)), kAckBytes);
    expected[3] = 0x12;
    expected[4] = 0x34;
    expected[257] = 0xAB;
    expected[258] = 0xCD;
    expected[layout::kChecksum] = ImageChecksum(expected);
    EXPECT_EQ(bench.radio.Image(), expected);
    // Past the parameter memory: acknowledged, nothing stored.
    EXPECT_EQ(bench.client->Exchange(WriteWord(0x80, 0x55, 0x55)), kAckBytes);
    EXPECT_EQ(bench.radio.Image(), expected);
}

TEST(WriteWord, RefusesOnlyTheChosenFrameAndCountsAfreshOnANewBehaviour) {
    Bench bench(With([](RadioBehaviour& b) { b.nakWriteFrame = 2; }));
    const std::uint8_t untouched = bench.radio.Image()[layout::WordOffset(2)];
    EXPECT_EQ(bench.client->Exchange(WriteWord(1, 0x11, 0x11)), kAckBytes);
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdIdentify)), kIdentity);  // does not count
    EXPECT_EQ(bench.client->Exchange(WriteWord(2, 0x22, 0x22)), kNakBytes);
    EXPECT_EQ(bench.client->Exchange(WriteWord(3, 0x33, 0x33)), kAckBytes);
    const MemoryImage after = bench.radio.Image();
    EXPECT_EQ(after[layout::WordOffset(1)], 0x11);
    EXPECT_EQ(after[layout::WordOffset(2)], untouched);
    EXPECT_EQ(after[layout::WordOffset(3)], 0x33);

    bench.radio.SetBehaviour(bench.radio.Behaviour());
    EXPECT_EQ(bench.client->Exchange(WriteWord(4, 0, 0)), kAckBytes);
    EXPECT_EQ(bench.client->Exchange(WriteWord(4, 0, 0)), kNakBytes);
}

TEST(WriteWord, IgnoredWritesAreAcknowledgedButNotStored) {
    Bench bench(With([](RadioBehaviour& b) { b.ignoreWrites = true; }));
    const MemoryImage before = bench.radio.Image();
    EXPECT_EQ(bench.client->Exchange(WriteWord(5, 0x99, 0x98)), kAckBytes);
    EXPECT_EQ(bench.radio.Image(), before);
}

TEST(ReadWord, ReportsTheCurrentChannelAndImageWords) {
    MemoryImage image = VirtualRadio::DefaultImage();
    image[layout::ChannelOffset(15) + layout::kSquelch] = 0x0C;
    Bench bench({}, image);
    bench.radio.SetCurrentChannel(4);
    EXPECT_EQ(bench.client->Exchange(ReadWord(0x60)),
              (Bytes{0x33, 0x03, 0x60, image[layout::WordOffset(0x60)], 4}));
    // An index the tool cannot show is still reported as it is.
    bench.radio.SetCurrentChannel(16);
    EXPECT_EQ(bench.client->Exchange(ReadWord(0x60)).at(4), 16);

    // Word 4c + 1 carries channel c's squelch byte last; the first and last word of the memory.
    EXPECT_EQ(bench.client->Exchange(ReadWord(4 * 15 + 1)),
              (Bytes{0x33, 0x03, 0x3D, image[layout::ChannelOffset(15) + 2], 0x0C}));
    EXPECT_EQ(bench.client->Exchange(ReadWord(0)), (Bytes{0x33, 0x03, 0x00, image[3], image[4]}));
    EXPECT_EQ(bench.client->Exchange(ReadWord(0x7F)),
              (Bytes{0x33, 0x03, 0x7F, image[257], image[258]}));
}

TEST(ReadWord, AnswersOnlyTheFirstFrames) {
    Bench bench(With([](RadioBehaviour& b) { b.answerReadWords = 1; }));
    EXPECT_EQ(bench.client->Exchange(ReadWord(0x60)).size(), 5u);
    EXPECT_TRUE(bench.client->Unanswered(ReadWord(0x01)).empty());
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdIdentify)), kIdentity);

    bench.radio.SetBehaviour(With([](RadioBehaviour& b) { b.answerReadWords = 0; }));
    EXPECT_TRUE(bench.client->Unanswered(ReadWord(0x60)).empty());
}

TEST(SetChannel, MakesTheChannelCurrentAndStoresItsSquelch) {
    Bench bench;
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdSetChannel, 0x0F, 0x09)), kAckBytes);
    EXPECT_EQ(bench.radio.CurrentChannel(), 15);
    const MemoryImage image = bench.radio.Image();
    EXPECT_EQ(image[layout::ChannelOffset(15) + layout::kSquelch], 0x09);
    EXPECT_EQ(image[layout::kChecksum], ImageChecksum(image));
    EXPECT_EQ(bench.client->Exchange(ReadWord(0x60)).at(4), 15);
    EXPECT_EQ(bench.client->Exchange(ReadWord(4 * 15 + 1)).at(4), 9);

    // Beyond the channel records there is no squelch byte to store.
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdSetChannel, 16, 3)), kAckBytes);
    EXPECT_EQ(bench.radio.CurrentChannel(), 16);
    EXPECT_EQ(bench.radio.Image(), image);
}

TEST(Silent, AnswersNothingAndChangesNothingButRecordsTheFrames) {
    Bench bench(With([](RadioBehaviour& b) { b.silent = true; }));
    const MemoryImage before = bench.radio.Image();
    for (const RadioFrame& frame :
         {MakeFrame(CmdIdentify), MakeFrame(CmdReadImage), WriteWord(0, 1, 2), ReadWord(0x60),
          MakeFrame(CmdSetChannel, 3, 3)}) {
        ASSERT_TRUE(bench.client->Send(frame));
    }
    EXPECT_TRUE(bench.client->ReadUntilQuiet(150ms, 150ms).empty());
    EXPECT_EQ(bench.radio.Image(), before);
    EXPECT_EQ(bench.radio.CurrentChannel(), 0);
    EXPECT_EQ(bench.radio.Frames().size(), 5u);
}

TEST(Framing, DropsABadSumAndAnswersTheNextGoodFrame) {
    Bench bench;
    RadioFrame damaged = MakeFrame(CmdIdentify);
    damaged[7] ^= 0x01;
    EXPECT_TRUE(bench.client->Unanswered(damaged).empty());
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdIdentify)), kIdentity);
    EXPECT_EQ(bench.radio.Frames(), std::vector<RadioFrame>{MakeFrame(CmdIdentify)});
}

TEST(Framing, ResyncsOnAStartByteInsideABrokenFrame) {
    Bench bench;
    // Noise, a frame cut short, then a whole one: the eight bytes from the first CC fail their
    // sum, and the second CC has to be found inside them.
    Bytes bytes = {0x00, 0x55, 0xCC, 0x0F, 0x00};
    const RadioFrame frame = ReadWord(0x60);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    ASSERT_TRUE(bench.client->Send(bytes));
    EXPECT_EQ(bench.client->Answer().size(), 5u);
    EXPECT_EQ(bench.radio.Frames(), std::vector<RadioFrame>{frame});
    EXPECT_EQ(bench.radio.ReceivedBytes(), bytes);

    bench.radio.ClearRecord();
    EXPECT_TRUE(bench.radio.Frames().empty());
    EXPECT_TRUE(bench.radio.ReceivedBytes().empty());
}

TEST(Framing, AnswersSplitAndBackToBackFramesInOrder) {
    Bench bench;
    const RadioFrame identify = MakeFrame(CmdIdentify);
    for (std::uint8_t b : identify) {
        ASSERT_TRUE(bench.client->Send(Bytes{b}));
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(bench.client->Answer(), kIdentity);

    Bytes two(identify.begin(), identify.end());
    const RadioFrame setChannel = MakeFrame(CmdSetChannel, 1, 1);
    two.insert(two.end(), setChannel.begin(), setChannel.end());
    ASSERT_TRUE(bench.client->Send(two));
    Bytes expected = kIdentity;
    expected.insert(expected.end(), kAckBytes.begin(), kAckBytes.end());
    EXPECT_EQ(bench.client->Answer(), expected);
}

TEST(Framing, RecordsUnknownCommandsWithoutAnswering) {
    Bench bench;
    const RadioFrame unknown = MakeFrame(0x05, 1, 2, 3);
    EXPECT_TRUE(bench.client->Unanswered(unknown).empty());
    EXPECT_EQ(bench.radio.Frames(), std::vector<RadioFrame>{unknown});
}

TEST(Line, SurvivesTheClientClosingAndReopening) {
    Bench bench;
    bench.client.reset();
    RadioClient again(bench.radio.DevicePath());
    EXPECT_EQ(again.Exchange(MakeFrame(CmdIdentify)), kIdentity);
}

TEST(Line, PacedImageTakesTheLineTime) {
    // Byte by byte, and in groups as a device server hands them on: 260 is no multiple of 8,
    // and a group larger than the answer still waits for its last byte.
    for (const int group : {1, 8, 512}) {
        RadioBehaviour behaviour;
        behaviour.pace = true;
        behaviour.paceGroup = group;
        Bench bench(behaviour);
        const MemoryImage image = VirtualRadio::DefaultImage();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdReadImage)),
                  Bytes(image.begin(), image.end()))
            << group;
        // 260 bytes of 11 bits at 9600 baud take 0.298 s; the read ends 50 ms after the last byte.
        EXPECT_GE(std::chrono::steady_clock::now() - start - 50ms, 250ms) << group;
    }
}

TEST(Lifecycle, StopIsPromptAndIdempotent) {
    VirtualRadio idle;
    idle.Stop();  // never started
    EXPECT_TRUE(idle.DevicePath().empty());

    Bench bench(With([](RadioBehaviour& b) { b.pace = true; }));
    std::string error;
    EXPECT_FALSE(bench.radio.Start(&error));
    EXPECT_FALSE(error.empty());
    // The refused second start must not have disturbed the first.
    EXPECT_EQ(bench.client->Exchange(MakeFrame(CmdIdentify)), kIdentity);

    // Stop in the middle of a paced image.
    ASSERT_TRUE(bench.client->Send(MakeFrame(CmdReadImage)));
    EXPECT_FALSE(bench.client->ReadUntilQuiet(1000ms, 0ms).empty());
    const auto start = std::chrono::steady_clock::now();
    bench.radio.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    bench.radio.Stop();

    // Started again it serves a new terminal.
    ASSERT_TRUE(bench.radio.Start(&error)) << error;
    RadioClient again(bench.radio.DevicePath());
    EXPECT_EQ(again.Exchange(MakeFrame(CmdIdentify)), kIdentity);
}

}  // namespace
}  // namespace orvel::sim
