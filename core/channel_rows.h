// Moving whole channels about: up or down, to another place, an empty channel put in, channels
// taken out, and the table sorted. Each operation only says where every channel goes, so the
// window rearranges its table and orvelctl the file's records, byte for byte, the same way.
#pragma once

#include <array>
#include <vector>

#include "memory_image.h"

namespace orvel {

// Entry i is the channel (0-based) that row i takes, or kEmptyRow for an empty channel.
inline constexpr int kEmptyRow = -1;
using RowOrder = std::array<int, kChannelCount>;

// Every row where it is.
RowOrder UnchangedOrder();

// A row is empty when none of its columns after the label holds a value.
bool RowIsEmpty(const ChannelRow& row);

// `rows` are 0-based, in any order; rows outside 0..15 are ignored.
// Each chosen row one place up (down); a chosen row at the top (bottom), or behind another
// that cannot move, stays where it is.
RowOrder MoveUpOrder(const std::vector<int>& rows);
RowOrder MoveDownOrder(const std::vector<int>& rows);
// The chosen rows together, in their order, the first of them at row `to` (or as far down as
// the block fits); the others close up around them.
RowOrder MoveToOrder(const std::vector<int>& rows, int to);
// The lowest row (0-based) the chosen rows can start at together: MoveToOrder puts a block
// named to start further down here instead.
int LastMoveStart(const std::vector<int>& rows);
// An empty channel before each chosen row, the rows below moving down. As many channels fall
// off the end as are put in: InsertBlocker names the last of them that is not empty.
RowOrder InsertEmptyOrder(const std::vector<int>& rows);
// The channel (1..16) an insert at `rows` would push off the end, or 0 when none would.
int InsertBlocker(const ChannelTable& table, const std::vector<int>& rows);
// The chosen rows taken out, the rest moving up, empty channels filling the end.
RowOrder DeleteOrder(const std::vector<int>& rows);
enum class SortDirection { Ascending, Descending };

// Rows by `column`, rows whose cell is empty last either way, equal rows keeping their order.
// Frequencies compare as numbers and the drop-down columns in their items' order, texts that are
// neither after them; the label column leaves the order as it is.
RowOrder SortOrder(const ChannelTable& table, Column column,
                   SortDirection direction = SortDirection::Ascending);

// The table with its rows in `order`; labels stay with their row.
ChannelTable Rearranged(const ChannelTable& table, const RowOrder& order);
// The image's channel records in `order` (an empty channel as the empty row encodes), with a
// fresh checksum; every other byte stays.
void RearrangeRecords(MemoryImage& image, const RowOrder& order);
// Where the chosen rows are after `order`, ascending.
std::vector<int> PlacesAfter(const RowOrder& order, const std::vector<int>& rows);

}  // namespace orvel
