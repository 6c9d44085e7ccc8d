// The radio's answers as the exchanges parse them: identify, the image, acknowledgements and
// read-word answers, fed through a scripted port instead of a serial line. Each exchange's
// outcome is checked against what the bytes say.
#include <algorithm>
#include <string>
#include <vector>

#include "codec.h"
#include "exchanges.h"
#include "fuzz_target.h"

namespace orvel::fuzz {
namespace {

// Answers arrive as scripted, one byte per read, then silence. Written bytes are kept. With
// `ends`, the radio answers frame by frame: the bytes up to ends[i] arrive once the (i+1)-th
// frame has gone out, and a discard drops those that arrived and were not read.
class ScriptedPort : public BytePort {
public:
    ScriptedPort(std::string_view answers, bool open, std::vector<std::size_t> ends = {})
        : answers_(answers),
          open_(open),
          ends_(std::move(ends)),
          arrived_(ends_.empty() ? answers.size() : 0) {}

    int IsOpen() const override { return open_ ? 1 : 0; }
    int WriteByte(std::uint8_t byte) override {
        written.push_back(byte);
        const std::size_t frames = written.size() / kFrameSize;
        if (written.size() % kFrameSize == 0 && frames <= ends_.size())
            arrived_ = ends_[frames - 1];
        return 1;
    }
    int ReadByte(std::uint8_t& out) override {
        out = 0;
        if (next_ >= arrived_)
            return 0;
        out = static_cast<std::uint8_t>(answers_[next_++]);
        return 1;
    }
    bool WaitForData(int) override { return next_ < arrived_; }
    void DiscardInput() override {
        if (!ends_.empty())
            next_ = arrived_;
    }
    void PurgeOutput() override {}

