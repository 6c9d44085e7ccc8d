#include "channel_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvel {

std::vector<std::uint8_t> ChannelFileBytes(const MemoryImage& image) {
    std::vector<std::uint8_t> bytes(image.begin(), image.end());
    for (auto& b : bytes)
        b ^= FileMask;
    return bytes;
}

ChannelFileContent ImageFromChannelFile(const std::vector<std::uint8_t>& fileBytes) {
    ChannelFileContent content;
    const std::size_t count = std::min(fileBytes.size(), kImageSize);
    for (std::size_t i = 0; i < count; ++i)
        content.image[i] = fileBytes[i] ^ FileMask;
    content.complete = fileBytes.size() >= kImageSize;
    return content;
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::size_t limit) {
    std::FILE* file = OpenStream(path, "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t buffer[4096];
    bool ok = true;
    while (bytes.size() < limit) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < sizeof buffer) {
            if (std::ferror(file)) {
                error = std::strerror(errno);
                ok = false;
            }
            break;
        }
    }
    std::fclose(file);
    if (bytes.size() > limit)
        bytes.resize(limit);
    return ok;
}

}  // namespace orvel
