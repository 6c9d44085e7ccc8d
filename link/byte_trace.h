// A hex trace of every byte on the line, for support cases: one line per frame or answer,
// with a millisecond timestamp and the direction.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orvel {

class ByteTrace {
public:
    ByteTrace() = default;
    ~ByteTrace();
    ByteTrace(const ByteTrace&) = delete;
    ByteTrace& operator=(const ByteTrace&) = delete;

    // Appends to `path` (UTF-8). Returns false with the system's reason.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return file_ != nullptr; }

    void Sent(std::uint8_t byte);
    void Received(std::uint8_t byte);
    // A byte that arrived late and was thrown away before an exchange started.
    void Discarded(std::uint8_t byte);
    // Writes out the bytes of the run in progress.
    void Flush();

private:
    void Add(char direction, std::uint8_t byte);

    std::FILE* file_ = nullptr;
    char direction_ = 0;
    std::string startedAt_;
    std::vector<std::uint8_t> run_;
};

}  // namespace orvel
