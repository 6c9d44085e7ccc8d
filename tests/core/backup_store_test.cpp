#include "backup_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "channel_file.h"
#include "file_access.h"
#include "test_files.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace orvel {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;
using namespace std::chrono_literals;

class BackupStore : public ::testing::Test {
protected:
    void SetUp() override {
        t0_ = test::LocalTime(2024, 3, 5, 7, 8, 9);
        image_[100] = 0xA5;
    }
    std::string Save(std::string_view kind, std::time_t when, int keep = 200) {
        std::string error;
        std::string path = SaveBackup(Utf8FromPath(dir_), image_, kind, error, keep, when);
        EXPECT_FALSE(path.empty()) << error;
        return Utf8FromPath(PathFromUtf8(path).filename());
    }

    Names Listing() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename() != ".copies")  // the store's list of its copies
                names.insert(Utf8FromPath(entry.path().filename()));
        }
        return names;
    }

    test::TempFolder root_{"orvel-backup"};
    fs::path dir_ = root_.path() / "backups";
    MemoryImage image_ = StartupImage();
    std::time_t t0_{};
};

TEST_F(BackupStore, WritesAChannelFileNamedByLocalTimeIntoNewFolders) {
    dir_ /= "nested/deeper";
    std::string error;
#ifndef _WIN32
    const mode_t umask = ::umask(0);  // the folders and copies are the owner's whatever it says
#endif
    const std::string path = SaveBackup(Utf8FromPath(dir_), image_, "read", error, 200, t0_);
#ifndef _WIN32
    ::umask(umask);
    for (const fs::path& made : {root_.path() / "backups", root_.path() / "backups/nested", dir_})
        EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
    for (const fs::path& made : {fs::path(path), dir_ / ".copies"}) {
        EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_read | fs::perms::owner_write)
            << made;
    }
#endif
    EXPECT_EQ(path, Utf8FromPath(dir_ / "20240305-070809-read.dat"));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes, error)) << error;
    EXPECT_EQ(bytes, ChannelFileBytes(image_));
}

TEST_F(BackupStore, ANameTakenInTheSameSecondGetsACounter) {
    EXPECT_EQ(Save("read", t0_), "20240305-070809-read.dat");
    EXPECT_EQ(Save("read", t0_), "20240305-070809-read-2.dat");
    EXPECT_EQ(Save("read", t0_), "20240305-070809-read-3.dat");
    EXPECT_EQ(Save("write", t0_), "20240305-070809-write.dat");
    EXPECT_EQ(Save("read", t0_ + 1), "20240305-070810-read.dat");
}

TEST_F(BackupStore, PrunesTheOldestReadAndWriteCopiesBeyondKeep) {
    Save("write", t0_ - 86400);
    Save("read", t0_, 3);
    Save("write", t0_ + 60, 3);
    Save("read", t0_ + 120, 3);
    EXPECT_EQ(Listing(), (Names{"20240305-070809-read.dat", "20240305-070909-write.dat",
                                "20240305-071009-read.dat"}));
    // The copy just written stays even when a clock set back makes it the oldest.
    Save("read", t0_ - 3600, 2);
    EXPECT_EQ(Listing(), (Names{"20240305-060809-read.dat", "20240305-071009-read.dat"}));
}

TEST_F(BackupStore, CopiesOfOneSecondAgeInCounterOrder) {
    // Name order would rank "-10" below "-2", and reusing a pruned name would make the newest
    // copy the oldest of its second.
    for (int i = 0; i < 10; ++i)
        Save("read", t0_, 2);
    EXPECT_EQ(Listing(), (Names{"20240305-070809-read-9.dat", "20240305-070809-read-10.dat"}));
}

TEST_F(BackupStore, NeverTouchesFilesItDidNotName) {
    fs::create_directories(dir_);
    Names expected = {"notes.txt", "my-read.dat", "2024-0101-read.dat",
                      "20240101-000000-read.dat.bak", "20240101-000000-read-x.dat"};
    for (const auto& name : expected)
        std::ofstream(dir_ / name) << "x";
    fs::create_directory(dir_ / "20000101-000000-write.dat");  // old-looking, but a folder
    expected.insert("20000101-000000-write.dat");

    Save("read", t0_, 1);
    Save("write", t0_ + 1, 1);
    Save("save", t0_ + 2, 1);  // not a read or write copy, so not one of the kept
    expected.insert({"20240305-070810-write.dat", "20240305-070811-save.dat"});
    EXPECT_EQ(Listing(), expected);
}

