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

TEST(ParseSpecialWord, ReadsThreePairsOfExactlyEightBytes) {
    EXPECT_EQ(ParseSpecialWord("12 34 56"), (SpecialData{0x12, 0x34, 0x56}));
    EXPECT_EQ(ParseSpecialWord("AB-CD-EF"), (SpecialData{0xAB, 0xCD, 0xEF}));
    // Other characters count their code minus 55: 'a' is 42, so "ab" is 16 * 42 + 43 = 0x2CB;
    // 'G' is 16, so "G0" wraps to 0; a blank is -23, so " 1" is 0x91.
    EXPECT_EQ(ParseSpecialWord("ab cd ef"), (SpecialData{0xCB, 0xED, 0x0F}));
    EXPECT_EQ(ParseSpecialWord("G0  1 00"), (SpecialData{0x00, 0x91, 0x00}));

    for (const char* other : {"", "12 34 5", "12 34 567", "信道"}) {
        EXPECT_EQ(ParseSpecialWord(other), std::nullopt) << other;
    }
    EXPECT_NE(ParseSpecialWord("信道12"), std::nullopt);  // four characters, eight bytes
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
