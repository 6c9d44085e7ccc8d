// Every channel column and every radio-wide setting, named once. The codec, the JSON and CSV
// files, the printed report, the comparison and the settings panel all read this table, so a
// setting is added here (plus its controls on the form) and nowhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "memory_image.h"
#include "texts.h"
#include "vocabulary.h"

namespace orvel {

// One column of the channel table.
struct ChannelField {
    Column column;
    std::string_view key;            // JSON key and CSV column
    std::string_view heading;        // the channel list's column head, the comparison's name
    std::string_view reportHeading;  // the printed report's column head
    std::span<const std::string_view> items;  // the cell's vocabulary; empty for frequencies
};

inline constexpr std::array<ChannelField, kTableColumns> kChannelFields = {{
    {kColLabel, "channel", ORVEL_TR("信道号"), ORVEL_TR("信道号"), {}},
    {kColRx, "rx", ORVEL_TR("接收频率"), ORVEL_TR("接收频率"), {}},
    {kColTx, "tx", ORVEL_TR("发送频率"), ORVEL_TR("发射频率"), {}},
    {kColPower, "power", ORVEL_TR("功率级别"), ORVEL_TR("功率级别"), vocab::kPower},
    {kColRate, "rate", ORVEL_TR("信道速率"), ORVEL_TR("信道速率"), vocab::kRate},
    {kColDataVoice, "dataVoice", ORVEL_TR("数据/话音"), ORVEL_TR("数据/话音"), vocab::kDataVoice},
    {kColSquelch, "squelch", ORVEL_TR("静噪电平"), ORVEL_TR("静噪电平"), vocab::kSquelch},
}};

// How the report words a value.
enum class ReportWord {
    Either,  // two-valued: the second word for anything but 0
    Item,    // the item's word, nothing for a value without one
};

// One radio-wide setting. Its value is a bit field of one image byte (bytes 223..226); an
// option group's value is its button index, a drop-down's its item index or -1 for none.
struct SettingField {
    std::string_view key;    // JSON key, the comparison's field
    std::string_view label;  // the panel's group title, the report's and comparison's name
    int RadioSettings::*member;
    std::size_t byte;                         // image byte
    int shift;                                // lowest bit in that byte
    int width;                                // bits
    bool dropDown;                            // may be without a selection (-1)
    std::span<const std::string_view> items;  // the words for each value
    ReportWord reportWord;
    int reportRow;     // line of the report's settings block
    int reportBlanks;  // blanks after the label that line the report's colons up on paper

    // The range an import accepts.
    int Low() const { return dropDown ? -1 : 0; }
    int High() const { return static_cast<int>(items.size()) - 1; }
};

namespace vocab {
inline constexpr std::array<std::string_view, 2> kPriority = {ORVEL_TR("高-数据 低-话音"),
                                                              ORVEL_TR("低-数据 高-话音")};
inline constexpr std::array<std::string_view, 2> kRxBusy = {ORVEL_TR("低-忙"), ORVEL_TR("高-忙")};
inline constexpr std::array<std::string_view, 2> kExtSqc = {ORVEL_TR("低-打开"),
                                                            ORVEL_TR("高-打开")};
inline constexpr std::array<std::string_view, 4> kBaud = {"1200bps", "2400bps", "4800bps",
                                                          "9600bps"};
// Code 1 is odd and 2 even, as the panel's buttons say; code 3 has no word.
inline constexpr std::array<std::string_view, 3> kParity = {ORVEL_TR("无校验"), ORVEL_TR("奇校验"),
                                                            ORVEL_TR("偶校验")};
inline constexpr std::array<std::string_view, 2> kDataBits = {ORVEL_TR("7位"), ORVEL_TR("8位")};
inline constexpr std::array<std::string_view, 2> kStopBits = {ORVEL_TR("1位"), ORVEL_TR("2位")};
inline constexpr std::array<std::string_view, 2> kRemote = {ORVEL_TR("禁止"), ORVEL_TR("允许")};
}  // namespace vocab

// Panel order, which is also the order of the JSON file and of the comparison.
inline constexpr std::array<SettingField, 12> kSettingFields = {{
    {"dataVoicePriority", ORVEL_TR("数据/话音优先"), &RadioSettings::dataVoicePriority,
     layout::kModeByte2, 0, 1, false, vocab::kPriority, ReportWord::Either, 0, 1},
    {"rxBusyLevel", ORVEL_TR("接收忙指示"), &RadioSettings::rxBusyLevel, layout::kModeByte2, 1, 1,
     false, vocab::kRxBusy, ReportWord::Either, 1, 6},
    {"fsqc", "FSQC", &RadioSettings::fsqc, layout::kModeByte2, 2, 1, false, vocab::kDataVoice,
     ReportWord::Either, 2, 13},
    {"extSqc", "Ext SQC", &RadioSettings::extSqc, layout::kModeByte2, 3, 1, false, vocab::kExtSqc,
     ReportWord::Either, 3, 9},
    {"baudRate", ORVEL_TR("波特率"), &RadioSettings::baudRate, layout::kModeByte2, 4, 2, false,
     vocab::kBaud, ReportWord::Item, 5, 12},
    {"parity", ORVEL_TR("校验位"), &RadioSettings::parity, layout::kModeByte2, 6, 2, false,
     vocab::kParity, ReportWord::Item, 6, 12},
    {"dataBits", ORVEL_TR("数据位"), &RadioSettings::dataBits, layout::kModeByte1, 0, 1, false,
     vocab::kDataBits, ReportWord::Item, 7, 10},
    {"stopBits", ORVEL_TR("停止位"), &RadioSettings::stopBits, layout::kModeByte1, 1, 1, false,
     vocab::kStopBits, ReportWord::Item, 8, 12},
    {"txVco", ORVEL_TR("发射VCO"), &RadioSettings::txVco, layout::kModeByte1, 3, 1, false,
     vocab::kDataVoice, ReportWord::Either, 4, 7},
    {"remoteControl", ORVEL_TR("遥控"), &RadioSettings::remoteControl, layout::kModeByte1, 4, 1,
     false, vocab::kRemote, ReportWord::Item, 9, 15},
    {"txTimeLimit", ORVEL_TR("发射限时"), &RadioSettings::txTimeLimit, layout::kTxTimeLimitIndex, 0,
     8, true, vocab::kTxTimeLimit, ReportWord::Item, 10, 8},
    {"powerSave", ORVEL_TR("省电模式"), &RadioSettings::powerSave, layout::kPowerSaveIndex, 0, 8,
     true, vocab::kPowerSave, ReportWord::Item, 11, 8},
}};

// The setting named `key`, or nullptr.
const SettingField* FindSetting(std::string_view key);

// The settings' image bytes 223..226, as the image and the write exchange hold them.
inline constexpr std::size_t kSettingsBytes = 4;
std::array<std::uint8_t, kSettingsBytes> EncodeSettings(const RadioSettings& settings);

// The bits of image byte `byte` (223..226) that some setting shows.
std::uint8_t SettingBitsShown(std::size_t byte);

// The settings a fresh file decode starts from: every option 0, no drop-down selection.
RadioSettings ClearedSettings();

// The settings coded in `image`, starting from `before`: an option code without an item (parity
// 3) keeps the value of `before`; a drop-down code without an item reads as no selection.
RadioSettings DecodeSettings(const MemoryImage& image, const RadioSettings& before);

// The word the report prints for a setting's value.
std::string_view SettingWord(const SettingField& field, int value);

}  // namespace orvel
