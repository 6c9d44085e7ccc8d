#include "image_diff.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "channel_edit.h"
#include "write_check.h"

namespace orvel {
namespace {

ComparedConfiguration Sample() {
    ComparedConfiguration c;
    c.image = StartupImage();
    c.table = EmptyChannelTable();
    c.table[2] = {ChannelLabel(3), "226.000", "230.000", "P2", "4800", "开", "L3"};
    return c;
}

TEST(CompareConfigurations, ListsCellsSettingsHeaderAndSparesInThatOrder) {
    const ComparedConfiguration a = Sample();
    EXPECT_TRUE(CompareConfigurations(a, a).empty());
    ComparedConfiguration b = a;
    b.image[layout::kSpareB + 31] = 0xAB;
    b.image[layout::kSpareA] = 0x07;
    b.image[2] = 0x82;
    b.settings.baudRate = 3;
    b.table[15][kColSquelch] = "L2";
    b.table[2][kColRx] = "226.500";
    b.image[layout::kChecksum] ^= 0xFF;  // derived, never reported
    b.table[4][kColLabel] = "x";         // the label is no value
    const std::vector<ConfigDifference> d = CompareConfigurations(a, b);
    std::vector<std::string> lines;
    for (const ConfigDifference& one : d)
        lines.push_back(DifferenceLine(one));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "channel 3 rx: 226.000 -> 226.500", "channel 16 squelch: (empty) -> L2",
                         "settings baudRate: 1 -> 3", "header: 330681 -> 330682",
                         "spareA: byte 131 00 -> 07", "spareB: byte 258 00 -> AB"}));
    EXPECT_EQ(d[1].a, "");
    const nlohmann::json doc = nlohmann::json::parse(DifferencesJson(d));
    EXPECT_EQ(doc["equal"], false);
    EXPECT_EQ(doc["differences"][0],
              (nlohmann::json{
                  {"where", "channel 3"}, {"field", "rx"}, {"a", "226.000"}, {"b", "226.500"}}));
    EXPECT_EQ(doc["differences"][3]["field"], "");
    EXPECT_EQ(nlohmann::json::parse(DifferencesJson({})),
              nlohmann::json::parse(R"({"equal": true, "differences": []})"));
}

TEST(FirstWrittenDifference, ComparesOnlyWrittenWordsAndIgnoresBitsNeverReadBack) {
    MemoryImage radio{};
    std::vector<RadioFrame> frames = {MakeFrame(CmdWriteWord, 0, 0x22, 0x65),
                                      MakeFrame(CmdWriteWord, 1, 0x00, 0x03),
                                      MakeFrame(CmdWriteWord, layout::kWordModes, 0x05, 0x30)};
    radio[layout::WordOffset(0)] = 0x22;
    radio[layout::WordOffset(0) + 1] = 0x65;
    radio[layout::WordOffset(1) + 1] = 0xF3;               // squelch high nibble
    radio[layout::WordOffset(layout::kWordModes)] = 0xE1;  // bit 2 and bits 5..7
    radio[layout::WordOffset(layout::kWordModes) + 1] = 0x30;
    radio[layout::WordOffset(7)] = 0x99;  // never written
    EXPECT_FALSE(FirstWrittenDifference(frames, radio).has_value());

    radio[layout::WordOffset(layout::kWordModes)] ^= 0x01;
    radio[layout::WordOffset(1)] = 0x01;
    const auto first = FirstWrittenDifference(frames, radio);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->word, 1);  // word order, not frame order of the settings
    EXPECT_EQ(first->written, (std::array<std::uint8_t, 2>{0x00, 0x03}));
    EXPECT_EQ(first->readBack, (std::array<std::uint8_t, 2>{0x01, 0xF3}));

    // A later frame for the same word wins: a special word landing on word 1.
    frames.push_back(MakeFrame(CmdWriteWord, 1, 0x01, 0x03));
    EXPECT_EQ(FirstWrittenDifference(frames, radio)->word, layout::kWordModes);
}

TEST(PanelMatchesRow, AsksOnlyWhenAConfirmWouldChangeTheRow) {
    ChannelTable table = EmptyChannelTable();
    table[0] = {ChannelLabel(1), "226.000", "230.000", "P6", "4800", "开", "L3"};
    EditPanel panel;
    LoadRowIntoPanel(table, 0, panel);  // P6 matches no item: power without selection
    EXPECT_TRUE(PanelMatchesRow(panel, table));
    panel.rxText = "226";  // prints as the cell does
    EXPECT_TRUE(PanelMatchesRow(panel, table));
    panel.rxText = "226.5";
    EXPECT_FALSE(PanelMatchesRow(panel, table));
    LoadRowIntoPanel(table, 0, panel);
    panel.power = 0;
    EXPECT_FALSE(PanelMatchesRow(panel, table));
    LoadRowIntoPanel(table, 0, panel);
    panel.squelch = -1;
    EXPECT_FALSE(PanelMatchesRow(panel, table));

    EditPanel empty;  // an empty row and an empty panel
    empty.channelNo = 2;
    EXPECT_TRUE(PanelMatchesRow(empty, table));
    empty.txText = "abc";
    EXPECT_FALSE(PanelMatchesRow(empty, table));
    empty.channelNo = 0;  // no channel: nothing to confirm
    EXPECT_TRUE(PanelMatchesRow(empty, table));
    empty.channelNo = 17;
    EXPECT_TRUE(PanelMatchesRow(empty, table));
}

}  // namespace
}  // namespace orvel
