#include "number_text.h"

#include <algorithm>
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

// The longest hex-float text, with an exponent only when it is well formed: the C reader stops
// before the 'p' of "p+-1", the library's reader took it as p-1.
std::size_t HexFloatLength(std::string_view text) {
    auto digitsFrom = [&](std::size_t i, bool hex) {
        while (i < text.size() && (hex ? IsHexDigit(text[i]) : text[i] >= '0' && text[i] <= '9'))
            ++i;
        return i;
    };
    std::size_t end = digitsFrom(0, true);
    if (end < text.size() && text[end] == '.')
        end = digitsFrom(end + 1, true);
    if (end < text.size() && (text[end] | 0x20) == 'p') {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        if (const std::size_t digits = digitsFrom(exponent, false); digits > exponent)
            end = digits;
    }
    return end;
}

std::string_view Matched(const char* first, const char* end) {
    return {first, static_cast<std::size_t>(end - first)};
}

// Out of range, the C reader gives HUGE_VAL for a magnitude of one or more and 0 below: the
// order of the first non-zero digit plus the exponent decides, not the exponent's sign alone
// ("0.000...1e5" is tiny, "0x1000p-1" is huge).
bool MagnitudeAtLeastOne(std::string_view number, bool hex) {
    const char mark = hex ? 'p' : 'e';
    long long leadingDigits = 0;  // integer digits from the first non-zero one
    long long fractionZeros = 0;  // zeros after the point before the first non-zero digit
    bool nonZero = false;
    bool point = false;
    std::size_t i = 0;
    for (; i < number.size() && (number[i] | 0x20) != mark; ++i) {
        const char c = number[i];
        if (c == '.') {
            point = true;
        } else if (!point) {
            if (nonZero || c != '0') {
                nonZero = true;
                ++leadingDigits;
            }
        } else if (!nonZero) {
            if (c == '0')
                ++fractionZeros;
            else
                nonZero = true;
        }
    }
    const long long digitOrder = leadingDigits > 0 ? leadingDigits - 1 : -(fractionZeros + 1);
    long long exponent = 0;
    bool negativeExponent = false;
    if (i < number.size()) {
        ++i;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negativeExponent = number[i++] == '-';
        // Any exponent beyond this is out of range whatever the digits.
        constexpr long long kSaturated = 1000000000000LL;
        for (; i < number.size(); ++i)
            exponent = std::min(kSaturated, exponent * 10 + (number[i] - '0'));
    }
    if (negativeExponent)
        exponent = -exponent;
    return (hex ? 4 * digitOrder : digitOrder) + exponent >= 0;
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
        auto result = std::from_chars(first + 2, first + 2 + HexFloatLength({first + 2, last}),
                                      value, std::chars_format::hex);
        if (result.ec == std::errc::result_out_of_range)
            value = MagnitudeAtLeastOne(Matched(first + 2, result.ptr), true) ? HUGE_VAL : 0.0;
    } else {
        auto result = std::from_chars(first, last, value, std::chars_format::general);
        if (result.ec == std::errc::invalid_argument) {
            value = 0.0;
            negative = false;
        } else if (result.ec == std::errc::result_out_of_range) {
            value = MagnitudeAtLeastOne(Matched(first, result.ptr), false) ? HUGE_VAL : 0.0;
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
