// The Telnet side of an rfc2217:// port on bytes alone, without a connection: what the server
// sends is taken apart into the radio's bytes, the answers owed to the server and the server's
// answers to the line settings (RFC 854, 855, 856, 858, 2217). The server may send anything;
// what that can cost is bounded here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvel {

class TelnetSession {
public:
    // The longest subnegotiation taken. What a COM-port server says in one (a signature, a
    // setting, a line state) is far shorter.
    static constexpr std::size_t kLongestSubnegotiation = 1024;

    // The line settings COM-port control agrees, in the order they are sent.
    enum Setting { kBaudRate, kDataSize, kParity, kStopSize, kSettings };

    // The client's side of the first exchange: binary and suppress-go-ahead both ways (CR and NUL
    // stay data, the line is full duplex), and COM-port control offered.
    std::vector<std::uint8_t> Opening();
    // The SET command of COM-port control for `setting`.
    static std::vector<std::uint8_t> SetCommand(Setting setting,
                                                const std::vector<std::uint8_t>& value);
    // `byte` as it goes to the server: IAC doubled, CR followed by NUL outside binary mode.
    void Encode(std::uint8_t byte, std::vector<std::uint8_t>& wire) const;

    // Takes what the server sent: the radio's bytes go to `data`, the answers owed to the
    // server to `replies`. Once the server broke a bound, nothing more is taken.
    void Take(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& data,
              std::vector<std::uint8_t>& replies);

    // What the server did that ended the session; empty while it keeps within bounds.
    const std::string& Fault() const { return fault_; }
    bool ComPortAccepted() const { return comPortAccepted_; }
    bool ComPortRefused() const { return comPortRefused_; }
    // The server's answer to the SET command of `setting`, once it came.
    const std::optional<std::vector<std::uint8_t>>& Answer(Setting setting) const {
        return answers_[setting];
    }
    // Option commands the server sent again after sending them once: a server that keeps on
    // has its negotiation in a loop. A repeat is not answered again.
    int Repeats() const { return repeats_; }

private:
    enum class State { Data, Command, Option, Sub, SubCommand, Ended };
    void Take(std::uint8_t byte, std::vector<std::uint8_t>& data,
              std::vector<std::uint8_t>& replies);
    void OnOption(std::uint8_t command, std::uint8_t option, std::vector<std::uint8_t>& replies);
    void OnSubnegotiation();
    void Say(std::uint8_t command, std::uint8_t option, std::vector<std::uint8_t>& replies);

    State state_ = State::Data;
    std::uint8_t command_ = 0;
    std::vector<std::uint8_t> sub_;
    bool lastWasCr_ = false;
    std::string fault_;
    // Per option: what each side has agreed to, what this side has said (WILL, WONT, DO, DONT)
    // and which commands the server has sent.
    std::array<bool, 256> weWill_{};
    std::array<bool, 256> theyWill_{};
    std::array<std::array<bool, 256>, 4> said_{};
    std::array<std::array<bool, 256>, 4> heard_{};
    int repeats_ = 0;
    bool comPortAccepted_ = false;
    bool comPortRefused_ = false;
    std::array<std::optional<std::vector<std::uint8_t>>, kSettings> answers_{};
};

}  // namespace orvel