TEST_F(BackupStore, OnlyCopiesItWroteAndNobodyChangedArePruned) {
    // A user's file named like a copy (a copy's name reused by Save) and a copy the user saved
    // work into both once went as the oldest copies.
    fs::create_directories(dir_);
    std::ofstream(dir_ / "20200101-000000-read.dat") << "the user's";
    Save("read", t0_);
    std::ofstream(dir_ / "20240305-070809-read.dat") << "work saved into a copy";
    fs::last_write_time(dir_ / "20240305-070809-read.dat",
                        fs::last_write_time(dir_ / "20240305-070809-read.dat") + 1h);
    Save("write", t0_ + 1, 1);
    Save("read", t0_ + 2, 1);
    EXPECT_EQ(Listing(), (Names{"20200101-000000-read.dat", "20240305-070809-read.dat",
                                "20240305-070811-read.dat"}));
}

TEST_F(BackupStore, NothingOutsideTheFolderIsEverDeletedOrWritten) {
    // A list that names files elsewhere, by a path or an absolute name, with their times.
    const fs::path outside = root_.path() / "outside";
    fs::create_directories(outside);
    fs::create_directories(dir_);
    std::ofstream list(dir_ / ".copies");
    for (const fs::path& name :
         {fs::path("../outside/20200101-000000-read.dat"), outside / "20200101-000001-read.dat"}) {
        std::ofstream(dir_ / name) << "theirs";
        list << Utf8FromPath(name) << '\t'
             << fs::last_write_time(dir_ / name).time_since_epoch().count() << '\n';
    }
    list.close();
    Save("read", t0_, 1);
    EXPECT_EQ(test::FileBytes(outside / "20200101-000000-read.dat"), "theirs");
    EXPECT_EQ(test::FileBytes(outside / "20200101-000001-read.dat"), "theirs");
#ifndef _WIN32
    // A list that is a link would have its target replaced: nothing is written then.
    fs::remove(dir_ / ".copies");
    fs::create_symlink(outside / "20200101-000000-read.dat", dir_ / ".copies");
    std::string error;
    EXPECT_EQ(SaveBackup(Utf8FromPath(dir_), image_, "read", error, 1, t0_ + 1), "");
    EXPECT_EQ(error, Utf8FromPath(dir_ / ".copies") +
                         " is a symbolic link, not the list of the copies; it is left as it is");
    EXPECT_EQ(test::FileBytes(outside / "20200101-000000-read.dat"), "theirs");
    EXPECT_EQ(Listing(), Names{"20240305-070809-read.dat"});
#endif
}

TEST_F(BackupStore, ACopyMarkedReadOnlyIsStillPruned) {
    Save("read", t0_);
    fs::permissions(dir_ / "20240305-070809-read.dat", fs::perms::owner_read);
    Save("read", t0_ + 1);
    fs::permissions(dir_ / "20240305-070810-read.dat", fs::perms::owner_read);
    Save("write", t0_ + 2, 2);
    EXPECT_EQ(Listing(), (Names{"20240305-070810-read.dat", "20240305-070811-write.dat"}));
    // The mark of a copy that stays is the user's.
    EXPECT_EQ(fs::status(dir_ / "20240305-070810-read.dat").permissions() & fs::perms::owner_write,
              fs::perms::none);
}

TEST_F(BackupStore, AKindGivesTheSameSafeNameOnEverySystem) {
    EXPECT_EQ(Save("a:b*?\"<>|c\t", t0_), "20240305-070809-a_b______c_.dat");
    EXPECT_EQ(Save("读", t0_), "20240305-070809-读.dat");
}

