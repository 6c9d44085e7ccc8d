#include "channel_rows.h"

#include <gtest/gtest.h>

#include "codec.h"

namespace orvel {
namespace {

// A table whose channel n holds receive frequency 230.000 + n/1000 in rows `filled` (1-based),
// so every row tells where it came from.
ChannelTable Numbered(int filled = kChannelCount) {
    ChannelTable table = EmptyChannelTable();
    for (int n = 1; n <= filled; ++n) {
        auto& row = table[static_cast<std::size_t>(n - 1)];
        row[kColRx] = "230.0" + std::string(n < 10 ? "0" : "") + std::to_string(n);
        row[kColPower] = "P1";
    }
    return table;
}

// The channels each row holds, as their numbers; 0 for an empty row.
std::vector<int> Channels(const ChannelTable& table) {
    std::vector<int> numbers;
    for (const ChannelRow& row : table)
        numbers.push_back(RowIsEmpty(row) ? 0 : std::stoi(row[kColRx].substr(5)));
    return numbers;
}

std::vector<int> Apply(const RowOrder& order, int filled = kChannelCount) {
    return Channels(Rearranged(Numbered(filled), order));
}

TEST(ChannelRowsTest, MovingUpAndDownStopsAtTheEndsAndKeepsBlocksTogether) {
    EXPECT_EQ(Apply(MoveUpOrder({2, 3})),
              (std::vector<int>{1, 3, 4, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    // A chosen row at the top stays, and so does the one held up behind it.
    EXPECT_EQ(Apply(MoveUpOrder({0, 1, 5})),
              (std::vector<int>{1, 2, 3, 4, 6, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(Apply(MoveDownOrder({13, 14, 15})), Apply(UnchangedOrder()));
    EXPECT_EQ(Apply(MoveDownOrder({0, 14})),
              (std::vector<int>{2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 15}));
    EXPECT_EQ(PlacesAfter(MoveDownOrder({0, 14}), {0, 14}), (std::vector<int>{1, 15}));
    EXPECT_EQ(PlacesAfter(MoveUpOrder({0, 1, 5}), {5, 1, 0}), (std::vector<int>{0, 1, 4}));
}

TEST(ChannelRowsTest, MovingToAPlaceClosesUpAroundTheMovedRows) {
    EXPECT_EQ(Apply(MoveToOrder({2}, 6)),
              (std::vector<int>{1, 2, 4, 5, 6, 7, 3, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(Apply(MoveToOrder({9}, 1)),
              (std::vector<int>{1, 10, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16}));
    // Two rows dropped near the end go as far down as they fit.
    EXPECT_EQ(Apply(MoveToOrder({0, 3}, 15)),
              (std::vector<int>{2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 1, 4}));
}

TEST(ChannelRowsTest, InsertingNeedsEmptyChannelsAtTheEnd) {
    EXPECT_EQ(InsertBlocker(Numbered(), {4}), 16);
    EXPECT_EQ(InsertBlocker(Numbered(15), {4}), 0);
    EXPECT_EQ(InsertBlocker(Numbered(15), {4, 7}), 15);
    EXPECT_EQ(InsertBlocker(Numbered(14), {4, 7}), 0);
    EXPECT_EQ(Apply(InsertEmptyOrder({4}), 15),
              (std::vector<int>{1, 2, 3, 4, 0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    // An empty channel before each chosen row.
    EXPECT_EQ(Apply(InsertEmptyOrder({0, 2}), 14),
              (std::vector<int>{0, 1, 2, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
}

TEST(ChannelRowsTest, DeletingShiftsUpAndLeavesEmptyChannelsAtTheEnd) {
    EXPECT_EQ(Apply(DeleteOrder({1, 2, 3})),
              (std::vector<int>{1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0, 0}));
    EXPECT_EQ(Apply(DeleteOrder({15, 99, -1})),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}));
}

TEST(ChannelRowsTest, SortingPutsEmptyCellsLastAndKeepsEqualRowsInOrder) {
    ChannelTable table = EmptyChannelTable();
    table[1][kColRx] = "230.500";
    table[1][kColPower] = "P2";
    table[3][kColRx] = " 99.000";  // fewer digits: a number, not a text, sorts first
    table[3][kColPower] = "P5";
    table[4][kColRx] = "230.500";
    table[4][kColPower] = "P1";
    table[0][kColTx] = "231.000";  // no receive frequency: among the empty ones
    const ChannelTable byRx = Rearranged(table, SortOrder(table, kColRx));
    EXPECT_EQ(byRx[0][kColRx], " 99.000");
    EXPECT_EQ(byRx[1][kColPower], "P2");
    EXPECT_EQ(byRx[2][kColPower], "P1");
    EXPECT_EQ(byRx[3][kColTx], "231.000");
    EXPECT_TRUE(RowIsEmpty(byRx[4]));
    EXPECT_EQ(byRx[0][kColLabel], ChannelLabel(1));
    const ChannelTable byPower = Rearranged(table, SortOrder(table, kColPower));
    EXPECT_EQ(byPower[0][kColPower], "P1");
    EXPECT_EQ(byPower[1][kColPower], "P2");
    EXPECT_EQ(byPower[2][kColPower], "P5");
    EXPECT_EQ(byPower[3][kColTx], "231.000");
    EXPECT_EQ(SortOrder(table, kColLabel), UnchangedOrder());
    // The other way round, equal rows still in their order and the empty cells still last.
    const ChannelTable down =
        Rearranged(table, SortOrder(table, kColRx, SortDirection::Descending));
    EXPECT_EQ(down[0][kColPower], "P2");
    EXPECT_EQ(down[1][kColPower], "P1");
    EXPECT_EQ(down[2][kColRx], " 99.000");
    EXPECT_EQ(down[3][kColTx], "231.000");
    EXPECT_TRUE(RowIsEmpty(down[4]));
    table[5][kColPower] = "P?";  // no item: after the items either way
    const ChannelTable downByPower =
        Rearranged(table, SortOrder(table, kColPower, SortDirection::Descending));
    EXPECT_EQ(downByPower[0][kColPower], "P5");
    EXPECT_EQ(downByPower[2][kColPower], "P1");
    EXPECT_EQ(downByPower[3][kColPower], "P?");
    EXPECT_EQ(downByPower[4][kColTx], "231.000");
    // A radio's squelch codes past the items (L10 to L15) follow the items, turned round too.
    ChannelTable squelch = EmptyChannelTable();
    squelch[0][kColSquelch] = "L10";
    squelch[1][kColSquelch] = "L3";
    squelch[2][kColSquelch] = "L12";
    const ChannelTable downBySquelch =
        Rearranged(squelch, SortOrder(squelch, kColSquelch, SortDirection::Descending));
    EXPECT_EQ(downBySquelch[0][kColSquelch], "L3");
    EXPECT_EQ(downBySquelch[1][kColSquelch], "L12");
    EXPECT_EQ(downBySquelch[2][kColSquelch], "L10");
}

TEST(ChannelRowsTest, RearrangedRecordsKeepEveryOtherByte) {
    MemoryImage image = StartupImage();
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    const MemoryImage before = image;
    RearrangeRecords(image, DeleteOrder({0}));
    for (std::size_t i = 0; i < layout::kChannels; ++i)
        EXPECT_EQ(image[i], before[i]);
    for (std::size_t i = layout::ChannelOffset(0); i < layout::ChannelOffset(15); ++i)
        EXPECT_EQ(image[i], before[i + layout::kChannelRecordSize]) << i;
    const ChannelRecord empty = EncodeChannel(ChannelRow{});
    for (std::size_t i = 0; i < empty.size(); ++i)
        EXPECT_EQ(image[layout::ChannelOffset(15) + i], empty[i]);
    for (std::size_t i = layout::kSpareA; i < layout::kChecksum; ++i)
        EXPECT_EQ(image[i], before[i]) << i;
    EXPECT_EQ(image[layout::kChecksum], ImageChecksum(image));
}

}  // namespace
}  // namespace orvel
