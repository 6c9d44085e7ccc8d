// Number reading and printing as the radio's data formats need them, independent of the
// process locale (a German locale must never turn "230.125" into 230).
#pragma once

#include <string>
#include <string_view>

namespace orvel {

// Reads text the way the C library's text-to-double conversion does: leading white space
// skipped, the longest leading part that forms a number is used ("224abc" gives 224), and
// text without such a part gives 0.
double ReadDecimal(std::string_view text);

// Like printf("%<width>.<precision>f"), or "%0<width>.<precision>f" with zeroPad.
std::string FormatFixed(double value, int precision, int width, bool zeroPad = false);

// Like the C library's integer reader used for INI integers: optional blanks and sign, then
// decimal digits; anything else stops the reading; no digits give 0.
long long ReadInteger(std::string_view text);

}  // namespace orvel
