#include "channel_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

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
    std::FILE* file = std::fopen(path.c_str(), "rb");
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

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::random_device random;
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".tmp" +
                                                       std::to_string(random() % 1000000));
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!ok)
        error = std::strerror(errno);
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok) {
        std::error_code ec;
        // Keep the permissions of the file being replaced.
        if (auto status = fs::status(target, ec); !ec && fs::exists(status)) {
            fs::permissions(temporary, status.permissions(), ec);
        }
        fs::rename(temporary, target, ec);
        if (ec) {
            ok = false;
            error = ec.message();
        }
    }
    if (!ok) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    return ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error) {
    return WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()), error);
}

}  // namespace orvel
