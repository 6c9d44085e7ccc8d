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

#include "byte_port.h"
#include "network_address.h"
#include "tcp_stream.h"

class QSocketNotifier;

namespace orvel {

// The line as the serial port codes it: parity 0 none, 1 odd, 2 even, 3 mark, 4 space;
// stopBits 0 one, 1 one and a half, 2 two.
struct NetworkLine {
    int baud = 9600;
    int dataBits = 8;
    int parity = 2;
    int stopBits = 0;
};

enum class NetworkFailure { None, Unreachable, TimedOut, Refused };

class NetworkPort : public BytePort {
public:
    NetworkPort();
    ~NetworkPort() override;
    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    // Connects and, for rfc2217, agrees `line` with the server, all within `boundMs`. On failure
    // `error` says why (without the URL) and `failure` what kind of failure it was.
    bool Open(const NetworkAddress& address, const NetworkLine& line, int boundMs,
              std::string& error, NetworkFailure& failure);
    void Close();

    int IsOpen() const override { return open_ ? 1 : 0; }
    int WriteByte(std::uint8_t byte) override;
    int ReadByte(std::uint8_t& out) override;
    bool WaitForData(int milliseconds) override;
    void DiscardInput() override;
    void PurgeOutput() override {}
    // The bytes DiscardInput dropped, for the trace.
    std::vector<std::uint8_t> TakeDiscarded();

    // Looks for news from the server without waiting; false once the connection has gone.
    bool CheckConnection();
    // Why the connection went; empty while it holds.
    const std::string& LostReason() const { return lostReason_; }
    // Told once when the connection goes, also from the event loop while idle.
    void SetLostHandler(std::function<void(const std::string&)> handler) {
        lostHandler_ = std::move(handler);
    }

private:
    using Clock = std::chrono::steady_clock;
    bool Negotiate(const NetworkLine& line, Clock::time_point deadline, std::string& error);
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

    TcpStream stream_;
    QSocketNotifier* notifier_ = nullptr;
    bool inNotifier_ = false;
    bool open_ = false;
    bool telnet_ = false;
    std::string lostReason_;
    std::function<void(const std::string&)> lostHandler_;
    std::deque<std::uint8_t> data_;
    std::vector<std::uint8_t> discarded_;

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
