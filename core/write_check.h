// The check after a write: what the radio reads back against what the write frames carried.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "memory_image.h"
#include "radio_frame.h"

namespace orvel {

struct WordDifference {
    int word = 0;                           // parameter word 0..0x7F
    std::array<std::uint8_t, 2> written{};  // the last value the frames gave it
    std::array<std::uint8_t, 2> readBack{};
};

// The first channel or settings word whose read-back differs from the last value the write
// frames gave it, in word order (channels first, then the two settings words). Words no frame
// wrote are not compared; a special-data frame counts when it lands on a compared word.
std::optional<WordDifference> FirstWrittenDifference(const std::vector<RadioFrame>& frames,
                                                     const MemoryImage& readBack);

}  // namespace orvel
