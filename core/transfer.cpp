#include "transfer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "echo_text.h"
#include "number_text.h"
#include "vocabulary.h"

namespace orvel {
namespace {

using nlohmann::json;

bool Fail(ImportError& error, int row, std::string column, std::string reason) {
    error = {row, std::move(column), std::move(reason)};
    return false;
}

std::string Quoted(std::string_view text) {
    return "\"" + EchoText(text) + "\"";
}

std::string HexText(const MemoryImage& image, std::size_t offset, std::size_t count) {
    std::string text;
    char pair[3];
    for (std::size_t i = offset; i < offset + count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", image[i]);
        text += pair;
    }
    return text;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Digits with at most one decimal point, an optional sign and blanks around: what a
// technician types. The panel's own reader would also take "224abc" as 224.
bool LooksNumeric(std::string_view text) {
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
    if (!LooksNumeric(cell))
        return Quoted(cell) + " is not a frequency in MHz";
    if (!StoredFrequency(cell))
        return Quoted(cell) + " cannot be stored; a channel holds 0.001 to 999.999 MHz";
    if (!FrequencyValid(cell, limits)) {
        return Quoted(cell) + " is outside Min..Max, " + LimitText(limits.min) + " to " +
               LimitText(limits.max) + " MHz";
    }
    return {};
}

template <std::size_t N>
std::string ItemProblem(const std::array<std::string_view, N>& items, const std::string& cell) {
    if (vocab::IndexOf(items, cell) >= 0)
        return {};
    std::string reason = Quoted(cell) + " is not one of ";
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0)
            reason += ", ";
        reason += items[i];
    }
    return reason;
}

std::string CellProblem(int column, const std::string& cell, const FrequencyLimits& limits) {
    switch (column) {
        case kColRx:
        case kColTx:
            return FrequencyProblem(cell, limits);
        case kColPower:
            return ItemProblem(vocab::kPower, cell);
        case kColRate:
            return ItemProblem(vocab::kRate, cell);
        case kColDataVoice:
            return ItemProblem(vocab::kDataVoice, cell);
        default:
            return ItemProblem(vocab::kSquelch, cell);
    }
}

// What the confirm button writes: frequencies reprinted, the other cells as chosen.
void StoreRow(ChannelRow row, int channelNo, ChannelTable& table) {
    row[kColLabel] = ChannelLabel(channelNo);
    for (int c : {kColRx, kColTx}) {
        std::string& cell = row[static_cast<std::size_t>(c)];
        if (!cell.empty())
            cell = FrequencyCell(cell);
    }
    table[static_cast<std::size_t>(channelNo - 1)] = std::move(row);
}

// --- JSON ------------------------------------------------------------------------------------

// A value as an error message quotes it. Arrays and objects are named only: printing one
// recurses as deep as it nests.
std::string Found(const json& value) {
    if (value.is_array())
        return "an array";
    if (value.is_object())
        return "an object";
    return EchoText(value.dump());
}

// Where the parser is inside the document, so that a value it refuses (a number out of range)
// can be reported by row and column like any other bad cell.
class ParsePosition {
public:
    bool Event(int /*depth*/, json::parse_event_t event, const json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start:
            case json::parse_event_t::array_start:
                frames_.push_back({event == json::parse_event_t::array_start, 0, {}});
                break;
            case json::parse_event_t::key:
                if (!frames_.empty() && parsed.is_string())
                    frames_.back().key = parsed.get<std::string>();
                break;
            case json::parse_event_t::object_end:
            case json::parse_event_t::array_end:
                if (!frames_.empty())
                    frames_.pop_back();
                ValueDone();
                break;
            case json::parse_event_t::value:
                ValueDone();
                break;
        }
        return true;
    }

    // Row and column of the value being parsed, as ImportError names them.
    void Locate(int& row, std::string& column) const {
        row = 0;
        column.clear();
        if (frames_.empty() || frames_[0].array)
            return;
        const std::string& top = frames_[0].key;
        if (top == "channels" && frames_.size() >= 2 && frames_[1].array) {
            row = frames_[1].index + 1;
            if (frames_.size() >= 3 && !frames_[2].array)
                column = frames_[2].key;
        } else if (top == "settings" && frames_.size() >= 2 && !frames_[1].array) {
            column = "settings." + frames_[1].key;
        } else {
            column = top;
        }
    }

private:
    struct Frame {
        bool array;
        int index;        // arrays: the element being parsed
        std::string key;  // objects: the member being parsed
    };
    void ValueDone() {
        if (!frames_.empty() && frames_.back().array)
            ++frames_.back().index;
    }
    std::vector<Frame> frames_;
};

