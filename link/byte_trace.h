// A hex trace of every byte on the line, for support cases: one line per frame or answer,
// with a millisecond timestamp and the direction.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace orvel {

class ByteTrace {
public:
    ByteTrace() = default;
    ~ByteTrace();
    ByteTrace(const ByteTrace&) = delete;
    ByteTrace& operator=(const ByteTrace&) = delete;

    // Appends to `path` (UTF-8). Returns false with the reason; a path that is no regular file
    // (the port itself, a FIFO, a device) is refused before it is opened.
    bool Open(const std::string& path, std::string& error);
    // Called once, with the reason, when the trace can no longer be written (a full disk); the
    // trace then stops and the exchange goes on.
    void OnWriteFailure(std::function<void(const std::string&)> report) {
        onWriteFailure_ = std::move(report);
    }
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
    std::string path_;
    std::function<void(const std::string&)> onWriteFailure_;
    char direction_ = 0;
    std::string startedAt_;
    std::vector<std::uint8_t> run_;
};

}  // namespace orvel
