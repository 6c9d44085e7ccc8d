// The edit panel's rules for a row of cells, applied to what a file brings in.
#include "cell_rules.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <utility>

#include "echo_text.h"
#include "number_text.h"
#include "vocabulary.h"

namespace orvel {

bool Fail(ImportError& error, int row, std::string column, std::string reason) {
    error = {row, std::move(column), std::move(reason)};
    return false;
}

std::string Quoted(std::string_view text) {
    return "\"" + EchoText(text) + "\"";
}

namespace {

// A limit with three decimals as cells have them, or with as many as it takes to be exact:
// "230.1245" printed as 230.125 would make the message contradict itself.
std::string LimitText(double megahertz) {
    std::string text = FormatFixed(megahertz, 3, 0);
    if (ReadDecimal(text) == megahertz)
        return text;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, megahertz);
    return std::string(buffer, result.ptr);
}

std::string FrequencyProblem(const std::string& cell, const FrequencyLimits& limits) {
    if (!IsDecimalText(cell))
        return Quoted(cell) + " is not a frequency in MHz";
    if (!StoredFrequency(cell))
        return Quoted(cell) + " cannot be stored; a channel holds 0.001 to 999.999 MHz";
    if (!FrequencyValid(cell, limits)) {
        return Quoted(cell) + " is outside Min..Max, " + LimitText(limits.min) + " to " +
               LimitText(limits.max) + " MHz";
    }
    return {};
}

// An item of the panel's, or one of the words a decode shows past them.
std::string ItemProblem(const ChannelField& field, const std::string& cell) {
    const auto listed = [&cell](std::span<const std::string_view> words) {
        return std::find(words.begin(), words.end(), cell) != words.end();
    };
    if (listed(field.items) || listed(field.past))
        return {};
    std::string reason = Quoted(cell) + " is not one of ";
    std::string_view separator;
    for (std::span<const std::string_view> words : {field.items, field.past}) {
        for (std::string_view word : words) {
            reason += separator;
            reason += word;
            separator = ", ";
        }
    }
    return reason;
}

std::string CellProblem(const ChannelField& field, const std::string& cell,
                        const FrequencyLimits& limits) {
    switch (field.kind) {
        case ColumnKind::Label:
            return {};
        case ColumnKind::Frequency:
            return FrequencyProblem(cell, limits);
        case ColumnKind::Items:
        case ColumnKind::Levels:
            return ItemProblem(field, cell);
    }
    return {};
}

}  // namespace

void StoreRow(ChannelRow row, int channelNo, ChannelTable& table) {
    row[kColLabel] = ChannelLabel(channelNo);
    for (const ChannelField& field : kChannelFields) {
        std::string& cell = row[field.column];
        if (field.kind == ColumnKind::Frequency && !cell.empty())
            cell = FrequencyCell(cell);
    }
    table[static_cast<std::size_t>(channelNo - 1)] = std::move(row);
}

std::string ImportError::Text() const {
    std::string text;
    if (row > 0) {
        text = "row " + std::to_string(row);
        if (!column.empty())
            text += ", column " + column;
    } else {
        text = column;
    }
    return text.empty() ? reason : text + ": " + reason;
}

DecodedImage DecodeAsShown(const MemoryImage& image, DecodeSource source,
                           const FrequencyLimits& limits, const RadioSettings& before) {
    DecodedImage decoded = DecodeImage(image, source, before);
    // A file that fails its checksum stops the window before the panel is touched.
    if (source == DecodeSource::FromFile && !decoded.checksumOk)
        return decoded;
    EditPanel panel;
    LoadFirstChannelIntoPanel(decoded.table, panel);
    InvalidFlags invalid;
    ApplyPanelToRow(panel, limits, decoded.table, invalid);
    return decoded;
}

bool CheckRow(const ChannelRow& row, int channelNo, const FrequencyLimits& limits,
              ImportError& error) {
    bool empty = true;
    for (int c = kColRx; c < kTableColumns; ++c)
        empty = empty && row[static_cast<std::size_t>(c)].empty();
    if (empty)
        return true;
    for (int c = kColRx; c < kTableColumns; ++c) {
        const std::string& cell = row[static_cast<std::size_t>(c)];
        const std::string reason =
            cell.empty() ? "empty, but the row has other values; fill or clear the row"
                         : CellProblem(kChannelFields[static_cast<std::size_t>(c)], cell, limits);
        if (!reason.empty()) {
            return Fail(error, channelNo,
                        std::string(kTransferColumns[static_cast<std::size_t>(c)]), reason);
        }
    }
    return true;
}

}  // namespace orvel
