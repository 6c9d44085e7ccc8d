#include "network_port.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <algorithm>

namespace orvel {
namespace {

constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPort = 44;
// COM-port commands from the client; the server answers each with the code plus 100.
constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kServerOffset = 100;

bool Supported(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

const char* ParityName(int code) {
    switch (code) {
        case 1:
            return "none";
        case 2:
            return "odd";
        case 3:
            return "even";
        case 4:
            return "mark";
        case 5:
            return "space";
        default:
            return "unknown";
    }
}

const char* StopName(int code) {
    switch (code) {
        case 1:
            return "1";
        case 2:
            return "2";
        case 3:
            return "1.5";
        default:
            return "unknown";
    }
}

int Remaining(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace

NetworkPort::NetworkPort() = default;

NetworkPort::~NetworkPort() {
    Close();
}

bool NetworkPort::Open(const std::string& url, const NetworkAddress& address,
                       const LineSettings& line, int boundMs) {
    ClearOpenFailure();
    std::string error;
    Failure failure = Failure::Unreachable;
    if (Connect(address, line, boundMs, error, failure))
        return true;
    // A server that takes the connection but not COM-port control is reached; it is the wrong
    // kind of port.
    FailOpen(failure == Failure::Refused && address.telnet &&
                     error.find("refused the connection") == std::string::npos
                 ? OpenFailure::Other
                 : OpenFailure::Unreachable,
             url + ": " + error);
    return false;
}

bool NetworkPort::Connect(const NetworkAddress& address, const LineSettings& line, int boundMs,
                          std::string& error, Failure& failure) {
    Close();
    lostReason_.clear();
    telnet_ = address.telnet;
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    TcpStream::Failure connectFailure = TcpStream::Failure::None;
    if (!stream_.Connect(address.host, address.port, boundMs, error, connectFailure)) {
        failure = connectFailure == TcpStream::Failure::Refused    ? Failure::Refused
                  : connectFailure == TcpStream::Failure::TimedOut ? Failure::TimedOut
                                                                   : Failure::Unreachable;
        return false;
    }
    if (telnet_ && !Negotiate(line, deadline, error)) {
        failure = Remaining(deadline) == 0 ? Failure::TimedOut : Failure::Refused;
        Close();
        return false;
    }
    open_ = true;
    // The server's close is heard from the event loop while the port is idle, where there is one.
    if (QAbstractEventDispatcher::instance() != nullptr) {
        notifier_ = new QSocketNotifier(stream_.Descriptor(), QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] {
            inNotifier_ = true;
            Pump(0);
            StillOpen();
            inNotifier_ = false;
        });
    }
    return true;
}

bool NetworkPort::Negotiate(const LineSettings& line, Clock::time_point deadline,
                            std::string& error) {
    const std::string seconds =
        std::to_string(std::max((Remaining(deadline) + 999) / 1000, 1)) + " s";
    // Binary both ways keeps CR and NUL out of the data; without go-ahead the line is full duplex.
    for (std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        SendCommand(kWill, option);
        if (option != kComPort)
            SendCommand(kDo, option);
    }
    if (!WaitUntil(deadline, [this] { return comPortAccepted_ || comPortRefused_; })) {
        error = !lostReason_.empty()
                    ? lostReason_ + " while the line was being set up"
                    : "the server did not take up COM-port control (RFC 2217) within " + seconds;
        return false;
    }
    if (comPortRefused_) {
        error =
            "the server does not offer COM-port control (RFC 2217); a port whose line is "
            "set up on the server is socket://HOST:PORT";
        return false;
    }
    const auto baud = static_cast<std::uint32_t>(line.baud);
    const std::vector<std::uint8_t> wanted[4] = {
        {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
         static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)},
        {static_cast<std::uint8_t>(line.byteSize)},
        {static_cast<std::uint8_t>(line.parity + 1)},
        {static_cast<std::uint8_t>(line.stopBits == 1   ? 3
                                   : line.stopBits == 2 ? 2
                                                        : 1)}};
    for (int i = 0; i < 4; ++i)
        SendComPort(static_cast<std::uint8_t>(kSetBaudRate + i), wanted[i]);
    if (!WaitUntil(deadline, [this] {
            return std::all_of(std::begin(replied_), std::begin(replied_) + 4,
                               [](bool r) { return r; });
        })) {
        error = !lostReason_.empty()
                    ? lostReason_ + " while the line was being set up"
                    : "the server did not confirm the line settings within " + seconds;
        return false;
    }
    const char* names[4] = {"baud rate", "data bits", "parity", "stop bits"};
    for (int i = 0; i < 4; ++i) {
        if (replies_[i] == wanted[i])
            continue;
        std::string answer;
        std::string asked;
        const std::vector<std::uint8_t>& got = replies_[i];
        if (i == 0) {
            std::uint32_t value = 0;
            for (std::uint8_t byte : got)
                value = value << 8 | byte;
            answer = got.size() == 4 ? std::to_string(value) : "nothing usable";
            asked = std::to_string(line.baud);
        } else if (got.size() != 1) {
            answer = "nothing usable";
        } else if (i == 1) {
            answer = std::to_string(got[0]);
        } else if (i == 2) {
            answer = ParityName(got[0]);
        } else {
            answer = StopName(got[0]);
        }
        if (i == 1)
            asked = std::to_string(line.byteSize);
        if (i == 2)
            asked = ParityName(line.parity + 1);
        if (i == 3)
            asked = StopName(wanted[3][0]);
        error = std::string("the server refuses ") + names[i] + " " + asked + ": it answers " +
                answer + " (the radio needs 9600 baud, 8 data bits, even parity, 1 stop bit)";
        return false;
    }
    return true;
}

bool NetworkPort::WaitUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    while (!done()) {
        const int left = Remaining(deadline);
        if (left == 0 || !Pump(left))
            return done();
    }
    return true;
}

bool NetworkPort::Pump(int milliseconds) {
    if (!stream_.IsConnected() || !lostReason_.empty())
        return false;
    std::vector<std::uint8_t> bytes;
    std::string error;
    const TcpStream::Status status = stream_.Receive(bytes, milliseconds, error);
    for (const std::uint8_t byte : bytes) {
        if (telnet_) {
            Decode(byte);
        } else {
            data_.push_back(byte);
        }
    }
    Note(status, error);
    return lostReason_.empty();
}

void NetworkPort::Note(TcpStream::Status status, const std::string& error) {
    if (status == TcpStream::Status::Closed)
        Lose("the server closed the connection");
    if (status == TcpStream::Status::Broken)
        Lose("the connection broke (" + error + ")");
}

void NetworkPort::Decode(std::uint8_t byte) {
    switch (state_) {
        case State::Data:
            if (byte == kIac) {
                state_ = State::Command;
                return;
            }
            // Outside binary mode a CR travels as CR NUL.
            if (!(lastWasCr_ && byte == 0 && !theyWill_[kBinary]))
                data_.push_back(byte);
            lastWasCr_ = byte == '\r';
            return;
        case State::Command:
            lastWasCr_ = false;
            if (byte == kIac) {
                data_.push_back(kIac);
                state_ = State::Data;
            } else if (byte >= kWill && byte <= kDont) {
                pendingCommand_ = byte;
                state_ = State::Option;
            } else if (byte == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data;  // NOP, GA, data mark and the like carry nothing for us
            }
            return;
        case State::Option:
            OnOption(pendingCommand_, byte);
            state_ = State::Data;
            return;
        case State::Sub:
            if (byte == kIac) {
                state_ = State::SubCommand;
            } else {
                sub_.push_back(byte);
            }
            return;
        case State::SubCommand:
            if (byte == kIac) {
                sub_.push_back(kIac);
                state_ = State::Sub;
            } else {
                if (byte == kSe)
                    OnSubnegotiation();
                state_ = State::Data;
            }
            return;
    }
}

void NetworkPort::OnOption(std::uint8_t command, std::uint8_t option) {
    switch (command) {
        case kWill:
            if (!Supported(option)) {
                SendCommand(kDont, option);
            } else if (!theyWill_[option]) {
                theyWill_[option] = true;
                if (!doSent_[option])
                    SendCommand(kDo, option);
            }
            return;
        case kWont:
            theyWill_[option] = false;
            return;
        case kDo:
            if (!Supported(option)) {
                SendCommand(kWont, option);
                return;
            }
            weWill_[option] = true;
            if (option == kComPort)
                comPortAccepted_ = true;
            if (!willSent_[option])
                SendCommand(kWill, option);
            return;
        case kDont:
            weWill_[option] = false;
            if (option == kComPort)
                comPortRefused_ = true;
            return;
        default:
            return;
    }
}

void NetworkPort::OnSubnegotiation() {
    if (sub_.size() < 2 || sub_[0] != kComPort)
        return;
    const int code = sub_[1] - kServerOffset;
    if (code < kSetBaudRate || code > kSetStopSize)
        return;  // line and modem state, flow control: not needed here
    replies_[code - kSetBaudRate].assign(sub_.begin() + 2, sub_.end());
    replied_[code - kSetBaudRate] = true;
}

bool NetworkPort::Send(const std::vector<std::uint8_t>& bytes, int milliseconds) {
    if (!stream_.IsConnected() || !lostReason_.empty())
        return false;
    std::string error;
    Note(stream_.Send(bytes.data(), bytes.size(), milliseconds, error), error);
    return lostReason_.empty();
}

void NetworkPort::SendCommand(std::uint8_t command, std::uint8_t option) {
    if (command == kWill)
        willSent_[option] = true;
    if (command == kDo)
        doSent_[option] = true;
    Send({kIac, command, option}, 1000);
}

void NetworkPort::SendComPort(std::uint8_t code, const std::vector<std::uint8_t>& value) {
    std::vector<std::uint8_t> bytes = {kIac, kSb, kComPort, code};
    for (std::uint8_t byte : value) {
        bytes.push_back(byte);
        if (byte == kIac)
            bytes.push_back(kIac);
    }
    bytes.insert(bytes.end(), {kIac, kSe});
    Send(bytes, 1000);
}

void NetworkPort::Lose(const std::string& reason) {
    if (!lostReason_.empty())
        return;
    lostReason_ = reason;
    if (notifier_ != nullptr)
        notifier_->setEnabled(false);
    const bool wasOpen = open_;
    open_ = false;
    if (wasOpen)
        ReportLost(reason);
}

bool NetworkPort::StillOpen() {
    if (open_)
        return true;
    if (stream_.IsConnected())
        Close();
    return false;
}

int NetworkPort::WriteByte(std::uint8_t byte) {
    if (!open_)
        return -1;
    std::vector<std::uint8_t> bytes = {byte};
    if (telnet_ && byte == kIac)
        bytes.push_back(kIac);
    if (telnet_ && byte == '\r' && !weWill_[kBinary])
        bytes.push_back(0);
    const bool sent = Send(bytes, 1000);
    return StillOpen() && sent ? 1 : -1;
}

int NetworkPort::ReadByte(std::uint8_t& out) {
    out = 0;
    if (!open_)
        return -1;
    if (data_.empty())
        Pump(0);
    // A byte that came with the server's close is not handed on: the port is closed by then.
    if (!StillOpen())
        return -1;
    if (data_.empty())
        return 0;
    out = data_.front();
    data_.pop_front();
    return 1;
}

bool NetworkPort::WaitForData(int milliseconds) {
    if (!open_)
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    // Telnet commands wake the wait without data; it goes on until the bound.
    while (data_.empty()) {
        if (!Pump(Remaining(deadline)) || Remaining(deadline) == 0)
            break;
    }
    return StillOpen() && !data_.empty();
}

void NetworkPort::DropInput(std::vector<std::uint8_t>& dropped) {
    if (!open_)
        return;
    Pump(0);
    dropped.insert(dropped.end(), data_.begin(), data_.end());
    data_.clear();
    StillOpen();
}

bool NetworkPort::CheckConnection() {
    if (open_)
        Pump(0);
    return StillOpen();
}

int NetworkPort::Close() {
    open_ = false;
    if (notifier_ != nullptr) {
        // The notifier goes before its socket; from inside its own call it goes once that ends.
        notifier_->setEnabled(false);
        QObject::disconnect(notifier_, nullptr, nullptr, nullptr);
        if (inNotifier_) {
            notifier_->deleteLater();
        } else {
            delete notifier_;
        }
        notifier_ = nullptr;
    }
    // What is still queued goes out, within a bound.
    stream_.Close();
    data_.clear();
    state_ = State::Data;
    sub_.clear();
    lastWasCr_ = false;
    std::fill(std::begin(weWill_), std::end(weWill_), false);
    std::fill(std::begin(theyWill_), std::end(theyWill_), false);
    std::fill(std::begin(willSent_), std::end(willSent_), false);
    std::fill(std::begin(doSent_), std::end(doSent_), false);
    comPortAccepted_ = false;
    comPortRefused_ = false;
    for (auto& reply : replies_)
        reply.clear();
    std::fill(std::begin(replied_), std::end(replied_), false);
    return 1;
}

}  // namespace orvel
