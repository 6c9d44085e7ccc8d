// Coding between the memory image and what the user edits: the channel table and the settings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "memory_image.h"

namespace orvel {

struct ChannelField;

using ChannelRecord = std::array<std::uint8_t, layout::kChannelRecordSize>;
using FrequencyBytes = std::array<std::uint8_t, 3>;

// The value of a hexadecimal digit pair; characters that are not hex digits count 0.
std::uint8_t HexPairToByte(char high, char low);

// How a frequency is printed before it is packed: the image uses "%06.0f"; the write exchange
// prints transmit frequencies with "%6.0f" (blanks, which count 0).
enum class Padding { Zeros, Blanks };

// "230.125" -> 23 01 25: kHz as six BCD digits. No range check: 1000 MHz packs as 10 00 00.
FrequencyBytes PackFrequency(std::string_view megahertz, Padding padding = Padding::Zeros);
// 23 01 25 -> "230.125" ("%6.3f"), or nothing when the bytes read as 0.
std::optional<std::string> UnpackFrequency(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);

// Sum of bytes 3..258 modulo 256.
std::uint8_t ImageChecksum(const MemoryImage& image);

// "L1".."L15" -> 1..15 (a decode shows nibbles 10..15 as L10..L15), anything else 0.
std::uint8_t SquelchCode(std::string_view cell);
// Power, rate and data/voice cells -> the flags byte.
std::uint8_t ChannelFlags(std::string_view power, std::string_view rate,
                          std::string_view dataVoice);
// The record's code of an item or level cell; 0 for a cell that has none.
std::uint8_t CellCode(const ChannelField& field, std::string_view cell);
// One row of the table as its 8-byte record.
ChannelRecord EncodeChannel(const ChannelRow& row, Padding txPadding = Padding::Zeros);

// Writes the table and settings into bytes 3..130 and 223..226 and renews byte 259; the header
// and spare words stay as they are.
void EncodeImage(const ChannelTable& table, const RadioSettings& settings, MemoryImage& image);

enum class DecodeSource { FromFile, FromRadio };

struct DecodedImage {
    bool checksumOk = true;
    ChannelTable table;      // labels in column 0, decoded cells in 1..6
    RadioSettings settings;  // what the panel shows afterwards
};

// Decodes an image. A file whose checksum fails decodes nothing: the table comes back empty,
// the ten options 0 and both drop-downs without selection. From the radio the image is always
// decoded; a parity code of 3 keeps the parity of `before`.
DecodedImage DecodeImage(const MemoryImage& image, DecodeSource source,
                         const RadioSettings& before = {});

}  // namespace orvel
