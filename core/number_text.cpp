#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
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

// A number in decimal digits as written: digits × 10^exponent, without leading or trailing
// zeros (no digits for zero).
struct ExactDecimal {
    bool negative = false;
    std::string digits;
    long long exponent = 0;

    long long Order() const { return static_cast<long long>(digits.size()) + exponent; }
};

// Beyond this order of magnitude no frequency or limit is meant; doubles decide there.
constexpr long long kExactOrder = 30;

// The leading number of `text` as ReadDecimal reads it, when it is written in decimal digits with
// or without an exponent; nullopt for hexadecimal, inf, nan, no number, or a huge one.
std::optional<ExactDecimal> ReadExactDecimal(std::string_view text) {
    std::size_t i = 0;
    ExactDecimal number;
    number.negative = SkipBlanksAndSign(text, i);
    const auto digit = [&](std::size_t at) {
        return at < text.size() && text[at] >= '0' && text[at] <= '9';
    };
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] | 0x20) == 'x')
        return std::nullopt;
    bool any = false;
    for (; digit(i); ++i, any = true)
        number.digits += text[i];
    if (i < text.size() && text[i] == '.') {
        for (++i; digit(i); ++i, any = true) {
            number.digits += text[i];
            --number.exponent;
        }
    }
    if (!any)
        return std::nullopt;
    if (i < text.size() && (text[i] | 0x20) == 'e') {
        std::size_t at = i + 1;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            negativeExponent = text[at++] == '-';
        long long exponent = 0;
        for (; digit(at); ++at)
            exponent = std::min(1000000000000LL, exponent * 10 + (text[at] - '0'));
        if (at > i + 1 && digit(at - 1))
            number.exponent += negativeExponent ? -exponent : exponent;
    }
    const std::size_t first = number.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        number.digits.clear();
        number.exponent = 0;
        return number;
    }
    number.digits.erase(0, first);
    const std::size_t last = number.digits.find_last_not_of('0');
    number.exponent += static_cast<long long>(number.digits.size() - 1 - last);
    number.digits.erase(last + 1);
    if (number.Order() > kExactOrder)
        return std::nullopt;
    return number;
}

// Padding as printf pads a number's sign and digits.
std::string Padded(bool negative, const std::string& body, int width, bool zeroPad) {
    const std::string sign = negative ? "-" : "";
    const int padding = width - static_cast<int>(sign.size() + body.size());
    if (padding <= 0)
        return sign + body;
    if (zeroPad)
        return sign + std::string(static_cast<std::size_t>(padding), '0') + body;
    return std::string(static_cast<std::size_t>(padding), ' ') + sign + body;
}

}  // namespace

std::string FormatDecimalText(std::string_view text, int shift, int precision, int width,
                              bool zeroPad) {
    const std::optional<ExactDecimal> number = ReadExactDecimal(text);
    if (!number) {
        double value = ReadDecimal(text);
        for (int i = 0; i < shift; ++i)
            value *= 10.0;
        for (int i = 0; i > shift; --i)
            value /= 10.0;
        return FormatFixed(value, precision, width, zeroPad);
    }
    // The value × 10^(shift + precision) as whole units: every digit and zeros after, or the
    // leading digits with the first one dropped deciding the rounding.
    const long long scale = number->exponent + shift + precision;
    const std::string& digits = number->digits;
    std::string units = "0";
    if (digits.empty()) {
        // zero, signed as written
    } else if (scale >= 0) {
        units = digits + std::string(static_cast<std::size_t>(scale), '0');
    } else {
        const long long keep = static_cast<long long>(digits.size()) + scale;
        if (keep > 0)
            units = digits.substr(0, static_cast<std::size_t>(keep));
        if (keep >= 0 && digits[static_cast<std::size_t>(keep)] >= '5') {
            std::size_t at = units.size();
            while (at > 0 && units[at - 1] == '9')
                units[--at] = '0';
            if (at == 0)
                units.insert(units.begin(), '1');
            else
                ++units[at - 1];
        }
    }
    if (units.size() < static_cast<std::size_t>(precision) + 1)
        units.insert(0, static_cast<std::size_t>(precision) + 1 - units.size(), '0');
    if (precision > 0)
        units.insert(units.size() - static_cast<std::size_t>(precision), ".");
    return Padded(number->negative, units, width, zeroPad);
}

std::optional<int> CompareDecimalText(std::string_view text, double limit) {
    if (std::isnan(limit))
        return std::nullopt;
    std::optional<ExactDecimal> number = ReadExactDecimal(text);
    std::optional<ExactDecimal> bound;
    if (number && std::isfinite(limit)) {
        char shortest[64];
        const auto result = std::to_chars(shortest, shortest + sizeof shortest, limit);
        bound = ReadExactDecimal(std::string_view(shortest, std::size_t(result.ptr - shortest)));
    }
    if (!number || !bound) {
        const double value = ReadDecimal(text);
        if (std::isnan(value))
            return std::nullopt;
        return value < limit ? -1 : (value > limit ? 1 : 0);
    }
    const auto signOf = [](const ExactDecimal& n) {
        return n.digits.empty() ? 0 : (n.negative ? -1 : 1);
    };
    const int a = signOf(*number);
    const int b = signOf(*bound);
    if (a != b || a == 0)
        return a < b ? -1 : (a > b ? 1 : 0);
    // Without leading or trailing zeros, equal orders compare digit by digit.
    int magnitude = 0;
    if (number->Order() != bound->Order())
        magnitude = number->Order() < bound->Order() ? -1 : 1;
    else if (const int order = number->digits.compare(bound->digits); order != 0)
        magnitude = order < 0 ? -1 : 1;
    return a * magnitude;
}

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
    return Padded(negative, body, width, zeroPad);
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
