#include "telnet_session.h"

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
// The server answers a COM-port command with the command's code plus this.
constexpr std::uint8_t kServerOffset = 100;
constexpr std::uint8_t kSetBaudRate = 1;

bool Supported(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

}  // namespace

std::vector<std::uint8_t> TelnetSession::Opening() {
    std::vector<std::uint8_t> wire;
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        Say(kWill, option, wire);
        if (option != kComPort)
            Say(kDo, option, wire);
    }
    return wire;
}

std::vector<std::uint8_t> TelnetSession::SetCommand(Setting setting,
                                                    const std::vector<std::uint8_t>& value) {
    std::vector<std::uint8_t> wire = {kIac, kSb, kComPort,
                                      static_cast<std::uint8_t>(kSetBaudRate + setting)};
    for (const std::uint8_t byte : value) {
        wire.push_back(byte);
        if (byte == kIac)
            wire.push_back(kIac);
    }
    wire.insert(wire.end(), {kIac, kSe});
    return wire;
}

void TelnetSession::Encode(std::uint8_t byte, std::vector<std::uint8_t>& wire) const {
    wire.push_back(byte);
    if (byte == kIac)
        wire.push_back(kIac);
    if (byte == '\r' && !weWill_[kBinary])
        wire.push_back(0);
}

void TelnetSession::Take(const std::uint8_t* bytes, std::size_t size,
                         std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& replies) {
    for (std::size_t i = 0; i < size && state_ != State::Ended; ++i)
        Take(bytes[i], data, replies);
}

void TelnetSession::Take(std::uint8_t byte, std::vector<std::uint8_t>& data,
                         std::vector<std::uint8_t>& replies) {
    switch (state_) {
        case State::Data:
            if (byte == kIac) {
                state_ = State::Command;
                return;
            }
            // Outside binary mode a CR travels as CR NUL.
            if (!(lastWasCr_ && byte == 0 && !theyWill_[kBinary]))
                data.push_back(byte);
            lastWasCr_ = byte == '\r';
            return;
        case State::Command:
            lastWasCr_ = false;
            if (byte == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (byte >= kWill && byte <= kDont) {
                command_ = byte;
                state_ = State::Option;
            } else if (byte == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data;  // NOP, GA, data mark and the like carry nothing for us
            }
            return;
        case State::Option:
            OnOption(command_, byte, replies);
            state_ = State::Data;
            return;
        case State::Sub:
        case State::SubCommand:
            if (state_ == State::Sub && byte == kIac) {
                state_ = State::SubCommand;
                return;
            }
            if (state_ == State::SubCommand && byte != kIac) {
                if (byte == kSe)
                    OnSubnegotiation();
                state_ = State::Data;
                return;
            }
            // A server that never ends its subnegotiation would have it grow without end.
            if (sub_.size() == kLongestSubnegotiation) {
                fault_ = "the server sent a subnegotiation longer than " +
                         std::to_string(kLongestSubnegotiation) + " bytes";
                sub_ = {};
                state_ = State::Ended;
                return;
            }
            sub_.push_back(byte);
            state_ = State::Sub;
            return;
        case State::Ended:
            return;
    }
}

void TelnetSession::OnOption(std::uint8_t command, std::uint8_t option,
                             std::vector<std::uint8_t>& replies) {
    bool& heard = heard_[command - kWill][option];
    if (heard)
        ++repeats_;
    heard = true;
    // An option is refused once: a server that asks again, and again, gets no answer to loop on.
    switch (command) {
        case kWill:
            if (Supported(option))
                theyWill_[option] = true;
            Say(Supported(option) ? kDo : kDont, option, replies);
            return;
        case kWont:
            theyWill_[option] = false;
            return;
        case kDo:
            if (Supported(option)) {
                weWill_[option] = true;
                comPortAccepted_ = comPortAccepted_ || option == kComPort;
            }
            Say(Supported(option) ? kWill : kWont, option, replies);
            return;
        default:
            weWill_[option] = false;
            comPortRefused_ = comPortRefused_ || option == kComPort;
            return;
    }
}

void TelnetSession::OnSubnegotiation() {
    if (sub_.size() < 2 || sub_[0] != kComPort)
        return;
    const int setting = sub_[1] - kServerOffset - kSetBaudRate;
    if (setting < 0 || setting >= kSettings)
        return;  // line and modem state, flow control: not needed here
    answers_[setting].emplace(sub_.begin() + 2, sub_.end());
}

void TelnetSession::Say(std::uint8_t command, std::uint8_t option,
                        std::vector<std::uint8_t>& replies) {
    bool& said = said_[command - kWill][option];
    if (said)
        return;
    said = true;
    replies.insert(replies.end(), {kIac, command, option});
}

}  // namespace orvel
