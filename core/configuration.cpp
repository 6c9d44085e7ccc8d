#include "configuration.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "number_text.h"

namespace orvel {
namespace {

// The classic reader hands over at most this much of a value.
constexpr std::size_t kTextLimit = 127;

std::string ReadText(const IniFile& ini, std::string_view key, std::string_view fallback) {
    std::string text = ini.Get(kConfigSection, key).value_or(std::string(fallback));
    if (text.size() > kTextLimit)
        text.resize(kTextLimit);
    return text;
}

// Only '0'..'9' and 'A'..'F' carry their hexadecimal value in the radio's arithmetic (code
// minus 55 for letters); anything else there is a typo that would write an unintended word.
bool HexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int CharacterValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return static_cast<unsigned char>(c) - 55;
}

std::uint8_t PairValue(char high, char low) {
    return static_cast<std::uint8_t>((16 * CharacterValue(high) + CharacterValue(low)) & 0xFF);
}

// A number as the limits are read: a leading decimal (or hexadecimal) value, finite. "x" reads as
// 0 and "nan" as no value at all; either would quietly refuse every frequency.
bool LimitIsNumber(std::string_view text, double value) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || !std::isfinite(value))
        return false;
    text.remove_prefix(first);
    if (text.front() == '+' || text.front() == '-')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '.')
        text.remove_prefix(1);
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

std::string LimitsFault(const std::string& minText, const std::string& maxText,
                        const Configuration& config) {
    if (!LimitIsNumber(minText, config.minFreq))
        return "Min \"" + minText + "\" in the configuration is not a number";
    if (!LimitIsNumber(maxText, config.maxFreq))
        return "Max \"" + maxText + "\" in the configuration is not a number";
    if (config.minFreq > config.maxFreq)
        return "Min " + minText + " in the configuration is above Max " + maxText;
    return {};
}

bool ReadSwitch(const IniFile& ini, std::string_view key, bool fallback) {
    const auto text = ini.Get(kConfigSection, key);
    if (!text || text->empty())
        return fallback;
    const char first = (*text)[0];
    const bool digits =
        (first >= '0' && first <= '9') || ((first == '-' || first == '+') && text->size() > 1);
    return digits ? ReadInteger(*text) != 0 : fallback;
}

}  // namespace

Configuration ReadConfiguration(const IniFile& ini) {
    Configuration config;
    const std::string minText = ReadText(ini, "Min", "223");
    const std::string maxText = ReadText(ini, "Max", "235");
    config.minFreq = ReadDecimal(minText);
    config.maxFreq = ReadDecimal(maxText);
    config.limitsFault = LimitsFault(minText, maxText, config);
    config.specialWord = ReadText(ini, "Word", "");
    // The classic integer reader falls back to the default for an empty value as well.
    if (auto port = ini.Get(kConfigSection, kPortKey); port && !port->empty()) {
        const long long value = ReadInteger(*port);
        config.portNumber = static_cast<int>(std::clamp<long long>(
            value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    config.device = ini.Get(kConfigSection, "Device").value_or("");
    config.networkPort = ini.Get(kConfigSection, kNetworkPortKey).value_or("");
    config.verifyWrites = ReadSwitch(ini, kVerifyKey, config.verifyWrites);
    config.classicTiming = ReadSwitch(ini, kClassicTimingKey, config.classicTiming);
    config.language = ini.Get(kConfigSection, kLanguageKey).value_or("");
    config.station = ini.Get(kConfigSection, "Station").value_or("");
    config.operatorName = ini.Get(kConfigSection, "Operator").value_or("");
    config.recordUrl = ini.Get(kConfigSection, "Record").value_or("");
    config.askUnit = ReadSwitch(ini, "AskUnit", config.askUnit);
    config.readFirst = ReadSwitch(ini, kReadFirstKey, config.readFirst);
    config.compareFirst = ReadSwitch(ini, kCompareFirstKey, config.compareFirst);
    return config;
}

std::optional<SpecialData> ParseSpecialWord(std::string_view word) {
    // Blanks as the INI reader knows them, the same between the pairs as around the value.
    std::size_t at = 0;
    auto skipBlanks = [&] {
        const std::size_t from = at;
        while (at < word.size() && IsBlank(word[at]))
            ++at;
        return at > from;
    };
    std::uint8_t bytes[3] = {};
    skipBlanks();
    for (int i = 0; i < 3; ++i) {
        if ((i > 0 && !skipBlanks()) || at + 2 > word.size() || !HexDigit(word[at]) ||
            !HexDigit(word[at + 1])) {
            return std::nullopt;
        }
        bytes[i] = PairValue(word[at], word[at + 1]);
        at += 2;
    }
    skipBlanks();
    if (at != word.size())
        return std::nullopt;
    return SpecialData{bytes[0], bytes[1], bytes[2]};
}

std::string IniPathBesideProgram(const std::string& programDir) {
    if (programDir.empty())
        return "OrvelTool.ini";
    if (programDir.back() == '/' || programDir.back() == '\\')
        return programDir + "OrvelTool.ini";
    return programDir + "/OrvelTool.ini";
}

}  // namespace orvel
