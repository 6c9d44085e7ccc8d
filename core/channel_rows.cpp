#include "channel_rows.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <tuple>

#include "codec.h"
#include "radio_fields.h"

namespace orvel {
namespace {

using Chosen = std::array<bool, kChannelCount>;

Chosen ChosenRows(const std::vector<int>& rows) {
    Chosen chosen{};
    for (int row : rows) {
        if (row >= 0 && row < kChannelCount)
            chosen[static_cast<std::size_t>(row)] = true;
    }
    return chosen;
}

RowOrder ToOrder(const std::vector<int>& rows) {
    RowOrder order;
    order.fill(kEmptyRow);
    std::copy_n(rows.begin(), std::min<std::size_t>(rows.size(), kChannelCount), order.begin());
    return order;
}

// Where a cell sorts: values first (by number or item), then texts that are neither, then
// empty cells.
struct SortKey {
    int group = 2;
    double number = 0;
    std::string text;

    // Descending turns the values round within their group: an empty cell stays last, as a
    // technician looking for the highest frequency does not want sixteen blanks first.
    bool Before(const SortKey& other, SortDirection direction) const {
        if (group != other.group)
            return group < other.group;
        if (direction == SortDirection::Descending)
            return std::tie(other.number, other.text) < std::tie(number, text);
        return std::tie(number, text) < std::tie(other.number, other.text);
    }
};

SortKey KeyOf(const std::string& cell, Column column) {
    if (cell.empty())
        return {};
    const ChannelField& field = kChannelFields[static_cast<std::size_t>(column)];
    switch (field.kind) {
        case ColumnKind::Label:
            break;
        case ColumnKind::Frequency: {
            char* end = nullptr;
            const double value = std::strtod(cell.c_str(), &end);
            if (end != cell.c_str() && *end == '\0')
                return {0, value, {}};
            break;
        }
        case ColumnKind::Items:
        case ColumnKind::Levels: {
            const auto found = std::find(field.items.begin(), field.items.end(), cell);
            if (found != field.items.end())
                return {0, static_cast<double>(found - field.items.begin()), {}};
            break;
        }
    }
    return {1, 0, cell};
}

}  // namespace

RowOrder UnchangedOrder() {
    RowOrder order;
    std::iota(order.begin(), order.end(), 0);
    return order;
}

bool RowIsEmpty(const ChannelRow& row) {
    return std::all_of(row.begin() + kColRx, row.end(),
                       [](const std::string& cell) { return cell.empty(); });
}

RowOrder MoveUpOrder(const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    RowOrder order = UnchangedOrder();
    Chosen stuck{};
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (!chosen[i])
            continue;
        if (i == 0 || stuck[i - 1])
            stuck[i] = true;
        else
            std::swap(order[i - 1], order[i]);
    }
    return order;
}

RowOrder MoveDownOrder(const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    RowOrder order = UnchangedOrder();
    Chosen stuck{};
    for (std::size_t i = order.size(); i-- > 0;) {
        if (!chosen[i])
            continue;
        if (i + 1 == order.size() || stuck[i + 1])
            stuck[i] = true;
        else
            std::swap(order[i + 1], order[i]);
    }
    return order;
}

RowOrder MoveToOrder(const std::vector<int>& rows, int to) {
    const Chosen chosen = ChosenRows(rows);
    std::vector<int> block;
    std::vector<int> rest;
    for (int r = 0; r < kChannelCount; ++r)
        (chosen[static_cast<std::size_t>(r)] ? block : rest).push_back(r);
    rest.insert(rest.begin() + std::clamp(to, 0, LastMoveStart(rows)), block.begin(), block.end());
    return ToOrder(rest);
}

int LastMoveStart(const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    return kChannelCount - static_cast<int>(std::count(chosen.begin(), chosen.end(), true));
}

RowOrder InsertEmptyOrder(const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    std::vector<int> list(kChannelCount);
    std::iota(list.begin(), list.end(), 0);
    // From the bottom up, so each insert leaves the places of the rows above it alone.
    for (int r = kChannelCount - 1; r >= 0; --r) {
        if (chosen[static_cast<std::size_t>(r)])
            list.insert(list.begin() + r, kEmptyRow);
    }
    return ToOrder(list);
}

int InsertBlocker(const ChannelTable& table, const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    const auto count = std::count(chosen.begin(), chosen.end(), true);
    for (int r = kChannelCount - 1; r >= kChannelCount - count; --r) {
        if (!RowIsEmpty(table[static_cast<std::size_t>(r)]))
            return r + 1;
    }
    return 0;
}

RowOrder DeleteOrder(const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    std::vector<int> rest;
    for (int r = 0; r < kChannelCount; ++r) {
        if (!chosen[static_cast<std::size_t>(r)])
            rest.push_back(r);
    }
    return ToOrder(rest);
}

RowOrder SortOrder(const ChannelTable& table, Column column, SortDirection direction) {
    RowOrder order = UnchangedOrder();
    if (column <= kColLabel || column >= kTableColumns)
        return order;
    std::array<SortKey, kChannelCount> keys;
    for (std::size_t r = 0; r < keys.size(); ++r)
        keys[r] = KeyOf(table[r][static_cast<std::size_t>(column)], column);
    std::stable_sort(order.begin(), order.end(), [&keys, direction](int a, int b) {
        return keys[static_cast<std::size_t>(a)].Before(keys[static_cast<std::size_t>(b)],
                                                        direction);
    });
    return order;
}

ChannelTable Rearranged(const ChannelTable& table, const RowOrder& order) {
    ChannelTable result = table;
    for (std::size_t r = 0; r < order.size(); ++r) {
        ChannelRow row =
            order[r] == kEmptyRow ? ChannelRow{} : table[static_cast<std::size_t>(order[r])];
        row[kColLabel] = table[r][kColLabel];
        result[r] = row;
    }
    return result;
}

void RearrangeRecords(MemoryImage& image, const RowOrder& order) {
    const MemoryImage before = image;
    const ChannelRecord empty = EncodeChannel(ChannelRow{});
    for (std::size_t r = 0; r < order.size(); ++r) {
        const auto target =
            image.begin() + static_cast<std::ptrdiff_t>(layout::ChannelOffset(static_cast<int>(r)));
        if (order[r] == kEmptyRow) {
            std::copy(empty.begin(), empty.end(), target);
        } else {
            const auto source =
                before.begin() + static_cast<std::ptrdiff_t>(layout::ChannelOffset(order[r]));
            std::copy_n(source, layout::kChannelRecordSize, target);
        }
    }
    image[layout::kChecksum] = ImageChecksum(image);
}

std::vector<int> PlacesAfter(const RowOrder& order, const std::vector<int>& rows) {
    const Chosen chosen = ChosenRows(rows);
    std::vector<int> places;
    for (int r = 0; r < kChannelCount; ++r) {
        const int from = order[static_cast<std::size_t>(r)];
        if (from != kEmptyRow && chosen[static_cast<std::size_t>(from)])
            places.push_back(r);
    }
    return places;
}

}  // namespace orvel
