#include "channel_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

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

std::string SizeText(std::size_t bytes) {
    if (bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes % (1u << 10) == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

namespace {

// Reads at most `limit` bytes, plus one more to tell a file of exactly `limit` bytes from a
// longer one; `wholeFile` refuses the longer one.
bool ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                     std::size_t limit, bool wholeFile, ReadFault* fault) {
    auto fail = [&](ReadFault kind, std::string reason) {
        bytes.clear();
        error = std::move(reason);
        if (fault != nullptr)
            *fault = kind;
        return false;
    };
    // Opening a FIFO without a writer blocks for ever, and a device may never reach its end.
    if (const char* kind = NotRegularFileKind(path))
        return fail(ReadFault::NotRegularFile, std::string(kind) + ", not a regular file");
    std::FILE* file = OpenStream(path, "rb");
    if (file == nullptr)
        return fail(ReadFault::CannotOpen, std::strerror(errno));
    bytes.clear();
    std::uint8_t buffer[4096];
    bool readError = false;
    while (bytes.size() <= limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit + 1 - bytes.size());
        const std::size_t n = std::fread(buffer, 1, wanted, file);
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < wanted) {
            readError = std::ferror(file) != 0;
            break;
        }
    }
    const int readErrno = errno;
    std::fclose(file);
    if (readError)
        return fail(ReadFault::ReadError, std::strerror(readErrno));
    if (bytes.size() > limit && wholeFile)
        return fail(ReadFault::TooLarge,
                    "too large; files read here hold at most " + SizeText(limit));
    if (fault != nullptr)
        *fault = ReadFault::None;
    return true;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::size_t limit, ReadFault* fault) {
    return ReadRegularFile(path, bytes, error, limit, true, fault);
}

bool ReadChannelFileHead(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::string& error, ReadFault* fault) {
    return ReadRegularFile(path, bytes, error, kImageSize, false, fault);
}

}  // namespace orvel
