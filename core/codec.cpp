#include "codec.h"

#include <algorithm>
#include <cstdio>

#include "number_text.h"
#include "radio_fields.h"
#include "texts.h"
#include "vocabulary.h"

namespace orvel {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

bool Flagged(std::uint8_t byte) {
    return (byte & ~flags::kPowerWritten) != 0;
}

std::string ItemOfCode(const ChannelField& field, int code) {
    for (std::size_t i = 0; i < field.codes.size() && i < field.items.size(); ++i) {
        if (field.codes[i] == code)
            return std::string(field.items[i]);
    }
    return {};
}

std::string DecodeCell(const ChannelField& field, const std::uint8_t* record, DecodeSource source) {
    const std::uint8_t* at = record + field.bits.offset;
    const int code = (*at >> field.bits.shift) & ((1 << field.bits.readWidth) - 1);
    switch (field.kind) {
        case ColumnKind::Label:
            return {};
        case ColumnKind::Frequency:
            return UnpackFrequency(at[0], at[1], at[2]).value_or(std::string());
        case ColumnKind::Levels:
            return code == 0 ? std::string() : std::string(field.prefix) + std::to_string(code);
        case ColumnKind::Items:
            if (code != 0)
                return ItemOfCode(field, code);
            switch (field.zero) {
                case ZeroCode::Empty:
                    return {};
                case ZeroCode::WhenFlagged:
                    return Flagged(*at) ? ItemOfCode(field, 0) : std::string();
                case ZeroCode::RadioFirst:
                    return source == DecodeSource::FromRadio && Flagged(*at) ? ItemOfCode(field, 1)
                                                                             : std::string();
            }
    }
    return {};
}

void DecodeChannel(const MemoryImage& image, int index, DecodeSource source, ChannelRow& row) {
    const std::uint8_t* record = image.data() + layout::ChannelOffset(index);
    for (const ChannelField& field : kChannelFields) {
        if (field.kind != ColumnKind::Label)
            row[field.column] = DecodeCell(field, record, source);
    }
}

// "P3" -> 3: the prefix and a level from 1 to the highest written, without leading zeros.
int LevelOf(const ChannelField& field, std::string_view cell) {
    if (!cell.starts_with(field.prefix) || cell.size() == field.prefix.size())
        return 0;
    int level = 0;
    for (const char c : cell.substr(field.prefix.size())) {
        if (c < '0' || c > '9' || (level == 0 && c == '0'))
            return 0;
        level = 10 * level + (c - '0');
        if (level > field.highestWritten)
            return 0;
    }
    return level;
}

}  // namespace

std::uint8_t HexPairToByte(char high, char low) {
    return static_cast<std::uint8_t>(HexValue(high) * 16 + HexValue(low));
}

FrequencyBytes PackFrequency(std::string_view megahertz, Padding padding) {
    const std::string digits = FormatDecimalText(megahertz, 3, 0, 6, padding == Padding::Zeros);
    return {HexPairToByte(digits[0], digits[1]), HexPairToByte(digits[2], digits[3]),
            HexPairToByte(digits[4], digits[5])};
}

std::optional<std::string> UnpackFrequency(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    char hex[7];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", b0, b1, b2);
    const double megahertz = ReadDecimal(hex) * 0.001;
    if (megahertz == 0.0)
        return std::nullopt;
    return FormatFixed(megahertz, 3, 6);
}

std::uint8_t ImageChecksum(const MemoryImage& image) {
    unsigned sum = 0;
    for (std::size_t i = layout::kChannels; i < layout::kChecksum; ++i)
        sum += image[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint8_t CellCode(const ChannelField& field, std::string_view cell) {
    switch (field.kind) {
        case ColumnKind::Label:
        case ColumnKind::Frequency:
            return 0;
        case ColumnKind::Levels:
            return static_cast<std::uint8_t>(LevelOf(field, cell));
        case ColumnKind::Items:
            for (std::size_t i = 0; i < field.items.size() && i < field.codes.size(); ++i) {
                if (field.items[i] == cell)
                    return field.codes[i];
            }
            return 0;
    }
    return 0;
}

std::uint8_t SquelchCode(std::string_view cell) {
    return CellCode(kChannelFields[kColSquelch], cell);
}

std::uint8_t ChannelFlags(std::string_view power, std::string_view rate,
                          std::string_view dataVoice) {
    ChannelRow row;
    row[kColPower] = power;
    row[kColRate] = rate;
    row[kColDataVoice] = dataVoice;
    return EncodeChannel(row)[layout::kFlags];
}

ChannelRecord EncodeChannel(const ChannelRow& row, Padding txPadding) {
    ChannelRecord record{};
    for (const ChannelField& field : kChannelFields) {
        const std::string& cell = row[field.column];
        std::uint8_t* at = record.data() + field.bits.offset;
        switch (field.kind) {
            case ColumnKind::Label:
                break;
            case ColumnKind::Frequency: {
                const FrequencyBytes bytes =
                    PackFrequency(cell, field.blankPadded ? txPadding : Padding::Zeros);
                std::copy(bytes.begin(), bytes.end(), at);
                break;
            }
            case ColumnKind::Items:
            case ColumnKind::Levels:
                if (const std::uint8_t code = CellCode(field, cell); code != 0)
                    *at |= static_cast<std::uint8_t>((code << field.bits.shift) | field.bits.mark);
                break;
        }
    }
    return record;
}

void EncodeImage(const ChannelTable& table, const RadioSettings& settings, MemoryImage& image) {
    for (int r = 0; r < kChannelCount; ++r) {
        const ChannelRecord record = EncodeChannel(table[static_cast<std::size_t>(r)]);
        std::copy(record.begin(), record.end(), image.begin() + layout::ChannelOffset(r));
    }
    const auto settingsBytes = EncodeSettings(settings);
    std::copy(settingsBytes.begin(), settingsBytes.end(),
              image.begin() + layout::kTxTimeLimitIndex);
    image[layout::kChecksum] = ImageChecksum(image);
}

DecodedImage DecodeImage(const MemoryImage& image, DecodeSource source,
                         const RadioSettings& before) {
    DecodedImage result;
    result.table = EmptyChannelTable();
    if (source == DecodeSource::FromFile) {
        // A file starts from a cleared panel.
        result.settings = ClearedSettings();
        if (ImageChecksum(image) != image[layout::kChecksum]) {
            result.checksumOk = false;
            return result;
        }
    } else {
        result.settings = before;
        result.checksumOk = ImageChecksum(image) == image[layout::kChecksum];
    }
    for (int r = 0; r < kChannelCount; ++r) {
        DecodeChannel(image, r, source, result.table[static_cast<std::size_t>(r)]);
    }
    result.settings = DecodeSettings(image, result.settings);
    return result;
}

std::string ChannelLabel(int channelNumber) {
    return FormatText(ChannelLabelText(channelNumber));
}

Message ChannelLabelText(int channelNumber) {
    return {ORVEL_TR(" 信道%1"), channelNumber};
}

ChannelTable EmptyChannelTable() {
    ChannelTable table;
    for (int r = 0; r < kChannelCount; ++r) {
        table[static_cast<std::size_t>(r)][kColLabel] = ChannelLabel(r + 1);
    }
    return table;
}

MemoryImage StartupImage() {
    MemoryImage image{};
    std::copy(kStartupHeader.begin(), kStartupHeader.end(), image.begin());
    return image;
}

}  // namespace orvel
