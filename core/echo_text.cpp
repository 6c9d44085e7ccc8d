#include "echo_text.h"

#include <cstdio>
#include <vector>

namespace orvel {
namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// U+0080..U+009F in UTF-8.
bool IsC1(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F &&
           IsContinuation(static_cast<unsigned char>(text[at + 1]));
}

// One character of the output: an escape (true), or one UTF-8 sequence kept whole.
bool NextPiece(std::string_view text, std::size_t at, std::string& piece, std::size_t& used) {
    const auto c = static_cast<unsigned char>(text[at]);
    char hex[8];
    used = 1;
    // A lone byte 0x80..0x9F is a C1 control to a terminal of an 8-bit code page.
    if (IsControl(c) || (c >= 0x80 && c <= 0x9F)) {
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
            default:
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                piece = hex;
        }
        return true;
    }
    if (IsC1(text, at)) {
        std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned char>(text[at + 1]));
        piece = hex;
        used = 2;
        return true;
    }
    while (at + used < text.size() && IsContinuation(static_cast<unsigned char>(text[at + used])))
        ++used;
    piece.assign(text.substr(at, used));
    return false;
}

std::string Escaped(std::string_view text, std::size_t limit) {
    std::string out;
    std::string piece;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t used = 0;
        const std::size_t width = NextPiece(text, at, piece, used) ? piece.size() : 1;
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

LabelFault CheckLabel(std::string_view label) {
    if (label.size() > kLongestLabel)
        return LabelFault::TooLong;
    for (std::size_t at = 0; at < label.size(); ++at) {
        if (IsControl(static_cast<unsigned char>(label[at])) || IsC1(label, at))
            return LabelFault::Control;
    }
    return LabelFault::None;
}

std::string LabelFaultText(std::string_view label) {
    switch (CheckLabel(label)) {
        case LabelFault::None:
            return {};
        case LabelFault::TooLong:
            return "is longer than " + std::to_string(kLongestLabel) + " bytes";
        case LabelFault::Control:
            break;
    }
    std::size_t at = 0;
    while (!IsControl(static_cast<unsigned char>(label[at])) && !IsC1(label, at))
        ++at;
    return "holds a control character (" +
           EscapeControls(label.substr(at, IsC1(label, at) ? 2 : 1)) + ")";
}

}  // namespace orvel
