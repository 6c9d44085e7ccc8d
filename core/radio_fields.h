// Every channel column and every radio-wide setting, named once. The codec, the cell checks, the
// JSON and CSV files, the read-back check, the printed report, the comparison, the edit panel,
// the fill and the row commands all read this table, so a column or a setting is added here
// (plus its controls on the form) and nowhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "channel_edit.h"
#include "memory_image.h"
#include "texts.h"
#include "vocabulary.h"

namespace orvel {

// What a column holds, and so how it is coded, checked and edited. Code that treats columns
// differently switches over this without a default, so a new kind is a compile error there.
enum class ColumnKind {
    Label,      // the channel's fixed label; no record bits, never edited
    Frequency,  // MHz as typed, three packed BCD bytes of kHz in the record
    Items,      // one of `items`, item i coded as codes[i]
    Levels,     // `prefix` and a level: item i is level i + 1, `past` names the levels after them
};

// Where a column's code sits in its 8-byte record.
struct RecordBits {
    std::size_t offset = 0;  // first byte in the record
    int shift = 0;           // lowest bit
    int width = 8;           // bits written, and compared when an export is checked
    int readWidth = 8;       // bits a decode reads
    std::uint8_t mark = 0;   // also written beside any code but 0

    // The bits of the column's byte that belong to it.
    constexpr std::uint8_t Mask() const {
        return static_cast<std::uint8_t>((((1 << width) - 1) << shift) | mark);
    }
};

// What code 0 of an item column reads as. Its byte is shared, and whether the radio wrote the
// byte at all shows only in the other columns' bits (any bit but the power mark).
enum class ZeroCode {
    Empty,        // nothing
    WhenFlagged,  // its item, when the byte holds another column's bits
    RadioFirst,   // read from the radio, when the byte holds another column's bits: as code 1
};

// One column of the channel table.
struct ChannelField {
    Column column;
    ColumnKind kind;
    std::string_view key;            // JSON key and CSV column
    std::string_view heading;        // the channel list's column head, the comparison's name
    std::string_view reportHeading;  // the printed report's column head
    std::span<const std::string_view> items = {};  // the panel's items; empty but for a list
    std::span<const std::uint8_t> codes = {};      // Items: the code of each item
    std::span<const std::string_view> past = {};   // Levels: words of the codes past the items
    std::string_view prefix = {};                  // Levels: what a level's number follows
    int highestWritten = 0;           // Levels: the highest level an encode writes ("P9" stays 9)
    ZeroCode zero = ZeroCode::Empty;  // Items
    RecordBits bits = {};
    bool blankPadded = false;  // Frequency: the write exchange prints it with blanks
    // The panel's field, its red mark, and the confirm button's line when it is refused.
    std::string EditPanel::*text = nullptr;  // Frequency
    int EditPanel::*choice = nullptr;        // Items, Levels
    bool InvalidFlags::*invalid = nullptr;
    std::string_view invalidLine = {};
    int checkOrder = 0;       // where the confirm button checks it, from 0
    bool quietClears = true;  // the silent confirm takes the mark off when the field passes

