#include "write_check.h"

namespace orvel {

std::optional<WordDifference> FirstWrittenDifference(const std::vector<RadioFrame>& frames,
                                                     const MemoryImage& readBack) {
    std::array<std::optional<std::array<std::uint8_t, 2>>, layout::kParameterWords> written;
    for (const RadioFrame& frame : frames) {
        if (frame[1] == CmdWriteWord && frame[2] < layout::kParameterWords)
            written[frame[2]] = std::array<std::uint8_t, 2>{frame[3], frame[4]};
    }
    std::vector<int> words;
    for (int w = 0; w < 4 * kChannelCount; ++w)
        words.push_back(w);
    words.push_back(layout::kWordTimers);
    words.push_back(layout::kWordModes);
    for (int w : words) {
        const auto& expected = written[static_cast<std::size_t>(w)];
        if (!expected)
            continue;
        const std::array<std::uint8_t, 2> actual = {readBack[layout::WordOffset(w)],
                                                    readBack[layout::WordOffset(w) + 1]};
        // Bits nothing reads back may come back either way: bit 2 of the first mode byte (the
        // write sets it, the image leaves it clear) and its bits 5..7, and the squelch byte's
        // high nibble.
        const std::uint8_t firstMask = w == layout::kWordModes ? 0x1B : 0xFF;
        const std::uint8_t secondMask = w < 4 * kChannelCount && w % 4 == 1 ? 0x0F : 0xFF;
        if ((((*expected)[0] ^ actual[0]) & firstMask) == 0 &&
            (((*expected)[1] ^ actual[1]) & secondMask) == 0) {
            continue;
        }
        return WordDifference{w, *expected, actual};
    }
    return std::nullopt;
}

}  // namespace orvel
