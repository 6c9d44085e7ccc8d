// A serial line reached through a serial device server, named as pyserial names one:
// rfc2217://HOST:PORT (Telnet with COM-port control: the line's settings are agreed with the
// server) or socket://HOST:PORT (raw TCP; the server's line is set up already). Bounded and
// synchronous like the serial port: it works on threads without an event loop, on the thread
// that opened it.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "network_address.h"
#include "port_transport.h"
#include "telnet_session.h"

class QTcpSocket;

namespace orvel {

class NetworkPort : public PortTransport {
public:
    // What a server may send that nobody asked for (while the port is idle, or before an
    // exchange drops it) before it counts as a flood.
    static constexpr std::size_t kUnaskedBytes = 65536;

    NetworkPort();
    ~NetworkPort() override;
    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    // Connects to `address` (the port `url` names) and, for rfc2217, agrees `line` with the
    // server, all within `boundMs`. False when it cannot, with the reason after the URL.
    bool Open(const std::string& url, const NetworkAddress& address, const LineSettings& line,
              int boundMs);
    int Close() override;

    int IsOpen() const override { return open_ ? 1 : 0; }
    int WriteByte(std::uint8_t byte) override;
    int ReadByte(std::uint8_t& out) override;
    bool WaitForData(int milliseconds) override;
    void DropInput(std::vector<std::uint8_t>& dropped) override;
    // A byte handed to the connection is gone from here.
    void PurgeOutput() override {}
    // Looks for news from the server without waiting; the server's close is heard also from the
    // event loop while idle.
    bool CheckConnection() override;

private:
    using Clock = std::chrono::steady_clock;
    enum class Failure { Unreachable, TimedOut, Refused };
    bool Connect(const NetworkAddress& address, const LineSettings& line, int boundMs,
                 std::string& error, Failure& failure);
    bool Negotiate(const LineSettings& line, Clock::time_point deadline, std::string& error);
    bool WaitUntil(Clock::time_point deadline, const std::function<bool()>& done);
    // Takes what the socket holds, waiting up to `milliseconds` for something, through the
    // Telnet decoder; false when the connection went. `asked`: an exchange waits for it.
    bool Pump(int milliseconds, bool asked);
    bool Send(const std::vector<std::uint8_t>& bytes, int milliseconds);
    void Lose(const std::string& reason);
    // After an operation: true while the connection holds; one that went is let go.
    bool StillOpen();
    // Runs what the socket's signal `heard`, and a close it asked for once that is over.
    void FromSocket(const std::function<void()>& heard);
    // Lets the connection go; from the socket's own signal without waiting on it.
    void Release(bool fromSignal);

    std::unique_ptr<QTcpSocket> socket_;
    // Inside the socket's own waits and signals: no other wait starts, and a close waits
    // until they are over.
    int busy_ = 0;
    bool closePending_ = false;
    bool open_ = false;
    bool telnet_ = false;
    TelnetSession session_;
    std::string lostReason_;  // why the connection went; empty while it holds
    std::deque<std::uint8_t> data_;
    std::size_t unasked_ = 0;  // bytes received since an exchange last asked for any
    std::vector<std::uint8_t> chunk_;
    std::vector<std::uint8_t> decoded_;
    std::vector<std::uint8_t> replies_;
};

}  // namespace orvel
