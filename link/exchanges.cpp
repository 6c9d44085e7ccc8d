#include "exchanges.h"

#include <algorithm>

#include "codec.h"
#include "radio_fields.h"

namespace orvel {
namespace {

constexpr int kChannelFrames = 4 * kChannelCount;
constexpr int kProgressEveryFrames = 7;
constexpr std::size_t kProgressEveryBytes = 26;
constexpr int kSettleAfterChannelMs = 500;
constexpr int kSquelchLevels = 9;  // L1..L9; 0 is none

// Bytes that came before a frame went out answer nothing it asks: a late or doubled answer, or
// noise, would otherwise be taken for the answer to this frame.
void SendFresh(BytePort& port, const RadioFrame& frame) {
    port.DiscardInput();
    SendFrame(port, frame);
}

std::uint8_t LowByte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

bool AckOk(const PollResult& answer) {
    return AckAccepted(answer.bytes.data(), answer.count);
}

constexpr std::uint8_t kRefusal = 0x15;

AckFault FaultOf(const PollResult& answer, const BytePort& port) {
    if (AckOk(answer))
        return AckFault::None;
    if (port.IsOpen() != 1)
        return AckFault::PortLost;
    if (answer.count == 0)
        return AckFault::NoAnswer;
    if (answer.bytes[0] == kAck[0] && answer.count >= 2 && answer.bytes[1] == kRefusal)
        return AckFault::Refused;
    return AckFault::BadFormat;
}

// The three bytes of a request beyond a read-word answer's five, awaited as long as an answer
// is: a slow adapter or plug echoes at its own pace.
constexpr PollPlan kEchoTailPoll{kFrameSize - kReadWordAnswerSize, PollShape::Pass,
                                 kReadWordPoll.passes, kReadWordPoll.pollsPerPass};

// An adapter or loop-back plug that echoes hands back all eight bytes of the request, in order.
// A radio may lead its answer with CC 03 and the word as well, so five bytes that look like the
// request are its answer unless the other three follow. What follows an answer is dropped
// before the next frame.
bool IsEcho(BytePort& port, const ExchangeHooks& hooks, const PollResult& answer,
            const RadioFrame& request) {
    if (!std::equal(answer.bytes.begin(), answer.bytes.end(), request.begin()))
        return false;
    const PollResult tail = PollReceive(port, kEchoTailPoll, hooks.pause, {}, hooks.timing);
    return tail.Complete() &&
           std::equal(tail.bytes.begin(), tail.bytes.end(), request.begin() + kReadWordAnswerSize);
}

// One read-word question: the frame out, the answer awaited and checked. An answer names the
// read-word command and the word in its second and third bytes, as every radio's does; a byte
// too many or too few in front shifts them, and the fifth would be taken from the wrong place.
// The word's first byte is the answer's fifth. A timeout or a bad answer ends the exchange;
// `outcome` then says which.
bool AskWord(BytePort& port, std::uint8_t word, const ExchangeHooks& hooks,
             CurrentChannelOutcome& outcome, int& value) {
    const RadioFrame request = MakeFrame(CmdReadWord, word);
    SendFresh(port, request);
    const PollResult answer = PollReceive(port, kReadWordPoll, hooks.pause, {}, hooks.timing);
    if (!answer.Complete()) {
        outcome.status = ChannelStatus::Timeout;
        return false;
    }
    outcome.status = ChannelStatus::DataError;
    if (IsEcho(port, hooks, answer, request)) {
        outcome.echoed = true;
        outcome.dataError = ChannelDataError::Echo;
        return false;
    }
    if (answer.bytes[1] != CmdReadWord || answer.bytes[2] != word) {
        outcome.dataError = ChannelDataError::NotAnAnswer;
        return false;
    }
    outcome.status = ChannelStatus::Ok;
    value = answer.bytes[4];
    return true;
}

}  // namespace

Message ReadProgress(int percent) {
    return {lines::kReadProgress.text, percent};
}

Message WriteProgress(int percent, bool accepted) {
    return {(accepted ? lines::kWriteAccepted : lines::kWriteFailed).text, percent};
}

std::string ReadProgressLine(int percent) {
    return FormatLine(ReadProgress(percent));
}

std::string WriteProgressLine(int percent, bool accepted) {
    return FormatLine(WriteProgress(percent, accepted));
}

LinkStatus LinkCheck(BytePort& port, const ExchangeHooks& hooks, std::string* identity,
                     std::size_t* answered) {
    SendFresh(port, MakeFrame(CmdIdentify));
    const PollResult answer = PollReceive(port, kIdentityPoll, hooks.pause, {}, hooks.timing);
    if (answered != nullptr)
        *answered = answer.count;
    if (!answer.Complete()) {
        hooks.LinkLine(lines::kNoAnswer);
        return LinkStatus::NoAnswer;
    }
    if (!std::all_of(answer.bytes.begin(), answer.bytes.end(), IdentityByteValid)) {
        hooks.LinkLine(lines::kBadFormat);
        return LinkStatus::BadFormat;
    }
    if (identity != nullptr)
        identity->assign(answer.bytes.begin(), answer.bytes.end());
    return LinkStatus::Ok;
}

ReadOutcome ReadRadio(BytePort& port, const ExchangeHooks& hooks,
                      const std::function<void()>& beforeImageRequest) {
    ReadOutcome outcome;
    if (port.IsOpen() != 1) {
        hooks.Line(lines::kPortClosed);
        return outcome;
    }
    port.DiscardInput();
    port.PurgeOutput();
    switch (LinkCheck(port, hooks, &outcome.identity)) {
        case LinkStatus::NoAnswer:
            outcome.status = ReadStatus::NoAnswer;
            return outcome;
        case LinkStatus::BadFormat:
            outcome.status = ReadStatus::BadFormat;
            return outcome;
        case LinkStatus::Ok:
            break;
    }
    if (beforeImageRequest)
        beforeImageRequest();
    SendFresh(port, MakeFrame(CmdReadImage));
    hooks.Progress(0);
    const PollResult answer = PollReceive(
        port, kImagePoll, hooks.pause,
        [&](std::size_t count) {
            if (count % kProgressEveryBytes == 0 && count < kImageSize) {
                const int percent = static_cast<int>(count / kProgressEveryBytes * 10);
                hooks.Line(ReadProgress(percent));
                hooks.Progress(percent);
            }
        },
        hooks.timing);
    outcome.received = answer.count;
    if (!answer.Complete()) {
        hooks.Line(lines::kReadTimeout);
        outcome.status = ReadStatus::Timeout;
        return outcome;
    }
    std::copy(answer.bytes.begin(), answer.bytes.end(), outcome.image.begin());
    outcome.checksumOk = ImageChecksum(outcome.image) == outcome.image[layout::kChecksum];
    if (!outcome.checksumOk)
        hooks.Line(lines::kChecksum);
    hooks.Progress(100);
    outcome.status = ReadStatus::Ok;
    return outcome;
}

std::vector<RadioFrame> WriteFrames(const WriteRequest& request) {
    std::vector<RadioFrame> frames;
    for (int i = 0; i < kChannelCount; ++i) {
        // Transmit frequencies go out printed with blanks instead of zeros, which pack alike.
        const ChannelRecord record =
            EncodeChannel(request.table[static_cast<std::size_t>(i)], Padding::Blanks);
        for (int k = 0; k < 4; ++k) {
            frames.push_back(MakeFrame(CmdWriteWord, LowByte(4 * i + k),
                                       record[static_cast<std::size_t>(2 * k)],
                                       record[static_cast<std::size_t>(2 * k + 1)]));
        }
    }
    const auto settings = EncodeSettings(request.settings);
    frames.push_back(MakeFrame(CmdWriteWord, layout::kWordTimers, settings[0], settings[1]));
    // The radio expects bit 2 of the first mode byte set when the word is written.
    frames.push_back(
        MakeFrame(CmdWriteWord, layout::kWordModes, LowByte(settings[2] + 4), settings[3]));
    if (auto special = ParseSpecialWord(request.specialWord)) {
        frames.push_back(MakeFrame(CmdWriteWord, special->word, special->first, special->second));
    }
    return frames;
}

WriteOutcome WriteRadio(BytePort& port, const WriteRequest& request, const ExchangeHooks& hooks) {
    WriteOutcome outcome;
    if (port.IsOpen() != 1) {
        hooks.Line(lines::kPortClosed);
        return outcome;
    }
    port.DiscardInput();
    port.PurgeOutput();
    const std::vector<RadioFrame> frames = WriteFrames(request);
    hooks.Progress(0);
    AckFault fault = AckFault::None;
    auto reject = [&](int frameNumber, WriteStage stage) {
        // The failure line keeps its words; what came back instead is a line of its own.
        if (fault == AckFault::NoAnswer)
            hooks.Line(lines::kReadTimeout);
        else if (fault == AckFault::BadFormat)
            hooks.Line(lines::kBadFormat);
        outcome.status = WriteStatus::Rejected;
        outcome.failedFrame = frameNumber;
        outcome.failedStage = stage;
        outcome.fault = fault;
        return outcome;
    };
    for (int n = 1; n <= static_cast<int>(frames.size()); ++n) {
        if (hooks.interrupted && hooks.interrupted()) {
            outcome.status = WriteStatus::Interrupted;
            outcome.failedFrame = n;
            return outcome;
        }
        SendFresh(port, frames[static_cast<std::size_t>(n - 1)]);
        fault = FaultOf(PollReceive(port, kAckPoll, hooks.pause, {}, hooks.timing), port);
        const bool accepted = fault == AckFault::None;
        if (n <= kChannelFrames) {
            const int percent = n / kProgressEveryFrames * 10;
            if (!accepted) {
                hooks.Line(WriteProgress(percent, false));
                return reject(n, WriteStage::Channel);
            }
            if (n % kProgressEveryFrames == 0) {
                hooks.Line(WriteProgress(percent, true));
                hooks.Progress(percent);
            }
            hooks.pause(kPollPauseMs);
        } else if (n <= kChannelFrames + 2) {
            if (!accepted) {
                hooks.Line(WriteProgress(100, false));
                return reject(n, WriteStage::Settings);
            }
            if (n == kChannelFrames + 2) {
                hooks.Line(WriteProgress(100, true));
                hooks.Progress(100);
            }
        } else if (!accepted) {
            hooks.Line(lines::kSpecialFailed);
            return reject(n, WriteStage::Special);
        }
        // A radio may acknowledge before it has stored the word: give it time before anything
        // else goes out. Channel frames have their pause above; the classic polling leaves one
        // anyway.
        if (n > kChannelFrames && hooks.timing == PollTiming::Prompt)
            hooks.pause(kPollPauseMs);
    }
    if (!request.specialWord.empty() && !ParseSpecialWord(request.specialWord))
        hooks.Line(lines::kSpecialMalformed);
    hooks.Line(lines::kWriteDone);
    outcome.status = WriteStatus::Ok;
    return outcome;
}

CurrentChannelOutcome ReadCurrentChannel(BytePort& port, const ExchangeHooks& hooks,
                                         const std::function<void(int)>& onChannel) {
    CurrentChannelOutcome outcome;
    if (port.IsOpen() != 1)
        return outcome;
    int channel = 0;
    if (!AskWord(port, layout::kWordCurrentChannel, hooks, outcome, channel))
        return outcome;
    // Give the radio time before the next question.
    hooks.pause(kSettleAfterChannelMs);
    if (channel >= kChannelCount) {
        outcome.status = ChannelStatus::DataError;
        outcome.dataError = ChannelDataError::NoSuchChannel;
        return outcome;
    }
    outcome.channelIndex = channel;
    if (onChannel)
        onChannel(channel);
    int squelch = 0;
    if (!AskWord(port, LowByte(4 * channel + 1), hooks, outcome, squelch))
        return outcome;
    // The level is the low half of the squelch byte, as a read shows it; the list ends at L9.
    outcome.squelchByte = squelch;
    if ((squelch & 0x0F) > kSquelchLevels) {
        outcome.status = ChannelStatus::DataError;
        outcome.dataError = ChannelDataError::NoSuchSquelch;
        return outcome;
    }
    outcome.squelch = squelch & 0x0F;
    return outcome;
}

SetChannelStatus SetCurrentChannel(BytePort& port, int channelIndex, int squelch,
                                   const ExchangeHooks& hooks) {
    if (port.IsOpen() != 1)
        return SetChannelStatus::PortClosed;
    SendFresh(port, MakeFrame(CmdSetChannel, LowByte(channelIndex), LowByte(squelch)));
    return AckOk(PollReceive(port, kAckPoll, hooks.pause, {}, hooks.timing))
               ? SetChannelStatus::Accepted
               : SetChannelStatus::Rejected;
}

}  // namespace orvel
