#include "channel_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#if __has_include(<unistd.h>)
#include <unistd.h>
#define ORVEL_HAVE_FSYNC 1
#else
#define ORVEL_HAVE_FSYNC 0
#endif

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
    fs::path target(path);
    std::error_code ec;
    // A link keeps pointing at the file it names: the file is replaced, not the link.
    if (fs::is_symlink(target, ec)) {
        if (fs::path resolved = fs::weakly_canonical(target, ec); !ec)
            target = resolved;
    }
    // A write-protected file stays as it is, as opening it for writing would be refused.
    if (fs::exists(target, ec)) {
        std::FILE* probe = std::fopen(target.c_str(), "r+b");
        if (probe == nullptr) {
            error = std::strerror(errno);
            return false;
        }
        std::fclose(probe);
    }
    std::random_device random;
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".tmp" +
                                                       std::to_string(random() % 1000000));
    std::FILE* file = std::fopen(temporary.c_str(), "wbx");
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
#if ORVEL_HAVE_FSYNC
    // The rename must not reach the disk before the bytes do.
    if (ok && ::fsync(fileno(file)) != 0) {
        ok = false;
        error = std::strerror(errno);
    }
#endif
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok) {
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
