// The tool's side of the line for the tests: plain POSIX, every wait bounded.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "radio_frame.h"

namespace orvel::sim::probe {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

inline Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class RadioClient {
public:
    explicit RadioClient(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios tio{};
        if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~RadioClient() {
        if (fd_ >= 0)
            close(fd_);
    }
    RadioClient(const RadioClient&) = delete;
    RadioClient& operator=(const RadioClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    // A few bytes into an empty pty queue never block.
    bool Send(const Bytes& bytes) {
        return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    bool Send(const RadioFrame& frame) { return Send(Bytes(frame.begin(), frame.end())); }

    // Bytes until the line has been quiet for `gap`, waiting at most `first` for the first one.
    Bytes ReadUntilQuiet(std::chrono::milliseconds first, std::chrono::milliseconds gap) {
        Bytes bytes;
        for (auto wait = first;; wait = gap) {
            pollfd pfd{fd_, POLLIN, 0};
            std::uint8_t buffer[512];
            if (poll(&pfd, 1, static_cast<int>(wait.count())) <= 0)
                break;
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }
    // A whole answer, however long or short.
    Bytes Answer() { return ReadUntilQuiet(1000ms, 50ms); }
    Bytes Exchange(const RadioFrame& frame) { return Send(frame) ? Answer() : Bytes{}; }
    // What comes back within a short window; a failed send must not pass for silence.
    Bytes Unanswered(const RadioFrame& frame) {
        return Send(frame) ? ReadUntilQuiet(150ms, 150ms) : Bytes{0x00};
    }

private:
    int fd_ = -1;
};

}  // namespace orvel::sim::probe
