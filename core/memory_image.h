// The radio's configuration block as the tool holds it, and the types the user edits.
//
//   offset  len  content
//   0       3    header (33 06 81 at start-up; copied from the radio or file, never interpreted)
//   3       128  16 channel records of 8 bytes, channel n at 3 + 8(n-1)
//                  +0..2 rx frequency, 6 packed BCD digits of kHz (230.125 MHz = 23 01 25)
//                  +3    squelch level, low nibble 1..9 (0 = none)
//                  +4..6 tx frequency, as rx
//                  +7    flags: bits 0-3 power 1..9 with bit 7 set, bits 4-5 rate
//                        (1 = 4800, 2 = 2400, 3 = 1200), bit 6 data/voice on
//   131     92   spare words 0x40..0x6D (carried through unchanged)
//   223     1    transmit time limit index   } parameter word 0x6E
//   224     1    power-save index            }
//   225     1    mode byte 1: data bits, stop bits, (bit 2), tx VCO, remote control } word 0x6F
//   226     1    mode byte 2: priority, rx busy, FSQC, Ext SQC, baud (2 bits), parity (2 bits) }
//   227     32   spare words 0x70..0x7F
//   259     1    checksum: sum of bytes 3..258 modulo 256
//
// Parameter word w (0..0x7F) is image bytes 3 + 2w and 4 + 2w.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "texts.h"

namespace orvel {

inline constexpr std::size_t kImageSize = 260;
using MemoryImage = std::array<std::uint8_t, kImageSize>;

namespace layout {
inline constexpr std::size_t kHeader = 0;
inline constexpr std::size_t kHeaderSize = 3;
inline constexpr std::size_t kChannels = 3;
inline constexpr std::size_t kChannelRecordSize = 8;
inline constexpr std::size_t kSpareA = 131;
inline constexpr std::size_t kSpareASize = 92;
inline constexpr std::size_t kTxTimeLimitIndex = 223;
inline constexpr std::size_t kPowerSaveIndex = 224;
inline constexpr std::size_t kModeByte1 = 225;
inline constexpr std::size_t kModeByte2 = 226;
inline constexpr std::size_t kSpareB = 227;
inline constexpr std::size_t kSpareBSize = 32;
inline constexpr std::size_t kChecksum = 259;
inline constexpr std::size_t kParameterWords = 128;

// Offsets inside one channel record.
inline constexpr std::size_t kRxFreq = 0;
inline constexpr std::size_t kSquelch = 3;
inline constexpr std::size_t kTxFreq = 4;
inline constexpr std::size_t kFlags = 7;

inline constexpr std::uint8_t kWordTimers = 0x6E;
inline constexpr std::uint8_t kWordModes = 0x6F;
inline constexpr std::uint8_t kWordCurrentChannel = 0x60;

constexpr std::size_t ChannelOffset(int channelIndex) {
    return kChannels + kChannelRecordSize * static_cast<std::size_t>(channelIndex);
}
constexpr std::size_t WordOffset(int word) {
    return 3 + 2 * static_cast<std::size_t>(word);
}
}  // namespace layout

// Flag bits of a channel record.
namespace flags {
inline constexpr std::uint8_t kPowerMask = 0x07;  // decoding reads three bits only
inline constexpr std::uint8_t kPowerWritten = 0x80;
inline constexpr std::uint8_t kDataVoiceOn = 0x40;
inline constexpr std::uint8_t kRate4800 = 0x10;
inline constexpr std::uint8_t kRate2400 = 0x20;
inline constexpr std::uint8_t kRate1200 = 0x30;
}  // namespace flags

inline constexpr int kChannelCount = 16;
inline constexpr int kTableColumns = 7;

// Columns of the channel table; column 0 is the fixed label.
enum Column : int {
    kColLabel = 0,
    kColRx = 1,
    kColTx = 2,
    kColPower = 3,
    kColRate = 4,
    kColDataVoice = 5,
    kColSquelch = 6,
};

// Cells are UTF-8 text; an empty cell means "not set".
using ChannelRow = std::array<std::string, kTableColumns>;
using ChannelTable = std::array<ChannelRow, kChannelCount>;

// " 信道%d": the label of channel 1..16.
std::string ChannelLabel(int channelNumber);
// The same as a message, for the window to translate.
Message ChannelLabelText(int channelNumber);
// Sixteen rows with their labels and empty data cells.
ChannelTable EmptyChannelTable();

// The radio-wide settings: ten option indexes and two drop-down indexes (-1 = none).
struct RadioSettings {
    int dataVoicePriority = 0;
    int rxBusyLevel = 0;
    int fsqc = 0;
    int extSqc = 0;
    int baudRate = 1;
    int parity = 0;
    int dataBits = 1;
    int stopBits = 0;
    int txVco = 0;
    int remoteControl = 0;
    int txTimeLimit = 0;
    int powerSave = 0;

    bool operator==(const RadioSettings&) const = default;
};

// The header a fresh image starts with.
inline constexpr std::array<std::uint8_t, 3> kStartupHeader = {0x33, 0x06, 0x81};
MemoryImage StartupImage();

}  // namespace orvel
