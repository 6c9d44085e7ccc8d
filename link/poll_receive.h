// Bounded polling for the radio's answers: a byte is taken as soon as it arrives and no wait
// is unbounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "byte_port.h"
#include "radio_frame.h"

namespace orvel {

// The pause between polling passes, in milliseconds. The window replaces it with one that
// keeps painting.
using Pause = std::function<void(int milliseconds)>;
void SleepPause(int milliseconds);

inline constexpr int kPollPauseMs = 20;

enum class PollShape {
    Pass,  // R passes of up to P polls, a pause after each pass
    Ack,   // up to R single polls, a pause after each that did not complete the answer
};

// Prompt waits on the port for the next byte until the plan's bound (passes x pause) has
// passed; classic polls without waiting and pauses a fixed 20 ms between polls or passes, for
// radios that need the old rhythm. Both send and take the same bytes.
enum class PollTiming { Prompt, Classic };

struct PollPlan {
    std::size_t expected;  // N
    PollShape shape;
    int passes;        // R
    int pollsPerPass;  // P
};

inline constexpr PollPlan kIdentityPoll{kIdentitySize, PollShape::Pass, 60, 512};
inline constexpr PollPlan kImagePoll{260, PollShape::Pass, 60, 512};
inline constexpr PollPlan kAckPoll{kAck.size(), PollShape::Ack, 30, 1};
inline constexpr PollPlan kReadWordPoll{kReadWordAnswerSize, PollShape::Pass, 60, 30};

struct PollResult {
    std::vector<std::uint8_t> bytes;  // `expected` bytes, zero where nothing arrived
    std::size_t count = 0;            // bytes received
    bool Complete() const { return count == bytes.size(); }
};

// Collects up to plan.expected bytes. Bytes beyond them stay queued. onByte sees the running
// count after each byte. A pass-shape answer is followed by one pause in either timing. While
// a prompt wait goes on, `pause(0)` runs every 20 ms so a window keeps painting.
PollResult PollReceive(BytePort& port, const PollPlan& plan, const Pause& pause,
                       const std::function<void(std::size_t)>& onByte = {},
                       PollTiming timing = PollTiming::Prompt);

// Sends one frame byte by byte.
void SendFrame(BytePort& port, const RadioFrame& frame);

}  // namespace orvel
