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

std::string_view RateText(int code) {
    switch (code) {
        case 1:
            return "4800";
        case 2:
            return "2400";
        case 3:
            return "1200";
        default:
            return {};
    }
}

void DecodeChannel(const MemoryImage& image, int index, DecodeSource source, ChannelRow& row) {
    const std::size_t b = layout::ChannelOffset(index);
    const std::uint8_t flagsByte = image[b + layout::kFlags];
    if (auto rx = UnpackFrequency(image[b], image[b + 1], image[b + 2]))
        row[kColRx] = *rx;
    if (int power = flagsByte & flags::kPowerMask; power != 0) {
        row[kColPower] = "P" + std::to_string(power);
    }
    const int rateCode = (flagsByte >> 4) & 3;
    const bool anyFlag = (flagsByte & 0x7F) != 0;
    if (anyFlag)
        row[kColDataVoice] = (flagsByte & flags::kDataVoiceOn) ? vocab::kOn : vocab::kOff;
    if (source == DecodeSource::FromFile) {
        row[kColRate] = RateText(rateCode);
    } else if (anyFlag) {
        // The radio path reads rate code 0 as 4800 too.
        row[kColRate] = RateText(rateCode == 0 ? 1 : rateCode);
    }
    if (auto tx = UnpackFrequency(image[b + 4], image[b + 5], image[b + 6]))
        row[kColTx] = *tx;
    if (int squelch = image[b + layout::kSquelch] & 0x0F; squelch != 0) {
        row[kColSquelch] = "L" + std::to_string(squelch);
    }
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

std::uint8_t SquelchCode(std::string_view cell) {
    if (const int level = vocab::IndexOf(vocab::kSquelch, cell); level >= 0)
        return static_cast<std::uint8_t>(level + 1);
    if (const int raw = vocab::IndexOf(vocab::kRawSquelch, cell); raw >= 0)
        return static_cast<std::uint8_t>(raw + 10);
    return 0;
}

std::uint8_t ChannelFlags(std::string_view power, std::string_view rate,
                          std::string_view dataVoice) {
    std::uint8_t value = 0;
    if (power.size() == 2 && power[0] == 'P' && power[1] >= '1' && power[1] <= '9') {
        value = static_cast<std::uint8_t>(flags::kPowerWritten + (power[1] - '0'));
    }
    if (rate == "4800") {
        value += flags::kRate4800;
    } else if (rate == "2400") {
        value += flags::kRate2400;
    } else if (rate == "1200") {
        value += flags::kRate1200;
    }
    if (dataVoice == vocab::kOn)
        value += flags::kDataVoiceOn;
    return value;
}

ChannelRecord EncodeChannel(const ChannelRow& row, Padding txPadding) {
    const FrequencyBytes rx = PackFrequency(row[kColRx]);
    const FrequencyBytes tx = PackFrequency(row[kColTx], txPadding);
    return {rx[0], rx[1], rx[2], SquelchCode(row[kColSquelch]),
            tx[0], tx[1], tx[2], ChannelFlags(row[kColPower], row[kColRate], row[kColDataVoice])};
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
