// Text pasted into the channel list, and tables the program itself exports. Properties: any text
// gives at most one entry per line, none with a label; a CSV export pastes back as its rows.
#include <algorithm>
#include <cstdio>

#include "channel_paste.h"
#include "fuzz_target.h"
#include "transfer.h"
#include "vocabulary.h"

namespace orvel::fuzz {
namespace {

// As a translated window shows the table's texts.
std::string Shown(std::string_view text) {
    if (text == vocab::kOff)
        return "Off";
    if (text == vocab::kOn)
        return "On";
    if (text == ChannelLabel(3))
        return " Channel 3 ";
    return std::string(text);
}

std::string Identity(std::string_view text) {
    return std::string(text);
}

template <std::size_t N>
std::string ItemOrEmpty(Input& input, const std::array<std::string_view, N>& items) {
    return std::string(vocab::ItemText(items, static_cast<int>(input.Byte() % (N + 1)) - 1));
}

// A frequency as the table stores it ("230.125"), or empty.
std::string Frequency(Input& input) {
    const std::uint8_t high = input.Byte();
    if (high == 0)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%u.%03u", 100u + high, (input.Byte() * 5u) % 1000u);
    return text;
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzChannelPaste) {
    Input input(data, size);
    if (input.Byte() % 2 == 0) {
        const std::string_view text = input.Rest();
        const std::vector<PastedRow> rows = RowsFromText(text, Shown);
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        FUZZ_CHECK(rows.size() <= lines + 1, "more rows than lines");
        for (const PastedRow& row : rows)
            FUZZ_CHECK(!row || (*row)[kColLabel].empty(), "a pasted row brings a label");
        return 0;
    }
    ChannelTable table = EmptyChannelTable();
    for (ChannelRow& row : table) {
        row[kColRx] = Frequency(input);
        row[kColTx] = Frequency(input);
        row[kColPower] = ItemOrEmpty(input, vocab::kPower);
        row[kColRate] = ItemOrEmpty(input, vocab::kRate);
        row[kColDataVoice] = ItemOrEmpty(input, vocab::kDataVoice);
        row[kColSquelch] = ItemOrEmpty(input, vocab::kSquelch);
    }
    const std::string csv = TableToCsv(table);
    const std::vector<PastedRow> rows = RowsFromText(csv, Identity);
    FUZZ_CHECK(rows.size() == kChannelCount, "the export pastes as another count of rows\n" + csv);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ChannelRow expected = table[r];
        expected[kColLabel].clear();
        FUZZ_CHECK(rows[r] == expected,
                   "row " + std::to_string(r + 1) + " pastes otherwise\n" + csv);
    }
    return 0;
}

}  // namespace orvel::fuzz