    constexpr bool IsList() const {
        return kind == ColumnKind::Items || kind == ColumnKind::Levels;
    }
    // The record's bytes of the column: 3 for a frequency, 1 for a code, 0 for the label.
    constexpr std::size_t ByteCount() const {
        switch (kind) {
            case ColumnKind::Label:
                return 0;
            case ColumnKind::Frequency:
                return 3;
            case ColumnKind::Items:
            case ColumnKind::Levels:
                return 1;
        }
        return 0;
    }
};

namespace vocab {
inline constexpr std::array<std::uint8_t, 3> kRateCodes = {3, 2, 1};
inline constexpr std::array<std::uint8_t, 2> kDataVoiceCodes = {0, 1};
}  // namespace vocab

inline constexpr std::array<ChannelField, kTableColumns> kChannelFields = {{
    {.column = kColLabel,
     .kind = ColumnKind::Label,
     .key = "channel",
     .heading = ORVEL_TR("信道号"),
     .reportHeading = ORVEL_TR("信道号")},
    {.column = kColRx,
     .kind = ColumnKind::Frequency,
     .key = "rx",
     .heading = ORVEL_TR("接收频率"),
     .reportHeading = ORVEL_TR("接收频率"),
     .bits = {.offset = layout::kRxFreq},
     .text = &EditPanel::rxText,
     .invalid = &InvalidFlags::rx,
     .invalidLine = ORVEL_TR("***接收频率数据非法***"),
     .checkOrder = 0},
    {.column = kColTx,
     .kind = ColumnKind::Frequency,
     .key = "tx",
     .heading = ORVEL_TR("发送频率"),
     .reportHeading = ORVEL_TR("发射频率"),
     .bits = {.offset = layout::kTxFreq},
     .blankPadded = true,
     .text = &EditPanel::txText,
     .invalid = &InvalidFlags::tx,
     .invalidLine = ORVEL_TR("***发送频率数据非法***"),
     .checkOrder = 1},
    {.column = kColPower,
     .kind = ColumnKind::Levels,
     .key = "power",
     .heading = ORVEL_TR("功率级别"),
     .reportHeading = ORVEL_TR("功率级别"),
     .items = vocab::kPower,
     .past = vocab::kRawPower,
     .prefix = "P",
     .highestWritten = 9,
     .bits = {.offset = layout::kFlags,
              .shift = 0,
              .width = 4,
              .readWidth = 3,
              .mark = flags::kPowerWritten},
     .choice = &EditPanel::power,
     .invalid = &InvalidFlags::power,
     .invalidLine = ORVEL_TR("***功率级别数据非法***"),
     .checkOrder = 3},
    {.column = kColRate,
     .kind = ColumnKind::Items,
     .key = "rate",
     .heading = ORVEL_TR("信道速率"),
     .reportHeading = ORVEL_TR("信道速率"),
     .items = vocab::kRate,
     .codes = vocab::kRateCodes,
     .zero = ZeroCode::RadioFirst,
     .bits = {.offset = layout::kFlags, .shift = 4, .width = 2, .readWidth = 2},
     .choice = &EditPanel::rate,
     .invalid = &InvalidFlags::rate,
     .invalidLine = ORVEL_TR("***信道速率数据非法***"),
     .checkOrder = 5},
    {.column = kColDataVoice,
     .kind = ColumnKind::Items,
     .key = "dataVoice",
     .heading = ORVEL_TR("数据/话音"),
     .reportHeading = ORVEL_TR("数据/话音"),
     .items = vocab::kDataVoice,
     .codes = vocab::kDataVoiceCodes,
     .zero = ZeroCode::WhenFlagged,
     .bits = {.offset = layout::kFlags, .shift = 6, .width = 1, .readWidth = 1},
     .choice = &EditPanel::dataVoice,
     .invalid = &InvalidFlags::dataVoice,
     .invalidLine = ORVEL_TR("***数据/语音数据非法***"),
     .checkOrder = 4},
    {.column = kColSquelch,
     .kind = ColumnKind::Levels,
     .key = "squelch",
     .heading = ORVEL_TR("静噪电平"),
     .reportHeading = ORVEL_TR("静噪电平"),
     .items = vocab::kSquelch,
     .past = vocab::kRawSquelch,
     .prefix = "L",
     .highestWritten = 15,
     .bits = {.offset = layout::kSquelch, .readWidth = 4},
     .choice = &EditPanel::squelch,
     .invalid = &InvalidFlags::squelch,
     .invalidLine = ORVEL_TR("***SQL数据非法***"),
     .checkOrder = 2,
     // Left for the next confirm to decide.
     .quietClears = false},
}};

// A frequency has a text on the panel, a list a selection, and either a red mark; the label has
// none of them. Every column but the label has its own place in the confirm button's order.
static_assert([] {
    std::array<bool, kTableColumns> placed{};
    for (const ChannelField& field : kChannelFields) {
        const bool label = field.kind == ColumnKind::Label;
        const bool frequency = field.kind == ColumnKind::Frequency;
        if ((field.text != nullptr) != frequency || (field.choice != nullptr) != field.IsList() ||
            (field.invalid == nullptr) != label || field.invalidLine.empty() != label) {
            return false;
        }
        const auto place = static_cast<std::size_t>(field.checkOrder);
        if (!label && (place + 1 >= kTableColumns || placed[place]))
            return false;
        if (!label)
            placed[place] = true;
    }
    return true;
}());

// The columns in the order the confirm button checks them.
inline constexpr std::array<const ChannelField*, kTableColumns - 1> kCheckOrder = [] {
    std::array<const ChannelField*, kTableColumns - 1> order{};
    for (const ChannelField& field : kChannelFields) {
        if (field.kind != ColumnKind::Label)
            order[static_cast<std::size_t>(field.checkOrder)] = &field;
    }
    return order;
}();

// How many columns the user chooses from a list, and the n-th of them in column order.
inline constexpr std::size_t kListColumns = [] {
    std::size_t n = 0;
    for (const ChannelField& field : kChannelFields)
        n += field.IsList() ? 1 : 0;
    return n;
}();
inline constexpr std::array<Column, kListColumns> kListColumnOrder = [] {
    std::array<Column, kListColumns> columns{};
    std::size_t n = 0;
    for (const ChannelField& field : kChannelFields) {
        if (field.IsList())
            columns[n++] = field.column;
    }
    return columns;
}();

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
