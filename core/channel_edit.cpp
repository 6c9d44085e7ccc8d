#include "channel_edit.h"

#include "number_text.h"
#include "texts.h"
#include "vocabulary.h"

namespace orvel {
namespace {

template <std::size_t N>
void SelectMatching(const std::array<std::string_view, N>& items, const std::string& cell,
                    int& selection, bool keepWhenUnmatched) {
    const int index = vocab::IndexOf(items, cell);
    if (index >= 0 || !keepWhenUnmatched)
        selection = index;
}

void LoadRow(const ChannelRow& row, EditPanel& panel, bool keepWhenUnmatched) {
    panel.txText = row[kColTx];
    panel.rxText = row[kColRx];
    SelectMatching(vocab::kPower, row[kColPower], panel.power, keepWhenUnmatched);
    SelectMatching(vocab::kRate, row[kColRate], panel.rate, keepWhenUnmatched);
    SelectMatching(vocab::kSquelch, row[kColSquelch], panel.squelch, keepWhenUnmatched);
    SelectMatching(vocab::kDataVoice, row[kColDataVoice], panel.dataVoice, keepWhenUnmatched);
}

bool RowInRange(int channelNo) {
    return channelNo >= 1 && channelNo <= kChannelCount;
}

void WritePanel(const EditPanel& panel, ChannelTable& table) {
    ChannelRow& row = table[static_cast<std::size_t>(panel.channelNo - 1)];
    row[kColTx] = FrequencyCell(panel.txText);
    row[kColRx] = FrequencyCell(panel.rxText);
    row[kColPower] = vocab::ItemText(vocab::kPower, panel.power);
    row[kColRate] = vocab::ItemText(vocab::kRate, panel.rate);
    row[kColDataVoice] = vocab::ItemText(vocab::kDataVoice, panel.dataVoice);
    row[kColSquelch] = vocab::ItemText(vocab::kSquelch, panel.squelch);
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
    auto check = [&](bool bad, bool& flag, std::string_view line) {
        flag = bad;
        if (bad)
            result.logLines.push_back({line});
    };
    check(!FrequencyValid(panel.rxText, limits), invalid.rx, ORVEL_TR("***接收频率数据非法***"));
    check(!FrequencyValid(panel.txText, limits), invalid.tx, ORVEL_TR("***发送频率数据非法***"));
    check(panel.squelch < 0, invalid.squelch, ORVEL_TR("***SQL数据非法***"));
    check(panel.power < 0, invalid.power, ORVEL_TR("***功率级别数据非法***"));
    check(panel.dataVoice < 0, invalid.dataVoice, ORVEL_TR("***数据/语音数据非法***"));
    check(panel.rate < 0, invalid.rate, ORVEL_TR("***信道速率数据非法***"));
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
    // Only clears marks: a silent check never paints a field red, and the squelch mark is
    // left for the next confirm to decide.
    if (FrequencyValid(panel.txText, limits))
        invalid.tx = false;
    else
        ++errors;
    if (FrequencyValid(panel.rxText, limits))
        invalid.rx = false;
    else
        ++errors;
    if (panel.squelch < 0)
        ++errors;
    if (panel.power >= 0)
        invalid.power = false;
    else
        ++errors;
    if (panel.dataVoice >= 0)
        invalid.dataVoice = false;
    else
        ++errors;
    if (panel.rate >= 0)
        invalid.rate = false;
    else
        ++errors;
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
    auto itemMatches = [](const auto& items, int selection, const std::string& cell) {
        return selection < 0 ? vocab::IndexOf(items, cell) < 0
                             : vocab::ItemText(items, selection) == cell;
    };
    return frequencyMatches(panel.rxText, row[kColRx]) &&
           frequencyMatches(panel.txText, row[kColTx]) &&
           itemMatches(vocab::kPower, panel.power, row[kColPower]) &&
           itemMatches(vocab::kRate, panel.rate, row[kColRate]) &&
           itemMatches(vocab::kSquelch, panel.squelch, row[kColSquelch]) &&
           itemMatches(vocab::kDataVoice, panel.dataVoice, row[kColDataVoice]);
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
    for (std::string* text : {&panel.rxText, &panel.txText}) {
        if (!IsDecimalText(*text))
            text->clear();
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
