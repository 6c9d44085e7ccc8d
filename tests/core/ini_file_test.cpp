#include "ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "channel_file.h"
#include "test_files.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

TEST(IniFile, GetMatchesWithoutCaseTrimsAndTakesValuesLiterally) {
    const IniFile ini = IniFile::FromText(
        "Port=8\r\n"
        "[ set ]\r\n"
        ";Port=9\r\n"
        "  Min =  230.5 \t\r\n"
        "word=12,34,56 ; \"x\"\r\n"
        "Path=a=b\r\nEmpty=\r\nNoEquals\r\nMIN=1\r\n"
        "Quoted=\"12 34 56\"\r\nSingle='x'\r\nHalf=\"ab\r\nMixed=\"ab'\r\n"
        "[Other]\r\nMax=240\r\n"
        "[SET]\r\nMax=250");
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"SET", "min", "230.5"},
        {"Set", "WORD", "12,34,56 ; \"x\""},
        {"Set", "Path", "a=b"},
        {"Set", "Empty", ""},
        {"Set", "NoEquals", std::nullopt},
        {"Set", "Quoted", "12 34 56"},  // one pair of matching quotes goes
        {"Set", "Single", "x"},
        {"Set", "Half", "\"ab"},
        {"Set", "Mixed", "\"ab'"},
        {"Set", ";Port", std::nullopt},
        {"Other", "Max", "240"},
        {"Set", "Port", std::nullopt},  // before any section
        {"Set", "Max", std::nullopt},   // the second [SET] is never searched
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.Get(c.section, c.key), c.value) << c.key;
}

TEST(IniFile, SetAndRemoveTouchOnlyTheirLine) {
    const struct {
        const char* before;
        const char* key;
        const char* value;  // nullptr: remove
        const char* after;
    } cases[] = {
        // The key keeps its spelling, the line its ending, everything else its bytes.
        {";c\r\n\r\n[Set]\r\n  port = 1 \r\nMin=2\r\n[Other]\r\nPort=7", "PORT", "3",
         ";c\r\n\r\n[Set]\r\nport=3\r\nMin=2\r\n[Other]\r\nPort=7"},
        {"[Set]\nPort\nMin=1\n", "port", "2", "[Set]\nPort=2\nMin=1\n"},
        // New keys follow the section's last key, in the file's line ending.
        {"[Set]\nMin=1\n;c\nMax=2\n\n;d\n[Other]\n", "Port", "3",
         "[Set]\nMin=1\n;c\nMax=2\nPort=3\n\n;d\n[Other]\n"},
        {"[Set]\r\n\r\n[Other]\r\n", "Port", "4", "[Set]\r\nPort=4\r\n\r\n[Other]\r\n"},
        {"A=1\n[Set]", "Port", "4", "A=1\n[Set]\nPort=4\n"},
        {"[Set]\r\nMin=1", "Max", "2", "[Set]\r\nMin=1\r\nMax=2\r\n"},
        // A missing section is appended; a file without line breaks gets CRLF.
        {"[Other]\nA=1", "Port", "3", "[Other]\nA=1\n[Set]\nPort=3\n"},
        {";c\r\n", "Port", "3", ";c\r\n[Set]\r\nPort=3\r\n"},
        {"", "Port", "3", "[Set]\r\nPort=3\r\n"},
        {"", "Word", "12 34\r\n[X]", "[Set]\r\nWord=12 34\r\n"},
        // Remove takes every line of the key in the first section of that name, and leaves
        // the section.
        {"[Set]\r\n;c\r\nPort=3\r\nMin=1\r\nPORT=4\r\n "
         "port\r\n[Other]\r\nPort=5\r\n[Set]\r\nPort=6",
         "port", nullptr, "[Set]\r\n;c\r\nMin=1\r\n[Other]\r\nPort=5\r\n[Set]\r\nPort=6"},
        {"[Set]\r\nPort=3", "Port", nullptr, "[Set]\r\n"},
        {"[Set]\r\nPort=3\r\n", "Min", nullptr, "[Set]\r\nPort=3\r\n"},
    };
    for (const auto& c : cases) {
        IniFile ini = IniFile::FromText(c.before);
        if (c.value) {
            ini.Set("Set", c.key, c.value);
        } else {
            ini.Remove("SET", c.key);
        }
        EXPECT_EQ(ini.Text(), c.after) << c.before;
    }
}

TEST(IniFile, LoadsAndSavesFilesByteForByte) {
    const test::TempFolder temp("orvel-ini");
    const fs::path dir = temp.path();
    const std::string path = Utf8FromPath(dir / "OrvelTool.ini");
    std::string error;

    IniFile ini = IniFile::FromText("[Set]\nPort=9\n");
    ASSERT_TRUE(IniFile::Load(path, ini, error)) << error;
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.Text(), "");

    // Mixed endings and a byte order mark, which does not hide the first section.
    const std::string text = "\xEF\xBB\xBF[Set]\r\nWord=12 34 56\nPort=2";
    ASSERT_TRUE(IniFile::FromText(text).Save(path, error)) << error;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
    ASSERT_TRUE(IniFile::Load(path, ini, error)) << error;
    EXPECT_TRUE(ini.exists());
    EXPECT_EQ(ini.Text(), text);
    EXPECT_EQ(ini.Get("Set", "Port"), "2");

    EXPECT_FALSE(IniFile::Load(Utf8FromPath(dir), ini, error));  // a folder is no file
    error.clear();
    EXPECT_FALSE(ini.Save(Utf8FromPath(dir / "missing" / "OrvelTool.ini"), error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace orvel
