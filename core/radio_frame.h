// The radio's command frame: CC, command, three payload bytes, 00, 16-bit sum of bytes 1..5
// (high byte first). Shared by the tool and the virtual radio.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvel {

inline constexpr std::size_t kFrameSize = 8;
using RadioFrame = std::array<std::uint8_t, kFrameSize>;

inline constexpr std::uint8_t kFrameStart = 0xCC;

enum Command : std::uint8_t {
    CmdWriteWord = 0x01,   // word, first byte, second byte -> 33 06 00
    CmdReadWord = 0x03,    // word, 0, 0 -> 5 bytes, the fifth is the answer
    CmdReadImage = 0x04,   // -> the 260-byte image
    CmdSetChannel = 0x07,  // channel index, squelch index -> 33 06 00
    CmdIdentify = 0x0F,    // -> 8 printable bytes
};

// The acknowledgement of a write: 33 06 00.
inline constexpr std::array<std::uint8_t, 3> kAck = {0x33, 0x06, 0x00};
inline constexpr std::size_t kIdentitySize = 8;
inline constexpr std::size_t kReadWordAnswerSize = 5;

constexpr RadioFrame MakeFrame(std::uint8_t command, std::uint8_t p1 = 0, std::uint8_t p2 = 0,
                               std::uint8_t p3 = 0) {
    const unsigned sum = unsigned{command} + p1 + p2 + p3;
    return {kFrameStart,
            command,
            p1,
            p2,
            p3,
            0x00,
            static_cast<std::uint8_t>((sum >> 8) & 0xFF),
            static_cast<std::uint8_t>(sum & 0xFF)};
}

// True when bytes 6 and 7 hold the sum of bytes 1..5.
constexpr bool FrameSumValid(const RadioFrame& frame) {
    unsigned sum = 0;
    for (std::size_t i = 1; i <= 5; ++i)
        sum += frame[i];
    return frame[0] == kFrameStart && frame[6] == ((sum >> 8) & 0xFF) && frame[7] == (sum & 0xFF);
}

// Missing bytes of an answer count as 00, so 33 06 followed by silence is accepted too.
constexpr bool AckAccepted(const std::uint8_t* bytes, std::size_t count) {
    auto at = [&](std::size_t i) -> std::uint8_t { return i < count ? bytes[i] : 0; };
    return at(0) == kAck[0] && at(1) == kAck[1] && at(2) == kAck[2];
}

// An identification byte the tool accepts.
constexpr bool IdentityByteValid(std::uint8_t b) {
    return b >= 0x20 && b <= 0x7F;
}

}  // namespace orvel
