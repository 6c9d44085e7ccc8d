// Number reading and printing as the radio's data formats need them, independent of the
// process locale (a German locale must never turn "230.125" into 230).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// Reads text the way the C library's text-to-double conversion does: leading white space
// skipped, the longest leading part that forms a number is used ("224abc" gives 224), and
// text without such a part gives 0.
double ReadDecimal(std::string_view text);

// Like printf("%<width>.<precision>f"), or "%0<width>.<precision>f" with zeroPad.
std::string FormatFixed(double value, int precision, int width, bool zeroPad = false);

// The number `text` holds (read as ReadDecimal reads it) times 10^shift, rounded to `precision`
// decimals on its digits as written, halves away from zero ("230.0125" -> "230.013", "-0.0005"
// -> "-0.001"), and printed as FormatFixed prints. A double would round some halves down
// (230.0125 is stored as 230.01249999...). Hexadecimal numbers, inf, nan and magnitudes beyond
// 1e30 go through ReadDecimal and FormatFixed.
std::string FormatDecimalText(std::string_view text, int shift, int precision, int width,
                              bool zeroPad = false);

// Whether the number `text` holds lies below (-1), at (0) or above (1) `limit`, on its digits as
// written against the limit's shortest decimal form: "235.0000000000000000001" lies above 235,
// although both read as the same double. nullopt when either is nan.
std::optional<int> CompareDecimalText(std::string_view text, double limit);

// Like the C library's integer reader used for INI integers: optional blanks and sign, then
// decimal digits; anything else stops the reading; no digits give 0.
long long ReadInteger(std::string_view text);

}  // namespace orvel
