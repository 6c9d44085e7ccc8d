#include "radio_fields.h"

#include <gtest/gtest.h>

#include <set>

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

}  // namespace
}  // namespace orvel