    std::vector<std::uint8_t> written;

private:
    std::string_view answers_;
    std::size_t next_ = 0;
    bool open_;
    std::vector<std::size_t> ends_;
    std::size_t arrived_;
};

// Answers frame by frame: a length byte, then that many bytes, for each frame in turn. The
// flat bytes go to `answers`; each frame's answer is [starts[i], ends[i]).
void SplitAnswers(std::string_view script, std::string& answers, std::vector<std::size_t>& starts,
                  std::vector<std::size_t>& ends) {
    while (!script.empty()) {
        const std::size_t length =
            std::min<std::size_t>(static_cast<std::uint8_t>(script.front()), script.size() - 1);
        starts.push_back(answers.size());
        answers.append(script.substr(1, length));
        ends.push_back(answers.size());
        script.remove_prefix(1 + length);
    }
}

// The scripted bytes [offset, offset + count), missing ones as 0, and how many there were.
struct Slice {
    std::vector<std::uint8_t> bytes;
    std::size_t present;
};
Slice Take(std::string_view answers, std::size_t offset, std::size_t count) {
    Slice slice{std::vector<std::uint8_t>(count, 0), 0};
    for (std::size_t i = 0; i < count && offset + i < answers.size(); ++i) {
        slice.bytes[i] = static_cast<std::uint8_t>(answers[offset + i]);
        ++slice.present;
    }
    return slice;
}

bool IdentityValid(const Slice& identity) {
    return identity.present == kIdentitySize &&
           std::all_of(identity.bytes.begin(), identity.bytes.end(), IdentityByteValid);
}

bool Acknowledged(const Slice& ack) {
    return AckAccepted(ack.bytes.data(), ack.present);
}

std::vector<std::uint8_t> Sent(const std::vector<RadioFrame>& frames, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.insert(bytes.end(), frames[i].begin(), frames[i].end());
    return bytes;
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzRadioAnswers) {
    Input input(data, size);
    const std::uint8_t control = input.Byte();
    std::string_view answers = input.Rest();
    // A write with bit 0x40 hears its answers frame by frame: what one frame's answer leaves
    // unread must never answer a later frame.
    const bool byFrame = control % 5 == 2 && (control & 0x40) != 0;
    std::string flat;
    std::vector<std::size_t> starts;
    std::vector<std::size_t> ends;
    if (byFrame) {
        SplitAnswers(answers, flat, starts, ends);
        answers = flat;
    }
    // Mostly open: a closed port is one short path.
    ScriptedPort port(answers, control % 16 != 15, ends);
    int pauses = 0;
    ExchangeHooks hooks;
    hooks.pause = [&pauses](int) { ++pauses; };
    // The classic rhythm counts pauses instead of watching the clock, so a script that runs
    // dry ends at once; both rhythms take the same bytes.
    hooks.timing = PollTiming::Classic;
    std::vector<std::string> log;
    hooks.line = [&log](const Message& message) { log.push_back(FormatLine(message)); };

    switch (control % 5) {
        case 0: {
            const LinkStatus status = LinkCheck(port, hooks);
            const Slice identity = Take(answers, 0, kIdentitySize);
            const LinkStatus expected = identity.present < kIdentitySize ? LinkStatus::NoAnswer
                                        : IdentityValid(identity)        ? LinkStatus::Ok
                                                                         : LinkStatus::BadFormat;
            FUZZ_CHECK(status == expected, "identify verdict");
            break;
        }
        case 1: {
            const ReadOutcome outcome = ReadRadio(port, hooks);
            if (!port.IsOpen()) {
                FUZZ_CHECK(outcome.status == ReadStatus::PortClosed, "read on a closed port");
                break;
            }
            const Slice identity = Take(answers, 0, kIdentitySize);
            if (!IdentityValid(identity)) {
                FUZZ_CHECK(
                    outcome.status == (identity.present < kIdentitySize ? ReadStatus::NoAnswer
                                                                        : ReadStatus::BadFormat),
                    "read after a bad identification");
                break;
            }
            const Slice image = Take(answers, kIdentitySize, kImageSize);
            FUZZ_CHECK(outcome.received == image.present, "received count");
            if (image.present < kImageSize) {
                FUZZ_CHECK(outcome.status == ReadStatus::Timeout, "a short image");
                break;
            }
            FUZZ_CHECK(outcome.status == ReadStatus::Ok, "a whole image");
            FUZZ_CHECK(std::equal(image.bytes.begin(), image.bytes.end(), outcome.image.begin()),
                       "the image is not the bytes received");
            FUZZ_CHECK(outcome.checksumOk ==
                           (ImageChecksum(outcome.image) == outcome.image[layout::kChecksum]),
                       "checksum verdict");
            DecodeImage(outcome.image, DecodeSource::FromRadio);
            break;
        }
        case 2: {
            WriteRequest request;
            request.table = EmptyChannelTable();
            request.table[0] = {ChannelLabel(1), "230.125", "235.000", "P3", "2400", "开", "L5"};
            if (control & 0x20)
                request.specialWord = "12 34 56";
            const WriteOutcome outcome = WriteRadio(port, request, hooks);
            if (!port.IsOpen()) {
                FUZZ_CHECK(outcome.status == WriteStatus::PortClosed, "write on a closed port");
                break;
            }
            const std::vector<RadioFrame> frames = WriteFrames(request);
            // Each frame's acknowledgement is the next three bytes (the first three of its own
            // answer, frame by frame); the first wrong one ends it.
            auto answerOf = [&](std::size_t frame) {
                if (!byFrame)
                    return Take(answers, 3 * frame, 3);
                if (frame >= starts.size())
                    return Take(answers, answers.size(), 3);
                return Take(answers.substr(0, ends[frame]), starts[frame], 3);
            };
            std::size_t accepted = 0;
            while (accepted < frames.size() && Acknowledged(answerOf(accepted)))
                ++accepted;
            if (accepted == frames.size()) {
                FUZZ_CHECK(outcome.status == WriteStatus::Ok, "every frame acknowledged");
                FUZZ_CHECK(port.written == Sent(frames, frames.size()), "frames sent");
            } else {
                FUZZ_CHECK(outcome.status == WriteStatus::Rejected, "a frame refused");
                FUZZ_CHECK(outcome.failedFrame == static_cast<int>(accepted) + 1,
                           "failed frame " + std::to_string(outcome.failedFrame) + ", expected " +
                               std::to_string(accepted + 1));
                FUZZ_CHECK(port.written == Sent(frames, accepted + 1),
                           "frames sent after a refusal");
            }
            break;
        }
        case 3: {
            const CurrentChannelOutcome outcome = ReadCurrentChannel(port, hooks);
            if (!port.IsOpen()) {
                FUZZ_CHECK(outcome.status == ChannelStatus::PortClosed, "closed port");
                break;
            }
            // An echo is all eight bytes of the request in order; five that look like it are an
            // answer, and the bytes taken to tell are gone with it. An answer names the
            // read-word command and the word; the squelch level is its byte's low half, 0..9.
            std::size_t offset = 0;
            bool echoed = false;
            auto ask = [&](std::uint8_t word, Slice& answer) {
                const RadioFrame request = MakeFrame(CmdReadWord, word);
                answer = Take(answers, offset, kReadWordAnswerSize);
                if (answer.present < kReadWordAnswerSize)
                    return ChannelStatus::Timeout;
                offset += kReadWordAnswerSize;
                if (std::equal(answer.bytes.begin(), answer.bytes.end(), request.begin())) {
                    const Slice tail = Take(answers, offset, kFrameSize - kReadWordAnswerSize);
                    offset += tail.present;
                    if (tail.present == tail.bytes.size() &&
                        std::equal(tail.bytes.begin(), tail.bytes.end(),
                                   request.begin() + kReadWordAnswerSize)) {
                        echoed = true;
                        return ChannelStatus::DataError;
                    }
                }
                if (answer.bytes[1] != CmdReadWord || answer.bytes[2] != word)
                    return ChannelStatus::DataError;
                return ChannelStatus::Ok;
            };
            Slice channel;
            Slice squelch;
            ChannelStatus expected = ask(layout::kWordCurrentChannel, channel);
            if (expected == ChannelStatus::Ok && channel.bytes[4] >= kChannelCount)
                expected = ChannelStatus::DataError;
            if (expected == ChannelStatus::Ok) {
                expected = ask(static_cast<std::uint8_t>(4 * channel.bytes[4] + 1), squelch);
                if (expected == ChannelStatus::Ok && (squelch.bytes[4] & 0x0F) > 9)
                    expected = ChannelStatus::DataError;
            }
            FUZZ_CHECK(outcome.status == expected, "current channel verdict");
            FUZZ_CHECK(outcome.echoed == echoed, "echo verdict");
            if (expected == ChannelStatus::Ok) {
                FUZZ_CHECK(outcome.channelIndex == channel.bytes[4], "channel");
                FUZZ_CHECK(outcome.squelch == (squelch.bytes[4] & 0x0F), "squelch");
            }
            break;
        }
        default: {
            const SetChannelStatus status = SetCurrentChannel(port, control >> 3, 3, hooks);
            if (!port.IsOpen()) {
                FUZZ_CHECK(status == SetChannelStatus::PortClosed, "closed port");
                break;
            }
            FUZZ_CHECK((status == SetChannelStatus::Accepted) == Acknowledged(Take(answers, 0, 3)),
                       "set channel verdict");
            break;
        }
    }
    // Every wait is bounded, whatever the radio says or keeps back: at most each poll plan's
    // passes, one settling pause per channel frame and one after the current channel.
    const int limit = control % 5 == 2   ? 67 * (kAckPoll.passes + 1)
                      : control % 5 == 3 ? 4 * kReadWordPoll.passes + 1
                                         : 2 * kImagePoll.passes + kReadWordPoll.passes + 1;
    FUZZ_CHECK(pauses <= limit, "paused " + std::to_string(pauses) + " times");
    return 0;
}

}  // namespace orvel::fuzz
