#include "texts.h"

#include <cstdio>

namespace orvel {

std::string MessageNumber(const Message& message) {
    if (message.form == NumberForm::HexByte) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", message.number & 0xFF);
        return text;
    }
    return std::to_string(message.number);
}

std::string FormatText(const Message& message) {
    std::string text(message.text);
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, MessageNumber(message));
    return text;
}

std::string FormatLine(const Message& message) {
    return FormatText(message) + "\r\n";
}

}  // namespace orvel