const json* Member(const json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// Unsigned values are compared as such, so a huge one cannot wrap into the range.
bool IntegerIn(const json& value, std::int64_t low, std::int64_t high, int& out) {
    std::int64_t number = 0;
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (high < 0 || u > static_cast<std::uint64_t>(high))
            return false;
        number = static_cast<std::int64_t>(u);
    } else if (value.is_number_integer()) {
        number = value.get<std::int64_t>();
    } else {
        return false;
    }
    if (number < low || number > high)
        return false;
    out = static_cast<int>(number);
    return true;
}

bool ReadHexField(const json& doc, const char* key, std::size_t offset, std::size_t count,
                  MemoryImage& image, ImportError& error) {
    const json* value = Member(doc, key);
    if (value == nullptr)
        return Fail(error, 0, key, "missing");
    const std::string expected = "expected " + std::to_string(2 * count) + " hex digits";
    if (!value->is_string())
        return Fail(error, 0, key, expected + " in a string");
    const auto& text = value->get_ref<const std::string&>();
    if (text.size() != 2 * count) {
        return Fail(error, 0, key,
                    expected + ", found " + std::to_string(text.size()) + " characters");
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsHexDigit(text[i])) {
            return Fail(error, 0, key,
                        expected + "; character " + std::to_string(i + 1) + " is not one");
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        image[offset + i] = HexPairToByte(text[2 * i], text[2 * i + 1]);
    }
    return true;
}

bool ReadChannels(const json& doc, const FrequencyLimits& limits, ChannelTable& table,
                  ImportError& error) {
    const json* channels = Member(doc, "channels");
    if (channels == nullptr)
        return Fail(error, 0, "channels", "missing");
    if (!channels->is_array() || channels->size() != kChannelCount) {
        return Fail(error, 0, "channels", "expected an array of 16 channel entries");
    }
    for (int n = 1; n <= kChannelCount; ++n) {
        const json& entry = (*channels)[static_cast<std::size_t>(n - 1)];
        if (!entry.is_object())
            return Fail(error, n, "", "expected an object");
        const json* number = Member(entry, "channel");
        if (number == nullptr)
            return Fail(error, n, "channel", "missing");
        if (int value = 0; !IntegerIn(*number, n, n, value)) {
            return Fail(error, n, "channel",
                        "expected " + std::to_string(n) + ", found " + Found(*number));
        }
        ChannelRow row;
        for (int c = kColRx; c < kTableColumns; ++c) {
            const char* key = kTransferColumns[static_cast<std::size_t>(c)].data();
            const json* cell = Member(entry, key);
            if (cell == nullptr)
                return Fail(error, n, key, "missing");
            if (!cell->is_string())
                return Fail(error, n, key, "expected a string, found " + Found(*cell));
            row[static_cast<std::size_t>(c)] = cell->get<std::string>();
        }
        if (!CheckRow(row, n, limits, error))
            return false;
        StoreRow(std::move(row), n, table);
    }
    return true;
}

bool ReadSettings(const json& doc, RadioSettings& settings, ImportError& error) {
    const json* object = Member(doc, "settings");
    if (object == nullptr)
        return Fail(error, 0, "settings", "missing");
    if (!object->is_object())
        return Fail(error, 0, "settings", "expected an object");
    for (const SettingField& field : kSettingFields) {
        const std::string key = "settings." + std::string(field.key);
        const json* value = Member(*object, std::string(field.key).c_str());
        if (value == nullptr)
            return Fail(error, 0, key, "missing");
        if (!IntegerIn(*value, field.Low(), field.High(), settings.*field.member)) {
            return Fail(error, 0, key,
                        "expected an integer from " + std::to_string(field.Low()) + " to " +
                            std::to_string(field.High()) + ", found " + Found(*value));
        }
    }
    return true;
}

// --- CSV -------------------------------------------------------------------------------------

using CsvRecord = std::vector<std::string>;

