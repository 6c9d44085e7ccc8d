#include "radio_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "codec.h"

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

}  // namespace
}  // namespace orvel
