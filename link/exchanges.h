// The exchanges with the radio. Each reports its log lines and progress through hooks and
// returns an outcome; showing them (cells, panels, message boxes) is the caller's business.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "byte_port.h"
#include "configuration.h"
#include "memory_image.h"
#include "poll_receive.h"
#include "texts.h"

namespace orvel {

struct ExchangeHooks {
    // A line of the exchange's own log (FormatLine gives its Chinese).
    std::function<void(const Message&)> line;
    // The link check's line, which goes to the log as it stands (no working copy of its own).
    std::function<void(const Message&)> linkCheckLine;
    // 0..100, driven by the same counts as the progress lines.
    std::function<void(int)> progress;
    Pause pause = SleepPause;
    PollTiming timing = PollTiming::Prompt;
    // Asked before each frame of a write; true stops the write there (a second Ctrl-C).
    std::function<bool()> interrupted;

    void Line(const Message& message) const {
        if (line)
            line(message);
    }
    void LinkLine(const Message& message) const {
        if (linkCheckLine) {
            linkCheckLine(message);
        } else {
            Line(message);
        }
    }
    void Progress(int percent) const {
        if (progress)
            progress(percent);
    }
};

// Every exchange drops unread input before each frame it sends: only bytes that arrive after a
// frame can answer it.

namespace lines {
inline constexpr Message kPortClosed{ORVEL_TR("串口没有打开，请重新选择串口")};
inline constexpr Message kNoAnswer{ORVEL_TR("通信错误")};
inline constexpr Message kBadFormat{ORVEL_TR("格式出错")};
inline constexpr Message kReadTimeout{ORVEL_TR("接收数据超时")};
inline constexpr Message kChecksum{ORVEL_TR("数据校验错")};
inline constexpr Message kReadProgress{ORVEL_TR("接收数据[% %1]")};
// Indented under the read's last progress line.
inline constexpr Message kReadDone{ORVEL_TR(" ***正确接收数据***")};
inline constexpr Message kWriteAccepted{ORVEL_TR("写入数据[% %1] 成功")};
inline constexpr Message kWriteFailed{ORVEL_TR("写入数据[% %1] 失败")};
inline constexpr Message kWriteDone{ORVEL_TR("***正确写入数据***")};
inline constexpr Message kSpecialFailed{ORVEL_TR("写入特定数据 失败")};
inline constexpr Message kSpecialMalformed{ORVEL_TR("特定数据格式错误，未写入")};
}  // namespace lines

enum class LinkStatus { Ok, NoAnswer, BadFormat };

// Identify: CC 0F ..., then eight bytes each 0x20..0x7F. A passed check leaves the eight
// characters in `identity` when one is given; `answered` gets the count of bytes that came.
LinkStatus LinkCheck(BytePort& port, const ExchangeHooks& hooks, std::string* identity = nullptr,
                     std::size_t* answered = nullptr);

enum class ReadStatus { Ok, PortClosed, NoAnswer, BadFormat, Timeout };

struct ReadOutcome {
    ReadStatus status = ReadStatus::PortClosed;
    MemoryImage image{};  // the bytes as received (valid when status is Ok)
    bool checksumOk = false;
    std::size_t received = 0;
    std::string identity;  // the radio's eight characters, once its link check passed
};

// The whole read: discard stale input, link check, then the 260-byte image with progress
// lines at every 26 bytes. `beforeImageRequest` runs after a passed link check, before the
// read command goes out (the window empties its list there). A checksum mismatch is logged and
// still returns Ok with checksumOk = false: the technician gets to see the data.
ReadOutcome ReadRadio(BytePort& port, const ExchangeHooks& hooks,
                      const std::function<void()>& beforeImageRequest = {});

struct WriteRequest {
    ChannelTable table;
    RadioSettings settings;
    std::string specialWord;  // used only when ParseSpecialWord takes it
};

enum class WriteStatus { Ok, PortClosed, Rejected, Interrupted };
enum class WriteStage { Channel, Settings, Special };
// What came back instead of an acknowledgement. A refusal is the radio's own 33 15 00; no
// bytes at all is a silent radio or cable; anything else (an echo of the frame, a loop-back
// plug, noise) is a bad format.
enum class AckFault { None, NoAnswer, BadFormat, Refused, PortLost };

struct WriteOutcome {
    WriteStatus status = WriteStatus::PortClosed;
    // Rejected: the 1-based number of the first frame not accepted; Interrupted: the frame
    // that was next.
    int failedFrame = 0;
    WriteStage failedStage = WriteStage::Channel;
    AckFault fault = AckFault::None;
};

// The frames a write sends, in order: 64 channel words, the two settings words and the
// optional special-data frame.
std::vector<RadioFrame> WriteFrames(const WriteRequest& request);

// Sends every frame and checks every acknowledgement; the first one not accepted ends it, with
// one more log line for a silent radio (接收数据超时) or a bad answer (格式出错). A special word
// that is set but gives no frame is logged where its frame would have gone.
WriteOutcome WriteRadio(BytePort& port, const WriteRequest& request, const ExchangeHooks& hooks);

enum class ChannelStatus { Ok, PortClosed, Timeout, DataError };
// Why an answer was no use: the request came back (an echoing line), the bytes do not answer
// the word asked for, or they name no channel 1..16 or no squelch level 0..9.
enum class ChannelDataError { None, Echo, NotAnAnswer, NoSuchChannel, NoSuchSquelch };

struct CurrentChannelOutcome {
    ChannelStatus status = ChannelStatus::PortClosed;
    int channelIndex = -1;  // 0..15 once the first answer came
    int squelch = -1;       // the channel's squelch level, 0 (none) to 9
    bool echoed = false;    // a data error because the answer repeated the request
    ChannelDataError dataError = ChannelDataError::None;
    int squelchByte = -1;  // the squelch byte as it came
};

// Asks word 0x60 for the current channel, waits 500 ms, then word 4c+1 for its squelch byte.
// `onChannel` runs when the channel is known, before the second frame. An answer must name the
// read-word command and the word asked for in its second and third bytes. An index of 16 or
// more is a data error and nothing more is sent; so is a squelch byte whose low half is above
// 9, and an answer that brings back all eight bytes of the request in order, however slowly,
// which is a line echoing what it is sent, not a radio. Five bytes alone are the radio's
// answer, however much they look like the request.
CurrentChannelOutcome ReadCurrentChannel(BytePort& port, const ExchangeHooks& hooks,
                                         const std::function<void(int)>& onChannel = {});

enum class SetChannelStatus { Accepted, PortClosed, Rejected };

// Makes channel index c current with squelch s (each the low byte of a selection index).
SetChannelStatus SetCurrentChannel(BytePort& port, int channelIndex, int squelch,
                                   const ExchangeHooks& hooks);

// 接收数据[% 30] and the like.
Message ReadProgress(int percent);
Message WriteProgress(int percent, bool accepted);
// The same as log lines, "接收数据[% 30]\r\n".
std::string ReadProgressLine(int percent);
std::string WriteProgressLine(int percent, bool accepted);

}  // namespace orvel