TEST_F(BackupStore, AFolderThatCannotBeMadeOrAKindThatIsAPathIsAnError) {
    fs::create_directories(dir_);
    std::ofstream(dir_ / "plain-file") << "x";
    std::string error;
    EXPECT_EQ(SaveBackup(Utf8FromPath(dir_ / "plain-file" / "backups"), image_, "read", error), "");
    EXPECT_FALSE(error.empty());
    for (const char* kind : {"../read", ""}) {
        error.clear();
        EXPECT_EQ(SaveBackup(Utf8FromPath(dir_), image_, kind, error, 200, t0_), "");
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(Listing(), (Names{"plain-file"}));
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST_F(BackupStore, ReplacedFilesKeepTheirBytesInARotationOfTheirOwn) {
    std::string error;
    const std::vector<std::uint8_t> bytes = {'n', 'o', 't', 0x00, 0xFF};
    const std::string kept = SaveBackupBytes(dir_.string(), bytes, "file", ".dat", error, 3, t0_);
    ASSERT_FALSE(kept.empty()) << error;
    // FileBytes closes the file before the rotation below: Windows cannot delete an open one.
    EXPECT_EQ(test::FileBytes(kept), std::string(bytes.begin(), bytes.end()));
    EXPECT_FALSE(SaveBackupBytes(dir_.string(), bytes, "file", ".json", error, 3, t0_ + 1).empty());
    Save("read", t0_ + 2, 3);
    Save("write", t0_ + 3, 3);
    Save("read", t0_ + 4, 3);
    // Writes and reads once crowded the replaced files out of a shared rotation.
    EXPECT_EQ(Listing(), (Names{"20240305-070809-file.dat", "20240305-070810-file.json",
                                "20240305-070811-read.dat", "20240305-070812-write.dat",
                                "20240305-070813-read.dat"}));
    EXPECT_FALSE(SaveBackupBytes(dir_.string(), bytes, "file", ".csv", error, 2, t0_ + 5).empty());
    EXPECT_EQ(Listing(), (Names{"20240305-070810-file.json", "20240305-070814-file.csv",
                                "20240305-070811-read.dat", "20240305-070812-write.dat",
                                "20240305-070813-read.dat"}));
    EXPECT_TRUE(SaveBackupBytes(dir_.string(), bytes, "file", ".exe", error).empty());
    EXPECT_EQ(error, "invalid backup extension");
}

}  // namespace
}  // namespace orvel

#include <thread>

namespace orvel {
namespace {

TEST_F(BackupStore, CopiesSavedAtOnceInOneSecondAreAllKeptAndListed) {
    // Two runs once chose the same free name and the later rename replaced the earlier copy.
    constexpr int kRuns = 16;
    std::vector<std::thread> runs;
    std::vector<std::string> paths(kRuns);
    for (int i = 0; i < kRuns; ++i) {
        runs.emplace_back([&, i] {
            std::string error;
            const std::vector<std::uint8_t> bytes(40, static_cast<std::uint8_t>(i));
            paths[static_cast<std::size_t>(i)] =
                SaveBackupBytes(Utf8FromPath(dir_), bytes, "file", ".dat", error, 200, t0_);
        });
    }
    for (std::thread& run : runs)
        run.join();
    EXPECT_EQ(Listing().size(), std::size_t{kRuns});
    for (int i = 0; i < kRuns; ++i) {
        EXPECT_EQ(test::FileBytes(paths[static_cast<std::size_t>(i)]),
                  std::string(40, static_cast<char>(i)))
            << i;
    }
    // The list names every copy, so each one rotates out in its time.
    const std::string list = test::FileBytes(Utf8FromPath(dir_ / ".copies"));
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), kRuns) << list;
    for (int i = 0; i < 3; ++i)
        Save("read", t0_ + 1 + i);
    std::string error;
    EXPECT_FALSE(
        SaveBackupBytes(Utf8FromPath(dir_), {1}, "file", ".dat", error, 2, t0_ + 9).empty())
        << error;
    EXPECT_EQ(Listing().size(), 3u + 2u);
}

