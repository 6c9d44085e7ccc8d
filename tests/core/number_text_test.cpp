#include "number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvel {
namespace {

TEST(ReadDecimal, ReadsTheLongestLeadingNumberLikeTheCLibrary) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"230.125", 230.125}, {"224abc", 224.0}, {"", 0.0},        {"abc", 0.0},
        {"  223", 223.0},     {"\t-5.5", -5.5},  {"+7", 7.0},      {".5", 0.5},
        {"5.", 5.0},          {"1e3", 1000.0},   {"1e", 1.0},      {"1e+", 1.0},
        {"-", 0.0},           {".", 0.0},        {"001E50", 1e50}, {"0x10", 16.0},
        {"0x", 0.0},          {"230A00", 230.0}, {"FFFFFF", 0.0},  {"1.2.3", 1.2},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ReadDecimal(c.text), c.value) << c.text;
}

TEST(ReadDecimal, OverflowAndInfinityFollowTheCLibrary) {
    EXPECT_TRUE(std::isinf(ReadDecimal("1e999")));
    EXPECT_EQ(ReadDecimal("1e-999"), 0.0);
    EXPECT_EQ(ReadDecimal("0x1p-99999"), 0.0);
    EXPECT_TRUE(std::isinf(ReadDecimal("0x1p99999")));
    EXPECT_TRUE(std::isinf(ReadDecimal("inf")));
    EXPECT_TRUE(std::isnan(ReadDecimal("nan")));
}

TEST(ReadDecimal, OutOfRangeGoesByTheMagnitudeLikeStrtod) {
    // The exponent's sign alone once decided: the first two read as inf and 0.
    const std::string tiny = "0." + std::string(330, '0') + "1";
    const std::string hexHuge = "0x1" + std::string(300, '0') + "p-1";
    const std::string bigNegativeExponent = "1" + std::string(400, '0') + "e-10";
    const std::string tinyPositiveExponent = "0." + std::string(400, '0') + "1e+50";
    for (const std::string& text : std::vector<std::string>{
             tiny, "-" + tiny, hexHuge, "-" + hexHuge, bigNegativeExponent, tinyPositiveExponent,
             "0x0.0000001p-1050", "0x.000000001p+-1", "0x1p-", "0x1.8P+3x", "0x1p++2",
             "0x1.fffffffffffff8p1023", "1e-400", "1e400", "0x1p-1080"}) {
        const double expected = std::strtod(text.c_str(), nullptr);
        const double read = ReadDecimal(text);
        EXPECT_EQ(read, expected) << text.substr(0, 40);
        EXPECT_EQ(std::signbit(read), std::signbit(expected)) << text.substr(0, 40);
    }
    EXPECT_EQ(ReadDecimal(tiny), 0.0);
    EXPECT_TRUE(std::isinf(ReadDecimal(hexHuge)));
}

TEST(ReadDecimal, IgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        std::setlocale(LC_NUMERIC, "C");
    }
    EXPECT_DOUBLE_EQ(ReadDecimal("230.125"), 230.125);
    EXPECT_EQ(FormatFixed(230.125, 3, 6), "230.125");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatFixed, MatchesPrintfWidthPrecisionAndPadding) {
    EXPECT_EQ(FormatFixed(0.1, 3, 6), " 0.100");
    EXPECT_EQ(FormatFixed(45.0, 3, 6), "45.000");
    EXPECT_EQ(FormatFixed(230.125, 3, 6), "230.125");
    EXPECT_EQ(FormatFixed(45000.0, 0, 6, true), "045000");
    EXPECT_EQ(FormatFixed(45000.0, 0, 6, false), " 45000");
    EXPECT_EQ(FormatFixed(0.0, 0, 6, true), "000000");
    EXPECT_EQ(FormatFixed(1000000.0, 0, 6, true), "1000000");
    EXPECT_EQ(FormatFixed(-5000.0, 0, 6, true), "-05000");
    EXPECT_EQ(FormatFixed(-5000.0, 0, 6, false), " -5000");
    EXPECT_EQ(FormatFixed(230124.99999999997, 0, 6, true), "230125");
    EXPECT_EQ(FormatFixed(2.5, 0, 1), "2");  // ties to even, as printf
    EXPECT_EQ(FormatFixed(HUGE_VAL, 0, 6, true), "   inf");
}

TEST(FormatDecimalText, RoundsTheDigitsAsWrittenWithHalvesAwayFromZero) {
    EXPECT_EQ(FormatDecimalText("230.0125", 0, 3, 6), "230.013");
    EXPECT_EQ(FormatDecimalText("0.0625", 0, 3, 6), " 0.063");  // printf: 0.062, a tie to even
    EXPECT_EQ(FormatDecimalText("999.9995", 0, 3, 6), "1000.000");
    EXPECT_EQ(FormatDecimalText("-0.0004", 0, 3, 6), "-0.000");
    EXPECT_EQ(FormatDecimalText("  +45e-1x", 0, 3, 6), " 4.500");
    EXPECT_EQ(FormatDecimalText("230.1255", 3, 0, 6, true), "230126");
    EXPECT_EQ(FormatDecimalText("0.1", 3, 0, 6, true), "000100");
    // What is not written in decimal digits is read and printed as before.
    EXPECT_EQ(FormatDecimalText("0x10", 0, 3, 6), "16.000");
    EXPECT_EQ(FormatDecimalText("abc", 0, 3, 6), " 0.000");
    EXPECT_EQ(FormatDecimalText("1e400", 0, 3, 6), "   inf");
}

TEST(CompareDecimalText, ComparesTheDigitsAsWrittenWithTheLimitsShortestForm) {
    EXPECT_EQ(CompareDecimalText("235.0000000000000000001", 235.0), 1);
    EXPECT_EQ(CompareDecimalText("234.9999999999999999999", 235.0), -1);
    EXPECT_EQ(CompareDecimalText("235.000", 235.0), 0);
    EXPECT_EQ(CompareDecimalText("230.1245", 230.1245), 0);
    EXPECT_EQ(CompareDecimalText("-0", 0.0), 0);
    EXPECT_EQ(CompareDecimalText("-1", -0.5), -1);
    EXPECT_EQ(CompareDecimalText("5", HUGE_VAL), -1);
    EXPECT_EQ(CompareDecimalText("nan", 1.0), std::nullopt);
}

TEST(ReadInteger, ReadsDecimalDigitsAfterOptionalSign) {
    EXPECT_EQ(ReadInteger("3"), 3);
    EXPECT_EQ(ReadInteger(" 12abc"), 12);
    EXPECT_EQ(ReadInteger("-2"), -2);
    EXPECT_EQ(ReadInteger("x"), 0);
    EXPECT_EQ(ReadInteger(""), 0);
}

}  // namespace
}  // namespace orvel
