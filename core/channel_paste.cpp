#include "channel_paste.h"

#include <algorithm>

#include "cell_rules.h"
#include "csv_cells.h"
#include "radio_fields.h"

namespace orvel {
namespace {

// Case as a spreadsheet's header might have it: the two signs that fold into a Latin letter
// fold too, as they do for the window's own comparisons.
char32_t Folded(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + ('a' - 'A');
    if (c == 0x017F)  // long s
        return 's';
    if (c == 0x212A)  // Kelvin sign
        return 'k';
    return c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (Folded(NextCodePoint(a, i)) != Folded(NextCodePoint(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

bool IsHeader(const CellRecord& cells) {
    std::vector<std::string_view> keys;
    std::vector<std::string_view> headings;
    for (const ChannelField& field : kChannelFields) {
        keys.push_back(field.key);
        headings.push_back(field.heading);
    }
    for (const auto& names : {keys, headings}) {
        for (const std::size_t skip : {std::size_t{0}, std::size_t{1}}) {
            if (cells.size() == names.size() - skip &&
                std::equal(cells.begin(), cells.end(), names.begin() + skip, SameIgnoringCase))
                return true;
        }
    }
    return false;
}

// The cell a text stands for: the table's own text, or that text as the list shows it.
std::string CellFromShown(Column column, const std::string& text, const ShownText& shown) {
    for (std::string_view item : kChannelFields[static_cast<std::size_t>(column)].items) {
        if (item != text && shown(item) == text)
            return std::string(item);
    }
    return text;
}

// A channel number, or the channel's label as the list shows it: 1..16, else 0.
int ChannelOfCell(std::string_view cell, const ShownText& shown) {
    // A number may keep blanks inside its quotes: spaces and the ASCII controls among them.
    std::string_view number = cell;
    constexpr std::string_view kAsciiBlanks = " \t\n\v\f\r";
    number.remove_prefix(std::min(number.find_first_not_of(kAsciiBlanks), number.size()));
    number.remove_suffix(number.size() -
                         std::min(number.find_last_not_of(kAsciiBlanks) + 1, number.size()));
    std::string_view digits = number;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (!digits.empty() &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (number.front() == '-')
            return 0;
        digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
        const int channel = digits.size() <= 2 ? std::stoi("0" + std::string(digits)) : 0;
        return channel >= 1 && channel <= kChannelCount ? channel : 0;
    }
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const std::string label = ChannelLabel(channel);
        if (cell == TrimBlanks(shown(label)) || cell == TrimBlanks(label))
            return channel;
    }
    return 0;
}

}  // namespace

std::vector<PastedRow> RowsFromText(std::string_view text, const ShownText& shown) {
    // A byte order mark may stand anywhere text was pasted together.
    std::string whole(text);
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    for (std::size_t at; (at = whole.find(kBom)) != std::string::npos;)
        whole.erase(at, kBom.size());
    std::vector<std::string_view> lines;
    for (std::string_view rest = whole; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            lines.push_back(line);
    }
    if (lines.empty())
        return {};
    const SeparatorCount count = CountSeparators(lines.front());
    const char separator = count.tabs > 0 ? '\t' : count.semicolons > 0 ? ';' : ',';
    std::vector<PastedRow> rows;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CellRecord cells;
        std::size_t pos = 0;
        std::string reason;
        ReadRecord(lines[i], pos, separator, Quoting::Loose, cells, reason);
        // Spreadsheets pad a selection wider than the rows with empty cells.
        while (cells.size() > kTableColumns && cells.back().empty())
            cells.pop_back();
        if (i == 0 && IsHeader(cells))
            continue;
        if (cells.size() == kTableColumns && ChannelOfCell(cells.front(), shown) > 0)
            cells.erase(cells.begin());
        if (cells.size() != kTableColumns - 1) {
            rows.push_back(std::nullopt);
            continue;
        }
        ChannelRow row;
        for (int c = kColRx; c < kTableColumns; ++c) {
            row[static_cast<std::size_t>(c)] = CellFromShown(
                static_cast<Column>(c), cells[static_cast<std::size_t>(c - kColRx)], shown);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace orvel
