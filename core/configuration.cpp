#include "configuration.h"

#include <algorithm>
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

int CharacterValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return static_cast<unsigned char>(c) - 55;
}

std::uint8_t PairValue(char high, char low) {
    return static_cast<std::uint8_t>((16 * CharacterValue(high) + CharacterValue(low)) & 0xFF);
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
    config.minFreq = ReadDecimal(ReadText(ini, "Min", "223"));
    config.maxFreq = ReadDecimal(ReadText(ini, "Max", "235"));
    config.specialWord = ReadText(ini, "Word", "");
    // The classic integer reader falls back to the default for an empty value as well.
    if (auto port = ini.Get(kConfigSection, kPortKey); port && !port->empty()) {
        const long long value = ReadInteger(*port);
        config.portNumber = static_cast<int>(std::clamp<long long>(
            value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    config.device = ini.Get(kConfigSection, "Device").value_or("");
    config.verifyWrites = ReadSwitch(ini, kVerifyKey, config.verifyWrites);
    config.classicTiming = ReadSwitch(ini, kClassicTimingKey, config.classicTiming);
    return config;
}

std::optional<SpecialData> ParseSpecialWord(std::string_view word) {
    if (word.size() != 8)
        return std::nullopt;
    return SpecialData{PairValue(word[0], word[1]), PairValue(word[3], word[4]),
                       PairValue(word[6], word[7])};
}

std::string IniPathBesideProgram(const std::string& programDir) {
    if (programDir.empty())
        return "OrvelTool.ini";
    if (programDir.back() == '/' || programDir.back() == '\\')
        return programDir + "OrvelTool.ini";
    return programDir + "/OrvelTool.ini";
}

}  // namespace orvel
