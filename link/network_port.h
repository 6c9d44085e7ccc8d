// A serial line reached through a serial device server, named as pyserial names one:
// rfc2217://HOST:PORT (Telnet with COM-port control: the line's settings are agreed with the
// server) or socket://HOST:PORT (raw TCP; the server's line is set up already). Bounded and
// synchronous like the serial port: it works on threads without an event loop.
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
#include "tcp_stream.h"

class QSocketNotifier;

namespace orvel {

class NetworkPort : public PortTransport {
public:
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
    // Pulls what the socket holds through the Telnet decoder; false when the connection went.
    bool Pump(int milliseconds);
    void Decode(std::uint8_t byte);
    void OnOption(std::uint8_t command, std::uint8_t option);
    void OnSubnegotiation();
    bool Send(const std::vector<std::uint8_t>& bytes, int milliseconds);
    void SendCommand(std::uint8_t command, std::uint8_t option);
    void SendComPort(std::uint8_t code, const std::vector<std::uint8_t>& value);
    void Note(TcpStream::Status status, const std::string& error);
    void Lose(const std::string& reason);
    // After an operation: true while the connection holds; one that went is let go.
    bool StillOpen();

    TcpStream stream_;
    QSocketNotifier* notifier_ = nullptr;
    bool inNotifier_ = false;
    bool open_ = false;
    bool telnet_ = false;
    std::string lostReason_;  // why the connection went; empty while it holds
    std::deque<std::uint8_t> data_;

    // Telnet state: where the decoder is, the subnegotiation being gathered, and the options
    // each side has agreed to.
    enum class State { Data, Command, Option, Sub, SubCommand };
    State state_ = State::Data;
    std::uint8_t pendingCommand_ = 0;
    std::vector<std::uint8_t> sub_;
    bool lastWasCr_ = false;
    bool weWill_[256] = {};
    bool theyWill_[256] = {};
    bool willSent_[256] = {};
    bool doSent_[256] = {};
    bool comPortAccepted_ = false;
    bool comPortRefused_ = false;
    // The server's answers to SET-BAUDRATE .. SET-STOPSIZE, once they came.
    std::vector<std::uint8_t> replies_[4];
    bool replied_[4] = {};
};

}  // namespace orvel
