#include "radio_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cell_rules.h"
#include "codec.h"
#include "transfer.h"

namespace orvel {
namespace {

// Every value a setting can hold survives the image alone, without touching another setting:
// a new table entry whose bits overlap another's, or whose width cannot hold its items, fails.
TEST(SettingFields, EachValueRoundTripsThroughItsOwnBits) {
    for (const SettingField& field : kSettingFields) {
        for (int value = field.Low(); value <= field.High(); ++value) {
            RadioSettings settings = ClearedSettings();
            settings.*field.member = value;
            MemoryImage image = StartupImage();
            EncodeImage(EmptyChannelTable(), settings, image);
            const RadioSettings decoded = DecodeSettings(image, ClearedSettings());
            EXPECT_EQ(decoded, settings) << field.key << " = " << value;
        }
    }
}

TEST(SettingFields, KeysAndReportRowsAreUnique) {
    std::set<std::string_view> keys;
    std::set<int> rows;
    for (const SettingField& field : kSettingFields) {
        EXPECT_TRUE(keys.insert(field.key).second) << field.key;
        EXPECT_TRUE(rows.insert(field.reportRow).second) << field.key;
        EXPECT_EQ(FindSetting(field.key), &field);
    }
    for (const ChannelField& column : kChannelFields)
        EXPECT_TRUE(keys.insert(column.key).second) << column.key;
    EXPECT_EQ(FindSetting("nothing"), nullptr);
}

// A row with every list at its first or its last item: the neighbours a cell's bits must leave
// alone.
ChannelRow RowAtItems(bool last) {
    ChannelRow row = EmptyChannelTable()[0];
    for (const ChannelField& field : kChannelFields) {
        if (field.kind == ColumnKind::Frequency)
            row[field.column] = last ? "999.999" : "223.000";
        if (field.IsList())
            row[field.column] = last ? field.items.back() : field.items.front();
    }
    return row;
}

// Every word a column offers or shows survives a record, from a file and from the radio, beside
// any neighbours: a column whose bits overlap another's, or cannot hold its words, fails.
TEST(ChannelFields, EachWordRoundTripsThroughItsOwnBits) {
    for (const ChannelField& field : kChannelFields) {
        std::vector<std::string_view> words(field.items.begin(), field.items.end());
        words.insert(words.end(), field.past.begin(), field.past.end());
        for (const bool last : {false, true}) {
            for (std::string_view word : words) {
                ChannelTable table = EmptyChannelTable();
                table[0] = RowAtItems(last);
                table[0][field.column] = word;
                MemoryImage image = StartupImage();
                EncodeImage(table, RadioSettings{}, image);
                for (const DecodeSource source :
                     {DecodeSource::FromFile, DecodeSource::FromRadio}) {
                    EXPECT_EQ(DecodeImage(image, source).table[0], table[0])
                        << field.key << " = " << word;
                }
            }
        }
    }
}

// The confirm button names each refused field once, in its own order.
TEST(ChannelFields, AnEmptyPanelIsRefusedOnceForEachField) {
    ChannelTable table = EmptyChannelTable();
    InvalidFlags invalid;
    const ConfirmResult result = ConfirmPanel(EditPanel{}, FrequencyLimits{}, table, invalid);
    std::vector<std::string> lines;
    for (const Message& line : result.logLines)
        lines.push_back(FormatText(line));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"***接收频率数据非法***", "***发送频率数据非法***",
                                        "***SQL数据非法***", "***功率级别数据非法***",
                                        "***数据/语音数据非法***", "***信道速率数据非法***"}));
    EXPECT_FALSE(result.written);
}

// Levels are written as a decode shows them, without leading zeros.
TEST(ChannelFields, ALevelWithALeadingZeroCodesAsNone) {
    ChannelRow row = RowAtItems(false);
    row[kColPower] = "P05";
    row[kColSquelch] = "L05";
    const ChannelRecord record = EncodeChannel(row);
    EXPECT_EQ(record[layout::kFlags] & 0x8F, 0);
    EXPECT_EQ(record[layout::kSquelch], 0);
}

// Bytes no encode writes, as a radio may hold them: a flags byte with the power mark alone
// shows no cell, and a frequency byte past the first that reads as nothing stops an export.
TEST(ChannelFields, OddRecordBytesShowAsTheyReadBack) {
    MemoryImage image = StartupImage();
    image[layout::ChannelOffset(0) + layout::kFlags] = flags::kPowerWritten;
    image[layout::kChecksum] = ImageChecksum(image);
    for (const DecodeSource source : {DecodeSource::FromFile, DecodeSource::FromRadio})
        EXPECT_EQ(DecodeImage(image, source).table[0], EmptyChannelTable()[0]);

    image = StartupImage();
    image[layout::ChannelOffset(0) + layout::kRxFreq + 2] = 0x0A;
    image[layout::kChecksum] = ImageChecksum(image);
    const DecodedImage shown = DecodeAsShown(image, DecodeSource::FromFile, FrequencyLimits{});
    ImportError error;
    EXPECT_FALSE(ReadsBack(ImageToJson(image, shown), false, image, shown, error));
    EXPECT_EQ(error.column, "rx");
    EXPECT_EQ(error.reason.rfind("bytes 00 00 0A show as", 0), 0u) << error.reason;
}

// A click from a full row to an empty one empties the drop-downs; the silent confirm of a
// complete panel takes every red mark off but squelch's, which waits for the next confirm.
TEST(ChannelFields, ThePanelFollowsItsRowAndTheSilentConfirmClearsMarks) {
    ChannelTable table = EmptyChannelTable();
    table[0] = RowAtItems(true);
    EditPanel panel;
    LoadRowIntoPanel(table, 0, panel);
    LoadRowIntoPanel(table, 1, panel);
    EditPanel empty;
    empty.channelNo = 2;
    EXPECT_EQ(panel, empty);
    LoadRowIntoPanel(table, 0, panel);
    InvalidFlags marks{true, true, true, true, true, true};
    EXPECT_TRUE(ApplyPanelToRow(panel, FrequencyLimits{223.0, 999.999}, table, marks));
    InvalidFlags squelchOnly;
    squelchOnly.squelch = true;
    EXPECT_EQ(marks, squelchOnly);
}

}  // namespace
}  // namespace orvel
