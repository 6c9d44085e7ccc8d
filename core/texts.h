// The texts of core/, link/ and ops/ are Chinese, as files, traces and orvelctl's output show
// them. ORVEL_TR marks each one where it is written, so that scripts/update-translations gathers
// them for the window, all under the one context below.
// A text with a number in it is a Message: the marked text with %1 where the number goes, and
// the number; the window translates the text first and puts the number in afterwards.
#pragma once

#include <string>
#include <string_view>

#define ORVEL_TR(text) text

namespace orvel {

inline constexpr std::string_view kTextContext = "CoreText";

// How a message's number is written.
enum class NumberForm { Decimal, HexByte };  // 12, 0x0C

struct Message {
    std::string_view text;  // marked with ORVEL_TR, also the message's identity
    int number = 0;         // replaces %1 when the text has one
    NumberForm form = NumberForm::Decimal;

    bool Is(const Message& other) const { return text == other.text; }
};

// The message's number as it is written into the text: "12" or "0x0C".
std::string MessageNumber(const Message& message);
// The Chinese text with its number in place.
std::string FormatText(const Message& message);
// The same as a log line, ending in "\r\n".
std::string FormatLine(const Message& message);

}  // namespace orvel
