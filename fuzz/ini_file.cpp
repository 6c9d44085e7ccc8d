// The INI file as the program uses it: read the settings, then change or remove one of its
// keys. Properties: the change is visible to the next read, nothing else reads differently,
// and every byte outside the changed line stays.
#include <array>
#include <optional>
#include <vector>

#include "configuration.h"
#include "fuzz_target.h"
#include "ini_file.h"

namespace orvel::fuzz {
namespace {

constexpr std::array<std::string_view, 6> kKeys = {"Min", "Max", "Word", "Port", "Device", "Other"};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\v\f");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\v\f") - first + 1);
}

// What Get returns after Set(value): one line, blanks dropped, one pair of quotes dropped.
std::string AsRead(std::string_view value) {
    value = Trim(value.substr(0, value.find_first_of("\r\n")));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

// A removed line is a key line of that name (name up to '=', blanks dropped).
bool IsLineOfKey(std::string_view line, std::string_view key) {
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (line.starts_with("\xEF\xBB\xBF"))
        line.remove_prefix(3);
    line = Trim(line);
    return SameName(Trim(line.substr(0, line.find('='))), key);
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzIniFile) {
    Input input(data, size);
    const std::uint8_t action = input.Byte();
    const std::string_view key = kKeys[action % kKeys.size()];
    const bool remove = (action / kKeys.size()) % 4 == 0;
    const std::string value = input.Text(40);
    const std::string before(input.Rest());

    IniFile ini = IniFile::FromText(before);
    ReadConfiguration(ini);
    std::array<std::optional<std::string>, kKeys.size()> was;
    for (std::size_t k = 0; k < kKeys.size(); ++k)
        was[k] = ini.Get(kConfigSection, kKeys[k]);

    if (remove) {
        ini.Remove(kConfigSection, key);
        FUZZ_CHECK(!ini.Get(kConfigSection, key), "a removed key still reads");
        // The result is the old text less some whole lines of that key.
        const std::vector<std::string_view> old = Lines(before);
        const std::vector<std::string_view> now = Lines(ini.Text());
        std::size_t j = 0;
        for (std::string_view line : old) {
            if (j < now.size() && now[j] == line) {
                ++j;
            } else {
                FUZZ_CHECK(IsLineOfKey(line, key),
                           "a line of another key went: " + std::string(line));
            }
        }
        FUZZ_CHECK(j == now.size(), "Remove added text");
    } else {
        ini.Set(kConfigSection, key, value);
        FUZZ_CHECK(
            ini.Get(kConfigSection, key) == AsRead(value),
            "Set then Get gives \"" + ini.Get(kConfigSection, key).value_or("(none)") + "\"");
        // One region changed, and on the old side it lies inside a single line.
        const std::string& after = ini.Text();
        std::size_t prefix = 0;
        while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
               before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
            ++suffix;
        const std::string_view replaced =
            std::string_view(before).substr(prefix, before.size() - prefix - suffix);
        FUZZ_CHECK(replaced.find('\n') == std::string_view::npos,
                   "Set changed more than one line: \"" + std::string(replaced) + "\"");
    }
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
        if (!SameName(kKeys[k], key)) {
            FUZZ_CHECK(
                ini.Get(kConfigSection, kKeys[k]) == was[k],
                std::string(kKeys[k]) + " reads differently after changing " + std::string(key));
        }
    }
    ReadConfiguration(ini);
    return 0;
}

}  // namespace orvel::fuzz
