// The channel table as CSV, out and in.
#include <algorithm>
#include <vector>

#include "csv_cells.h"
#include "transfer.h"

namespace orvel {
namespace {

using CsvRecord = CellRecord;

// Spreadsheets set to a locale with decimal commas separate cells with semicolons: the header
// line tells which, counted outside quotes.
char SeparatorOf(std::string_view text) {
    const SeparatorCount count = CountSeparators(text.substr(0, text.find_first_of("\r\n")));
    return count.semicolons > count.commas ? ';' : ',';
}

// RFC 4180 records; LF or CRLF line ends. On a quoting fault `badRecord` is the 0-based
// record index.
bool SplitCsv(std::string_view text, std::vector<CsvRecord>& records, std::size_t& badRecord,
              std::string& reason) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";  // spreadsheets like to add one
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    const char separator = SeparatorOf(text);
    std::size_t pos = 0;
    while (pos < text.size()) {
        CsvRecord record;
        if (!ReadRecord(text, pos, separator, Quoting::Strict, record, reason)) {
            badRecord = records.size();
            return false;
        }
        records.push_back(std::move(record));
    }
    // Blank lines at the end, or lines of empty cells, are what editors leave behind, not rows.
    const auto blank = [](const CsvRecord& r) {
        return std::all_of(r.begin(), r.end(),
                           [](const std::string& cell) { return cell.empty(); });
    };
    while (!records.empty() && blank(records.back()))
        records.pop_back();
    return true;
}

std::string CsvCell(std::string_view cell) {
    // Leading or trailing blanks are quoted too: spreadsheets would otherwise trim " 0.100".
    const bool quote = cell.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote)
        return std::string(cell);
    std::string text = "\"";
    for (char c : cell) {
        if (c == '"')
            text += '"';
        text += c;
    }
    return text + '"';
}

std::string CsvLine(const std::array<std::string_view, kTableColumns>& cells) {
    std::string line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c > 0)
            line += ',';
        line += CsvCell(cells[c]);
    }
    return line + '\n';
}

}  // namespace

std::string TableToCsv(const ChannelTable& table) {
    std::string text = CsvLine(kTransferColumns);
    for (int r = 0; r < kChannelCount; ++r) {
        const ChannelRow& row = table[static_cast<std::size_t>(r)];
        const std::string number = std::to_string(r + 1);
        std::array<std::string_view, kTableColumns> cells;
        std::copy(row.begin(), row.end(), cells.begin());
        cells[kColLabel] = number;
        text += CsvLine(cells);
    }
    return text;
}

bool ImageFromCsv(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                  ImportError& error) {
    std::vector<CsvRecord> records;
    std::size_t badRecord = 0;
    std::string reason;
    if (!SplitCsv(text, records, badRecord, reason)) {
        return Fail(error, static_cast<int>(badRecord), "", reason);
    }
    const CsvRecord header(kTransferColumns.begin(), kTransferColumns.end());
    if (records.empty() || records.front() != header) {
        std::string line = CsvLine(kTransferColumns);
        line.pop_back();
        return Fail(error, 0, "", "the first line must be " + line);
    }
    if (records.size() > kChannelCount + 1) {
        return Fail(error, kChannelCount + 1, "", "the table has 16 rows only");
    }
    ChannelTable table = EmptyChannelTable();
    for (int n = 1; n <= kChannelCount; ++n) {
        if (static_cast<std::size_t>(n) >= records.size()) {
            return Fail(error, n, "", "missing; the table needs all 16 rows");
        }
        const CsvRecord& record = records[static_cast<std::size_t>(n)];
        if (record.size() != kTableColumns) {
            return Fail(error, n, "",
                        std::to_string(record.size()) + " columns, expected " +
                            std::to_string(kTableColumns));
        }
        if (record[0] != std::to_string(n)) {
            return Fail(error, n, "channel",
                        "expected " + std::to_string(n) + ", found " + Quoted(record[0]));
        }
        ChannelRow row;
        std::copy(record.begin() + 1, record.end(), row.begin() + 1);
        if (!CheckRow(row, n, limits, error))
            return false;
        StoreRow(std::move(row), n, table);
    }
    MemoryImage result = StartupImage();
    EncodeImage(table, RadioSettings{}, result);
    image = result;
    return true;
}

}  // namespace orvel
