// Files and folders for the core's tests, the same on POSIX and Windows.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace orvel::test {

// Text of a u8"" literal as the program carries it: UTF-8 in a std::string.
inline std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

// A moment of local time, as the backup store names its copies by it.
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// Root writes through any permission bit, so a refusal cannot be seen then.
inline bool RunsAsRoot() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

// A fresh folder in the temporary folder for one test, removed with its contents afterwards
// (read-only files too, which Windows will not delete as they are). Its name holds the test's
// name and a random number, so that runs side by side do not meet.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix) {
        std::random_device random;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + (test ? test->name() : "") + "-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code ignored;
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A file's bytes, or nothing when it cannot be read. The file is closed again on return.
inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in a folder exactly as the system keeps them, as UTF-8 (Debian's GoogleTest
// cannot print a std::u8string).
inline std::set<std::string> NamesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(Utf8(entry.path().filename().u8string()));
    return names;
}

}  // namespace orvel::test
