// The fixed item lists of the edit panel and the settings drop-downs, in item order.
#pragma once

#include <array>
#include <string_view>

#include "texts.h"

namespace orvel::vocab {

inline constexpr std::array<std::string_view, 5> kPower = {"P1", "P2", "P3", "P4", "P5"};
inline constexpr std::array<std::string_view, 3> kRate = {"1200", "2400", "4800"};
inline constexpr std::array<std::string_view, 9> kSquelch = {"L1", "L2", "L3", "L4", "L5",
                                                             "L6", "L7", "L8", "L9"};
// Codes an image may hold beyond the panel's items, shown as a decode shows them: power code 6
// and 7, squelch nibble 10 to 15. The panel offers none of them; an import takes each back as its
// code, so that a file this program wrote reads back as the bytes it came from.
inline constexpr std::array<std::string_view, 2> kRawPower = {"P6", "P7"};
inline constexpr std::array<std::string_view, 6> kRawSquelch = {"L10", "L11", "L12",
                                                                "L13", "L14", "L15"};
inline constexpr std::array<std::string_view, 2> kDataVoice = {ORVEL_TR("关"), ORVEL_TR("开")};
inline constexpr std::string_view kOn = kDataVoice[1];
inline constexpr std::string_view kOff = kDataVoice[0];

inline constexpr std::array<std::string_view, 12> kTxTimeLimit = {
    kOff, "30", "60", "90", "120", "150", "180", "240", "300", "600", "900", "1200"};
inline constexpr std::array<std::string_view, 9> kPowerSave = {kOff,  "0.5", "1.0", "1.5", "2.0",
                                                               "3.0", "5.0", "7.0", "9.0"};

// Index of the first item equal to text (exact bytes), or -1.
template <std::size_t N>
constexpr int IndexOf(const std::array<std::string_view, N>& items, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (items[i] == text)
            return static_cast<int>(i);
    }
    return -1;
}

// Text of item index, or empty when the index is outside the list.
template <std::size_t N>
constexpr std::string_view ItemText(const std::array<std::string_view, N>& items, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? items[static_cast<std::size_t>(index)]
               : std::string_view{};
}

}  // namespace orvel::vocab
