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

// Every JSON, CSV or INI file this program reads is a few kilobytes; a bigger one is refused,
// never cut short. A channel file is read by its head (ReadChannelFileHead).
inline constexpr std::size_t kMaxInputFileSize = 16u << 20;

enum class ReadFault { None, CannotOpen, NotRegularFile, TooLarge, ReadError };

// Reads a whole regular file of at most `limit` bytes. A FIFO, a device or a folder is refused
// before it is opened, as reading one may never end. Returns false with a reason (and, when
// `fault` is given, its kind) on failure.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::size_t limit = kMaxInputFileSize, ReadFault* fault = nullptr);

// The first 261 bytes of a channel file, whatever its size: the 260 it holds and one to tell a
// longer file, whose further bytes are ignored. Refuses what ReadFileBytes refuses but size.
bool ReadChannelFileHead(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::string& error, ReadFault* fault = nullptr);

// "16 MiB": a size bound as people say it.
std::string SizeText(std::size_t bytes);

}  // namespace orvel
