#include "echo_text.h"

#include <cstdio>
#include <vector>

namespace orvel {
namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// One character of the output: an escape, or one UTF-8 sequence kept whole.
std::size_t NextPiece(std::string_view text, std::size_t at, std::string& piece) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (IsControl(c)) {
        switch (c) {
            case '\t':
                piece = "\\t";
                break;
            case '\n':
                piece = "\\n";
                break;
            case '\r':
                piece = "\\r";
                break;
            default: {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                piece = hex;
            }
        }
        return 1;
    }
    std::size_t length = 1;
    while (at + length < text.size() &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
        ++length;
    piece.assign(text.substr(at, length));
    return length;
}

std::string Escaped(std::string_view text, std::size_t limit) {
    std::string out;
    std::string piece;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t used = NextPiece(text, at, piece);
        const std::size_t width =
            IsControl(static_cast<unsigned char>(text[at])) ? piece.size() : 1;
        if (characters + width > limit ||
            (characters + width == limit && at + used < text.size())) {
            out += "…";
            return out;
        }
        out += piece;
        characters += width;
        at += used;
    }
    return out;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    return Escaped(text, std::string_view::npos);
}

std::string EchoText(std::string_view text) {
    return Escaped(text, kEchoLength);
}

std::string EchoMessage(std::string_view text) {
    std::string escaped = EscapeControls(text);
    std::vector<std::size_t> starts;  // where each character begins
    for (std::size_t at = 0; at < escaped.size(); ++at) {
        if ((static_cast<unsigned char>(escaped[at]) & 0xC0) != 0x80)
            starts.push_back(at);
    }
    if (starts.size() <= kMessageLength)
        return escaped;
    constexpr std::size_t kHead = kMessageLength / 3;
    constexpr std::size_t kTail = kMessageLength - kHead - 1;
    return escaped.substr(0, starts[kHead]) + "…" + escaped.substr(starts[starts.size() - kTail]);
}

}  // namespace orvel