// RFC 4180 records; LF or CRLF line ends. On a quoting fault `badRecord` is the 0-based
// record index.
bool SplitCsv(std::string_view text, std::vector<CsvRecord>& records, std::size_t& badRecord,
              std::string& reason) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";  // spreadsheets like to add one
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        CsvRecord record;
        for (;;) {
            std::string cell;
            if (pos < text.size() && text[pos] == '"') {
                for (++pos;; ++pos) {
                    if (pos >= text.size()) {
                        badRecord = records.size();
                        reason = "a quoted cell is not closed";
                        return false;
                    }
                    if (text[pos] != '"') {
                        cell += text[pos];
                    } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        cell += '"';
                        ++pos;
                    } else {
                        ++pos;
                        break;
                    }
                }
                if (pos < text.size() &&
                    std::string_view(",\r\n").find(text[pos]) == std::string_view::npos) {
                    badRecord = records.size();
                    reason = "text follows the closing quote of a cell";
                    return false;
                }
            } else {
                const std::size_t end = std::min(text.find_first_of(",\r\n", pos), text.size());
                cell = text.substr(pos, end - pos);
                pos = end;
            }
            record.push_back(std::move(cell));
            if (pos < text.size() && text[pos] == ',') {
                ++pos;
                continue;
            }
            if (pos < text.size() && text[pos] == '\r')
                ++pos;
            if (pos < text.size() && text[pos] == '\n')
                ++pos;
            break;
        }
        records.push_back(std::move(record));
    }
    // Blank lines at the end are what editors leave behind, not rows.
    while (!records.empty() && records.back() == CsvRecord{""})
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

std::string ImageToJson(const MemoryImage& image, const DecodedImage& decoded) {
    nlohmann::ordered_json doc;
    doc["header"] = HexText(image, layout::kHeader, layout::kHeaderSize);
    doc["checksum"] = {{"stored", image[layout::kChecksum]}, {"computed", ImageChecksum(image)}};
    nlohmann::ordered_json channels = nlohmann::ordered_json::array();
    for (int r = 0; r < kChannelCount; ++r) {
        const ChannelRow& row = decoded.table[static_cast<std::size_t>(r)];
        nlohmann::ordered_json entry;
        entry["channel"] = r + 1;
        for (int c = kColRx; c < kTableColumns; ++c) {
            entry[std::string(kTransferColumns[static_cast<std::size_t>(c)])] =
                row[static_cast<std::size_t>(c)];
        }
        channels.push_back(std::move(entry));
    }
    doc["channels"] = std::move(channels);
    nlohmann::ordered_json settings;
    for (const SettingField& field : kSettingFields) {
        settings[std::string(field.key)] = decoded.settings.*field.member;
    }
    doc["settings"] = std::move(settings);
    doc["spareA"] = HexText(image, layout::kSpareA, layout::kSpareASize);
    doc["spareB"] = HexText(image, layout::kSpareB, layout::kSpareBSize);
    return doc.dump(2) + "\n";
}

std::string TableToCsv(const ChannelTable& table) {
    std::string text = CsvLine(kTransferColumns);
    for (int r = 0; r < kChannelCount; ++r) {
        const ChannelRow& row = table[static_cast<std::size_t>(r)];
        const std::string number = std::to_string(r + 1);
        text += CsvLine({number, row[kColRx], row[kColTx], row[kColPower], row[kColRate],
                         row[kColDataVoice], row[kColSquelch]});
    }
    return text;
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
                         : CellProblem(c, cell, limits);
        if (!reason.empty()) {
            return Fail(error, channelNo,
                        std::string(kTransferColumns[static_cast<std::size_t>(c)]), reason);
        }
    }
    return true;
}

bool ImageFromJson(std::string_view text, const FrequencyLimits& limits, MemoryImage& image,
                   ImportError& error) {
    json doc;
    ParsePosition position;
    // Drops the library's "[json.exception.parse_error.101] " tag.
    auto message = [](const json::exception& e) {
        std::string what = e.what();
        if (const auto tag = what.find("] "); tag != std::string::npos)
            what.erase(0, tag + 2);
        return what;
    };
    try {
        doc = json::parse(text, [&position](int depth, json::parse_event_t event, json& parsed) {
            return position.Event(depth, event, parsed);
        });
    } catch (const json::parse_error& e) {
        return Fail(error, 0, "", "malformed JSON: " + message(e));
    } catch (const json::exception& e) {
        // Well-formed but unusable, such as 1e400: a bad value at a place the file names.
        int row = 0;
        std::string column;
        position.Locate(row, column);
        return Fail(error, row, column, message(e));
    }
    if (!doc.is_object())
        return Fail(error, 0, "", "expected a JSON object");
    MemoryImage result = StartupImage();
    ChannelTable table = EmptyChannelTable();
    RadioSettings settings;
    if (!ReadHexField(doc, "header", layout::kHeader, layout::kHeaderSize, result, error) ||
        !ReadChannels(doc, limits, table, error) || !ReadSettings(doc, settings, error) ||
        !ReadHexField(doc, "spareA", layout::kSpareA, layout::kSpareASize, result, error) ||
        !ReadHexField(doc, "spareB", layout::kSpareB, layout::kSpareBSize, result, error)) {
        return false;
    }
    EncodeImage(table, settings, result);
    image = result;
    return true;
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
        return Fail(error, 0, "",
                    "the first line must be channel,rx,tx,power,rate,dataVoice,squelch");
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
