// The tool's side of the line for the tests: plain POSIX (on Windows plain Win32, on the COM
// port the radio was lent), every wait bounded.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

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

// The line itself, each system's own way.
#ifdef _WIN32
class RadioLine {
public:
    explicit RadioLine(const std::string& path)
        : handle_(CreateFileA(("\\\\.\\" + path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr)) {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (IsOpen() && GetCommState(handle_, &dcb)) {
            dcb.BaudRate = CBR_9600;
            dcb.ByteSize = 8;
            dcb.Parity = NOPARITY;
            dcb.StopBits = ONESTOPBIT;
            dcb.fBinary = TRUE;
            dcb.fParity = FALSE;
            dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
            dcb.fOutX = dcb.fInX = FALSE;
            SetCommState(handle_, &dcb);
        }
    }
    ~RadioLine() {
        if (IsOpen())
            CloseHandle(handle_);
    }
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool Send(const Bytes& bytes) {
        DWORD written = 0;
        return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
               written == bytes.size();
    }

    Bytes ReadUntilQuiet(std::chrono::milliseconds first, std::chrono::milliseconds gap) {
        Bytes bytes;
        for (auto wait = first;; wait = gap) {
            // Returns with what has come as soon as anything has, or empty after `wait`.
            COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, static_cast<DWORD>(wait.count()), 0, 0};
            std::uint8_t buffer[512];
            DWORD n = 0;
            if (!SetCommTimeouts(handle_, &timeouts) ||
                !ReadFile(handle_, buffer, sizeof buffer, &n, nullptr) || n == 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
#else
class RadioLine {
public:
    explicit RadioLine(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios tio{};
        if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~RadioLine() {
        if (fd_ >= 0)
            close(fd_);
    }
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    // A few bytes into an empty pty queue never block.
    bool Send(const Bytes& bytes) {
        return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

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

private:
    int fd_ = -1;
};
#endif

// What the tests ask of the line, the same on every system.
class RadioClient : public RadioLine {
public:
    using RadioLine::RadioLine;
    using RadioLine::Send;
    bool Send(const RadioFrame& frame) { return Send(Bytes(frame.begin(), frame.end())); }
    // A whole answer, however long or short.
    Bytes Answer() { return ReadUntilQuiet(1000ms, 50ms); }
    Bytes Exchange(const RadioFrame& frame) { return Send(frame) ? Answer() : Bytes{}; }
    // What comes back within a short window; a failed send must not pass for silence.
    Bytes Unanswered(const RadioFrame& frame) {
        return Send(frame) ? ReadUntilQuiet(150ms, 150ms) : Bytes{0x00};
    }
};

}  // namespace orvel::sim::probe
