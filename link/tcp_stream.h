// A TCP connection on the operating system's own sockets (POSIX, or Winsock on Windows), so that
// network ports need no networking library. Every call is bounded and none needs an event loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

class TcpStream {
public:
    enum class Failure { None, Unreachable, TimedOut, Refused };
    // What a receive or send found: the peer's close and a broken connection end the stream.
    enum class Status { Ok, Closed, Broken };

    TcpStream() = default;
    ~TcpStream();
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Looks `host` up and connects, all within `boundMs`; on failure `error` says why.
    bool Connect(const std::string& host, int port, int boundMs, std::string& error,
                 Failure& failure);
    // Sends what is still queued within a short bound, then lets the connection go.
    void Close();
    bool IsConnected() const { return socket_ != kNone; }
    // The socket, for an event loop's notifier; -1 when not connected.
    std::intptr_t Descriptor() const { return IsConnected() ? socket_ : -1; }

    // Waits up to `milliseconds` for bytes and appends all that came to `out`. Closed or Broken
    // come with what arrived before; `error` then names the breakage.
    Status Receive(std::vector<std::uint8_t>& out, int milliseconds, std::string& error);
    // Queues `size` bytes and sends what the peer takes within `milliseconds`; the rest goes
    // out first at the next send.
    Status Send(const std::uint8_t* data, std::size_t size, int milliseconds, std::string& error);

private:
    static constexpr std::intptr_t kNone = -1;
    Status Flush(int milliseconds, std::string& error);
    std::intptr_t socket_ = kNone;
    std::vector<std::uint8_t> queued_;
};

}  // namespace orvel
