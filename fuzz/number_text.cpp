// The number reader and printer against the C library they promise to match, in the C locale
// (a fuzzing process never changes it).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "fuzz_target.h"
#include "number_text.h"

namespace orvel::fuzz {
namespace {

bool SameDouble(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

std::string Shown(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%a (%.17g)", value, value);
    return text;
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzNumberText) {
    Input input(data, size);
    const std::uint8_t mode = input.Byte();
    if (mode % 4 == 2) {
        // Digits as written never contradict the doubles they read as: beside a limit apart
        // from the text's double, the exact comparison agrees with the doubles'.
        double limit = 0;
        unsigned char bits[sizeof limit] = {};
        for (unsigned char& b : bits)
            b = input.Byte();
        std::memcpy(&limit, bits, sizeof limit);
        const int shift = input.Byte() % 7 - 3;
        const std::string text(input.Rest());
        const double read = ReadDecimal(text);
        const std::optional<int> order = CompareDecimalText(text, limit);
        if (!std::isnan(read) && !std::isnan(limit) && read != limit) {
            FUZZ_CHECK(order == (read < limit ? -1 : 1),
                       "\"" + text + "\" against " + Shown(limit) + ": " +
                           (order ? std::to_string(*order) : "none"));
        }
        FormatDecimalText(text, shift, limit > 0 ? 3 : 0, 6);
        return 0;
    }
    if (mode % 2 == 0) {
        // strtod stops at a NUL, so the comparison holds for the text before one.
        std::string_view rest = input.Rest();
        const std::string text(rest.substr(0, rest.find('\0')));
        const double expected = std::strtod(text.c_str(), nullptr);
        const double read = ReadDecimal(text);
        FUZZ_CHECK(SameDouble(read, expected),
                   "\"" + text + "\": read " + Shown(read) + ", strtod " + Shown(expected));
        return 0;
    }
    double value = 0;
    unsigned char bits[sizeof value] = {};
    for (unsigned char& b : bits)
        b = input.Byte();
    std::memcpy(&value, bits, sizeof value);
    const int precision = input.Byte() % 20;
    const int width = input.Byte() % 40;
    const bool zeroPad = input.Byte() % 2 == 1;
    char expected[512];
    std::snprintf(expected, sizeof expected, zeroPad ? "%0*.*f" : "%*.*f", width, precision, value);
    const std::string printed = FormatFixed(value, precision, width, zeroPad);
    FUZZ_CHECK(printed == expected, Shown(value) + " precision " + std::to_string(precision) +
                                        " width " + std::to_string(width) + ": \"" + printed +
                                        "\", printf \"" + expected + "\"");
    return 0;
}

}  // namespace orvel::fuzz
