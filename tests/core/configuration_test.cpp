#include "configuration.h"

#include <gtest/gtest.h>

#include <climits>

namespace orvel {
namespace {

TEST(ReadConfiguration, DefaultsWithoutAFileAndPlainReadingsWithOne) {
    const Configuration none = ReadConfiguration(IniFile{});
    EXPECT_EQ(none.minFreq, 223.0);
    EXPECT_EQ(none.maxFreq, 235.0);
    EXPECT_EQ(none.specialWord, "");
    EXPECT_EQ(none.portNumber, 1);
    EXPECT_EQ(none.device, "");

    // No range checks: Min above Max stays so. 125 zeros and "230" are cut to "...023".
    const Configuration some = ReadConfiguration(
        IniFile::FromText("[set]\r\nmin=236abc\r\nMAX=" + std::string(125, '0') +
                          "230\r\nWord= 12 34 56 \r\n" + "Device=/dev/ttyUSB0\r\n"));
    EXPECT_EQ(some.minFreq, 236.0);
    EXPECT_EQ(some.maxFreq, 23.0);
    EXPECT_EQ(some.specialWord, "12 34 56");
    EXPECT_EQ(some.device, "/dev/ttyUSB0");

    const auto longWord = ReadConfiguration(
        IniFile::FromText("[Set]\nWord=" + std::string(127, 'W') + "XYZ\nMin=x\n"));
    EXPECT_EQ(longWord.specialWord, std::string(127, 'W'));
    EXPECT_EQ(longWord.minFreq, 0.0);
}

TEST(ReadConfiguration, LimitsThatHoldNoFrequencyAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"Min=230\nMax=232\n", ""},
        {"Min=.5\nMax=+240abc\n", ""},
        {"Min=236\nMax=235\n", "Min 236 in the configuration is above Max 235"},
        {"Min=x\n", "Min \"x\" in the configuration is not a number"},
        {"Max=nan\n", "Max \"nan\" in the configuration is not a number"},
        {"Max=\n", "Max \"\" in the configuration is not a number"},
    };
    for (const auto& [lines, fault] : cases) {
        const auto ini = IniFile::FromText(std::string("[Set]\n") + lines);
        EXPECT_EQ(ReadConfiguration(ini).limitsFault, fault) << lines;
    }
}

TEST(ReadConfiguration, PortReadsLeadingDigitsAndFallsBackOnlyWhenEmpty) {
    const std::pair<const char*, int> cases[] = {{"7", 7},   {"3x", 3}, {"x", 0},
                                                 {"-2", -2}, {"", 1},   {"99999999999", INT_MAX}};
    for (const auto& [value, port] : cases) {
        const auto ini = IniFile::FromText(std::string("[Set]\nPort=") + value + "\n");
        EXPECT_EQ(ReadConfiguration(ini).portNumber, port) << value;
    }
    IniFile fresh;
    fresh.Set(kConfigSection, kPortKey, "3");
    EXPECT_EQ(ReadConfiguration(fresh).portNumber, 3);
}

TEST(ParseSpecialWord, ReadsThreeHexadecimalPairsWithBlanksBetween) {
    EXPECT_EQ(ParseSpecialWord("12 34 56"), (SpecialData{0x12, 0x34, 0x56}));
    // Blanks as the INI reader drops them around a value: a tab once passed where two spaces
    // did not.
    for (const char* blanks : {"AB\tCD\tEF", "AB  CD  EF", "AB \t CD EF", " AB CD EF\t"})
        EXPECT_EQ(ParseSpecialWord(blanks), (SpecialData{0xAB, 0xCD, 0xEF})) << blanks;

    // A pair that is not two of 0-9, A-F would go out as some other byte ('a' counts 42, "ab"
    // 0xCB; a letter O makes "1O" 0x28): no frame rather than an unintended word. Nor is
    // anything but blanks a separator.
    for (const char* other :
         {"", "12 34 5", "12 34 567", "信道", "ab cd ef", "G0  1 00", "1O 34 56", "12 34 5 ",
          "信道12", "AB-CD-EF", "09x7Fy00", "12,34,56", "123456", "12 3456", "12 34 56 78"}) {
        EXPECT_EQ(ParseSpecialWord(other), std::nullopt) << other;
    }
}

TEST(IniPathBesideProgram, PutsTheFileInTheProgramsFolder) {
    EXPECT_EQ(IniPathBesideProgram("/opt/orvel/bin"), "/opt/orvel/bin/OrvelTool.ini");
    EXPECT_EQ(IniPathBesideProgram("/opt/orvel/bin/"), "/opt/orvel/bin/OrvelTool.ini");
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST(ReadConfiguration, VerifyAndClassicTimingAreSwitchesThatIgnoreNonsense) {
    const Configuration none = ReadConfiguration(IniFile{});
    EXPECT_TRUE(none.verifyWrites);
    EXPECT_FALSE(none.classicTiming);
    const struct {
        const char* text;
        bool verify;
        bool classic;
    } cases[] = {
        {"Verify=0\nClassicTiming=1\n", false, true},
        {"Verify=2\nClassicTiming=0\n", true, false},
        {"Verify=-1\nClassicTiming= 1\n", true, true},
        {"Verify=off\nClassicTiming=yes\n", true, false},  // no number: the defaults
        {"Verify=\nClassicTiming=\n", true, false},
    };
    for (const auto& c : cases) {
        const Configuration config =
            ReadConfiguration(IniFile::FromText(std::string("[Set]\n") + c.text));
        EXPECT_EQ(config.verifyWrites, c.verify) << c.text;
        EXPECT_EQ(config.classicTiming, c.classic) << c.text;
    }
}

}  // namespace
}  // namespace orvel
