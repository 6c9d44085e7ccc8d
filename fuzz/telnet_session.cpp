// What a serial device server sends over Telnet, taken apart by the rfc2217:// port's decoder:
// taken whole or piece by piece it gives the same, every answer owed is said at most once, and
// the radio's bytes pass both ways unchanged.
#include <algorithm>
#include <set>
#include <vector>

#include "fuzz_target.h"
#include "telnet_session.h"

namespace orvel::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kIac = 255;

struct Taken {
    Bytes data;
    Bytes replies;
    TelnetSession session;
};

// Takes `wire` in pieces of `step` bytes (all at once for 0).
Taken TakeIn(const Bytes& wire, std::size_t step) {
    Taken taken;
    step = step == 0 ? std::max<std::size_t>(wire.size(), 1) : step;
    for (std::size_t at = 0; at < wire.size(); at += step) {
        taken.session.Take(wire.data() + at, std::min(step, wire.size() - at), taken.data,
                           taken.replies);
    }
    return taken;
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzTelnetSession) {
    Input input(data, size);
    const std::uint8_t control = input.Byte();
    const std::string_view rest = input.Rest();
    const Bytes wire(rest.begin(), rest.end());

    const Taken whole = TakeIn(wire, 0);
    const Taken pieces = TakeIn(wire, control % 7 + 1);
    FUZZ_CHECK(pieces.data == whole.data, "the radio's bytes depend on how they were cut");
    FUZZ_CHECK(pieces.replies == whole.replies, "the answers depend on how the bytes were cut");
    FUZZ_CHECK(pieces.session.Fault() == whole.session.Fault(), "the fault depends on the cuts");
    FUZZ_CHECK(pieces.session.Repeats() == whole.session.Repeats(), "repeats depend on the cuts");
    for (int i = 0; i < TelnetSession::kSettings; ++i) {
        const auto setting = TelnetSession::Setting(i);
        FUZZ_CHECK(pieces.session.Answer(setting) == whole.session.Answer(setting),
                   "a setting's answer depends on the cuts");
    }
    FUZZ_CHECK(whole.data.size() <= wire.size(), "more bytes out than came in");

    // Answers are whole commands, none said twice: however the server loops, what it gets back
    // is bounded.
    FUZZ_CHECK(whole.replies.size() % 3 == 0, "an answer cut short");
    std::set<std::pair<std::uint8_t, std::uint8_t>> said;
    for (std::size_t at = 0; at < whole.replies.size(); at += 3) {
        FUZZ_CHECK(whole.replies[at] == kIac && whole.replies[at + 1] >= 251,
                   "an answer that is no option command");
        FUZZ_CHECK(said.emplace(whole.replies[at + 1], whole.replies[at + 2]).second,
                   "an answer said twice");
    }

    // Without IAC everything is the radio's, but the NUL that follows a CR outside binary mode.
    if (std::find(wire.begin(), wire.end(), kIac) == wire.end()) {
        Bytes expected;
        for (std::size_t i = 0; i < wire.size(); ++i) {
            if (!(wire[i] == 0 && i > 0 && wire[i - 1] == '\r'))
                expected.push_back(wire[i]);
        }
        FUZZ_CHECK(whole.data == expected, "plain bytes changed on the way");
        FUZZ_CHECK(whole.replies.empty() && whole.session.Fault().empty(), "plain bytes answered");
    }

    // What one side encodes, the other decodes unchanged, in binary mode and outside it.
    TelnetSession sender;
    TelnetSession receiver;
    Bytes ignored;
    if (control & 0x80) {
        const Bytes doBinary = {kIac, 253, 0};
        const Bytes willBinary = {kIac, 251, 0};
        sender.Take(doBinary.data(), doBinary.size(), ignored, ignored);
        receiver.Take(willBinary.data(), willBinary.size(), ignored, ignored);
    }
    Bytes encoded;
    for (const std::uint8_t byte : wire)
        sender.Encode(byte, encoded);
    Bytes decoded;
    receiver.Take(encoded.data(), encoded.size(), decoded, ignored);
    FUZZ_CHECK(decoded == wire, "the radio's bytes changed between encoder and decoder");
    return 0;
}

}  // namespace orvel::fuzz
