#include "number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orvel {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Both C readers start alike: white space, then an optional sign. Returns true for a minus.
bool SkipBlanksAndSign(std::string_view text, std::size_t& i) {
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        return text[i++] == '-';
    }
    return false;
}

// Out of range with a negative exponent: the C reader gives 0 (or a tiny value), otherwise
// HUGE_VAL.
bool Underflows(const char* first, const char* end, const char* exponentMarks) {
    std::string_view matched(first, static_cast<std::size_t>(end - first));
    const auto e = matched.find_first_of(exponentMarks);
    return e != std::string_view::npos && e + 1 < matched.size() && matched[e + 1] == '-';
}

}  // namespace

double ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    bool negative = SkipBlanksAndSign(text, i);
    // A second sign is no number: "--5" reads as 0, as the C reader has it.
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0.0;
    // from_chars takes neither a sign nor the "0x" prefix, both of which the C reader accepts.
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X') &&
        (IsHexDigit(first[2]) || (first[2] == '.' && last - first > 3 && IsHexDigit(first[3])))) {
        auto result = std::from_chars(first + 2, last, value, std::chars_format::hex);
        if (result.ec == std::errc::result_out_of_range)
            value = Underflows(first + 2, result.ptr, "pP") ? 0.0 : HUGE_VAL;
    } else {
        auto result = std::from_chars(first, last, value, std::chars_format::general);
        if (result.ec == std::errc::invalid_argument) {
            value = 0.0;
            negative = false;
        } else if (result.ec == std::errc::result_out_of_range) {
            value = Underflows(first, result.ptr, "eE") ? 0.0 : HUGE_VAL;
        }
    }
    return negative ? -value : value;
}

std::string FormatFixed(double value, int precision, int width, bool zeroPad) {
    std::string body;
    bool negative = std::signbit(value);
    double magnitude = std::fabs(value);
    if (std::isnan(value) || std::isinf(value)) {
        body = std::isnan(value) ? "nan" : "inf";
        zeroPad = false;  // printf pads inf and nan with blanks even under the 0 flag
    } else {
        char buffer[400];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::fixed, precision);
        body.assign(buffer, result.ptr);
    }
    std::string sign = negative ? "-" : "";
    int padding = width - static_cast<int>(sign.size() + body.size());
    if (padding <= 0)
        return sign + body;
    if (zeroPad)
        return sign + std::string(static_cast<std::size_t>(padding), '0') + body;
    return std::string(static_cast<std::size_t>(padding), ' ') + sign + body;
}

long long ReadInteger(std::string_view text) {
    std::size_t i = 0;
    const bool negative = SkipBlanksAndSign(text, i);
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < 100000000000000000LL)
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace orvel