TEST_F(BackupStore, ANameAnotherProgramMadeMeanwhileIsNeverTaken) {
    // A program that does not take its turn at the folder may make the chosen name between the
    // choice and the claim: the claim fails as taken, and that file keeps its bytes.
    fs::create_directories(dir_);
    const fs::path theirs = dir_ / "20240305-070809-read.dat";
    std::ofstream(theirs) << "theirs";
    bool taken = false;
    std::string error;
    EXPECT_FALSE(WriteNewFile(Utf8FromPath(theirs), {1, 2, 3}, taken, error));
    EXPECT_TRUE(taken) << error;
    EXPECT_EQ(test::FileBytes(theirs), "theirs");
    EXPECT_EQ(Listing(), Names{"20240305-070809-read.dat"});
}

TEST_F(BackupStore, ACopyWaitsWhileAnotherRunHoldsTheFolder) {
    // Runs that chose a name at once once both took it; each must wait for the other's turn.
    fs::create_directories(dir_);
    std::optional<FolderLock> other(std::in_place, dir_);
    std::atomic<bool> saved = false;
    std::thread run([&] {
        Save("read", t0_);
        saved = true;
    });
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(saved);
    EXPECT_EQ(Listing(), Names{});
    // A wait has its end: past it, the holder is not waited for.
    bool held = false;  // from a thread of its own: a thread may take its own turn again
    std::thread([&] { held = FolderLock(dir_, 100ms).HeldElsewhere(); }).join();
    EXPECT_TRUE(held);
    other.reset();
    run.join();
    EXPECT_EQ(Listing(), Names{"20240305-070809-read.dat"});
}

#ifndef _WIN32
TEST_F(BackupStore, AFolderThatCannotBeListedNeverLosesAFileToACopy) {
    // A drop-box folder (written, not listed) hides the names in use: only the claim keeps a
    // copy off another's file, and a name found taken is counted past. Root lists any folder,
    // so the run below is made as a user who cannot.
    constexpr uid_t kNobody = 65534;
    fs::create_directories(dir_);
    if (test::RunsAsRoot()) {
        ASSERT_EQ(::chown(dir_.c_str(), kNobody, kNobody), 0);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (test::RunsAsRoot() && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            std::_Exit(77);
        std::ofstream(dir_ / "20240305-070809-file.dat") << "theirs";
        fs::permissions(dir_, fs::perms::owner_write | fs::perms::owner_exec);
        std::string error;
        const std::string path = SaveBackupBytes(Utf8FromPath(dir_), {'o', 'u', 'r', 's'}, "file",
                                                 ".dat", error, 200, t0_);
        if (path == Utf8FromPath(dir_ / "20240305-070809-file-2.dat"))
            std::_Exit(0);
        std::fprintf(stderr, "saved as '%s' (%s)\n", path.c_str(), error.c_str());
        std::_Exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    fs::permissions(dir_, fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no user to run as who cannot list the folder";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::FileBytes(dir_ / "20240305-070809-file.dat"), "theirs");
    EXPECT_EQ(test::FileBytes(dir_ / "20240305-070809-file-2.dat"), "ours");
}

TEST_F(BackupStore, ACopyLeftToTheCacheIsWholeWhereverTheRunIsKilled) {
    fs::create_directories(dir_);
    for (const auto after : {0us, 150us, 400us, 1000us, 3000us}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        for (std::string error; child == 0;)
            SaveBackup(Utf8FromPath(dir_), image_, "read", error, 5, t0_, nullptr,
                       Durability::Cache);
        std::this_thread::sleep_for(after);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    const std::vector<std::uint8_t> bytes = ChannelFileBytes(image_);
    EXPECT_FALSE(Listing().empty());
    for (const std::string& name : Listing()) {
        if (name.ends_with(".dat")) {
            EXPECT_EQ(test::FileBytes(dir_ / name), std::string(bytes.begin(), bytes.end()));
        }
    }
}

TEST_F(BackupStore, ACopyThatCannotBeWrittenSaysWhy) {
    // Only a name taken by another program is tried again; any other failure is the answer.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const std::string path = SaveBackupBytes(Utf8FromPath(dir_), std::vector<std::uint8_t>(40, 1),
                                             "file", ".dat", error, 200, t0_);
    ::setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(path, "");
    EXPECT_EQ(error, std::strerror(EFBIG));
    EXPECT_TRUE(!fs::exists(dir_) || Listing().empty());
}
#endif

}  // namespace
}  // namespace orvel
