#include "exchanges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "codec.h"
#include "link_fixture.h"

namespace orvel::testing {
namespace {

// Answers each whole frame at once with what `answer` gives for it. Its clock moves only by
// the exchange's pauses, and `gaps` holds, for each frame sent after an answer, how long after
// that answer was taken in full the frame began.
class AnsweringPort : public BytePort {
public:
    std::function<std::vector<std::uint8_t>(const RadioFrame&)> answer;
    int clockMs = 0;
    std::vector<int> gaps;
    std::vector<RadioFrame> frames;

    ExchangeHooks Hooks(PollTiming timing = PollTiming::Prompt) {
        ExchangeHooks hooks;
        hooks.pause = [this](int ms) { clockMs += ms; };
        hooks.timing = timing;
        return hooks;
    }
    int IsOpen() const override { return 1; }
    int WriteByte(std::uint8_t byte) override {
        if (frame_.empty() && answerTakenAt_ >= 0)
            gaps.push_back(clockMs - answerTakenAt_);
        frame_.push_back(byte);
        if (frame_.size() == kFrameSize) {
            frames.emplace_back();
            std::copy(frame_.begin(), frame_.end(), frames.back().begin());
            frame_.clear();
            for (std::uint8_t b : answer(frames.back()))
                queued_.push_back(b);
        }
        return 1;
    }
    int ReadByte(std::uint8_t& out) override {
        out = 0;
        if (queued_.empty())
            return 0;
        out = queued_.front();
        queued_.pop_front();
        if (queued_.empty())
            answerTakenAt_ = clockMs;
        return 1;
    }
    bool WaitForData(int ms) override {
        if (queued_.empty())
            SleepPause(std::min(ms, 5));
        return !queued_.empty();
    }
    void DiscardInput() override { queued_.clear(); }
    void PurgeOutput() override {}

private:
    std::vector<std::uint8_t> frame_;
    std::deque<std::uint8_t> queued_;
    int answerTakenAt_ = -1;
};

using LinkCheckTest = LinkTest;
using ReadExchangeTest = LinkTest;
using WriteExchangeTest = LinkTest;
using CurrentChannelTest = LinkTest;

TEST_F(LinkCheckTest, IdentificationMustBeEightPrintableBytes) {
    struct Case {
        std::string identity;
        LinkStatus status;
        const char* line;
    } cases[] = {
        {"ABCDEFGH", LinkStatus::Ok, nullptr},
        {std::string("ABCDEF\x7F", 7) + "G", LinkStatus::Ok, nullptr},
        {"ABCDEFG", LinkStatus::NoAnswer, "通信错误\r\n"},
        {"ABC\rDEFG", LinkStatus::BadFormat, "格式出错\r\n"},
        {std::string("ABCDEFG\x80", 8), LinkStatus::BadFormat, "格式出错\r\n"},
        {"", LinkStatus::NoAnswer, "通信错误\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.identity);
        linkLog.clear();
        StartRadio(sim::RadioBehaviour{.identity = c.identity});
        std::string identity = "unchanged";
        EXPECT_EQ(LinkCheck(port, Hooks(), &identity), c.status);
        if (c.line) {
            EXPECT_EQ(linkLog, std::vector<std::string>{c.line});
            EXPECT_EQ(identity, "unchanged");
        } else {
            EXPECT_TRUE(linkLog.empty());
            EXPECT_EQ(identity, c.identity);
        }
        port.Close();
        radio->Stop();
    }
}

TEST_F(LinkCheckTest, AnEchoingLineIsNoRadio) {
    // The identify frame comes back as its own answer: 0xCC is not a printable byte.
    StartRadio(sim::RadioBehaviour{.silent = true, .echo = true});
    std::string identity = "unchanged";
    EXPECT_EQ(LinkCheck(port, Hooks(), &identity), LinkStatus::BadFormat);
    EXPECT_EQ(linkLog, std::vector<std::string>{"格式出错\r\n"});
    EXPECT_EQ(identity, "unchanged");
}

TEST_F(ReadExchangeTest, ACompleteImageLogsNineProgressLinesAndDecodes) {
    StartRadio();
    bool cleared = false;
    const ReadOutcome outcome = ReadRadio(port, Hooks(), [&] {
        cleared = true;
        EXPECT_EQ(radio->Frames().size(), 1u);  // after the link check, before the read
    });
    ASSERT_EQ(outcome.status, ReadStatus::Ok);
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(outcome.checksumOk);
    EXPECT_EQ(outcome.image, radio->Image());
    std::vector<std::string> expected;
    for (int p = 10; p <= 90; p += 10)
        expected.push_back(ReadProgressLine(p));
    EXPECT_EQ(log, expected);
    EXPECT_EQ(log[2], "接收数据[% 30]\r\n");
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(Sent(), (std::vector<RadioFrame>{MakeFrame(CmdIdentify), MakeFrame(CmdReadImage)}));
}

TEST_F(ReadExchangeTest, AnImageCutAfterOneHundredBytesTimesOut) {
    StartRadio(sim::RadioBehaviour{.cutImage = 100});
    const ReadOutcome outcome = ReadRadio(port, Hooks());
    EXPECT_EQ(outcome.status, ReadStatus::Timeout);
    EXPECT_EQ(outcome.received, 100u);
    EXPECT_EQ(log, (std::vector<std::string>{ReadProgressLine(10), ReadProgressLine(20),
                                             ReadProgressLine(30), "接收数据超时\r\n"}));
}

TEST_F(ReadExchangeTest, AWrongChecksumIsReportedAndTheDataStillReturned) {
    StartRadio(sim::RadioBehaviour{.badChecksum = true});
    const ReadOutcome outcome = ReadRadio(port, Hooks());
    EXPECT_EQ(outcome.status, ReadStatus::Ok);
    EXPECT_FALSE(outcome.checksumOk);
    EXPECT_EQ(log.back(), "数据校验错\r\n");
    MemoryImage expected = radio->Image();
    expected[259] = static_cast<std::uint8_t>(expected[259] + 1);
    EXPECT_EQ(outcome.image, expected);
}

TEST_F(ReadExchangeTest, SurplusBytesAreDiscardedByTheNextExchange) {
    StartRadio(sim::RadioBehaviour{.extraImageBytes = 7});
    ASSERT_EQ(ReadRadio(port, Hooks()).status, ReadStatus::Ok);
    SleepPause(50);
    const ReadOutcome second = ReadRadio(port, Hooks());
    EXPECT_EQ(second.status, ReadStatus::Ok);
    EXPECT_EQ(second.image, radio->Image());
}

TEST_F(ReadExchangeTest, AClosedPortSendsNothing) {
    StartRadio();
    port.Close();
    EXPECT_EQ(ReadRadio(port, Hooks()).status, ReadStatus::PortClosed);
    EXPECT_EQ(log, std::vector<std::string>{"串口没有打开，请重新选择串口\r\n"});
    EXPECT_TRUE(radio->Frames().empty());
}

TEST_F(ReadExchangeTest, ASilentRadioFailsTheLinkCheckOnly) {
    StartRadio(sim::RadioBehaviour{.silent = true});
    bool cleared = false;
    EXPECT_EQ(ReadRadio(port, Hooks(), [&] { cleared = true; }).status, ReadStatus::NoAnswer);
    EXPECT_FALSE(cleared);
    EXPECT_EQ(linkLog, std::vector<std::string>{"通信错误\r\n"});
    EXPECT_TRUE(log.empty());
}

WriteRequest SampleRequest() {
    WriteRequest request;
    request.table = EmptyChannelTable();
    request.table[0] = {ChannelLabel(1), "223.500", "235.000", "P3", "2400", "开", "L5"};
    request.table[15] = {ChannelLabel(16), "45.000", "0.100", "P1", "1200", "关", "L9"};
    request.settings.baudRate = 3;
    request.settings.powerSave = -1;
    return request;
}

TEST_F(WriteExchangeTest, AcceptedEverywhereSendsAllFramesWithProgress) {
    StartRadio();
    WriteRequest request = SampleRequest();
    request.specialWord = "12 34 56";
    const WriteOutcome outcome = WriteRadio(port, request, Hooks());
    EXPECT_EQ(outcome.status, WriteStatus::Ok);
    std::vector<std::string> expected;
    for (int p = 10; p <= 90; p += 10)
        expected.push_back(WriteProgressLine(p, true));
    expected.push_back("写入数据[% 100] 成功\r\n");
    expected.push_back("***正确写入数据***\r\n");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(log[2], "写入数据[% 30] 成功\r\n");

    const std::vector<RadioFrame> sent = Sent();
    ASSERT_EQ(sent.size(), 67u);
    EXPECT_EQ(sent, WriteFrames(request));
    EXPECT_EQ(sent[0], (RadioFrame{0xCC, 0x01, 0x00, 0x22, 0x35, 0x00, 0x00, 0x58}));
    EXPECT_EQ(sent[1], MakeFrame(CmdWriteWord, 0x01, 0x00, 0x05));
    EXPECT_EQ(sent[3], MakeFrame(CmdWriteWord, 0x03, 0x00, 0x80 + 3 + 0x20 + 0x40));
    EXPECT_EQ(sent[5], MakeFrame(CmdWriteWord, 0x05, 0x00, 0x00));  // an empty row: zeros
    EXPECT_EQ(sent[60], MakeFrame(CmdWriteWord, 60, 0x04, 0x50));
    EXPECT_EQ(sent[62], MakeFrame(CmdWriteWord, 62, 0x00, 0x01));
    EXPECT_EQ(sent[64], MakeFrame(CmdWriteWord, 0x6E, 0x00, 0xFF));  // no power-save selection
    EXPECT_EQ(sent[65], MakeFrame(CmdWriteWord, 0x6F, 0x01 + 0x04, 0x30));
    EXPECT_EQ(sent[66], (RadioFrame{0xCC, 0x01, 0x12, 0x34, 0x56, 0x00, 0x00, 0x9D}));

    // The radio now holds what was sent, word by word.
    const MemoryImage stored = radio->Image();
    EXPECT_EQ(stored[3], 0x22);
    EXPECT_EQ(stored[225], 0x05);
}

TEST_F(WriteExchangeTest, OnlyAnEightCharacterWordAddsTheSpecialFrame) {
    for (const char* word : {"12 34 5", "", "12 34 567", "1O 34 56"}) {
        StartRadio();
        log.clear();
        WriteRequest request = SampleRequest();
        request.specialWord = word;
        EXPECT_EQ(WriteFrames(request).size(), 66u) << word;
        EXPECT_EQ(WriteRadio(port, request, Hooks()).status, WriteStatus::Ok) << word;
        EXPECT_EQ(Sent().size(), 66u) << word;
        // A word that was set and is not sent says so, once; no word at all is no news.
        const auto said = std::count(log.begin(), log.end(), FormatLine(lines::kSpecialMalformed));
        EXPECT_EQ(said, *word == '\0' ? 0 : 1) << word;
        EXPECT_EQ(log.back(), FormatLine(lines::kWriteDone)) << word;
        port.Close();
        radio->Stop();
    }
}

TEST_F(WriteExchangeTest, ARejectedChannelFrameEndsTheWriteThere) {
    struct Case {
        int nak;
        const char* line;
    } cases[] = {{14, "写入数据[% 20] 失败\r\n"},
                 {5, "写入数据[% 0] 失败\r\n"},
                 {63, "写入数据[% 90] 失败\r\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nak);
        log.clear();
        StartRadio(sim::RadioBehaviour{.nakWriteFrame = c.nak});
        const WriteOutcome outcome = WriteRadio(port, SampleRequest(), Hooks());
        EXPECT_EQ(outcome.status, WriteStatus::Rejected);
        EXPECT_EQ(outcome.failedFrame, c.nak);
        EXPECT_EQ(outcome.failedStage, WriteStage::Channel);
        EXPECT_EQ(log.back(), c.line);
        EXPECT_EQ(static_cast<int>(log.size()), (c.nak - 1) / 7 + 1);
        EXPECT_EQ(static_cast<int>(Sent().size()), c.nak);
        port.Close();
        radio->Stop();
    }
}

TEST_F(WriteExchangeTest, AFailedFrameSaysWhetherNothingCameAnEchoOrARefusal) {
    struct Case {
        sim::RadioBehaviour behaviour;
        AckFault fault;
        std::vector<std::string> log;
    } cases[] = {
        {{.silent = true}, AckFault::NoAnswer, {"写入数据[% 0] 失败\r\n", "接收数据超时\r\n"}},
        {{.silent = true, .echo = true},
         AckFault::BadFormat,
         {"写入数据[% 0] 失败\r\n", "格式出错\r\n"}},
        {{.nakWriteFrame = 1}, AckFault::Refused, {"写入数据[% 0] 失败\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        log.clear();
        StartRadio(c.behaviour);
        const WriteOutcome outcome = WriteRadio(port, SampleRequest(), Hooks());
        EXPECT_EQ(outcome.status, WriteStatus::Rejected);
        EXPECT_EQ(outcome.failedFrame, 1);
        EXPECT_EQ(outcome.fault, c.fault);
        EXPECT_EQ(log, c.log);
        port.Close();
        radio->Stop();
    }
}

TEST_F(WriteExchangeTest, AnInterruptedWriteStopsBeforeItsNextFrame) {
    StartRadio();
    ExchangeHooks hooks = Hooks();
    int asked = 0;
    hooks.interrupted = [&] { return ++asked > 20; };
    const WriteOutcome outcome = WriteRadio(port, SampleRequest(), hooks);
    EXPECT_EQ(outcome.status, WriteStatus::Interrupted);
    EXPECT_EQ(outcome.failedFrame, 21);
    EXPECT_EQ(Sent().size(), 20u);
}

TEST_F(WriteExchangeTest, RejectedSettingsAndSpecialFramesAreReported) {
    StartRadio(sim::RadioBehaviour{.nakWriteFrame = 65});
    WriteOutcome outcome = WriteRadio(port, SampleRequest(), Hooks());
    EXPECT_EQ(outcome.failedStage, WriteStage::Settings);
    EXPECT_EQ(log.back(), "写入数据[% 100] 失败\r\n");
    EXPECT_EQ(Sent().size(), 65u);
    port.Close();
    radio->Stop();

    log.clear();
    StartRadio(sim::RadioBehaviour{.nakWriteFrame = 67});
    WriteRequest request = SampleRequest();
    request.specialWord = "12 34 56";
    outcome = WriteRadio(port, request, Hooks());
    EXPECT_EQ(outcome.status, WriteStatus::Rejected);
    EXPECT_EQ(outcome.failedStage, WriteStage::Special);
    EXPECT_EQ(log[log.size() - 2], "写入数据[% 100] 成功\r\n");
    EXPECT_EQ(log.back(), "写入特定数据 失败\r\n");
}

TEST(WritePacing, EveryFrameAfterAnAcknowledgementWaitsTwentyMilliseconds) {
    // A radio may acknowledge a word before it has stored it: channel, settings and special
    // frames alike go out no sooner than 20 ms after the acknowledgement before them.
    AnsweringPort port;
    port.answer = [](const RadioFrame&) {
        return std::vector<std::uint8_t>(kAck.begin(), kAck.end());
    };
    WriteRequest request = SampleRequest();
    request.specialWord = "12 34 56";
    ASSERT_EQ(WriteRadio(port, request, port.Hooks()).status, WriteStatus::Ok);
    ASSERT_EQ(port.gaps.size(), 66u);
    for (std::size_t i = 0; i < port.gaps.size(); ++i)
        EXPECT_GE(port.gaps[i], kPollPauseMs) << "before frame " << i + 2;
}

TEST_F(WriteExchangeTest, AClosedPortSendsNothing) {
    StartRadio();
    port.Close();
    EXPECT_EQ(WriteRadio(port, SampleRequest(), Hooks()).status, WriteStatus::PortClosed);
    EXPECT_EQ(log, std::vector<std::string>{"串口没有打开，请重新选择串口\r\n"});
}

TEST_F(CurrentChannelTest, ReadsTheChannelThenItsSquelch) {
    MemoryImage image = sim::VirtualRadio::DefaultImage();
    image[layout::ChannelOffset(4) + layout::kSquelch] = 7;
    StartRadio({}, image);
    radio->SetCurrentChannel(4);
    int seen = -1;
    const CurrentChannelOutcome outcome =
        ReadCurrentChannel(port, Hooks(), [&](int c) { seen = c; });
    EXPECT_EQ(outcome.status, ChannelStatus::Ok);
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(outcome.channelIndex, 4);
    EXPECT_EQ(outcome.squelch, 7);
    EXPECT_EQ(Sent(), (std::vector<RadioFrame>{RadioFrame{0xCC, 0x03, 0x60, 0, 0, 0, 0x00, 0x63},
                                               RadioFrame{0xCC, 0x03, 0x11, 0, 0, 0, 0x00, 0x14}}));
    EXPECT_NE(std::find(pauses.begin(), pauses.end(), 500), pauses.end());
}

TEST_F(CurrentChannelTest, ASecondAnswerMissingKeepsTheChannel) {
    StartRadio(sim::RadioBehaviour{.answerReadWords = 1});
    radio->SetCurrentChannel(2);
    const CurrentChannelOutcome outcome = ReadCurrentChannel(port, Hooks());
    EXPECT_EQ(outcome.status, ChannelStatus::Timeout);
    EXPECT_EQ(outcome.channelIndex, 2);
}

TEST_F(CurrentChannelTest, AnIndexOfSixteenIsADataErrorAndNothingMoreIsSent) {
    StartRadio();
    radio->SetCurrentChannel(16);
    bool called = false;
    const CurrentChannelOutcome outcome =
        ReadCurrentChannel(port, Hooks(), [&](int) { called = true; });
    EXPECT_EQ(outcome.status, ChannelStatus::DataError);
    EXPECT_FALSE(called);
    EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(CurrentChannelTest, AnEchoOfTheRequestIsAFormatErrorAndNothingMoreIsSent) {
    // A loop-back plug alone, and an echoing adapter with the radio behind it: either way the
    // first five bytes back are the request's own.
    for (const bool radioBehind : {false, true}) {
        SCOPED_TRACE(radioBehind ? "echoing adapter" : "loop-back plug");
        StartRadio(sim::RadioBehaviour{.silent = !radioBehind, .echo = true});
        bool called = false;
        const CurrentChannelOutcome outcome =
            ReadCurrentChannel(port, Hooks(), [&](int) { called = true; });
        EXPECT_EQ(outcome.status, ChannelStatus::DataError);
        EXPECT_TRUE(outcome.echoed);
        EXPECT_FALSE(called);
        EXPECT_EQ(Sent(), std::vector<RadioFrame>{MakeFrame(CmdReadWord, 0x60)});
        port.Close();
        radio->Stop();
    }
}

TEST(CurrentChannelEcho, OnlyTheWholeRequestBackIsAnEcho) {
    // A radio that leads its answer with CC 03 and the word gives, for channel 1 with a zero
    // high byte, the request's own first five bytes: that is its answer. An echo of the
    // squelch question after a real answer to the channel question is still an echo.
    auto radioAnswer = [](const RadioFrame& f, std::uint8_t low) {
        return std::vector<std::uint8_t>{0xCC, 0x03, f[2], 0x00, low};
    };
    struct Case {
        const char* name;
        std::function<std::vector<std::uint8_t>(const RadioFrame&)> answer;
        ChannelStatus status;
        bool echoed;
        int channel;
        int squelch;
    } cases[] = {
        {"answers led by the request's bytes",
         [&](const RadioFrame& f) { return radioAnswer(f, f[2] == 0x60 ? 0 : 7); },
         ChannelStatus::Ok, false, 0, 7},
        {"the squelch question echoed",
         [&](const RadioFrame& f) {
             return f[2] == 0x60 ? radioAnswer(f, 2)
                                 : std::vector<std::uint8_t>(f.begin(), f.end());
         },
         ChannelStatus::DataError, true, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnsweringPort port;
        port.answer = c.answer;
        const CurrentChannelOutcome outcome = ReadCurrentChannel(port, port.Hooks());
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.echoed, c.echoed);
        EXPECT_EQ(outcome.channelIndex, c.channel);
        EXPECT_EQ(outcome.squelch, c.squelch);
        EXPECT_EQ(port.frames.size(), 2u);
    }
}

TEST(CurrentChannelEcho, SevenOfTheEightBytesBackAreTheRadiosAnswer) {
    // Five that look like the request and two more: no echo, so the squelch question goes out.
    AnsweringPort port;
    port.answer = [](const RadioFrame& f) {
        return f[2] == 0x60 ? std::vector<std::uint8_t>(f.begin(), f.end() - 1)
                            : std::vector<std::uint8_t>{0xCC, 0x03, f[2], 0x00, 0x07};
    };
    const CurrentChannelOutcome outcome = ReadCurrentChannel(port, port.Hooks());
    EXPECT_EQ(outcome.status, ChannelStatus::Ok);
    EXPECT_FALSE(outcome.echoed);
    EXPECT_EQ(outcome.channelIndex, 0);
    EXPECT_EQ(port.frames.size(), 2u);
}

TEST(CurrentChannelAnswers, TheAnswerNamesItsWordAndTheSquelchIsALevel) {
    // A stray byte in front once shifted the answer: channel 1 and squelch 37 from a radio on
    // channel 5. Squelch bytes A..F in the low half once came out as squelch 10..15.
    auto answers = [](std::vector<std::uint8_t> lead, std::uint8_t squelch) {
        return [lead, squelch](const RadioFrame& f) {
            std::vector<std::uint8_t> answer = f[2] == 0x60 ? lead : std::vector<std::uint8_t>{};
            for (std::uint8_t b : {std::uint8_t{0x33}, f[1], f[2], std::uint8_t{0x22}})
                answer.push_back(b);
            answer.push_back(f[2] == 0x60 ? std::uint8_t{4} : squelch);
            return answer;
        };
    };
    struct Case {
        const char* name;
        std::function<std::vector<std::uint8_t>(const RadioFrame&)> answer;
        ChannelStatus status;
        ChannelDataError error;
        int squelch;
    } cases[] = {
        {"a plain answer", answers({}, 0x07), ChannelStatus::Ok, ChannelDataError::None, 7},
        {"the high half ignored", answers({}, 0x21), ChannelStatus::Ok, ChannelDataError::None, 1},
        {"L9, the last level", answers({}, 0x09), ChannelStatus::Ok, ChannelDataError::None, 9},
        {"a stray byte first", answers({0x25}, 0x07), ChannelStatus::DataError,
         ChannelDataError::NotAnAnswer, -1},
        {"squelch 0x0A", answers({}, 0x0A), ChannelStatus::DataError,
         ChannelDataError::NoSuchSquelch, -1},
        {"squelch 0x0F", answers({}, 0x0F), ChannelStatus::DataError,
         ChannelDataError::NoSuchSquelch, -1},
        {"another word answered",
         [](const RadioFrame&) {
             return std::vector<std::uint8_t>{0x33, 0x03, 0x61, 0, 4};
         },
         ChannelStatus::DataError, ChannelDataError::NotAnAnswer, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnsweringPort port;
        port.answer = c.answer;
        const CurrentChannelOutcome outcome = ReadCurrentChannel(port, port.Hooks());
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.dataError, c.error);
        EXPECT_EQ(outcome.squelch, c.squelch);
    }
}

TEST_F(CurrentChannelTest, SettingSendsTheChannelAndSquelchIndexes) {
    StartRadio();
    EXPECT_EQ(SetCurrentChannel(port, 15, 9, Hooks()), SetChannelStatus::Accepted);
    EXPECT_EQ(Sent().back(), (RadioFrame{0xCC, 0x07, 0x0F, 0x09, 0x00, 0x00, 0x00, 0x1F}));
    EXPECT_EQ(radio->CurrentChannel(), 15);
    EXPECT_EQ(SetCurrentChannel(port, 3, -1, Hooks()), SetChannelStatus::Accepted);
    EXPECT_EQ(Sent().back()[3], 0xFF);  // no squelch selection goes out as its low byte
}

TEST_F(CurrentChannelTest, ASilentRadioTimesOutOrRejects) {
    StartRadio(sim::RadioBehaviour{.silent = true});
    EXPECT_EQ(ReadCurrentChannel(port, Hooks()).status, ChannelStatus::Timeout);
    EXPECT_EQ(SetCurrentChannel(port, 0, 0, Hooks()), SetChannelStatus::Rejected);
    port.Close();
    EXPECT_EQ(ReadCurrentChannel(port, Hooks()).status, ChannelStatus::PortClosed);
    EXPECT_EQ(SetCurrentChannel(port, 0, 0, Hooks()), SetChannelStatus::PortClosed);
}

}  // namespace
}  // namespace orvel::testing
