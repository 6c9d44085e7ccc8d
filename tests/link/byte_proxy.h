// A line between the tool and a virtual radio that adds bytes to the radio's answers or slows
// them down, as a noisy cable or a slow adapter does. The tool opens DevicePath() as its port:
// a pseudo-terminal, or under wine a COM port lent by scripts/wine-radio-lines, with the radio's
// own COM port opened on the other side.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include "lent_line.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace orvel::testing {

#ifdef _WIN32
class ByteProxy {
public:
    using Tamper = std::function<std::vector<std::uint8_t>(std::uint8_t byte, std::size_t fromRadio,
                                                           std::size_t fromTool)>;

    ByteProxy(const std::string& radioDevice, Tamper tamper, int pauseBeforeEachByteMs = 0)
        : tamper_(std::move(tamper)), pauseMs_(pauseBeforeEachByteMs) {
        if (!tool_.Borrow(nullptr))
            return;
        radio_ = CreateFileA(("\\\\.\\" + radioDevice).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                             nullptr, OPEN_EXISTING, 0, nullptr);
        if (radio_ == INVALID_HANDLE_VALUE)
            return;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(radio_, &dcb);
        dcb.BaudRate = CBR_9600;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = FALSE;
        SetCommState(radio_, &dcb);
        // A read returns what has come, or nothing after 20 ms, so that stopping is noticed.
        COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 20, 0, 0};
        SetCommTimeouts(radio_, &timeouts);
        toRadio_ = std::thread([this] { CarryToRadio(); });
        fromRadio_ = std::thread([this] { CarryFromRadio(); });
    }
    ~ByteProxy() {
        stopping_ = true;
        tool_.Shut();
        for (std::thread* thread : {&toRadio_, &fromRadio_}) {
            if (thread->joinable())
                thread->join();
        }
        if (radio_ != INVALID_HANDLE_VALUE)
            CloseHandle(radio_);
    }
    ByteProxy(const ByteProxy&) = delete;
    ByteProxy& operator=(const ByteProxy&) = delete;

    std::string DevicePath() const {
        return fromRadio_.joinable() ? tool_.PortName() : std::string();
    }

private:
    void CarryToRadio() {
        std::uint8_t buffer[256];
        for (int n; !stopping_ && (n = tool_.Receive(buffer, sizeof buffer)) > 0;) {
            fromTool_ += static_cast<std::size_t>(n);
            DWORD written = 0;
            WriteFile(radio_, buffer, static_cast<DWORD>(n), &written, nullptr);
        }
    }

    void CarryFromRadio() {
        std::size_t fromRadio = 0;
        while (!stopping_) {
            std::uint8_t buffer[256];
            DWORD n = 0;
            if (!ReadFile(radio_, buffer, sizeof buffer, &n, nullptr) || n == 0)
                continue;
            std::vector<std::uint8_t> out;
            for (DWORD i = 0; i < n; ++i) {
                std::vector<std::uint8_t> passed =
                    tamper_ ? tamper_(buffer[i], ++fromRadio, fromTool_.load())
                            : std::vector{buffer[i]};
                if (pauseMs_ == 0) {
                    out.insert(out.end(), passed.begin(), passed.end());
                    continue;
                }
                for (std::uint8_t b : passed) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
                    tool_.SendAll(&b, 1);
                }
            }
            tool_.SendAll(out.data(), out.size());
        }
    }

    Tamper tamper_;
    int pauseMs_;
    sim::LentLine tool_;
    HANDLE radio_ = INVALID_HANDLE_VALUE;
    std::atomic<std::size_t> fromTool_{0};
    std::atomic<bool> stopping_{false};
    std::thread toRadio_;
    std::thread fromRadio_;
};
#else
class ByteProxy {
public:
    // What goes to the tool for one byte of the radio's, given the bytes the radio sent so far
    // (this one counted) and the bytes the tool sent. Passes the byte on unchanged by default.
    using Tamper = std::function<std::vector<std::uint8_t>(std::uint8_t byte, std::size_t fromRadio,
                                                           std::size_t fromTool)>;

    ByteProxy(const std::string& radioDevice, Tamper tamper, int pauseBeforeEachByteMs = 0)
        : tamper_(std::move(tamper)), pauseMs_(pauseBeforeEachByteMs) {
        int toolSide = -1;
        if (::openpty(&master_, &toolSide, nullptr, nullptr, nullptr) != 0)
            return;
        path_ = ::ttyname(toolSide);
        toolSide_ = toolSide;  // held open so the master never reads EIO between opens
        Raw(master_);
        radio_ = ::open(radioDevice.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (radio_ < 0)
            return;
        Raw(radio_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ByteProxy() {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
        for (int fd : {master_, toolSide_, radio_}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    ByteProxy(const ByteProxy&) = delete;
    ByteProxy& operator=(const ByteProxy&) = delete;

    // Empty when the proxy could not be set up.
    std::string DevicePath() const { return thread_.joinable() ? path_ : std::string(); }

private:
    static void Raw(int fd) {
        termios tty{};
        ::tcgetattr(fd, &tty);
        ::cfmakeraw(&tty);
        ::tcsetattr(fd, TCSANOW, &tty);
    }

    void Serve() {
        std::size_t fromRadio = 0;
        std::size_t fromTool = 0;
        while (!stopping_) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {radio_, POLLIN, 0}};
            if (::poll(fds, 2, 20) <= 0)
                continue;
            std::uint8_t buffer[256];
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n > 0) {
                    fromTool += static_cast<std::size_t>(n);
                    Write(radio_, buffer, static_cast<std::size_t>(n));
                }
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = ::read(radio_, buffer, sizeof buffer);
                // What the radio sends in one go reaches the tool in one go, added bytes too.
                std::vector<std::uint8_t> out;
                for (ssize_t i = 0; i < n; ++i) {
                    std::vector<std::uint8_t> passed =
                        tamper_ ? tamper_(buffer[i], ++fromRadio, fromTool)
                                : std::vector{buffer[i]};
                    if (pauseMs_ == 0) {
                        out.insert(out.end(), passed.begin(), passed.end());
                        continue;
                    }
                    for (std::uint8_t b : passed) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
                        Write(master_, &b, 1);
                    }
                }
                Write(master_, out.data(), out.size());
            }
        }
    }

    static void Write(int fd, const std::uint8_t* bytes, std::size_t count) {
        while (count > 0) {
            const ssize_t n = ::write(fd, bytes, count);
            if (n <= 0)
                return;
            bytes += n;
            count -= static_cast<std::size_t>(n);
        }
    }

    Tamper tamper_;
    int pauseMs_;
    int master_ = -1;
    int toolSide_ = -1;
    int radio_ = -1;
    std::string path_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
#endif

// Adds `extra` after the radio's `count`-th byte.
inline ByteProxy::Tamper AddAfter(std::size_t count, std::vector<std::uint8_t> extra) {
    return [count, extra](std::uint8_t byte, std::size_t fromRadio, std::size_t) {
        std::vector<std::uint8_t> out{byte};
        if (fromRadio == count)
            out.insert(out.end(), extra.begin(), extra.end());
        return out;
    };
}

}  // namespace orvel::testing
