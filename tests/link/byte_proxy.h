// A line between the tool and a virtual radio that adds bytes to the radio's answers or slows
// them down, as a noisy cable or a slow adapter does. The tool opens DevicePath() as its port.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace orvel::testing {

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
