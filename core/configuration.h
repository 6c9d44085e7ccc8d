// The settings kept in OrvelTool.ini beside the program: frequency limits for channel entry, the
// special-data word sent at the end of a write, and the serial port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ini_file.h"

namespace orvel {

struct Configuration {
    double minFreq = 223.0;  // MHz, inclusive
    double maxFreq = 235.0;  // MHz, inclusive
    // Why no frequency can be valid: a Min or Max that is no number, or Min above Max. Empty when
    // the limits are sound.
    std::string limitsFault;
    std::string specialWord;
    int portNumber = 1;
    std::string device;        // key "Device"; names the port directly and wins over Port when set
    std::string networkPort;   // key "NetworkPort": the network port's URL used last
    bool verifyWrites = true;  // key "Verify": read the radio back after a write
    bool classicTiming = false;  // key "ClassicTiming": fixed pauses between polls
    std::string language;        // key "Language": the window's language, as written
    // The programming record: who and where (empty: the host name and the system user), and
    // the shared database (empty: the local file).
    std::string station;       // key "Station"
    std::string operatorName;  // key "Operator"
    std::string recordUrl;     // key "Record": postgresql://user@host:5432/orvel
    bool askUnit = false;      // key "AskUnit": the window asks each write for the unit's label
    // The window's write: first read what the radio holds (kept as its before image and a
    // safety copy), and with compareFirst show what the write will change and ask.
    bool readFirst = true;      // key "ReadFirst"
    bool compareFirst = false;  // key "CompareFirst"
};

inline constexpr std::string_view kConfigSection = "Set";
inline constexpr std::string_view kPortKey = "Port";
inline constexpr std::string_view kVerifyKey = "Verify";
inline constexpr std::string_view kClassicTimingKey = "ClassicTiming";
inline constexpr std::string_view kLanguageKey = "Language";
inline constexpr std::string_view kNetworkPortKey = "NetworkPort";
inline constexpr std::string_view kReadFirstKey = "ReadFirst";
inline constexpr std::string_view kCompareFirstKey = "CompareFirst";

// Section "Set", keys Min, Max, Word, Port, Device, NetworkPort, Verify, ClassicTiming,
// Language, Station, Operator, Record, AskUnit, ReadFirst and CompareFirst. No range checks: Min
// may exceed Max (`limitsFault` then says so), and Port may be any integer. Verify,
// ClassicTiming, AskUnit, ReadFirst and CompareFirst are switches: 0 is off, any other integer
// on; a value that is no integer keeps the default.
Configuration ReadConfiguration(const IniFile& ini);

struct SpecialData {
    std::uint8_t word;
    std::uint8_t first;
    std::uint8_t second;

    bool operator==(const SpecialData&) const = default;
};

// "12 34 56" -> {0x12, 0x34, 0x56}: three pairs of hexadecimal digits with blanks between them,
// any number of spaces or tabs (IsBlank), as around an INI value. Only '0'..'9' and 'A'..'F' are
// digits: any other character (a letter O, a lower-case letter, which the radio's arithmetic
// would turn into another byte, a comma between the pairs) gives nullopt, and no frame.
std::optional<SpecialData> ParseSpecialWord(std::string_view word);

// The configuration file in the program's directory, whatever the program file is called.
std::string IniPathBesideProgram(const std::string& programDir);

}  // namespace orvel
