#include "channel_edit.h"

#include <algorithm>
#include <span>

#include "number_text.h"
#include "radio_fields.h"
#include "texts.h"

namespace orvel {
namespace {

int IndexIn(std::span<const std::string_view> items, std::string_view cell) {
    const auto found = std::find(items.begin(), items.end(), cell);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

std::string_view ItemAt(std::span<const std::string_view> items, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size()
               ? items[static_cast<std::size_t>(index)]
               : std::string_view{};
}

// The panel's fields are a text for a frequency and a selection for a list (radio_fields.h
// holds each column to one of them).
void LoadRow(const ChannelRow& row, EditPanel& panel, bool keepWhenUnmatched) {
    for (const ChannelField& field : kChannelFields) {
        const std::string& cell = row[field.column];
        if (field.text) {
            panel.*field.text = cell;
        } else if (field.choice) {
            const int index = IndexIn(field.items, cell);
            if (index >= 0 || !keepWhenUnmatched)
                panel.*field.choice = index;
        }
    }
}

bool RowInRange(int channelNo) {
    return channelNo >= 1 && channelNo <= kChannelCount;
}

// Whether the panel's field for `field` holds something the confirm button takes.
bool FieldValid(const ChannelField& field, const EditPanel& panel, const FrequencyLimits& limits) {
    if (field.text)
        return FrequencyValid(panel.*field.text, limits);
    return !field.choice || panel.*field.choice >= 0;
}

void WritePanel(const EditPanel& panel, ChannelTable& table) {
    ChannelRow& row = table[static_cast<std::size_t>(panel.channelNo - 1)];
    for (const ChannelField& field : kChannelFields) {
        if (field.text)
            row[field.column] = FrequencyCell(panel.*field.text);
        else if (field.choice)
            row[field.column] = ItemAt(field.items, panel.*field.choice);
    }
}

}  // namespace

std::optional<double> StoredFrequency(std::string_view text) {
    // The same two printings the value goes through on its way into the image.
    const std::string digits = FormatDecimalText(FrequencyCell(text), 3, 0, 6, true);
    if (digits.size() != 6 || digits == "000000")
        return std::nullopt;
    int kilohertz = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        kilohertz = 10 * kilohertz + (c - '0');
    }
    return kilohertz / 1000.0;
}

bool FrequencyValid(std::string_view text, const FrequencyLimits& limits) {
    // Both the value as typed and the value as stored: 235.0004 would be stored as 235.000, yet
    // what the technician typed lies beyond Max. The typed digits count however many there are.
    const std::optional<double> stored = StoredFrequency(text);
    const std::optional<int> toMin = CompareDecimalText(text, limits.min);
    const std::optional<int> toMax = CompareDecimalText(text, limits.max);
    return stored && toMin && *toMin >= 0 && toMax && *toMax <= 0 && limits.min <= *stored &&
           *stored <= limits.max;
}

std::string FrequencyCell(std::string_view text) {
    return FormatDecimalText(text, 0, 3, 6);
}

void LoadRowIntoPanel(const ChannelTable& table, int rowIndex, EditPanel& panel) {
    panel.channelNo = rowIndex + 1;
    if (rowIndex >= 0 && rowIndex < kChannelCount) {
        LoadRow(table[static_cast<std::size_t>(rowIndex)], panel, false);
    } else {
        LoadRow(ChannelRow{}, panel, false);
    }
}

void LoadFirstChannelIntoPanel(const ChannelTable& table, EditPanel& panel) {
    panel.channelNo = 1;
    LoadRow(table[0], panel, true);
}

ConfirmResult ConfirmPanel(const EditPanel& panel, const FrequencyLimits& limits,
                           ChannelTable& table, InvalidFlags& invalid) {
    ConfirmResult result;
    for (const ChannelField* field : kCheckOrder) {
        const bool bad = !FieldValid(*field, panel, limits);
        invalid.*field->invalid = bad;
        if (bad)
            result.logLines.push_back({field->invalidLine});
    }
    if (!result.logLines.empty() || !RowInRange(panel.channelNo))
        return result;
    WritePanel(panel, table);
    result.written = true;
    result.logLines.push_back({ORVEL_TR("数据设置 [信道%1]"), panel.channelNo});
    return result;
}

bool ApplyPanelToRow(const EditPanel& panel, const FrequencyLimits& limits, ChannelTable& table,
                     InvalidFlags& invalid) {
    int errors = 0;
    // Only clears marks: a silent check never paints a field red.
    for (const ChannelField* field : kCheckOrder) {
        if (!FieldValid(*field, panel, limits))
            ++errors;
        else if (field->quietClears)
            invalid.*field->invalid = false;
    }
    if (errors != 0 || !RowInRange(panel.channelNo))
        return false;
    WritePanel(panel, table);
    return true;
}

bool PanelMatchesRow(const EditPanel& panel, const ChannelTable& table) {
    if (!RowInRange(panel.channelNo))
        return true;
    const ChannelRow& row = table[static_cast<std::size_t>(panel.channelNo - 1)];
    auto frequencyMatches = [](const std::string& text, const std::string& cell) {
        return text.empty() ? cell.empty() : FrequencyCell(text) == cell;
    };
    for (const ChannelField& field : kChannelFields) {
        const std::string& cell = row[field.column];
        if (field.text && !frequencyMatches(panel.*field.text, cell))
            return false;
        if (field.choice &&
            (panel.*field.choice < 0 ? IndexIn(field.items, cell) >= 0
                                     : ItemAt(field.items, panel.*field.choice) != cell)) {
            return false;
        }
    }
    return true;
}

void ClearRow(ChannelTable& table, int channelNo) {
    if (!RowInRange(channelNo))
        return;
    ChannelRow& row = table[static_cast<std::size_t>(channelNo - 1)];
    for (int c = kColRx; c < kTableColumns; ++c)
        row[static_cast<std::size_t>(c)].clear();
}

bool IsDecimalText(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.front() == '+' || text.front() == '-')
        text.remove_prefix(1);
    bool digit = false;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

std::vector<std::string> ConfirmRow(const ChannelRow& cells, int channelNo,
                                    const FrequencyLimits& limits, ChannelTable& table) {
    bool empty = true;
    for (int c = kColRx; c < kTableColumns; ++c)
        empty = empty && cells[static_cast<std::size_t>(c)].empty();
    if (empty) {
        ClearRow(table, channelNo);
        return {};
    }
    EditPanel panel;
    panel.channelNo = channelNo;
    LoadRow(cells, panel, false);
    // Cells from another program are read as files are: "224,525" is no frequency, although
    // the panel's own reader would take it as 224.
    for (const ChannelField& field : kChannelFields) {
        if (field.text && !IsDecimalText(panel.*field.text))
            (panel.*field.text).clear();
    }
    InvalidFlags marks;  // the panel's own marks belong to the panel's channel
    ConfirmResult result = ConfirmPanel(panel, limits, table, marks);
    std::vector<std::string> faults;
    if (!result.written) {
        for (const Message& line : result.logLines)
            faults.push_back(FormatText(line));
    }
    return faults;
}

}  // namespace orvel
