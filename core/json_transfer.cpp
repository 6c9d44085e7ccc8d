// The configuration as a JSON document, out and in.
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "echo_text.h"
#include "transfer.h"

namespace orvel {
namespace {

using nlohmann::json;

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
                frames_.push_back({event == json::parse_event_t::array_start, 0, {}, {}});
                break;
            case json::parse_event_t::key:
                if (!frames_.empty() && parsed.is_string()) {
                    frames_.back().key = parsed.get<std::string>();
                    // The parser keeps the last of two equal keys: a silent choice between two
                    // values the file gives for one thing.
                    if (!frames_.back().keys.insert(frames_.back().key).second && !duplicate) {
                        duplicate = frames_.back().key;
                        Locate(duplicateRow, duplicateColumn);
                    }
                }
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

    // The first key given twice in one object, and where.
    std::optional<std::string> duplicate;
    int duplicateRow = 0;
    std::string duplicateColumn;

private:
    struct Frame {
        bool array;
        int index;                   // arrays: the element being parsed
        std::string key;             // objects: the member being parsed
        std::set<std::string> keys;  // objects: the members so far
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

}  // namespace

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
    if (position.duplicate) {
        return Fail(error, position.duplicateRow, position.duplicateColumn,
                    "the key \"" + EchoText(*position.duplicate) + "\" is given twice");
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

}  // namespace orvel
