// Frequency limits an OrvelTool.ini may hold, the awkward ones included.
#pragma once

#include <array>

#include "channel_edit.h"

namespace orvel::fuzz {

inline constexpr std::array<FrequencyLimits, 6> kLimits = {{
    {223.0, 235.0},     // the defaults
    {-5.0, 235.0},      // Min at or below 0
    {223.0, 230.1245},  // finer than a kHz
    {0.0, 2000.0},      // beyond what a record holds
    {235.0, 223.0},     // Min above Max
    {230.0005, 230.0015},
}};

inline const FrequencyLimits& LimitsOf(std::uint8_t choice) {
    return kLimits[choice % kLimits.size()];
}

}  // namespace orvel::fuzz
