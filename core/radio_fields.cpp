#include "radio_fields.h"

namespace orvel {

const SettingField* FindSetting(std::string_view key) {
    for (const SettingField& field : kSettingFields) {
        if (field.key == key)
            return &field;
    }
    return nullptr;
}

std::array<std::uint8_t, kSettingsBytes> EncodeSettings(const RadioSettings& settings) {
    // The values are added, not masked: the bytes are what the radio has always been sent.
    std::array<int, kSettingsBytes> sums{};
    for (const SettingField& field : kSettingFields) {
        sums[field.byte - layout::kTxTimeLimitIndex] +=
            (settings.*field.member) * (1 << field.shift);
    }
    std::array<std::uint8_t, kSettingsBytes> bytes{};
    for (std::size_t i = 0; i < kSettingsBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(sums[i] & 0xFF);
    return bytes;
}

std::uint8_t SettingBitsShown(std::size_t byte) {
    int bits = 0;
    for (const SettingField& field : kSettingFields) {
        if (field.byte == byte)
            bits |= ((1 << field.width) - 1) << field.shift;
    }
    return static_cast<std::uint8_t>(bits);
}

RadioSettings ClearedSettings() {
    RadioSettings settings;
    for (const SettingField& field : kSettingFields)
        settings.*field.member = field.dropDown ? -1 : 0;
    return settings;
}

RadioSettings DecodeSettings(const MemoryImage& image, const RadioSettings& before) {
    RadioSettings settings = before;
    for (const SettingField& field : kSettingFields) {
        const int code = (image[field.byte] >> field.shift) & ((1 << field.width) - 1);
        const bool named = code < static_cast<int>(field.items.size());
        if (field.dropDown) {
            settings.*field.member = named ? code : -1;
        } else if (named) {
            settings.*field.member = code;
        }
    }
    return settings;
}

std::string_view SettingWord(const SettingField& field, int value) {
    if (field.reportWord == ReportWord::Either)
        return field.items[value == 0 ? 0 : 1];
    return value >= 0 && static_cast<std::size_t>(value) < field.items.size()
               ? field.items[static_cast<std::size_t>(value)]
               : std::string_view{};
}

}  // namespace orvel
