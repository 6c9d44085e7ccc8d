// The channel file (.dat): the 260 image bytes, each XOR FileMask. No header, no length field;
// the image's own checksum byte guards it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_access.h"
#include "memory_image.h"

namespace orvel {

inline constexpr std::uint8_t FileMask = 0x5A;

// The 260 bytes a channel file holds for this image.
std::vector<std::uint8_t> ChannelFileBytes(const MemoryImage& image);

struct ChannelFileContent {
    MemoryImage image{};
    bool complete = false;  // false when the file held fewer than 260 bytes
};

// Unmasks the first 260 bytes; bytes after them are ignored. A shorter file gives
// complete = false and only the bytes it had (the rest zero).
ChannelFileContent ImageFromChannelFile(const std::vector<std::uint8_t>& fileBytes);

// Reads a whole file (at most `limit` bytes). Returns false with a reason on failure.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::size_t limit = 1 << 20);

}  // namespace orvel
